// RecordingListener: a ViewpointListener that records every call as a line of text, such as
// "axisChanged(1)" or "dimensionMoved(B, 0, 0)" (dimensions by name).
#pragma once

#include <pova/ViewpointListener.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

class RecordingListener : public ZELT_o::ViewpointListener {
public:
    std::vector<std::string> const& calls() const { return fCalls; }
    void clear() { fCalls.clear(); }
    // Runs on every call after it is recorded (for listeners that throw or call back).
    std::function<void(std::string const&)> onCall;

    void connected() override;
    void disconnected(bool flag) override;
    void dimensionMoved(ZELT_o::Dimension& dimension, ZELT_o::DimensionPosition& from) override;
    void dimensionSwapped(ZELT_o::Dimension& first, ZELT_o::Dimension& second) override;
    void dimensionChanged(DimensionChange change, ZELT_o::Dimension& dimension) override;
    void axisChanged(LONG axis) override;
    void cellsChanged() override;
    void selectedChanged() override;
    void transitionStarted() override;
    void transitionCompleted() override;
    void transitionAborted() override;
    void viewpointChanged() override;
    void axisInfoChanged(ZELT_o::Dimension& dimension) override;
    void axisTypeChanged(LONG axis, ZELT_o::Viewpoint::AxisType type) override;

private:
    void record(std::string call);
    std::vector<std::string> fCalls;
};

}  // namespace testing_support
