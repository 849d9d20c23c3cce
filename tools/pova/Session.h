// Session: the sample cube, one viewpoint on it (two view axes, one paged axis) and the
// commands of the client, applied in order.
#pragma once

#include "EventPrinter.h"

#include <memcube/MemCube.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/support/Ref.h>

#include <iosfwd>
#include <string>
#include <vector>

namespace pova_tool {

class Session {
public:
    Session();
    ~Session();
    Session(Session const&) = delete;
    Session& operator=(Session const&) = delete;

    // Runs one command (its words); false when it failed, with the reason written to `err`.
    bool execute(std::vector<std::string> const& words, std::ostream& out, std::ostream& err);

    static void printHelp(std::ostream& out);

private:
    using Arguments = std::vector<std::string>;

    bool layout(Arguments const& args, std::ostream& out);
    bool cells(Arguments const& args, std::ostream& out);
    bool move(Arguments const& args, std::ostream& out);
    bool swap(Arguments const& args, std::ostream& out);
    bool swapAxes(Arguments const& args, std::ostream& out);
    bool axisType(Arguments const& args, std::ostream& out);
    bool nulls(Arguments const& args, std::ostream& out);

    void print_layout(std::ostream& out);
    void print_events(std::ostream& out);

    struct Command {
        char const* name;
        char const* arguments;
        char const* help;
        std::size_t argumentCount;
        bool (Session::*run)(Arguments const&, std::ostream&);
    };
    static std::vector<Command> const& commands();

    support::Ref<memcube::MemCube> fCube;
    support::Ref<common::ViewpointCommon> fViewpoint;
    EventPrinter fEvents;
};

}  // namespace pova_tool
