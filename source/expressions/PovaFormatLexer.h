// PovaFormatLexer: the character scanner under the expression and SQL lexers. It walks a copy
// of the text one character at a time, can put characters back (also reads past the end), and
// scans numbers with magnitude suffixes and case-insensitive keyword tails.
//
// A lexer belongs to one parse and one thread. The cube it is given is borrowed.
#pragma once

#include <basekit/PovaString.h>
#include <pova/pova_export.h>

#include <cstddef>
#include <string>
#include <string_view>

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

    // The text of the last name, braced name or parameter token, valid until the next token.
    // Unlike getTokenText() it copies nothing.
    std::u16string_view tokenText() const {
        std::u16string_view const source = fTokenInBuffer ? std::u16string_view(fTokenBuffer)
                                                          : std::u16string_view(fText.wstring());
        return source.substr(fTokenStart, fTokenLength);
    }

    // Character classes of the scanners.
    static bool isBlank(OLECHAR c) { return c == u' ' || c == u'\r' || c == u'\t'; }
    static bool isDigit(OLECHAR c) { return c >= u'0' && c <= u'9'; }
    static bool isLetter(OLECHAR c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
    static bool isOperator(OLECHAR c) {
        return c == u'+' || c == u'-' || c == u'^' || c == u'\\' || c == u'/' || c == u'*' ||
               c == u'%';
    }

protected:
    // The token text is the piece [start, start + length) of the scanned text.
    void set_token_text(std::size_t start, std::size_t length) {
        fTokenInBuffer = false;
        fTokenStart = start;
        fTokenLength = length;
    }
    // The token text is `text`, kept in the lexer's buffer.
    void set_token_text(std::u16string_view text) {
        fTokenBuffer.assign(text);
        fTokenInBuffer = true;
        fTokenStart = 0;
        fTokenLength = text.size();
    }

    ZELT_o::Cube* fContext;
    bool fLookupOn;
    PovaString fText;
    // Index of the next character in fText.
    std::size_t fPosition;
    // The token text is kept as a piece of fText where it can be, so that scanning a name
    // copies nothing; names that are rewritten (unescaped, made canonical) go to the buffer.
    bool fTokenInBuffer = false;
    std::size_t fTokenStart = 0;
    std::size_t fTokenLength = 0;
    std::u16string fTokenBuffer;
    // The zero-terminated copy getTokenText() hands out.
    mutable PovaString fTokenText;
    double fNumber;
    bool fAtEnd;
    int fReadsPastEnd;
};
