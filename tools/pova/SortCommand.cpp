#include "SortCommand.h"

#include "ClientError.h"
#include "CommandHistory.h"
#include "EventPrinter.h"
#include "Help.h"

#include <basekit/BaseError.h>
#include <pova/Command.h>
#include <pova/Sort.h>
#include <pova/common/SortViewpointCommandCommon.h>
#include <pova/support/InstanceCounter.h>
#include <pova/support/Ref.h>

#include <ostream>

namespace pova_tool {

namespace {

using SortCommandRef = support::Ref<common::SortViewpointCommandCommon>;

SortCommandRef sort_command(ZELT_o::Viewpoint& viewpoint) {
    auto made = support::adopt(viewpoint.createCommand(ZELT_o::Viewpoint::CommandType::Sort));
    auto* command = dynamic_cast<common::SortViewpointCommandCommon*>(made.get());
    if (command == nullptr) {
        throw Refusal("the viewpoint hands out no sort commands");
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

// The command of "sort AXIS asc|desc [break]", and what it does in words. The new sort
// replaces those the axis had: the oldest sort of an axis is the one that orders it.
support::Ref<ZELT_o::ViewpointCommand> make_sort(ZELT_o::Viewpoint& viewpoint,
                                                 std::vector<std::string> const& args,
                                                 std::string& done) {
    std::string const usage = usageOf("sort");
    if (args.size() > 3) {
        throw UsageError("takes at most 3 arguments, not " + std::to_string(args.size()), usage);
    }
    LONG const axis = parseAxis(viewpoint, args[0], kLayoutHint);
    if (args[1] != "asc" && args[1] != "desc") {
        throw UsageError("'" + args[1] + "' is neither asc nor desc", usage);
    }
    if (args.size() == 3 && args[2] != "break") {
        throw UsageError("'" + args[2] + "' is not break", usage);
    }
    std::vector<ZELT_o::Dimension*> const dimensions = viewpoint.getAxisDimensions(axis);
    if (dimensions.empty()) {
        throw Refusal("axis " + args[0] + " holds no dimension to sort", kLayoutHint);
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
        throw Refusal("the viewpoint cannot group commands into a transaction");
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
        throw UsageError("takes at most 1 argument, not " + std::to_string(args.size()),
                         usageOf("unsort"));
    }
    SortCommandRef command = sort_command(viewpoint);
    if (args.empty()) {
        command->RemoveAllSorts();
        done = "every sort removed";
    } else {
        command->ClearAxis(parseAxis(viewpoint, args[0], kLayoutHint));
        done = "the sorts of axis " + args[0] + " removed";
    }
    if (command->getSortIds().empty()) {
        throw Refusal(args.empty() ? "no sort to remove" : "axis " + args[0] + " has no sort");
    }
    return command;
}

void print_events(EventPrinter& events, std::ostream& out) {
    for (std::string const& event : events.take()) {
        out << "  event: " << event << "\n";
    }
}

}  // namespace

void runSortCommand(ZELT_o::Viewpoint& viewpoint, CommandHistory& history, EventPrinter& events,
                    std::string const& name, std::vector<std::string> const& args,
                    std::ostream& out) {
    std::string label = name;
    for (std::string const& word : args) {
        label += " " + word;
    }
    std::string done;
    auto command =
        name == "sort" ? make_sort(viewpoint, args, done) : make_unsort(viewpoint, args, done);
    history.execute(std::move(command), label);
    out << name << ": " << done << "\n";
    print_events(events, out);
}

}  // namespace pova_tool
