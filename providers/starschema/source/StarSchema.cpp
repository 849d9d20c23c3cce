#include <starschema/StarSchema.h>

#include <cstdio>

namespace starschema {

namespace {

constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;
// Streams of the generator: each value of a fact, and each product's price, draws from its own.
enum Stream : std::uint64_t {
    kDateStream,
    kCustomerStream,
    kProductStream,
    kQuantityStream,
    kDiscountStream,
    kPriceStream,
    kStreamCount
};

std::uint64_t draw(std::uint64_t index, Stream stream) {
    return splitmix64((index * kStreamCount + stream) * kGolden);
}

// A number in [0, n): the high half of a 64 x 32-bit product, which needs no division and
// no library distribution.
std::int32_t below(std::uint64_t random, std::uint32_t n) {
    return static_cast<std::int32_t>(((random >> 32) * n) >> 32);
}

bool leapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

DimensionTable makeDates() {
    DimensionTable table{"Date",
                         "date_dim",
                         "date_key",
                         {"Year", "Quarter", "Month", "Day"},
                         {"year", "quarter", "month", "day"},
                         {}};
    constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    char text[32];
    for (int year = 1992; year <= 1998; ++year) {
        std::string const yearName = std::to_string(year);
        for (int month = 1; month <= 12; ++month) {
            std::snprintf(text, sizeof text, "%d-Q%d", year, (month - 1) / 3 + 1);
            std::string const quarter = text;
            std::snprintf(text, sizeof text, "%d-%02d", year, month);
            std::string const monthName = text;
            int const days = kDays[month - 1] + (month == 2 && leapYear(year) ? 1 : 0);
            for (int day = 1; day <= days; ++day) {
                std::snprintf(text, sizeof text, "%d-%02d-%02d", year, month, day);
                table.rows.push_back({yearName, quarter, monthName, text});
            }
        }
    }
    return table;
}

DimensionTable makeCustomers() {
    DimensionTable table{"Customer",
                         "customer_dim",
                         "customer_key",
                         {"Region", "Nation", "City"},
                         {"region", "nation", "city"},
                         {}};
    // One nation's name has an apostrophe and a letter outside ASCII, so that every provider
    // meets them in its everyday data, not only in a test made for them.
    struct Region {
        char const* name;
        std::array<char const*, 5> nations;
    };
    constexpr std::array<Region, 5> kRegions{{
        {"Africa", {"Algeria", "Côte d'Ivoire", "Ethiopia", "Kenya", "Morocco"}},
        {"America", {"Argentina", "Brazil", "Canada", "Peru", "United States"}},
        {"Asia", {"China", "India", "Indonesia", "Japan", "Vietnam"}},
        {"Europe", {"France", "Germany", "Romania", "Russia", "United Kingdom"}},
        {"Middle East", {"Egypt", "Iran", "Iraq", "Jordan", "Saudi Arabia"}},
    }};
    for (Region const& region : kRegions) {
        for (char const* nation : region.nations) {
            for (int city = 0; city < 10; ++city) {
                table.rows.push_back(
                    {region.name, nation, std::string(nation) + " " + std::to_string(city)});
            }
        }
    }
    return table;
}

DimensionTable makeProducts() {
    DimensionTable table{"Product",
                         "product_dim",
                         "product_key",
                         {"Category", "Brand", "Part"},
                         {"category", "brand", "part"},
                         {}};
    char text[32];
    for (int category = 1; category <= 5; ++category) {
        std::snprintf(text, sizeof text, "MFGR#%d", category);
        std::string const categoryName = text;
        for (int brand = 1; brand <= 10; ++brand) {
            std::snprintf(text, sizeof text, "MFGR#%d%02d", category, brand);
            std::string const brandName = text;
            for (int part = 1; part <= 20; ++part) {
                std::snprintf(text, sizeof text, "Part %d%02d-%02d", category, brand, part);
                table.rows.push_back({categoryName, brandName, text});
            }
        }
    }
    return table;
}

// Each part's list price in hundredths: 1.00 to 2,000.00.
std::vector<std::int64_t> makePrices(std::size_t parts) {
    std::vector<std::int64_t> prices(parts);
    for (std::size_t i = 0; i < parts; ++i) {
        prices[i] = 100 + below(draw(i, kPriceStream), 199'901);
    }
    return prices;
}

std::vector<std::int64_t> const& prices() {
    static std::vector<std::int64_t> const kPrices = makePrices(dimensions()[kProduct].rows.size());
    return kPrices;
}

}  // namespace

std::uint64_t splitmix64(std::uint64_t state) {
    std::uint64_t z = state + kGolden;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::string const& cubeName() {
    static std::string const kName = "Star";
    return kName;
}

std::string const& factTable() {
    static std::string const kName = "sales";
    return kName;
}

std::vector<std::string> const& factKeyColumns() {
    static std::vector<std::string> const kColumns{"date_key", "customer_key", "product_key"};
    return kColumns;
}

std::vector<DimensionTable> const& dimensions() {
    static std::vector<DimensionTable> const kTables{makeDates(), makeCustomers(), makeProducts()};
    return kTables;
}

std::vector<Measure> const& measures() {
    static std::vector<Measure> const kMeasures{{"Revenue", "revenue", "#,##0.00", 2},
                                                {"Quantity", "quantity", "#,##0", 0}};
    return kMeasures;
}

Fact fact(std::uint64_t index) {
    auto const& tables = dimensions();
    Fact result{};
    result.keys[kDate] =
        below(draw(index, kDateStream), static_cast<std::uint32_t>(tables[kDate].rows.size()));
    result.keys[kCustomer] = below(draw(index, kCustomerStream),
                                   static_cast<std::uint32_t>(tables[kCustomer].rows.size()));
    result.keys[kProduct] = below(draw(index, kProductStream),
                                  static_cast<std::uint32_t>(tables[kProduct].rows.size()));
    result.quantity = 1 + below(draw(index, kQuantityStream), 50);
    std::int64_t const discount = below(draw(index, kDiscountStream), 11);  // Percent.
    result.revenueCents =
        result.quantity * prices()[result.keys[kProduct]] * (100 - discount) / 100;
    return result;
}

}  // namespace starschema
