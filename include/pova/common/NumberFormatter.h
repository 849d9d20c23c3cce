/// @class common::NumberFormatter
/// Renders cell values with a spreadsheet-style number format string,
/// such as "#,##0.00;[Red](#,##0.00)" or the strings StyleCommon builds.
///
/// What a format string may hold, section by section (up to four, separated by ";": positive,
/// negative, zero, text; with conditions such as "[<100]" the numeric sections are tried in order
/// instead): the digit placeholders 0, # and ?; "," between integer placeholders for thousands
/// and after the last placeholder to divide by 1,000 each; "." and "%" (which multiplies by 100);
/// "E+" and "E-" exponents; "General"; "@" (the text, in the text section); literal text in quotes
/// or after a backslash, and the characters that stand for themselves ($ - + ( ) : / and space
/// among them); "_x" (one space, the width of x in a fixed-width text); "*x" (a fill: reported,
/// not rendered); "[$sym-locale]" currency symbols; colours ([Red], [Color12]). Dates, times and
/// fractions are not supported: such a string is refused when compiled.
///
/// Numbers are rounded half away from zero at the last shown digit, after being taken to 15
/// significant digits, as spreadsheets do: 0.015 shown with two decimals is 0.02. A section for
/// negative numbers (the second of a format without conditions, or one whose condition admits
/// negative numbers alone, such as "[<0]") shows their magnitude; any other section showing a
/// negative number gets a minus sign in front, even when the number rounds to zero ("-0.00").
/// With conditions, the first section whose condition holds shows the value (a section without
/// one takes any value), else the last. In scientific notation the mantissa fills its integer
/// placeholders when they are all "0" ("00.00E+00": 12.35E+03), and the exponent is a multiple
/// of their number when one is "#" or "?" ("##0.0E+0": 12.3E+3); scaling commas do nothing there.
/// Not-a-number and infinities render as "#NUM!".
///
/// A formatter is a value: compiled once, copied cheaply (copies share the compiled program), never
/// changed after construction, so any number of threads may render with one at the same time.
/// Rendering writes into a string the caller provides and reuses, and allocates nothing else.
#pragma once

#include <basekit/OleAuto.h>
#include <pova/pova_export.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace common {

namespace numfmt {
struct Program;
}

class POVA_API NumberFormatter {
public:
    /// The colours a section may ask for. kIndexed stands for [ColorN], N in Rendered::colourIndex.
    enum class Colour : std::uint8_t {
        kNone,
        kBlack,
        kBlue,
        kCyan,
        kGreen,
        kMagenta,
        kRed,
        kWhite,
        kYellow,
        kIndexed,
    };

    /// What a rendering reports besides its text.
    struct Rendered {
        /// The section that rendered the value (0 to 3), or -1 when none did: an empty cell, an
        /// error, a text that the format has no text section for, not-a-number.
        int section = -1;
        /// The section's colour.
        Colour colour = Colour::kNone;
        int colourIndex = 0;  ///< 1 to 56 for kIndexed, else 0.
        ///@{
        /// The section's fill ("*x"): the character to repeat (UTF-8; empty when there is none)
        /// and the byte offset in the text where the repetitions belong, so that a caller who
        /// knows the width can pad there. The view points into the formatter.
        std::string_view fill;
        std::size_t fillAt = 0;
        ///@}
    };

    /// The format "General".
    NumberFormatter();
    /// Compiles a format string (UTF-8). Throws BaseError 0xC2017330 with the format and what is
    /// wrong with it (and where) as inserts when the string is malformed or asks for what is not
    /// supported.
    explicit NumberFormatter(std::string_view format);

    /// The format string as given.
    std::string const& formatString() const;

    /// Each render replaces the contents of `out` with the rendered text.
    Rendered render(double value, std::string& out) const;
    /// A text cell: through the text section, or unchanged when there is none.
    Rendered renderText(std::string_view text, std::string& out) const;
    /// An empty cell renders as nothing, whatever the format.
    Rendered renderEmpty(std::string& out) const;
    /// An error cell ("#N/A", "#DIV/0!" ...) renders as its error text, whatever the format.
    Rendered renderError(std::string_view error, std::string& out) const;
    /// A cell value: VT_EMPTY and VT_NULL are empty; numbers, currency and dates are numbers;
    /// booleans render as TRUE or FALSE and texts through renderText; VT_ERROR is "#VALUE!".
    Rendered render(VARIANT const& value, std::string& out) const;

private:
    std::shared_ptr<numfmt::Program const> fProgram;
};

}  // namespace common
