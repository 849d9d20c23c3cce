/// @class common::Event
/// The abstract base of the events a viewpoint queues for its listeners. The
/// event itself chooses which listener operation to call.
#pragma once

#include <pova/pova_export.h>

#include <memory>

namespace ZELT_o {
class Listener;
}

namespace common {

class POVA_API Event {
public:
    /// Calls the matching operation of the listener.
    virtual void deliver(ZELT_o::Listener* listener) const = 0;
    /// A heap copy of the event.
    virtual std::unique_ptr<Event> clone() const = 0;
    virtual ~Event();

protected:
    Event() = default;
    ///@{
    /// Copied only as part of a derived object.
    Event(Event const&) = default;
    Event& operator=(Event const&) = default;
    ///@}
};

}  // namespace common
