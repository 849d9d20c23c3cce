#include "UniqueNames.h"

namespace memcube {

PovaString bracket(PovaString const& name) {
    std::u16string text(1, u'[');
    for (char16_t ch : name.wstring()) {
        text += ch;
        if (ch == u']') {
            text += u']';
        }
    }
    text += u']';
    return PovaString(std::move(text));
}

PovaString qualify(PovaString const& parent, PovaString const& name) {
    return parent + PovaString(".") + bracket(name);
}

PovaString lookupKey(PovaString const& name) {
    PovaString key = name;
    key.trim();
    return key.toUpper();
}

PovaString stripBrackets(PovaString const& name) {
    std::u16string const& text = name.wstring();
    if (text.size() < 2 || text.front() != u'[' || text.back() != u']') {
        return name;
    }
    // Only one part: every "]" inside must be an escaped "]]".
    std::u16string inner;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == u']') {
            if (i + 2 < text.size() && text[i + 1] == u']') {
                inner += u']';
                ++i;
                continue;
            }
            return name;
        }
        inner += text[i];
    }
    return PovaString(std::move(inner));
}

}  // namespace memcube
