/// @file
/// The bundled sample cube, generated the same way on every machine.
///
/// "Sales" has the dimensions, in order:
/// @verbatim
///   Time     Year > Quarter > Month: 2022 to 2024, "Q1" to "Q4", "Jan" to "Dec"
///            ([Time].[2024].[Q1].[Jan]);
///   Product  Category > Subcategory > Product: 4 categories, 12 subcategories, 48 products;
///   Region   Country > City: 5 countries, 20 cities;
///   Measures Sales (money, two decimals: "#,##0.00") and Units (whole numbers: "#,##0").
/// @endverbatim
/// and 100,000 facts drawn from a fixed seed.
#pragma once

#include <memcube/MemCube.h>
#include <memcube/memcube_export.h>
#include <pova/support/Ref.h>

namespace memcube {

/// The number of facts drawn.
inline constexpr std::size_t kSalesFacts = 100000;

/// A new "Sales" cube, the same on every call.
MEMCUBE_API support::Ref<MemCube> makeSalesCube();

}  // namespace memcube
