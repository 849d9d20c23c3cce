/// @class common::StyleCommon
/// The style of a format: every property a plain field, and the number
/// format string built from the number format.
///
/// Counted (born with one reference for its creator); each style numbers itself from a
/// process-wide counter. A copy is a new style with the same look: it is not in use, has no
/// parent index and no child commands of its own.
#pragma once

#include <pova/Style.h>
#include <pova/pova_export.h>

#include <memory>
#include <vector>

namespace common {

class POVA_API StyleCommon : public ZELT_o::Style {
public:
    StyleCommon();
    /// A copy of every field, with a copy of the number format.
    StyleCommon(StyleCommon const& other);
    StyleCommon& operator=(StyleCommon const&) = delete;

    ULONG getFGColour() const override { return fFGColour; }
    void setFGColour(ULONG colour) override { fFGColour = colour; }
    ULONG getBGColour() const override { return fBGColour; }
    void setBGColour(ULONG colour) override { fBGColour = colour; }
    PovaString getFontFamily() const override { return fFontFamily; }
    void setFontFamily(PovaString const& family) override { fFontFamily = family; }
    CY getFontSize() const override { return fFontSize; }
    void setFontSize(CY size) override { fFontSize = size; }
    Visibility getItalic() const override { return fItalic; }
    void setItalic(Visibility italic) override { fItalic = italic; }
    Visibility getBold() const override { return fBold; }
    void setBold(Visibility bold) override { fBold = bold; }
    Visibility getStrikeThrough() const override { return fStrikeThrough; }
    void setStrikeThrough(Visibility strikeThrough) override { fStrikeThrough = strikeThrough; }
    UnderlineStyle getUnderline() const override { return fUnderline; }
    void setUnderline(UnderlineStyle underline) override { fUnderline = underline; }
    ScriptMode getScriptMode() const override { return fScriptMode; }
    void setScriptMode(ScriptMode mode) override { fScriptMode = mode; }
    LONG getStyleID() const override { return fStyleID; }
    void setStyleID(LONG id) override { fStyleID = id; }
    LONG getFormatID() const override { return fFormatID; }
    void setFormatID(LONG id) override { fFormatID = id; }
    PovaString getNumberFormat() const override { return fNumberFormatString; }
    void setNumberFormat(PovaString const& formatString) override {
        fNumberFormatString = formatString;
    }
    PovaString getUserInfo() const override { return fUserInfo; }
    void setUserInfo(PovaString const& info) override { fUserInfo = info; }
    ZELT_o::Format* getParent() const override { return fParent; }
    void setParent(ZELT_o::Format* parent) override { fParent = parent; }
    ZELT_o::CellDataChunk* getCellDataChunk() const override { return fCellDataChunk; }
    void setCellDataChunk(ZELT_o::CellDataChunk* chunk) override { fCellDataChunk = chunk; }
    NumberFormat* getFormatObject() const override { return fNumberFormat.get(); }
    NumberFormat* createFormatObject(NumberFormat const* from) override;
    void deleteFormatObject() override;
    void updateFormatString() override;
    bool getInUse() const override { return fInUse; }
    void setInUse(bool inUse) override { fInUse = inUse; }
    LONG getParentIndex() const override { return fParentIndex; }
    void setParentIndex(LONG index) override { fParentIndex = index; }
    std::vector<LONG>& getChildCommands() override { return fChildCommands; }

    /// The format string for a number format; "" for null. A currency or percent symbol that
    /// holds characters with a meaning in format strings (letters, digits, ".", ",", a "%" in
    /// a longer symbol ...) is quoted, so that the string shows it as it is.
    static PovaString buildFormatString(NumberFormat const* format);
    /// Reading a format string back into fields is not supported: always throws
    /// ResultError(E_NOTIMPL).
    [[noreturn]] static void ReadFormatString(PovaString const& formatString, NumberFormat* format);

    /// The instance number the next style will get.
    static LONG peekNextInstance();

protected:
    ~StyleCommon() override;

private:
    bool fInUse = false;
    LONG fParentIndex = -1;
    ULONG fFGColour = 0xFFFFFFFF;
    ULONG fBGColour = 0xFFFFFFFF;
    PovaString fFontFamily = "None";
    CY fFontSize{-10000};  // -1 point: not set.
    Visibility fItalic = kVisibilityDefault;
    Visibility fBold = kVisibilityDefault;
    Visibility fStrikeThrough = kVisibilityDefault;
    UnderlineStyle fUnderline = kUnderlineDefault;
    ScriptMode fScriptMode = kScriptNormal;
    LONG fStyleID = -1;
    LONG fFormatID = -1;
    PovaString fNumberFormatString;
    PovaString fUserInfo;
    ZELT_o::Format* fParent = nullptr;                // Borrowed.
    ZELT_o::CellDataChunk* fCellDataChunk = nullptr;  // Borrowed.
    std::vector<LONG> fChildCommands;
    std::unique_ptr<NumberFormat> fNumberFormat;
};

}  // namespace common
