// Small cubes the memcube tests share, and the names of what they hold.
#pragma once

#include <memcube/CubeBuilder.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>

#include <algorithm>

namespace memcube_test {

// Time: Year > Quarter > Month, with a ragged branch (2024 has only Q1, which has no months),
// and the hierarchy Season > Month over the same leaves in another order (Winter: Jan, Feb and
// 2024's Q1; Spring: Apr); Store: one level, the last store without facts and with a "]" in
// its name; Measures: Amount.
inline support::Ref<memcube::MemCube> makeCalendarCube() {
    return memcube::CubeBuilder("Calendar")
        .hierarchy(
            "Time", {"Year", "Quarter", "Month"},
            {{"2023", "Q1", "Jan"}, {"2023", "Q1", "Feb"}, {"2023", "Q2", "Apr"}, {"2024", "Q1"}})
        .alternateHierarchy("Time", "Season", {"Season", "Month"},
                            {{"Winter", "[Time].[2023].[Q1].[Jan]"},
                             {"Spring", "Apr"},
                             {"Winter", "Feb"},
                             {"Winter", "[Time].[2024].[Q1]"}})
        .dimension("Store", {"North", "South", "East]"})
        .measures({"Amount"})
        .fact({"[Time].[2023].[Q1].[Jan]", "North"}, {10})
        .fact({"Feb", "South"}, {20})
        .fact({"Apr", "North"}, {40})
        .fact({"[Time].[2024].[Q1]", "South"}, {80})
        .build();
}

// A 2x2x2 cube whose Values are powers of two, so that every sum names the facts under it
// (a2b2c2 has two facts, 16 and 32; a1b2c2 and a2b1c2 none). Count is 1 for each fact.
inline support::Ref<memcube::MemCube> makeTinyCube() {
    memcube::CubeBuilder builder("Tiny");
    builder.dimension("A", {"a1", "a2"}).dimension("B", {"b1", "b2"}).dimension("C", {"c1", "c2"});
    builder.measures({"Value", "Count"});
    char const* const facts[][3] = {{"a1", "b1", "c1"}, {"a1", "b1", "c2"}, {"a1", "b2", "c1"},
                                    {"a2", "b1", "c1"}, {"a2", "b2", "c2"}, {"a2", "b2", "c2"}};
    double value = 1;
    for (auto const& fact : facts) {
        builder.fact({fact[0], fact[1], fact[2]}, {value, 1});
        value *= 2;
    }
    return builder.build();
}

// The unique name of a part, or "null".
template <class Part>
std::string nameOf(Part const* part) {
    return part != nullptr ? part->getUniqueName().string() : "null";
}

template <class Part>
std::vector<std::string> namesOf(std::vector<Part*> const& parts) {
    std::vector<std::string> names(parts.size());
    std::transform(parts.begin(), parts.end(), names.begin(), nameOf<Part>);
    return names;
}

inline std::vector<ZELT_o::Member*> membersOf(ZELT_o::MemberSet& set) {
    std::vector<ZELT_o::Member*> members;
    set.getMembers(members);
    return members;
}

// A dimension's active set: the level below the All member, or the measures.
inline std::vector<ZELT_o::Member*> topMembers(ZELT_o::Dimension& dimension) {
    return membersOf(*support::adopt(dimension.getDefaultHierarchy()->createMemberSet(0, nullptr)));
}

}  // namespace memcube_test
