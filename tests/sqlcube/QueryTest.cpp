// Queries on the sample, checked against sums computed directly from the generated facts; and
// the statement text of a plain pivot on each dialect.
#include "Backends.h"

#include <sqlcube/Errors.h>
#include <sqlcube/SqlEngine.h>
#include <starschema/StarSchema.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace sqlcube;
using namespace sqlcube_test;
using Filter = MeasureFilter;
using Sums = std::array<std::int64_t, 2>;  // Revenue in cents, quantity.

MemberRef member(std::string dimension, std::string level, std::vector<std::string> path) {
    return {std::move(dimension), std::move(level), std::move(path)};
}
std::vector<MemberRef> months(int year) {
    std::vector<MemberRef> list;
    for (int m = 1; m <= 12; ++m) {
        char name[16];
        std::snprintf(name, sizeof name, "%d-%02d", year, m);
        list.push_back(
            member("Date", "Month",
                   {std::to_string(year),
                    std::to_string(year) + "-Q" + std::to_string((m - 1) / 3 + 1), name}));
    }
    return list;
}
std::vector<MemberRef> categories() {
    std::vector<MemberRef> list;
    for (char c = '1'; c <= '5'; ++c) {
        list.push_back(member("Product", "Category", {std::string("MFGR#") + c}));
    }
    return list;
}
MemberRef const kEurope = member("Customer", "Region", {"Europe"});
QueryAxis axis(std::vector<std::vector<MemberRef>> nests, std::optional<AxisSort> sort = {},
               std::optional<std::size_t> top = {}, std::optional<Filter> filter = {}) {
    return {std::move(nests), true, std::move(sort), top, std::move(filter), {}};
}
QuerySpec query(std::vector<QueryAxis> axes, std::vector<MemberRef> slices,
                std::vector<std::string> measures) {
    return {std::move(axes), std::move(slices), std::move(measures)};
}
Filter compare(std::string measure, Filter::Comparison comparison, double value) {
    return {Filter::Kind::kCompare, std::move(measure), comparison, value, {}};
}

bool matches(MemberRef const& m, starschema::Fact const& fact) {
    std::size_t const d = m.dimension == "Date" ? 0 : m.dimension == "Customer" ? 1 : 2;
    auto const& row = starschema::dimensions()[d].rows[static_cast<std::size_t>(fact.keys[d])];
    return std::equal(m.path.begin(), m.path.end(), row.begin());
}

