#include <pova/common/Binding.h>

namespace common {

Binding::~Binding() = default;

DBPART Binding::getPart() const {
    DBPART part = DBPART_INVALID;
    if (fValuePart) {
        part |= DBPART_VALUE;
    }
    if (fLengthPart) {
        part |= DBPART_LENGTH;
    }
    if (fStatusPart) {
        part |= DBPART_STATUS;
    }
    return part;
}

void Binding::setPart(DBPART part) {
    fValuePart = (part & DBPART_VALUE) != 0;
    fLengthPart = (part & DBPART_LENGTH) != 0;
    fStatusPart = (part & DBPART_STATUS) != 0;
}

}  // namespace common
