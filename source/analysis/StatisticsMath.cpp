#include <pova/common/StatisticsMath.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace common::statistics {

namespace {

// Magnitudes below this are replaced by it in the continued fraction, so that no step divides
// by zero.
constexpr double kTiny = 1e-30;
constexpr double kBetacfTolerance = 3e-7;

double not_tiny(double value) {
    return std::fabs(value) < kTiny ? kTiny : value;
}

// The straight-line families: how x and y are transformed, and how the fitted line maps back.
struct LineFamily {
    double (*transformX)(double);
    double (*transformY)(double);
    // X̄ over x = 1 .. n.
    double (*meanX)(std::size_t n);
    // The stored coefficients from the intercept a and slope b of Y = a + b·X.
    void (*store)(double a, double b, Trend& trend);
    double (*fitted)(Trend const& trend, double x);
};

double identity(double v) {
    return v;
}
double reciprocal(double v) {
    return 1.0 / v;
}
double logarithm(double v) {
    return std::log(v);
}

double mean_of_positions(std::size_t n) {
    auto const count = static_cast<double>(n);
    return count * (count + 1) * 0.5 / count;
}
double mean_of_reciprocals(std::size_t n) {
    double sum = 0;
    for (std::size_t k = 1; k <= n; ++k) {
        sum += 1.0 / static_cast<double>(k);
    }
    return sum / static_cast<double>(n);
}
double mean_of_logarithms(std::size_t n) {
    double sum = 0;
    for (std::size_t k = 1; k <= n; ++k) {
        sum += std::log(static_cast<double>(k));
    }
    return sum / static_cast<double>(n);
}

void store_plain(double a, double b, Trend& trend) {
    trend.a = a;
    trend.b = b;
}
void store_exponential(double a, double b, Trend& trend) {
    trend.a = std::exp(a);
    trend.b = std::exp(b);
}
void store_geometric(double a, double b, Trend& trend) {
    trend.a = std::exp(a);
    trend.b = b;
}
// The rational family keeps the slope as A and the intercept as B.
void store_swapped(double a, double b, Trend& trend) {
    trend.a = b;
    trend.b = a;
}

LineFamily const& family(short type) {
    static constexpr std::array<LineFamily, 6> kFamilies{{
        {identity, identity, mean_of_positions, store_plain,
         [](Trend const& t, double x) { return t.a + t.b * x; }},
        {identity, logarithm, mean_of_positions, store_exponential,
         [](Trend const& t, double x) { return t.a * std::pow(t.b, x); }},
        {logarithm, logarithm, mean_of_logarithms, store_geometric,
         [](Trend const& t, double x) { return t.a * std::pow(x, t.b); }},
        {reciprocal, identity, mean_of_reciprocals, store_plain,
         [](Trend const& t, double x) { return t.b / x + t.a; }},
        {identity, reciprocal, mean_of_positions, store_plain,
         [](Trend const& t, double x) { return 1.0 / (t.b * x + t.a); }},
        {reciprocal, reciprocal, mean_of_reciprocals, store_swapped,
         [](Trend const& t, double x) { return 1.0 / (t.a / x + t.b); }},
    }};
    return kFamilies[static_cast<std::size_t>(type - kLinear)];
}

double mean(std::span<double const> y) {
    double sum = 0;
    for (double v : y) {
        sum += v;
    }
    return sum / static_cast<double>(y.size());
}

// SSE and SST of the fitted values against y.
void sum_squares(std::span<double const> y, std::vector<double> const& fitted, Trend& trend) {
    double const yMean = mean(y);
    trend.sse = 0;
    trend.sst = 0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        trend.sse += (y[i] - fitted[i]) * (y[i] - fitted[i]);
        trend.sst += (y[i] - yMean) * (y[i] - yMean);
    }
}

void fit_line(short type, std::span<double const> y, Trend& trend) {
    LineFamily const& line = family(type);
    std::size_t const n = y.size();
    double const xMean = line.meanX(n);
    double sumY = 0;
    double sxx = 0;
    double sxy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        double const dx = line.transformX(static_cast<double>(i + 1)) - xMean;
        double const ty = line.transformY(y[i]);
        sumY += ty;
        sxx += dx * dx;
        sxy += dx * ty;
    }
    double const b = sxy / sxx;
    double const a = sumY / static_cast<double>(n) - b * xMean;
    line.store(a, b, trend);
    std::vector<double> fitted(n);
    for (std::size_t i = 0; i < n; ++i) {
        fitted[i] = line.fitted(trend, static_cast<double>(i + 1));
    }
    sum_squares(y, fitted, trend);
}

