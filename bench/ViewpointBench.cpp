// Layout changes on a viewpoint: a move and its undo, with and without listeners.
#include <memcube/CubeBuilder.h>
#include <pova/Factories.h>
#include <pova/ViewpointListener.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/support/Ref.h>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

class QuietListener : public ZELT_o::ViewpointListener {
public:
    void connected() override {}
    void disconnected(bool) override {}
    void dimensionMoved(ZELT_o::Dimension&, ZELT_o::DimensionPosition&) override { ++fCalls; }
    void dimensionSwapped(ZELT_o::Dimension&, ZELT_o::Dimension&) override {}
    void dimensionChanged(DimensionChange, ZELT_o::Dimension&) override {}
    void axisChanged(LONG) override { ++fCalls; }
    void cellsChanged() override { ++fCalls; }
    void selectedChanged() override {}
    void transitionStarted() override {}
    void transitionCompleted() override {}
    void transitionAborted() override {}
    void viewpointChanged() override { ++fCalls; }
    void axisInfoChanged(ZELT_o::Dimension&) override {}
    void axisTypeChanged(LONG, ZELT_o::Viewpoint::AxisType) override {}
    long fCalls = 0;
};

// Moves the first dimension of axis 1 to the end of axis 2 and undoes it, `listeners`
// listeners watching, on a viewpoint of a 20-dimension cube.
void BM_MoveAndUndo(benchmark::State& state) {
    memcube::CubeBuilder builder("Wide");
    for (int i = 0; i < 19; ++i) {
        std::string name = "D";
        name += std::to_string(i);
        builder.dimension(name, {"a", "b"});
    }
    builder.measures({"Value"});
    auto cube = builder.build();
    auto vp = support::Ref<common::ViewpointCommon>::adopt(
        static_cast<common::ViewpointCommon*>(createCommonViewpoint()));
    vp->setCube(cube.get(), 2, 1);
    ZELT_o::DimensionPosition from{2, 0};
    ZELT_o::DimensionPosition to{1, 1};
    std::vector<QuietListener> listeners(static_cast<std::size_t>(state.range(0)));
    for (QuietListener& listener : listeners) {
        vp->addListener(&listener);
    }
    for (auto _ : state) {
        vp->doMoveDim(from, to);
        vp->sendEvents();
        vp->doingUndoDimensionMove(from, to);
        vp->doMoveDim(to, from);
        vp->sendEvents();
    }
    state.SetItemsProcessed(state.iterations());
    for (QuietListener& listener : listeners) {
        vp->removeListener(&listener);
    }
}
BENCHMARK(BM_MoveAndUndo)->Arg(0)->Arg(10);

}  // namespace
