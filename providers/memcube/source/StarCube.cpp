#include <memcube/CubeBuilder.h>
#include <memcube/StarCube.h>

#include <starschema/StarSchema.h>

#include <stdexcept>
#include <string>

namespace memcube {

support::Ref<MemCube> makeStarCube(std::size_t facts) {
    if (facts < 1 || facts > starschema::kMaxFacts) {
        throw std::invalid_argument("memcube::makeStarCube: " + std::to_string(facts) +
                                    " facts; the sample holds 1 to " +
                                    std::to_string(starschema::kMaxFacts));
    }
    CubeBuilder builder(starschema::cubeName());
    for (starschema::DimensionTable const& table : starschema::dimensions()) {
        builder.hierarchy(table.name, table.levels, table.rows);
    }
    std::vector<std::string> names;
    for (starschema::Measure const& measure : starschema::measures()) {
        names.push_back(measure.name);
    }
    builder.measures(names);
    for (starschema::Measure const& measure : starschema::measures()) {
        builder.measureFormat(measure.name, measure.format);
    }
    // Row i of a dimension table is path i of its hierarchy: the keys are the path numbers.
    builder.generatedFacts(
        facts, [](std::size_t first, std::size_t end, CubeBuilder::FactColumns const& columns) {
            for (std::size_t i = 0; i < end - first; ++i) {
                starschema::Fact const fact = starschema::fact(first + i);
                for (std::size_t d = 0; d < starschema::kDimensionCount; ++d) {
                    columns.paths[d][i] = fact.keys[d];
                }
                columns.values[0][i] = static_cast<double>(fact.revenueCents) / 100.0;
                columns.values[1][i] = fact.quantity;
            }
        });
    return builder.build();
}

}  // namespace memcube