// Solves the 3×3 system m·s = r by Gaussian elimination with partial pivoting.
std::array<double, 3> solve3(std::array<std::array<double, 3>, 3> m, std::array<double, 3> r) {
    for (std::size_t col = 0; col < 3; ++col) {
        std::size_t pivot = col;
        for (std::size_t row = col + 1; row < 3; ++row) {
            if (std::fabs(m[row][col]) > std::fabs(m[pivot][col])) {
                pivot = row;
            }
        }
        std::swap(m[col], m[pivot]);
        std::swap(r[col], r[pivot]);
        for (std::size_t row = col + 1; row < 3; ++row) {
            double const factor = m[row][col] / m[col][col];
            for (std::size_t k = col; k < 3; ++k) {
                m[row][k] -= factor * m[col][k];
            }
            r[row] -= factor * r[col];
        }
    }
    std::array<double, 3> s{};
    for (std::size_t i = 3; i-- > 0;) {
        double v = r[i];
        for (std::size_t k = i + 1; k < 3; ++k) {
            v -= m[i][k] * s[k];
        }
        s[i] = v / m[i][i];
    }
    return s;
}

// The normal equations are built on x shifted to its mean: the power sums of x itself grow
// like n⁵ and leave the system ill-conditioned. The sums are accumulated in long double, and
// the coefficients turned back into the form A + B·x + C·x² in long double, because A comes
// from a difference of terms far larger than itself.
void fit_quadratic(std::span<double const> y, Trend& trend) {
    std::size_t const n = y.size();
    double const shift = mean_of_positions(n);
    std::array<long double, 5> px{};   // Σu^k, k = 0 .. 4
    std::array<long double, 3> pxy{};  // Σu^k·y, k = 0 .. 2
    for (std::size_t i = 0; i < n; ++i) {
        long double const u = static_cast<long double>(i + 1) - shift;
        long double power = 1;
        for (std::size_t k = 0; k < 5; ++k) {
            px[k] += power;
            if (k < 3) {
                pxy[k] += power * y[i];
            }
            power *= u;
        }
    }
    std::array<std::array<double, 3>, 3> m{};
    for (std::size_t row = 0; row < 3; ++row) {
        for (std::size_t col = 0; col < 3; ++col) {
            m[row][col] = static_cast<double>(px[row + col]);
        }
    }
    auto const [a0, b0, c0] = solve3(
        m, {static_cast<double>(pxy[0]), static_cast<double>(pxy[1]), static_cast<double>(pxy[2])});
    long double const s = shift;
    trend.a = static_cast<double>(a0 - b0 * s + c0 * s * s);
    trend.b = static_cast<double>(b0 - 2 * c0 * s);
    trend.c = c0;
    std::vector<double> fitted(n);
    for (std::size_t i = 0; i < n; ++i) {
        double const u = static_cast<double>(i + 1) - shift;
        fitted[i] = a0 + b0 * u + c0 * u * u;
    }
    sum_squares(y, fitted, trend);
}

void set_std_error(Trend& trend, std::size_t n) {
    trend.stdError = n >= 3 ? std::sqrt(trend.sse / static_cast<double>(n - 2)) : 0;
}

}  // namespace

bool UsableCellValue(VARIANT const& cell, double& value) {
    if (cell.vt == VT_R8) {
        value = cell.dblVal;
    } else if (cell.vt == VT_DATE) {
        return false;
    } else {
        VARIANT converted;
        VariantInit(&converted);
        if (FAILED(VariantChangeType(&converted, &cell, 0, VT_R8))) {
            return false;
        }
        value = converted.dblVal;
    }
    // Positive infinity is the one value other than 0 and 1 that is its own square.
    return !(value * value == value && value != 0 && value != 1);
}

double CalcGammln(double x) {
    static constexpr std::array<double, 6> kCoefficients{76.18009172947146,    -86.50532032941678,
                                                         24.01409824083091,    -1.231739572450155,
                                                         0.001208650973866179, -5.395239384953e-06};
    double tmp = x + 5.5;
    tmp -= (x + 0.5) * std::log(tmp);
    double ser = 1.000000000190015;
    double y = x;
    for (double c : kCoefficients) {
        ser += c / ++y;
    }
    return -tmp + std::log(2.5066282746310007 * ser / x);
}

double CalcBetacf(double a, double b, double x) {
    double const qab = a + b;
    double const qap = a + 1;
    double const qam = a - 1;
    double c = 1;
    double d = 1.0 / not_tiny(1 - qab * x / qap);
    double h = d;
    for (int m = 1; m <= kMaxBetacfIterations; ++m) {
        double const m2 = 2.0 * m;
        double aa = m * (b - m) * x / ((qam + m2) * (a + m2));
        d = 1.0 / not_tiny(1 + aa * d);
        c = not_tiny(1 + aa / c);
        h *= d * c;
        aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
        d = 1.0 / not_tiny(1 + aa * d);
        c = not_tiny(1 + aa / c);
        double const del = d * c;
        h *= del;
        if (std::fabs(del - 1) < kBetacfTolerance) {
            break;
        }
    }
    return h;
}

