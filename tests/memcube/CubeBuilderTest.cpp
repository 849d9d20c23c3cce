// The builder's mistakes and its less common shapes.
#include "ResultReader.h"
#include "SmallCubes.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

using memcube::CubeBuilder;

struct Mistake {
    char const* what;
    std::function<void()> make;
};

TEST(CubeBuilder, MistakesAreReportedAsInvalidArguments) {
    Mistake const mistakes[] = {
        {"two dimensions of one name",
         [] { CubeBuilder("X").dimension("A", {"a"}).dimension("a", {"b"}); }},
        {"a dimension named like the measures",
         [] { CubeBuilder("X").measures({"V"}).dimension("Measures", {"m"}); }},
        {"measures twice", [] { CubeBuilder("X").measures({"V"}).measures({"W"}); }},
        {"no measures", [] { CubeBuilder("X").measures({}); }},
        {"two measures of one name",
         [] {
             CubeBuilder("X").measures({"V", "v"});
         }},
        {"a path longer than the levels",
         [] {
             CubeBuilder("X").hierarchy("T", {"Year"}, {{"2024", "Q1"}});
         }},
        {"an empty path", [] { CubeBuilder("X").hierarchy("T", {"Year"}, {{}}); }},
        {"a fact before the measures",
         [] { CubeBuilder("X").dimension("A", {"a"}).fact({"a"}, {}); }},
        {"a fact with too few members",
         [] { CubeBuilder("X").dimension("A", {"a"}).measures({"V"}).fact({}, {1}); }},
        {"a fact with too many values",
         [] {
             CubeBuilder("X").dimension("A", {"a"}).measures({"V"}).fact({"a"}, {1, 2});
         }},
        {"a dimension after a fact",
         [] {
             CubeBuilder("X")
                 .dimension("A", {"a"})
                 .measures({"V"})
                 .fact({"a"}, {1})
                 .dimension("B", {"b"});
         }},
        {"a build without measures", [] { CubeBuilder("X").dimension("A", {"a"}).build(); }},
        {"an unknown member",
         [] { CubeBuilder("X").dimension("A", {"a"}).measures({"V"}).fact({"b"}, {1}).build(); }},
        {"a member that is not a leaf",
         [] {
             CubeBuilder("X")
                 .hierarchy("T", {"Year", "Month"}, {{"2024", "Jan"}})
                 .measures({"V"})
                 .fact({"2024"}, {1})
                 .build();
         }},
        {"an ambiguous name",
         [] {
             CubeBuilder("X")
                 .hierarchy("T", {"Year", "Month"}, {{"2023", "Jan"}, {"2024", "Jan"}})
                 .measures({"V"})
                 .fact({"Jan"}, {1})
                 .build();
         }},
    };
    for (Mistake const& mistake : mistakes) {
        EXPECT_THROW(mistake.make(), std::invalid_argument) << mistake.what;
    }
}

TEST(CubeBuilder, RaggedPathsRepeatedMembersAndRebuilding) {
    CubeBuilder builder("Ragged");
    builder
        .hierarchy("T", {"Year", "Month"},
                   {{"2023", "Jan"}, {"2024"}, {"2023", "Jan"}, {"2023", "Feb"}})
        .measures({"V"})
        .fact({"[T].[2023].[Jan]"}, {1})
        .fact({"2024"}, {2})
        .fact({"feb"}, {4});
    auto first = builder.build();
    auto second = builder.build();
    EXPECT_NE(first.get(), second.get());
    for (auto const& cube : {first, second}) {
        ZELT_o::Member* y2023 = cube->findMember("[T].[2023]");
        std::vector<ZELT_o::Member*> months;
        y2023->getChildren(months);
        EXPECT_EQ(months.size(), 2u) << "Jan is made once";
        memcube::Layout layout;
        layout.axes = {{{{y2023, cube->findMember("2024"), cube->findMember("Jan")}}}};
        EXPECT_EQ(memcube_test::readCells(*cube->evaluate(layout)),
                  (std::vector<std::optional<double>>{5, 2, 1}));
    }
}

TEST(CubeBuilder, ACubeOfMeasuresAlone) {
    auto cube =
        CubeBuilder("Flat").measures({"V", "W"}).fact({}, {1, 10}).fact({}, {2, 20}).build();
    memcube::Layout layout;
    layout.axes = {{{{cube->findMember("V"), cube->findMember("W")}}}};
    EXPECT_EQ(memcube_test::readCells(*cube->evaluate(layout)),
              (std::vector<std::optional<double>>{3, 30}));
}

}  // namespace
