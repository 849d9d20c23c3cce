#include <basekit/RegistryWrapper.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr char const* kKey = "Software\\Zorvik\\Pova";

class RegistryWrapperTest : public ::testing::Test {
protected:
    void SetUp() override {
        fPath = std::filesystem::temp_directory_path() /
                ("pova-registry-" + std::to_string(::getpid()) + ".reg");
        ::setenv("POVA_REGISTRY", fPath.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("POVA_REGISTRY");
        std::filesystem::remove(fPath);
    }

    void write(std::string const& bytes) {
        std::ofstream out(fPath, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    static bool text(PovaString const& key, PovaString const& name, std::string& value,
                     LONG root = RegistryWrapper::kLocalMachine) {
        PovaString read;
        if (!RegistryWrapper::readRegKeyValue(root, key, name, read)) {
            return false;
        }
        value = read.string();
        return true;
    }
    static bool number(PovaString const& key, PovaString const& name, DWORD& value,
                       LONG root = RegistryWrapper::kLocalMachine) {
        return RegistryWrapper::readRegKeyValue(root, key, name, value);
    }

    std::filesystem::path fPath;
};

TEST_F(RegistryWrapperTest, ReadsStringsAndDwords) {
    write(
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; a comment\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Zorvik\\Pova]\r\n"
        "\"ViewpointLocation\"=\"C:\\\\dumps\\\\ \\\"q\\\"\"\r\n"
        "\"WriteViewpoint\"=dword:0000002a\r\n"
        "\"Max\"=dword:FFFFFFFF\r\n"
        "@=\"default\"\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Zorvik\\Pova]\r\n"
        "\"WriteViewpoint\"=dword:00000007\r\n");
    std::string s;
    DWORD n = 0;
    ASSERT_TRUE(text(kKey, "ViewpointLocation", s));
    EXPECT_EQ(s, "C:\\dumps\\ \"q\"");
    ASSERT_TRUE(number(kKey, "WriteViewpoint", n));
    EXPECT_EQ(n, 42u);
    ASSERT_TRUE(number(kKey, "Max", n));
    EXPECT_EQ(n, 0xFFFFFFFFu);
    ASSERT_TRUE(text(kKey, "", s));
    EXPECT_EQ(s, "default");
    ASSERT_TRUE(number(kKey, "WriteViewpoint", n, RegistryWrapper::kCurrentUser));
    EXPECT_EQ(n, 7u);

    // Names and paths match regardless of case and stray separators.
    EXPECT_TRUE(number("\\SOFTWARE\\zorvik\\\\pova\\", "writeviewpoint", n));

    // Wrong kind, wrong root, wrong key, missing value: false, and the output is untouched.
    n = 7;
    EXPECT_FALSE(text(kKey, "WriteViewpoint", s));
    EXPECT_FALSE(number(kKey, "ViewpointLocation", n));
    EXPECT_FALSE(number(kKey, "WriteViewpoint", n, RegistryWrapper::kUsers));
    EXPECT_FALSE(number(kKey, "WriteViewpoint", n, 99));
    EXPECT_FALSE(number("Software\\Zorvik", "WriteViewpoint", n));
    EXPECT_FALSE(number("Software\\Zorvik\\Pova\\Sub", "WriteViewpoint", n));
    EXPECT_FALSE(text(kKey, "Missing", s));
    EXPECT_EQ(n, 7u);
}

TEST_F(RegistryWrapperTest, AppliesTheFileInOrder) {
    write(
        "REGEDIT4\n"
        "[HKLM\\Software\\Zorvik\\Pova]\n"
        "\"A\"=\"first\"\n"
        "\"B\"=\"kept\"\n"
        "\"C\"=dword:1\n"
        "[hklm\\software\\zorvik\\pova]\n"
        "\"A\"=\"second\"\n"
        "\"B\"=-\n"
        "\"Bad\"=dword:123456789\n"
        "\"Junk\"=something\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
        "\"A\"=\"other key\"\n");
    std::string s;
    DWORD n = 0;
    ASSERT_TRUE(text(kKey, "A", s));
    EXPECT_EQ(s, "second");
    EXPECT_FALSE(text(kKey, "B", s));
    EXPECT_TRUE(number(kKey, "C", n));
    EXPECT_FALSE(number(kKey, "Bad", n));
    EXPECT_FALSE(text(kKey, "Junk", s));

    // Deleting a key removes what was set in it and below it, and nothing beside it.
    write(
        "REGEDIT4\n"
        "[HKLM\\Software\\Zorvik\\Pova\\Sub]\n"
        "\"S\"=\"gone\"\n"
        "[HKLM\\Software\\Zorvik\\Pova]\n"
        "\"A\"=\"kept\"\n"
        "[-HKLM\\Software\\Zorvik\\Pov]\n"
        "[-HKLM\\Software\\Zorvik\\Pova\\Sub]\n"
        "\"Ignored\"=\"no key\"\n"
        "[HKLM\\Software\\Zorvik\\Pova]\n"
        "\"B\"=\"new\"\n");
    EXPECT_FALSE(text("Software\\Zorvik\\Pova\\Sub", "S", s));
    EXPECT_FALSE(text("Software\\Zorvik\\Pova\\Sub", "Ignored", s));
    ASSERT_TRUE(text(kKey, "A", s));
    EXPECT_EQ(s, "kept");
    ASSERT_TRUE(text(kKey, "B", s));
    EXPECT_EQ(s, "new");

    write(
        "REGEDIT4\n"
        "[HKLM\\Software\\Zorvik\\Pova]\n"
        "\"A\"=\"gone\"\n"
        "[-HKEY_LOCAL_MACHINE\\Software\\Zorvik]\n");
    EXPECT_FALSE(text(kKey, "A", s));
}

TEST_F(RegistryWrapperTest, ReadsHexFormsAndSkipsContinuedBinaryData) {
    write(
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Zorvik\\Pova]\n"
        "\"Blob\"=hex:01,02,03,\\\n"
        "  04,05,\\\n"
        "  06\n"
        "\"Expand\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\n"
        "\"Word\"=hex(4):2a,00,00,00\n"
        "\"After\"=\"still read\"\n");
    std::string s;
    DWORD n = 0;
    EXPECT_FALSE(text(kKey, "Blob", s));
    EXPECT_FALSE(number(kKey, "Blob", n));
    ASSERT_TRUE(text(kKey, "Expand", s));
    EXPECT_EQ(s, "%TMP%");
    ASSERT_TRUE(number(kKey, "Word", n));
    EXPECT_EQ(n, 42u);
    ASSERT_TRUE(text(kKey, "After", s));
    EXPECT_EQ(s, "still read");
}

TEST_F(RegistryWrapperTest, AcceptsUtf16AndUtf8WithByteOrderMarks) {
    std::u16string const content =
        u"Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\Software\\Zorvik\\Pova]"
        u"\r\n\"Name\"=\"caf\u00e9\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : content) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    write(bytes);
    std::string s;
    ASSERT_TRUE(text(kKey, "Name", s));
    EXPECT_EQ(s, "caf\xC3\xA9");

    write(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Zorvik\\Pova]\n\"Name\"=\"\xC3\xA9t\xC3\xA9\"\n");
    ASSERT_TRUE(text(kKey, "Name", s));
    EXPECT_EQ(s, "\xC3\xA9t\xC3\xA9");
}

TEST_F(RegistryWrapperTest, AbsentWithoutVariableFileOrHeader) {
    std::string s;
    write("[HKEY_LOCAL_MACHINE\\Software\\Zorvik\\Pova]\n\"Name\"=\"x\"\n");
    EXPECT_FALSE(text(kKey, "Name", s));

    write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Zorvik\\Pova]\n\"Name\"=\"x\"\n");
    EXPECT_TRUE(text(kKey, "Name", s));
    ::unsetenv("POVA_REGISTRY");
    EXPECT_FALSE(text(kKey, "Name", s));
    ::setenv("POVA_REGISTRY", (fPath.string() + ".missing").c_str(), 1);
    EXPECT_FALSE(text(kKey, "Name", s));
}

}  // namespace
