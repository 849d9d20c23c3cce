#include <pova/common/EventDispatcher.h>

#include <algorithm>

namespace common {

Event::~Event() = default;

EventDispatcher::EventDispatcher() = default;

EventDispatcher::~EventDispatcher() {
    discardEvents();
}

void EventDispatcher::addListener(ZELT_o::Listener* listener) {
    KobalSynchronized lock(fMutex);
    if (std::find(fListeners.begin(), fListeners.end(), listener) == fListeners.end()) {
        fListeners.push_back(listener);
        ++fChanges;
    }
}

void EventDispatcher::removeListener(ZELT_o::Listener* listener) {
    KobalSynchronized lock(fMutex);
    auto it = std::find(fListeners.begin(), fListeners.end(), listener);
    if (it != fListeners.end()) {
        fListeners.erase(it);
        ++fChanges;
    }
}

void EventDispatcher::queueEvent(Event const& event) {
    std::unique_ptr<Event> copy = event.clone();
    KobalSynchronized lock(fMutex);
    fQueue.push_back(std::move(copy));
}

void EventDispatcher::sendEvents(bool force) {
    if (eventsHeld() && !force) {
        return;
    }
    KobalSynchronized lock(fMutex);
    if (fQueue.empty()) {
        return;
    }
    // Take the whole queue at once: events queued by listeners wait for the next send. Should
    // a listener throw, the events left here are destroyed on the way out, before the lock is
    // released.
    std::vector<std::unique_ptr<Event>> events;
    events.swap(fQueue);
    fQueue.swap(fSpare);

    // Listeners may change the list from their callbacks, so each event goes to a snapshot of
    // the list as it stands when the event's delivery starts.
    std::vector<ZELT_o::Listener*> snapshot;
    std::size_t snapshotChanges = fChanges - 1;
    for (std::unique_ptr<Event>& event : events) {
        if (event == nullptr) {
            continue;
        }
        if (snapshotChanges != fChanges) {
            snapshot.assign(fListeners.begin(), fListeners.end());
            snapshotChanges = fChanges;
        }
        for (ZELT_o::Listener* listener : snapshot) {
            if (fChanges != snapshotChanges &&
                std::find(fListeners.begin(), fListeners.end(), listener) == fListeners.end()) {
                continue;  // removed during this event's delivery
            }
            event->deliver(listener);
        }
        event.reset();
    }
    events.clear();
    if (fSpare.capacity() < events.capacity()) {
        fSpare.swap(events);
    }
}

void EventDispatcher::discardEvents() {
    KobalSynchronized lock(fMutex);
    // Destroyed outside the queue, so that an event whose destructor queues another does not
    // change the queue while it is being cleared.
    std::vector<std::unique_ptr<Event>> discarded;
    discarded.swap(fQueue);
}

std::size_t EventDispatcher::queuedEvents() const {
    KobalSynchronized lock(fMutex);
    return fQueue.size();
}

std::size_t EventDispatcher::listenerCount() const {
    KobalSynchronized lock(fMutex);
    return fListeners.size();
}

}  // namespace common
