#include "FactTable.h"

#include <algorithm>
#include <cmath>

namespace memcube {

FactTable::FactTable(std::size_t dimensions, std::size_t measures)
    : fLeaves(dimensions), fValues(measures), fNegativeZero(measures) {}

void FactTable::reserve(std::size_t facts) {
    for (auto& column : fLeaves) {
        column.reserve(facts);
    }
    for (auto& column : fValues) {
        column.reserve(facts);
    }
}

void FactTable::resize(std::size_t facts) {
    for (auto& column : fLeaves) {
        column.resize(facts);
    }
    for (auto& column : fValues) {
        column.resize(facts);
    }
    fSize = facts;
}

void FactTable::add(std::vector<std::int32_t> const& leaves, std::vector<double> const& values) {
    for (std::size_t i = 0; i < fLeaves.size(); ++i) {
        fLeaves[i].push_back(leaves[i]);
    }
    for (std::size_t i = 0; i < fValues.size(); ++i) {
        fValues[i].push_back(values[i]);
    }
    ++fSize;
}

void FactTable::finish() {
    for (std::size_t m = 0; m < fValues.size(); ++m) {
        fNegativeZero[m] = std::any_of(fValues[m].begin(), fValues[m].end(), [](double value) {
            return value == 0 && std::signbit(value);
        });
    }
}

}  // namespace memcube
