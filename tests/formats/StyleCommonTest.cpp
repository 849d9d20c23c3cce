#include <pova/common/FormatCommon.h>
#include <pova/common/StyleCommon.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

using common::FormatCommon;
using common::StyleCommon;
using ZELT_o::Style;
using NumberFormat = ZELT_o::Style::NumberFormat;

namespace {

// Every field of the look of a style, in one line; the bookkeeping fields (in use, parent
// index, child commands) are checked on their own.
std::string look(Style const& s) {
    std::ostringstream out;
    out << std::hex << s.getFGColour() << " " << s.getBGColour() << std::dec << " "
        << s.getFontFamily().string() << " " << s.getFontSize().int64 << " " << s.getItalic()
        << s.getBold() << s.getStrikeThrough() << " " << s.getUnderline() << s.getScriptMode()
        << " " << s.getStyleID() << " " << s.getFormatID() << " [" << s.getNumberFormat().string()
        << "] [" << s.getUserInfo().string() << "] " << (s.getParent() != nullptr)
        << (s.getCellDataChunk() != nullptr);
    return out.str();
}

TEST(StyleCommon, Defaults) {
    LONG const next = StyleCommon::peekNextInstance();
    auto style = support::adopt(new StyleCommon());
    EXPECT_EQ(style->getInstance(), next);
    EXPECT_EQ(look(*style), "ffffffff ffffffff None -10000 -1-1-1 10 -1 -1 [] [] 00");
    EXPECT_FALSE(style->getInUse());
    EXPECT_EQ(style->getParentIndex(), -1);
    EXPECT_TRUE(style->getChildCommands().empty());
    EXPECT_EQ(style->getFormatObject(), nullptr);
}

TEST(StyleCommon, CopyKeepsTheLookButNotTheBookkeeping) {
    FormatCommon owner;
    auto style = support::adopt(new StyleCommon());
    style->setInUse(true);
    style->setParentIndex(4);
    style->getChildCommands() = {7, 8};
    style->setFGColour(0x0000FF);
    style->setBGColour(0x00FF00);
    style->setFontFamily("Arial");
    style->setFontSize(CY{105000});
    style->setItalic(Style::kVisibilityOn);
    style->setBold(Style::kVisibilityOff);
    style->setStrikeThrough(Style::kVisibilityOn);
    style->setUnderline(Style::kUnderlineDouble);
    style->setScriptMode(Style::kScriptSubscript);
    style->setStyleID(11);
    style->setFormatID(12);
    style->setNumberFormat("0.0");
    style->setUserInfo("note");
    style->setParent(&owner);
    EXPECT_EQ(look(*style), "ff ff00 Arial 105000 101 32 11 12 [0.0] [note] 10");

    auto copy = support::adopt(new StyleCommon(*style));
    EXPECT_NE(copy->getInstance(), style->getInstance());
    EXPECT_EQ(look(*copy), look(*style));
    EXPECT_EQ(copy->getParent(), &owner);
    EXPECT_FALSE(copy->getInUse());
    EXPECT_EQ(copy->getParentIndex(), -1);
    EXPECT_TRUE(copy->getChildCommands().empty());
    EXPECT_EQ(copy->getFormatObject(), nullptr);
}

TEST(StyleCommon, CreateFormatObjectCopiesOrDefaults) {
    auto style = support::adopt(new StyleCommon());
    NumberFormat given;
    given.currencySymbol = "$";
    NumberFormat* made = style->createFormatObject(&given);
    EXPECT_EQ(style->getFormatObject(), made);
    EXPECT_NE(made, &given);
    EXPECT_EQ(*made, given);

    // From its own number format: still a faithful copy.
    EXPECT_EQ(*style->createFormatObject(style->getFormatObject()), given);
    EXPECT_EQ(*style->createFormatObject(nullptr), NumberFormat());

    style->deleteFormatObject();
    EXPECT_EQ(style->getFormatObject(), nullptr);
    style->deleteFormatObject();
}

}  // namespace
