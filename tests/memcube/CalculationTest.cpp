// Calculations held by hierarchies: their operations, what listeners hear, the XML round trip.
#include "SmallCubes.h"

#include <basekit/XmlSupport.h>
#include <pova/Calculation.h>
#include <pova/CubeListener.h>

#include <gtest/gtest.h>

namespace {

using memcube_test::nameOf;
using ZELT_o::Calculation;
using ZELT_o::Hierarchy;
using Log = std::vector<std::string>;

// What clients and hierarchy listeners hear, as lines of a log.
struct ClientRecorder : ZELT_o::CubeListener, Hierarchy::Listener {
    explicit ClientRecorder(Log& log) : fLog(log) {}
    void calculationAdded(Calculation* c) override { fLog.push_back("added " + nameOf(c)); }
    void calculationRemoved(Calculation* c) override { fLog.push_back("removed " + nameOf(c)); }
    void calculationChanged(Calculation* before, Calculation* after) override {
        fLog.push_back("changed " + nameOf(before) + " " + nameOf(after));
    }
    void hierarchyChanged(Hierarchy*) override {}
    void calculationsChanged(Hierarchy* h) override { fLog.push_back("hierarchy " + nameOf(h)); }
    Log& fLog;
};

// What a viewpoint hears.
struct CubeRecorder : ZELT_o::Cube::Listener {
    explicit CubeRecorder(Log& log) : fLog(log) {}
    bool calculationRemoved(Calculation* c, ZELT_o::MemberSet**, ZELT_o::Member**) override {
        fLog.push_back("cube removed " + nameOf(c));
        return false;
    }
    void calculationChanged(Calculation*, Calculation*) override { fLog.push_back("cube changed"); }
    void cubeChanged(ZELT_o::CubeEvent*) override {}
    void stopListening() override { fLog.push_back("stop"); }
    Log& fLog;
};

class Calculations : public ::testing::Test {
protected:
    Calculations() {
        fCube->addListener(&fClient);
        fCube->addCubeListener(&fViewpoint);
        fTime->addListener(&fClient);
    }
    Log take() { return std::exchange(fLog, {}); }

    support::Ref<Calculation> make(char const* name, char const* formula = "1") {
        auto calculation = support::adopt(fCube->createCalculation());
        calculation->setName(name);
        calculation->setFormula(formula);
        return calculation;
    }

    Log names() {
        std::vector<Calculation*> calculations;
        fTime->getCalculations(calculations);
        return memcube_test::namesOf(calculations);
    }

