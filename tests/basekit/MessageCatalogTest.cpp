#include <basekit/BaseError.h>
#include <basekit/CoreLog.h>
#include <basekit/MessageCatalog.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using basekit::messageCatalog;

// The codes of the system's forms (0xC201xxxx, 0x0201xxxx, 0x201xxxx) written as hexadecimal
// literals in `text`.
std::vector<ZELT_o::MessageCode> codeLiterals(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::vector<ZELT_o::MessageCode> codes;
    for (std::size_t at = text.find("0X"); at != std::string::npos; at = text.find("0X", at + 2)) {
        if (at > 0 &&
            (std::isalnum(static_cast<unsigned char>(text[at - 1])) != 0 || text[at - 1] == '_')) {
            continue;
        }
        std::size_t end = at + 2;
        while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end])) != 0) {
            ++end;
        }
        std::string const digits = text.substr(at + 2, end - at - 2);
        if ((digits.size() == 8 && (digits.starts_with("C201") || digits.starts_with("0201"))) ||
            (digits.size() == 7 && digits.starts_with("201"))) {
            codes.push_back(static_cast<ZELT_o::MessageCode>(std::stoul(digits, nullptr, 16)));
        }
    }
    return codes;
}

// Every such code in the folders of the source tree that raise errors, with the first file
// it was seen in.
std::map<ZELT_o::MessageCode, std::string> codesInSources() {
    std::filesystem::path const root(POVA_SOURCE_DIR);
    std::map<ZELT_o::MessageCode, std::string> found;
    for (char const* folder : {"source", "providers", "provkit", "basekit/source", "tools"}) {
        for (auto const& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            std::string const ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".y")) {
                continue;
            }
            std::ifstream in(entry.path());
            std::string const text((std::istreambuf_iterator<char>(in)), {});
            for (ZELT_o::MessageCode const code : codeLiterals(text)) {
                found.emplace(code, std::filesystem::relative(entry.path(), root).string());
            }
        }
    }
    return found;
}

TEST(MessageCatalog, HasAnEntryForEveryCodeInTheSources) {
    auto const codes = codesInSources();
    // The scan itself works: codes known to be raised are among those found.
    EXPECT_TRUE(codes.contains(0xC201120Fu) && codes.contains(0x02017068u));
    EXPECT_EQ(codeLiterals("0xc201120fu, 0x2017068; x0xC2011200 0xC20112000 0X02017024L"),
              (std::vector<ZELT_o::MessageCode>{0xC201120Fu, 0x2017068u, 0x2017024u}));
    std::ostringstream missing;
    for (auto const& [code, file] : codes) {
        if (basekit::findMessage(code) == nullptr) {
            missing << std::hex << std::uppercase << " 0x" << code << " (" << file << ")";
        }
    }
    EXPECT_EQ(missing.str(), "") << "codes without a catalog entry";
}

TEST(MessageCatalog, IsSortedAndItsMarkersRunFromOne) {
    auto const catalog = messageCatalog();
    ASSERT_FALSE(catalog.empty());
    for (std::size_t i = 0; i < catalog.size(); ++i) {
        auto const& entry = catalog[i];
        if (i > 0) {
            EXPECT_LT(catalog[i - 1].code, entry.code) << "sorted, each code once";
        }
        std::string const text = entry.text;
        EXPECT_FALSE(text.empty());
        std::set<int> markers;
        for (std::size_t p = text.find('%'); p != std::string::npos; p = text.find('%', p + 1)) {
            ASSERT_TRUE(p + 1 < text.size() && text[p + 1] >= '1' && text[p + 1] <= '9') << text;
            markers.insert(text[p + 1] - '0');
        }
        EXPECT_TRUE(markers.empty() || *markers.rbegin() == static_cast<int>(markers.size()))
            << "markers numbered from 1 without gaps: " << text;
        EXPECT_EQ(basekit::findMessage(entry.code), entry.text);
    }
    EXPECT_EQ(basekit::findMessage(0xC2011201u), nullptr);
    EXPECT_EQ(basekit::findMessage(0u), nullptr);
    EXPECT_EQ(basekit::findMessage(0xFFFFFFFFu), nullptr);
}

TEST(MessageCatalog, ErrorsShowTheTextWithTheirInsertsAndTheCode) {
    struct Case {
        ZELT_o::MessageCode code;
        char const* module;
        std::vector<PovaString> inserts;
        char const* text;
    } const cases[] = {
        {0xC201120Fu,
         "INTERFACE",
         {"(1, 5)"},
         "Dimension position (1, 5) is outside the viewpoint's axes"},
        // A marker beyond the inserts given stays empty; inserts no marker takes are appended.
        {0xC201A20Eu, "Parameter", {}, "Parameter  has neither a value nor a default value"},
        {0x02017024u,
         "INTERFACE",
         {"3", "x"},
         "The axis number is outside the viewpoint's axes: 3, x"},
        {0xC2011000u, "MEMORY", {"trace %1 text"}, "trace %1 text"},
        // A code missing from the catalog still names the module and the inserts.
        {0xC20112FFu, "INTERFACE", {"a", "b"}, "Error in module INTERFACE: a, b"},
        {0xC20112FFu, "", {}, "Error in module (none)"},
    };
    for (Case const& c : cases) {
        BaseError error(c.code, c.module);
        for (PovaString const& insert : c.inserts) {
            error.addInsert(insert);
        }
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", c.code);
        EXPECT_EQ(error.getText(nullptr).string(), c.text) << code;
        EXPECT_EQ(std::string(error.what()), std::string(c.text) + " (" + code + ")");
        EXPECT_EQ(std::string(error.clone()->getText(nullptr).string()), c.text);
    }
}

TEST(MessageCatalog, ResultErrorsShowWordsAndTheCode) {
    struct {
        HRESULT result;
        char const* what;
    } const cases[] = {
        {E_UNEXPECTED, "Unexpected failure (0x8000FFFF)"},
        {E_FAIL, "Unspecified failure (0x80004005)"},
        {E_INVALIDARG, "One or more arguments are not valid (0x80070057)"},
        {E_NOTIMPL, "Not implemented (0x80004001)"},
        {makeHResult(0x80001234u), "Failure (0x80001234)"},
    };
    for (auto const& c : cases) {
        EXPECT_STREQ(ResultError(c.result).what(), c.what);
    }
}

TEST(MessageCatalog, LoggedErrorsCarryCodeModuleAndInserts) {
    std::vector<LogRecord> records;
    CoreLog log;
    log.setSink([&](LogRecord const& record) { records.push_back(record); });
    BaseError error(0xC2011219u, "Parameter", 2, 1);
    error.addInsert("Year").addInsert("extra");
    error.log(&log);
    error.log(nullptr);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].code, 0xC2011219u);
    EXPECT_EQ(records[0].verbosity, 2);
    EXPECT_EQ(records[0].argument.getModule(), PovaString("Parameter"));
    EXPECT_EQ(records[0].inserts, (std::vector<PovaString>{"Year", "extra"}));
    EXPECT_EQ(error.getInsert(1), PovaString("extra"));
    EXPECT_TRUE(error.getInsert(2).empty());
    EXPECT_EQ(error.status(), 1);
}

}  // namespace
