/// @class common::DimensionProperties
/// The named properties of one dimension of a viewpoint (or of the
/// viewpoint itself), kept sorted by name.
#pragma once

#include <pova/Viewpoint.h>
#include <pova/pova_export.h>

#include <array>
#include <vector>

namespace common {

class POVA_API DimensionProperties {
public:
    /// One property of the set.
    class POVA_API DimensionProperty : public ZELT_o::Viewpoint::Property {
    public:
        using ZELT_o::Viewpoint::Property::Property;
        /// A copy of `property`.
        explicit DimensionProperty(ZELT_o::Viewpoint::Property const& property)
            : ZELT_o::Viewpoint::Property(property) {}
    };

    /// Orders properties by name.
    struct PropCompare {
        /// Whether `a`'s name comes before `b`'s.
        bool operator()(DimensionProperty const& a, DimensionProperty const& b) const {
            return a.getName() < b.getName();
        }
    };

    /// The reserved names a viewpoint reads on every query of its layout.
    enum Reserved : int { kFieldList = 0, kSectionField = 1, kSelectedFields = 2 };

    /// `dimension` is null for the viewpoint's own set.
    explicit DimensionProperties(ZELT_o::Dimension* dimension);
    /// A copy of the other's properties (with references of its own) and dimension.
    DimensionProperties(DimensionProperties const& other) = default;
    /// Copies the other's properties and dimension.
    DimensionProperties& operator=(DimensionProperties const& other) = default;
    virtual ~DimensionProperties();

    /// The number of properties.
    LONG size() const { return static_cast<LONG>(fProperties.size()); }
    /// The i-th property in name order, or null.
    DimensionProperty const* get(LONG index) const;
    /// The property of that name, or null.
    DimensionProperty const* get(PovaString const& name) const;
    /// The property of a reserved name, or null, found without a search.
    DimensionProperty const* get(Reserved name) const {
        int const index = fReserved[name];
        return index < 0 ? nullptr : &fProperties[static_cast<std::size_t>(index)];
    }
    /// Replaces the property of that name or inserts a copy at its place.
    void set(ZELT_o::Viewpoint::Property const& property);
    /// Removes every property.
    void clearProperties();
    /// The dimension (borrowed), or null for the viewpoint's own set.
    ZELT_o::Dimension* getDimension() const { return fDimension; }

private:
    // The reserved names in the order of Reserved.
    static std::array<PovaString, 3> const& reserved_names();

    ZELT_o::Dimension* fDimension;
    std::vector<DimensionProperty> fProperties;
    // Where the reserved names stand in fProperties (-1: absent); kept by set and clear.
    std::array<int, 3> fReserved{-1, -1, -1};
};

}  // namespace common
