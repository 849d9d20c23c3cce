// ClientError: a command line the client refuses before the library sees it, or a command
// that cannot be done, with an optional second line saying what to type instead. Also the
// helpers that read numbers and names from a command's words and put library errors into
// words.
#pragma once

#include <basekit/BaseError.h>
#include <pova/Types.h>

#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace pova_tool {

class ClientError : public std::runtime_error {
public:
    // A usage error (exit status 2) when `usage`, else a failed command (exit status 1).
    ClientError(std::string const& message, std::string hint, bool usage)
        : std::runtime_error(message), fHint(std::move(hint)), fUsage(usage) {}

    std::string const& hint() const { return fHint; }
    bool isUsage() const { return fUsage; }

private:
    std::string fHint;
    bool fUsage;
};

// Wrong words: an unknown command or option, a wrong count, a number out of its range.
struct UsageError : ClientError {
    explicit UsageError(std::string const& message, std::string hint = {})
        : ClientError(message, std::move(hint), true) {}
};

// Right words that cannot be acted on now ("nothing to undo", a file that cannot be read).
struct Refusal : ClientError {
    explicit Refusal(std::string const& message, std::string hint = {})
        : ClientError(message, std::move(hint), false) {}
};

// The hint that points at the layout, for a wrong axis or position.
inline constexpr char kLayoutHint[] = "type 'layout' to see the axes and their dimensions";

// The whole word as a number; "'x' is not a number" otherwise. Inline, as the next two, so
// that the format command's source stands alone.
inline LONG parseNumber(std::string const& word, std::string const& hint = {}) {
    LONG value = 0;
    auto const [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error == std::errc::result_out_of_range) {
        throw UsageError("'" + word + "' is too large a number", hint);
    }
    if (error != std::errc() || end != word.data() + word.size()) {
        throw UsageError("'" + word + "' is not a number", hint);
    }
    return value;
}

// A number from `low` to `high`: "WHAT must be LOW to HIGH, not N" otherwise.
inline LONG parseInRange(std::string const& word, LONG low, LONG high, std::string const& what,
                         std::string const& hint = {}) {
    LONG const value = parseNumber(word, hint);
    if (value < low || value > high) {
        throw UsageError(what + " must be " + std::to_string(low) + " to " + std::to_string(high) +
                             ", not " + word,
                         hint);
    }
    return value;
}

// A library error in words, with its code: "MESSAGE [0xC2011213]".
inline std::string describe(BaseError const& error) {
    char code[16];
    std::snprintf(code, sizeof code, " [0x%08X]", static_cast<unsigned>(error.code()));
    return error.getText(nullptr).string() + code;
}
std::string describe(ResultError const& error);
// What to type instead after a library error with this code; "" when there is nothing to say.
std::string hintFor(std::uint32_t code);

}  // namespace pova_tool

namespace ZELT_o {
class Viewpoint;
}

namespace pova_tool {

// An axis of the viewpoint: "axis 7 does not exist: the viewpoint has axes 0 to 2" otherwise.
LONG parseAxis(ZELT_o::Viewpoint& viewpoint, std::string const& word, std::string const& hint);
// A position on `axis`, from 0 to its last dimension (one past it when `pastEnd`).
LONG parsePosition(ZELT_o::Viewpoint& viewpoint, LONG axis, std::string const& word, bool pastEnd,
                   std::string const& hint);

}  // namespace pova_tool
