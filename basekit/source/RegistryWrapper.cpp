// RegistryWrapper over a registry export file.
//
// The file is read the way an import would apply it, top to bottom: a later assignment of the
// same value wins, "name"=- deletes a value and a [-key] section deletes the key with its
// subkeys. Only string and dword values are readable; the other types are present but of the
// wrong kind. The file is read again at every call: lookups are rare and tests rewrite it.
#include <basekit/RegistryWrapper.h>

#include "NumberText.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Text = std::u16string;
using View = std::u16string_view;

enum class ValueKind { kAbsent, kString, kDword, kOther };

struct Value {
    ValueKind kind = ValueKind::kAbsent;
    Text text;
    DWORD number = 0;
};

struct RootName {
    View name;
    LONG root;
};

constexpr RootName kRootNames[] = {
    {u"hkey_classes_root", RegistryWrapper::kClassesRoot},
    {u"hkcr", RegistryWrapper::kClassesRoot},
    {u"hkey_current_config", RegistryWrapper::kCurrentConfig},
    {u"hkcc", RegistryWrapper::kCurrentConfig},
    {u"hkey_current_user", RegistryWrapper::kCurrentUser},
    {u"hkcu", RegistryWrapper::kCurrentUser},
    {u"hkey_local_machine", RegistryWrapper::kLocalMachine},
    {u"hklm", RegistryWrapper::kLocalMachine},
    {u"hkey_users", RegistryWrapper::kUsers},
    {u"hku", RegistryWrapper::kUsers},
};

Text folded(View text) {
    Text out(text);
    for (char16_t& c : out) {
        c = basekit::foldCase(c);
    }
    return out;
}

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

View trimmed(View text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// `prefix` is given in lower case.
bool startsWithIgnoringCase(View text, View prefix) {
    return text.size() >= prefix.size() && folded(text.substr(0, prefix.size())) == prefix;
}

// 1 to `maxDigits` hex digits, nothing else.
std::optional<DWORD> parseHex(View digits, std::size_t maxDigits) {
    if (digits.empty() || digits.size() > maxDigits) {
        return std::nullopt;
    }
    DWORD value = 0;
    for (char16_t c : digits) {
        int const digit = basekit::detail::hexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<DWORD>(digit);
    }
    return value;
}

// A key path without its root, folded, with empty components dropped.
Text normalizedKey(View path) {
    Text out;
    while (!path.empty()) {
        std::size_t const end = path.find(u'\\');
        View const component = path.substr(0, end);
        if (!component.empty()) {
            if (!out.empty()) {
                out.push_back(u'\\');
            }
            out += folded(component);
        }
        if (end == View::npos) {
            break;
        }
        path.remove_prefix(end + 1);
    }
    return out;
}

std::optional<LONG> rootNumber(View name) {
    Text const key = folded(name);
    for (RootName const& root : kRootNames) {
        if (root.name == key) {
            return root.root;
        }
    }
    return std::nullopt;
}

// Reads the file as text: UTF-16 with a byte order mark, else UTF-8, else (the ANSI files old
// tools wrote) Latin-1.
std::optional<Text> readFileText(char const* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string const bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return std::nullopt;
    }
    bool const little = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
    bool const big = bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF';
    if (little || big) {
        Text text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            auto const first = static_cast<unsigned char>(bytes[i]);
            auto const second = static_cast<unsigned char>(bytes[i + 1]);
            text.push_back(little ? static_cast<char16_t>(first | (second << 8))
                                  : static_cast<char16_t>((first << 8) | second));
        }
        return text;
    }
    std::string_view utf8 = bytes;
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") {
        utf8.remove_prefix(3);
    }
    bool valid = false;
    Text text = basekit::utf8ToUtf16(utf8, &valid);
    if (!valid) {
        text.clear();
        for (char c : utf8) {
            text.push_back(static_cast<unsigned char>(c));
        }
    }
    return text;
}

std::vector<View> splitLines(View text) {
    std::vector<View> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' || text[i] == u'\r') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

// A quoted string starting at `pos` (on the quote), with \\ and \" escapes. On success `pos`
// is just past the closing quote.
std::optional<Text> parseQuoted(View line, std::size_t& pos) {
    Text out;
    for (std::size_t i = pos + 1; i < line.size(); ++i) {
        char16_t const c = line[i];
        if (c == u'\\' && i + 1 < line.size() && (line[i + 1] == u'\\' || line[i + 1] == u'"')) {
            out.push_back(line[++i]);
        } else if (c == u'"') {
            pos = i + 1;
            return out;
        } else {
            out.push_back(c);
        }
    }
    return std::nullopt;
}

// "hex(n):aa,bb,..." or "hex:aa,..."; `data` already joined across continuation lines.
std::optional<Value> parseHexValue(View data, bool unicode) {
    data.remove_prefix(3);
    DWORD type = 3;  // binary
    if (!data.empty() && data.front() == u'(') {
        std::size_t const close = data.find(u')');
        if (close == View::npos) {
            return std::nullopt;
        }
        std::optional<DWORD> const parsed = parseHex(data.substr(1, close - 1), 8);
        if (!parsed) {
            return std::nullopt;
        }
        type = *parsed;
        data.remove_prefix(close + 1);
    }
    if (data.empty() || data.front() != u':') {
        return std::nullopt;
    }
    data.remove_prefix(1);
    std::string bytes;
    while (!trimmed(data).empty()) {
        std::size_t const comma = data.find(u',');
        std::optional<DWORD> const byte = parseHex(trimmed(data.substr(0, comma)), 2);
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(*byte));
        data = comma == View::npos ? View() : data.substr(comma + 1);
    }
    Value value;
    switch (type) {
        case 1:  // string
        case 2:  // string with unexpanded references, returned as stored
            value.kind = ValueKind::kString;
            if (unicode) {
                for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                    value.text.push_back(
                        static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
                }
            } else {
                value.text = basekit::utf8ToUtf16(bytes);
            }
            while (!value.text.empty() && value.text.back() == u'\0') {
                value.text.pop_back();
            }
            return value;
        case 4:  // little-endian dword
        case 5:  // big-endian dword
            if (bytes.size() != 4) {
                return std::nullopt;
            }
            value.kind = ValueKind::kDword;
            for (int i = 0; i < 4; ++i) {
                auto const byte = static_cast<unsigned char>(bytes[type == 4 ? 3 - i : i]);
                value.number = (value.number << 8) | byte;
            }
            return value;
        default:
            value.kind = ValueKind::kOther;
            return value;
    }
}

