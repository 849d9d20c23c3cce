// Member sets and members saved and rebuilt by their hierarchy.
#include "SmallCubes.h"

#include <basekit/XmlSupport.h>

#include <gtest/gtest.h>

namespace {

using namespace memcube_test;
using Names = std::vector<std::string>;

struct SavedSet {
    char const* xml;
    bool loads;
    Names members;
};

// Members are found by unique name only (case aside); a name that no longer resolves is
// dropped, and a set left with none of its members is not rebuilt.
SavedSet const kSets[] = {
    {R"(<S Hierarchy="[time]" Kind="0"><Member UniqueName="[Time].[1999]"/><Member/>)"
     R"(<Member UniqueName="[time].[2024]"/><Other UniqueName="[Time].[2023]"/></S>)",
     true,
     {"[Time].[2024]"}},
    {R"(<S Hierarchy="[Time]" Kind="8"/>)", true, {}},
    {R"(<S Hierarchy="[Time]" Kind="0"><Member UniqueName="Apr"/></S>)", false, {}},
    {R"(<S Hierarchy="[Time]" Kind="x"/>)", false, {}},
    {R"(<S Hierarchy="[Time]"/>)", false, {}},
    {R"(<S Hierarchy="[Time].[Season]" Kind="0"/>)", false, {}},
    {R"(<S Kind="0"/>)", false, {}},
};

TEST(MemPersistence, LoadsSavedSetsAndMembers) {
    auto cube = makeCalendarCube();
    ZELT_o::Hierarchy* time = cube->getDimension(0)->getDefaultHierarchy();
    for (SavedSet const& saved : kSets) {
        XmlSupport xml;
        ASSERT_TRUE(xml.readXml(PovaString(saved.xml)));
        auto set = support::adopt(time->loadMemberSet(xml.documentElement()));
        ASSERT_EQ(set != nullptr, saved.loads) << saved.xml;
        if (set) {
            EXPECT_EQ(namesOf(membersOf(*set)), saved.members) << saved.xml;
            EXPECT_EQ(set->getRefCount(), 1);
        }
    }

    // A round trip through another hierarchy keeps kind and order.
    ZELT_o::Hierarchy* season = cube->getDimension(0)->findHierarchy("Season");
    ZELT_o::Member* spring = season->findMember("[Time].[Season].[Spring]");
    ZELT_o::Member* winter = season->findMember("[Time].[Season].[Winter]");
    XmlSupport xml;
    xml.createDocument();
    XmlNode const root = xml.createElement("R");
    support::adopt(season->createMemberSet(8, spring))->save(xml, xml.addAChild(root, "S"));
    auto chosen = support::adopt(cube->createMemberSet(season, {spring, winter}));
    chosen->save(xml, xml.addAChild(root, "S"));
    spring->save(xml, xml.addAChild(root, "M"));
    XmlNodeList const saved = xml.getNodeList("*");
    EXPECT_EQ(time->loadMemberSet(saved[1]), nullptr) << "saved in another hierarchy";
    auto selection = support::adopt(season->loadMemberSet(saved[1]));
    auto loaded = support::adopt(season->loadMemberSet(saved[2]));
    ASSERT_TRUE(selection && loaded);
    EXPECT_TRUE(selection->getKind() == 8 && selection->getCount() == 0 && loaded->getKind() == 0);
    EXPECT_EQ(membersOf(*loaded), membersOf(*chosen));
    EXPECT_TRUE(season->loadMember(saved[5]) == spring && time->loadMember(saved[5]) == nullptr);
}

}  // namespace
