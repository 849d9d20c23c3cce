/// @class ZELT_o::Style
/// How cells look: colours, font attributes and an optional number format from
/// which the style derives a two-section format string ("positive;negative").
///
/// Counted (born with one reference for its creator). The style owns its number format; the
/// format and the cell data chunk it points to are borrowed. One thread uses a style at a time.
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
    /// Whether a font attribute (italic, bold, strike-through) is on; kVisibilityDefault leaves
    /// it to whatever the cell would have without this style.
    enum Visibility : LONG {
        kVisibilityDefault = -1,
        kVisibilityOff = 0,
        kVisibilityOn = 1,
    };
    /// How text is underlined.
    enum UnderlineStyle : LONG {
        kUnderlineNone = 0,
        kUnderlineDefault = 1,
        kUnderlineSingle = 2,
        kUnderlineDouble = 3,
    };
    /// Normal text, superscript or subscript.
    enum ScriptMode : LONG {
        kScriptNormal = 0,
        kScriptSuperscript = 1,
        kScriptSubscript = 2,
    };

    /// What kind of number the format is meant for; the format string does not depend on it.
    enum NumberFormatType : LONG {
        kNumberGeneral = 0,
        kNumberFixed = 1,
        kNumberCurrency = 2,
        kNumberPercent = 3,
        kNumberScientific = 4,
    };
    /// Divides the shown value by a power of 1000; other values (0 to 3, above 7) do not scale.
    enum ScaleFactor : LONG {
        kScaleNone = 0,
        kScaleThousands = 4,
        kScaleMillions = 5,
        kScaleBillions = 6,
        kScaleTrillions = 7,
    };
    /// How a negative value is marked. Styles other than minus and parentheses add no sign: the
    /// client shows such values in its own way (in colour, say).
    enum NegativeStyle : LONG {
        kNegativeMinus = 0,
        kNegativeParentheses = 1,
        kNegativeUnmarked = 2,
    };

    /// The fields a format string is built from. Created and owned by the style.
    struct NumberFormat {
        /// A NumberFormatType.
        LONG numberFormatType = kNumberGeneral;
        /// A ScaleFactor.
        LONG scaleFactor = kScaleNone;
        /// Negative: no decimals.
        LONG decimalPlaces = -1;
        /// Not empty: the string shows this currency symbol.
        PovaString currencySymbol;
        /// Whether the currency symbol comes before the number.
        bool currencyIsPrefix = true;
        /// Not empty: digits are grouped (the separator itself is the client's).
        PovaString thousandSeparator;
        /// Whether trailing zeros of the decimals are left out.
        bool stripTrailingZeros = false;
        /// A NegativeStyle.
        LONG negativeStyle = kNegativeMinus;
        /// Whether positive values show a plus sign.
        bool hasPlus = false;
        /// Not empty: the string has a decimal point (always written ".").
        PovaString decimalPointCharacter = ".";
        /// Not empty: the value is a percentage shown with this symbol.
        PovaString percentSymbol;
        /// Whether the percent symbol comes before the number.
        bool percentIsPrefix = false;
        /// Whether the number is shown with an exponent.
        bool scientific = false;
        /// The client's own text, kept and saved.
        PovaString userInfo;

        friend bool operator==(NumberFormat const&, NumberFormat const&) = default;
    };

    ///@{
    /// Colours are 0x00BBGGRR; all bits set means "not set".
    virtual ULONG getFGColour() const = 0;
    virtual void setFGColour(ULONG colour) = 0;
    virtual ULONG getBGColour() const = 0;
    virtual void setBGColour(ULONG colour) = 0;
    ///@}
    ///@{
    /// The font family; empty when not set.
    virtual PovaString getFontFamily() const = 0;
    virtual void setFontFamily(PovaString const& family) = 0;
    ///@}
    ///@{
    /// Points, as currency; negative means "not set".
    virtual CY getFontSize() const = 0;
    virtual void setFontSize(CY size) = 0;
    ///@}
    ///@{
    /// Whether text is italic, bold or struck through.
    virtual Visibility getItalic() const = 0;
    virtual void setItalic(Visibility italic) = 0;
    virtual Visibility getBold() const = 0;
    virtual void setBold(Visibility bold) = 0;
    virtual Visibility getStrikeThrough() const = 0;
    virtual void setStrikeThrough(Visibility strikeThrough) = 0;
    ///@}
    ///@{
    /// The underline and the script mode.
    virtual UnderlineStyle getUnderline() const = 0;
    virtual void setUnderline(UnderlineStyle underline) = 0;
    virtual ScriptMode getScriptMode() const = 0;
    virtual void setScriptMode(ScriptMode mode) = 0;
    ///@}
    ///@{
    /// The ids of the style and of the format that holds it.
    virtual LONG getStyleID() const = 0;
    virtual void setStyleID(LONG id) = 0;
    virtual LONG getFormatID() const = 0;
    virtual void setFormatID(LONG id) = 0;
    ///@}
    ///@{
    /// The number format string (see updateFormatString).
    virtual PovaString getNumberFormat() const = 0;
    virtual void setNumberFormat(PovaString const& formatString) = 0;
    ///@}
    ///@{
    /// The client's own text, kept and saved.
    virtual PovaString getUserInfo() const = 0;
    virtual void setUserInfo(PovaString const& info) = 0;
    ///@}
    ///@{
    /// The format the style belongs to (borrowed), or null.
    virtual Format* getParent() const = 0;
    virtual void setParent(Format* parent) = 0;
    ///@}
    ///@{
    /// The cells the style is applied to (borrowed), or null.
    virtual CellDataChunk* getCellDataChunk() const = 0;
    virtual void setCellDataChunk(CellDataChunk* chunk) = 0;
    ///@}
    /// The style's number format, or null. The pointer stays valid until the number format is
    /// deleted or replaced.
    virtual NumberFormat* getFormatObject() const = 0;
    /// Replaces the number format by a copy of `from` (defaults when null) and returns it.
    virtual NumberFormat* createFormatObject(NumberFormat const* from) = 0;
    /// Deletes the number format; getFormatObject() is then null.
    virtual void deleteFormatObject() = 0;
    /// Rebuilds the number format string from the number format ("" without one): a positive
    /// and a negative section, as spreadsheet programs accept them.
    virtual void updateFormatString() = 0;
    ///@{
    /// Whether the viewpoint applies the style.
    virtual bool getInUse() const = 0;
    virtual void setInUse(bool inUse) = 0;
    ///@}
    ///@{
    /// The id of the style this one modifies; -1 for none.
    virtual LONG getParentIndex() const = 0;
    virtual void setParentIndex(LONG index) = 0;
    ///@}
    /// The ids of the styles that modify this one.
    virtual std::vector<LONG>& getChildCommands() = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Style(char const* module, LONG instance) : support::RefCount(module, instance) {}
    ~Style() override;
};

}  // namespace ZELT_o
