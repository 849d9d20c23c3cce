// Dimensions, hierarchies, levels, members and member sets of a built cube.
#include "SmallCubes.h"

#include <basekit/XmlSupport.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/Level.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>

#include <gtest/gtest.h>

namespace {

using memcube_test::makeCalendarCube;

std::vector<std::string> uniqueNames(std::vector<ZELT_o::Member*> const& members) {
    std::vector<std::string> names;
    for (ZELT_o::Member* member : members) {
        names.push_back(member->getUniqueName().string());
    }
    return names;
}

std::vector<std::string> setNames(ZELT_o::MemberSet& set) {
    std::vector<ZELT_o::Member*> members;
    set.getMembers(members);
    return uniqueNames(members);
}

class Structure : public ::testing::Test {
protected:
    support::Ref<memcube::MemCube> fCube = makeCalendarCube();
    ZELT_o::Dimension* fTime = fCube->getDimension(0);
    ZELT_o::Hierarchy* fTimeHierarchy = fTime->getDefaultHierarchy();
};

TEST_F(Structure, DimensionsInDeclarationOrder) {
    ASSERT_EQ(fCube->countDimensions(), 3);
    EXPECT_EQ(fCube->getUniqueName(), "[Calendar]");
    EXPECT_EQ(fCube->getProviderName(), "memcube");
    std::vector<ZELT_o::Dimension*> dimensions;
    fCube->getDimensions(dimensions);
    ASSERT_EQ(dimensions.size(), 3u);
    for (LONG i = 0; i < 3; ++i) {
        EXPECT_EQ(dimensions[static_cast<std::size_t>(i)], fCube->getDimension(i));
        EXPECT_EQ(dimensions[static_cast<std::size_t>(i)]->getOrdinal(), i);
        EXPECT_EQ(dimensions[static_cast<std::size_t>(i)]->getCube(), fCube.get());
    }
    EXPECT_EQ(fTime->getUniqueName(), "[Time]");
    EXPECT_FALSE(fTime->isMeasures());
    EXPECT_TRUE(fCube->getDimension(2)->isMeasures());
    EXPECT_EQ(fCube->getMeasures(), fCube->getDimension(2));
    EXPECT_EQ(fCube->getDimension(3), nullptr);
    EXPECT_EQ(fCube->getDimension(-1), nullptr);
    EXPECT_EQ(fCube->findDimension("[store]"), fCube->getDimension(1));
    EXPECT_EQ(fCube->findDimension("Store"), fCube->getDimension(1));
    EXPECT_EQ(fCube->findDimension("[Nowhere]"), nullptr);
    EXPECT_EQ(fCube->getDocument(), nullptr);
}

TEST_F(Structure, HierarchiesAreFoundByTheirOwnOrTheirDimensionsName) {
    std::vector<ZELT_o::Hierarchy*> hierarchies;
    fTime->getHierarchies(hierarchies);
    EXPECT_EQ(hierarchies, std::vector<ZELT_o::Hierarchy*>{fTimeHierarchy});
    EXPECT_EQ(fTimeHierarchy->getDimension(), fTime);
    EXPECT_EQ(fTimeHierarchy->getUniqueName(), "[Time]");
    EXPECT_EQ(fTime->findHierarchy("[TIME]"), fTimeHierarchy);
    EXPECT_EQ(fTime->findHierarchy("time"), fTimeHierarchy);
    EXPECT_EQ(fTime->findHierarchy("[Store]"), nullptr);
}

TEST_F(Structure, LevelsStartWithTheAllLevel) {
    std::vector<ZELT_o::Level*> levels;
    fTimeHierarchy->getLevels(levels);
    ASSERT_EQ(levels.size(), 4u);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        EXPECT_EQ(levels[i]->getDepth(), static_cast<LONG>(i));
        EXPECT_EQ(levels[i]->getHierarchy(), fTimeHierarchy);
        names.push_back(levels[i]->getUniqueName().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"[Time].[(All)]", "[Time].[Year]",
                                               "[Time].[Quarter]", "[Time].[Month]"}));
    // Members of a level in hierarchy order; the ragged 2024 Q1 is a quarter.
    auto quarters = support::adopt(levels[2]->getMemberSet());
    EXPECT_EQ(quarters->getRefCount(), 1);
    EXPECT_EQ(setNames(*quarters),
              (std::vector<std::string>{"[Time].[2023].[Q1]", "[Time].[2023].[Q2]",
                                        "[Time].[2024].[Q1]"}));

    std::vector<ZELT_o::Level*> measureLevels;
    fCube->getMeasures()->getDefaultHierarchy()->getLevels(measureLevels);
    ASSERT_EQ(measureLevels.size(), 1u);
    EXPECT_EQ(measureLevels[0]->getUniqueName(), "[Measures].[MeasuresLevel]");
}

