// listen: what a viewpoint tells its listeners. A listener registered on a viewpoint of the
// "Sales" cube prints every event of a few changes: a move of a dimension, a new slice, and
// the undo of the move. Each change ends with the events that tell a grid to redraw.
#include <memcube/SalesCube.h>
#include <pova/Command.h>
#include <pova/Dimension.h>
#include <pova/Factories.h>
#include <pova/Hierarchy.h>
#include <pova/Member.h>
#include <pova/Viewpoint.h>
#include <pova/ViewpointListener.h>
#include <pova/support/Ref.h>

#include <cstdio>
#include <string>

namespace {

std::string name(ZELT_o::Dimension& dimension) {
    return dimension.getName().string();
}

char const* changeName(ZELT_o::ViewpointListener::DimensionChange change) {
    switch (change) {
        case ZELT_o::ViewpointListener::kMemberSetChanged:
            return "member set";
        case ZELT_o::ViewpointListener::kSliceChanged:
            return "slice";
        case ZELT_o::ViewpointListener::kSelectionChanged:
            return "selection";
        case ZELT_o::ViewpointListener::kCalculationChanged:
            return "calculation";
        case ZELT_o::ViewpointListener::kHierarchyChanged:
            return "hierarchy";
    }
    return "unknown";
}

// Listeners are not counted: this one lives on main's stack and is removed before it goes.
class PrintingListener : public ZELT_o::ViewpointListener {
public:
    void connected() override { std::printf("  connected\n"); }
    void disconnected(bool flag) override {
        std::printf("  disconnected (%s)\n", flag ? "true" : "false");
    }
    void dimensionMoved(ZELT_o::Dimension& dimension, ZELT_o::DimensionPosition& from) override {
        std::printf("  dimension moved: %s from axis %d position %d\n", name(dimension).c_str(),
                    from.axis, from.position);
    }
    void dimensionSwapped(ZELT_o::Dimension& first, ZELT_o::Dimension& second) override {
        std::printf("  dimensions swapped: %s and %s\n", name(first).c_str(), name(second).c_str());
    }
    void dimensionChanged(DimensionChange change, ZELT_o::Dimension& dimension) override {
        std::printf("  dimension changed: %s (%s)\n", name(dimension).c_str(), changeName(change));
    }
    void axisChanged(LONG axis) override { std::printf("  axis changed: %d\n", axis); }
    void cellsChanged() override { std::printf("  cells changed\n"); }
    void selectedChanged() override { std::printf("  selection changed\n"); }
    void transitionStarted() override { std::printf("  transition started\n"); }
    void transitionCompleted() override { std::printf("  transition completed\n"); }
    void transitionAborted() override { std::printf("  transition aborted\n"); }
    void viewpointChanged() override { std::printf("  viewpoint changed\n"); }
    void axisInfoChanged(ZELT_o::Dimension& dimension) override {
        std::printf("  axis information changed: %s\n", name(dimension).c_str());
    }
    void axisTypeChanged(LONG axis, ZELT_o::Viewpoint::AxisType type) override {
        std::printf("  axis type changed: axis %d is type %d\n", axis, type);
    }
};

support::Ref<ZELT_o::BasicViewpointCommand> newCommand(ZELT_o::Viewpoint& viewpoint) {
    auto command = support::adopt(viewpoint.createCommand(ZELT_o::Viewpoint::CommandType::Basic));
    return support::retain(dynamic_cast<ZELT_o::BasicViewpointCommand*>(command.get()));
}

}  // namespace

int main() {
    support::Ref<memcube::MemCube> cube = memcube::makeSalesCube();
    auto viewpoint = support::adopt(createCommonViewpoint());
    PrintingListener listener;
    viewpoint->addListener(&listener);

    std::printf("bind the viewpoint to the cube:\n");
    viewpoint->setCube(cube.get(), 2, 1);

    std::printf("move Region (axis 2, position 0) under Product on the rows:\n");
    auto move = newCommand(*viewpoint);
    move->MoveDimensions(2, 0, 1, 1);
    move->execute();

    std::printf("slice the paged Measures at Units:\n");
    ZELT_o::Dimension* measures = cube->getMeasures();
    ZELT_o::Member* units = viewpoint->getActiveHierarchy(*measures)->findMember("Units");
    auto slice = newCommand(*viewpoint);
    slice->SetActiveSlice(measures, units);
    slice->execute();

    std::printf("undo the move:\n");
    move->undo();

    std::printf("unbind:\n");
    viewpoint->setCube(nullptr, 2, 1);
    viewpoint->removeListener(&listener);
    return 0;
}
