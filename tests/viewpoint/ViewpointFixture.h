// Cubes and viewpoints for the viewpoint tests.
#pragma once

#include <basekit/BaseError.h>
#include <memcube/CubeBuilder.h>
#include <pova/Dimension.h>
#include <pova/Factories.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/support/Ref.h>

#include <gtest/gtest.h>
#include <pova/Hierarchy.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>

#include <functional>
#include <string>
#include <vector>

namespace viewpoint_test {

using Ref = support::Ref<common::ViewpointCommon>;

// Error codes the viewpoint tests expect.
constexpr std::uint32_t kAlreadyRecorded = 0xC201120Bu;
constexpr std::uint32_t kCannotRun = 0xC201120Cu;
constexpr std::uint32_t kNotConnected = 0xC201120Du;
constexpr std::uint32_t kNotBuiltHere = 0xC201120Eu;
constexpr std::uint32_t kBadPosition = 0xC201120Fu;
constexpr std::uint32_t kTargetFull = 0xC2011212u;
constexpr std::uint32_t kSourceAtMinimum = 0xC2011213u;
constexpr std::uint32_t kNoBase = 0xC2011214u;
constexpr std::uint32_t kReorientFailed = 0xC201B23Cu;
constexpr std::uint32_t kViewAxisType = 0xC201B23Eu;
constexpr std::uint32_t kBadAxis = 0x02017024u;
constexpr std::uint32_t kFail = 0x80004005u;
constexpr std::uint32_t kUnexpected = 0x8000FFFFu;
constexpr std::uint32_t kInvalidArg = 0x80070057u;

// A cube whose dimensions are the given one-level dimensions, then Measures.
// The first dimension has a second hierarchy, "Alt", grouping both members under "G".
inline support::Ref<memcube::MemCube> makeCube(std::vector<std::string> const& names) {
    memcube::CubeBuilder builder("Test");
    for (std::string const& name : names) {
        builder.dimension(name, {name + "1", name + "2"});
    }
    builder.alternateHierarchy(names[0], "Alt", {"Group", "Item"},
                               {{"G", names[0] + "1"}, {"G", names[0] + "2"}});
    builder.measures({"Value"});
    return builder.build();
}

// Five dimensions A to E of 40 members, S of two, then Measures: four of the wide ones on the
// view axes with one more beside them exceed what memcube computes.
inline support::Ref<memcube::MemCube> wideCube() {
    memcube::CubeBuilder builder("Wide");
    std::vector<std::string> members;
    for (int i = 0; i < 40; ++i) {
        members.push_back("m" + std::to_string(i));
    }
    for (char const* name : {"A", "B", "C", "D", "E"}) {
        builder.dimension(name, members);
    }
    builder.dimension("S", {"s1", "s2"});
    builder.measures({"Value"});
    return builder.build();
}

inline Ref makeViewpoint() {
    return Ref::adopt(static_cast<common::ViewpointCommon*>(createCommonViewpoint()));
}

// A viewpoint bound to `cube` with the given axes.
inline Ref bind(ZELT_o::Cube* cube, LONG view = 2, LONG paged = 1) {
    Ref viewpoint = makeViewpoint();
    viewpoint->setCube(cube, view, paged);
    return viewpoint;
}

// A viewpoint derived from `base`.
inline Ref derive(common::ViewpointCommon* base, LONG view = 2, LONG paged = 1) {
    Ref viewpoint = makeViewpoint();
    viewpoint->setBaseViewpoint(base, view, paged);
    return viewpoint;
}

// The layout as text: axes separated by " | ", dimensions by ",".
inline std::string layout(ZELT_o::Viewpoint& viewpoint) {
    std::string text;
    for (auto const& side : viewpoint.getSides()) {
        if (!text.empty()) {
            text += " | ";
        }
        for (std::size_t i = 0; i < side.size(); ++i) {
            text += (i == 0 ? "" : ",") + side[i]->getName().string();
        }
    }
    return text;
}

// The code of the error a call raises (a BaseError's code or a plain result code), or 0.
inline std::uint32_t codeOf(std::function<void()> const& call) {
    try {
        call();
    } catch (BaseError const& error) {
        return error.code();
    } catch (ResultError const& error) {
        return static_cast<std::uint32_t>(error.result());
    }
    return 0;
}

// The names of a set's members: "{A1,A2}".
inline std::string names(ZELT_o::MemberSet* set) {
    std::string text = "{";
    for (LONG i = 0; i < set->getCount(); ++i) {
        text += (i == 0 ? "" : ",") + set->getMember(i)->getName().string();
    }
    return text + "}";
}

// A cube of A, B and C (members A1, A2, ...) and Measures, with its parts by ordinal.
class CubeFixture : public ::testing::Test {
protected:
    support::Ref<memcube::MemCube> fCube = makeCube({"A", "B", "C"});

    ZELT_o::Dimension* dim(LONG ordinal) const { return fCube->getDimension(ordinal); }
    ZELT_o::Hierarchy* hier(LONG ordinal) const { return dim(ordinal)->getDefaultHierarchy(); }
    ZELT_o::Hierarchy* alt() const { return dim(0)->findHierarchy("Alt"); }
    ZELT_o::Member* member(LONG ordinal, char const* name) const {
        return hier(ordinal)->findMember(PovaString(name));
    }
    support::Ref<ZELT_o::MemberSet> setOf(LONG ordinal, std::vector<char const*> const& names) {
        std::vector<ZELT_o::Member*> members;
        for (char const* name : names) {
            members.push_back(member(ordinal, name));
        }
        return support::adopt(fCube->createMemberSet(hier(ordinal), members));
    }
};

}  // namespace viewpoint_test
