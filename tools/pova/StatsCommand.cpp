#include "StatsCommand.h"

#include "ClientError.h"
#include "Help.h"

#include <basekit/AnyError.h>
#include <pova/PropertySpecification.h>
#include <pova/ViewResultSet.h>
#include <pova/Viewpoint.h>
#include <pova/common/StatisticsSummaryCommon.h>
#include <pova/support/Ref.h>

#include <cstdio>
#include <ostream>

namespace pova_tool {

namespace {

using Summary = ZELT_o::StatisticsSummaryCommon;
using Getter = common::ErrorInfo::ErrorCode (Summary::*)(double*);

// The families of trend lines, in the order of their type numbers 1 to 7.
constexpr char const* kFamilies[] = {"linear",    "exponential",        "geometric",
                                     "hyperbola", "modified hyperbola", "rational",
                                     "quadratic"};
constexpr char const* kModels[] = {"A + B*x",     "A * B^x",     "A * x^B",        "A + B/x",
                                   "1/(A + B*x)", "1/(A/x + B)", "A + B*x + C*x^2"};

std::string number(double value) {
    if (value != value) {
        return "n/a";
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

// A probability this small is rounding noise of an exact fit: its digits change with the order
// the cells were summed in, so they are not shown.
std::string probability(double value) {
    return value >= 0 && value < 1e-9 ? "<1e-9" : number(value);
}

double read(Summary& summary, Getter getter) {
    double value = 0;
    (summary.*getter)(&value);
    return value;
}

// The error the summary kept, in words.
std::string last_error(Summary const& summary) {
    ZELT_o::AnyError const* error = summary.GetLastError();
    if (error == nullptr) {
        return "the statistics could not be computed";
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", error->code());
    return error->getText(nullptr).string() + " [" + code + "]";
}

}  // namespace

void runStatsCommand(ZELT_o::Viewpoint& viewpoint, std::vector<std::string> const& words,
                     std::ostream& out) {
    std::string const usage = usageOf("stats");
    if (words[0] != "row" && words[0] != "column") {
        throw UsageError("'" + words[0] + "' is neither row nor column", usage);
    }
    bool const row = words[0] == "row";
    // The lines of the grid as it stands: rows are the tuples of axis 1, columns of axis 0.
    std::vector<ZELT_o::PropertySpecification> none;
    auto const result = support::adopt(viewpoint.query(&none));
    LONG const axis = row ? 1 : 0;
    LONG const lines = !result                         ? 0
                       : result->getAxisCount() > axis ? result->getAxisLength(axis)
                                                       : 1;
    if (lines == 0) {
        throw Refusal(std::string("the grid has no ") + (row ? "rows" : "columns"));
    }
    LONG const line = parseInRange(words[1], 1, lines, row ? "the row" : "the column",
                                   "type 'cells' to see the grid");
    // A row runs along the column axis (orientation 2); a column along the row axis.
    short const orientation = words[0] == "row" ? 2 : 1;
    auto summary = support::adopt(new Summary());
    summary->setStatsViewpoint(&viewpoint);
    if (summary->doCalcStatisticsSummary(line, orientation) != 0) {
        throw Refusal(last_error(*summary));
    }
    LONG observations = 0;
    LONG nulls = 0;
    summary->getNumObs(&observations);
    summary->getNumNull(&nulls);
    out << words[0] << " " << line << ": " << observations << " values, " << nulls
        << " without a number\n";
    if (observations == 0) {
        return;
    }
    std::pair<char const*, Getter> const figures[] = {
        {"mean", &Summary::getMean},
        {"median", &Summary::getMedian},
        {"minimum", &Summary::getMinimum},
        {"maximum", &Summary::getMaximum},
        {"lower quartile", &Summary::getQuartileLower},
        {"upper quartile", &Summary::getQuartileUpper},
        {"quartile range", &Summary::getQuartileRange},
        {"std dev (sample)", &Summary::getStdDevS},
        {"std dev (population)", &Summary::getStdDevP},
    };
    for (auto const& [name, getter] : figures) {
        char text[80];
        std::snprintf(text, sizeof text, "  %-22s%16.2f\n", name, read(*summary, getter));
        out << text;
    }
    if (observations < 3) {
        out << "a trend needs three values or more\n";
        return;
    }
    // The best fit first, so that each family's line can say whether it is the one.
    short best = 0;
    summary->putRegType(8);
    if (summary->doCalcTrendProperties(line, orientation) == 0) {
        summary->getBestFit(&best);
    }
    out << "trend lines (x = 1, 2, ... in grid order):\n";
    for (short type = 1; type <= 7; ++type) {
        summary->putRegType(type);
        char text[200];
        if (summary->doCalcTrendProperties(line, orientation) != 0) {
            std::snprintf(text, sizeof text, "  %-19s %s\n", kFamilies[type - 1],
                          last_error(*summary).c_str());
        } else {
            std::string coefficients = "A=" + number(read(*summary, &Summary::getACoeff)) +
                                       " B=" + number(read(*summary, &Summary::getBCoeff));
            if (type == 7) {
                coefficients += " C=" + number(read(*summary, &Summary::getCCoeff));
            }
            std::snprintf(text, sizeof text, "%s %-19s y = %-16s %-34s R2=%s adj=%s P(F)=%s\n",
                          type == best ? "*" : " ", kFamilies[type - 1], kModels[type - 1],
                          coefficients.c_str(),
                          number(read(*summary, &Summary::getRSquared)).c_str(),
                          number(read(*summary, &Summary::getGoodFit)).c_str(),
                          probability(read(*summary, &Summary::getFProb)).c_str());
        }
        out << text;
    }
    out << "(* the best fit: the highest adjusted R2 among the families the values allow)\n";
}

}  // namespace pova_tool
