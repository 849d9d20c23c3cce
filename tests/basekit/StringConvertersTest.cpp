#include <basekit/StringConverters.h>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr GUID kSample{
    0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
constexpr GUID kSentinel{0xAAAAAAAA, 0xBBBB, 0xCCCC, {1, 2, 3, 4, 5, 6, 7, 8}};

// Switches the C library's numeric locale for the scope, if one with a decimal comma exists.
class CommaLocale {
public:
    CommaLocale() : fPrevious(std::setlocale(LC_NUMERIC, nullptr)) {
        for (char const* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr) {
                fActive = true;
                return;
            }
        }
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, fPrevious.c_str()); }
    bool active() const { return fActive; }

private:
    std::string fPrevious;
    bool fActive = false;
};

TEST(StringConverters, ReadsRealsInTheWholeText) {
    double value = 0;
    EXPECT_TRUE(StringConverters::convertStringToReal("1.5", value));
    EXPECT_EQ(value, 1.5);
    EXPECT_TRUE(StringConverters::convertStringToReal("  -2.5e3\t", value));
    EXPECT_EQ(value, -2500.0);
    EXPECT_TRUE(StringConverters::convertStringToReal("+.5", value));
    EXPECT_EQ(value, 0.5);
    EXPECT_TRUE(StringConverters::convertStringToReal("7.", value));
    EXPECT_EQ(value, 7.0);
    EXPECT_TRUE(StringConverters::convertStringToReal("1E-2", value));
    EXPECT_EQ(value, 0.01);
    EXPECT_TRUE(StringConverters::convertStringToReal("1e-400", value));
    EXPECT_EQ(value, 0.0);
}

TEST(StringConverters, RefusesOtherTextAndKeepsTheValue) {
    for (char const* bad : {"", "   ", "abc", "1.5x", "1.5 2", "0x10", "1,5", "1e", "e5", "-",
                            "+-1", ".", "1e400", "-1e400", "1..2"}) {
        double value = 42;
        EXPECT_FALSE(StringConverters::convertStringToReal(bad, value)) << bad;
        EXPECT_EQ(value, 42) << bad;
    }
}

TEST(StringConverters, WritesRealsInShortestFifteenDigitForm) {
    EXPECT_EQ(StringConverters::convertRealToString(12), "12");
    EXPECT_EQ(StringConverters::convertRealToString(0.1), "0.1");
    EXPECT_EQ(StringConverters::convertRealToString(-3.25), "-3.25");
    EXPECT_EQ(StringConverters::convertRealToString(1e20), "1e+20");
    EXPECT_EQ(StringConverters::convertRealToString(1.5e-7), "1.5e-07");
    EXPECT_EQ(StringConverters::convertRealToString(0.1 + 0.2), "0.3");
    EXPECT_EQ(StringConverters::convertRealToString(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(StringConverters::convertRealToString(0), "0");
    EXPECT_EQ(StringConverters::convertRealToString(-0.0), "0");
    EXPECT_EQ(StringConverters::convertRealToString(std::numeric_limits<double>::max()),
              "1.79769313486232e+308");
}

TEST(StringConverters, NaNAndInfinitiesRoundTrip) {
    double const inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(StringConverters::convertRealToString(std::nan("")), "NaN");
    EXPECT_EQ(StringConverters::convertRealToString(inf), "Infinity");
    EXPECT_EQ(StringConverters::convertRealToString(-inf), "-Infinity");

    double value = 0;
    EXPECT_TRUE(StringConverters::convertStringToReal("NaN", value));
    EXPECT_TRUE(std::isnan(value));
    EXPECT_TRUE(StringConverters::convertStringToReal(" -Infinity ", value));
    EXPECT_EQ(value, -inf);
    EXPECT_TRUE(StringConverters::convertStringToReal("inf", value));
    EXPECT_EQ(value, inf);
    EXPECT_FALSE(StringConverters::convertStringToReal("infin", value));
}

TEST(StringConverters, RealTextReadsBackToTheSameText) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-300, 300);
    for (int i = 0; i < 2000; ++i) {
        double const value = mantissa(random) * std::pow(10.0, exponent(random));
        PovaString const text = StringConverters::convertRealToString(value);
        double back = 0;
        ASSERT_TRUE(StringConverters::convertStringToReal(text, back)) << text.string();
        ASSERT_NEAR(back, value, std::fabs(value) * 1e-14);
        ASSERT_EQ(StringConverters::convertRealToString(back), text);
    }
}

TEST(StringConverters, IgnoresTheProcessLocale) {
    CommaLocale const locale;
    if (!locale.active()) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    double value = 0;
    EXPECT_TRUE(StringConverters::convertStringToReal("2.5", value));
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(StringConverters::convertRealToString(2.5), "2.5");
}

