/// @class BaseError
/// The error the system throws by value, and ResultError, a thrown plain result code.
/// Both take their text from the message catalog (MessageCatalog.h); what() is that text
/// followed by the code in hexadecimal, for example "... (0xC201120F)".
#pragma once

#include <basekit/AnyError.h>
#include <basekit/basekit_export.h>

#include <exception>
#include <string>
#include <vector>

class BASEKIT_API BaseError : public ZELT_o::AnyError, public std::exception {
public:
    ///@{
    /// An error of a code raised by a module, with its severity (AnyError::level) and completion
    /// status.
    BaseError(ZELT_o::MessageCode code, char const* module, int severity = 1, int status = 0);
    BaseError(ZELT_o::MessageCode code, PovaString module, int severity = 1, int status = 0);
    ///@}

    /// Appends a message insert; returns *this so that a throw site can chain inserts.
    BaseError& addInsert(PovaString const& text);

    ZELT_o::MessageCode code() const override { return fCode; }
    int level() const override { return fSeverity; }
    int status() const override { return fStatus; }
    PovaString module() const override { return fModule; }
    /// The code as a result code.
    HRESULT hResult() const override { return static_cast<HRESULT>(fCode); }
    /// The catalog text with the inserts filled in; the log is not needed for it.
    PovaString getText(CoreLog* log) const override;
    int numInserts() const override { return static_cast<int>(fInserts.size()); }
    PovaString getInsert(int i) const override;
    void log(CoreLog* log) const override;
    std::unique_ptr<ZELT_o::AnyError> clone() const override;

    /// The catalog text followed by the code in hexadecimal.
    char const* what() const noexcept override;

private:
    ZELT_o::MessageCode fCode;
    PovaString fModule;
    int fSeverity;
    int fStatus;
    std::vector<PovaString> fInserts;
    std::string fWhat;  // The text, a blank and the code in parentheses.

    void update_what();
};

/// A structural fault reported as a plain result code (E_UNEXPECTED, E_FAIL and the like).
class BASEKIT_API ResultError : public std::exception {
public:
    /// The error of a result code.
    explicit ResultError(HRESULT result);
    /// The result code.
    HRESULT result() const { return fResult; }
    /// For example "Unexpected failure (0x8000FFFF)".
    char const* what() const noexcept override { return fWhat; }

private:
    HRESULT fResult;
    // Held in place: a thrown result code allocates nothing.
    char fWhat[160];
};

/// Throws BaseError(code, module) with severity 1 and completion 0.
[[noreturn]] BASEKIT_API void throwError(ZELT_o::MessageCode code, char const* module);
/// Throws ResultError(result).
[[noreturn]] BASEKIT_API void throwResult(HRESULT result);
