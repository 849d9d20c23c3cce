#include "support/RecordingListener.h"

#include <pova/Dimension.h>

namespace testing_support {

namespace {
std::string nameOf(ZELT_o::Dimension& dimension) {
    return dimension.getName().string();
}
}  // namespace

void RecordingListener::record(std::string call) {
    fCalls.push_back(call);
    if (onCall) {
        onCall(call);
    }
}

void RecordingListener::connected() {
    record("connected()");
}
void RecordingListener::disconnected(bool flag) {
    record(std::string("disconnected(") + (flag ? "true" : "false") + ")");
}
void RecordingListener::dimensionMoved(ZELT_o::Dimension& dimension,
                                       ZELT_o::DimensionPosition& from) {
    record("dimensionMoved(" + nameOf(dimension) + ", " + std::to_string(from.axis) + ", " +
           std::to_string(from.position) + ")");
}
void RecordingListener::dimensionSwapped(ZELT_o::Dimension& first, ZELT_o::Dimension& second) {
    record("dimensionSwapped(" + nameOf(first) + ", " + nameOf(second) + ")");
}
void RecordingListener::dimensionChanged(DimensionChange change, ZELT_o::Dimension& dimension) {
    record("dimensionChanged(" + std::to_string(change) + ", " + nameOf(dimension) + ")");
}
void RecordingListener::axisChanged(LONG axis) {
    record("axisChanged(" + std::to_string(axis) + ")");
}
void RecordingListener::cellsChanged() {
    record("cellsChanged()");
}
void RecordingListener::selectedChanged() {
    record("selectedChanged()");
}
void RecordingListener::transitionStarted() {
    record("transitionStarted()");
}
void RecordingListener::transitionCompleted() {
    record("transitionCompleted()");
}
void RecordingListener::transitionAborted() {
    record("transitionAborted()");
}
void RecordingListener::viewpointChanged() {
    record("viewpointChanged()");
}
void RecordingListener::axisInfoChanged(ZELT_o::Dimension& dimension) {
    record("axisInfoChanged(" + nameOf(dimension) + ")");
}
void RecordingListener::axisTypeChanged(LONG axis, ZELT_o::Viewpoint::AxisType type) {
    record("axisTypeChanged(" + std::to_string(axis) + ", " + std::to_string(type) + ")");
}

}  // namespace testing_support
