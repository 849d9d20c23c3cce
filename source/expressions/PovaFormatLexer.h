// PovaFormatLexer: the character scanner under the expression and SQL lexers. It walks a copy
// of the text one character at a time, can put characters back (also reads past the end), and
// scans numbers with magnitude suffixes and case-insensitive keyword tails.
//
// A lexer belongs to one parse and one thread. The cube it is given is borrowed.
#pragma once

#include <basekit/PovaString.h>
#include <pova/pova_export.h>

#include <cstddef>
#include <utility>

namespace ZELT_o {
class Cube;
}

class POVA_API PovaFormatLexer {
public:
    PovaFormatLexer(PovaString const& text, ZELT_o::Cube* cube);
    PovaFormatLexer(PovaFormatLexer const& other) = default;
    PovaFormatLexer& operator=(PovaFormatLexer const& other) = default;

    // The text of the last name, braced name or parameter token.
    virtual OLECHAR const* getTokenText() const;
    // The value of the last number token; the stored number goes back to 0.
    virtual double takeNumber();
    // Skips blanks and returns the characters up to the next blank.
    virtual PovaString readWord();
    // Turns name classification on or off; returns the new setting.
    virtual bool setLookup(bool on);
    virtual ~PovaFormatLexer();
    // The next character, or 0 at the end of the text (each such read is counted).
    virtual OLECHAR getCharacter();
    // Takes back the last read: a read past the end, or else the previous character, which is
    // returned.
    virtual OLECHAR ungetCharacter();
    // Reads a number at the position into the stored number: digits with blanks inside, an
    // optional fraction, then an optional magnitude suffix (k M B T m u n p %).
    virtual void scanNumber();
    // Whether the next characters are `rest` (upper-case ASCII, compared case-insensitively)
    // and no letter follows; on a match the position moves past them.
    virtual bool matchKeywordSuffix(char const* rest);

    // Hands over the text of the last name, braced name or parameter token, leaving it empty.
    PovaString takeTokenText() { return std::move(fTokenText); }

    // Character classes of the scanners.
    static bool isBlank(OLECHAR c) { return c == u' ' || c == u'\r' || c == u'\t'; }
    static bool isDigit(OLECHAR c) { return c >= u'0' && c <= u'9'; }
    static bool isLetter(OLECHAR c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
    static bool isOperator(OLECHAR c) {
        return c == u'+' || c == u'-' || c == u'^' || c == u'\\' || c == u'/' || c == u'*' ||
               c == u'%';
    }

protected:
    ZELT_o::Cube* fContext;
    bool fLookupOn;
    PovaString fText;
    // Index of the next character in fText.
    std::size_t fPosition;
    PovaString fTokenText;
    double fNumber;
    bool fAtEnd;
    int fReadsPastEnd;
};
