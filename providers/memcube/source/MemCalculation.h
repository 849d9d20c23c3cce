// memcube::MemCalculation: a calculated member of a MemCube: name, caption, formula text,
// priority and the hierarchy that holds it. memcube stores calculations but does not evaluate
// their formulas.
#pragma once

#include <pova/Calculation.h>

namespace memcube {

class MemCube;

class MemCalculation final : public ZELT_o::Calculation {
public:
    // `cube` resolves the hierarchy named in loaded XML; `id` is the calculation's identity.
    MemCalculation(MemCube* cube, LONG id);

    // --- ZELT_o::Parameter::Listener: formulas are not evaluated, so parameters do not matter.
    void parameterChanged(ZELT_o::Parameter* /*parameter*/) override {}
    void parameterDefinitionChanged(ZELT_o::Parameter* /*parameter*/) override {}
    bool parameterDeleting(ZELT_o::Parameter* /*parameter*/) override { return false; }
    void parameterEventsHeld(ZELT_o::Parameter* /*parameter*/, bool /*held*/) override {}
    void parameterUsersChanged(ZELT_o::Parameter* /*parameter*/) override {}

    // --- ZELT_o::Calculation
    PovaString getName() const override { return fName; }
    void setName(PovaString const& name) override { fName = name; }
    // The hierarchy's unique name followed by ".[name]"; "[name]" without a hierarchy.
    PovaString getUniqueName() const override;
    PovaString getCaption() const override { return fCaption; }
    void setCaption(PovaString const& caption) override { fCaption = caption; }
    PovaString getFormula() const override { return fFormula; }
    void setFormula(PovaString const& formula) override { fFormula = formula; }
    LONG getPriority() const override { return fPriority; }
    void setPriority(LONG priority) override { fPriority = priority; }
    ZELT_o::Hierarchy* getHierarchy() const override { return fHierarchy; }
    void setHierarchy(ZELT_o::Hierarchy* hierarchy) override { fHierarchy = hierarchy; }
    // Copies name, caption, formula, priority and hierarchy (not the identity).
    void copyFrom(ZELT_o::Calculation const& other) override;
    // Attributes "Name", "Caption", "Formula", "Priority" and, with a hierarchy, "Hierarchy"
    // (its unique name).
    void save(XmlSupport& xml, XmlNode element) const override;
    // Reads what save writes; false when "Name" is missing or "Hierarchy" names no hierarchy
    // of the cube (nothing is changed then).
    bool load(XmlNode element) override;

    // --- memcube
    LONG getId() const { return fId; }

private:
    ~MemCalculation() override;

    MemCube* fCube;  // Borrowed: calculations are used while their cube lives.
    LONG fId;
    PovaString fName;
    PovaString fCaption;
    PovaString fFormula;
    LONG fPriority = 0;
    ZELT_o::Hierarchy* fHierarchy = nullptr;
};

}  // namespace memcube
