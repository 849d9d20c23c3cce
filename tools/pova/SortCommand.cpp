#include "SortCommand.h"

#include "CommandHistory.h"
#include "EventPrinter.h"

#include <basekit/BaseError.h>
#include <pova/Command.h>
#include <pova/Sort.h>
#include <pova/common/SortViewpointCommandCommon.h>
#include <pova/support/InstanceCounter.h>
#include <pova/support/Ref.h>

#include <charconv>
#include <ostream>
#include <stdexcept>

namespace pova_tool {

namespace {

using SortCommandRef = support::Ref<common::SortViewpointCommandCommon>;

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

SortCommandRef sort_command(ZELT_o::Viewpoint& viewpoint) {
    auto made = support::adopt(viewpoint.createCommand(ZELT_o::Viewpoint::CommandType::Sort));
    auto* command = dynamic_cast<common::SortViewpointCommandCommon*>(made.get());
    if (command == nullptr) {
        throw UsageError("the viewpoint hands out no sort commands");
    }
    return support::retain(command);
}

// Breaks the hierarchy of the sort another command adds. That sort's id exists only once the
// other command has run, so the modifier is recorded at the first execution.
class BreakLater final : public ZELT_o::ViewpointCommand {
public:
    BreakLater(ZELT_o::Viewpoint& viewpoint, SortCommandRef added)
        : ZELT_o::ViewpointCommand("BreakLater", sInstances.next()),
          fViewpoint(viewpoint),
          fAdded(std::move(added)) {}

    void execute() override {
        if (!fBreak) {
            SortCommandRef command = sort_command(fViewpoint);
            command->BreakHierarchy(fAdded->getSortId());
            fBreak = std::move(command);
        }
        fBreak->execute();
    }
    void undo() override {
        if (fBreak) {
            fBreak->undo();
        }
    }
    void setXmlText(PovaString const&) override {}

private:
    ~BreakLater() override = default;

    static inline support::InstanceCounter sInstances;
    ZELT_o::Viewpoint& fViewpoint;
    SortCommandRef fAdded;
    SortCommandRef fBreak;
};

LONG axis_number(ZELT_o::Viewpoint& viewpoint, std::string const& text) {
    LONG value = 0;
    auto const [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    LONG const axes = viewpoint.countAxes() + viewpoint.countPagedAxes();
    if (error != std::errc() || end != text.data() + text.size() || value < 0 || value >= axes) {
        throw UsageError("an axis is a number from 0 to " + std::to_string(axes - 1) + ", not \"" +
                         text + "\"");
    }
    return value;
}

// The command of "sort AXIS asc|desc [break]", and what it does in words. The new sort
// replaces those the axis had: the oldest sort of an axis is the one that orders it.
support::Ref<ZELT_o::ViewpointCommand> make_sort(ZELT_o::Viewpoint& viewpoint,
                                                 std::vector<std::string> const& args,
                                                 std::string& done) {
    if (args.size() < 2 || args.size() > 3 || (args[1] != "asc" && args[1] != "desc") ||
        (args.size() == 3 && args[2] != "break")) {
        throw UsageError("usage: sort AXIS asc|desc [break]");
    }
    LONG const axis = axis_number(viewpoint, args[0]);
    std::vector<ZELT_o::Dimension*> const dimensions = viewpoint.getAxisDimensions(axis);
    if (dimensions.empty()) {
        throw UsageError("axis " + args[0] + " holds no dimension to sort");
    }
    std::vector<support::Ref<ZELT_o::ViewpointCommand>> steps;
    SortCommandRef cleared = sort_command(viewpoint);
    cleared->ClearAxis(axis);
    if (!cleared->getSortIds().empty()) {
        steps.push_back(cleared);
    }
    SortCommandRef added = sort_command(viewpoint);
    ZELT_o::Sort* sort = added->AddSort();
    sort->setDirection(args[1] == "desc" ? ZELT_o::Sort::kDescending : ZELT_o::Sort::kAscending);
    sort->getDimVec() = dimensions;
    steps.push_back(added);
    done = "axis " + args[0] + (args[1] == "desc" ? " descending" : " ascending");
    if (args.size() == 3) {
        done += ", hierarchy broken";
        steps.push_back(support::adopt<ZELT_o::ViewpointCommand>(new BreakLater(viewpoint, added)));
    }
    if (steps.size() == 1) {
        return steps.front();
    }
    auto transaction =
        support::adopt(viewpoint.createCommand(ZELT_o::Viewpoint::CommandType::Transaction));
    auto* group = dynamic_cast<ZELT_o::Transaction*>(transaction.get());
    if (group == nullptr) {
        throw UsageError("the viewpoint cannot group commands into a transaction");
    }
    for (auto const& step : steps) {
        group->addCommand(step.get());
    }
    return transaction;
}

support::Ref<ZELT_o::ViewpointCommand> make_unsort(ZELT_o::Viewpoint& viewpoint,
                                                   std::vector<std::string> const& args,
                                                   std::string& done) {
    if (args.size() > 1) {
        throw UsageError("usage: unsort [AXIS]");
    }
    SortCommandRef command = sort_command(viewpoint);
    if (args.empty()) {
        command->RemoveAllSorts();
        done = "every sort removed";
    } else {
        command->ClearAxis(axis_number(viewpoint, args[0]));
        done = "the sorts of axis " + args[0] + " removed";
    }
    if (command->getSortIds().empty()) {
        throw UsageError(args.empty() ? "no sort to remove" : "axis " + args[0] + " has no sort");
    }
    return command;
}

void print_events(EventPrinter& events, std::ostream& out) {
    for (std::string const& event : events.take()) {
        out << "  event: " << event << "\n";
    }
}

}  // namespace

bool isSortCommand(std::vector<std::string> const& words) {
    return !words.empty() && (words[0] == "sort" || words[0] == "unsort");
}

bool runSortCommand(ZELT_o::Viewpoint& viewpoint, CommandHistory& history, EventPrinter& events,
                    std::vector<std::string> const& words, std::ostream& out, std::ostream& err) {
    std::vector<std::string> const args(words.begin() + 1, words.end());
    std::string label = words[0];
    for (std::string const& word : args) {
        label += " " + word;
    }
    try {
        std::string done;
        auto command = words[0] == "sort" ? make_sort(viewpoint, args, done)
                                          : make_unsort(viewpoint, args, done);
        history.execute(std::move(command), label);
        out << words[0] << ": " << done << "\n";
        print_events(events, out);
        return true;
    } catch (UsageError const& error) {
        err << error.what() << "\n";
    } catch (BaseError const& error) {
        print_events(events, out);
        err << error.what() << "\n";
    } catch (ResultError const& error) {
        print_events(events, out);
        err << error.what() << "\n";
    }
    return false;
}

}  // namespace pova_tool