TEST(StringConverters, ReadsThirtyTwoBitIntegers) {
    LONG value = 0;
    EXPECT_TRUE(StringConverters::convertStringToInteger("42", value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(StringConverters::convertStringToInteger(" -7 ", value));
    EXPECT_EQ(value, -7);
    EXPECT_TRUE(StringConverters::convertStringToInteger("+5", value));
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(StringConverters::convertStringToInteger("2147483647", value));
    EXPECT_EQ(value, std::numeric_limits<LONG>::max());
    EXPECT_TRUE(StringConverters::convertStringToInteger("-2147483648", value));
    EXPECT_EQ(value, std::numeric_limits<LONG>::min());
    EXPECT_TRUE(StringConverters::convertStringToInteger("-0", value));
    EXPECT_EQ(value, 0);

    for (char const* bad : {"2147483648", "-2147483649", "99999999999999999999999", "", "-", "1.0",
                            "1e3", "12a", "0x1F", "1 2"}) {
        LONG kept = 99;
        EXPECT_FALSE(StringConverters::convertStringToInteger(bad, kept)) << bad;
        EXPECT_EQ(kept, 99) << bad;
    }
}

TEST(StringConverters, WritesIntegers) {
    EXPECT_EQ(StringConverters::convertIntegerToString(0), "0");
    EXPECT_EQ(StringConverters::convertIntegerToString(-1), "-1");
    EXPECT_EQ(StringConverters::convertIntegerToString(std::numeric_limits<LONGLONG>::min()),
              "-9223372036854775808");
    EXPECT_EQ(StringConverters::convertIntegerToString(std::numeric_limits<LONGLONG>::max()),
              "9223372036854775807");
}

TEST(StringConverters, WritesGuidsInRegistryForm) {
    EXPECT_EQ(StringConverters::convertGUIDToString(kSample),
              "{12345678-9ABC-DEF0-0123-456789ABCDEF}");
    EXPECT_EQ(StringConverters::convertGUIDToString(GUID_NULL),
              "{00000000-0000-0000-0000-000000000000}");
}

TEST(StringConverters, ReadsGuidsInEitherCase) {
    GUID guid = kSentinel;
    EXPECT_TRUE(
        StringConverters::convertStringToGUID("{12345678-9abc-def0-0123-456789abcdef}", guid));
    EXPECT_EQ(guid, kSample);
    guid = kSentinel;
    EXPECT_TRUE(StringConverters::convertStringToGUID(
        StringConverters::convertGUIDToString(kSample), guid));
    EXPECT_EQ(guid, kSample);
}

TEST(StringConverters, RefusesMalformedGuidsAndKeepsTheValue) {
    for (char const* bad : {"12345678-9ABC-DEF0-0123-456789ABCDEF",     // no braces
                            "{12345678-9ABC-DEF0-0123-456789ABCDEF",    // no closing brace
                            "{12345678-9ABC-DEF0-0123-456789ABCDE}",    // short
                            "{12345678-9ABC-DEF0-0123-456789ABCDEF0}",  // long
                            "{123456789-ABC-DEF0-0123-456789ABCDEF}",   // dash moved
                            "{12345678-9ABC-DEF0-0123-456789ABCDEG}",   // not hex
                            "{12345678-9ABC-DEF0-0123+456789ABCDEF}",   // not a dash
                            " {12345678-9ABC-DEF0-0123-456789ABCDEF}",  // blank
                            "(12345678-9ABC-DEF0-0123-456789ABCDEF)", ""}) {
        GUID guid = kSentinel;
        EXPECT_FALSE(StringConverters::convertStringToGUID(bad, guid)) << bad;
        EXPECT_EQ(guid, kSentinel) << bad;
    }
}

bool isVersion4(GUID const& g) {
    return (g.Data3 >> 12) == 4 && (g.Data4[0] & 0xC0) == 0x80;
}

TEST(SystemSupport, GeneratesDistinctVersionFourGuids) {
    std::set<GUID> seen;
    for (int i = 0; i < 10000; ++i) {
        GUID guid;
        EXPECT_TRUE(SystemSupport::GenerateGUID(guid, true));
        ASSERT_TRUE(isVersion4(guid));
        ASSERT_TRUE(seen.insert(guid).second);
    }
    // Every random bit varies: OR-ing many GUIDs sets them all.
    GUID any{};
    for (GUID const& g : seen) {
        any.Data1 |= g.Data1;
        any.Data2 |= g.Data2;
        any.Data3 = static_cast<std::uint16_t>(any.Data3 | g.Data3);
        for (int k = 0; k < 8; ++k) {
            any.Data4[k] = static_cast<std::uint8_t>(any.Data4[k] | g.Data4[k]);
        }
    }
    EXPECT_EQ(StringConverters::convertGUIDToString(any), "{FFFFFFFF-FFFF-4FFF-BFFF-FFFFFFFFFFFF}");
}

TEST(SystemSupportThreads, GeneratesGuidsFromManyThreads) {
    constexpr int kThreads = 8;
    constexpr int kEach = 2000;
    std::vector<std::vector<GUID>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&made, t] {
            for (int i = 0; i < kEach; ++i) {
                GUID guid;
                SystemSupport::GenerateGUID(guid);
                made[t].push_back(guid);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::set<GUID> all;
    for (auto const& list : made) {
        all.insert(list.begin(), list.end());
    }
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kEach));
}

}  // namespace
