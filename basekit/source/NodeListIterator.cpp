// Reading typed values back from attribute text. Numbers are parsed with std::from_chars, which
// ignores the process locale and reads the shortest forms XmlSupport::write_to produces exactly.
#include <basekit/NodeListIterator.h>

#include <charconv>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>

namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    std::size_t const first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

// from_chars does not take an explicit plus sign; hand-written files may carry one.
std::string_view withoutPlus(std::string_view text) {
    if (text.size() > 1 && text[0] == '+' && text[1] != '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    return text;
}

// The attribute's text as stored; numbers and booleans are read from it without a detour
// through UTF-16.
bool attributeText(XmlNode node, XmlName const& name, std::string_view& text) {
    char const* value = node.attributeUtf8(name);
    if (value == nullptr) {
        return false;
    }
    text = value;
    return true;
}

template <typename Number>
bool parseWhole(std::string_view text, Number& value) {
    text = withoutPlus(trimmed(text));
    if (text.empty()) {
        return false;
    }
    Number parsed{};
    std::from_chars_result result;
    if constexpr (std::is_floating_point_v<Number>) {
        result = std::from_chars(text.data(), text.data() + text.size(), parsed,
                                 std::chars_format::general);
    } else {
        result = std::from_chars(text.data(), text.data() + text.size(), parsed, 10);
    }
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return false;
    }
    value = parsed;
    return true;
}

template <typename Number>
bool readNumber(XmlNode node, XmlName const& name, Number& value) {
    std::string_view text;
    return attributeText(node, name, text) && parseWhole(text, value);
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowerCase) {
    if (text.size() != lowerCase.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lowerCase[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

NodeListIterator::NodeListIterator(XmlNodeList list) : fList(std::move(list)) {}

bool NodeListIterator::read(XmlName const& name, bool& value) const {
    std::string_view text;
    if (!attributeText(iter(), name, text)) {
        return false;
    }
    std::string_view const word = trimmed(text);
    // "-1" is how an automation boolean's true converts to text.
    if (equalsIgnoringCase(word, "true") || word == "1" || word == "-1") {
        value = true;
        return true;
    }
    if (equalsIgnoringCase(word, "false") || word == "0") {
        value = false;
        return true;
    }
    return false;
}

bool NodeListIterator::read(XmlName const& name, LONG& value) const {
    return readNumber(iter(), name, value);
}

bool NodeListIterator::read(XmlName const& name, double& value) const {
    return readNumber(iter(), name, value);
}

bool NodeListIterator::read(XmlName const& name, float& value) const {
    return readNumber(iter(), name, value);
}

bool NodeListIterator::read(XmlName const& name, PovaString& value) const {
    return iter().getAttribute(name, value);
}

bool NodeListIterator::get_attribute(XmlName const& name, VARIANT* value) const {
    return iter().getAttribute(name, value);
}
