// Small cubes and dimensions for the format tests: a dimension accepts the names it is given,
// a cube finds its dimensions by unique name. Everything else answers trivially.
#pragma once

#include <pova/Cube.h>
#include <pova/Dimension.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace formats_test {

class TestDimension : public ZELT_o::Dimension {
public:
    TestDimension(PovaString uniqueName, std::set<std::u16string> accepted)
        : ZELT_o::Dimension("TestDimension", 0),
          fUniqueName(std::move(uniqueName)),
          fAccepted(std::move(accepted)) {}

    PovaString getName() const override { return fUniqueName; }
    PovaString getUniqueName() const override { return fUniqueName; }
    PovaString getCaption() const override { return fUniqueName; }
    ZELT_o::Cube* getCube() const override { return nullptr; }
    LONG getOrdinal() const override { return 0; }
    bool isMeasures() const override { return false; }
    void getHierarchies(std::vector<ZELT_o::Hierarchy*>&) const override {}
    ZELT_o::Hierarchy* getDefaultHierarchy() const override { return nullptr; }
    ZELT_o::Hierarchy* findHierarchy(PovaString const&) const override { return nullptr; }
    bool acceptsName(PovaString const& name) const override {
        return fAccepted.count(name.wstring()) == 1;
    }

protected:
    ~TestDimension() override = default;

private:
    PovaString fUniqueName;
    std::set<std::u16string> fAccepted;
};

class TestCube : public ZELT_o::Cube {
public:
    TestCube() : ZELT_o::Cube("TestCube", 0) {}

    // The cube owns the dimension (one reference).
    TestDimension* addDimension(PovaString uniqueName, std::set<std::u16string> accepted = {}) {
        fDimensions.push_back(new TestDimension(std::move(uniqueName), std::move(accepted)));
        return fDimensions.back();
    }

    PovaString getName() const override { return "TestCube"; }
    PovaString getUniqueName() const override { return "[TestCube]"; }
    PovaString getCaption() const override { return "TestCube"; }
    void favoritesChanged() override {}
    PovaString getProviderName() const override { return "test"; }
    void registerViewpoint(ZELT_o::Viewpoint*) override {}
    void unregisterViewpoint(ZELT_o::Viewpoint*) override {}
    bool addCubeListener(Listener*) override { return false; }
    void removeCubeListener(Listener*) override {}
    void addListener(ZELT_o::CubeListener*) override {}
    void removeListener(ZELT_o::CubeListener*) override {}
    LONG countDimensions() const override { return static_cast<LONG>(fDimensions.size()); }
    ZELT_o::Dimension* getDimension(LONG ordinal) const override {
        return fDimensions.at(static_cast<std::size_t>(ordinal));
    }
    void getDimensions(std::vector<ZELT_o::Dimension*>& out) const override {
        out.assign(fDimensions.begin(), fDimensions.end());
    }
    ZELT_o::Dimension* findDimension(PovaString const& uniqueName) const override {
        for (TestDimension* dimension : fDimensions) {
            if (dimension->getUniqueName() == uniqueName) {
                return dimension;
            }
        }
        return nullptr;
    }
    ZELT_o::Document* getDocument() const override { return nullptr; }
    bool getDefaultExcludeEmpty() const override { return false; }
    LONG classifyName(PovaString&) const override { return 0; }
    void getParameters(std::vector<ZELT_o::Parameter*>&) const override {}
    bool hasCalculations() const override { return false; }
    ZELT_o::Calculation* createCalculation() override { return nullptr; }
    ZELT_o::Calculation* findCalculation(PovaString const&) const override { return nullptr; }
    void saveCalculations(XmlSupport&, XmlNode) const override {}

protected:
    ~TestCube() override {
        for (TestDimension* dimension : fDimensions) {
            dimension->release();
        }
    }

private:
    std::vector<TestDimension*> fDimensions;  // One reference each.
};

}  // namespace formats_test
