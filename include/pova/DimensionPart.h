/// @class ZELT_o::DimensionPart
/// An object that belongs to one dimension.
#pragma once

#include <pova/pova_export.h>

namespace ZELT_o {

class Dimension;

class POVA_API DimensionPart {
public:
    /// The dimension, borrowed: valid while its cube lives.
    virtual Dimension* getDimension() const = 0;

protected:
    DimensionPart() = default;
    virtual ~DimensionPart();

public:
    DimensionPart(DimensionPart const&) = delete;
    DimensionPart& operator=(DimensionPart const&) = delete;
};

}  // namespace ZELT_o
