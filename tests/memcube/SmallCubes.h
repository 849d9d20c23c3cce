// Small cubes the memcube tests share.
#pragma once

#include <memcube/CubeBuilder.h>
#include <pova/Member.h>

namespace memcube_test {

// Time: Year > Quarter > Month, with a ragged branch (2024 has only Q1, which has no months);
// Store: one level; Measures: Amount. Facts at a few leaves.
inline support::Ref<memcube::MemCube> makeCalendarCube() {
    return memcube::CubeBuilder("Calendar")
        .hierarchy(
            "Time", {"Year", "Quarter", "Month"},
            {{"2023", "Q1", "Jan"}, {"2023", "Q1", "Feb"}, {"2023", "Q2", "Apr"}, {"2024", "Q1"}})
        .dimension("Store", {"North", "South"})
        .measures({"Amount"})
        .fact({"[Time].[2023].[Q1].[Jan]", "North"}, {10})
        .fact({"Feb", "South"}, {20})
        .fact({"Apr", "North"}, {40})
        .fact({"[Time].[2024].[Q1]", "South"}, {80})
        .build();
}

}  // namespace memcube_test
