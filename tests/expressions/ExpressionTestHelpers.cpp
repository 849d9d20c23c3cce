#include "ExpressionTestHelpers.h"

#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

namespace expression_test {

namespace {

// The text, or the string it quotes with the escapes undone.
std::string unquoted(std::string const& raw) {
    if (raw.size() < 2 || raw.front() != '"' || raw.back() != '"') {
        return raw;
    }
    std::string result;
    for (std::size_t i = 1; i + 1 < raw.size(); ++i) {
        char c = raw[i];
        if (c == '\\' && i + 2 < raw.size()) {
            c = raw[++i];
            c = c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
        }
        result += c;
    }
    return result;
}

// Reads a node of a shape from `at` on.
Tree build_node(std::string const& text, std::size_t& at) {
    Tree node = newTree();
    char* end = nullptr;
    auto const kind = static_cast<LONG>(std::strtol(text.c_str() + at, &end, 10));
    at = static_cast<std::size_t>(end - text.c_str());
    node->setType(static_cast<ZELT_o::Expression::ExpressionType>(kind));
    if (at < text.size() && text[at] == '[') {
        // Names hold brackets of their own: the value runs to the last "]" before the next
        // child or the end.
        std::size_t const close = text.rfind(']', text.find_first_of("(,)", at));
        std::string const value = text.substr(at + 1, close - at - 1);
        at = close + 1;
        VARIANT& held = node->getValue();
        if (kind == ZELT_o::Expression::kNumber) {
            held.vt = VT_R8;
            held.dblVal = std::strtod(value.c_str(), nullptr);
        } else if (kind == ZELT_o::Expression::kBoolean) {
            held.vt = VT_BOOL;
            held.boolVal = value == "True" ? VARIANT_TRUE : VARIANT_FALSE;
        } else {
            node->setStringValue(PovaString(value).c_str());
        }
    }
    if (at < text.size() && text[at] == '(') {
        do {
            ++at;
            node->AddNewChild(build_node(text, at).detach());
        } while (at < text.size() && text[at] == ',');
        ++at;
    }
    return node;
}

}  // namespace

Tree parse(PovaString const& text, ZELT_o::Cube* cube, bool lookup, Tree tree) {
    try {
        EXPECT_TRUE(tree->setTextAndCreateTree(text, cube, lookup));
    } catch (BaseError const& error) {
        ADD_FAILURE() << "parsing [" << text.string() << "]: " << error.what();
    }
    return tree;
}

PovaString saved(ZELT_o::Expression& tree) {
    XmlSupport xml;
    xml.createDocument();
    tree.save(xml, 0, xml.createElement("Expression"));
    return xml.xml();
}

Tree loaded(PovaString const& text, Tree tree) {
    XmlSupport xml;
    EXPECT_TRUE(xml.readXml(text));
    NodeListIterator iterator(XmlNodeList{xml.documentElement()});
    tree->load(iterator, nullptr);
    return tree;
}

BaseError caughtError(std::function<void()> const& action) {
    try {
        action();
    } catch (BaseError const& error) {
        return error;
    }
    ADD_FAILURE() << "no error thrown";
    return BaseError(0, "none");
}

HRESULT caughtResult(std::function<void()> const& action) {
    try {
        action();
    } catch (ResultError const& error) {
        return error.result();
    }
    ADD_FAILURE() << "no result code thrown";
    return 0;
}

std::string describe(BaseError const& error) {
    char code[16];
    std::snprintf(code, sizeof code, "!%X", static_cast<unsigned>(error.code()));
    std::string const insert = error.getInsert(0).string();
    return insert.empty() ? code : std::string(code) + "[" + insert + "]";
}

std::string shape(ZELT_o::Expression* tree) {
    std::string text = std::to_string(tree->getType());
    VARIANT const& value = tree->getValue();
    if (tree->getStringValue() != nullptr && *tree->getStringValue() != 0) {
        text += '[' + PovaString(tree->getStringValue()).string() + ']';
    } else if (tree->getType() == ZELT_o::Expression::kNumber) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "[%g]", value.dblVal);
        text += buffer;
    } else if (value.vt == VT_BOOL) {
        text += value.boolVal != 0 ? "[True]" : "[False]";
    }
    std::vector<ZELT_o::Expression*> const& children = tree->getExpressions();
    for (std::size_t i = 0; i < children.size(); ++i) {
        text += (i == 0 ? "(" : ",") + shape(children[i]) + (i + 1 == children.size() ? ")" : "");
    }
    return text;
}

Tree build(std::string const& shape) {
    std::size_t at = 0;
    return build_node(shape, at);
}

bool Case::has(char const* option) const {
    return tag.find(std::string("/") + option) != std::string::npos;
}

std::vector<Case> cases(std::string const& test) {
    static std::regex const form("(\\S+) (.*) => (.*)");
    std::vector<Case> found;
    for (auto const& [number, line] : corpus("cases.txt")) {
        std::smatch match;
        if (line.starts_with(test) && std::regex_match(line, match, form)) {
            found.push_back(Case{match[1], unquoted(match[2]), unquoted(match[3]), number});
        }
    }
    EXPECT_FALSE(found.empty()) << test;
    return found;
}

std::vector<std::pair<int, std::string>> corpus(char const* name) {
    std::ifstream in(std::filesystem::path(POVA_TEST_DIR) / "corpus" / name);
    EXPECT_TRUE(in.good()) << name;
    std::vector<std::pair<int, std::string>> lines;
    int number = 1;
    for (std::string line; std::getline(in, line); ++number) {
        if (!line.empty() && line[0] != '#') {
            lines.emplace_back(number, line);
        }
    }
    return lines;
}

}  // namespace expression_test
