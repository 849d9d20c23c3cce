#include "ClientError.h"

#include <basekit/MessageCatalog.h>
#include <pova/Viewpoint.h>

#include <cstdio>

namespace pova_tool {

namespace {

std::string with_code(std::string text, std::uint32_t code) {
    char bracket[16];
    std::snprintf(bracket, sizeof bracket, " [0x%08X]", static_cast<unsigned>(code));
    return text + bracket;
}

}  // namespace

LONG parseAxis(ZELT_o::Viewpoint& viewpoint, std::string const& word, std::string const& hint) {
    LONG const axis = parseNumber(word, hint);
    LONG const axes = viewpoint.countAxes() + viewpoint.countPagedAxes();
    if (axis < 0 || axis >= axes) {
        throw UsageError("axis " + word + " does not exist: the viewpoint has axes 0 to " +
                             std::to_string(axes - 1),
                         hint);
    }
    return axis;
}

LONG parsePosition(ZELT_o::Viewpoint& viewpoint, LONG axis, std::string const& word, bool pastEnd,
                   std::string const& hint) {
    LONG const position = parseNumber(word, hint);
    auto const count = static_cast<LONG>(viewpoint.getAxisDimensions(axis).size());
    LONG const last = pastEnd ? count : count - 1;
    if (last < 0) {
        throw UsageError("axis " + std::to_string(axis) + " holds no dimension", hint);
    }
    if (position < 0 || position > last) {
        throw UsageError("position " + word + " does not exist on axis " + std::to_string(axis) +
                             ": " +
                             (last == 0 ? std::string("its only position is 0")
                                        : "its positions are 0 to " + std::to_string(last)),
                         hint);
    }
    return position;
}

std::string describe(ResultError const& error) {
    // Plain result codes say little on their own: the client words them for its user.
    static std::pair<HRESULT, char const*> const words[] = {
        {E_INVALIDARG, "the argument is not valid"},
        {E_UNEXPECTED, "the viewpoint cannot do that in its present state"},
        {E_FAIL, "the operation failed"},
        {E_NOTIMPL, "the provider does not do that"},
        {E_POINTER, "an object the operation needs is missing"},
        {E_OUTOFMEMORY, "there is not enough memory"},
    };
    auto const code = static_cast<std::uint32_t>(error.result());
    for (auto const& [result, text] : words) {
        if (result == error.result()) {
            return with_code(text, code);
        }
    }
    char const* text = basekit::findMessage(code);
    return with_code(text != nullptr ? text : "the operation failed", code);
}

std::string hintFor(std::uint32_t code) {
    switch (code) {
        case 0x02017024u:  // An axis the viewpoint does not have.
        case 0xC201120Fu:  // A position outside the axes.
        case 0xC2011212u:  // A full axis.
        case 0xC2011213u:  // An axis left with too few dimensions.
        case 0xC201B23Eu:  // A view axis whose type cannot change.
            return kLayoutHint;
        case 0x02017066u:
        case 0x02017067u:
        case 0x02017068u:
            return "type 'help filter' to see how an expression is written";
        case 0xC201C100u:  // A filter the provider cannot evaluate.
            return "type 'filter' to see the filters, 'undo' to take the last change back";
        case 0xC2017330u:
            return "type 'help format' to see what a format string holds";
        default:
            return "";
    }
}

}  // namespace pova_tool
