#include <basekit/ErrorInfoBase.h>

namespace common {

ErrorInfoBase::~ErrorInfoBase() = default;

ErrorInfoBase::ErrorInfoBase(ErrorInfoBase const& other)
    : fLastError(other.fLastError ? other.fLastError->clone() : nullptr) {}

ErrorInfoBase& ErrorInfoBase::operator=(ErrorInfoBase const& other) {
    if (this != &other) {
        fLastError = other.fLastError ? other.fLastError->clone() : nullptr;
    }
    return *this;
}

void ErrorInfoBase::SetLastError(ZELT_o::AnyError const* error) {
    fLastError = error != nullptr ? error->clone() : nullptr;
}

}  // namespace common
