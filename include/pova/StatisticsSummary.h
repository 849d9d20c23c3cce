/// @class ZELT_o::StatisticsSummary
/// Summary statistics and trend lines of a row or column of data.
///
/// Every operation returns a common::ErrorInfo::ErrorCode (0 success, 1 failure, 2 a required
/// argument or object missing, 3 an unexpected exception) and keeps the error as the object's
/// last error. Getters write through the pointer they are given without testing it. One thread
/// at a time, like the viewpoint whose data it reads.
#pragma once

#include <basekit/ErrorInfoBase.h>
#include <basekit/WinTypes.h>
#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

namespace ZELT_o {

class Viewpoint;

class POVA_API StatisticsSummary : public support::RefCount {
public:
    /// What every operation returns (0 success).
    using ErrorCode = common::ErrorInfo::ErrorCode;

    /// The viewpoint whose data is summarised; the summary holds a reference to it.
    virtual ErrorCode setStatsViewpoint(Viewpoint* viewpoint) = 0;
    ///@{
    /// Gather line `index` (1-based) of the viewpoint's data, a row for orientation 2 and a
    /// column otherwise, and compute the summary or the trend of the regression type.
    virtual ErrorCode doCalcStatisticsSummary(LONG index, short orientation) = 0;
    virtual ErrorCode doCalcTrendProperties(LONG index, short orientation) = 0;
    ///@}

    ///@{
    /// The summary of the last gathering: mean, median, population and sample standard deviations
    /// and variances, lower and upper quartiles and their range, minimum and maximum.
    virtual ErrorCode getMean(double* retVal) = 0;
    virtual ErrorCode getMedian(double* retVal) = 0;
    virtual ErrorCode getStdDevP(double* retVal) = 0;
    virtual ErrorCode getStdDevS(double* retVal) = 0;
    virtual ErrorCode getVarianceP(double* retVal) = 0;
    virtual ErrorCode getVarianceS(double* retVal) = 0;
    virtual ErrorCode getQuartileLower(double* retVal) = 0;
    virtual ErrorCode getQuartileUpper(double* retVal) = 0;
    virtual ErrorCode getQuartileRange(double* retVal) = 0;
    virtual ErrorCode getMinimum(double* retVal) = 0;
    virtual ErrorCode getMaximum(double* retVal) = 0;
    ///@}
    ///@{
    /// The trend line of the last gathering: its coefficients a, b and c, the F probability and
    /// value, the goodness of fit, R squared, the standard error, and the error, total and
    /// regression sums of squares.
    virtual ErrorCode getACoeff(double* retVal) = 0;
    virtual ErrorCode getBCoeff(double* retVal) = 0;
    virtual ErrorCode getCCoeff(double* retVal) = 0;
    virtual ErrorCode getFProb(double* retVal) = 0;
    virtual ErrorCode getFValue(double* retVal) = 0;
    virtual ErrorCode getGoodFit(double* retVal) = 0;
    virtual ErrorCode getRSquared(double* retVal) = 0;
    virtual ErrorCode getStdError(double* retVal) = 0;
    virtual ErrorCode getSSE(double* retVal) = 0;
    virtual ErrorCode getSST(double* retVal) = 0;
    virtual ErrorCode getSSR(double* retVal) = 0;
    ///@}
    ///@{
    /// Cells without a usable value, and values used, of the last gathering.
    virtual ErrorCode getNumNull(LONG* retVal) = 0;
    virtual ErrorCode getNumObs(LONG* retVal) = 0;
    ///@}
    ///@{
    /// Regression types: 1 linear, 2 exponential, 3 geometric, 4 hyperbola, 5 modified
    /// hyperbola, 6 rational, 7 quadratic, 8 best fit (only as the regression type; the best
    /// fit's family is then getBestFit).
    virtual ErrorCode getRegType(short* retVal) = 0;
    virtual ErrorCode getBestFit(short* retVal) = 0;
    virtual ErrorCode putRegType(short type) = 0;
    ///@}

    StatisticsSummary(StatisticsSummary const&) = delete;
    StatisticsSummary& operator=(StatisticsSummary const&) = delete;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    StatisticsSummary(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~StatisticsSummary() override;
};

}  // namespace ZELT_o
