// memcube::FactTable: the facts of a MemCube, stored by column: for every non-measure
// dimension the leaf number of each fact, for every measure its value.
#pragma once

#include <cstdint>
#include <vector>

namespace memcube {

class FactTable {
public:
    FactTable(std::size_t dimensions, std::size_t measures);

    std::size_t size() const { return fSize; }
    std::size_t dimensionCount() const { return fLeaves.size(); }
    std::size_t measureCount() const { return fValues.size(); }
    std::vector<std::int32_t> const& leaves(std::size_t dimension) const {
        return fLeaves[dimension];
    }
    std::vector<double> const& values(std::size_t measure) const { return fValues[measure]; }

    void reserve(std::size_t facts);
    // Makes room for `facts` facts in all, the new ones zero, to be written in place.
    void resize(std::size_t facts);
    std::int32_t* leafData(std::size_t dimension) { return fLeaves[dimension].data(); }
    double* valueData(std::size_t measure) { return fValues[measure].data(); }
    // One leaf per dimension and one value per measure, in column order.
    void add(std::vector<std::int32_t> const& leaves, std::vector<double> const& values);
    // Notes the measures holding -0.0, once every fact is in.
    void finish();
    // Whether a value of the measure is -0.0 (as of finish()).
    bool holdsNegativeZero(std::size_t measure) const { return fNegativeZero[measure]; }

private:
    std::size_t fSize = 0;
    std::vector<std::vector<std::int32_t>> fLeaves;
    std::vector<std::vector<double>> fValues;
    std::vector<bool> fNegativeZero;
};

}  // namespace memcube