// The query computed from the facts themselves: every non-empty cell of the cross join, then
// the axis filters, then the top counts (by totals over the other axes), as the engine does.
std::map<CellKey, Sums> reference(QuerySpec const& spec, std::vector<std::vector<Tuple>>& axes) {
    std::map<CellKey, Sums> cells;
    std::vector<std::vector<Tuple>> all(spec.axes.size(), std::vector<Tuple>{{}});
    for (std::size_t a = 0; a < spec.axes.size(); ++a) {
        for (auto const& nest : spec.axes[a].nests) {
            std::vector<Tuple> grown;
            for (Tuple const& t : all[a]) {
                for (MemberRef const& m : nest) {
                    grown.push_back(t);
                    grown.back().push_back(m);
                }
            }
            all[a] = grown;
        }
    }
    for (std::uint64_t i = 0; i < kSampleFacts; ++i) {
        auto const fact = starschema::fact(i);
        if (!std::all_of(spec.slices.begin(), spec.slices.end(),
                         [&](MemberRef const& m) { return matches(m, fact); })) {
            continue;
        }
        std::vector<CellKey> keys{{}};
        for (auto const& tuples : all) {
            std::vector<CellKey> grown;
            for (Tuple const& t : tuples) {
                if (std::all_of(t.begin(), t.end(),
                                [&](auto const& m) { return matches(m, fact); })) {
                    for (CellKey k : keys) {
                        k.push_back(t);
                        grown.push_back(k);
                    }
                }
            }
            keys = grown;
        }
        for (CellKey const& key : keys) {
            cells[key][0] += fact.revenueCents;
            cells[key][1] += fact.quantity;
        }
    }
    auto const value = [](Sums const& s, std::string const& measure) {
        return measure == "Revenue" ? static_cast<double>(s[0]) / 100 : static_cast<double>(s[1]);
    };
    std::function<bool(Filter const&, Sums const&)> passes = [&](Filter const& f, Sums const& s) {
        if (f.kind == Filter::Kind::kCompare) {
            double const v = value(s, f.measure);
            return f.comparison == Filter::Comparison::kGreater ? v > f.value : v < f.value;
        }
        bool const all = f.kind == Filter::Kind::kAnd;
        for (Filter const& operand : f.operands) {
            if (passes(operand, s) != all) {
                return !all;
            }
        }
        return all;
    };
    std::vector<std::map<Tuple, Sums>> totals(spec.axes.size());
    for (auto const& [key, sums] : cells) {
        for (std::size_t a = 0; a < key.size(); ++a) {
            totals[a][key[a]][0] += sums[0];
            totals[a][key[a]][1] += sums[1];
        }
    }
    auto const keep = [&](auto const& test) {
        std::erase_if(cells, [&](auto const& cell) {
            for (std::size_t a = 0; a < cell.first.size(); ++a) {
                if (!test(a, cell.first[a])) {
                    return true;
                }
            }
            return false;
        });
    };
    keep([&](std::size_t a, Tuple const& t) {
        return !spec.axes[a].filter || passes(*spec.axes[a].filter, totals[a][t]);
    });
    axes.assign(spec.axes.size(), {});
    for (std::size_t a = 0; a < spec.axes.size(); ++a) {
        for (auto const& [key, sums] : cells) {
            if (std::find(axes[a].begin(), axes[a].end(), key[a]) == axes[a].end()) {
                axes[a].push_back(key[a]);
            }
        }
        if (auto const& sort = spec.axes[a].sort) {
            std::stable_sort(axes[a].begin(), axes[a].end(), [&](Tuple const& x, Tuple const& y) {
                double const vx = value(totals[a][x], sort->measure);
                double const vy = value(totals[a][y], sort->measure);
                return sort->descending ? vx > vy : vx < vy;
            });
        }
        if (spec.axes[a].top && axes[a].size() > *spec.axes[a].top) {
            axes[a].resize(*spec.axes[a].top);
        }
    }
    keep([&](std::size_t a, Tuple const& t) {
        return std::find(axes[a].begin(), axes[a].end(), t) != axes[a].end();
    });
    return cells;
}

struct Case {
    char const* name;
    QuerySpec spec;
};

void PrintTo(Case const& test, std::ostream* out) {
    *out << test.name;
}

