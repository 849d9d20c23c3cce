#include <basekit/RegistryWrapper.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

constexpr char const* kKey = "Software\\Zorvik\\Pova";

// Each test reads registry export files from corpus/registry.
class RegistryWrapperTest : public ::testing::Test {
protected:
    void TearDown() override { ::unsetenv("POVA_REGISTRY"); }

    static void use(char const* fixture) {
        auto const file = std::filesystem::path(POVA_TEST_DIR) / "corpus" / "registry" / fixture;
        ::setenv("POVA_REGISTRY", file.c_str(), 1);
    }

    // The value read, or nothing; an absent value leaves the output as it was.
    static std::optional<std::string> text(PovaString const& key, PovaString const& name,
                                           LONG root = RegistryWrapper::kLocalMachine) {
        PovaString value("before");
        bool const found = RegistryWrapper::readRegKeyValue(root, key, name, value);
        EXPECT_TRUE(found || value == "before");
        return found ? std::optional(value.string()) : std::nullopt;
    }
    static std::optional<DWORD> number(PovaString const& key, PovaString const& name,
                                       LONG root = RegistryWrapper::kLocalMachine) {
        DWORD value = 7;
        bool const found = RegistryWrapper::readRegKeyValue(root, key, name, value);
        EXPECT_TRUE(found || value == 7);
        return found ? std::optional(value) : std::nullopt;
    }
};

TEST_F(RegistryWrapperTest, ReadsStringsAndDwords) {
    use("strings_and_dwords.reg");
    EXPECT_EQ(text(kKey, "ViewpointLocation"), "C:\\dumps\\ \"q\"");
    EXPECT_EQ(number(kKey, "WriteViewpoint"), 42u);
    EXPECT_EQ(number(kKey, "Max"), 0xFFFFFFFFu);
    EXPECT_EQ(text(kKey, ""), "default");
    EXPECT_EQ(number(kKey, "WriteViewpoint", RegistryWrapper::kCurrentUser), 7u);
    // Names and paths match regardless of case and stray separators.
    EXPECT_EQ(number("\\SOFTWARE\\zorvik\\\\pova\\", "writeviewpoint"), 42u);
    // Wrong kind, wrong root, wrong key, missing value: nothing.
    EXPECT_EQ(text(kKey, "WriteViewpoint"), std::nullopt);
    EXPECT_EQ(number(kKey, "ViewpointLocation"), std::nullopt);
    EXPECT_EQ(number(kKey, "WriteViewpoint", RegistryWrapper::kUsers), std::nullopt);
    EXPECT_EQ(number(kKey, "WriteViewpoint", 99), std::nullopt);
    EXPECT_EQ(number("Software\\Zorvik", "WriteViewpoint"), std::nullopt);
    EXPECT_EQ(number("Software\\Zorvik\\Pova\\Sub", "WriteViewpoint"), std::nullopt);
    EXPECT_EQ(text(kKey, "Missing"), std::nullopt);
}

TEST_F(RegistryWrapperTest, AppliesTheFileInOrder) {
    use("applied_in_order.reg");
    EXPECT_EQ(text(kKey, "A"), "second");
    EXPECT_EQ(text(kKey, "B"), std::nullopt);
    EXPECT_EQ(number(kKey, "C"), 1u);
    EXPECT_EQ(number(kKey, "Bad"), std::nullopt);
    EXPECT_EQ(text(kKey, "Junk"), std::nullopt);
    // Deleting a key removes what was set in it and below it, and nothing beside it.
    use("deleted_keys.reg");
    EXPECT_EQ(text("Software\\Zorvik\\Pova\\Sub", "S"), std::nullopt);
    EXPECT_EQ(text("Software\\Zorvik\\Pova\\Sub", "Ignored"), std::nullopt);
    EXPECT_EQ(text(kKey, "A"), "kept");
    EXPECT_EQ(text(kKey, "B"), "new");
    use("deleted_parent.reg");
    EXPECT_EQ(text(kKey, "A"), std::nullopt);
}

TEST_F(RegistryWrapperTest, ReadsHexFormsAndSkipsContinuedBinaryData) {
    use("hex_forms.reg");
    EXPECT_EQ(text(kKey, "Blob"), std::nullopt);
    EXPECT_EQ(number(kKey, "Blob"), std::nullopt);
    EXPECT_EQ(text(kKey, "Expand"), "%TMP%");
    EXPECT_EQ(number(kKey, "Word"), 42u);
    EXPECT_EQ(text(kKey, "After"), "still read");
}

TEST_F(RegistryWrapperTest, AcceptsUtf16AndUtf8WithByteOrderMarks) {
    use("utf16_bom.reg");
    EXPECT_EQ(text(kKey, "Name"), "caf\xC3\xA9");
    use("utf8_bom.reg");
    EXPECT_EQ(text(kKey, "Name"), "\xC3\xA9t\xC3\xA9");
}

TEST_F(RegistryWrapperTest, AbsentWithoutVariableFileOrHeader) {
    use("no_header.reg");
    EXPECT_EQ(text(kKey, "Name"), std::nullopt);
    use("with_header.reg");
    EXPECT_EQ(text(kKey, "Name"), "x");
    ::unsetenv("POVA_REGISTRY");
    EXPECT_EQ(text(kKey, "Name"), std::nullopt);
    use("missing.reg");
    EXPECT_EQ(text(kKey, "Name"), std::nullopt);
}

}  // namespace
