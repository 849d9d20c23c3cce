/// @file
/// The message catalog: one line of plain English for every code the system raises, with %1,
/// %2 ... where the error's inserts go. Errors and plain result codes take their text from it.
/// The catalog is constant data: every function here may be called from any thread.
#pragma once

#include <basekit/AnyError.h>
#include <basekit/PovaString.h>
#include <basekit/basekit_export.h>

#include <span>
#include <string>
#include <string_view>

namespace basekit {

/// One entry: a code and its text.
struct CatalogEntry {
    /// The message code.
    ZELT_o::MessageCode code;
    /// Its text, with %1, %2 ... for the inserts.
    char const* text;
};

/// Every entry, sorted by code, each code once.
BASEKIT_API std::span<CatalogEntry const> messageCatalog() noexcept;

/// The catalog text of `code`, or null when the catalog has none.
BASEKIT_API char const* findMessage(ZELT_o::MessageCode code) noexcept;

/// The text of `code` with %n replaced by the n-th insert (counted from 1; a marker beyond the
/// inserts given becomes empty). Inserts that no marker takes are appended after a colon, so
/// nothing a throw site said is lost. A code without an entry gives a text that names the
/// module and lists the inserts.
BASEKIT_API std::string messageText(ZELT_o::MessageCode code, std::string_view module,
                                    std::span<PovaString const> inserts);

}  // namespace basekit
