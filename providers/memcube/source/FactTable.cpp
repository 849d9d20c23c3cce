#include "FactTable.h"

namespace memcube {

FactTable::FactTable(std::size_t dimensions, std::size_t measures)
    : fLeaves(dimensions), fValues(measures) {}

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

}  // namespace memcube
