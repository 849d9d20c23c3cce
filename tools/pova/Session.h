// Session: a cube, one viewpoint on it (two view axes, one paged axis) and the commands of the
// client, applied in order. Every change goes through a command object of the viewpoint, so
// that it can be undone and redone; the commands of one line, separated by ";", form one
// transaction.
#pragma once

#include "CommandHistory.h"
#include "EventPrinter.h"

#include <pova/Command.h>
#include <pova/Cube.h>
#include <pova/PropertySpecification.h>
#include <pova/ViewResultSet.h>
#include <pova/Viewpoint.h>
#include <pova/support/Ref.h>

#include <iosfwd>
#include <string>
#include <vector>

namespace pova_tool {

class Session {
public:
    explicit Session(support::Ref<ZELT_o::Cube> cube);
    ~Session();
    Session(Session const&) = delete;
    Session& operator=(Session const&) = delete;

    // Runs one line of words: one command, or several separated by ";" words, which run as
    // one transaction. Returns the exit status: 0 done, 1 failed, 2 a usage error. A failure
    // is written to `err` as "pova: COMMAND: MESSAGE", then a line on what to type instead
    // where there is something to say.
    int execute(std::vector<std::string> const& words, std::ostream& out, std::ostream& err);

private:
    using Arguments = std::vector<std::string>;
    using CommandRef = support::Ref<ZELT_o::ViewpointCommand>;

    // Commands that only read, that work on the history, or that keep their own commands.
    void layout(Arguments const& args, std::ostream& out);
    void cells(Arguments const& args, std::ostream& out);
    void history(Arguments const& args, std::ostream& out);
    void undo(Arguments const& args, std::ostream& out);
    void redo(Arguments const& args, std::ostream& out);
    void queryInfo(Arguments const& args, std::ostream& out);
    void help(Arguments const& args, std::ostream& out);
    void format(Arguments const& args, std::ostream& out);
    void sort(Arguments const& args, std::ostream& out);
    void unsort(Arguments const& args, std::ostream& out);
    void filter(Arguments const& args, std::ostream& out);
    void unfilter(Arguments const& args, std::ostream& out);
    void stats(Arguments const& args, std::ostream& out);
    // Persistence: the viewpoint as XML in a file. A load builds a new viewpoint on the cube
    // and takes it only when it connected; the history then starts afresh.
    void save(Arguments const& args, std::ostream& out);
    void load(Arguments const& args, std::ostream& out);

    // Commands that change the viewpoint: each checks its words, then records its change on
    // a new command object, which the session then executes.
    CommandRef move(Arguments const& args);
    CommandRef swap(Arguments const& args);
    CommandRef swapAxes(Arguments const& args);
    CommandRef axisType(Arguments const& args);
    CommandRef nulls(Arguments const& args);
    CommandRef slice(Arguments const& args);
    CommandRef members(Arguments const& args);
    CommandRef hierarchy(Arguments const& args);

    // Runs a line; `name` follows the command being checked or run, for the error line.
    void run_line(std::vector<std::string> const& words, std::ostream& out, std::string& name);
    support::Ref<ZELT_o::BasicViewpointCommand> basic_command();
    ZELT_o::Dimension& dimension_named(std::string const& name);
    ZELT_o::Member& member_named(ZELT_o::Dimension& dimension, std::string const& name);
    // Records the commands of `groups` (one transaction when there are several) and runs it.
    void run_changes(std::vector<Arguments> const& groups, std::ostream& out, std::string& name);
    void print_layout(std::ostream& out);
    void print_events(std::ostream& out);

    struct Command {
        char const* name;
        // Exact count, or the least count when `variadic`.
        std::size_t argumentCount;
        bool variadic;
        void (Session::*run)(Arguments const&, std::ostream&);
        CommandRef (Session::*change)(Arguments const&);
    };
    static std::vector<Command> const& commands();
    static Command const* find_command(std::string const& name);

    support::Ref<ZELT_o::Cube> fCube;
    support::Ref<ZELT_o::Viewpoint> fViewpoint;
    EventPrinter fEvents;
    CommandHistory fHistory;
    // The grid asks for no extra properties.
    std::vector<ZELT_o::PropertySpecification> fProperties;
    support::Ref<ZELT_o::ViewResultSet> fLastResult;
    long fQueries = 0;
    long fCacheAnswers = 0;
};

}  // namespace pova_tool