std::vector<Case> cases() {
    auto const year = [](char const* y) { return member("Date", "Year", {y}); };
    QueryAxis const mixed =
        axis({{year("1992"), months(1993)[0], months(1993)[11], member("Date", "", {})},
              {member("Product", "Brand", {"MFGR#2", "MFGR#201"}), categories()[0]}});
    std::vector<MemberRef> brands;
    for (int b = 1; b <= 10; ++b) {
        char name[16];
        std::snprintf(name, sizeof name, "MFGR#3%02d", b);
        brands.push_back(member("Product", "Brand", {"MFGR#3", name}));
    }
    Filter const either{Filter::Kind::kOr,
                        {},
                        {},
                        0,
                        {compare("Quantity", Filter::Comparison::kGreater, 10150),
                         compare("Revenue", Filter::Comparison::kLess, 9000000)}};
    Filter const both{Filter::Kind::kAnd,
                      {},
                      {},
                      0,
                      {compare("Quantity", Filter::Comparison::kGreater, 1600),
                       compare("Revenue", Filter::Comparison::kLess, 1800000)}};
    std::vector<MemberRef> const regions{member("Customer", "Region", {"Africa"}),
                                         member("Customer", "Region", {"Asia"}), kEurope};
    return {
        {"PivotMonthsByCategoryInEurope",
         query({axis({months(1993)}), axis({categories()})}, {kEurope}, {"Revenue", "Quantity"})},
        {"MixedLevelsAndNests",
         query({mixed, axis({{kEurope, member("Customer", "Nation", {"Asia", "Japan"})}})}, {},
               {"Quantity"})},
        {"AllMembersOnly",
         query({axis({{member("Date", "", {})}})}, {member("Product", "", {})}, {"Revenue"})},
        {"SortTopOneAxis", query({axis({brands}, AxisSort{"Revenue", true}, 3)}, {}, {"Revenue"})},
        {"FilterOneAxisWithOr",
         query({axis({categories()}, {}, {}, either)}, {kEurope}, {"Revenue", "Quantity"})},
        {"MixedLevelsRankedOnTwoAxes",
         query({axis(mixed.nests, AxisSort{"Quantity", true}, 2),
                axis({{kEurope, member("Customer", "Nation", {"Asia", "Japan"})}},
                     AxisSort{"Quantity", false})},
               {}, {"Quantity"})},
        {"SortTopFilterOnOneOfTwoAxes",
         query({axis({months(1994)}, AxisSort{"Revenue", true}, 5, both),
                axis({regions}, AxisSort{"Quantity", false})},
               {}, {"Quantity"})},
    };
}

class Query : public ::testing::TestWithParam<std::tuple<Kind, Case>> {};

