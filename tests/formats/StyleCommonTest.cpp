#include <pova/common/FormatCommon.h>
#include <pova/common/StyleCommon.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

using common::FormatCommon;
using common::StyleCommon;
using ZELT_o::Style;
using NumberFormat = ZELT_o::Style::NumberFormat;

namespace {

TEST(StyleCommon, Defaults) {
    LONG const next = StyleCommon::peekNextInstance();
    auto style = support::adopt(new StyleCommon());
    EXPECT_EQ(style->getInstance(), next);
    EXPECT_FALSE(style->getInUse());
    EXPECT_EQ(style->getParentIndex(), -1);
    EXPECT_EQ(style->getFGColour(), 0xFFFFFFFFu);
    EXPECT_EQ(style->getBGColour(), 0xFFFFFFFFu);
    EXPECT_EQ(style->getFontFamily(), PovaString("None"));
    EXPECT_EQ(style->getFontSize().int64, -10000);
    EXPECT_EQ(style->getItalic(), Style::kVisibilityDefault);
    EXPECT_EQ(style->getBold(), -1);
    EXPECT_EQ(style->getStrikeThrough(), -1);
    EXPECT_EQ(style->getUnderline(), 1);
    EXPECT_EQ(style->getScriptMode(), 0);
    EXPECT_EQ(style->getStyleID(), -1);
    EXPECT_EQ(style->getFormatID(), -1);
    EXPECT_TRUE(style->getNumberFormat().empty());
    EXPECT_TRUE(style->getUserInfo().empty());
    EXPECT_EQ(style->getParent(), nullptr);
    EXPECT_EQ(style->getCellDataChunk(), nullptr);
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
    NumberFormat* original = style->createFormatObject(nullptr);
    original->decimalPlaces = 3;

    auto copy = support::adopt(new StyleCommon(*style));
    EXPECT_NE(copy->getInstance(), style->getInstance());
    EXPECT_FALSE(copy->getInUse());
    EXPECT_EQ(copy->getParentIndex(), -1);
    EXPECT_TRUE(copy->getChildCommands().empty());
    EXPECT_EQ(copy->getFGColour(), 0x0000FFu);
    EXPECT_EQ(copy->getBGColour(), 0x00FF00u);
    EXPECT_EQ(copy->getFontFamily(), PovaString("Arial"));
    EXPECT_EQ(copy->getFontSize().int64, 105000);
    EXPECT_EQ(copy->getItalic(), Style::kVisibilityOn);
    EXPECT_EQ(copy->getBold(), Style::kVisibilityOff);
    EXPECT_EQ(copy->getStrikeThrough(), Style::kVisibilityOn);
    EXPECT_EQ(copy->getUnderline(), Style::kUnderlineDouble);
    EXPECT_EQ(copy->getScriptMode(), Style::kScriptSubscript);
    EXPECT_EQ(copy->getStyleID(), 11);
    EXPECT_EQ(copy->getFormatID(), 12);
    EXPECT_EQ(copy->getNumberFormat(), PovaString("0.0"));
    EXPECT_EQ(copy->getUserInfo(), PovaString("note"));
    EXPECT_EQ(copy->getParent(), &owner);
    // The number format is the copy's own.
    ASSERT_NE(copy->getFormatObject(), nullptr);
    EXPECT_NE(copy->getFormatObject(), original);
    EXPECT_EQ(*copy->getFormatObject(), *original);
    original->decimalPlaces = 5;
    EXPECT_EQ(copy->getFormatObject()->decimalPlaces, 3);
}

TEST(StyleCommon, CopyWithoutNumberFormatHasNone) {
    auto style = support::adopt(new StyleCommon());
    auto copy = support::adopt(new StyleCommon(*style));
    EXPECT_EQ(copy->getFormatObject(), nullptr);
}

TEST(StyleCommon, CreateFormatObjectCopiesOrDefaults) {
    auto style = support::adopt(new StyleCommon());
    NumberFormat given;
    given.currencySymbol = "$";
    given.decimalPlaces = 2;
    NumberFormat* made = style->createFormatObject(&given);
    EXPECT_EQ(style->getFormatObject(), made);
    EXPECT_NE(made, &given);
    EXPECT_EQ(*made, given);

    // From its own number format: still a faithful copy.
    NumberFormat* again = style->createFormatObject(style->getFormatObject());
    EXPECT_EQ(*again, given);

    NumberFormat* fresh = style->createFormatObject(nullptr);
    EXPECT_EQ(*fresh, NumberFormat());

    style->deleteFormatObject();
    EXPECT_EQ(style->getFormatObject(), nullptr);
    style->deleteFormatObject();
    EXPECT_EQ(style->getFormatObject(), nullptr);
}

}  // namespace
