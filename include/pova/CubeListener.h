/// @class ZELT_o::CubeListener
/// What a client hears of its cube. Providers call these; every operation
/// has an empty default so that a client overrides only what it needs.
#pragma once

#include <basekit/PovaString.h>
#include <pova/Listener.h>
#include <pova/pova_export.h>

namespace ZELT_o {

class Cube;
class Dimension;
class Hierarchy;
class Level;
class Calculation;
class CubeEvent;

class POVA_API CubeListener : public Listener {
public:
    ~CubeListener() override;
    ///@{
    /// The cube opened or is closing; its data, labels or structure changed; a dimension was added
    /// or removed; a hierarchy, level, member label or calculation changed; the connection to its
    /// data was lost.
    virtual void cubeOpened(Cube* /*cube*/) {}
    virtual void cubeClosing(Cube* /*cube*/) {}
    virtual void dataChanged(Cube* /*cube*/) {}
    virtual void labelsChanged(Cube* /*cube*/) {}
    virtual void structureChanged(Cube* /*cube*/, CubeEvent* /*event*/) {}
    virtual void dimensionAdded(Dimension* /*dimension*/) {}
    virtual void dimensionRemoved(Dimension* /*dimension*/) {}
    virtual void hierarchyChanged(Hierarchy* /*hierarchy*/) {}
    virtual void levelChanged(Level* /*level*/) {}
    virtual void memberCaptionChanged(PovaString const& /*uniqueName*/) {}
    virtual void memberNameChanged(PovaString const& /*uniqueName*/) {}
    virtual void calculationAdded(Calculation* /*calculation*/) {}
    virtual void calculationRemoved(Calculation* /*calculation*/) {}
    virtual void calculationChanged(Calculation* /*before*/, Calculation* /*after*/) {}
    virtual void connectionLost(Cube* /*cube*/) {}
    ///@}
};

}  // namespace ZELT_o
