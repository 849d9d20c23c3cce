#include <basekit/PovaString.h>

#include "NumberText.h"
#include "Utf.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace basekit {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence starting at text[i]; returns the code point and advances i, or
// returns -1 (advancing past the bad byte) for an invalid sequence.
long decodeUtf8(std::string_view text, std::size_t& i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char const lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    long cp = 0;
    long minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++i;
        return -1;
    }
    if (i + length > text.size()) {
        ++i;
        return -1;
    }
    for (int k = 1; k < length; ++k) {
        unsigned char const c = byte(i + k);
        if ((c & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < minimum || !detail::isScalarValue(static_cast<unsigned long>(cp))) {
        ++i;
        return -1;
    }
    i += length;
    return cp;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view utf8, bool* valid) {
    // Never longer than the UTF-8: every unit written consumes at least one byte.
    std::u16string out(utf8.size(), u'\0');
    char16_t* const begin = out.data();
    char16_t* next = begin;
    bool ok = true;
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto const c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            *next++ = c;
            ++i;
            continue;
        }
        long const cp = decodeUtf8(utf8, i);
        if (cp < 0) {
            ok = false;
            *next++ = kReplacement;
        } else if (cp >= 0x10000) {
            long const v = cp - 0x10000;
            *next++ = static_cast<char16_t>(0xD800 + (v >> 10));
            *next++ = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            *next++ = static_cast<char16_t>(cp);
        }
    }
    out.resize(static_cast<std::size_t>(next - begin));
    if (valid != nullptr) {
        *valid = ok;
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text, bool* valid) {
    std::string out;
    out.reserve(text.size());
    bool ok = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned long cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            ok = false;
            cp = kReplacement;  // a lone surrogate has no UTF-8 form
        }
        detail::appendUtf8(out, cp);
    }
    if (valid != nullptr) {
        *valid = ok;
    }
    return out;
}

char16_t foldCase(char16_t ch) {
    if (ch >= u'A' && ch <= u'Z') {
        return static_cast<char16_t>(ch + 32);
    }
    if (ch >= 0xC0 && ch <= 0xDE && ch != 0xD7) {
        return static_cast<char16_t>(ch + 32);
    }
    return ch;
}

char16_t upperCase(char16_t ch) {
    if (ch >= u'a' && ch <= u'z') {
        return static_cast<char16_t>(ch - 32);
    }
    if (ch >= 0xE0 && ch <= 0xFE && ch != 0xF7) {
        return static_cast<char16_t>(ch - 32);
    }
    return ch;
}

int compareText(std::u16string_view a, std::u16string_view b, bool ignoreCase) {
    std::size_t const common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        char16_t x = a[i];
        char16_t y = b[i];
        if (ignoreCase) {
            x = foldCase(x);
            y = foldCase(y);
        }
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace basekit

PovaString::PovaString(char const* utf8)
    : fText(utf8 == nullptr ? std::u16string() : basekit::utf8ToUtf16(utf8)) {}

PovaString::PovaString(std::string_view utf8) : fText(basekit::utf8ToUtf16(utf8)) {}

PovaString::PovaString(char16_t const* text) : fText(text == nullptr ? u"" : text) {}

PovaString::PovaString(char16_t const* text, size_type length)
    : fText(text == nullptr ? std::u16string() : std::u16string(text, length)) {}

PovaString::PovaString(char16_t ch) : fText(1, ch) {}

bool PovaString::fromUtf8(std::string_view utf8, PovaString& out) {
    bool valid = false;
    std::u16string text = basekit::utf8ToUtf16(utf8, &valid);
    if (!valid) {
        return false;
    }
    out.fText = std::move(text);
    return true;
}

PovaString PovaString::build(char const* format, ...) {
    std::va_list args;
    va_start(args, format);
    PovaString result = vbuild(format, args);
    va_end(args);
    return result;
}

PovaString PovaString::vbuild(char const* format, std::va_list args) {
    char small[256];
    std::va_list copy;
    va_copy(copy, args);
    int const needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) {
        return PovaString();
    }
    if (static_cast<std::size_t>(needed) < sizeof small) {
        return PovaString(std::string_view(small, static_cast<std::size_t>(needed)));
    }
    std::vector<char> large(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(large.data(), large.size(), format, args);
    return PovaString(std::string_view(large.data(), static_cast<std::size_t>(needed)));
}

PovaString& PovaString::operator=(char const* utf8) {
    *this = PovaString(utf8);
    return *this;
}

PovaString& PovaString::operator=(char16_t const* text) {
    fText = text == nullptr ? u"" : text;
    return *this;
}

PovaString& PovaString::operator+=(PovaString const& other) {
    fText += other.fText;
    return *this;
}

PovaString& PovaString::operator+=(char const* utf8) {
    if (utf8 != nullptr) {
        fText += basekit::utf8ToUtf16(utf8);
    }
    return *this;
}

PovaString& PovaString::operator+=(char16_t ch) {
    fText.push_back(ch);
    return *this;
}

bool PovaString::operator==(char const* utf8) const {
    // ASCII text, the usual case, compares without converting.
    if (utf8 == nullptr) {
        return fText.empty();
    }
    std::size_t i = 0;
    for (; utf8[i] != '\0'; ++i) {
        auto const c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x80) {
            return fText == basekit::utf8ToUtf16(utf8);
        }
        if (i >= fText.size() || fText[i] != c) {
            return false;
        }
    }
    return i == fText.size();
}

