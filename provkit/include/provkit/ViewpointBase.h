/// @class common::ViewpointBase
/// The provider's companion of a viewpoint, its "derived viewpoint". The
/// viewpoint creates it through the provider's library when it connects to a cube, owns it, and
/// destroys it whenever its cube or base changes. It does the provider-specific work: running
/// queries, preparing them, and checking and converting expressions.
///
/// Used from the thread that uses its viewpoint.
#pragma once

#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>
#include <basekit/XmlNode.h>
#include <pova/Types.h>
#include <provkit/provkit_export.h>

#include <vector>

namespace ZELT_o {
class Dimension;
class Hierarchy;
class ViewResultSet;
}  // namespace ZELT_o

namespace common {

class ViewpointCommon;

class PROVKIT_API ViewpointBase {
public:
    virtual ~ViewpointBase();
    ViewpointBase(ViewpointBase const&) = delete;
    ViewpointBase& operator=(ViewpointBase const&) = delete;

    /// The result set of the viewpoint's current layout for the property list, with one
    /// reference for the caller, or null.
    virtual ZELT_o::ViewResultSet* query(
        std::vector<ZELT_o::PropertySpecification>* properties) = 0;

    /// Told of every change that makes the viewpoint dirty: forget prepared state.
    virtual void viewpointChanged() {}
    /// True when the current layout cannot be served.
    virtual bool isInError() const { return false; }
    /// The text of the query the provider would run for the property list.
    virtual PovaString retrieveLastQuery(
        std::vector<ZELT_o::PropertySpecification>* /*properties*/) {
        return PovaString();
    }
    /// Initialises the viewpoint from an expression; the answer says whether the layout now
    /// comes from the expression.
    virtual bool initialiseFromExpression(PovaString& /*expression*/) { return false; }
    ///@{
    /// Check (and may rewrite) an expression the server is to evaluate, or a calculation's formula;
    /// true when it is acceptable.
    virtual bool validateServerExpression(PovaString& /*expression*/) { return true; }
    virtual bool validateCalculationExpression(PovaString const& /*expression*/) { return true; }
    ///@}
    /// Whether the provider supports commands of a kind.
    virtual bool isCommandSupported(LONG /*commandType*/) const { return true; }
    /// Answers a capability question; false when the capability is unknown.
    virtual bool supports(LONG /*capability*/, VARIANT* /*value*/) { return false; }
    /// Writes the provider's own description of the viewpoint into `element`.
    virtual void saveExplicitXml(XmlNode /*element*/) {}
    /// A parameter the viewpoint depends on changed.
    virtual void parameterChanged() {}
    /// The hierarchies of a dimension that the viewpoint may use (borrowed).
    virtual void getHierarchies(ZELT_o::Dimension& dimension,
                                std::vector<ZELT_o::Hierarchy*>& hierarchies);

    /// The viewpoint this object serves.
    ViewpointCommon& viewpoint() const { return fViewpoint; }

protected:
    /// Serves `viewpoint`, which owns this object.
    explicit ViewpointBase(ViewpointCommon& viewpoint) : fViewpoint(viewpoint) {}

private:
    ViewpointCommon& fViewpoint;
};

}  // namespace common
