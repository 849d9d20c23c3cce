// Helpers shared by the expression tests: parsing into a fresh root, catching errors, trees
// written and read as shapes, and the data-driven cases of corpus/cases.txt.
#pragma once

#include <basekit/BaseError.h>
#include <pova/common/ExpressionBase.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Shows strings as text in test failures.
inline void PrintTo(PovaString const& text, std::ostream* out) {
    *out << '"' << text.string() << '"';
}

namespace expression_test {

using Tree = support::Ref<common::ExpressionBase>;

inline Tree newTree() {
    return support::adopt(new common::ExpressionBase());
}

// Parses `text` into `tree` (a new root by default); a failure is a test failure.
Tree parse(PovaString const& text, ZELT_o::Cube* cube = nullptr, bool lookup = false,
           Tree tree = newTree());
// The tree saved to XML, and `tree` (a new root by default) loaded from XML text.
PovaString saved(ZELT_o::Expression& tree);
Tree loaded(PovaString const& xml, Tree tree = newTree());
// The BaseError `action` throws; a test failure when it throws none.
BaseError caughtError(std::function<void()> const& action);
// The code of the ResultError `action` throws; a test failure (and 0) when it throws none.
HRESULT caughtResult(std::function<void()> const& action);
// An error as the cases write it: "!" and the code in hexadecimal, then the first insert, if
// any, in brackets.
std::string describe(BaseError const& error);

// A tree's structure as "kind[value](child,child)": the value is the name (when not empty),
// the number or True/False.
std::string shape(ZELT_o::Expression* tree);
// The tree a shape describes, built node by node.
Tree build(std::string const& shape);

// One line of corpus/cases.txt: "tag input => expected". The tag names the test and its
// options after slashes ("parse/cube/lookup"); input and expected are the text as it stands
// or a quoted string with \t, \r, \n, \\ and \" escapes.
struct Case {
    std::string tag;
    std::string input;
    std::string expected;
    int line;

    bool has(char const* option) const;
};
// The cases whose tag starts with `test`.
std::vector<Case> cases(std::string const& test);
// The lines of a file of corpus/ that are neither empty nor comments, with their numbers.
std::vector<std::pair<int, std::string>> corpus(char const* name);

}  // namespace expression_test
