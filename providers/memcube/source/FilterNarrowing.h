// What a filter lets a fact source leave out of the measures it reads (memcube::Narrowing),
// and whether a rank read from such a narrowed answer is settled.
#pragma once

#include "FilterCompiler.h"

#include <memcube/FactSource.h>

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace memcube {

// The narrowing of the measure table of a filter with these tests, or none. `oneWholeDimension`:
// the filter names one dimension and tests every member of it on the axis.
std::optional<Narrowing> narrowingOf(std::vector<Test> const& tests, bool oneWholeDimension);

// Whether the ranked combinations (combination, value, in rank order: the survivors of the
// filter's conditions) read from a measure table narrowed with `order` are the ones a full table
// would rank first. `given` counts the combinations the table has values for, `givenRanked`
// those among the ranked; `conditions` tells whether conditions came before the rank.
bool ranksSettled(std::vector<std::pair<std::size_t, double>> const& ranked, Rank const& rank,
                  Narrowing::Order const& order, std::size_t given, std::size_t givenRanked,
                  bool conditions);

}  // namespace memcube
