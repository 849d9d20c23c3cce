#include "Session.h"

#include "FormatCommand.h"

#include <basekit/BaseError.h>
#include <memcube/SalesCube.h>
#include <pova/Chunk.h>
#include <pova/ChunkHandler.h>
#include <pova/Dimension.h>
#include <pova/Factories.h>
#include <pova/Member.h>
#include <pova/ViewResultSet.h>

#include <charconv>
#include <cstdio>
#include <iomanip>
#include <ostream>
#include <stdexcept>

namespace pova_tool {

namespace {

// A bad command line: the message says what was expected.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

LONG number(std::string const& text) {
    LONG value = 0;
    auto const [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw UsageError("expected a number, not \"" + text + "\"");
    }
    return value;
}

ZELT_o::Viewpoint::AxisType axisTypeOf(std::string const& text) {
    static std::pair<char const*, ZELT_o::Viewpoint::AxisType> const names[] = {
        {"view", ZELT_o::Viewpoint::kView},
        {"slice", ZELT_o::Viewpoint::kSlice},
        {"hidden", ZELT_o::Viewpoint::kHidden},
        {"excluded", ZELT_o::Viewpoint::kExcluded}};
    for (auto const& [name, type] : names) {
        if (PovaString(text).strcmp(name, true) == 0) {
            return type;
        }
    }
    LONG const value = number(text);
    if (value < 1 || value > 4) {
        throw UsageError("an axis type is view, slice, hidden or excluded (or 1 to 4)");
    }
    return static_cast<ZELT_o::Viewpoint::AxisType>(value);
}

// Keeps every chunk a result set delivers.
class ChunkCollector : public ZELT_o::ChunkHandler {
public:
    bool handleChunk(ZELT_o::Chunk* chunk, bool) override {
        fChunks.push_back(support::Ref<ZELT_o::Chunk>::adopt(chunk));
        return true;
    }
    std::vector<support::Ref<ZELT_o::Chunk>> fChunks;
};

// The captions of an axis's tuples (innermost members joined by "/").
std::vector<std::string> axisLabels(ZELT_o::ViewResultSet& result, LONG axis, LONG count) {
    std::vector<std::string> labels;
    if (count <= 0) {
        return labels;
    }
    ChunkCollector collector;
    result.requestAxisChunks(&collector, axis, 0, count - 1);
    for (auto const& chunk : collector.fChunks) {
        auto* axisChunk = dynamic_cast<ZELT_o::AxisChunk*>(chunk.get());
        for (LONG i = 0; axisChunk != nullptr && i < axisChunk->getValueCount(); ++i) {
            std::string label;
            for (LONG depth = 0; depth < axisChunk->getDepth(); ++depth) {
                ZELT_o::Member* member = axisChunk->getMember(i, depth);
                label += (depth == 0 ? "" : "/") +
                         (member != nullptr ? member->getCaption().string() : std::string("?"));
            }
            labels.push_back(label);
        }
    }
    return labels;
}

std::string cellText(VARIANT const& value) {
    char text[32];
    switch (value.vt) {
        case VT_EMPTY:
            return "";
        case VT_R8:
            std::snprintf(text, sizeof text, "%.2f", value.dblVal);
            return text;
        case VT_I4:
            return std::to_string(value.lVal);
        default: {
            basekit::Variant copy(value);
            basekit::Variant converted;
            if (FAILED(VariantChangeType(converted.get(), copy.get(), 0, VT_BSTR))) {
                return "?";
            }
            PovaString string;
            string.fillFromBSTR(converted->bstrVal);
            return string.string();
        }
    }
}

}  // namespace

Session::Session()
    : fCube(memcube::makeSalesCube()),
      fViewpoint(support::Ref<common::ViewpointCommon>::adopt(
          static_cast<common::ViewpointCommon*>(createCommonViewpoint()))) {
    fViewpoint->addListener(&fEvents);
    fViewpoint->setCube(fCube.get(), 2, 1);
    fEvents.take();
}

Session::~Session() {
    fViewpoint->removeListener(&fEvents);
    fViewpoint->setCube(nullptr, 2, 1);
}

std::vector<Session::Command> const& Session::commands() {
    static std::vector<Command> const table = {
        {"layout", "", "print the axes and their dimensions", 0, &Session::layout},
        {"cells", "", "print the cells of the current layout (first rows and columns)", 0,
         &Session::cells},
        {"move", "FROM_AXIS FROM_POS TO_AXIS TO_POS",
         "move a dimension (TO_POS may be one past the end)", 4, &Session::move},
        {"swap", "AXIS POS AXIS POS", "swap two dimensions", 4, &Session::swap},
        {"swapaxes", "A B", "swap the contents of two axes", 2, &Session::swapAxes},
        {"axistype", "AXIS TYPE", "set an axis's type: view, slice, hidden or excluded", 2,
         &Session::axisType},
        {"nulls", "AXIS on|off", "exclude (on) or show (off) empty lines of an axis", 2,
         &Session::nulls},
    };
    return table;
}

void Session::printHelp(std::ostream& out) {
    out << "usage: pova [COMMAND ARGUMENTS...]\n"
           "With a command, runs it on a fresh viewpoint of the sample \"Sales\" cube. Without\n"
           "one, reads one command per line from standard input (a prompt when it is a\n"
           "terminal), all on the same viewpoint.\n\ncommands:\n";
    for (Command const& command : commands()) {
        std::string const head = std::string(command.name) + " " + command.arguments;
        out << "  " << std::left << std::setw(40) << head << command.help << "\n";
    }
    out << "  " << std::left << std::setw(40) << "format [OPTIONS]"
        << "print the number format string the options describe (format --help)\n";
    out << "  " << std::left << std::setw(40) << "refused COMMAND"
        << "in a script: run a command that is expected to be refused\n";
    out << "  " << std::left << std::setw(40) << "help"
        << "this list\n";
}

bool Session::execute(std::vector<std::string> const& words, std::ostream& out, std::ostream& err) {
    if (words.empty()) {
        return true;
    }
    if (words[0] == "help" || words[0] == "--help") {
        printHelp(out);
        return true;
    }
    if (words[0] == "format") {
        return runFormatCommand({words.begin() + 1, words.end()}, out, err) == 0;
    }
    for (Command const& command : commands()) {
        if (words[0] != command.name) {
            continue;
        }
        Arguments const args(words.begin() + 1, words.end());
        try {
            if (args.size() != command.argumentCount) {
                throw UsageError(std::string("usage: ") + command.name + " " + command.arguments);
            }
            return (this->*command.run)(args, out);
        } catch (UsageError const& error) {
            err << error.what() << "\n";
        } catch (BaseError const& error) {
            print_events(out);
            err << error.what() << "\n";
        } catch (ResultError const& error) {
            err << error.what() << "\n";
        }
        return false;
    }
    err << "unknown command \"" << words[0] << "\" (try help)\n";
    return false;
}

void Session::print_layout(std::ostream& out) {
    LONG const axes = fViewpoint->countAxes() + fViewpoint->countPagedAxes();
    for (LONG axis = 0; axis < axes; ++axis) {
        out << "axis " << axis << " (" << axisTypeName(fViewpoint->getAxisType(axis)) << ")";
        if (fViewpoint->isAxisNULLFiltered(axis)) {
            out << " [empty lines excluded]";
        }
        out << ":";
        char const* separator = " ";
        for (ZELT_o::Dimension* dimension : fViewpoint->getAxisDimensions(axis)) {
            out << separator << dimension->getName().string();
            separator = ", ";
        }
        out << "\n";
    }
}

void Session::print_events(std::ostream& out) {
    for (std::string const& event : fEvents.take()) {
        out << "  event: " << event << "\n";
    }
}

bool Session::layout(Arguments const&, std::ostream& out) {
    print_layout(out);
    return true;
}

bool Session::cells(Arguments const&, std::ostream& out) {
    constexpr LONG kRows = 12;
    constexpr LONG kColumns = 6;
    auto result = support::adopt(fViewpoint->query(nullptr));
    if (!result) {
        out << "no result\n";
        return false;
    }
    LONG const columns = result->getAxisCount() > 0 ? result->getAxisLength(0) : 1;
    LONG const rows = result->getAxisCount() > 1 ? result->getAxisLength(1) : 1;
    std::vector<std::string> const columnLabels =
        axisLabels(*result, 0, std::min(columns, kColumns));
    std::vector<std::string> const rowLabels = axisLabels(*result, 1, std::min(rows, kRows));
    out << std::setw(24) << "";
    for (std::string const& label : columnLabels) {
        out << std::setw(14) << label.substr(0, 13);
    }
    out << "\n";
    for (LONG row = 0; row < std::min(rows, kRows); ++row) {
        std::string const label = row < static_cast<LONG>(rowLabels.size()) ? rowLabels[row] : "";
        out << std::left << std::setw(24) << label.substr(0, 23) << std::right;
        ChunkCollector collector;
        LONG const first = row * columns;
        result->requestCellChunks(&collector, first, first + std::min(columns, kColumns) - 1);
        for (auto const& chunk : collector.fChunks) {
            for (LONG i = 0; i < chunk->getValueCount(); ++i) {
                basekit::Variant value;
                chunk->getValue(i, value.get());
                out << std::setw(14) << cellText(*value);
            }
        }
        out << "\n";
    }
    out << "(" << rows << " rows, " << columns << " columns)\n";
    return true;
}

bool Session::move(Arguments const& args, std::ostream& out) {
    ZELT_o::DimensionPosition from{number(args[0]), number(args[1])};
    ZELT_o::DimensionPosition to{number(args[2]), number(args[3])};
    fViewpoint->doMoveDim(from, to);
    fViewpoint->sendEvents();
    print_events(out);
    print_layout(out);
    return true;
}

bool Session::swap(Arguments const& args, std::ostream& out) {
    ZELT_o::DimensionPosition a{number(args[0]), number(args[1])};
    ZELT_o::DimensionPosition b{number(args[2]), number(args[3])};
    fViewpoint->doSwapDim(a, b);
    print_events(out);
    print_layout(out);
    return true;
}

bool Session::swapAxes(Arguments const& args, std::ostream& out) {
    fViewpoint->doSwapAxes(number(args[0]), number(args[1]));
    print_events(out);
    print_layout(out);
    return true;
}

bool Session::axisType(Arguments const& args, std::ostream& out) {
    LONG const axis = number(args[0]);
    ZELT_o::Viewpoint::AxisType const type = axisTypeOf(args[1]);
    fViewpoint->doChangeAxisType(axis, type);
    std::vector<std::string> events = fEvents.take();
    if (events.empty()) {
        out << "axis " << axis << " keeps its type (a view axis cannot change, and the axis "
            << "must exist)\n";
    }
    for (std::string const& event : events) {
        out << "  event: " << event << "\n";
    }
    print_layout(out);
    return !events.empty();
}

bool Session::nulls(Arguments const& args, std::ostream& out) {
    bool exclude = false;
    if (args[1] == "on") {
        exclude = true;
    } else if (args[1] != "off") {
        throw UsageError("usage: nulls AXIS on|off");
    }
    fViewpoint->setAxisExcludeNULLs(number(args[0]), exclude);
    print_events(out);
    print_layout(out);
    return true;
}

}  // namespace pova_tool
