// Semantic values of the expression grammar and their ownership.
#pragma once

#include <pova/common/ExpressionBase.h>
#include <pova/support/Ref.h>

#include <utility>

namespace common::grammar {

// A subtree being built.
using Node = support::Ref<ExpressionBase>;

// Takes the reference a slot of the parser's stack owns, leaving the slot empty, so that the
// stack's cleanup does not release it again if the action goes on to throw.
inline Node take(ExpressionBase*& slot) {
    return Node::adopt(std::exchange(slot, nullptr));
}

// Releases a node left on the parser's stack.
inline void discard(ExpressionBase*& slot) {
    take(slot).reset();
}

}  // namespace common::grammar
