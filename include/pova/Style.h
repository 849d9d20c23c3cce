// ZELT_o::Style: how cells look: colours, font attributes and an optional number format from
// which the style derives a two-section format string ("positive;negative").
//
// Counted (born with one reference for its creator). The style owns its number format; the
// format and the cell data chunk it points to are borrowed. One thread uses a style at a time.
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>
#include <pova/pova_export.h>
#include <pova/support/RefCount.h>

#include <vector>

namespace ZELT_o {

class CellDataChunk;
class Format;

class POVA_API Style : public support::RefCount {
public:
    // Whether a font attribute (italic, bold, strike-through) is on; kVisibilityDefault leaves
    // it to whatever the cell would have without this style.
    enum Visibility : LONG {
        kVisibilityDefault = -1,
        kVisibilityOff = 0,
        kVisibilityOn = 1,
    };
    enum UnderlineStyle : LONG {
        kUnderlineNone = 0,
        kUnderlineDefault = 1,
        kUnderlineSingle = 2,
        kUnderlineDouble = 3,
    };
    enum ScriptMode : LONG {
        kScriptNormal = 0,
        kScriptSuperscript = 1,
        kScriptSubscript = 2,
    };

    // What kind of number the format is meant for; the format string does not depend on it.
    enum NumberFormatType : LONG {
        kNumberGeneral = 0,
        kNumberFixed = 1,
        kNumberCurrency = 2,
        kNumberPercent = 3,
        kNumberScientific = 4,
    };
    // Divides the shown value by a power of 1000; other values (0 to 3, above 7) do not scale.
    enum ScaleFactor : LONG {
        kScaleNone = 0,
        kScaleThousands = 4,
        kScaleMillions = 5,
        kScaleBillions = 6,
        kScaleTrillions = 7,
    };
    // How a negative value is marked. Styles other than minus and parentheses add no sign: the
    // client shows such values in its own way (in colour, say).
    enum NegativeStyle : LONG {
        kNegativeMinus = 0,
        kNegativeParentheses = 1,
        kNegativeUnmarked = 2,
    };

    // The fields a format string is built from. Created and owned by the style.
    struct NumberFormat {
        LONG numberFormatType = kNumberGeneral;
        LONG scaleFactor = kScaleNone;
        // Negative: no decimals.
        LONG decimalPlaces = -1;
        PovaString currencySymbol;
        bool currencyIsPrefix = true;
        // Not empty: digits are grouped (the separator itself is the client's).
        PovaString thousandSeparator;
        bool stripTrailingZeros = false;
        LONG negativeStyle = kNegativeMinus;
        bool hasPlus = false;
        // Not empty: the string has a decimal point (always written ".").
        PovaString decimalPointCharacter = ".";
        PovaString percentSymbol;
        bool percentIsPrefix = false;
        bool scientific = false;
        PovaString userInfo;

        friend bool operator==(NumberFormat const&, NumberFormat const&) = default;
    };

    // Colours are 0x00BBGGRR; all bits set means "not set".
    virtual ULONG getFGColour() const = 0;
    virtual void setFGColour(ULONG colour) = 0;
    virtual ULONG getBGColour() const = 0;
    virtual void setBGColour(ULONG colour) = 0;
    virtual PovaString getFontFamily() const = 0;
    virtual void setFontFamily(PovaString const& family) = 0;
    // Points, as currency; negative means "not set".
    virtual CY getFontSize() const = 0;
    virtual void setFontSize(CY size) = 0;
    virtual Visibility getItalic() const = 0;
    virtual void setItalic(Visibility italic) = 0;
    virtual Visibility getBold() const = 0;
    virtual void setBold(Visibility bold) = 0;
    virtual Visibility getStrikeThrough() const = 0;
    virtual void setStrikeThrough(Visibility strikeThrough) = 0;
    virtual UnderlineStyle getUnderline() const = 0;
    virtual void setUnderline(UnderlineStyle underline) = 0;
    virtual ScriptMode getScriptMode() const = 0;
    virtual void setScriptMode(ScriptMode mode) = 0;
    virtual LONG getStyleID() const = 0;
    virtual void setStyleID(LONG id) = 0;
    virtual LONG getFormatID() const = 0;
    virtual void setFormatID(LONG id) = 0;
    // The number format string (see updateFormatString).
    virtual PovaString getNumberFormat() const = 0;
    virtual void setNumberFormat(PovaString const& formatString) = 0;
    virtual PovaString getUserInfo() const = 0;
    virtual void setUserInfo(PovaString const& info) = 0;
    // The format the style belongs to (borrowed), or null.
    virtual Format* getParent() const = 0;
    virtual void setParent(Format* parent) = 0;
    virtual CellDataChunk* getCellDataChunk() const = 0;
    virtual void setCellDataChunk(CellDataChunk* chunk) = 0;
    // The style's number format, or null. The pointer stays valid until the number format is
    // deleted or replaced.
    virtual NumberFormat* getFormatObject() const = 0;
    // Replaces the number format by a copy of `from` (defaults when null) and returns it.
    virtual NumberFormat* createFormatObject(NumberFormat const* from) = 0;
    virtual void deleteFormatObject() = 0;
    // Rebuilds the number format string from the number format ("" without one): a positive
    // and a negative section, as spreadsheet programs accept them.
    virtual void updateFormatString() = 0;
    virtual bool getInUse() const = 0;
    virtual void setInUse(bool inUse) = 0;
    virtual LONG getParentIndex() const = 0;
    virtual void setParentIndex(LONG index) = 0;
    virtual std::vector<LONG>& getChildCommands() = 0;

protected:
    Style(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Style() override;
};

}  // namespace ZELT_o
