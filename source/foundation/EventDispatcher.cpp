#include <pova/common/EventDispatcher.h>

#include <algorithm>

namespace common {

namespace {

// Registers the position of a running send so that removeListener can keep it on the listener
// that follows a removed one; unregisters on every exit, exceptions included.
class CursorScope {
public:
    CursorScope(std::vector<std::size_t*>& cursors, std::size_t* cursor)
        : fCursors(cursors), fCursor(cursor) {
        fCursors.push_back(fCursor);
    }
    ~CursorScope() {
        auto it = std::find(fCursors.rbegin(), fCursors.rend(), fCursor);
        if (it != fCursors.rend()) {
            fCursors.erase(std::next(it).base());
        }
    }
    CursorScope(CursorScope const&) = delete;
    CursorScope& operator=(CursorScope const&) = delete;

private:
    std::vector<std::size_t*>& fCursors;
    std::size_t* fCursor;
};

}  // namespace

Event::~Event() = default;

EventDispatcher::EventDispatcher() = default;

EventDispatcher::~EventDispatcher() {
    discardEvents();
}

void EventDispatcher::addListener(ZELT_o::Listener* listener) {
    KobalSynchronized lock(fMutex);
    if (std::find(fListeners.begin(), fListeners.end(), listener) == fListeners.end()) {
        fListeners.push_back(listener);
    }
}

void EventDispatcher::removeListener(ZELT_o::Listener* listener) {
    KobalSynchronized lock(fMutex);
    auto it = std::find(fListeners.begin(), fListeners.end(), listener);
    if (it == fListeners.end()) {
        return;
    }
    auto const removed = static_cast<std::size_t>(it - fListeners.begin());
    fListeners.erase(it);
    for (std::size_t* cursor : fCursors) {
        if (removed < *cursor) {
            --*cursor;
        }
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
    // Take the whole queue at once: events queued by listeners wait for the next send.
    std::vector<std::unique_ptr<Event>> events;
    events.swap(fQueue);
    fQueue.swap(fSpare);

    std::size_t next = 0;
    CursorScope scope(fCursors, &next);
    for (std::unique_ptr<Event>& event : events) {
        if (event == nullptr) {
            continue;
        }
        for (next = 0; next < fListeners.size();) {
            ZELT_o::Listener* listener = fListeners[next++];
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
    fQueue.clear();
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
