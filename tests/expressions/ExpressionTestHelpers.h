// Helpers shared by the expression tests: parsing into a fresh root, and catching errors.
#pragma once

#include <basekit/BaseError.h>
#include <pova/common/ExpressionBase.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

// Shows strings as text in test failures.
inline void PrintTo(PovaString const& text, std::ostream* out) {
    *out << '"' << text.string() << '"';
}

namespace expression_test {

using Tree = support::Ref<common::ExpressionBase>;

inline Tree newTree() {
    return support::adopt(new common::ExpressionBase());
}

// Parses `text` into a new root; a failure is a test failure.
Tree parse(PovaString const& text, ZELT_o::Cube* cube = nullptr, bool lookup = false);
// The printed text of `text` parsed.
std::string printed(PovaString const& text, ZELT_o::Cube* cube = nullptr, bool lookup = false);
// The BaseError `action` throws; a test failure when it throws none.
BaseError caughtError(std::function<void()> const& action);
// Parses and returns the error.
BaseError parseError(PovaString const& text, ZELT_o::Cube* cube = nullptr, bool lookup = false);

// A node of `kind` holding `name` (names, parameter references), or a number.
Tree leaf(ZELT_o::Expression::ExpressionType kind, char const* name = nullptr);
Tree number(double value);
// Appends new children to `parent`; returns `parent`'s raw pointer for chaining.
common::ExpressionBase* add(common::ExpressionBase* parent, Tree child);
// The structure of a tree as "kind(child,child)", names and numbers shown in brackets (an
// empty name is not shown).
std::string shape(ZELT_o::Expression* tree);

}  // namespace expression_test
