#include <basekit/BaseError.h>
#include <pova/common/StyleCommon.h>
#include <pova/support/InstanceCounter.h>

#include <algorithm>
#include <string>
#include <string_view>

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

// Characters that a format string shows as they are. Any other character would be read as a
// format code (digits, "#", ".", ",", "%", "E", letters for dates and colours, "[", "@", "_",
// "*", ";") or start one (a quote, a backslash).
bool is_literal(char16_t ch) {
    constexpr std::u16string_view kPunctuation = u" $-+/():!^&'~{}<>=";
    constexpr char16_t kNoBreakSpace = 0x00A0;
    constexpr char16_t kCent = 0x00A2;
    constexpr char16_t kYen = 0x00A5;
    constexpr char16_t kCurrencyBlockFirst = 0x20A0;
    constexpr char16_t kCurrencyBlockLast = 0x20CF;
    return kPunctuation.find(ch) != std::u16string_view::npos || ch == kNoBreakSpace ||
           (ch >= kCent && ch <= kYen) || (ch >= kCurrencyBlockFirst && ch <= kCurrencyBlockLast);
}

// Whether `text` ends with the closing quote of a quoted run (an escaped quote is "\"").
bool ends_quoted(std::u16string const& text) {
    return text.size() >= 2 && text.back() == u'"' && text[text.size() - 2] != u'\\';
}

// Appends a currency or percent symbol so that the format string shows it as it is. A lone
// "%" stays as it is: it is the percent code the symbol stands for. Other symbols with a
// character that is not literal are quoted; a quote or backslash in them is escaped outside
// the quotes. A quoted run right after another continues it, so that no "" appears, which
// some readers take for an escaped quote.
void append_symbol(std::u16string& to, std::u16string const& symbol) {
    if (symbol == u"%" || std::all_of(symbol.begin(), symbol.end(), is_literal)) {
        to += symbol;
        return;
    }
    bool open = ends_quoted(to);
    if (open) {
        to.pop_back();
    }
    for (char16_t const ch : symbol) {
        bool const escaped = ch == u'"' || ch == u'\\';
        // A quote closes before an escape and opens before any other character.
        if (open == escaped) {
            to += u'"';
            open = !open;
        }
        if (escaped) {
            to += u'\\';
        }
        to += ch;
    }
    if (open) {
        to += u'"';
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
            append_symbol(section->prefix, f.percentSymbol.wstring());
        }
        if (currency && f.currencyIsPrefix) {
            append_symbol(section->prefix, f.currencySymbol.wstring());
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
            append_symbol(section->suffix, f.currencySymbol.wstring());
        }
        if (percent && !f.percentIsPrefix) {
            append_symbol(section->suffix, f.percentSymbol.wstring());
        }
    }
    return PovaString(positive.text() + u";" + negative.text());
}

void StyleCommon::ReadFormatString(PovaString const& /*formatString*/, NumberFormat* /*format*/) {
    throw ResultError(E_NOTIMPL);
}

}  // namespace common