// The data after '='; nullopt for a line an import would refuse (it changes nothing).
std::optional<Value> parseData(View data, bool unicode) {
    if (data == u"-") {
        return Value{};
    }
    if (!data.empty() && data.front() == u'"') {
        std::size_t pos = 0;
        std::optional<Text> text = parseQuoted(data, pos);
        if (!text || !trimmed(data.substr(pos)).empty()) {
            return std::nullopt;
        }
        return Value{ValueKind::kString, std::move(*text), 0};
    }
    if (startsWithIgnoringCase(data, u"dword:")) {
        std::optional<DWORD> const number = parseHex(trimmed(data.substr(6)), 8);
        if (!number) {
            return std::nullopt;
        }
        return Value{ValueKind::kDword, {}, *number};
    }
    if (startsWithIgnoringCase(data, u"hex")) {
        return parseHexValue(data, unicode);
    }
    return std::nullopt;
}

struct Request {
    LONG root;
    Text key;   // normalised
    Text name;  // folded; empty for the default value
};

Value lookup(View file, Request const& request) {
    std::vector<View> const lines = splitLines(file);
    std::size_t i = 0;
    while (i < lines.size() && trimmed(lines[i]).empty()) {
        ++i;
    }
    if (i == lines.size()) {
        return {};
    }
    Text const header = folded(trimmed(lines[i]));
    bool const unicode = header == u"windows registry editor version 5.00";
    if (!unicode && header != u"regedit4") {
        return {};
    }

    Value found;
    bool inKey = false;
    for (++i; i < lines.size(); ++i) {
        View const line = trimmed(lines[i]);
        if (line.empty() || line.front() == u';') {
            continue;
        }
        if (line.front() == u'[') {
            inKey = false;
            std::size_t const close = line.rfind(u']');
            if (close == View::npos) {
                continue;
            }
            View path = line.substr(1, close - 1);
            bool const deletion = !path.empty() && path.front() == u'-';
            if (deletion) {
                path.remove_prefix(1);
            }
            std::size_t const slash = path.find(u'\\');
            std::optional<LONG> const root = rootNumber(path.substr(0, slash));
            if (!root || *root != request.root) {
                continue;
            }
            Text const key = slash == View::npos ? Text() : normalizedKey(path.substr(slash + 1));
            if (!deletion) {
                inKey = key == request.key;
            } else if (key.empty() || key == request.key ||
                       (request.key.size() > key.size() && request.key.starts_with(key) &&
                        request.key[key.size()] == u'\\')) {
                found = {};
            }
            continue;
        }

        std::optional<Text> name;
        std::size_t pos = 0;
        if (line.front() == u'@') {
            name = Text();
            pos = 1;
        } else if (line.front() == u'"') {
            name = parseQuoted(line, pos);
        }
        if (!name) {
            continue;
        }
        View rest = trimmed(line.substr(pos));
        if (rest.empty() || rest.front() != u'=') {
            continue;
        }
        rest = trimmed(rest.substr(1));
        Text data(rest);
        // Binary data runs over several lines, each but the last ending with a backslash.
        if (startsWithIgnoringCase(data, u"hex")) {
            while (!data.empty() && data.back() == u'\\' && i + 1 < lines.size()) {
                data.pop_back();
                data += trimmed(lines[++i]);
            }
        }
        if (!inKey || folded(*name) != request.name) {
            continue;
        }
        if (std::optional<Value> value = parseData(data, unicode)) {
            found = std::move(*value);
        }
    }
    return found;
}

Value findValue(LONG root, PovaString const& keyPath, PovaString const& valueName) {
    char const* path = std::getenv("POVA_REGISTRY");
    if (path == nullptr || *path == '\0' || root < RegistryWrapper::kClassesRoot ||
        root > RegistryWrapper::kUsers) {
        return {};
    }
    std::optional<Text> const file = readFileText(path);
    if (!file) {
        return {};
    }
    return lookup(*file,
                  Request{root, normalizedKey(keyPath.wstring()), folded(valueName.wstring())});
}

}  // namespace

bool RegistryWrapper::readRegKeyValue(LONG root, PovaString const& keyPath,
                                      PovaString const& valueName, PovaString& value) {
    Value found = findValue(root, keyPath, valueName);
    if (found.kind != ValueKind::kString) {
        return false;
    }
    value = PovaString(std::move(found.text));
    return true;
}

bool RegistryWrapper::readRegKeyValue(LONG root, PovaString const& keyPath,
                                      PovaString const& valueName, DWORD& value) {
    Value const found = findValue(root, keyPath, valueName);
    if (found.kind != ValueKind::kDword) {
        return false;
    }
    value = found.number;
    return true;
}
