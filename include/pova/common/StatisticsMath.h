/// @file
/// The numerical routines of statistics summaries: descriptive statistics of a set of values,
/// least-squares trend lines of seven families with their goodness-of-fit statistics, and the
/// incomplete beta function that gives the probability of a fit's F value.
///
/// Free functions without state; any thread may call them.
#pragma once

#include <basekit/OleAuto.h>
#include <pova/pova_export.h>

#include <cstddef>
#include <span>
#include <vector>

namespace common::statistics {

/// Whether a cell's value takes part, and as what: a double as it is; a date never; anything
/// else converted to a double, refused when it does not convert. Positive infinity is refused.
POVA_API bool UsableCellValue(VARIANT const& cell, double& value);

/// Trend families; kBestFit picks the best of the others by adjusted R².
enum RegressionType : short {
    kLinear = 1,
    kExponential = 2,
    kGeometric = 3,
    kHyperbola = 4,
    kModifiedHyperbola = 5,
    kRational = 6,
    kQuadratic = 7,
    kBestFit = 8,
};

/// ln Γ(x) for x > 0 (Lanczos approximation, about 1e-10 relative).
POVA_API double CalcGammln(double x);
///@{
/// The continued fraction of the incomplete beta function (modified Lentz method). Stops after
/// kMaxBetacfIterations steps when it does not converge, as with non-finite arguments.
inline constexpr int kMaxBetacfIterations = 10000;
POVA_API double CalcBetacf(double a, double b, double x);
///@}
/// The regularised incomplete beta function I_x(a, b), 0 <= x <= 1.
POVA_API double CalcBetai(double a, double b, double x);

/// The summary statistics of a list of values.
struct Summary {
    ///@{
    /// Mean, median, population and sample standard deviations and variances, lower and upper
    /// quartiles and their range, minimum and maximum.
    double mean = 0;
    double median = 0;
    double stdDevP = 0;
    double stdDevS = 0;
    double varianceP = 0;
    double varianceS = 0;
    double quartileLower = 0;
    double quartileUpper = 0;
    double quartileRange = 0;
    double minimum = 0;
    double maximum = 0;
    ///@}
};

/// The summary of `values` (at least one); sorts them ascending in place.
POVA_API Summary CalcStatisticsSummary(std::vector<double>& values);
/// Lower and upper quartile of ascending values (0 and 0 for fewer than three).
POVA_API void CalcQuartiles(std::span<double const> sorted, double& lower, double& upper);

/// A trend line and its statistics. A fit updates every field except `bestFit`, which only a
/// best-fit search sets, and `c`, which only the quadratic sets.
struct Trend {
    ///@{
    /// The family a best fit chose; the coefficients a, b, c; the F probability and value; the
    /// goodness of fit (adjusted R squared); R squared; the standard error; the error, total and
    /// regression sums of squares.
    short bestFit = 0;
    double a = 0;
    double b = 0;
    double c = 0;
    double fProb = 0;
    double fValue = 0;
    double goodFit = 0;
    double rSquared = 0;
    double stdError = 0;
    double sse = 0;
    double sst = 0;
    double ssr = 0;
    ///@}
};

/// Fits one family (kLinear .. kQuadratic) to y at x = 1 .. n (n = y.size() > 2) and computes
/// its statistics (without the standard error). Other types leave the trend as it is.
POVA_API void CalcFit(short type, std::span<double const> y, Trend& trend);
/// SSR, R², adjusted R², F and its probability from the trend's SSE and SST, for n values.
POVA_API void CalcStats(Trend& trend, std::size_t n);
/// The trend of `type` (1 .. 8) over y (n > 2), including the standard error. A best fit
/// skips the exponential and geometric fits when any value is <= 0, the modified-hyperbola
/// and rational fits when any value is 0, and the quadratic for n <= 3; a later candidate
/// wins only with a strictly larger adjusted R².
POVA_API void CalcTrend(short type, std::span<double const> y, bool anyNonPositive, bool anyZero,
                        Trend& trend);

}  // namespace common::statistics
