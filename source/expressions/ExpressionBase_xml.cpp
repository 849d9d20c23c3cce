// XML persistence of expression trees.
#include <pova/common/ExpressionBase.h>

#include <basekit/BaseError.h>
#include <basekit/NodeListIterator.h>
#include <basekit/StringConverters.h>
#include <basekit/XmlSupport.h>
#include <pova/support/Ref.h>

#include "expressions/ExpressionKinds.h"

#include <tuple>
#include <utility>

namespace common {

namespace {

PovaString const kIndex("Index");
PovaString const kExpressionType("ExpressionType");
PovaString const kExpressionText("ExpressionText");
PovaString const kExpressionValue("ExpressionValue");
PovaString const kVector("Vector");
PovaString const kUniqueName("UniqueName");
PovaString const kExpressionVector("ExpressionVector");
PovaString const kExpression("Expression");

// Kinds whose name is saved as their text.
bool saves_name(LONG kind) {
    switch (kind) {
        case ZELT_o::Expression::kNative:
        case ZELT_o::Expression::kDimensionName:
        case ZELT_o::Expression::kMemberName:
        case ZELT_o::Expression::kQuotedName:
        case ZELT_o::Expression::kLevelName:
        case ZELT_o::Expression::kParameterReference:
            return true;
        default:
            return false;
    }
}

// Whether the element has the attribute, valid or not.
bool present(NodeListIterator const& values, PovaString const& name) {
    PovaString text;
    return values.read(name, text);
}

double number_of(VARIANT const& value) {
    if (value.vt == VT_R8) {
        return value.dblVal;
    }
    basekit::Variant number;
    if (VariantChangeType(number.get(), &value, 0, VT_R8) >= 0 && number->vt == VT_R8) {
        return number->dblVal;
    }
    return 0;
}

}  // namespace

void ExpressionBase::save_node(XmlSupport& xml, LONG index, XmlNode element) const {
    (void)xml;
    XmlSupport::write_to(element, kIndex, index);
    XmlSupport::write_to(element, kExpressionType, static_cast<LONG>(fType));
    XmlSupport::write_to(element, kExpressionText, fText);
    if (fType == kNumber) {
        // The shortest text that reads back as the same double.
        XmlSupport::write_to(element, kExpressionValue, number_of(*fValue));
    } else if (fType == kBoolean) {
        XmlSupport::write_to(element, kExpressionValue, fValue->boolVal != 0);
    } else if (saves_name(fType)) {
        XmlSupport::write_to(
            element, kExpressionText,
            fStringValue != nullptr ? PovaString(fStringValue.get()) : PovaString());
    }
}

// Written with a work list rather than by recursion, so that any depth can be saved.
void ExpressionBase::save(XmlSupport& xml, LONG const& index, XmlNode element) {
    std::vector<std::tuple<ExpressionBase const*, XmlNode, LONG>> pending{{this, element, index}};
    while (!pending.empty()) {
        auto const [node, target, position] = pending.back();
        pending.pop_back();
        node->save_node(xml, position, target);
        if (node->fChildren.empty()) {
            continue;
        }
        XmlNode const vector = XmlSupport::addAChild(target, kVector);
        XmlSupport::write_to(vector, kUniqueName, kExpressionVector);
        LONG childIndex = 0;
        for (ZELT_o::Expression* child : node->fChildren) {
            XmlNode const childElement = XmlSupport::addAChild(vector, kExpression);
            if (child == nullptr) {
                ++childIndex;
                continue;
            }
            if (auto const* base = dynamic_cast<ExpressionBase const*>(child); base != nullptr) {
                pending.emplace_back(base, childElement, childIndex);
            } else {
                child->save(xml, childIndex, childElement);
            }
            ++childIndex;
        }
    }
}

void ExpressionBase::load_node(XmlNode element, std::vector<XmlNode>& children) {
    NodeListIterator values(XmlNodeList{element});
    LONG type = fType;
    if (present(values, kExpressionType) &&
        (!values.read(kExpressionType, type) || expression_kinds::find(type) == nullptr)) {
        throwResult(E_UNEXPECTED);
    }
    fType = static_cast<ExpressionType>(type);
    values.read(kExpressionText, fText);
    if (fType == kBoolean) {
        bool value = false;
        if (present(values, kExpressionValue) && !values.read(kExpressionValue, value)) {
            throwResult(E_UNEXPECTED);
        }
        VariantClear(fValue.get());
        fValue->vt = VT_BOOL;
        fValue->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (fType == kNumber) {
        PovaString text;
        double number = 0;
        if (values.read(kExpressionValue, text) &&
            !StringConverters::convertStringToReal(text, number) &&
            !values.read(kExpressionValue, number)) {
            throwResult(E_UNEXPECTED);
        }
        VariantClear(fValue.get());
        fValue->vt = VT_R8;
        fValue->dblVal = number;
    } else if (saves_name(fType)) {
        PovaString name;
        values.read(kExpressionText, name);
        fStringValue = name.strdup();
    }
    for (XmlNode const& child : element.childNodes()) {
        PovaString uniqueName;
        if (!child.isElement() || !child.getAttribute(kUniqueName, uniqueName) ||
            uniqueName != kExpressionVector) {
            continue;
        }
        children.clear();
        for (XmlNode const& grandchild : child.childNodes()) {
            if (grandchild.isElement()) {
                children.push_back(grandchild);
            }
        }
    }
}

// Read into a new tree with a work list rather than by recursion, so that any depth can be
// loaded and a failure leaves this node as it was.
void ExpressionBase::load(NodeListIterator& iterator, ZELT_o::Cube* /*cube*/) {
    XmlNode const element = iterator.iter();
    if (!element) {
        throwResult(E_UNEXPECTED);
    }
    auto const root = support::adopt(new ExpressionBase(nullptr));
    std::vector<std::pair<ExpressionBase*, XmlNode>> pending{{root.get(), element}};
    std::vector<XmlNode> children;
    while (!pending.empty()) {
        auto const [node, source] = pending.back();
        pending.pop_back();
        children.clear();
        node->load_node(source, children);
        node->fChildren.reserve(children.size());
        for (XmlNode const& childElement : children) {
            auto child = support::adopt(new ExpressionBase(node));
            node->fChildren.push_back(child.get());
            pending.emplace_back(child.detach(), childElement);
        }
    }
    take_content(*root);
    fText = root->fText;
}

}  // namespace common
