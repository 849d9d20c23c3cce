#include <basekit/PovaString.h>

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

namespace {

TEST(PovaString, ConvertsUtf8BothWays) {
    // Two-, three- and four-byte sequences; the last becomes a surrogate pair.
    PovaString const text("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(text.wstring(), u"\u00e9\u20ac\U0001F600");
    EXPECT_EQ(text.string(), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(PovaString(static_cast<char const*>(nullptr)).size(), 0u);
    PovaString out;
    EXPECT_TRUE(PovaString::fromUtf8("\xC3\xA9", out));
    EXPECT_EQ(out.wstring(), u"\u00e9");
    // A stray continuation byte, an overlong form, an encoded surrogate and a cut sequence
    // become U+FFFD, unless checked.
    for (char const* bad : {"a\x80z", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82"}) {
        EXPECT_NE(PovaString(bad).find(u'\uFFFD'), PovaString::npos) << bad;
        EXPECT_FALSE(PovaString::fromUtf8(bad, out)) << bad;
        EXPECT_EQ(out.wstring(), u"\u00e9");
    }
}

TEST(PovaString, ReportsUnpairedSurrogatesWhenAsked) {
    bool valid = false;
    EXPECT_TRUE(basekit::utf16ToUtf8(u"a\U0001F600", &valid) == "a\xF0\x9F\x98\x80" && valid);
    // A high surrogate at the end, one before a non-surrogate, and a low one alone.
    for (std::u16string const& bad :
         {std::u16string(u"a") + char16_t(0xD800), std::u16string(1, char16_t(0xD800)) + u"b",
          std::u16string(u"a") + char16_t(0xDC00) + u"b"}) {
        EXPECT_TRUE(basekit::utf16ToUtf8(bad, &valid).find("\xEF\xBF\xBD") != std::string::npos &&
                    !valid);
        EXPECT_NE(PovaString(bad).string().find("\xEF\xBF\xBD"), std::string::npos);
    }
}

TEST(PovaString, FormatsPrintfStyle) {
    EXPECT_EQ(PovaString::build("%s(%d) %x", "name", -3, 255), "name(-3) ff");
    std::string const longText(1000, 'x');
    EXPECT_EQ(PovaString::build("<%s>", longText.c_str()).string(), "<" + longText + ">");
    // Into fixed buffers: output that does not fit is cut and still terminated.
    char16_t buffer[8];
    EXPECT_EQ(suprintf(buffer, 8, "%d-%s", 42, "ab"), 5);
    EXPECT_EQ(std::u16string(buffer), u"42-ab");
    EXPECT_TRUE(suprintf(buffer, 4, "%s", "abcdef") == 3 && std::u16string(buffer) == u"abc");
    EXPECT_EQ(suprintf(buffer, 0, "%s", "x"), -1);
}

TEST(PovaString, ComparesWithAndWithoutCase) {
    PovaString const a("Apple");
    // 'A' sorts before 'a'; a prefix before the longer text.
    EXPECT_TRUE(a.strcmp("apple") < 0 && a.strcmp("Apples") < 0 && a.strcmp("App") > 0);
    EXPECT_TRUE(a.strcmp("aPPLE", true) == 0 && a.strncmp("applesauce", 5, true) == 0 &&
                a.strncmp("applesauce", 6, true) != 0);
    EXPECT_EQ(PovaString("\xC3\x89T\xC3\x89").strcmp("\xC3\xA9t\xC3\xA9", true), 0);
    EXPECT_TRUE(PovaString("a") < PovaString("b") && a == "Apple" && a != "Apples" &&
                PovaString("\xC3\xA9") == "\xC3\xA9");
    std::unordered_set<PovaString> set{PovaString("x"), PovaString(u"x"), PovaString("y")};
    EXPECT_EQ(set.size(), 2u);
}

TEST(PovaString, FindsTrimsUpperCasesAndEscapes) {
    PovaString const text("one two one");
    EXPECT_TRUE(text.find("one", 1) == 8u && text.find("three") == PovaString::npos);
    PovaString padded(" \t both sides \r\n");
    PovaString blank("   ");
    EXPECT_TRUE(padded.trim() == "both sides" && blank.trim().empty());
    PovaString mixed("abc \xC3\xA9\xC3\xBF xyz");
    EXPECT_EQ(mixed.toUpper(), "ABC \xC3\x89\xC3\xBF XYZ");  // no single upper-case form of ÿ
    EXPECT_EQ(PovaString("a<b>&\"c\"'d'").toEscaped(), "a&lt;b&gt;&amp;&quot;c&quot;&apos;d&apos;");
}

TEST(PovaString, AppendsCopiesAndRoundTripsThroughBstrs) {
    PovaString s("ab");
    s += "c";
    s += u'd';
    s += PovaString("ef");
    EXPECT_EQ(s + PovaString("!"), "abcdef!");
    EXPECT_EQ(s.substr(2, 2), "cd");
    auto const copy = s.strdup();
    EXPECT_EQ(std::u16string(copy.get(), 7), std::u16string(u"abcdef\0", 7));
    s = "new";
    EXPECT_EQ(s, "new");
    s = static_cast<char16_t const*>(nullptr);
    EXPECT_TRUE(s.empty());

    PovaString const text(std::u16string(u"a\0b", 3));
    basekit::Bstr const b = basekit::Bstr::adopt(text.createBSTR());
    PovaString back("old");
    back.fillFromBSTR(b.get());
    EXPECT_TRUE(b.length() == 3u && back == text);
    back.fillFromBSTR(nullptr);
    EXPECT_TRUE(back.empty());
}

}  // namespace
