// Saving and loading viewpoints: round trips, documents from older versions, damaged documents
// and cubes that changed since the save.
#include "support/AssertionCounter.h"
#include "support/CapturingLog.h"
#include "support/RecordingListener.h"
#include "viewpoint/ViewpointFixture.h"

#include <pova/Command.h>
#include <pova/Sort.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace viewpoint_test {
namespace {

using testing_support::AssertionCounter;
using testing_support::CapturingLog;

std::string saved(ZELT_o::Viewpoint& viewpoint) {
    std::ostringstream out;
    viewpoint.save(out, true);
    return out.str();
}

void load(ZELT_o::Viewpoint& viewpoint, std::string const& text) {
    std::istringstream in(text);
    viewpoint.load(in);
}

// What xmllint says of the text: true when it is well-formed.
bool wellFormed(std::string const& text) {
    std::string const path = ::testing::TempDir() + "pova_saved.xml";
    std::ofstream(path) << text;
    return std::system(("xmllint --noout " + path + " 2>/dev/null").c_str()) == 0;
}

std::size_t occurrences(std::string const& text, std::string const& what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// A minimal document of the given version whose sides are given as XML.
std::string document(char const* version, std::string const& sides) {
    return std::string("<Viewpoint ViewpointUniqueName=\"V\" Version=\"") + version +
           "\" SortLinkMode=\"0\" ExcludeLinkMode=\"0\" FormatLinkMode=\"0\">" + sides +
           "</Viewpoint>";
}

class PersistenceTest : public CubeFixture {
protected:
    Ref fVp = bind(fCube.get());

    // A viewpoint with something changed of everything a document holds.
    void customise() {
        ZELT_o::DimensionPosition from{2, 0};
        ZELT_o::DimensionPosition to{0, 1};
        fVp->doMoveDim(from, to);
        fVp->setActiveHierarchy(*dim(0), alt());
        fVp->setActiveSet(*dim(1), setOf(1, {"B2"}).get());
        fVp->setActiveSelection(*dim(2), setOf(2, {"C1", "C2"}).get());
        fVp->setActiveSlice(*dim(1), member(1, "B2"), false);
        fVp->setAxisInfo(*dim(2), "wide");
        fVp->setAxisExcludeNULLs(1, true);
        fVp->setID(42);
        fVp->setUniqueName("Mine");
    }
};

TEST_F(PersistenceTest, RoundTripGivesTheSameTextAndState) {
    customise();
    std::string const first = saved(*fVp);
    EXPECT_TRUE(wellFormed(first));
    EXPECT_FALSE(fVp->ChangedSinceLastPersist());
    Ref copy = makeViewpoint();
    load(*copy, first);
    copy->setCube(fCube.get(), 2, 1);
    EXPECT_EQ(saved(*copy), first);
    EXPECT_EQ(layout(*copy), layout(*fVp));
    EXPECT_EQ(copy->getActiveHierarchy(*dim(0)), alt());
    EXPECT_EQ(names(copy->getCurrentSet(*dim(1))), "{B2}");
    EXPECT_EQ(names(copy->getCurrentSelection(*dim(2))), "{C1,C2}");
    EXPECT_EQ(copy->getCurrentSection(*dim(1)), member(1, "B2"));
    EXPECT_EQ(copy->getAxisInfo(*dim(2)), "wide");
    EXPECT_TRUE(copy->isAxisNULLFiltered(1));
    EXPECT_EQ(copy->getID(), 42);
    EXPECT_EQ(copy->getUniqueName(), "Mine");
    EXPECT_EQ(copy->getGUID(), fVp->getGUID());
    EXPECT_FALSE(copy->ChangedSinceLastPersist());
}

TEST_F(PersistenceTest, ElementFormsWriteTheSameViewpoint) {
    customise();
    XmlSupport xml;
    xml.createDocument();
    XmlNode const element = fVp->saveXML(xml.documentNode(), false);
    EXPECT_EQ(element, xml.documentElement());
    Ref copy = bind(fCube.get());
    copy->loadXML(xml.documentNode());
    EXPECT_EQ(saved(*copy), saved(*fVp));
    XmlSupport other;
    other.createDocument();
    XmlNode const into = other.createElement("Into");
    copy->saveXmlToElement(into, false);
    EXPECT_TRUE(into.findChild("SidesNode") && into.hasAttribute("Version"));
}

TEST_F(PersistenceTest, UnconnectedViewpointWritesBackWhatItLoaded) {
    std::string const held =
        "<Viewpoint ViewpointUniqueName=\"X\" Version=\"9\" Odd=\"1\"><Unknown a=\"b\"/>"
        "<VPID Val=\"3\"/></Viewpoint>";
    Ref loose = makeViewpoint();
    EXPECT_EQ(codeOf([&] { saved(*loose); }), kUnexpected);
    load(*loose, held);
    std::string const text = saved(*loose);
    EXPECT_NE(text.find(held), std::string::npos) << text;
    EXPECT_TRUE(wellFormed(text));
    EXPECT_EQ(codeOf([&] { loose->saveExplicitXmlToElement(XmlNode()); }), 0xC2011215u);
}

TEST_F(PersistenceTest, SidesFollowTheVersionAndTheAxisCounts) {
    struct Case {
        char const* version;
        int sides;
        char const* type;
        std::string expected;
        std::size_t assertions;
    };
    auto side = [](char const* type) {
        return std::string("<Side") + (type ? std::string(" AxisType=\"") + type + "\"" : "") +
               "/>";
    };
    for (Case const& c :
         {Case{"11", 3, nullptr, "1 1 2 2", 0}, Case{"12", 5, "Hidden", "3 3 3 3", 0},
          Case{"12", 4, nullptr, "1 1 2 2", 4}, Case{"11", 4, "Hidden", "1 1 2 2", 0}}) {
        std::string sides = "<SidesNode ViewAxes=\"2\" PagedAxes=\"2\">";
        for (int i = 0; i < c.sides; ++i) {
            sides += side(c.type);
        }
        AssertionCounter assertions;
        Ref loaded = makeViewpoint();
        load(*loaded, document(c.version, sides + "</SidesNode>"));
        loaded->setCube(fCube.get(), 1, 1);
        std::string types;
        for (LONG axis = 0; axis < loaded->countAxes() + loaded->countPagedAxes(); ++axis) {
            types += (axis ? " " : "") + std::to_string(loaded->getAxisType(axis));
        }
        EXPECT_EQ(types, c.expected) << c.version << " " << c.sides;
        EXPECT_EQ(assertions.count("!\"Failed to read axis type from XML\""), c.assertions);
    }
}

TEST_F(PersistenceTest, UniqueNameFallsBackToTheId) {
    Ref loaded = makeViewpoint();
    load(*loaded,
         "<Viewpoint Version=\"12\" SortLinkMode=\"0\" ExcludeLinkMode=\"0\" "
         "FormatLinkMode=\"0\"><VPID Val=\"77\"/></Viewpoint>");
    loaded->setCube(fCube.get(), 2, 1);
    EXPECT_EQ(loaded->getUniqueName(), "77");
    EXPECT_EQ(loaded->getID(), 77);
}

TEST_F(PersistenceTest, RegistrySwitchDumpsWhatIsLoaded) {
    std::string const folder = ::testing::TempDir();
    std::string const reg = folder + "pova_dump.reg";
    std::ofstream(reg) << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Zorvik\\Varnel 12.0\\Halden"
                          "\\ZELT(o)\\Pova]\n\"WriteViewpoint\"=dword:1\n\"ViewpointLocation\"=\""
                       << folder << "\"\n";
    ::setenv("POVA_REGISTRY", reg.c_str(), 1);
    Ref loaded = makeViewpoint();
    load(*loaded, document("12", ""));
    loaded->setCube(fCube.get(), 2, 1);
    ::unsetenv("POVA_REGISTRY");
    char name[64];
    std::snprintf(name, sizeof name, "V-0x08%x.xml",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(loaded.get())));
    std::ifstream dump(folder + name);
    std::stringstream text;
    text << dump.rdbuf();
    EXPECT_NE(text.str().find("ViewpointUniqueName=\"V\""), std::string::npos) << folder + name;
}

TEST_F(PersistenceTest, LinkedDimensionsLeaveTheirStateToTheBase) {
    Ref child = derive(fVp.get());
    EXPECT_EQ(occurrences(saved(*child), "<DimensionProperties "), 0u);
    child->setDimensionLinkMode(dim(1), ZELT_o::kLinkOwn);
    std::string const text = saved(*child);
    EXPECT_EQ(occurrences(text, "<DimensionProperties "), 1u);
    EXPECT_EQ(occurrences(saved(*fVp), "<DimensionProperties "), 4u);
}

TEST_F(PersistenceTest, NamesThatNoLongerResolveAreDroppedOneByOne) {
    customise();
    fVp->setActiveSet(*dim(2), setOf(2, {"C1", "C2"}).get());
    std::string const text = saved(*fVp);
    // The same cube without B2 and C1.
    memcube::CubeBuilder builder("Test");
    builder.dimension("A", {"A1", "A2"}).dimension("B", {"B1"}).dimension("C", {"C2"});
    builder.alternateHierarchy("A", "Alt", {"Group", "Item"}, {{"G", "A1"}, {"G", "A2"}});
    auto changed = builder.measures({"Value"}).build();
    CapturingLog log;
    log.setVerbosity("INTERFACE", "ViewpointCommon", 5);
    Ref loaded = makeViewpoint();
    load(*loaded, text);
    loaded->setCube(changed.get(), 2, 1);
    ZELT_o::Dimension& b = *changed->getDimension(1);
    ZELT_o::Dimension& c = *changed->getDimension(2);
    EXPECT_EQ(log.count("Failed to load member set property on dimension [B]"), 1u);
    EXPECT_EQ(log.count("Failed to load section field property on dimension [B]"), 1u);
    EXPECT_EQ(names(loaded->getCurrentSet(b)), "{B1}");
    EXPECT_EQ(names(loaded->getCurrentSet(c)), "{C2}");
    EXPECT_EQ(names(loaded->getCurrentSelection(c)), "{C2}");
    EXPECT_EQ(loaded->getAxisInfo(c), "wide");
    EXPECT_EQ(layout(*loaded), layout(*fVp));
}

TEST_F(PersistenceTest, FailedLoadChangesNothing) {
    customise();
    auto sort = support::adopt(static_cast<ZELT_o::SortViewpointCommand*>(
        fVp->createCommand(ZELT_o::Viewpoint::CommandType::Sort)));
    sort->getNewSort()->getDimVec() = {dim(1)};
    sort->AddSort();
    sort->execute();
    std::string const before = saved(*fVp);
    ASSERT_NE(before.find("SortSpecification "), std::string::npos);
    for (std::string const& bad : {std::string("<Viewpoint"), std::string("<Other/>"),
                                   std::string("<Viewpoint Version=\"12\" SortLinkMode=\"x\"/>")}) {
        EXPECT_EQ(codeOf([&] { load(*fVp, bad); }), kFail) << bad;
        EXPECT_EQ(saved(*fVp), before) << bad;
    }
    Ref other = makeViewpoint();
    load(*other, "<Viewpoint Version=\"12\"/>");
    EXPECT_EQ(codeOf([&] { other->setCube(fCube.get(), 2, 1); }), kFail);
    EXPECT_TRUE(other->isConnected());
    EXPECT_EQ(layout(*other), "A | B | C,Measures");
}

TEST_F(PersistenceTest, LoadIntoAConnectedViewpointTellsItsListenersAndChildren) {
    customise();
    std::string const text = saved(*fVp);
    Ref fresh = bind(fCube.get());
    Ref child = derive(fresh.get());
    testing_support::RecordingListener listener;
    child->addListener(&listener);
    load(*fresh, text);
    child->removeListener(&listener);
    EXPECT_EQ(layout(*child), layout(*fVp));
    EXPECT_EQ(child->getCurrentSection(*dim(1)), member(1, "B2"));
    EXPECT_NE(std::find(listener.calls().begin(), listener.calls().end(), "viewpointChanged()"),
              listener.calls().end());
    EXPECT_NE(child->getAxisQueryFields(2), nullptr);
}

TEST_F(PersistenceTest, PropertiesAreSeenThroughTheBase) {
    Ref child = derive(fVp.get());
    auto value = [](char const* text) { return basekit::Variant(PovaString(text).c_str()); };
    LONG const own = fVp->countPropertyLists() - 1;
    EXPECT_EQ(own, 4);
    fVp->setProperty({"Colour", *value("red")}, false, true);
    fVp->setProperty({"Size", *value("big")}, false, true);
    child->setDimensionProperty(own, {"Colour", *value("blue")}, false, true);
    EXPECT_EQ(child->countProperties(), 2);
    ZELT_o::Viewpoint::Property read;
    ASSERT_TRUE(child->readProperty(0, &read));
    EXPECT_EQ(read.getName(), "Colour");
    EXPECT_EQ(PovaString(read.getValue().bstrVal), "blue");
    EXPECT_FALSE(child->readProperty(2, &read));
    EXPECT_TRUE(child->readProperty("Size", &read, true));
    EXPECT_FALSE(child->readProperty("Size", &read, false));
    child->setProperty({"Size", *value("small")}, true, true);
    EXPECT_TRUE(fVp->readProperty("Size", &read, false));
    EXPECT_EQ(PovaString(read.getValue().bstrVal), "small");
    EXPECT_EQ(codeOf([&] { child->countDimensionProperties(5); }), 0xC2011205u);
    EXPECT_EQ(codeOf([&] { child->setDimensionProperty(-1, read, false, false); }), 0xC2011205u);
}

TEST_F(PersistenceTest, ReservedPropertiesActLikeTheirSetters) {
    testing_support::RecordingListener listener;
    fVp->addListener(&listener);
    auto set = setOf(1, {"B1"});
    fVp->setDimensionProperty(1, {ZELT_o::Viewpoint::FIELDLIST, set.get()}, true, true);
    auto const viaProperty = listener.calls();
    listener.clear();
    fVp->setActiveSet(*dim(1), setOf(1, {"B2"}).get());
    EXPECT_EQ(listener.calls(), viaProperty);
    EXPECT_EQ(fVp->getCurrentSet(*dim(1)), fVp->getCurrentSet(*dim(1)));
    fVp->removeListener(&listener);
    // The wrong kind of value, or another dimension's set, would leave the state unreadable.
    EXPECT_EQ(codeOf([&] {
                  fVp->setDimensionProperty(1, {ZELT_o::Viewpoint::FIELDLIST, member(1, "B1")},
                                            true, false);
              }),
              kInvalidArg);
    EXPECT_EQ(
        codeOf([&] {
            fVp->setDimensionProperty(2, {ZELT_o::Viewpoint::FIELDLIST, set.get()}, true, true);
        }),
        kInvalidArg);
    EXPECT_EQ(names(fVp->getCurrentSet(*dim(1))), "{B2}");
}

}  // namespace
}  // namespace viewpoint_test
