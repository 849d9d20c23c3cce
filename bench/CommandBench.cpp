// The command layer's cost: execute-plus-undo pairs of a basic command against the viewpoint
// calls they make, on a viewpoint of the sample cube. Each BM_Command* figure is read as a
// ratio to the BM_Direct* figure of the same change.
#include <memcube/SalesCube.h>
#include <pova/Dimension.h>
#include <pova/Factories.h>
#include <pova/Hierarchy.h>
#include <pova/Member.h>
#include <pova/common/BasicViewpointCommandCommon.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/support/Ref.h>

#include <benchmark/benchmark.h>

namespace {

memcube::MemCube& sales() {
    static support::Ref<memcube::MemCube> cube = memcube::makeSalesCube();
    return *cube;
}

// Time | Product | Region,Measures.
support::Ref<common::ViewpointCommon> salesView() {
    auto vp = support::Ref<common::ViewpointCommon>::adopt(
        static_cast<common::ViewpointCommon*>(createCommonViewpoint()));
    vp->setCube(&sales(), 2, 1);
    return vp;
}

support::Ref<common::BasicViewpointCommandCommon> basic(common::ViewpointCommon& vp) {
    return support::adopt(static_cast<common::BasicViewpointCommandCommon*>(
        vp.createCommand(ZELT_o::Viewpoint::CommandType::Basic)));
}

// Region moves from the paged axis to the end of axis 1, and back.
constexpr ZELT_o::DimensionPosition kFrom{2, 0};
constexpr ZELT_o::DimensionPosition kTo{1, 1};

void BM_DirectMoveAndUndo(benchmark::State& state) {
    auto vp = salesView();
    for (auto _ : state) {
        ZELT_o::DimensionPosition from = kFrom;
        ZELT_o::DimensionPosition to = kTo;
        vp->doMoveDim(from, to);
        vp->sendEvents();
        vp->doingUndoDimensionMove(from, to);
        vp->doMoveDim(to, from);
        vp->sendEvents();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DirectMoveAndUndo);

void BM_CommandMoveAndUndo(benchmark::State& state) {
    auto vp = salesView();
    auto command = basic(*vp);
    command->MoveDimensions(kFrom.axis, kFrom.position, kTo.axis, kTo.position);
    for (auto _ : state) {
        command->execute();
        command->undo();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CommandMoveAndUndo);

// The Region slice goes from its default member to the first country and back.
ZELT_o::Dimension& region() {
    return *sales().findDimension(PovaString("Region"));
}

ZELT_o::Member* firstCountry() {
    std::vector<ZELT_o::Member*> children;
    region().getDefaultHierarchy()->getDefaultMember()->getChildren(children);
    return children.at(0);
}

void BM_DirectSliceAndUndo(benchmark::State& state) {
    auto vp = salesView();
    ZELT_o::Dimension& dimension = region();
    ZELT_o::Member* const original = vp->getCurrentSection(dimension);
    ZELT_o::Member* const country = firstCountry();
    for (auto _ : state) {
        vp->setActiveSlice(dimension, country, false);
        vp->setActiveSlice(dimension, original, false);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DirectSliceAndUndo);

void BM_CommandSliceAndUndo(benchmark::State& state) {
    auto vp = salesView();
    auto command = basic(*vp);
    command->SetActiveSlice(&region(), firstCountry());
    for (auto _ : state) {
        command->execute();
        command->undo();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CommandSliceAndUndo);

}  // namespace
