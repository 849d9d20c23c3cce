/// @file
/// starschema: the sample star schema every provider loads (dimension tables for dates,
/// customers and products, and a fact table of sales), generated the same way on every
/// machine and with every standard library. Facts are a pure function of their number, so a
/// loader may generate them in any order, in blocks or on several threads, and get the same
/// data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace starschema {

///@{
/// The smallest and largest fact counts the sample is meant for.
inline constexpr std::size_t kMinFacts = 10'000;
inline constexpr std::size_t kMaxFacts = 10'000'000;
///@}

/// A dimension table: its levels from the top, and one row per leaf member, giving that
/// member's name and the names of its ancestors (top first). Row i has key i. Names are unique
/// within the whole dimension, so a name alone finds a member.
struct DimensionTable {
    std::string name;                  ///< The cube's dimension: "Date".
    std::string table;                 ///< The SQL table: "date_dim".
    std::string keyColumn;             ///< Its key column: "date_key".
    std::vector<std::string> levels;   ///< "Year", "Quarter", "Month", "Day".
    std::vector<std::string> columns;  ///< The level columns: "year", "quarter", ...
    /// One per leaf: its ancestors' names, then its own.
    std::vector<std::vector<std::string>> rows;
};

/// A measure of the fact table.
struct Measure {
    std::string name;    ///< "Revenue"
    std::string column;  ///< "revenue"
    std::string format;  ///< The number format its cells are shown with.
    int decimals;        ///< Digits after the point its values carry exactly.
};

/// Indices into dimensions() and Fact::keys.
enum DimensionIndex : std::size_t {
    kDate = 0,           ///< Date.
    kCustomer = 1,       ///< Customer.
    kProduct = 2,        ///< Product.
    kDimensionCount = 3  ///< The number of dimensions.
};

/// One row of the fact table: the keys of its members and its measures.
struct Fact {
    std::array<std::int32_t, kDimensionCount> keys;  ///< Row numbers of the dimension tables.
    std::int64_t revenueCents;                       ///< Revenue, in hundredths.
    std::int32_t quantity;                           ///< Quantity, in whole units.
};

///@{
/// The cube's name ("Star"), the fact table's name ("sales") and its key columns, in the order
/// of dimensions().
std::string const& cubeName();
std::string const& factTable();
std::vector<std::string> const& factKeyColumns();
///@}

/// Date (Year > Quarter > Month > Day, 1992-01-01 to 1998-12-31), Customer (Region > Nation >
/// City) and Product (Category > Brand > Part). Built once; the references stay valid.
std::vector<DimensionTable> const& dimensions();
/// Revenue (two decimals) and Quantity (whole units).
std::vector<Measure> const& measures();

/// Fact number `index` of the sample. The same for every index on every machine.
Fact fact(std::uint64_t index);

/// The splitmix64 output for `state`: the generator every sample value comes from.
std::uint64_t splitmix64(std::uint64_t state);

}  // namespace starschema
