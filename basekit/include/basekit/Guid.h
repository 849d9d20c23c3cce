/// @file
/// The 16-byte identifier of documents, viewpoints, parameters and classes.
#pragma once

#include <compare>
#include <cstdint>

/// A 16-byte identifier; its text form is {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
struct GUID {
    ///@{
    /// The published fields, in text order.
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};
    ///@}

    friend bool operator==(GUID const&, GUID const&) = default;
    friend auto operator<=>(GUID const&, GUID const&) = default;
};

///@{
/// Class and interface identifiers, and the forms passed as arguments.
using CLSID = GUID;
using IID = GUID;
using REFCLSID = CLSID const&;
using REFIID = IID const&;
///@}

/// The all-zero identifier.
constexpr GUID GUID_NULL{};