int PovaString::strcmp(PovaString const& text, bool ignoreCase) const {
    return basekit::compareText(fText, text.fText, ignoreCase);
}

int PovaString::strncmp(PovaString const& text, size_type n, bool ignoreCase) const {
    std::u16string_view const mine = fText;
    std::u16string_view const theirs = text.fText;
    return basekit::compareText(mine.substr(0, n), theirs.substr(0, n), ignoreCase);
}

PovaString::size_type PovaString::find(PovaString const& text, size_type from) const {
    return fText.find(text.fText, from);
}

PovaString& PovaString::trim() {
    fText = std::u16string(basekit::detail::trimBlanks(fText));
    return *this;
}

PovaString& PovaString::toUpper() {
    for (char16_t& ch : fText) {
        ch = basekit::upperCase(ch);
    }
    return *this;
}

PovaString PovaString::toEscaped() const {
    std::u16string out;
    out.reserve(fText.size());
    for (char16_t ch : fText) {
        switch (ch) {
            case u'&':
                out += u"&amp;";
                break;
            case u'<':
                out += u"&lt;";
                break;
            case u'>':
                out += u"&gt;";
                break;
            case u'"':
                out += u"&quot;";
                break;
            case u'\'':
                out += u"&apos;";
                break;
            default:
                out.push_back(ch);
        }
    }
    return PovaString(std::move(out));
}

BSTR PovaString::createBSTR() const {
    return SysAllocStringLen(fText.data(), static_cast<UINT>(fText.size()));
}

void PovaString::fillFromBSTR(BSTR text) {
    if (text == nullptr) {
        fText.clear();
    } else {
        fText.assign(text, SysStringLen(text));
    }
}

std::unique_ptr<char16_t[]> PovaString::strdup() const {
    auto copy = std::make_unique<char16_t[]>(fText.size() + 1);
    std::copy(fText.begin(), fText.end(), copy.get());
    copy[fText.size()] = u'\0';
    return copy;
}

std::string PovaString::string() const {
    return basekit::utf16ToUtf8(fText);
}

int vsnuprintf(char16_t* buffer, std::size_t count, char const* format, std::va_list args) {
    if (buffer == nullptr || count == 0) {
        return -1;
    }
    PovaString const text = PovaString::vbuild(format, args);
    std::size_t const n = std::min(text.size(), count - 1);
    std::copy_n(text.c_str(), n, buffer);
    buffer[n] = u'\0';
    return static_cast<int>(n);
}

int suprintf(char16_t* buffer, std::size_t count, char const* format, ...) {
    std::va_list args;
    va_start(args, format);
    int const result = vsnuprintf(buffer, count, format, args);
    va_end(args);
    return result;
}
