#include <basekit/BaseError.h>
#include <basekit/OleAuto.h>
#include <pova/Chunk.h>
#include <pova/PropertySpecification.h>
#include <pova/ViewResultSet.h>
#include <pova/common/StatisticsMath.h>
#include <pova/common/StatisticsSummaryCommon.h>
#include <pova/common/SynchronousChunkHandler.h>
#include <pova/support/InstanceCounter.h>
#include <pova/support/Module.h>

#include <exception>
#include <limits>
#include <string>

namespace ZELT_o {

namespace {

support::InstanceCounter gInstances;

constexpr MessageCode kUnexpectedFailure = 0xC20170A5u;
constexpr MessageCode kMissingArgument = 0xC20170A6u;
// What the viewpoint raises when a query gives no result set.
constexpr MessageCode kNoResultSet = 0xC2011200u;
// Orientation of a line along axis 0 (a row); any other is a column.
constexpr short kRowOrientation = 2;

BaseError missing_argument(char const* function, char const* argument) {
    return BaseError(kMissingArgument, support::componentName())
        .addInsert(PovaString("Function ") + function + " , parameter " + argument +
                   " was equal to " + "NULL");
}

}  // namespace

StatisticsSummaryCommon::StatisticsSummaryCommon()
    : StatisticsSummary("StatisticsSummary", gInstances.next()),
      fName(PovaString::build("StatisticsSummary%d", static_cast<int>(getInstance()))) {}

StatisticsSummaryCommon::~StatisticsSummaryCommon() = default;

template <class Body>
StatisticsSummary::ErrorCode StatisticsSummaryCommon::guarded(char const* function, Body&& body) {
    try {
        body();
        return common::ErrorInfo::kSuccess;
    } catch (BaseError const& error) {
        return fail(error, error.code() == kMissingArgument ? common::ErrorInfo::kNullArgument
                                                            : common::ErrorInfo::kFailure);
    } catch (ResultError const& error) {
        // A plain result code from the query or the result set is kept as an error of its own.
        return fail(BaseError(static_cast<MessageCode>(error.result()), support::componentName()),
                    common::ErrorInfo::kFailure);
    } catch (...) {
        BaseError unexpected(kUnexpectedFailure, support::componentName(), 2);
        unexpected.addInsert(PovaString("StatisticsSummaryCommon::") + function);
        return fail(unexpected, common::ErrorInfo::kUnexpected);
    }
}

StatisticsSummary::ErrorCode StatisticsSummaryCommon::fail(AnyError const& error,
                                                           ErrorCode result) {
    error.log(support::moduleLog());
    SetLastError(&error);
    return result;
}

StatisticsSummary::ErrorCode StatisticsSummaryCommon::setStatsViewpoint(Viewpoint* viewpoint) {
    return guarded("setStatsViewpoint", [&] {
        if (viewpoint == nullptr) {
            throw missing_argument("StatisticsSummaryCommon::setStatsViewpoint", "viewpoint");
        }
        fViewpoint = support::retain(viewpoint);
    });
}

StatisticsSummary::ErrorCode StatisticsSummaryCommon::doCalcStatisticsSummary(LONG index,
                                                                              short orientation) {
    return guarded("doCalcStatisticsSummary", [&] {
        getDataFromViewpoint(index, orientation);
        CalcStatisticsSummary();
    });
}

StatisticsSummary::ErrorCode StatisticsSummaryCommon::doCalcTrendProperties(LONG index,
                                                                            short orientation) {
    return guarded("doCalcTrendProperties", [&] {
        getDataFromViewpoint(index, orientation);
        CalcTrendProperties();
    });
}

void StatisticsSummaryCommon::getDataFromViewpoint(LONG index, short orientation) {
    if (!fViewpoint) {
        throw BaseError(kMissingArgument, support::componentName())
            .addInsert(
                "Method StatisticsSummaryCommon::getDataFromViewpoint was called but the "
                "viewpoint had not been set");
    }
    fValues.clear();
    fNumNull = 0;
    fNumNonPositive = 0;
    fNumZero = 0;
    std::vector<PropertySpecification> properties;
    auto const resultSet = support::adopt(fViewpoint->query(&properties));
    if (!resultSet) {
        throw BaseError(kNoResultSet, support::interfaceModule());
    }
    LONG const columns = resultSet->getAxisLength(0);
    LONG const rows = resultSet->getAxisLength(1);
    if (columns == 0 || rows == 0) {
        fNumObs = 0;
        fNumNull = 0;
        return;
    }
    // A row is C adjacent cells. A column is the cell at row k, k·C after its first cell, for
    // k = 0 .. R-1: the cell range of the request spans the whole column, other columns
    // included, and only every C-th cell of it belongs to the column.
    bool const row = orientation == kRowOrientation;
    LONG const first = row ? (index - 1) * columns + 1 : index;
    LONG last = row ? columns * index : (rows - 1) * columns + index;
    LONG const count = row ? columns : rows;
    LONG const stride = row ? 1 : columns;
    if (last - 1 == -1) {
        last = std::numeric_limits<LONG>::max();
    } else {
        --last;
    }
    common::SynchronousChunkHandler handler(resultSet.get(), first - 1, last);
    handler.StartFetch();
    fNumObs = 0;
    // Offset of the next delivered cell from the first cell of the request; chunks arrive in
    // order and without gaps, and a line may span several of them.
    LONG offset = 0;
    while (auto const chunk = support::adopt(handler.GetChunk())) {
        LONG const values = chunk->getValueCount();
        for (LONG i = 0; i < values; ++i, ++offset) {
            if (offset % stride != 0 || offset / stride >= count) {
                continue;
            }
            ++fNumObs;
            VARIANT cell;
            VariantInit(&cell);
            chunk->getValue(i, &cell);
            double value = 0;
            bool const used = common::statistics::UsableCellValue(cell, value);
            VariantClear(&cell);
            if (!used) {
                --fNumObs;
                ++fNumNull;
                continue;
            }
            fValues.push_back(value);
            if (value <= 0) {
                ++fNumNonPositive;
                if (value == 0) {
                    ++fNumZero;
                }
            }
        }
    }
}

void StatisticsSummaryCommon::CalcStatisticsSummary() {
    if (fNumObs <= 0) {
        return;
    }
    common::statistics::Summary const s = common::statistics::CalcStatisticsSummary(fValues);
    fMean = s.mean;
    fMedian = s.median;
    fStdDevP = s.stdDevP;
    fStdDevS = s.stdDevS;
    fVarianceP = s.varianceP;
    fVarianceS = s.varianceS;
    fQuartileLower = s.quartileLower;
    fQuartileUpper = s.quartileUpper;
    fQuartileRange = s.quartileRange;
    fMinimum = s.minimum;
    fMaximum = s.maximum;
}

void StatisticsSummaryCommon::CalcTrendProperties() {
    if (fNumObs <= 2) {
        return;
    }
    common::statistics::Trend t{fBestFit, fA,        fB,        fC,   fFProb, fFValue,
                                fGoodFit, fRSquared, fStdError, fSSE, fSST,   fSSR};
    common::statistics::CalcTrend(fRegType, fValues, fNumNonPositive > 0, fNumZero > 0, t);
    fBestFit = t.bestFit;
    fA = t.a;
    fB = t.b;
    fC = t.c;
    fFProb = t.fProb;
    fFValue = t.fValue;
    fGoodFit = t.goodFit;
    fRSquared = t.rSquared;
    fStdError = t.stdError;
    fSSE = t.sse;
    fSST = t.sst;
    fSSR = t.ssr;
}

// Getters cannot fail; they still answer through the convention of every operation.
#define POVA_STATISTICS_GETTER(Name, Type, field)                              \
    StatisticsSummary::ErrorCode StatisticsSummaryCommon::Name(Type* retVal) { \
        return guarded(#Name, [&] { *retVal = field; });                       \
    }
POVA_STATISTICS_GETTER(getMean, double, fMean)
POVA_STATISTICS_GETTER(getMedian, double, fMedian)
POVA_STATISTICS_GETTER(getStdDevP, double, fStdDevP)
POVA_STATISTICS_GETTER(getStdDevS, double, fStdDevS)
POVA_STATISTICS_GETTER(getVarianceP, double, fVarianceP)
POVA_STATISTICS_GETTER(getVarianceS, double, fVarianceS)
POVA_STATISTICS_GETTER(getQuartileLower, double, fQuartileLower)
POVA_STATISTICS_GETTER(getQuartileUpper, double, fQuartileUpper)
POVA_STATISTICS_GETTER(getQuartileRange, double, fQuartileRange)
POVA_STATISTICS_GETTER(getMinimum, double, fMinimum)
POVA_STATISTICS_GETTER(getMaximum, double, fMaximum)
POVA_STATISTICS_GETTER(getACoeff, double, fA)
POVA_STATISTICS_GETTER(getBCoeff, double, fB)
POVA_STATISTICS_GETTER(getCCoeff, double, fC)
POVA_STATISTICS_GETTER(getFProb, double, fFProb)
POVA_STATISTICS_GETTER(getFValue, double, fFValue)
POVA_STATISTICS_GETTER(getGoodFit, double, fGoodFit)
POVA_STATISTICS_GETTER(getRSquared, double, fRSquared)
POVA_STATISTICS_GETTER(getStdError, double, fStdError)
POVA_STATISTICS_GETTER(getSSE, double, fSSE)
POVA_STATISTICS_GETTER(getSST, double, fSST)
POVA_STATISTICS_GETTER(getSSR, double, fSSR)
POVA_STATISTICS_GETTER(getNumNull, LONG, fNumNull)
POVA_STATISTICS_GETTER(getNumObs, LONG, fNumObs)
POVA_STATISTICS_GETTER(getRegType, short, fRegType)
POVA_STATISTICS_GETTER(getBestFit, short, fBestFit)
#undef POVA_STATISTICS_GETTER

StatisticsSummary::ErrorCode StatisticsSummaryCommon::putRegType(short type) {
    return guarded("putRegType", [&] { fRegType = type; });
}

}  // namespace ZELT_o
