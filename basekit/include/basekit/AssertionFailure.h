/// @file
/// Reporting of failed internal consistency checks. A report writes a log record and reaches a
/// replaceable handler (tests count reports this way); execution goes on.
#pragma once

#include <basekit/basekit_export.h>

#include <functional>
#include <string>

/// Message code of an assertion record.
inline constexpr unsigned kAssertionMessageCode = 0xC2011F01u;

/// What a handler learns of a failed check.
struct AssertionReport {
    /// The text of the condition.
    std::string expression;
    /// The source file.
    std::string file;
    /// The line in it.
    int line = 0;
};

/// Reports a failed check: its expression text, source file and line.
BASEKIT_API void AssertionFailure(char const* expression, char const* file, int line);

namespace basekit {
/// Called with every report.
using AssertionHandler = std::function<void(AssertionReport const&)>;
/// Installs a handler called on every report; returns the previous one. Thread-safe.
BASEKIT_API AssertionHandler setAssertionHandler(AssertionHandler handler);
}  // namespace basekit

/// Checks a condition and reports it, with its own text, when it does not hold.
#define POVA_CHECK(condition)                                   \
    do {                                                        \
        if (!(condition)) {                                     \
            ::AssertionFailure(#condition, __FILE__, __LINE__); \
        }                                                       \
    } while (false)
