// Helpers for the bracketed unique names of the cube's objects: "[Time].[2024].[Q1]".
#pragma once

#include <basekit/PovaString.h>

#include <vector>

namespace memcube {

// "[name]", with "]" written as "]]" so that any name survives the round trip.
PovaString bracket(PovaString const& name);
// `parent` followed by ".[name]".
PovaString qualify(PovaString const& parent, PovaString const& name);
// The key under which a name or unique name is looked up: case folded.
PovaString lookupKey(PovaString const& name);
// The name inside a single bracketed part ("[2024]" gives "2024"); any other text as it is.
PovaString stripBrackets(PovaString const& name);

}  // namespace memcube
