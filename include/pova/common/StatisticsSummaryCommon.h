/// @class ZELT_o::StatisticsSummaryCommon
/// The statistics summary of one row or column of a
/// viewpoint's data, read through the viewpoint's query, with its trend line. Results stay in
/// the fields until the next calculation of the same kind; the numbers come from
/// common::statistics (StatisticsMath.h).
///
/// Counted (born with one reference for its creator); holds one reference to its viewpoint.
/// Each summary numbers itself from a process-wide counter, its name "StatisticsSummary"
/// followed by that number.
#pragma once

#include <basekit/ErrorInfoBase.h>
#include <basekit/PovaString.h>
#include <pova/StatisticsSummary.h>
#include <pova/Viewpoint.h>
#include <pova/pova_export.h>
#include <pova/support/Ref.h>

#include <vector>

namespace ZELT_o {

class POVA_API StatisticsSummaryCommon : public StatisticsSummary, public common::ErrorInfoBase {
public:
    StatisticsSummaryCommon();

    ErrorCode setStatsViewpoint(Viewpoint* viewpoint) override;
    ErrorCode doCalcStatisticsSummary(LONG index, short orientation) override;
    ErrorCode doCalcTrendProperties(LONG index, short orientation) override;

    ErrorCode getMean(double* retVal) override;
    ErrorCode getMedian(double* retVal) override;
    ErrorCode getStdDevP(double* retVal) override;
    ErrorCode getStdDevS(double* retVal) override;
    ErrorCode getVarianceP(double* retVal) override;
    ErrorCode getVarianceS(double* retVal) override;
    ErrorCode getQuartileLower(double* retVal) override;
    ErrorCode getQuartileUpper(double* retVal) override;
    ErrorCode getQuartileRange(double* retVal) override;
    ErrorCode getMinimum(double* retVal) override;
    ErrorCode getMaximum(double* retVal) override;
    ErrorCode getACoeff(double* retVal) override;
    ErrorCode getBCoeff(double* retVal) override;
    ErrorCode getCCoeff(double* retVal) override;
    ErrorCode getFProb(double* retVal) override;
    ErrorCode getFValue(double* retVal) override;
    ErrorCode getGoodFit(double* retVal) override;
    ErrorCode getRSquared(double* retVal) override;
    ErrorCode getStdError(double* retVal) override;
    ErrorCode getSSE(double* retVal) override;
    ErrorCode getSST(double* retVal) override;
    ErrorCode getSSR(double* retVal) override;
    ErrorCode getNumNull(LONG* retVal) override;
    ErrorCode getNumObs(LONG* retVal) override;
    ErrorCode getRegType(short* retVal) override;
    ErrorCode getBestFit(short* retVal) override;
    ErrorCode putRegType(short type) override;

    /// The object's name in traces.
    PovaString const& getName() const { return fName; }
    /// The values of the last gathering (sorted after a summary).
    std::vector<double> const& getValues() const { return fValues; }

protected:
    ~StatisticsSummaryCommon() override;

    /// Reads line `index` (1-based) of the viewpoint's data into fValues and the counts: a row
    /// (orientation 2) or a column. Throws what the query or the result set throws.
    void getDataFromViewpoint(LONG index, short orientation);
    ///@{
    /// Compute the summary, or the trend of the regression type, of the values gathered.
    void CalcStatisticsSummary();
    void CalcTrendProperties();
    ///@}

private:
    // Runs `body` under the error-code convention, naming `function` in the errors.
    template <class Body>
    ErrorCode guarded(char const* function, Body&& body);
    ErrorCode fail(ZELT_o::AnyError const& error, ErrorCode result);

    support::Ref<Viewpoint> fViewpoint;
    LONG fNumObs = 0;
    LONG fNumNull = 0;
    LONG fNumNonPositive = 0;
    LONG fNumZero = 0;
    std::vector<double> fValues;

    double fMean = 0;
    double fMedian = 0;
    double fStdDevP = 0;
    double fStdDevS = 0;
    double fVarianceP = 0;
    double fVarianceS = 0;
    double fQuartileLower = 0;
    double fQuartileUpper = 0;
    double fQuartileRange = 0;
    double fMinimum = 0;
    double fMaximum = 0;

    // Best fit until a caller chooses a family.
    short fRegType = 8;
    short fBestFit = 0;
    double fA = 0;
    double fB = 0;
    double fC = 0;
    double fFProb = 0;
    double fFValue = 0;
    double fGoodFit = 0;
    double fRSquared = 0;
    double fStdError = 0;
    double fSSE = 0;
    double fSST = 0;
    double fSSR = 0;

    PovaString fName;
};

}  // namespace ZELT_o
