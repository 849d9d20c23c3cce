#include "EventPrinter.h"

#include <pova/Dimension.h>

namespace pova_tool {

namespace {
std::string nameOf(ZELT_o::Dimension& dimension) {
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
}  // namespace

std::string axisTypeName(ZELT_o::Viewpoint::AxisType type) {
    switch (type) {
        case ZELT_o::Viewpoint::kView:
            return "View";
        case ZELT_o::Viewpoint::kSlice:
            return "Slice";
        case ZELT_o::Viewpoint::kHidden:
            return "Hidden";
        case ZELT_o::Viewpoint::kExcluded:
            return "Excluded";
        case ZELT_o::Viewpoint::kNoAxisType:
            break;
    }
    return "none";
}

std::vector<std::string> EventPrinter::take() {
    std::vector<std::string> events;
    events.swap(fEvents);
    return events;
}

void EventPrinter::connected() {
    fEvents.push_back("connected");
}
void EventPrinter::disconnected(bool flag) {
    fEvents.push_back(std::string("disconnected (") + (flag ? "true" : "false") + ")");
}
void EventPrinter::dimensionMoved(ZELT_o::Dimension& dimension, ZELT_o::DimensionPosition& from) {
    fEvents.push_back("dimension moved: " + nameOf(dimension) + " from axis " +
                      std::to_string(from.axis) + " position " + std::to_string(from.position));
}
void EventPrinter::dimensionSwapped(ZELT_o::Dimension& first, ZELT_o::Dimension& second) {
    fEvents.push_back("dimensions swapped: " + nameOf(first) + " and " + nameOf(second));
}
void EventPrinter::dimensionChanged(DimensionChange change, ZELT_o::Dimension& dimension) {
    fEvents.push_back("dimension changed: " + nameOf(dimension) + " (" + changeName(change) + ")");
}
void EventPrinter::axisChanged(LONG axis) {
    fEvents.push_back("axis changed: " + std::to_string(axis));
}
void EventPrinter::cellsChanged() {
    fEvents.push_back("cells changed");
}
void EventPrinter::selectedChanged() {
    fEvents.push_back("selection changed");
}
void EventPrinter::transitionStarted() {
    fEvents.push_back("transition started");
}
void EventPrinter::transitionCompleted() {
    fEvents.push_back("transition completed");
}
void EventPrinter::transitionAborted() {
    fEvents.push_back("transition aborted");
}
void EventPrinter::viewpointChanged() {
    fEvents.push_back("viewpoint changed");
}
void EventPrinter::axisInfoChanged(ZELT_o::Dimension& dimension) {
    fEvents.push_back("axis information changed: " + nameOf(dimension));
}
void EventPrinter::axisTypeChanged(LONG axis, ZELT_o::Viewpoint::AxisType type) {
    fEvents.push_back("axis type changed: axis " + std::to_string(axis) + " is " +
                      axisTypeName(type));
}

}  // namespace pova_tool
