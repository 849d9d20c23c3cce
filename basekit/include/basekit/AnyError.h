/// @class ZELT_o::AnyError
/// What every error object of the system answers.
#pragma once

#include <basekit/PovaString.h>
#include <basekit/WinTypes.h>
#include <basekit/basekit_export.h>

#include <cstdint>
#include <memory>

class CoreLog;

namespace ZELT_o {

/// A 32-bit message code such as 0xC201120F.
using MessageCode = std::uint32_t;

class BASEKIT_API AnyError {
public:
    virtual ~AnyError();

    /// The message code.
    virtual MessageCode code() const = 0;
    /// Severity: 1 for ordinary errors, 2 for parameter substitution failures.
    virtual int level() const = 0;
    /// Completion status, 0 unless a throw site says otherwise.
    virtual int status() const = 0;
    /// The module that raised the error.
    virtual PovaString module() const = 0;
    /// The code as a result code.
    virtual HRESULT hResult() const = 0;
    /// The message text for the code with the inserts filled in.
    virtual PovaString getText(CoreLog* log) const = 0;
    /// The number of message inserts.
    virtual int numInserts() const = 0;
    /// The i-th insert, or the empty string outside 0 .. numInserts() - 1.
    virtual PovaString getInsert(int i) const = 0;
    /// Writes the error to the log; nothing when log is null.
    virtual void log(CoreLog* log) const = 0;
    /// A heap copy of the error, owned by the caller.
    virtual std::unique_ptr<AnyError> clone() const = 0;

protected:
    AnyError() = default;
    ///@{
    /// Copied only as part of a derived object.
    AnyError(AnyError const&) = default;
    AnyError& operator=(AnyError const&) = default;
    ///@}
};

}  // namespace ZELT_o
