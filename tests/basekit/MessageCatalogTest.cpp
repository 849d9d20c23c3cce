#include <basekit/BaseError.h>
#include <basekit/CoreLog.h>
#include <basekit/MessageCatalog.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using basekit::messageCatalog;

// The codes of the system's forms (0xC201xxxx, 0x0201xxxx, 0x201xxxx) written as hexadecimal
// literals in `text`.
std::vector<ZELT_o::MessageCode> codeLiterals(std::string const& text) {
    static std::regex const literal(R"((?:^|[^\w])0[xX](C201|0201|201)([0-9A-F]{4})(?![0-9A-F]))",
                                    std::regex::icase);
    std::vector<ZELT_o::MessageCode> codes;
    for (std::sregex_iterator it(text.begin(), text.end(), literal), end; it != end; ++it) {
        codes.push_back(std::stoul((*it)[1].str() + (*it)[2].str(), nullptr, 16));
    }
    return codes;
}

// Every such code in the folders of the source tree that raise errors, with a file it is in.
std::map<ZELT_o::MessageCode, std::string> codesInSources() {
    std::filesystem::path const root(POVA_SOURCE_DIR);
    std::map<ZELT_o::MessageCode, std::string> found;
    for (char const* folder : {"source", "providers", "provkit", "basekit/source", "tools"}) {
        for (auto const& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            std::string const ext = entry.path().extension().string();
            std::ifstream in(entry.path());
            for (std::string line;
                 (ext == ".cpp" || ext == ".h" || ext == ".y") && std::getline(in, line);) {
                for (ZELT_o::MessageCode const code : codeLiterals(line)) {
                    found.emplace(code, entry.path().lexically_relative(root).string());
                }
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
    ASSERT_GT(catalog.size(), 50u);
    for (std::size_t i = 0; i < catalog.size(); ++i) {
        std::string const text = catalog[i].text;
        EXPECT_TRUE(i == 0 || catalog[i - 1].code < catalog[i].code) << "sorted, once: " << text;
        EXPECT_EQ(basekit::findMessage(catalog[i].code), catalog[i].text);
        // Each "%" starts a marker %1 to %9; the markers used are %1 to %n without a gap.
        std::set<char> markers;
        for (std::size_t p = text.find('%'); p != std::string::npos; p = text.find('%', p + 1)) {
            markers.insert(p + 1 < text.size() ? text[p + 1] : '?');
        }
        EXPECT_TRUE(markers.empty() ||
                    (*markers.begin() == '1' &&
                     *markers.rbegin() == static_cast<char>('0' + markers.size())))
            << text;
    }
    EXPECT_TRUE(basekit::findMessage(0xC2011201u) == nullptr &&
                basekit::findMessage(0u) == nullptr &&
                basekit::findMessage(0xFFFFFFFFu) == nullptr);
}

TEST(MessageCatalog, ErrorsShowTheTextWithTheirInsertsAndTheCode) {
    // Code, module, inserts separated by "|", the text.
    using T = std::tuple<ZELT_o::MessageCode, char const*, std::string, char const*>;
    for (auto const& [code, module, inserts, text] :
         {T(0xC201120Fu, "INTERFACE", "(1, 5)",
            "Dimension position (1, 5) is outside the viewpoint's axes"),
          // A marker beyond the inserts given stays empty; inserts no marker takes are appended.
          T(0xC201A20Eu, "Parameter", "", "Parameter  has neither a value nor a default value"),
          T(0x02017024u, "INTERFACE", "3|x",
            "The axis number is outside the viewpoint's axes: 3, x"),
          T(0xC2011000u, "MEMORY", "trace %1 text", "trace %1 text"),
          // A code missing from the catalog still names the module and the inserts.
          T(0xC20112FFu, "INTERFACE", "a|b", "Error in module INTERFACE: a, b"),
          T(0xC20112FFu, "", "", "Error in module (none)")}) {
        BaseError error(code, module);
        for (std::size_t at = 0; at < inserts.size();) {
            std::size_t const bar = std::min(inserts.find('|', at), inserts.size());
            error.addInsert(inserts.substr(at, bar - at));
            at = bar + 1;
        }
        EXPECT_EQ(error.what(), text + PovaString::build(" (0x%08X)", code).string());
        EXPECT_EQ(error.clone()->getText(nullptr).string(), text);
    }
    for (auto const& [result, what] :
         {std::pair(E_UNEXPECTED, "Unexpected failure (0x8000FFFF)"),
          std::pair(E_FAIL, "Unspecified failure (0x80004005)"),
          std::pair(E_INVALIDARG, "One or more arguments are not valid (0x80070057)"),
          std::pair(E_NOTIMPL, "Not implemented (0x80004001)"),
          std::pair(makeHResult(0x80001234u), "Failure (0x80001234)")}) {
        EXPECT_STREQ(ResultError(result).what(), what);
    }
}

TEST(MessageCatalog, LoggedErrorsCarryCodeModuleAndInserts) {
    std::vector<LogRecord> records;
    CoreLog log;
    log.setSink([&](LogRecord const& record) { records.push_back(record); });
    BaseError error(0xC2011219u, "Parameter", 2, 1);
    error.addInsert("Year").addInsert("extra");
    error.log(&log);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(records[0].code == 0xC2011219u && records[0].verbosity == 2 &&
                records[0].argument.getModule() == "Parameter" &&
                records[0].inserts == (std::vector<PovaString>{"Year", "extra"}));
    EXPECT_TRUE(error.getInsert(2).empty() && error.status() == 1);
}

}  // namespace
