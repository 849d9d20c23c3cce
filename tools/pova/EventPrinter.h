// EventPrinter: a viewpoint listener that keeps the events of the last command as text.
#pragma once

#include <pova/ViewpointListener.h>

#include <string>
#include <vector>

namespace pova_tool {

class EventPrinter : public ZELT_o::ViewpointListener {
public:
    // The events since the last call, oldest first; the list is emptied.
    std::vector<std::string> take();

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
    std::vector<std::string> fEvents;
};

// "View", "Slice", "Hidden", "Excluded" or "none".
std::string axisTypeName(ZELT_o::Viewpoint::AxisType type);

}  // namespace pova_tool
