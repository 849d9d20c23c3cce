// The command belongs to the client program, not to the library: its source is compiled into
// this test.
#include "../../tools/pova/FormatCommand.cpp"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

Outcome run(std::vector<std::string> const& args) {
    std::ostringstream out;
    std::ostringstream err;
    int const code = runFormatCommand(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(FormatCommand, BuildsTheStringFromTheOptions) {
    struct {
        std::vector<std::string> args;
        char const* expected;
    } const cases[] = {
        // Each option at least once; the string itself is tested with the style.
        {{}, "####.;-####.\n"},
        {{"--thousands", "--decimals", "2", "--negative", "parens", "--currency", "$",
          "--currency-suffix"},
         "#,###.00$;(#,###.00)$\n"},
        {{"--scale", "millions", "--plus", "--no-point", "--percent", "--scientific"},
         "+####,,E+000%;-####,,E+000%\n"},
        {{"--percent", "pct", "--percent-prefix", "--decimals", "3", "--strip-zeros", "--negative",
          "none", "--scale", "4"},
         "\"pct\"####.###,;\"pct\"####.###,\n"},
        {{"--currency", "\xe2\x82\xac", "--negative", "1", "--decimals", "-1"},
         "\xe2\x82\xac####.;\xe2\x82\xac(####.)\n"},
    };
    for (auto const& c : cases) {
        Outcome const r = run(c.args);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out, c.expected);
        EXPECT_TRUE(r.err.empty()) << r.err;
    }
}

TEST(FormatCommand, HelpAndBadCommandLines) {
    Outcome const help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    for (char const* option : {"--thousands", "--decimals", "--negative", "--currency", "--percent",
                               "--scale", "--scientific", "--plus"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    std::vector<std::string> const bad[] = {
        {"--bogus"},          {"--decimals"},        {"--decimals", "two"},
        {"--decimals", "2x"}, {"--negative", "red"}, {"--scale", "lots"},
        {"--currency"},       {"--currency", ""},    {"thousands"},
    };
    for (auto const& args : bad) {
        Outcome const r = run(args);
        EXPECT_EQ(r.code, 2) << args.front();
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("pova format"), std::string::npos) << r.err;
    }
}

}  // namespace

TEST(FormatCommand, RendersValues) {
    Outcome const r = run({"render", "[Red]#,##0.00;(#,##0.00);\"zero\"", "-1234.5", "0", "x", ""});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("(1,234.50)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("zero"), std::string::npos) << r.out;
    EXPECT_NE(run({"render", "0.0.0[", "1"}).code, 0);
}