    // The cube goes first: its listeners hear of it.
    Log fLog;
    ClientRecorder fClient{fLog};
    CubeRecorder fViewpoint{fLog};
    support::Ref<memcube::MemCube> fCube = memcube_test::makeCalendarCube();
    Hierarchy* fTime = fCube->getDimension(0)->getDefaultHierarchy();
};

TEST_F(Calculations, OperationsAndWhatListenersHear) {
    auto first = make("First");
    EXPECT_EQ(nameOf(first.get()), "[First]") << "no hierarchy yet";
    EXPECT_GT(fTime->addCalculation(first.get()), 0);
    EXPECT_EQ(first->getRefCount(), 2) << "the hierarchy holds one";
    EXPECT_EQ(nameOf(first.get()), "[Time].[First]");
    EXPECT_TRUE(fCube->hasCalculations() &&
                fCube->findCalculation("[time].[first]") == first.get());
    EXPECT_EQ(take(), (Log{"added [Time].[First]", "hierarchy [Time]"}));
    // A second one of the same name, or one of another hierarchy, is refused.
    EXPECT_EQ(fTime->addCalculation(make("First").get()), -1);
    auto elsewhere = make("Elsewhere");
    elsewhere->setHierarchy(fCube->getDimension(1)->getDefaultHierarchy());
    EXPECT_EQ(fTime->addCalculation(elsewhere.get()), -1);
    EXPECT_EQ(fTime->addCalculation(nullptr), -1);
    EXPECT_TRUE(take().empty());

    auto second = make("Second");
    fTime->addCalculation(second.get());
    take();
    EXPECT_GT(fTime->replaceCalculation(first.get(), make("Replacement", "2").get()), 0);
    EXPECT_EQ(names(), (Log{"[Time].[Replacement]", "[Time].[Second]"}));
    EXPECT_EQ(take(), (Log{"cube changed", "changed [Time].[First] [Time].[Replacement]",
                           "hierarchy [Time]"}));
    EXPECT_EQ(fTime->replaceCalculation(first.get(), make("Other").get()), -1);
    EXPECT_FALSE(fTime->renameCalculation("[Time].[Second]", "Replacement")) << "the name is taken";
    EXPECT_TRUE(fTime->renameCalculation("[Time].[Second]", "Renamed"));
    EXPECT_TRUE(fTime->setCalculationCaption("[Time].[Renamed]", "New caption"));
    EXPECT_EQ(second->getCaption(), "New caption");
    EXPECT_FALSE(fTime->setCalculationCaption("[Time].[Nothing]", "x"));
    EXPECT_TRUE(fTime->swapCalculations(0, 1));
    EXPECT_EQ(names(), (Log{"[Time].[Renamed]", "[Time].[Replacement]"}));
    EXPECT_FALSE(fTime->swapCalculations(0, 2) || fTime->swapCalculations(-1, 0));

    take();
    EXPECT_TRUE(fTime->removeCalculation("[Time].[Replacement]"));
    EXPECT_FALSE(fTime->removeCalculation("[Time].[Replacement]"));
    EXPECT_EQ(take(), (Log{"cube removed [Time].[Replacement]", "removed [Time].[Replacement]",
                           "hierarchy [Time]"}));
    fTime->addCalculation(make("Third").get());
    take();
    fTime->removeAllCalculations();
    EXPECT_FALSE(fCube->hasCalculations());
    EXPECT_EQ(take().size(), 5u) << "two removals heard twice, one hierarchy change";

    // Removed listeners hear nothing; when the cube goes, those still there hear it once.
    fTime->removeListener(&fClient);
    fCube->removeListener(&fClient);
    CubeRecorder removed(fLog);
    EXPECT_FALSE(fCube->addCubeListener(&fViewpoint) || fCube->addCubeListener(nullptr));
    EXPECT_TRUE(fCube->addCubeListener(&removed));
    fCube->removeCubeListener(&removed);
    fTime->addCalculation(make("Fourth").get());
    fCube.reset();
    EXPECT_EQ(take(), Log{"stop"});
}

TEST_F(Calculations, CopySaveLoadSave) {
    auto a = make("A", "[Measures].[Amount] / 2 & \"<quoted>\"");
    a->setCaption("Half");
    a->setPriority(3);
    fTime->addCalculation(a.get());
    fCube->getMeasures()->getDefaultHierarchy()->addCalculation(make("B").get());
    // A copy takes every property but the identity.
    auto copy = make("Copy");
    copy->copyFrom(*a);
    EXPECT_TRUE(copy->getName() == "A" && copy->getCaption() == "Half" &&
                copy->getFormula() == a->getFormula() && copy->getPriority() == 3 &&
                copy->getHierarchy() == fTime);

    XmlSupport first;
    first.createDocument();
    XmlNode root = first.createElement("CalcMemSpecsNode");
    fCube->saveCalculations(first, root);
    std::string const saved = first.xml().string();
    EXPECT_NE(saved.find("<CalculatedMember Name=\"A\""), std::string::npos) << saved;
    // Load into a fresh cube as a viewpoint does: make, load, add to the hierarchy.
    auto other = memcube_test::makeCalendarCube();
    for (XmlNode node : XmlSupport::getChildList(root)) {
        auto loaded = support::adopt(other->createCalculation());
        ASSERT_TRUE(loaded->load(node) && loaded->getHierarchy() != nullptr);
        EXPECT_GT(loaded->getHierarchy()->addCalculation(loaded.get()), 0);
    }
    XmlSupport second;
    second.createDocument();
    other->saveCalculations(second, second.createElement("CalcMemSpecsNode"));
    EXPECT_EQ(second.xml().string(), saved);

    // What load cannot place (no name, an unknown hierarchy) is refused, changing nothing.
    XmlSupport bad;
    ASSERT_TRUE(
        bad.readXml("<R><CalculatedMember Formula=\"1\"/><CalculatedMember Name=\"Lost\" "
                    "Hierarchy=\"[Nowhere]\"/></R>"));
    for (XmlNode node : XmlSupport::getChildList(bad.documentElement())) {
        EXPECT_FALSE(a->load(node));
    }
    EXPECT_TRUE(a->getName() == "A" && a->getPriority() == 3 && a->getHierarchy() == fTime);
}

}  // namespace
