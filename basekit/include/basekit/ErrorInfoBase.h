/// @file
/// common::ErrorInfoBase keeps the last error of an object that reports failure by result code.
#pragma once

#include <basekit/AnyError.h>
#include <basekit/basekit_export.h>

#include <memory>

namespace common {

namespace ErrorInfo {
/// Result of the operations of classes that keep their last error.
enum ErrorCode : int {
    kSuccess = 0,
    kFailure = 1,
    kNullArgument = 2,
    kUnexpected = 3,
};
}  // namespace ErrorInfo

/// Keeps the last error of an object that reports failure by result code.
class BASEKIT_API ErrorInfoBase {
public:
    virtual ~ErrorInfoBase();

    /// Stores a copy of the error (null clears).
    void SetLastError(ZELT_o::AnyError const* error);
    /// The stored error, owned by this object, or null.
    ZELT_o::AnyError const* GetLastError() const { return fLastError.get(); }
    /// Forgets the stored error.
    void ClearLastError() { fLastError.reset(); }

protected:
    ErrorInfoBase() = default;
    ///@{
    /// Copies the other's last error, as part of a derived object.
    ErrorInfoBase(ErrorInfoBase const& other);
    ErrorInfoBase& operator=(ErrorInfoBase const& other);
    ///@}

private:
    std::unique_ptr<ZELT_o::AnyError> fLastError;
};

}  // namespace common
