/// @class support::NamedPart
/// The naming operations of cubes, dimensions, hierarchies and levels.
#pragma once

#include <basekit/PovaString.h>
#include <pova/pova_export.h>

namespace support {

class POVA_API NamedPart {
public:
    ///@{
    /// The part's name, its unique name (which says where it is in its cube) and its caption (what
    /// a user sees).
    virtual PovaString getName() const = 0;
    virtual PovaString getUniqueName() const = 0;
    virtual PovaString getCaption() const = 0;
    ///@}

protected:
    NamedPart() = default;
    virtual ~NamedPart();

public:
    NamedPart(NamedPart const&) = delete;
    NamedPart& operator=(NamedPart const&) = delete;
};

}  // namespace support