TEST_F(Structure, MembersFormATreeUnderTheAllMember) {
    ZELT_o::Member* all = fTimeHierarchy->getDefaultMember();
    EXPECT_EQ(all->getUniqueName(), "[Time].[All Time]");
    EXPECT_EQ(all->getMemberType(), ZELT_o::Member::kAll);
    EXPECT_EQ(all->getParent(), nullptr);
    std::vector<ZELT_o::Member*> children;
    all->getChildren(children);
    EXPECT_EQ(uniqueNames(children), (std::vector<std::string>{"[Time].[2023]", "[Time].[2024]"}));

    ZELT_o::Member* feb = fTimeHierarchy->findMember("[Time].[2023].[Q1].[Feb]");
    ASSERT_NE(feb, nullptr);
    EXPECT_EQ(feb->getName(), "Feb");
    EXPECT_EQ(feb->getCaption(), "Feb");
    EXPECT_EQ(feb->getMemberType(), ZELT_o::Member::kRegular);
    EXPECT_EQ(feb->getDimension(), fTime);
    EXPECT_EQ(feb->getHierarchy(), fTimeHierarchy);
    EXPECT_EQ(feb->getLevel()->getName(), "Month");
    EXPECT_EQ(feb->getParent()->getParent()->getParent(), all);
    feb->getChildren(children);
    EXPECT_TRUE(children.empty());

    // By name, case-insensitively, with or without brackets; the first in hierarchy order.
    EXPECT_EQ(fTimeHierarchy->findMember("feb"), feb);
    EXPECT_EQ(fTimeHierarchy->findMember("[FEB]"), feb);
    EXPECT_EQ(fTimeHierarchy->findMember("Q1")->getUniqueName(), "[Time].[2023].[Q1]");
    EXPECT_EQ(fTimeHierarchy->findMember("Mar"), nullptr);
    EXPECT_EQ(fCube->findMember("South")->getUniqueName(), "[Store].[South]");

    ZELT_o::Hierarchy* measures = fCube->getMeasures()->getDefaultHierarchy();
    EXPECT_EQ(measures->getDefaultMember()->getUniqueName(), "[Measures].[Amount]");
    EXPECT_EQ(measures->getDefaultMember()->getMemberType(), ZELT_o::Member::kMeasure);
}

TEST_F(Structure, MemberSetsOfEachKind) {
    ZELT_o::Member* all = fTimeHierarchy->getDefaultMember();
    auto active = support::adopt(fTimeHierarchy->createMemberSet(0, all));
    EXPECT_EQ(active->getKind(), 0);
    EXPECT_EQ(active->getHierarchy(), fTimeHierarchy);
    EXPECT_EQ(active->getDimension(), fTime);
    EXPECT_EQ(setNames(*active), (std::vector<std::string>{"[Time].[2023]", "[Time].[2024]"}));
    EXPECT_EQ(active->getCount(), 2);
    EXPECT_EQ(active->getMember(1)->getName(), "2024");
    EXPECT_EQ(active->getMember(2), nullptr);
    EXPECT_EQ(active->getMember(-1), nullptr);

    auto selection = support::adopt(fTimeHierarchy->createMemberSet(8, nullptr));
    EXPECT_EQ(selection->getKind(), 8);
    EXPECT_EQ(selection->getCount(), 0);

    auto measures =
        support::adopt(fCube->getMeasures()->getDefaultHierarchy()->createMemberSet(0, nullptr));
    EXPECT_EQ(setNames(*measures), (std::vector<std::string>{"[Measures].[Amount]"}));

    // An explicit list; members of another hierarchy are refused.
    ZELT_o::Member* south = fCube->findMember("South");
    auto chosen = support::adopt(fCube->createMemberSet(
        fTimeHierarchy, {fTimeHierarchy->findMember("Apr"), fTimeHierarchy->findMember("2024")}));
    EXPECT_EQ(setNames(*chosen),
              (std::vector<std::string>{"[Time].[2023].[Q2].[Apr]", "[Time].[2024]"}));
    EXPECT_EQ(fCube->createMemberSet(fTimeHierarchy, {south}), nullptr);
    EXPECT_EQ(fCube->createMemberSet(nullptr, {}), nullptr);
}

TEST_F(Structure, MemberSetQueriesItsMembersAndSavesThem) {
    auto set = support::adopt(fCube->createMemberSet(
        fTimeHierarchy, {fTimeHierarchy->findMember("2023"), fTimeHierarchy->findMember("2024")}));
    // Property lists do not matter to memcube.
    auto result = support::adopt(set->query(nullptr));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->getAxisCount(), 1);
    EXPECT_EQ(result->getAxisLength(0), 2);
    EXPECT_DOUBLE_EQ(result->getMinimum(), 70);
    EXPECT_DOUBLE_EQ(result->getMaximum(), 80);

    XmlSupport xml;
    xml.createDocument();
    XmlNode element = xml.createElement("Set");
    set->save(xml, element);
    EXPECT_EQ(xml.xml().string(),
              "<Set Hierarchy=\"[Time]\" Kind=\"0\"><Member UniqueName=\"[Time].[2023]\"/>"
              "<Member UniqueName=\"[Time].[2024]\"/></Set>\n");
}

TEST_F(Structure, NamesAreAcceptedByTheirDimension) {
    for (char const* name : {"[Time]", "Time", "[Time].[Quarter]", "Quarter",
                             "[Time].[2023].[Q2].[Apr]", "apr", "[Time].[All Time]"}) {
        EXPECT_TRUE(fTime->acceptsName(name)) << name;
    }
    for (char const* name : {"[Store]", "[Store].[North]", "Amount", "[Time].[Nope]", ""}) {
        EXPECT_FALSE(fTime->acceptsName(name)) << name;
    }
}

TEST_F(Structure, StructuralGettersLendWithoutCounting) {
    LONG const before = fTime->getRefCount();
    fCube->getDimension(0);
    fTime->getDefaultHierarchy();
    fCube->findDimension("Time");
    EXPECT_EQ(fTime->getRefCount(), before);
    EXPECT_EQ(fCube->getRefCount(), 1);
}

}  // namespace
