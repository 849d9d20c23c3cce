#include <pova/common/SessionUtilities.h>

namespace common {

bool CompareTwoVariants(VARIANT const& a, VARIANT const& b) {
    // VarCmp takes its operands as writable, so it gets copies.
    basekit::Variant left;
    basekit::Variant right;
    if (FAILED(VariantCopy(left.get(), &a)) || FAILED(VariantCopy(right.get(), &b))) {
        return false;
    }
    if (left.type() == VT_NULL && right.type() == VT_NULL) {
        return true;
    }
    if (left.type() != right.type()) {
        return false;
    }
    return VarCmp(left.get(), right.get(), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
}

}  // namespace common
