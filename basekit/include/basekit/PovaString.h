/// @class PovaString
/// The UTF-16 string of every name, caption and text of the system.
///
/// Narrow text given to it is UTF-8; invalid UTF-8 sequences become U+FFFD (see fromUtf8 for a
/// checked conversion). Case-insensitive comparison and toUpper fold ASCII and Latin-1 letters.
/// A PovaString is a value; it is safe to use from several threads as long as no thread writes
/// an instance another is reading.
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/basekit_export.h>

#include <cstdarg>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class BASEKIT_API PovaString {
public:
    ///@{
    /// Sizes and positions, and "no position".
    using size_type = std::u16string::size_type;
    static constexpr size_type npos = std::u16string::npos;
    ///@}

    PovaString() = default;
    ///@{
    /// A string of UTF-8 text, of UTF-16 text (zero-terminated, or of a length), of one character.
    PovaString(char const* utf8);  // NOLINT: implicit, like the platform string classes
    PovaString(std::string_view utf8);
    PovaString(std::string const& utf8) : PovaString(std::string_view(utf8)) {}
    PovaString(char16_t const* text);  // NOLINT
    PovaString(char16_t const* text, size_type length);
    explicit PovaString(char16_t ch);
    PovaString(std::u16string text) : fText(std::move(text)) {}
    PovaString(std::u16string_view text) : fText(text) {}
    ///@}

    /// Converts UTF-8; false (and `out` untouched) when `utf8` is not valid UTF-8.
    static bool fromUtf8(std::string_view utf8, PovaString& out);

    /// printf-style formatting of a narrow (UTF-8) format; the result is converted to UTF-16.
    static PovaString build(char const* format, ...) __attribute__((format(printf, 1, 2)));
    /// build() with a va_list.
    static PovaString vbuild(char const* format, std::va_list args);

    ///@{
    /// Assign or append UTF-8 text, UTF-16 text or a character.
    PovaString& operator=(char const* utf8);
    PovaString& operator=(char16_t const* text);
    PovaString& operator+=(PovaString const& other);
    PovaString& operator+=(char const* utf8);
    PovaString& operator+=(char16_t ch);
    ///@}

    friend PovaString operator+(PovaString left, PovaString const& right) {
        left += right;
        return left;
    }

    ///@{
    /// Compare the UTF-16 code units exactly (with UTF-8 text: its UTF-16 form).
    bool operator==(PovaString const& other) const { return fText == other.fText; }
    bool operator!=(PovaString const& other) const { return fText != other.fText; }
    bool operator<(PovaString const& other) const { return fText < other.fText; }
    bool operator==(char const* utf8) const;
    bool operator!=(char const* utf8) const { return !(*this == utf8); }
    ///@}

    /// Three-way comparisons: negative, 0 or positive. `ignoreCase` folds letters first.
    int strcmp(PovaString const& text, bool ignoreCase = false) const;
    /// Compares at most the first n characters of both strings.
    int strncmp(PovaString const& text, size_type n, bool ignoreCase = false) const;

    ///@{
    /// Position of `text` at or after `from`, or npos.
    size_type find(PovaString const& text, size_type from = 0) const;
    size_type find(char16_t ch, size_type from = 0) const { return fText.find(ch, from); }
    ///@}

    /// Remove leading and trailing white space, in place.
    PovaString& trim();
    /// Upper-case the letters, in place.
    PovaString& toUpper();
    /// A copy with the characters that are special in XML text and attributes written as
    /// entities (&amp; &lt; &gt; &quot; &apos;).
    PovaString toEscaped() const;

    /// A new BSTR holding the text; the caller frees it with SysFreeString.
    BSTR createBSTR() const;
    /// Replaces the text with the BSTR's (a null BSTR gives the empty string).
    void fillFromBSTR(BSTR text);
    /// A heap copy of the text with its terminating zero.
    std::unique_ptr<char16_t[]> strdup() const;

    /// UTF-8 form.
    std::string string() const;
    ///@{
    /// The UTF-16 text (borrowed), as a string or zero-terminated.
    std::u16string const& wstring() const { return fText; }
    char16_t const* c_str() const { return fText.c_str(); }
    ///@}

    ///@{
    /// The number of UTF-16 code units, or whether there are none.
    size_type size() const { return fText.size(); }
    size_type length() const { return fText.size(); }
    bool empty() const { return fText.empty(); }
    ///@}
    /// Empties the string.
    void clear() { fText.clear(); }
    /// The i-th code unit.
    char16_t operator[](size_type i) const { return fText[i]; }
    /// At most `count` code units from `from`.
    PovaString substr(size_type from, size_type count = npos) const {
        return PovaString(fText.substr(from, count));
    }

private:
    std::u16string fText;
};

///@{
/// Formats a narrow printf-style format into a UTF-16 buffer of `count` characters, always
/// zero-terminated when count > 0. Returns the number of characters written (without the
/// terminator), or -1 on a formatting error. Output that does not fit is cut.
BASEKIT_API int suprintf(char16_t* buffer, std::size_t count, char const* format, ...)
    __attribute__((format(printf, 3, 4)));
BASEKIT_API int vsnuprintf(char16_t* buffer, std::size_t count, char const* format,
                           std::va_list args);
///@}

/// Text conversions shared by the string, automation and XML code.
namespace basekit {
///@{
/// Invalid input (malformed UTF-8, a UTF-16 surrogate without its pair) becomes U+FFFD; `valid`,
/// when given, says whether the input had none.
BASEKIT_API std::u16string utf8ToUtf16(std::string_view utf8, bool* valid = nullptr);
BASEKIT_API std::string utf16ToUtf8(std::u16string_view text, bool* valid = nullptr);
///@}
///@{
/// The character folded for a case-insensitive comparison, or upper-cased (ASCII and Latin-1
/// letters).
BASEKIT_API char16_t foldCase(char16_t ch);
BASEKIT_API char16_t upperCase(char16_t ch);
///@}
/// Three-way comparison by UTF-16 code unit: -1, 0 or 1, a prefix first. `ignoreCase` folds
/// letters first (foldCase).
BASEKIT_API int compareText(std::u16string_view a, std::u16string_view b, bool ignoreCase);
}  // namespace basekit

/// @cond
// Hashes a PovaString as its UTF-16 text, so that it can key unordered containers.
template <>
struct std::hash<PovaString> {
    std::size_t operator()(PovaString const& s) const noexcept {
        return std::hash<std::u16string>{}(s.wstring());
    }
};
/// @endcond
