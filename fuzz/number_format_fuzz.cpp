// Feeds arbitrary bytes to the number format compiler and renderer.
//
// The first eight bytes (when there are that many) are a double to render; the rest is the
// format string. Every string must compile or raise BaseError 0xC2017330; a compiled format must
// render that double, a few fixed ones and a text without throwing, into texts of bounded
// length, reporting a section that exists and a fill inside the text. Anything else stops the
// run.
#include <basekit/BaseError.h>
#include <pova/common/NumberFormatter.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace {

void check(bool condition, char const* what, std::string_view format) {
    if (!condition) {
        std::fprintf(stderr, "number_format_fuzz: %s for format \"%.*s\"\n", what,
                     static_cast<int>(format.size()), format.data());
        std::abort();
    }
}

void check_rendered(common::NumberFormatter::Rendered const& rendered, std::string const& text,
                    std::string_view format) {
    // Literals, digits for up to 10^308 shifted by at most 400 places, their separators.
    check(text.size() <= 4 * format.size() + 2000, "an overlong text", format);
    check(rendered.section >= -1 && rendered.section < 4, "a section out of range", format);
    check(rendered.fill.empty() || rendered.fillAt <= text.size(), "a fill outside the text",
          format);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    double value = 0.0;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    std::string_view const format(reinterpret_cast<char const*>(data), size);
    std::optional<common::NumberFormatter> formatter;
    try {
        formatter.emplace(format);
    } catch (BaseError const& error) {
        check(error.code() == 0xC2017330u, "an unexpected error code", format);
        return 0;
    }
    std::string text;
    double const values[] = {value,
                             0.0,
                             -0.0,
                             -1.5,
                             0.005,
                             1e-300,
                             -1.7976931348623157e308,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::quiet_NaN()};
    for (double const v : values) {
        check_rendered(formatter->render(v, text), text, format);
    }
    check_rendered(formatter->renderText("text", text), text, format);
    return 0;
}
