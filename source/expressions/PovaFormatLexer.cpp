#include "expressions/PovaFormatLexer.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

PovaFormatLexer::PovaFormatLexer(PovaString const& text, ZELT_o::Cube* cube)
    : fContext(cube),
      fLookupOn(true),
      fText(text),
      fPosition(0),
      fNumber(0),
      fAtEnd(false),
      fReadsPastEnd(0) {}

PovaFormatLexer::~PovaFormatLexer() = default;

OLECHAR const* PovaFormatLexer::getTokenText() const {
    fTokenText = PovaString(tokenText());
    return fTokenText.c_str();
}

double PovaFormatLexer::takeNumber() {
    double const number = fNumber;
    fNumber = 0;
    return number;
}

PovaString PovaFormatLexer::readWord() {
    OLECHAR c = getCharacter();
    while (isBlank(c)) {
        c = getCharacter();
    }
    std::u16string word;
    while (c != 0 && !isBlank(c)) {
        word += c;
        c = getCharacter();
    }
    ungetCharacter();
    return PovaString(std::move(word));
}

bool PovaFormatLexer::setLookup(bool on) {
    fLookupOn = on;
    return fLookupOn;
}

OLECHAR PovaFormatLexer::getCharacter() {
    if (fPosition >= fText.size()) {
        ++fReadsPastEnd;
        fAtEnd = true;
        return 0;
    }
    return fText[fPosition++];
}

OLECHAR PovaFormatLexer::ungetCharacter() {
    if (fReadsPastEnd > 0) {
        --fReadsPastEnd;
        return 0;
    }
    if (fPosition == 0) {
        return 0;
    }
    --fPosition;
    return fText[fPosition];
}

namespace {

// The value of the decimal digits "whole.fraction", correctly rounded; a value too large for a
// double is infinite, one too small is 0.
double decimal_value(std::string const& whole, std::string const& fraction) {
    std::string text = whole.empty() ? std::string("0") : whole;
    if (!fraction.empty()) {
        text += '.';
        text += fraction;
    }
    double value = 0;
    auto const [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        bool const large = whole.find_first_not_of('0') != std::string::npos;
        return large ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return value;
}

}  // namespace

void PovaFormatLexer::scanNumber() {
    fNumber = 0;
    std::string whole;
    std::string fraction;
    OLECHAR c = getCharacter();
    // Blanks inside a number are skipped, so "1 234" is one number.
    while (isDigit(c) || isBlank(c)) {
        if (isDigit(c)) {
            whole += static_cast<char>(c);
        }
        c = getCharacter();
    }
    if (c == u'.') {
        c = getCharacter();
        while (isDigit(c) || isBlank(c)) {
            if (isDigit(c)) {
                fraction += static_cast<char>(c);
            }
            c = getCharacter();
        }
    }
    ungetCharacter();
    double value = decimal_value(whole, fraction);
    // Magnitude suffixes are case-sensitive: "M" is a million, "m" a thousandth.
    switch (getCharacter()) {
        case u'k':
            value *= 1e3;
            break;
        case u'M':
            value *= 1e6;
            break;
        case u'B':
            value *= 1e9;
            break;
        case u'T':
            value *= 1e12;
            break;
        case u'm':
            value /= 1e3;
            break;
        case u'u':
            value /= 1e6;
            break;
        case u'n':
            value /= 1e9;
            break;
        case u'p':
            value /= 1e12;
            break;
        case u'%':
            value /= 100;
            break;
        default:
            ungetCharacter();
            break;
    }
    fNumber = value;
}

bool PovaFormatLexer::matchKeywordSuffix(char const* rest) {
    std::size_t i = 0;
    for (; rest[i] != '\0'; ++i) {
        std::size_t const at = fPosition + i;
        if (at >= fText.size()) {
            return false;
        }
        OLECHAR c = fText[at];
        if (c >= u'a' && c <= u'z') {
            c = static_cast<OLECHAR>(c - (u'a' - u'A'));
        }
        if (c != static_cast<OLECHAR>(rest[i])) {
            return false;
        }
    }
    std::size_t const after = fPosition + i;
    if (after < fText.size() && isLetter(fText[after])) {
        return false;
    }
    fPosition = after;
    return true;
}
