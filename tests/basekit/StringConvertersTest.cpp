#include <basekit/StringConverters.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using SC = StringConverters;

constexpr GUID kSample{
    0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

// The value read, or nothing; a refused text leaves the value as it was.
template <typename T, typename Read>
std::optional<T> readWith(Read read, char const* text, T const before) {
    T value = before;
    if (read(text, value)) {
        return value;
    }
    EXPECT_EQ(std::memcmp(&value, &before, sizeof value), 0) << text;
    return std::nullopt;
}
std::optional<double> real(char const* text) {
    return readWith<double>(SC::convertStringToReal, text, 42.0);
}
std::optional<LONG> integer(char const* text) {
    return readWith<LONG>(SC::convertStringToInteger, text, 99);
}
std::optional<GUID> guid(char const* text) {
    return readWith<GUID>(SC::convertStringToGUID, text, GUID{0xAAAAAAAA, 0xBBBB, 0xCCCC, {1, 2}});
}
std::string text(double value) {
    return SC::convertRealToString(value).string();
}

TEST(StringConverters, ReadsAndWritesReals) {
    using P = std::pair<char const*, double>;
    double const inf = std::numeric_limits<double>::infinity();
    for (auto const& [text, value] :
         {P("1.5", 1.5), P("  -2.5e3\t", -2500.0), P("+.5", 0.5), P("7.", 7.0), P("1E-2", 0.01),
          P("1e-400", 0.0), P(" -Infinity ", -inf), P("inf", inf)}) {
        EXPECT_EQ(real(text), value) << text;
    }
    EXPECT_TRUE(std::isnan(real("NaN").value_or(0)));
    for (char const* bad : {"", "   ", "abc", "1.5x", "1.5 2", "0x10", "1,5", "1e", "e5", "-",
                            "+-1", ".", "1e400", "-1e400", "1..2", "infin"}) {
        EXPECT_EQ(real(bad), std::nullopt) << bad;
    }
    // Up to fifteen significant digits, in the shortest form.
    for (auto const& [shown, value] :
         {P("12", 12), P("0.1", 0.1), P("-3.25", -3.25), P("1e+20", 1e20), P("1.5e-07", 1.5e-7),
          P("0.3", 0.1 + 0.2), P("0.333333333333333", 1.0 / 3), P("0", -0.0),
          P("1.79769313486232e+308", std::numeric_limits<double>::max()), P("NaN", std::nan("")),
          P("Infinity", inf), P("-Infinity", -inf)}) {
        EXPECT_EQ(text(value), shown);
    }
}

TEST(StringConverters, IgnoresTheProcessLocale) {
    std::string const previous = std::setlocale(LC_NUMERIC, nullptr);
    bool comma = false;
    for (char const* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        comma = comma || std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    if (!comma) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    EXPECT_TRUE(real("2.5") == 2.5 && text(2.5) == "2.5");
    std::setlocale(LC_NUMERIC, previous.c_str());
}

TEST(StringConverters, ReadsAndWritesIntegers) {
    using P = std::pair<char const*, LONG>;
    for (auto const& [text, value] : {P("42", 42), P(" -7 ", -7), P("+5", 5), P("-0", 0),
                                      P("2147483647", std::numeric_limits<LONG>::max()),
                                      P("-2147483648", std::numeric_limits<LONG>::min())}) {
        EXPECT_EQ(integer(text), value) << text;
    }
    for (char const* bad : {"2147483648", "-2147483649", "99999999999999999999999", "", "-", "1.0",
                            "1e3", "12a", "0x1F", "1 2"}) {
        EXPECT_EQ(integer(bad), std::nullopt) << bad;
    }
    EXPECT_TRUE(SC::convertIntegerToString(std::numeric_limits<LONGLONG>::min()) ==
                    "-9223372036854775808" &&
                SC::convertIntegerToString(std::numeric_limits<LONGLONG>::max()) ==
                    "9223372036854775807");
}

TEST(StringConverters, GuidsInRegistryForm) {
    EXPECT_EQ(SC::convertGUIDToString(kSample), "{12345678-9ABC-DEF0-0123-456789ABCDEF}");
    EXPECT_EQ(SC::convertGUIDToString(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
    EXPECT_TRUE(guid("{12345678-9abc-def0-0123-456789abcdef}") == kSample &&
                guid("{12345678-9ABC-DEF0-0123-456789ABCDEF}") == kSample);
    // No braces, no closing brace, short, long, a dash moved, not hex, not a dash, a blank.
    for (char const* bad :
         {"12345678-9ABC-DEF0-0123-456789ABCDEF", "{12345678-9ABC-DEF0-0123-456789ABCDEF",
          "{12345678-9ABC-DEF0-0123-456789ABCDE}", "{12345678-9ABC-DEF0-0123-456789ABCDEF0}",
          "{123456789-ABC-DEF0-0123-456789ABCDEF}", "{12345678-9ABC-DEF0-0123-456789ABCDEG}",
          "{12345678-9ABC-DEF0-0123+456789ABCDEF}", " {12345678-9ABC-DEF0-0123-456789ABCDEF}",
          "(12345678-9ABC-DEF0-0123-456789ABCDEF)", ""}) {
        EXPECT_EQ(guid(bad), std::nullopt) << bad;
    }
}

// Distinct random (version 4) GUIDs, also when many threads make them: every random bit
// varies, so OR-ing many of them sets them all.
TEST(SystemSupportThreads, GeneratesDistinctVersionFourGuids) {
    std::vector<std::vector<GUID>> made(8, std::vector<GUID>(2000));
    {
        std::vector<std::jthread> threads;  // joined at the end of the block
        for (auto& list : made) {
            threads.emplace_back([&list] {
                for (GUID& g : list) {
                    EXPECT_TRUE(SystemSupport::GenerateGUID(g, true));
                }
            });
        }
    }
    std::set<GUID> all;
    GUID any{};
    for (auto const& list : made) {
        for (GUID const& g : list) {
            ASSERT_TRUE((g.Data3 >> 12) == 4 && (g.Data4[0] & 0xC0) == 0x80) << "version 4";
            ASSERT_TRUE(all.insert(g).second);
            any.Data1 |= g.Data1;
            any.Data2 |= g.Data2;
            any.Data3 = static_cast<std::uint16_t>(any.Data3 | g.Data3);
            for (int k = 0; k < 8; ++k) {
                any.Data4[k] = static_cast<std::uint8_t>(any.Data4[k] | g.Data4[k]);
            }
        }
    }
    EXPECT_EQ(SC::convertGUIDToString(any), "{FFFFFFFF-FFFF-4FFF-BFFF-FFFFFFFFFFFF}");
}

}  // namespace