TEST_P(Query, GivesTheSumsOfTheFacts) {
    auto const& [kind, test] = GetParam();
    SqlEngine engine(sampleDatabase(kind), describeSample());
    QueryResult const result = engine.run(test.spec);
    std::vector<std::vector<Tuple>> axes;
    auto const expected = reference(test.spec, axes);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(result.cellCount(), expected.size()) << engine.lastQuery();
    for (auto const& [key, sums] : expected) {
        for (std::size_t m = 0; m < test.spec.measures.size(); ++m) {
            std::size_t const which = test.spec.measures[m] == "Revenue" ? 0 : 1;
            Value const* raw = result.raw(key, m);
            ASSERT_NE(raw, nullptr) << engine.lastQuery();
            EXPECT_EQ(toText(*raw), std::to_string(sums[which]));
            EXPECT_DOUBLE_EQ(*result.value(key, m),
                             static_cast<double>(sums[which]) / (which == 0 ? 100 : 1));
        }
    }
    for (std::size_t a = 0; a < axes.size(); ++a) {
        std::vector<Tuple> tuples = result.axisTuples(a);
        if (!test.spec.axes[a].sort) {
            std::sort(tuples.begin(), tuples.end());
            std::sort(axes[a].begin(), axes[a].end());
        }
        EXPECT_EQ(tuples, axes[a]) << "axis " << a;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, Query,
                         ::testing::Combine(::testing::Values(Kind::kSqlite, Kind::kPostgres),
                                            ::testing::ValuesIn(cases())),
                         [](auto const& info) {
                             return std::string(std::get<1>(info.param).name) +
                                    (std::get<0>(info.param) == Kind::kSqlite ? "_sqlite"
                                                                              : "_postgres");
                         });

TEST(QueryText, IsOneGroupedStatementWithEveryNameBound) {
    QuerySpec const spec =
        query({axis({{member("Date", "Year", {"1992"}), member("Date", "Year", {"1993"})}}),
               axis({{categories()[0]}})},
              {kEurope}, {"Revenue"});
    std::string const shape =
        "SELECT d0.\"year\" AS c0, 0 AS c1, d2.\"category\" AS c2, 0 AS c3, "
        "SUM(f.\"revenue\") AS m0 FROM \"sales\" AS f "
        "JOIN \"date_dim\" AS d0 ON d0.\"date_key\" = f.\"date_key\" "
        "JOIN \"product_dim\" AS d2 ON d2.\"product_key\" = f.\"product_key\" "
        "WHERE f.\"customer_key\" IN (SELECT s1.\"customer_key\" FROM \"customer_dim\" AS s1 "
        "WHERE (s1.\"region\" = P1)) "
        "AND f.\"date_key\" IN (SELECT s0.\"date_key\" FROM \"date_dim\" AS s0 "
        "WHERE ((s0.\"year\" = P2) OR (s0.\"year\" = P3))) "
        "AND f.\"product_key\" IN (SELECT s2.\"product_key\" FROM \"product_dim\" AS s2 "
        "WHERE ((s2.\"category\" = P4))) "
        "GROUP BY d0.\"year\", d2.\"category\"";
    for (Dialect const* dialect : {&sqliteDialect(), &postgresDialect()}) {
        SqlQuery const query = QueryBuilder(describeSample(), *dialect).build(spec);
        std::string expected = shape;
        for (char n = '1'; n <= '4'; ++n) {
            expected.replace(expected.find(std::string("P") + n), 2, dialect->placeholder(n - '0'));
        }
        EXPECT_EQ(query.text, expected) << dialect->name();
        EXPECT_EQ(query.parameters, (std::vector<Value>{"Europe", "1992", "1993", "MFGR#1"}));
    }
}

// SQLite groups each level apart and joins the groupings by UNION ALL; PostgreSQL groups them
// in one pass with GROUPING SETS, keeping the groups of the members asked for.
TEST(QueryText, MixedLevelsAreGroupedApartAndOneAxisIsRankedInTheStatementItself) {
    Filter const big = compare("Quantity", Filter::Comparison::kGreater, 5);
    QuerySpec const spec = query({axis({{member("Date", "Year", {"1992"}), months(1993)[0]}},
                                       AxisSort{"Revenue", true}, 3, big)},
                                 {}, {"Revenue"});
    struct Case {
        Dialect const* dialect;
        std::vector<std::string> parts;  // in this order in the text
    } const cases[] = {
        {&sqliteDialect(),
         {" HAVING SUM(f.\"quantity\") > ? UNION ALL SELECT ",
          " GROUP BY d0.\"year\", d0.\"quarter\", d0.\"month\" HAVING SUM(f.\"quantity\") > ? "
          "ORDER BY m0 DESC LIMIT ?"}},
        {&postgresDialect(),
         {" GROUP BY GROUPING SETS ((d0.\"year\"), (d0.\"year\", d0.\"quarter\", d0.\"month\")) "
          "HAVING (((-1 + (1 - GROUPING(d0.\"year\"))",
          ") = 0 AND ((d0.\"year\" = $5))) OR (",
          " AND SUM(f.\"quantity\") > $9 ORDER BY m0 DESC LIMIT $10"}},
    };
    for (Case const& c : cases) {
        SqlQuery const q = QueryBuilder(describeSample(), *c.dialect).build(spec);
        std::size_t at = 0;
        for (std::string const& part : c.parts) {
            at = q.text.find(part, at);
            EXPECT_NE(at, std::string::npos) << c.dialect->name() << ": " << part << "\n" << q.text;
        }
        EXPECT_TRUE(q.text.ends_with(c.parts.back())) << q.text;
        EXPECT_EQ(q.parameters.back(), Value(std::int64_t{3}));
    }
}

TEST(QueryText, UnknownNamesAreRefused) {
    QueryBuilder const builder(describeSample(), sqliteDialect());
    for (QuerySpec const& spec :
         {query({}, {member("Store", "Region", {"x"})}, {"Revenue"}),
          query({}, {kEurope, member("Customer", "Region", {"A", "B"})}, {"Revenue"}),
          query({}, {member("Customer", "Planet", {"Earth"})}, {"Revenue"}),
          query({}, {}, {"Profit"}), query({axis({})}, {}, {"Revenue"})}) {
        expectError(kUnknownName, [&] { builder.build(spec); });
    }
}

}  // namespace
