// Parameter references in expression trees: resolution and substitution by values.
#include <pova/common/ExpressionBase.h>

#include <basekit/BaseError.h>
#include <pova/Cube.h>
#include <pova/Member.h>
#include <pova/Parameter.h>
#include <pova/ParameterValue.h>
#include <pova/Viewpoint.h>
#include <pova/support/Module.h>
#include <pova/support/Ref.h>

#include <utility>

namespace common {

namespace {

constexpr ZELT_o::MessageCode kUnknownParameter = 0xC2018005;
constexpr ZELT_o::MessageCode kNoValue = 0xC201A20E;
constexpr ZELT_o::MessageCode kWrongType = 0xC2018003;
constexpr ZELT_o::MessageCode kWrongValueKind = 0xC2018004;
// Substitution errors are of a lower severity than parse errors.
constexpr int kSubstitutionSeverity = 2;

[[noreturn]] void throw_substitution_error(ZELT_o::MessageCode code, PovaString const& insert) {
    BaseError error(code, support::componentName(), kSubstitutionSeverity, 0);
    error.addInsert(insert);
    error.log(support::moduleLog());
    throw error;
}

PovaString unique_name_of(ZELT_o::Parameter* parameter) {
    PovaString name;
    parameter->getUniqueName(name);
    return name;
}

PovaString text_of(VARIANT const& value) {
    basekit::Variant text;
    if (VariantChangeType(text.get(), &value, 0, VT_BSTR) >= 0 && text->vt == VT_BSTR) {
        PovaString result;
        result.fillFromBSTR(text->bstrVal);
        return result;
    }
    return PovaString();
}

// The nodes of the tree below `root` and `root` itself, children before their parent.
std::vector<ExpressionBase*> post_order(ExpressionBase* root) {
    std::vector<ExpressionBase*> order;
    std::vector<std::pair<ExpressionBase*, bool>> pending{{root, false}};
    while (!pending.empty()) {
        auto [node, expanded] = pending.back();
        pending.pop_back();
        if (expanded) {
            order.push_back(node);
            continue;
        }
        pending.emplace_back(node, true);
        std::vector<ZELT_o::Expression*> const& children = node->getExpressions();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (auto* child = dynamic_cast<ExpressionBase*>(*it); child != nullptr) {
                pending.emplace_back(child, false);
            }
        }
    }
    return order;
}

}  // namespace

void ExpressionBase::resolveParameters(ZELT_o::Cube* cube, std::vector<ZELT_o::Parameter*>& used) {
    std::vector<ZELT_o::Parameter*> available;
    if (cube != nullptr) {
        cube->getParameters(available);
    }
    resolve_parameters(available, used);
}

void ExpressionBase::resolveParameters(ZELT_o::Viewpoint* viewpoint,
                                       std::vector<ZELT_o::Parameter*>& used) {
    auto const cube = support::adopt(viewpoint != nullptr ? viewpoint->getCube() : nullptr);
    resolveParameters(cube.get(), used);
}

void ExpressionBase::resolve_parameters(std::vector<ZELT_o::Parameter*>& available,
                                        std::vector<ZELT_o::Parameter*>& used) {
    for (ExpressionBase* node : post_order(this)) {
        if (node->fType != kParameterReference) {
            continue;
        }
        PovaString const name =
            node->fStringValue != nullptr ? PovaString(node->fStringValue.get()) : PovaString();
        ZELT_o::Parameter* found = nullptr;
        for (ZELT_o::Parameter* parameter : available) {
            if (parameter != nullptr && unique_name_of(parameter).strcmp(name, true) == 0) {
                found = parameter;
                break;
            }
        }
        if (found == nullptr) {
            throw_substitution_error(kUnknownParameter, name);
        }
        used.push_back(found);
        node->replace_parameter_with_value(found, false);
    }
}

void ExpressionBase::replaceParameter(ZELT_o::Parameter* parameter) {
    if (parameter == nullptr) {
        return;
    }
    PovaString const uniqueName = unique_name_of(parameter);
    for (ExpressionBase* node : post_order(this)) {
        for (ZELT_o::Expression* child : node->fChildren) {
            // Nodes of other implementations look after their own subtrees.
            if (child != nullptr && dynamic_cast<ExpressionBase*>(child) == nullptr) {
                child->replaceParameter(parameter);
            }
        }
        if (node->fType == kParameterReference && node->fStringValue != nullptr &&
            uniqueName.strcmp(PovaString(node->fStringValue.get()), true) == 0) {
            node->replace_parameter_with_value(parameter, true);
        }
    }
}

void ExpressionBase::replace_parameter_with_value(ZELT_o::Parameter* parameter, bool permanent) {
    PovaString const name = fStringValue != nullptr ? PovaString(fStringValue.get()) : PovaString();
    support::Ref<ZELT_o::ParameterValue> value;
    {
        ZELT_o::ParameterValue* raw = nullptr;
        parameter->getValue(&raw);
        value = support::adopt(raw);
    }
    if (!value) {
        ZELT_o::ParameterValue* raw = nullptr;
        parameter->getDefaultValue(&raw);
        value = support::adopt(raw);
    }
    if (!value) {
        throw_substitution_error(kNoValue, unique_name_of(parameter));
    }
    ZELT_o::Parameter::ParameterType type{};
    parameter->getType(&type);
    ZELT_o::ParameterValue::ParamValueType const kind = value->getValueType();

    // What the node becomes: a kind, a name and, for numbers, a value.
    ExpressionType newType = fType;
    PovaString newName;
    basekit::Variant newValue;
    switch (static_cast<LONG>(type)) {
        case 2:  // string-like
        case 3:
            if (kind != ZELT_o::ParameterValue::kString) {
                throw_substitution_error(kWrongValueKind, name);
            }
            newType = kQuotedName;
            value->getValue(newName);
            break;
        case ZELT_o::Parameter::PT_MEMBER:
        case 11:  // member-like
            if (kind == ZELT_o::ParameterValue::kString) {
                value->getValue(newName);
            } else if (kind == ZELT_o::ParameterValue::kMember) {
                ZELT_o::Member* raw = nullptr;
                value->getValue(&raw);
                auto const member = support::adopt(raw);
                if (member) {
                    newName = member->getUniqueName();
                }
            } else {
                throw_substitution_error(kWrongValueKind, name);
            }
            newType = kMemberName;
            break;
        case ZELT_o::Parameter::PT_MEMBERSET:
            // A member set stands in the expression as the reference itself.
            return;
        case 6:  // numeric
            if (kind == ZELT_o::ParameterValue::kInteger) {
                LONG number = 0;
                value->getValue(number);
                newValue = basekit::Variant(number);
            } else if (kind == ZELT_o::ParameterValue::kDouble) {
                double number = 0;
                value->getValue(number);
                newValue = basekit::Variant(number);
            } else {
                throw_substitution_error(kWrongValueKind, name);
            }
            newType = kNumber;
            newName = text_of(*newValue);
            break;
        default:  // 0 and 1, intervals, complex parameters and unknown types
            throw_substitution_error(kWrongType, name);
    }
    if (!permanent) {
        fSavedName = name.strdup();
        fRestorePending = true;
    }
    fType = newType;
    fStringValue = newName.strdup();
    if (newType == kNumber) {
        fValue = std::move(newValue);
    }
}

}  // namespace common
