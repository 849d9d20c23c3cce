#include <basekit/PovaString.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unordered_set>

namespace {

TEST(PovaString, ConvertsUtf8BothWays) {
    EXPECT_EQ(PovaString("abc").wstring(), u"abc");
    // Two-, three- and four-byte sequences; the last becomes a surrogate pair.
    PovaString const text("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(text.wstring(), u"\u00e9\u20ac\U0001F600");
    EXPECT_EQ(text.size(), 4u);
    EXPECT_EQ(text.string(), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(PovaString(static_cast<char const*>(nullptr)).size(), 0u);
}

TEST(PovaString, ReplacesInvalidUtf8UnlessChecked) {
    // A stray continuation byte, an overlong form, an encoded surrogate and a cut sequence.
    for (char const* bad : {"a\x80z", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82"}) {
        EXPECT_NE(PovaString(bad).find(u'\uFFFD'), PovaString::npos) << bad;
        PovaString out("unchanged");
        EXPECT_FALSE(PovaString::fromUtf8(bad, out)) << bad;
        EXPECT_EQ(out, "unchanged");
    }
    PovaString out;
    EXPECT_TRUE(PovaString::fromUtf8("\xC3\xA9", out));
    EXPECT_EQ(out.wstring(), u"\u00e9");
    // A lone surrogate has no UTF-8 form.
    EXPECT_EQ(PovaString(std::u16string(1, u'\xD800')).string(), "\xEF\xBF\xBD");
}

TEST(PovaString, ReportsUnpairedSurrogatesWhenAsked) {
    bool valid = false;
    EXPECT_EQ(basekit::utf16ToUtf8(u"a\U0001F600", &valid), "a\xF0\x9F\x98\x80");
    EXPECT_TRUE(valid);
    // A high surrogate at the end, one before a non-surrogate, and a low one alone.
    for (std::u16string const& bad :
         {std::u16string(u"a") + char16_t(0xD800), std::u16string(1, char16_t(0xD800)) + u"b",
          std::u16string(u"a") + char16_t(0xDC00) + u"b"}) {
        valid = true;
        EXPECT_NE(basekit::utf16ToUtf8(bad, &valid).find("\xEF\xBF\xBD"), std::string::npos);
        EXPECT_FALSE(valid);
    }
}

TEST(PovaString, BuildsPrintfStyleBeyondTheSmallBuffer) {
    EXPECT_EQ(PovaString::build("%s(%d) %x", "name", -3, 255), "name(-3) ff");
    std::string const longText(1000, 'x');
    PovaString const built = PovaString::build("<%s>", longText.c_str());
    EXPECT_EQ(built.size(), 1002u);
    EXPECT_EQ(built.string(), "<" + longText + ">");
}

TEST(PovaString, FormatsIntoFixedBuffers) {
    char16_t buffer[8];
    EXPECT_EQ(suprintf(buffer, 8, "%d-%s", 42, "ab"), 5);
    EXPECT_EQ(std::u16string(buffer), u"42-ab");
    // Output that does not fit is cut and still terminated.
    EXPECT_EQ(suprintf(buffer, 4, "%s", "abcdef"), 3);
    EXPECT_EQ(std::u16string(buffer), u"abc");
    EXPECT_EQ(suprintf(buffer, 0, "%s", "x"), -1);
}

TEST(PovaString, ComparesWithAndWithoutCase) {
    PovaString const a("Apple");
    EXPECT_LT(a.strcmp("apple"), 0);  // 'A' sorts before 'a'
    EXPECT_EQ(a.strcmp("aPPLE", true), 0);
    EXPECT_LT(a.strcmp("Apples"), 0);
    EXPECT_GT(a.strcmp("App"), 0);
    EXPECT_EQ(a.strncmp("applesauce", 5, true), 0);
    EXPECT_NE(a.strncmp("applesauce", 6, true), 0);
    EXPECT_EQ(PovaString("\xC3\x89T\xC3\x89").strcmp("\xC3\xA9t\xC3\xA9", true), 0);
    EXPECT_TRUE(PovaString("a") < PovaString("b"));
    EXPECT_TRUE(a == "Apple");
    EXPECT_TRUE(a != "Apples");
    EXPECT_TRUE(PovaString("\xC3\xA9") == "\xC3\xA9");
}

TEST(PovaString, FindsTrimsAndUpperCases) {
    PovaString const text("one two one");
    EXPECT_EQ(text.find("one"), 0u);
    EXPECT_EQ(text.find("one", 1), 8u);
    EXPECT_EQ(text.find("three"), PovaString::npos);

    PovaString padded(" \t both sides \r\n");
    EXPECT_EQ(padded.trim(), "both sides");
    PovaString blank("   ");
    EXPECT_TRUE(blank.trim().empty());

    PovaString mixed("abc \xC3\xA9\xC3\xBF xyz");
    EXPECT_EQ(mixed.toUpper(), "ABC \xC3\x89\xC3\xBF XYZ");  // no single upper-case form of ÿ
}

TEST(PovaString, EscapesXmlSpecialCharacters) {
    EXPECT_EQ(PovaString("a<b>&\"c\"'d'").toEscaped(), "a&lt;b&gt;&amp;&quot;c&quot;&apos;d&apos;");
    EXPECT_EQ(PovaString("plain").toEscaped(), "plain");
}

TEST(PovaString, RoundTripsThroughBstrs) {
    PovaString const text(std::u16string(u"a\0b", 3));
    BSTR const b = text.createBSTR();
    EXPECT_EQ(SysStringLen(b), 3u);
    PovaString back("old");
    back.fillFromBSTR(b);
    EXPECT_EQ(back, text);
    SysFreeString(b);
    back.fillFromBSTR(nullptr);
    EXPECT_TRUE(back.empty());
}

TEST(PovaString, AppendsAndCopies) {
    PovaString s("ab");
    s += "c";
    s += u'd';
    s += PovaString("ef");
    EXPECT_EQ(s, "abcdef");
    EXPECT_EQ(s + PovaString("!"), "abcdef!");
    EXPECT_EQ(s.substr(2, 2), "cd");

    auto const copy = s.strdup();
    EXPECT_EQ(std::u16string(copy.get()), u"abcdef");
    EXPECT_EQ(copy[6], u'\0');

    s = "new";
    EXPECT_EQ(s, "new");
    s = static_cast<char16_t const*>(nullptr);
    EXPECT_TRUE(s.empty());
}

TEST(PovaString, HashesByContent) {
    std::unordered_set<PovaString> set{PovaString("x"), PovaString(u"x"), PovaString("y")};
    EXPECT_EQ(set.size(), 2u);
}

}  // namespace
