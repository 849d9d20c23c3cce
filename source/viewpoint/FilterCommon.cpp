// A filter's fields, its validity check and its XML.
#include <basekit/BaseError.h>
#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>
#include <pova/Cube.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/Viewpoint.h>
#include <pova/common/ExpressionBase.h>
#include <pova/common/FilterCommon.h>
#include <pova/support/InstanceCounter.h>

#include <algorithm>

#include "viewpoint/SpecificationXml.h"

namespace ZELT_o {
Filter::~Filter() = default;
}  // namespace ZELT_o

namespace common {

namespace {

support::InstanceCounter sInstances;

using spec_xml::attribute;

std::vector<XmlNode> child_elements(XmlNode node) {
    std::vector<XmlNode> elements;
    for (XmlNode const& child : node.childNodes()) {
        if (child.isElement()) {
            elements.push_back(child);
        }
    }
    return elements;
}

ZELT_o::Hierarchy* find_hierarchy(ZELT_o::Cube* cube, PovaString const& uniqueName) {
    if (cube == nullptr) {
        return nullptr;
    }
    std::vector<ZELT_o::Dimension*> dimensions;
    cube->getDimensions(dimensions);
    std::vector<ZELT_o::Hierarchy*> hierarchies;
    for (ZELT_o::Dimension const* dimension : dimensions) {
        dimension->getHierarchies(hierarchies);
        for (ZELT_o::Hierarchy* hierarchy : hierarchies) {
            if (hierarchy->getUniqueName() == uniqueName) {
                return hierarchy;
            }
        }
    }
    return nullptr;
}

}  // namespace

FilterCommon::FilterCommon() : ZELT_o::Filter("FilterCommon", sInstances.next()) {}

FilterCommon::~FilterCommon() {
    clearExpressions();
}

void FilterCommon::addExpression(ZELT_o::Expression* expression) {
    if (expression == nullptr) {
        throwResult(E_INVALIDARG);
    }
    fExpressionPointers.reserve(fExpressionPointers.size() + 1);
    fExpressions.push_back(support::retain(expression));
    fExpressionPointers.push_back(expression);
    expression->SetParent(this);
}

void FilterCommon::clearExpressions() {
    // An expression someone else still holds must not name a filter that may be gone.
    for (ZELT_o::Expression* expression : fExpressionPointers) {
        if (expression->GetParent() == this) {
            expression->SetParent(nullptr);
        }
    }
    fExpressionPointers.clear();
    fExpressions.clear();
}

void FilterCommon::setExpressionText(PovaString const& text, ZELT_o::Cube* cube) {
    auto expression = support::adopt<ZELT_o::Expression>(new ExpressionBase(nullptr));
    expression->setTextAndCreateTree(text, cube, true);
    clearExpressions();
    addExpression(expression.get());
}

bool FilterCommon::validate(ZELT_o::Viewpoint* viewpoint) const {
    bool const listsKnown =
        std::none_of(fDimVec.begin(), fDimVec.end(), [](auto* d) { return d == nullptr; }) &&
        std::none_of(fHierVec.begin(), fHierVec.end(), [](auto* h) { return h == nullptr; });
    if (!listsKnown) {
        return false;
    }
    if (isTupleFilter()) {
        return viewpoint != nullptr && tuples_fit(*viewpoint);
    }
    if (fNameVec.size() > fDimVec.size()) {
        return false;
    }
    for (std::size_t i = 0; i < fNameVec.size(); ++i) {
        if (!fDimVec[i]->acceptsName(fNameVec[i])) {
            return false;
        }
    }
    return true;
}

// The dimensions stand next to each other, in order, on the axis, and each tuple names one
// member of each of them.
bool FilterCommon::tuples_fit(ZELT_o::Viewpoint& viewpoint) const {
    LONG const axes = viewpoint.countAxes() + viewpoint.countPagedAxes();
    if (fDimVec.empty() || fAxis < 0 || fAxis >= axes || fNameVec.size() % fDimVec.size() != 0) {
        return false;
    }
    std::vector<ZELT_o::Dimension*> const& onAxis = viewpoint.getAxisDimensions(fAxis);
    if (std::search(onAxis.begin(), onAxis.end(), fDimVec.begin(), fDimVec.end()) == onAxis.end()) {
        return false;
    }
    for (std::size_t i = 0; i < fNameVec.size(); ++i) {
        if (!fDimVec[i % fDimVec.size()]->acceptsName(fNameVec[i])) {
            return false;
        }
    }
    return true;
}

void FilterCommon::save(XmlSupport& xml, LONG const& index, XmlNode element) const {
    XmlSupport::write_to(element, "Index", index);
    XmlSupport::write_to(element, "ExclType", fExpressionType);
    XmlSupport::write_to(element, "ExcludeName", fName);
    if (fAxis >= 0) {
        XmlSupport::write_to(element, "AxisIndex", fAxis);
    }
    spec_xml::writeNames(element, fNameVec);
    spec_xml::writeParts(element, "DimVec", "Dimension", fDimVec, true);
    spec_xml::writeParts(element, "HierVec", "Hierarchy", fHierVec, true);
    if (!fExpressions.empty()) {
        XmlNode const expressions = spec_xml::addVector(element, "ExpressionVector");
        for (std::size_t i = 0; i < fExpressions.size(); ++i) {
            LONG const position = static_cast<LONG>(i);
            fExpressions[i]->save(xml, position, XmlSupport::addAChild(expressions, "Expression"));
        }
    }
}

void FilterCommon::load(NodeListIterator& iterator, ZELT_o::Cube* cube) {
    XmlNode const element = iterator.iter();
    if (!element) {
        throwResult(E_UNEXPECTED);
    }
    // Read apart, then taken over: a failure leaves the filter as it was. "Index" is the id the
    // filter had in the viewpoint that saved it; the loading viewpoint gives it a new one.
    LONG type = kExpressionFilter;
    LONG axis = -1;
    PovaString name;
    iterator.read("ExclType", type);
    iterator.read("AxisIndex", axis);
    iterator.read("ExcludeName", name);
    std::vector<PovaString> names;
    std::vector<ZELT_o::Dimension*> dimensions;
    std::vector<ZELT_o::Hierarchy*> hierarchies;
    std::vector<support::Ref<ZELT_o::Expression>> expressions;
    for (XmlNode const& vector : child_elements(element)) {
        if (vector.name() != "Vector") {
            continue;
        }
        PovaString const kind = attribute(vector, "UniqueName");
        for (XmlNode const& entry : child_elements(vector)) {
            if (kind == "NameVec") {
                names.push_back(attribute(entry, "SpecName"));
            } else if (kind == "DimVec") {
                dimensions.push_back(cube != nullptr
                                         ? cube->findDimension(attribute(entry, "UniqueName"))
                                         : nullptr);
            } else if (kind == "HierVec") {
                hierarchies.push_back(find_hierarchy(cube, attribute(entry, "UniqueName")));
            } else if (kind == "ExpressionVector") {
                auto expression = support::adopt<ZELT_o::Expression>(new ExpressionBase(nullptr));
                NodeListIterator at({entry});
                expression->load(at, cube);
                expressions.push_back(std::move(expression));
            }
        }
    }
    clearExpressions();
    fExpressionType = type;
    fAxis = axis;
    fName = name;
    fNameVec = std::move(names);
    fDimVec = std::move(dimensions);
    fHierVec = std::move(hierarchies);
    for (auto const& expression : expressions) {
        addExpression(expression.get());
    }
}

}  // namespace common
