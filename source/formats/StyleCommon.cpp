#include <basekit/BaseError.h>
#include <pova/common/StyleCommon.h>
#include <pova/support/InstanceCounter.h>

#include <algorithm>
#include <string>

namespace common {

namespace {

support::InstanceCounter gStyleInstances;

// Digits written for the decimal places: a loaded count is not trusted to size a string.
constexpr LONG kMaxDecimalPlaces = 64;

// The seven pieces of one section of a format string.
struct Section {
    std::u16string prefix;
    std::u16string integer;
    std::u16string point;
    std::u16string decimals;
    std::u16string scale;
    std::u16string exponent;
    std::u16string suffix;

    std::u16string text() const {
        return prefix + integer + point + decimals + scale + exponent + suffix;
    }
};

std::u16string scale_text(LONG scaleFactor) {
    switch (scaleFactor) {
        case ZELT_o::Style::kScaleThousands:
            return u",";
        case ZELT_o::Style::kScaleMillions:
            return u",,";
        case ZELT_o::Style::kScaleBillions:
            return u",,,";
        case ZELT_o::Style::kScaleTrillions:
            return u",,,,";
        default:
            return u"";
    }
}

}  // namespace

StyleCommon::StyleCommon() : ZELT_o::Style("StyleCommon", gStyleInstances.next()) {}

StyleCommon::StyleCommon(StyleCommon const& other)
    : ZELT_o::Style("StyleCommon", gStyleInstances.next()),
      fFGColour(other.fFGColour),
      fBGColour(other.fBGColour),
      fFontFamily(other.fFontFamily),
      fFontSize(other.fFontSize),
      fItalic(other.fItalic),
      fBold(other.fBold),
      fStrikeThrough(other.fStrikeThrough),
      fUnderline(other.fUnderline),
      fScriptMode(other.fScriptMode),
      fStyleID(other.fStyleID),
      fFormatID(other.fFormatID),
      fNumberFormatString(other.fNumberFormatString),
      fUserInfo(other.fUserInfo),
      fParent(other.fParent),
      fCellDataChunk(other.fCellDataChunk),
      fNumberFormat(other.fNumberFormat ? std::make_unique<NumberFormat>(*other.fNumberFormat)
                                        : nullptr) {}

StyleCommon::~StyleCommon() = default;

LONG StyleCommon::peekNextInstance() {
    return gStyleInstances.peek();
}

ZELT_o::Style::NumberFormat* StyleCommon::createFormatObject(NumberFormat const* from) {
    // Copied before the old one goes: `from` may be the current number format.
    auto created =
        from != nullptr ? std::make_unique<NumberFormat>(*from) : std::make_unique<NumberFormat>();
    fNumberFormat = std::move(created);
    return fNumberFormat.get();
}

void StyleCommon::deleteFormatObject() {
    fNumberFormat.reset();
}

void StyleCommon::updateFormatString() {
    fNumberFormatString = buildFormatString(fNumberFormat.get());
}

PovaString StyleCommon::buildFormatString(NumberFormat const* format) {
    if (format == nullptr) {
        return PovaString();
    }
    NumberFormat const& f = *format;
    Section positive;
    Section negative;

    positive.integer = f.thousandSeparator.empty() ? u"####" : u"#,###";
    positive.decimals.assign(
        static_cast<std::size_t>(std::clamp(f.decimalPlaces, 0, kMaxDecimalPlaces)),
        f.stripTrailingZeros ? u'#' : u'0');
    // The client's decimal point is its own business: the string always has ".".
    positive.point = f.decimalPointCharacter.empty() ? u"" : u".";
    positive.scale = scale_text(f.scaleFactor);
    positive.exponent = f.scientific ? u"E+000" : u"";
    negative = positive;

    bool const percent = !f.percentSymbol.empty();
    bool const currency = !f.currencySymbol.empty();
    for (Section* section : {&positive, &negative}) {
        if (percent && f.percentIsPrefix) {
            section->prefix += f.percentSymbol.wstring();
        }
        if (currency && f.currencyIsPrefix) {
            section->prefix += f.currencySymbol.wstring();
        }
    }
    if (f.negativeStyle == kNegativeMinus) {
        negative.prefix += u"-";
    } else if (f.negativeStyle == kNegativeParentheses) {
        negative.prefix += u"(";
        negative.suffix += u")";
    }
    if (f.hasPlus) {
        positive.prefix += u"+";
    }
    for (Section* section : {&positive, &negative}) {
        if (currency && !f.currencyIsPrefix) {
            section->suffix += f.currencySymbol.wstring();
        }
        if (percent && !f.percentIsPrefix) {
            section->suffix += f.percentSymbol.wstring();
        }
    }
    return PovaString(positive.text() + u";" + negative.text());
}

void StyleCommon::ReadFormatString(PovaString const& /*formatString*/, NumberFormat* /*format*/) {
    throw ResultError(E_NOTIMPL);
}

}  // namespace common
