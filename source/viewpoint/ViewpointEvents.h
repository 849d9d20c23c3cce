// The events a viewpoint queues for its listeners. Each holds its arguments by value and calls
// one ViewpointListener operation when delivered.
#pragma once

#include <pova/Viewpoint.h>
#include <pova/ViewpointListener.h>
#include <pova/common/Event.h>

#include <memory>

namespace common {

// Storage of queued events. Every change clones several events into the queue and frees them
// once delivered: their blocks come from a small per-thread cache instead of the heap. Builds
// with AddressSanitizer use the heap, so that it sees every event's lifetime.
namespace event_blocks {
inline constexpr std::size_t kSize = 48;
void* take(std::size_t size);
void give(void* block, std::size_t size) noexcept;
}  // namespace event_blocks

// Base of the viewpoint events: the listener a viewpoint's dispatcher holds is always a
// ViewpointListener (addListener takes nothing else).
template <class Derived>
class ViewpointEvent : public Event {
public:
    static void* operator new(std::size_t size) { return event_blocks::take(size); }
    static void operator delete(void* block, std::size_t size) noexcept {
        event_blocks::give(block, size);
    }

    void deliver(ZELT_o::Listener* listener) const final {
        static_cast<Derived const*>(this)->call(*static_cast<ZELT_o::ViewpointListener*>(listener));
    }
    std::unique_ptr<Event> clone() const final {
        return std::make_unique<Derived>(*static_cast<Derived const*>(this));
    }
};

// The events without arguments: (class, listener operation).
#define POVA_VIEWPOINT_PLAIN_EVENTS(X)                \
    X(ConnectEvent, connected)                        \
    X(CellChangeEvent, cellsChanged)                  \
    X(HoldEventsEvent, transitionStarted)             \
    X(ReleaseCompleteEvent, transitionCompleted)      \
    X(UndoOperationsCompleteEvent, transitionAborted) \
    X(ViewpointChangeEvent, viewpointChanged)

#define POVA_DECLARE_PLAIN_EVENT(Name, operation)                                      \
    class Name : public ViewpointEvent<Name> {                                         \
    public:                                                                            \
        void call(ZELT_o::ViewpointListener& listener) const { listener.operation(); } \
    };
POVA_VIEWPOINT_PLAIN_EVENTS(POVA_DECLARE_PLAIN_EVENT)
#undef POVA_DECLARE_PLAIN_EVENT

class DisconnectEvent : public ViewpointEvent<DisconnectEvent> {
public:
    explicit DisconnectEvent(bool flag) : fFlag(flag) {}
    void call(ZELT_o::ViewpointListener& listener) const { listener.disconnected(fFlag); }

private:
    bool fFlag;
};

class DimensionMoveEvent : public ViewpointEvent<DimensionMoveEvent> {
public:
    DimensionMoveEvent(ZELT_o::Dimension& dimension, ZELT_o::DimensionPosition position)
        : fDimension(&dimension), fPosition(position) {}
    void call(ZELT_o::ViewpointListener& listener) const {
        ZELT_o::DimensionPosition position = fPosition;
        listener.dimensionMoved(*fDimension, position);
    }

private:
    ZELT_o::Dimension* fDimension;
    ZELT_o::DimensionPosition fPosition;
};

class DimensionSwapEvent : public ViewpointEvent<DimensionSwapEvent> {
public:
    DimensionSwapEvent(ZELT_o::Dimension& first, ZELT_o::Dimension& second)
        : fFirst(&first), fSecond(&second) {}
    void call(ZELT_o::ViewpointListener& listener) const {
        listener.dimensionSwapped(*fFirst, *fSecond);
    }

private:
    ZELT_o::Dimension* fFirst;
    ZELT_o::Dimension* fSecond;
};

class DimensionChangeEvent : public ViewpointEvent<DimensionChangeEvent> {
public:
    DimensionChangeEvent(ZELT_o::Dimension& dimension,
                         ZELT_o::ViewpointListener::DimensionChange change)
        : fDimension(&dimension), fChange(change) {}
    void call(ZELT_o::ViewpointListener& listener) const {
        listener.dimensionChanged(fChange, *fDimension);
    }

private:
    ZELT_o::Dimension* fDimension;
    ZELT_o::ViewpointListener::DimensionChange fChange;
};

class AxisChangeEvent : public ViewpointEvent<AxisChangeEvent> {
public:
    explicit AxisChangeEvent(LONG axis) : fAxis(axis) {}
    void call(ZELT_o::ViewpointListener& listener) const { listener.axisChanged(fAxis); }

private:
    LONG fAxis;
};

class AxisInfoChangeEvent : public ViewpointEvent<AxisInfoChangeEvent> {
public:
    explicit AxisInfoChangeEvent(ZELT_o::Dimension& dimension) : fDimension(&dimension) {}
    void call(ZELT_o::ViewpointListener& listener) const { listener.axisInfoChanged(*fDimension); }

private:
    ZELT_o::Dimension* fDimension;
};

class AxisTypeChangedEvent : public ViewpointEvent<AxisTypeChangedEvent> {
public:
    AxisTypeChangedEvent(LONG axis, ZELT_o::Viewpoint::AxisType type) : fAxis(axis), fType(type) {}
    void call(ZELT_o::ViewpointListener& listener) const { listener.axisTypeChanged(fAxis, fType); }

private:
    LONG fAxis;
    ZELT_o::Viewpoint::AxisType fType;
};

}  // namespace common
