// Statistics summaries: the summary and quartile rules, the seven fits and the best fit against
// independently computed values, the incomplete beta function, the error-code convention and
// gathering a row or a column of a viewpoint's data.
#include <basekit/BaseError.h>
#include <memcube/CubeBuilder.h>
#include <pova/Chunk.h>
#include <pova/Factories.h>
#include <pova/ViewResultSet.h>
#include <pova/common/StatisticsMath.h>
#include <pova/common/StatisticsSummaryCommon.h>
#include <pova/common/ViewpointCommon.h>

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace {

using namespace common::statistics;

void expectClose(double actual, double expected, double relative, char const* what) {
    EXPECT_NEAR(actual, expected, relative * std::max(1.0, std::fabs(expected))) << what;
}

TEST(StatisticsMath, SummaryAndQuartileRules) {
    struct Case {
        std::vector<double> values;
        double mean, median, varP, varS, lower, upper, minimum, maximum;
    };
    // By hand: n + 1 = 6 interpolates; n + 1 = 4 takes s0 and s2; n + 1 = 7 weighs .25 and .75.
    Case const cases[] = {
        {{5, 3, 1, 4, 2}, 3, 3, 2, 2.5, 1.5, 4.5, 1, 5},
        {{3, 1, 2}, 2, 2, 2.0 / 3, 1, 1, 3, 1, 3},
        {{7}, 7, 7, 0, 0, 0, 0, 7, 7},
        {{6, 5, 4, 3, 2, 1}, 3.5, 3.5, 35.0 / 12, 3.5, 1.75, 5.25, 1, 6},
    };
    for (Case c : cases) {
        Summary const s = CalcStatisticsSummary(c.values);
        double const actual[] = {s.mean,          s.median,        s.varianceP, s.varianceS,
                                 s.quartileLower, s.quartileUpper, s.minimum,   s.maximum};
        double const expected[] = {c.mean,  c.median, c.varP,    c.varS,
                                   c.lower, c.upper,  c.minimum, c.maximum};
        for (int i = 0; i < 8; ++i) {
            expectClose(actual[i], expected[i], 1e-15, std::to_string(i).c_str());
        }
        EXPECT_DOUBLE_EQ(s.quartileRange, c.upper - c.lower);
    }
}

// y = 1.2, 1.9, 3.1, 4.8, 7.4, 11, 16.9 at x = 1 .. 7.
std::vector<double> const kGrowth{1.2, 1.9, 3.1, 4.8, 7.4, 11, 16.9};

TEST(StatisticsMath, EveryFitMatchesAnIndependentComputation) {
    // mpmath at 40 digits: each family's least squares on the transformed data, the quadratic's
    // normal equations solved exactly, and F's probability from mpmath.betainc.
    struct Case {
        short type;
        double a, b, c, sse, rSquared, goodFit, fValue, fProb;
    } const cases[] = {
        {kLinear, -3.3285714285714282, 2.4857142857142856, 0, 19.822857142857134,
         0.89719958512372207, 0.87663950214846648, 43.637936004612295, 0.0011954084781557518},
        {kExponential, 0.79951447529434933, 1.5525484544065646, 0, 0.34616655326685244,
         0.99820479636029933, 0.99784575563235919, 2780.1993442001306, 4.6391861484513659e-8},
        {kGeometric, 0.90130654186162599, 1.3463969615984074, 0, 23.570001135669553,
         0.87776707071441184, 0.85332048485729421, 35.905507453870073, 0.0018570257751461495},
        {kHyperbola, 11.342921747355496, -12.766014634733845, 0, 102.96928916377563,
         0.46600605708517592, 0.3592072685022111, 4.3634020878726267, 0.091029724245705693},
        // A negative F: its probability has no real value.
        {kModifiedHyperbola, 0.793789005604991, -0.1207408612234262, 0, 1341.2726437992236,
         -5.9557775274815283, -7.3469330329778339, -4.2811730995930307, NAN},
        {kRational, 0.90827621953729962, -0.025607365505080906, 0, 64.020709188476603,
         0.66799158073837881, 0.60158989688605457, 10.059859057550049, 0.024766860603149777},
        {kQuadratic, 2.3571428571428563, -1.3047619047619041, 0.47380952380952371,
         0.96523809523809376, 0.9949943201461945, 0.99399318417543341, 993.86531820424411,
         6.0299611042904553e-7},
    };
    for (Case const& c : cases) {
        Trend t;
        CalcTrend(c.type, kGrowth, false, false, t);
        SCOPED_TRACE(c.type);
        expectClose(t.a, c.a, 1e-9, "A");
        expectClose(t.b, c.b, 1e-9, "B");
        expectClose(t.c, c.c, 1e-9, "C");
        expectClose(t.sse, c.sse, 1e-9, "SSE");
        expectClose(t.sst, 192.8285714285714, 1e-12, "SST");
        expectClose(t.rSquared, c.rSquared, 1e-9, "R2");
        expectClose(t.goodFit, c.goodFit, 1e-9, "adjusted R2");
        expectClose(t.fValue, c.fValue, 1e-9, "F");
        EXPECT_EQ(std::isnan(t.fProb), std::isnan(c.fProb));
        if (!std::isnan(c.fProb)) {
            EXPECT_NEAR(t.fProb, c.fProb, 1e-6 * c.fProb);
        }
        EXPECT_DOUBLE_EQ(t.stdError, std::sqrt(t.sse / 5));
    }
}

TEST(StatisticsMath, BestFitSkipsExcludedFamiliesAndKeepsTheQuadraticsC) {
    struct Case {
        bool nonPositive, zero;
        std::size_t n;
        short best;
    } const cases[] = {
        {false, false, 7, kExponential}, {false, true, 7, kExponential},
        {true, false, 7, kQuadratic},    {true, true, 7, kQuadratic},
        {true, true, 3, kLinear},  // No quadratic for three values.
    };
    for (Case const& c : cases) {
        Trend t;
        t.c = 42;
        std::span<double const> y(kGrowth.data(), c.n);
        CalcTrend(kBestFit, y, c.nonPositive, c.zero, t);
        Trend alone;
        CalcTrend(c.best, y, false, false, alone);
        EXPECT_EQ(t.bestFit, c.best);
        EXPECT_DOUBLE_EQ(t.a, alone.a);
        EXPECT_DOUBLE_EQ(t.goodFit, alone.goodFit);
        // The quadratic's C stays even when it loses; untried, C is left alone.
        EXPECT_NEAR(t.c, c.n > 3 ? 0.47380952380952371 : 42, 1e-9);
    }
}

TEST(StatisticsMath, ExactDataFitsExactly) {
    std::vector<double> line, parabola;
    for (int x = 1; x <= 10000; ++x) {
        line.push_back(2.0 * x + 1);
        parabola.push_back(3 + 0.5 * x + 0.001 * x * x);
    }
    Trend t;
    CalcTrend(kLinear, std::span(line).first(5), false, false, t);
    EXPECT_EQ(t.sse, 0);
    EXPECT_EQ(t.rSquared, 1);
    EXPECT_EQ(t.goodFit, 1);
    EXPECT_EQ(t.fProb, 0);
    CalcTrend(kQuadratic, parabola, false, false, t);
    EXPECT_NEAR(t.a, 3, 1e-9);
    EXPECT_NEAR(t.b, 0.5, 1e-12);
    EXPECT_NEAR(t.c, 0.001, 1e-15);
}

TEST(StatisticsMath, CellsWithoutANumberAreRefused) {
    auto const cell = [](VARTYPE vt, double number, char16_t const* text = nullptr) {
        VARIANT v;
        VariantInit(&v);
        v.vt = vt;
        if (text != nullptr) {
            v.bstrVal = SysAllocString(text);
        } else if (vt == VT_I4) {
            v.lVal = static_cast<LONG>(number);
        } else {
            v.dblVal = number;  // VT_R8 and VT_DATE
        }
        return v;
    };
    struct Case {
        VARIANT cell;
        bool used;
        double value;
    } cases[] = {
        {cell(VT_R8, 2.5), true, 2.5},        {cell(VT_I4, -4), true, -4},
        {cell(VT_EMPTY, 0), true, 0},         {cell(VT_BSTR, 0, u"3.5"), true, 3.5},
        {cell(VT_BSTR, 0, u"abc"), false, 0}, {cell(VT_DATE, 39704.5), false, 0},
        {cell(VT_R8, INFINITY), false, 0},    {cell(VT_R8, 1), true, 1},
    };
    for (Case& c : cases) {
        double value = 0;
        EXPECT_EQ(UsableCellValue(c.cell, value), c.used);
        EXPECT_EQ(c.used ? value : 0, c.value);
        VariantClear(&c.cell);
    }
}

TEST(StatisticsMath, IncompleteBetaMatchesReferenceValues) {
    // I_x(a, b) from mpmath (betainc, and quadrature where its series fails), 30 digits; x is
    // one standard deviation below the mean and half of one above.
    struct Case {
        double a, b, x, expected;
    } const cases[] = {
        {0.5, 0.5, 0.14644660940672624, 0.25},
        {0.5, 0.5, 0.6767766952966369, 0.61502672808130793},
        {0.5, 5000, 1e-06, 0.079653709663197402},
        {0.5, 5000, 0.00017068300560226565, 0.80861067601509574},
        {5000, 0.5, 0.9997586239897953, 0.12026005782560601},
        {5000, 0.5, 0.9999707030036025, 0.58833015686484129},
        {2.5, 7, 0.12726374223833625, 0.16483908531541922},
        {2.5, 7, 0.33110497098609504, 0.71184053273890299},
        {100, 100, 0.4647327192070701, 0.15925942395487342},
        {100, 100, 0.517633640396465, 0.69085900174152233},
        {1000, 20, 0.9760530339237983, 0.15711977146908552},
        {1000, 20, 0.9825617183322185, 0.6721566973237215},
        {5000, 5000, 0.4950002499812516, 0.15866735216521557},
        {5000, 5000, 0.5024998750093742, 0.69145035969107379},
        {0.5, 100, 1e-06, 0.011269323912823429},
        {0.5, 100, 0.008466977145988042, 0.80723555744516138},
        {5000, 1, 0.9996001199640112, 0.13536234668487185},
        {5000, 1, 0.9999000000059968, 0.60651551381223251},
        {2, 4500, 0.00013022159186501666, 0.11734598730366477},
        {2, 4500, 0.0006012597060666032, 0.75256780302027681},
    };
    for (Case const& c : cases) {
        EXPECT_NEAR(CalcBetai(c.a, c.b, c.x), c.expected, 1e-6 * c.expected)
            << c.a << ", " << c.b << ", " << c.x;
    }
    EXPECT_TRUE(std::isnan(CalcBetai(1.5, 0.5, NAN)));  // Ends despite never converging.
    EXPECT_FALSE(std::isfinite(CalcBetacf(1.5, 0.5, INFINITY)));
}

using SummaryRef = support::Ref<ZELT_o::StatisticsSummaryCommon>;
using ZELT_o::StatisticsSummary;

SummaryRef makeSummary() {
    return SummaryRef::adopt(new ZELT_o::StatisticsSummaryCommon);
}

TEST(StatisticsSummary, ErrorsFollowTheResultCodeConvention) {
    SummaryRef const first = makeSummary();
    SummaryRef const second = makeSummary();
    EXPECT_EQ(second->getName(),
              PovaString::build("StatisticsSummary%d", static_cast<int>(first->getInstance() + 1)));
    // No viewpoint, then a viewpoint without a cube, whose query fails.
    EXPECT_EQ(first->setStatsViewpoint(nullptr), common::ErrorInfo::kNullArgument);
    EXPECT_EQ(first->GetLastError()->code(), 0xC20170A6u);
    EXPECT_EQ(first->doCalcStatisticsSummary(1, 2), common::ErrorInfo::kNullArgument);
    auto const viewpoint = support::adopt(createCommonViewpoint());
    EXPECT_EQ(first->setStatsViewpoint(viewpoint.get()), common::ErrorInfo::kSuccess);
    EXPECT_EQ(first->doCalcTrendProperties(1, 2), common::ErrorInfo::kFailure);
    EXPECT_EQ(first->GetLastError()->code(), 0xC2011200u);
}

// Columns c0 .. c1499 on axis 0, rows r0 .. r2 on axis 1; cell (ci, rj) holds 1500·j + i + 1,
// except (c5, r1), which is empty and reads as 0. A row spans two chunks of at most 1024
// cells, and the cells of a column lie in three.
TEST(StatisticsSummary, ReadsARowOrAColumnOfAViewpointAcrossChunks) {
    memcube::CubeBuilder builder("Grid");
    std::vector<std::string> columns;
    for (int i = 0; i < 1500; ++i) {
        columns.push_back("c" + std::to_string(i));
    }
    builder.dimension("C", columns).dimension("R", {"r0", "r1", "r2"}).measures({"V"});
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 1500; ++i) {
            if (i != 5 || j != 1) {
                builder.fact({columns[static_cast<std::size_t>(i)], "r" + std::to_string(j)},
                             {1500.0 * j + i + 1});
            }
        }
    }
    auto const cube = builder.build();
    auto const viewpoint = support::adopt(createCommonViewpoint());
    viewpoint->setCube(cube.get(), 2, 1);
    SummaryRef const summary = makeSummary();
    ASSERT_EQ(summary->setStatsViewpoint(viewpoint.get()), common::ErrorInfo::kSuccess);
    LONG count = 0;
    double mean = 0;
    double minimum = 0;
    ASSERT_EQ(summary->doCalcStatisticsSummary(2, 2), common::ErrorInfo::kSuccess);
    summary->getNumObs(&count);
    summary->getMean(&mean);
    summary->getMinimum(&minimum);
    EXPECT_EQ(count, 1500);
    EXPECT_DOUBLE_EQ(mean, 3374244.0 / 1500);  // 1501 .. 3000 without 1506
    EXPECT_EQ(minimum, 0);
    // Column c2 (index 3): 3, 1503, 3003, a straight line.
    summary->putRegType(kBestFit);
    ASSERT_EQ(summary->doCalcTrendProperties(3, 1), common::ErrorInfo::kSuccess);
    EXPECT_EQ(summary->getValues(), (std::vector<double>{3, 1503, 3003}));
    double a = 0;
    double b = 0;
    short best = 0;
    summary->getACoeff(&a);
    summary->getBCoeff(&b);
    summary->getBestFit(&best);
    EXPECT_EQ(best, kLinear);
    EXPECT_DOUBLE_EQ(a, -1497);
    EXPECT_DOUBLE_EQ(b, 1500);
}

}  // namespace
