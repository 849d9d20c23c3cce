// Calculations held by hierarchies: the hierarchy's operations, what listeners hear, and the
// XML round trip.
#include "SmallCubes.h"

#include <basekit/XmlSupport.h>
#include <pova/Calculation.h>
#include <pova/CubeListener.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using Log = std::vector<std::string>;

std::string nameOf(ZELT_o::Calculation* c) {
    return c->getUniqueName().string();
}

// What clients, viewpoints and hierarchy listeners hear, written into one log.
class ClientRecorder : public ZELT_o::CubeListener {
public:
    explicit ClientRecorder(Log& log) : fLog(log) {}
    void calculationAdded(ZELT_o::Calculation* c) override { fLog.push_back("added " + nameOf(c)); }
    void calculationRemoved(ZELT_o::Calculation* c) override {
        fLog.push_back("removed " + nameOf(c));
    }
    void calculationChanged(ZELT_o::Calculation* before, ZELT_o::Calculation* after) override {
        fLog.push_back("changed " + nameOf(before) + " " + nameOf(after));
    }

private:
    Log& fLog;
};

class CubeRecorder : public ZELT_o::Cube::Listener {
public:
    explicit CubeRecorder(Log& log) : fLog(log) {}
    bool calculationRemoved(ZELT_o::Calculation* c, ZELT_o::MemberSet**,
                            ZELT_o::Member**) override {
        fLog.push_back("cube removed " + nameOf(c));
        return false;
    }
    void calculationChanged(ZELT_o::Calculation*, ZELT_o::Calculation*) override {
        fLog.push_back("cube changed");
    }
    void cubeChanged(ZELT_o::CubeEvent*) override {}
    void stopListening() override { fLog.push_back("stop"); }

private:
    Log& fLog;
};

class HierarchyRecorder : public ZELT_o::Hierarchy::Listener {
public:
    explicit HierarchyRecorder(Log& log) : fLog(log) {}
    void hierarchyChanged(ZELT_o::Hierarchy*) override {}
    void calculationsChanged(ZELT_o::Hierarchy* h) override {
        fLog.push_back("hierarchy " + h->getName().string());
    }

private:
    Log& fLog;
};

class Calculations : public ::testing::Test {
protected:
    Calculations() {
        fCube->addListener(&fClient);
        fCube->addCubeListener(&fViewpoint);
        fTime->addListener(&fHierarchy);
    }
    ~Calculations() override {
        fTime->removeListener(&fHierarchy);
        fCube->removeCubeListener(&fViewpoint);
        fCube->removeListener(&fClient);
    }

    Log take() { return std::exchange(fLog, {}); }

    support::Ref<ZELT_o::Calculation> make(char const* name, char const* formula = "1") {
        auto calculation = support::adopt(fCube->createCalculation());
        calculation->setName(name);
        calculation->setCaption(std::string("Caption of ") + name);
        calculation->setFormula(formula);
        return calculation;
    }

    std::vector<std::string> names() {
        std::vector<ZELT_o::Calculation*> calculations;
        fTime->getCalculations(calculations);
        std::vector<std::string> result;
        for (ZELT_o::Calculation* calculation : calculations) {
            result.push_back(calculation->getName().string());
        }
        return result;
    }

    support::Ref<memcube::MemCube> fCube = memcube_test::makeCalendarCube();
    ZELT_o::Hierarchy* fTime = fCube->getDimension(0)->getDefaultHierarchy();
    Log fLog;
    ClientRecorder fClient{fLog};
    CubeRecorder fViewpoint{fLog};
    HierarchyRecorder fHierarchy{fLog};
};

TEST_F(Calculations, AddFindAndRemove) {
    EXPECT_FALSE(fCube->hasCalculations());
    auto growth = make("Growth");
    EXPECT_EQ(growth->getUniqueName(), "[Growth]") << "no hierarchy yet";
    LONG const id = fTime->addCalculation(growth.get());
    EXPECT_GT(id, 0);
    EXPECT_EQ(growth->getRefCount(), 2) << "the hierarchy holds one";
    EXPECT_EQ(growth->getHierarchy(), fTime);
    EXPECT_EQ(growth->getUniqueName(), "[Time].[Growth]");
    EXPECT_TRUE(fCube->hasCalculations());
    EXPECT_EQ(fCube->findCalculation("[time].[growth]"), growth.get());
    EXPECT_EQ(fTime->findCalculation("[Time].[Growth]"), growth.get());
    EXPECT_EQ(take(), (Log{"added [Time].[Growth]", "hierarchy Time"}));

    // A second one of the same name, or one of another hierarchy, is refused.
    EXPECT_EQ(fTime->addCalculation(make("Growth").get()), -1);
    auto elsewhere = make("Elsewhere");
    elsewhere->setHierarchy(fCube->getDimension(1)->getDefaultHierarchy());
    EXPECT_EQ(fTime->addCalculation(elsewhere.get()), -1);
    EXPECT_EQ(fTime->addCalculation(nullptr), -1);
    EXPECT_TRUE(take().empty());

    EXPECT_TRUE(fTime->removeCalculation("[Time].[Growth]"));
    EXPECT_EQ(growth->getRefCount(), 1);
    EXPECT_FALSE(fTime->removeCalculation("[Time].[Growth]"));
    EXPECT_FALSE(fCube->hasCalculations());
    EXPECT_EQ(take(),
              (Log{"cube removed [Time].[Growth]", "removed [Time].[Growth]", "hierarchy Time"}));
}

