/// @class ZELT_o::Dimension
/// One dimension of a cube. Returned hierarchies and the cube are borrowed.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>
#include <pova/support/NamedPart.h>

#include <vector>

namespace ZELT_o {

class Cube;
class Hierarchy;

class POVA_API Dimension : public support::LegacyRefCount, public support::NamedPart {
public:
    /// The counting base has a getName() of its own (the module name); the object's name wins.
    using support::NamedPart::getName;

    /// The cube it belongs to (borrowed).
    virtual Cube* getCube() const = 0;
    /// Position in the cube's dimension order.
    virtual LONG getOrdinal() const = 0;
    /// Whether this is the Measures dimension.
    virtual bool isMeasures() const = 0;
    /// Its hierarchies, the default one first.
    virtual void getHierarchies(std::vector<Hierarchy*>& hierarchies) const = 0;
    /// The hierarchy a new viewpoint uses.
    virtual Hierarchy* getDefaultHierarchy() const = 0;
    /// The hierarchy of that name or unique name, or null.
    virtual Hierarchy* findHierarchy(PovaString const& name) const = 0;
    /// Whether the dimension knows a member, level or hierarchy of that (unique) name; sorts,
    /// filters and formats check their names with it.
    virtual bool acceptsName(PovaString const& name) const = 0;

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Dimension(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~Dimension() override;
};

}  // namespace ZELT_o
