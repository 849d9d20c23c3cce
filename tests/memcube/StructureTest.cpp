// The parts of a built cube, and how it classifies names for the expression lexer.
#include "ResultReader.h"

#include <basekit/XmlSupport.h>
#include <pova/Calculation.h>
#include <pova/Level.h>
#include <pova/Parameter.h>

#include <gtest/gtest.h>

namespace {

using namespace memcube_test;
using Names = std::vector<std::string>;

class Structure : public ::testing::Test {
protected:
    support::Ref<memcube::MemCube> fCube = makeCalendarCube();
    ZELT_o::Dimension* fTime = fCube->getDimension(0);
    ZELT_o::Hierarchy* fTimeHierarchy = fTime->getDefaultHierarchy();
};

TEST_F(Structure, DimensionsHierarchiesAndLevels) {
    LONG const timeCount = fTime->getRefCount();
    EXPECT_EQ(nameOf(fCube.get()), "[Calendar]");
    std::vector<ZELT_o::Dimension*> dimensions;
    fCube->getDimensions(dimensions);
    EXPECT_EQ(namesOf(dimensions), (Names{"[Time]", "[Store]", "[Measures]"}));
    for (ZELT_o::Dimension* d : dimensions) {
        EXPECT_TRUE(fCube->getDimension(d->getOrdinal()) == d && d->getCube() == fCube.get());
    }
    EXPECT_TRUE(fCube->getDimension(3) == nullptr && fCube->getDimension(-1) == nullptr);
    EXPECT_EQ(fCube->getMeasures(), dimensions[2]);
    EXPECT_EQ(fCube->findDimension("[store]"), dimensions[1]);
    EXPECT_EQ(fCube->findDimension("Store"), dimensions[1]);
    EXPECT_EQ(fCube->findDimension("[Nowhere]"), nullptr);
    // The default hierarchy has the dimension's name, another one its own below it.
    std::vector<ZELT_o::Hierarchy*> hierarchies;
    fTime->getHierarchies(hierarchies);
    ASSERT_EQ(hierarchies.size(), 2u);
    ZELT_o::Hierarchy* season = hierarchies[1];
    EXPECT_TRUE(hierarchies[0] == fTimeHierarchy && fTimeHierarchy->getDimension() == fTime &&
                season->getDimension() == fTime);
    EXPECT_EQ(namesOf(hierarchies), (Names{"[Time]", "[Time].[Season]"}));
    EXPECT_TRUE(fTime->findHierarchy("season") == season &&
                fTime->findHierarchy("Time") == fTimeHierarchy &&
                fTime->acceptsName("[Time].[Season].[Winter].[Feb]"));
    EXPECT_EQ(nameOf(season->getDefaultMember()), "[Time].[Season].[All Season]");
    EXPECT_EQ(namesOf(membersOf(*support::adopt(season->createMemberSet(0, nullptr)))),
              (Names{"[Time].[Season].[Winter]", "[Time].[Season].[Spring]"}));
    EXPECT_EQ(fTime->getRefCount(), timeCount) << "structural getters lend without counting";
    EXPECT_EQ(fCube->getRefCount(), 1);

    // Levels start with the All level; the measures have one of their own.
    std::vector<ZELT_o::Level*> levels;
    fTimeHierarchy->getLevels(levels);
    EXPECT_EQ(namesOf(levels),
              (Names{"[Time].[(All)]", "[Time].[Year]", "[Time].[Quarter]", "[Time].[Month]"}));
    for (ZELT_o::Level* l : levels) {
        EXPECT_TRUE(levels.at(l->getDepth()) == l && l->getHierarchy() == fTimeHierarchy);
    }
    fCube->getMeasures()->getDefaultHierarchy()->getLevels(levels);
    EXPECT_EQ(namesOf(levels), Names{"[Measures].[MeasuresLevel]"});
}

TEST_F(Structure, MembersAndMemberSets) {
    ZELT_o::Member* all = fTimeHierarchy->getDefaultMember();
    EXPECT_EQ(nameOf(all), "[Time].[All Time]");
    EXPECT_TRUE(all->getMemberType() == ZELT_o::Member::kAll && all->getParent() == nullptr);
    std::vector<ZELT_o::Member*> children;
    all->getChildren(children);
    EXPECT_EQ(namesOf(children), (Names{"[Time].[2023]", "[Time].[2024]"}));
    ZELT_o::Member* feb = fTimeHierarchy->findMember("[Time].[2023].[Q1].[Feb]");
    ASSERT_NE(feb, nullptr);
    EXPECT_EQ(feb->getName(), "Feb");
    EXPECT_TRUE(feb->getMemberType() == ZELT_o::Member::kRegular && feb->getDimension() == fTime &&
                feb->getHierarchy() == fTimeHierarchy);
    EXPECT_EQ(nameOf(feb->getLevel()), "[Time].[Month]");
    EXPECT_EQ(feb->getParent()->getParent()->getParent(), all);
    // A level's members in hierarchy order; the ragged 2024 Q1 is a quarter.
    EXPECT_EQ(namesOf(membersOf(*support::adopt(feb->getParent()->getLevel()->getMemberSet()))),
              (Names{"[Time].[2023].[Q1]", "[Time].[2023].[Q2]", "[Time].[2024].[Q1]"}));
    ZELT_o::Member* amount = fCube->getMeasures()->getDefaultHierarchy()->getDefaultMember();
    EXPECT_EQ(nameOf(amount), "[Measures].[Amount]");
    EXPECT_EQ(amount->getMemberType(), ZELT_o::Member::kMeasure);

    auto active = support::adopt(fTimeHierarchy->createMemberSet(0, nullptr));
    EXPECT_TRUE(active->getKind() == 0 && active->getHierarchy() == fTimeHierarchy &&
                active->getDimension() == fTime);
    EXPECT_EQ(namesOf(membersOf(*active)), (Names{"[Time].[2023]", "[Time].[2024]"}));
    EXPECT_EQ(nameOf(active->getMember(1)), "[Time].[2024]");
    EXPECT_TRUE(active->getMember(2) == nullptr && active->getMember(-1) == nullptr);
    EXPECT_EQ(support::adopt(fTimeHierarchy->createMemberSet(8, nullptr))->getCount(), 0)
        << "a selection starts empty";
    EXPECT_EQ(namesOf(topMembers(*fCube->getMeasures())), Names{"[Measures].[Amount]"});

    // An explicit list, which queries its members and saves them; not of another hierarchy.
    auto chosen = support::adopt(fCube->createMemberSet(
        fTimeHierarchy, {fCube->findMember("Apr"), fCube->findMember("[Time].[2024]")}));
    auto result = support::adopt(chosen->query(nullptr));  // memcube ignores property lists
    EXPECT_EQ(readCells(*result), (Cells{40, 80}));
    XmlSupport xml;
    xml.createDocument();
    chosen->save(xml, xml.createElement("Set"));
    EXPECT_EQ(
        xml.xml().string(),
        "<Set Hierarchy=\"[Time]\" Kind=\"0\"><Member UniqueName=\"[Time].[2023].[Q2].[Apr]\"/>"
        "<Member UniqueName=\"[Time].[2024]\"/></Set>\n");
    EXPECT_EQ(fCube->createMemberSet(fTimeHierarchy, {fCube->findMember("South")}), nullptr);
    EXPECT_EQ(fCube->createMemberSet(nullptr, {}), nullptr);
}

struct Classified {
    char const* text;
    LONG nameClass;
    char const* canonical;  // Null: the text is left as it was.
    bool time;              // Whether the Time dimension accepts the name.
};

// Members 1 (the first in cube order wins), levels 2, dimensions 4 (a hierarchy shares its
// dimension's name), measures 5, named sets 6, calculations as members or measures.
constexpr Classified kNames[] = {
    {"[time].[2023].[q1]", 1, "[Time].[2023].[Q1]", true},
    {"Q1", 1, "[Time].[2023].[Q1]", true},
    {"[Q2]", 1, "[Time].[2023].[Q2]", true},
    {"  Feb  ", 1, "[Time].[2023].[Q1].[Feb]", true},
    {"All Store", 1, "[Store].[All Store]", false},
    {"[Store].[east]]]", 1, "[Store].[East]]]", false},  // A "]" inside a name is doubled.
    {"[East]]]", 1, "[Store].[East]]]", false},
    {"[Time].[Quarter]", 2, "[Time].[Quarter]", true},
    {"Month", 2, "[Time].[Month]", true},
    {"[Time]", 4, "[Time]", true},
    {"store", 4, "[Store]", false},
    {"[Measures].[Amount]", 5, "[Measures].[Amount]", false},
    {"amount", 5, "[Measures].[Amount]", false},
    {"[Best Stores]", 6, "[Best Stores]", false},
    {"best stores", 6, "[Best Stores]", false},
    {"[Time].[Growth]", 1, "[Time].[Growth]", true},
    {"growth", 1, "[Time].[Growth]", false},
    {"[Measures].[Share]", 5, "[Measures].[Share]", false},
    {"[Time].[1999]", 0, nullptr, false},
    {"[Time].[2023", 0, nullptr, false},
    {"", 0, nullptr, false},
};

TEST_F(Structure, NamesAreClassifiedAndAcceptedByTheirDimension) {
    fCube->addNamedSet("Best Stores");
    for (auto [name, dimension] : {std::pair{"Growth", 0}, {"Share", 2}}) {
        auto calculation = support::adopt(fCube->createCalculation());
        calculation->setName(name);
        fCube->getDimension(dimension)->getDefaultHierarchy()->addCalculation(calculation.get());
    }
    for (Classified const& c : kNames) {
        PovaString name(c.text);
        EXPECT_EQ(fCube->classifyName(name), c.nameClass) << c.text;
        EXPECT_EQ(name.string(), c.canonical != nullptr ? c.canonical : c.text) << c.text;
        EXPECT_EQ(fTime->acceptsName(c.text), c.time) << c.text;
    }
    // A member whose own name starts with "[" is classified by its bracketed name too.
    auto odd = memcube::CubeBuilder("X").dimension("D", {"[x]"}).measures({"V"}).build();
    PovaString bracketed("[[x]]]");
    EXPECT_EQ(odd->classifyName(bracketed), 1);
    EXPECT_EQ(bracketed, "[D].[[x]]]");
}

class PlainParameter : public ZELT_o::Parameter {
public:
    PlainParameter() : ZELT_o::Parameter("PlainParameter", 0) {}
    void getUniqueName(PovaString& name) const override { name = "Plain"; }
    void getValue(ZELT_o::ParameterValue** value) const override { *value = nullptr; }
    void getDefaultValue(ZELT_o::ParameterValue** value) const override { *value = nullptr; }
    void getType(ParameterType* type) const override { *type = PT_MEMBER; }
};

TEST_F(Structure, TheCubeHoldsTheParametersAttachedToIt) {
    auto parameter = support::adopt<ZELT_o::Parameter>(new PlainParameter);
    fCube->addParameter(parameter.get());
    fCube->addParameter(nullptr);
    std::vector<ZELT_o::Parameter*> parameters{nullptr};
    fCube->getParameters(parameters);
    EXPECT_EQ(parameters, std::vector{parameter.get()});
    EXPECT_EQ(parameter->getRefCount(), 2);
    fCube.reset();
    EXPECT_EQ(parameter->getRefCount(), 1);
}

}  // namespace
