// Construction, children, comparison and copying of expression nodes.
#include <pova/common/ExpressionBase.h>

#include <basekit/BaseError.h>
#include <pova/common/SessionUtilities.h>
#include <pova/support/InstanceCounter.h>
#include <pova/support/Ref.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

namespace common {

namespace {

support::InstanceCounter gInstances;

std::unique_ptr<OLECHAR[]> copy_string(OLECHAR const* text) {
    if (text == nullptr) {
        return nullptr;
    }
    std::size_t const length = std::char_traits<OLECHAR>::length(text);
    auto copy = std::make_unique_for_overwrite<OLECHAR[]>(length + 1);
    std::char_traits<OLECHAR>::copy(copy.get(), text, length + 1);
    return copy;
}

}  // namespace

ExpressionBase::ExpressionBase(ZELT_o::Expression* parent)
    : ZELT_o::Expression("ExpressionBase", gInstances.next()),
      fParentExpression(parent),
      fParentContext(nullptr),
      fType(kEmpty),
      fRestorePending(false) {}

ExpressionBase::~ExpressionBase() {
    release_nodes(std::move(fChildren));
}

void ExpressionBase::createNew(ZELT_o::Expression** out) {
    if (out == nullptr) {
        throwResult(E_INVALIDARG);
    }
    *out = new ExpressionBase(nullptr);
}

// A node whose last reference is released gives its own children to the work list first, so
// that no destructor recurses and a tree of any depth is torn down in a loop.
void ExpressionBase::release_nodes(std::vector<ZELT_o::Expression*> pending) {
    while (!pending.empty()) {
        ZELT_o::Expression* node = pending.back();
        pending.pop_back();
        if (node == nullptr) {
            continue;
        }
        if (auto* base = dynamic_cast<ExpressionBase*>(node);
            base != nullptr && base->getRefCount() == 1) {
            pending.insert(pending.end(), base->fChildren.begin(), base->fChildren.end());
            base->fChildren.clear();
        }
        node->release();
    }
}

// Room for five children is made with the first one: most nodes are leaves and need none.
void ExpressionBase::reserve_children() {
    if (fChildren.capacity() == 0) {
        fChildren.reserve(5);
    }
}

ZELT_o::Expression* ExpressionBase::AddNewChild(ZELT_o::Expression* child) {
    fText = PovaString();
    if (child == nullptr) {
        return nullptr;
    }
    // The reference is ours from here on, also when appending fails.
    auto owned = support::adopt(child);
    reserve_children();
    fChildren.push_back(child);
    (void)owned.detach();
    child->SetParentExpression(this);
    return child;
}

ZELT_o::Expression* ExpressionBase::AddNewChild() {
    fText = PovaString();
    auto child = support::adopt(new ExpressionBase(this));
    reserve_children();
    fChildren.push_back(child.get());
    return child.detach();
}

void ExpressionBase::RemoveAllChildren() {
    std::vector<ZELT_o::Expression*> children;
    children.swap(fChildren);
    release_nodes(std::move(children));
    fType = kEmpty;
}

void ExpressionBase::RemoveChild(ZELT_o::Expression* child) {
    auto const it = std::find(fChildren.begin(), fChildren.end(), child);
    if (it == fChildren.end()) {
        throwResult(E_UNEXPECTED);
    }
    fChildren.erase(it);
    release_nodes({child});
}

void ExpressionBase::setStringValue(OLECHAR const* value) {
    fStringValue = copy_string(value);
}

void ExpressionBase::assignStringValue(std::u16string_view value) {
    auto copy = std::make_unique_for_overwrite<OLECHAR[]>(value.size() + 1);
    std::char_traits<OLECHAR>::copy(copy.get(), value.data(), value.size());
    copy[value.size()] = 0;
    fStringValue = std::move(copy);
}

void ExpressionBase::clear_content() {
    std::vector<ZELT_o::Expression*> children;
    children.swap(fChildren);
    release_nodes(std::move(children));
    fType = kEmpty;
    VariantClear(fValue.get());
    fStringValue.reset();
    fRestorePending = false;
    fSavedName.reset();
}

void ExpressionBase::take_content(ExpressionBase& from) {
    clear_content();
    fType = std::exchange(from.fType, kEmpty);
    std::swap(*fValue, *from.fValue);
    fStringValue = std::move(from.fStringValue);
    fRestorePending = std::exchange(from.fRestorePending, false);
    fSavedName = std::move(from.fSavedName);
    fChildren.swap(from.fChildren);
    for (ZELT_o::Expression* child : fChildren) {
        if (child != nullptr) {
            child->SetParentExpression(this);
        }
    }
}

bool ExpressionBase::operator==(ZELT_o::Expression& other) {
    if (fType != other.getType() || fText != other.getText()) {
        return false;
    }
    if (fStringValue.get() != other.getStringValue()) {
        return false;
    }
    if (!CompareTwoVariants(*fValue, other.getValue())) {
        return false;
    }
    return fChildren == other.getExpressions();
}

ExpressionBase* ExpressionBase::copy_node() const {
    auto* copy = new ExpressionBase(fParentExpression);
    copy->fParentContext = fParentContext;
    copy->fStringValue = copy_string(fStringValue.get());
    copy->fText = fText;
    copy->fType = fType;
    copy->fValue = fValue;
    return copy;
}

ZELT_o::Expression* ExpressionBase::clone() {
    auto root = support::adopt(copy_node());
    // (original, its copy): the copy still has to receive copies of the original's children.
    std::vector<std::pair<ExpressionBase const*, ExpressionBase*>> pending{{this, root.get()}};
    while (!pending.empty()) {
        auto const [original, copy] = pending.back();
        pending.pop_back();
        for (ZELT_o::Expression* child : original->fChildren) {
            if (child == nullptr) {
                continue;
            }
            if (auto const* node = dynamic_cast<ExpressionBase const*>(child); node != nullptr) {
                auto nodeCopy = support::adopt(node->copy_node());
                nodeCopy->fParentExpression = copy;
                copy->fChildren.push_back(nodeCopy.get());
                pending.emplace_back(node, nodeCopy.detach());
            } else {
                auto childCopy = support::adopt(child->clone());
                childCopy->SetParentExpression(copy);
                copy->fChildren.push_back(childCopy.get());
                (void)childCopy.detach();
            }
        }
    }
    return root.detach();
}

void ExpressionBase::replaceNode(ExpressionType type, OLECHAR const* name) {
    if (fType != kParameterReference) {
        return;
    }
    fSavedName = copy_string(fStringValue.get());
    fRestorePending = true;
    fType = type;
    fStringValue = copy_string(name);
}

void ExpressionBase::restore_parameter() {
    fType = kParameterReference;
    fStringValue = std::move(fSavedName);
    fRestorePending = false;
}

}  // namespace common