TEST_F(Calculations, ReplaceRenameRecaptionSwap) {
    auto first = make("First");
    auto second = make("Second");
    fTime->addCalculation(first.get());
    fTime->addCalculation(second.get());
    take();

    auto replacement = make("Replacement", "2");
    LONG const id = fTime->replaceCalculation(first.get(), replacement.get());
    EXPECT_GT(id, 0);
    EXPECT_EQ(names(), (Log{"Replacement", "Second"}));
    EXPECT_EQ(first->getRefCount(), 1);
    EXPECT_EQ(take(), (Log{"cube changed", "changed [Time].[First] [Time].[Replacement]",
                           "hierarchy Time"}));
    EXPECT_EQ(fTime->replaceCalculation(first.get(), make("Other").get()), -1);

    EXPECT_FALSE(fTime->renameCalculation("[Time].[Second]", "Replacement")) << "the name is taken";
    EXPECT_TRUE(fTime->renameCalculation("[Time].[Second]", "Renamed"));
    EXPECT_EQ(second->getUniqueName(), "[Time].[Renamed]");
    EXPECT_TRUE(fTime->setCalculationCaption("[Time].[Renamed]", "New caption"));
    EXPECT_EQ(second->getCaption(), "New caption");
    EXPECT_FALSE(fTime->setCalculationCaption("[Time].[Nothing]", "x"));

    EXPECT_TRUE(fTime->swapCalculations(0, 1));
    EXPECT_EQ(names(), (Log{"Renamed", "Replacement"}));
    EXPECT_FALSE(fTime->swapCalculations(0, 2));
    EXPECT_FALSE(fTime->swapCalculations(-1, 0));

    take();
    fTime->removeAllCalculations();
    EXPECT_TRUE(names().empty());
    EXPECT_EQ(take().size(), 5u) << "two removals heard twice, one hierarchy change";
}

TEST_F(Calculations, CopyTakesEveryPropertyButTheIdentity) {
    auto original = make("Original", "[Measures].[Amount] * 2");
    original->setPriority(7);
    original->setHierarchy(fTime);
    auto copy = make("Copy");
    copy->copyFrom(*original);
    EXPECT_EQ(copy->getName(), "Original");
    EXPECT_EQ(copy->getCaption(), "Caption of Original");
    EXPECT_EQ(copy->getFormula(), "[Measures].[Amount] * 2");
    EXPECT_EQ(copy->getPriority(), 7);
    EXPECT_EQ(copy->getHierarchy(), fTime);
}

TEST_F(Calculations, SaveLoadSaveGivesTheSameXml) {
    auto a = make("A", "[Measures].[Amount] / 2 & \"<quoted>\"");
    a->setPriority(3);
    fTime->addCalculation(a.get());
    auto b = make("B");
    fCube->getMeasures()->getDefaultHierarchy()->addCalculation(b.get());

    XmlSupport first;
    first.createDocument();
    XmlNode root = first.createElement("CalcMemSpecsNode");
    fCube->saveCalculations(first, root);
    std::string const saved = first.xml().string();
    EXPECT_NE(saved.find("<CalculatedMember Name=\"A\""), std::string::npos) << saved;

    // Load into a fresh cube, as a viewpoint does: the cube makes each calculation, the
    // calculation reads itself, its hierarchy takes it.
    auto other = memcube_test::makeCalendarCube();
    for (XmlNode node : XmlSupport::getChildList(root)) {
        auto loaded = support::adopt(other->createCalculation());
        ASSERT_TRUE(loaded->load(node));
        ASSERT_NE(loaded->getHierarchy(), nullptr);
        EXPECT_GT(loaded->getHierarchy()->addCalculation(loaded.get()), 0);
    }
    EXPECT_EQ(other->findCalculation("[Time].[A]")->getPriority(), 3);
    XmlSupport second;
    second.createDocument();
    other->saveCalculations(second, second.createElement("CalcMemSpecsNode"));
    EXPECT_EQ(second.xml().string(), saved);
}

TEST_F(Calculations, LoadRefusesWhatItCannotPlace) {
    XmlSupport xml;
    xml.createDocument();
    XmlNode root = xml.createElement("Root");
    XmlNode nameless = XmlSupport::addAChild(root, "CalculatedMember");
    XmlSupport::write_to(nameless, "Formula", "1");
    XmlNode lost = XmlSupport::addAChild(root, "CalculatedMember");
    XmlSupport::write_to(lost, "Name", "Lost");
    XmlSupport::write_to(lost, "Hierarchy", "[Nowhere]");

    auto calculation = make("Kept", "9");
    EXPECT_FALSE(calculation->load(nameless));
    EXPECT_FALSE(calculation->load(lost));
    EXPECT_EQ(calculation->getName(), "Kept");
    EXPECT_EQ(calculation->getFormula(), "9");
}

TEST(CubeLifetime, ListenersHearStopListeningWhenTheCubeGoes) {
    Log log;
    CubeRecorder recorder(log);
    auto cube = memcube_test::makeCalendarCube();
    EXPECT_TRUE(cube->addCubeListener(&recorder));
    EXPECT_FALSE(cube->addCubeListener(&recorder)) << "once only";
    EXPECT_FALSE(cube->addCubeListener(nullptr));
    cube.reset();
    EXPECT_EQ(log, Log{"stop"});

    log.clear();
    cube = memcube_test::makeCalendarCube();
    cube->addCubeListener(&recorder);
    cube->removeCubeListener(&recorder);
    cube.reset();
    EXPECT_TRUE(log.empty());
}

}  // namespace