double CalcBetai(double a, double b, double x) {
    double const bt = x == 0 || x == 1
                          ? 0
                          : std::exp(CalcGammln(a + b) - CalcGammln(a) - CalcGammln(b) +
                                     a * std::log(x) + b * std::log(1 - x));
    if (x < (a + 1) / (a + b + 2.0)) {
        return bt * CalcBetacf(a, b, x) / a;
    }
    return 1 - bt * CalcBetacf(b, a, 1 - x) / b;
}

void CalcQuartiles(std::span<double const> s, double& lower, double& upper) {
    std::size_t const n = s.size();
    if (n < 3) {
        lower = 0;
        upper = 0;
        return;
    }
    std::size_t const m = n + 1;
    if (m % 4 == 0) {
        lower = s[m / 4 - 1];
        upper = s[3 * (m / 4) - 1];
        return;
    }
    std::size_t const k = m / 4;
    double const p = static_cast<double>(m) * 0.25;
    double const f = p - static_cast<double>(k);
    lower = (1 - f) * s[k - 1] + f * s[k];
    double const q = 3.0 * p;
    auto const j = static_cast<std::size_t>(std::floor(q));
    double const g = q - static_cast<double>(j);
    upper = (1 - g) * s[j - 1] + g * s[j];
}

Summary CalcStatisticsSummary(std::vector<double>& values) {
    Summary summary;
    std::size_t const n = values.size();
    if (n == 0) {
        return summary;
    }
    auto const count = static_cast<double>(n);
    summary.mean = mean(values);
    double squares = 0;
    for (double v : values) {
        squares += (v - summary.mean) * (v - summary.mean);
    }
    summary.varianceP = squares / count;
    summary.stdDevP = std::sqrt(summary.varianceP);
    if (n >= 2) {
        summary.varianceS = count * summary.varianceP / (count - 1);
        summary.stdDevS = std::sqrt(summary.varianceS);
    }
    if (n < 2) {
        summary.median = summary.minimum = summary.maximum = summary.mean;
    } else {
        std::sort(values.begin(), values.end());
        summary.median =
            n % 2 == 0 ? (values[n / 2 - 1] + values[n / 2]) * 0.5 : values[(n - 1) / 2];
        summary.minimum = values.front();
        summary.maximum = values.back();
    }
    CalcQuartiles(values, summary.quartileLower, summary.quartileUpper);
    summary.quartileRange = summary.quartileUpper - summary.quartileLower;
    return summary;
}

void CalcStats(Trend& trend, std::size_t n) {
    trend.ssr = trend.sst - trend.sse;
    trend.rSquared = trend.ssr / trend.sst;
    double f = 0;
    if (n < 3) {
        trend.goodFit = 0;
    } else {
        auto const count = static_cast<double>(n);
        trend.goodFit = 1 - (count - 1) * trend.sse / ((count - 2) * trend.sst);
        f = trend.ssr / (trend.sse / (count - 2));
    }
    trend.fValue = f;
    double const freedom = static_cast<double>(n) - 2;
    trend.fProb = CalcBetai(0.5 * freedom, 0.5, freedom / (freedom + f));
}

void CalcFit(short type, std::span<double const> y, Trend& trend) {
    if (type >= kLinear && type <= kRational) {
        fit_line(type, y, trend);
    } else if (type == kQuadratic) {
        fit_quadratic(y, trend);
    } else {
        return;
    }
    CalcStats(trend, y.size());
}

void CalcTrend(short type, std::span<double const> y, bool anyNonPositive, bool anyZero,
               Trend& trend) {
    if (type != kBestFit) {
        CalcFit(type, y, trend);
        if (type >= kLinear && type <= kQuadratic) {
            set_std_error(trend, y.size());
        }
        return;
    }
    CalcFit(kLinear, y, trend);
    trend.bestFit = kLinear;
    Trend best = trend;
    auto const attempt = [&](short candidate) {
        CalcFit(candidate, y, trend);
        if (trend.goodFit > best.goodFit) {
            trend.bestFit = candidate;
            // The quadratic's values stay in the trend itself.
            if (candidate != kQuadratic) {
                best = trend;
            }
        }
    };
    if (!anyNonPositive) {
        attempt(kExponential);
        attempt(kGeometric);
    }
    if (!anyZero) {
        attempt(kModifiedHyperbola);
        attempt(kRational);
    }
    attempt(kHyperbola);
    if (y.size() > 3) {
        attempt(kQuadratic);
    }
    if (trend.bestFit != kQuadratic) {
        double const c = trend.c;
        short const bestFit = trend.bestFit;
        trend = best;
        trend.c = c;
        trend.bestFit = bestFit;
    }
    set_std_error(trend, y.size());
}

}  // namespace common::statistics
