#include "FilterCommand.h"

#include "ClientError.h"
#include "Help.h"

#include <basekit/BaseError.h>
#include <pova/Command.h>
#include <pova/Cube.h>
#include <pova/Dimension.h>
#include <pova/Expression.h>
#include <pova/Filter.h>
#include <pova/Viewpoint.h>
#include <pova/support/Ref.h>

#include <ostream>

namespace pova_tool {

namespace {

using FilterCommandRef = support::Ref<ZELT_o::FilterViewpointCommand>;

std::string joined(std::vector<std::string>::const_iterator first,
                   std::vector<std::string>::const_iterator last) {
    std::string text;
    for (auto word = first; word != last; ++word) {
        text += (text.empty() ? "" : " ") + *word;
    }
    return text;
}

FilterCommandRef new_command(ZELT_o::Viewpoint& viewpoint) {
    auto command = support::adopt(viewpoint.createCommand(ZELT_o::Viewpoint::CommandType::Filter));
    auto* filter = dynamic_cast<ZELT_o::FilterViewpointCommand*>(command.get());
    if (filter == nullptr) {
        throw Refusal("the viewpoint hands out no filter commands");
    }
    return support::retain(filter);
}

void list(ZELT_o::Viewpoint& viewpoint, std::ostream& out) {
    std::vector<LONG> ids;
    viewpoint.getAvailableFilters(ids);
    out << (ids.empty() ? "no filters\n" : "filters:\n");
    for (LONG id : ids) {
        ZELT_o::Filter* filter = nullptr;
        viewpoint.getFilter(id, &filter, -1);
        std::string dimensions;
        for (ZELT_o::Dimension const* dimension : filter->getDimVec()) {
            dimensions += (dimensions.empty() ? "" : ", ") + dimension->getName().string();
        }
        out << "  " << filter->getName().string() << " (" << dimensions << "):";
        for (ZELT_o::Expression* expression : filter->getExpressions()) {
            std::string const text = expression->getTextFromTree().string();
            auto const first = text.find_first_not_of(' ');
            if (first != std::string::npos) {
                out << " " << text.substr(first, text.find_last_not_of(' ') + 1 - first);
            }
        }
        out << "\n";
    }
}

// "filter AXIS EXPRESSION...": a filter over the dimensions now on the axis.
FilterCommandRef filter_command(ZELT_o::Viewpoint& viewpoint,
                                std::vector<std::string> const& args) {
    if (args.size() < 2) {
        throw UsageError("needs an axis and an expression", usageOf("filter"));
    }
    LONG const axis = parseAxis(viewpoint, args[0], kLayoutHint);
    std::vector<ZELT_o::Dimension*> const dimensions = viewpoint.getAxisDimensions(axis);
    ZELT_o::Expression* made = nullptr;
    viewpoint.CreateNewExpression(&made);
    auto const expression = support::adopt(made);
    auto const cube = support::adopt(viewpoint.getCube());
    expression->setTextAndCreateTree(PovaString(joined(args.begin() + 1, args.end())), cube.get(),
                                     true);
    FilterCommandRef command = new_command(viewpoint);
    ZELT_o::Filter* filter = command->AddFilter();
    filter->getDimVec() = dimensions;
    filter->addExpression(expression.get());
    return command;
}

FilterCommandRef unfilter_command(ZELT_o::Viewpoint& viewpoint) {
    std::vector<LONG> ids;
    viewpoint.getAvailableFilters(ids);
    if (ids.empty()) {
        throw Refusal("no filter to remove", "type 'filter' to see the filters");
    }
    FilterCommandRef command = new_command(viewpoint);
    command->RemoveAllFilters();
    return command;
}

}  // namespace

void runFilterCommand(ZELT_o::Viewpoint& viewpoint, CommandHistory& history, EventPrinter& events,
                      std::string const& name, std::vector<std::string> const& args,
                      std::ostream& out) {
    if (name == "filter" && args.empty()) {
        list(viewpoint, out);
        return;
    }
    FilterCommandRef command =
        name == "unfilter" ? unfilter_command(viewpoint) : filter_command(viewpoint, args);
    history.execute(command, name + (args.empty() ? "" : " " + joined(args.begin(), args.end())));
    for (std::string const& event : events.take()) {
        out << "  event: " << event << "\n";
    }
    list(viewpoint, out);
}

}  // namespace pova_tool
