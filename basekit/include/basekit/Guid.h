/// @file
/// The 16-byte identifier of documents, viewpoints, parameters and classes.
#pragma once

#include <compare>
#include <cstdint>

struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};

    friend bool operator==(GUID const&, GUID const&) = default;
    friend auto operator<=>(GUID const&, GUID const&) = default;
};

using CLSID = GUID;
using IID = GUID;
using REFCLSID = CLSID const&;
using REFIID = IID const&;

constexpr GUID GUID_NULL{};
