// The "Star" cube: the shared star-schema sample, in memory.
//
// Dimensions, in order: Date (Year > Quarter > Month > Day), Customer (Region > Nation > City),
// Product (Category > Brand > Part), each holding its dimension table's rows in table order,
// then Measures: Revenue ("#,##0.00") and Quantity ("#,##0"). The facts are the sample's first
// `facts` facts; Revenue is the fact's revenue in hundredths divided by 100.
#pragma once

#include <memcube/MemCube.h>
#include <memcube/memcube_export.h>
#include <pova/support/Ref.h>

#include <cstddef>

namespace memcube {

// Throws std::invalid_argument unless 1 <= facts <= the sample's largest fact count
// (10,000,000).
MEMCUBE_API support::Ref<MemCube> makeStarCube(std::size_t facts);

}  // namespace memcube
