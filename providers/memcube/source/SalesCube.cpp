#include <memcube/CubeBuilder.h>
#include <memcube/SalesCube.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace memcube {

namespace {

struct Subcategory {
    char const* category;
    char const* name;
    std::int64_t priceCents;  // Of the subcategory's first product; the others cost more.
    std::uint32_t maxUnits;
    std::array<char const*, 4> products;
};

constexpr std::array<Subcategory, 12> kProducts{{
    {"Bikes", "Road Bikes", 89900, 3, {"Road-150", "Road-250", "Road-350", "Road-550"}},
    {"Bikes",
     "Mountain Bikes",
     74900,
     3,
     {"Mountain-100", "Mountain-200", "Mountain-300", "Mountain-500"}},
    {"Bikes",
     "Touring Bikes",
     99900,
     2,
     {"Touring-1000", "Touring-2000", "Touring-3000", "Touring-4000"}},
    {"Clothing",
     "Jerseys",
     4900,
     10,
     {"Jersey Short-Sleeve", "Jersey Long-Sleeve", "Jersey Thermal", "Jersey Team"}},
    {"Clothing",
     "Shorts",
     3900,
     10,
     {"Shorts Classic", "Shorts Bib", "Shorts Baggy", "Shorts Women's"}},
    {"Clothing",
     "Gloves",
     1900,
     12,
     {"Gloves Full-Finger", "Gloves Half-Finger", "Gloves Winter", "Gloves Gel"}},
    {"Accessories",
     "Helmets",
     3500,
     8,
     {"Helmet Sport", "Helmet Road", "Helmet Trail", "Helmet Kids"}},
    {"Accessories",
     "Lights",
     2500,
     12,
     {"Headlight 400", "Headlight 800", "Taillight Basic", "Taillight Radar"}},
    {"Accessories", "Locks", 2900, 8, {"Lock Cable", "Lock U-Bar", "Lock Chain", "Lock Folding"}},
    {"Components",
     "Wheels",
     12900,
     4,
     {"Wheel Front 700c", "Wheel Rear 700c", "Wheel Front 29er", "Wheel Rear 29er"}},
    {"Components",
     "Brakes",
     4500,
     6,
     {"Brake Rim", "Brake Disc Mechanical", "Brake Disc Hydraulic", "Brake Pads"}},
    {"Components",
     "Chains",
     2200,
     10,
     {"Chain 9-Speed", "Chain 10-Speed", "Chain 11-Speed", "Chain 12-Speed"}},
}};

struct Country {
    char const* name;
    std::array<char const*, 4> cities;
};

constexpr std::array<Country, 5> kRegions{{
    {"USA", {"New York", "Chicago", "Seattle", "Austin"}},
    {"Canada", {"Toronto", "Vancouver", "Montreal", "Calgary"}},
    {"France", {"Paris", "Lyon", "Marseille", "Toulouse"}},
    {"Germany", {"Berlin", "Munich", "Hamburg", "Cologne"}},
    {"United Kingdom", {"London", "Manchester", "Edinburgh", "Bristol"}},
}};

constexpr std::array<char const*, 3> kYears{"2022", "2023", "2024"};
constexpr std::array<char const*, 4> kQuarters{"Q1", "Q2", "Q3", "Q4"};
constexpr std::array<char const*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// Relative weights: trade grows each year and peaks in summer.
constexpr std::array<std::uint32_t, 3> kYearWeights{9, 10, 11};
constexpr std::array<std::uint32_t, 12> kMonthWeights{6, 6, 8, 10, 12, 12, 12, 11, 9, 8, 7, 9};
// Cities weigh by size, in the order of kRegions.
constexpr std::array<std::uint32_t, 20> kCityWeights{9, 6, 4, 3, 5, 4, 3, 2, 6, 3,
                                                     2, 2, 5, 4, 3, 3, 7, 3, 2, 2};

// Draws below `bound` from the generator alone: the standard distributions differ between
// library versions, the generator does not. The slight bias of a plain modulo does not matter.
class Draw {
public:
    explicit Draw(std::uint32_t seed) : fEngine(seed) {}

    std::uint32_t below(std::uint32_t bound) {
        return static_cast<std::uint32_t>(fEngine()) % bound;
    }

    template <std::size_t N>
    std::size_t weighted(std::array<std::uint32_t, N> const& weights) {
        std::uint32_t total = 0;
        for (std::uint32_t weight : weights) {
            total += weight;
        }
        std::uint32_t pick = below(total);
        for (std::size_t i = 0; i < N; ++i) {
            if (pick < weights[i]) {
                return i;
            }
            pick -= weights[i];
        }
        return N - 1;
    }

private:
    std::mt19937 fEngine;
};

}  // namespace

support::Ref<MemCube> makeSalesCube() {
    std::vector<std::vector<std::string>> time;
    std::vector<std::string> monthNames;  // Unique names, in leaf order.
    for (char const* year : kYears) {
        for (std::size_t month = 0; month < kMonths.size(); ++month) {
            std::string const quarter(kQuarters[month / 3]);
            time.push_back({year, quarter, kMonths[month]});
            monthNames.push_back(std::string("[Time].[") + year + "].[" + quarter + "].[" +
                                 kMonths[month] + "]");
        }
    }
    std::vector<std::vector<std::string>> products;
    for (Subcategory const& subcategory : kProducts) {
        for (char const* product : subcategory.products) {
            products.push_back({subcategory.category, subcategory.name, product});
        }
    }
    std::vector<std::vector<std::string>> cities;
    for (Country const& country : kRegions) {
        for (char const* city : country.cities) {
            cities.push_back({country.name, city});
        }
    }

    CubeBuilder builder("Sales");
    builder.hierarchy("Time", {"Year", "Quarter", "Month"}, time)
        .hierarchy("Product", {"Category", "Subcategory", "Product"}, products)
        .hierarchy("Region", {"Country", "City"}, cities)
        .measures({"Sales", "Units"})
        .measureFormat("Sales", "#,##0.00")
        .measureFormat("Units", "#,##0")
        .reserveFacts(kSalesFacts);

    Draw draw(20240601u);
    for (std::size_t i = 0; i < kSalesFacts; ++i) {
        std::size_t const year = draw.weighted(kYearWeights);
        std::size_t const month = draw.weighted(kMonthWeights);
        std::size_t const product = draw.below(static_cast<std::uint32_t>(products.size()));
        std::size_t const city = draw.weighted(kCityWeights);
        Subcategory const& subcategory = kProducts[product / 4];
        // Later products of a subcategory are the dearer models.
        std::int64_t const listCents =
            subcategory.priceCents * (4 + static_cast<std::int64_t>(product % 4)) / 4;
        std::int64_t const units = 1 + draw.below(subcategory.maxUnits);
        std::int64_t const discountPercent = draw.below(16);
        std::int64_t const cents = units * listCents * (100 - discountPercent) / 100;
        builder.fact(
            {monthNames[year * kMonths.size() + month], products[product][2], cities[city][1]},
            {static_cast<double>(cents) / 100.0, static_cast<double>(units)});
    }
    return builder.build();
}

}  // namespace memcube
