#include "FilterCommand.h"

#include <basekit/BaseError.h>
#include <pova/Command.h>
#include <pova/Cube.h>
#include <pova/Dimension.h>
#include <pova/Expression.h>
#include <pova/Filter.h>
#include <pova/Viewpoint.h>
#include <pova/support/Ref.h>

#include <algorithm>
#include <charconv>
#include <ostream>
#include <stdexcept>

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
        throw std::invalid_argument("the viewpoint hands out no filter commands");
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
                                std::vector<std::string> const& words) {
    LONG axis = 0;
    std::string const& axisText = words.size() > 1 ? words[1] : std::string();
    auto const [end, error] =
        std::from_chars(axisText.data(), axisText.data() + axisText.size(), axis);
    if (words.size() < 3 || error != std::errc() || end != axisText.data() + axisText.size()) {
        throw std::invalid_argument("usage: filter AXIS EXPRESSION");
    }
    std::vector<ZELT_o::Dimension*> const dimensions = viewpoint.getAxisDimensions(axis);
    ZELT_o::Expression* made = nullptr;
    viewpoint.CreateNewExpression(&made);
    auto const expression = support::adopt(made);
    auto const cube = support::adopt(viewpoint.getCube());
    expression->setTextAndCreateTree(PovaString(joined(words.begin() + 2, words.end())), cube.get(),
                                     true);
    FilterCommandRef command = new_command(viewpoint);
    ZELT_o::Filter* filter = command->AddFilter();
    filter->getDimVec() = dimensions;
    filter->addExpression(expression.get());
    return command;
}

FilterCommandRef unfilter_command(ZELT_o::Viewpoint& viewpoint,
                                  std::vector<std::string> const& words) {
    if (words.size() != 1) {
        throw std::invalid_argument("usage: unfilter");
    }
    std::vector<LONG> ids;
    viewpoint.getAvailableFilters(ids);
    if (ids.empty()) {
        throw std::invalid_argument("no filter to remove");
    }
    FilterCommandRef command = new_command(viewpoint);
    command->RemoveAllFilters();
    return command;
}

}  // namespace

bool isFilterCommand(std::string const& word) {
    return word == "filter" || word == "unfilter";
}

bool runFilterCommand(ZELT_o::Viewpoint& viewpoint, CommandHistory& history, EventPrinter& events,
                      std::vector<std::string> const& words, std::ostream& out, std::ostream& err) {
    try {
        if (words.size() == 1 && words[0] == "filter") {
            list(viewpoint, out);
            return true;
        }
        if (std::find(words.begin(), words.end(), ";") != words.end()) {
            throw std::invalid_argument("\"" + words[0] + "\" cannot be part of a transaction");
        }
        FilterCommandRef command = words[0] == "unfilter" ? unfilter_command(viewpoint, words)
                                                          : filter_command(viewpoint, words);
        history.execute(command, joined(words.begin(), words.end()));
        for (std::string const& event : events.take()) {
            out << "  event: " << event << "\n";
        }
        list(viewpoint, out);
        return true;
    } catch (std::invalid_argument const& error) {
        err << error.what() << "\n";
    } catch (BaseError const& error) {
        err << error.what() << "\n";
    } catch (ResultError const& error) {
        err << error.what() << "\n";
    }
    return false;
}

}  // namespace pova_tool
