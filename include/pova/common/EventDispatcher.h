/// @file
/// common::EventDispatcher keeps a list of listeners and a queue of events, and delivers every
/// queued event to every listener, oldest event first, when told to.
///
/// Listeners are neither counted nor owned. All list operations take a recursive mutex, so
/// listeners may be added or removed and events queued from several threads, and a listener may
/// call back into the dispatcher while it is being delivered to.
///
/// During a send, each event goes to the listeners registered when its delivery starts, in list
/// order. A listener may add or remove listeners (itself included) from any callback: one
/// added during an event's delivery receives the events that follow it in that send, one
/// removed is not called again, not even for the rest of the current event. Events queued
/// during a send wait for the next send. An exception thrown by a listener leaves sendEvents
/// with the lock released; the undelivered events of that send are destroyed.
#pragma once

#include <basekit/KobalMutex.h>
#include <pova/common/Event.h>
#include <pova/pova_export.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

namespace ZELT_o {
class Listener;
}

namespace common {

/// Keeps a list of listeners and a queue of events, and delivers every queued event to every
/// listener, oldest first, when told to.
class POVA_API EventDispatcher {
public:
    /// No listeners, no events, not held.
    EventDispatcher();
    /// Discards the queue; listeners are not told.
    ~EventDispatcher();
    EventDispatcher(EventDispatcher const&) = delete;
    EventDispatcher& operator=(EventDispatcher const&) = delete;

    /// Appends the listener unless it is already there.
    void addListener(ZELT_o::Listener* listener);
    /// Removes the listener if present; safe during a send (see above).
    void removeListener(ZELT_o::Listener* listener);
    /// Queues a heap copy of the event.
    void queueEvent(Event const& event);
    /// Delivers the queue (unless held and not forced). Events queued by listeners during the
    /// send wait for the next send.
    void sendEvents(bool force);
    /// Destroys every queued event.
    void discardEvents();

    ///@{
    /// The held flag: while set, sendEvents(false) keeps the queue.
    void setHoldEvents() { fHeld.store(true, std::memory_order_relaxed); }
    void resetHoldEvents() { fHeld.store(false, std::memory_order_relaxed); }
    bool eventsHeld() const { return fHeld.load(std::memory_order_relaxed); }
    ///@}

    ///@{
    /// The number of queued events and of listeners.
    std::size_t queuedEvents() const;
    std::size_t listenerCount() const;
    ///@}

private:
    mutable KobalRecursiveMutex fMutex;
    std::vector<ZELT_o::Listener*> fListeners;   // Guarded by fMutex.
    std::vector<std::unique_ptr<Event>> fQueue;  // Guarded by fMutex.
    std::vector<std::unique_ptr<Event>> fSpare;  // Guarded by fMutex; recycled queue storage.
    // Guarded by fMutex; counts the changes of fListeners, so that a send copies the list only
    // when it changed and checks its copy only when it changed during a delivery.
    std::size_t fChanges = 0;
    std::atomic<bool> fHeld{false};
};

}  // namespace common
