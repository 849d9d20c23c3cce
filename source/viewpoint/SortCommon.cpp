// Sorts: the fit-the-cube check and the XML of one "SortSpecification" entry.
#include <basekit/BaseError.h>
#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>
#include <pova/Cube.h>
#include <pova/Dimension.h>
#include <pova/common/SortCommon.h>

#include "viewpoint/SpecificationXml.h"

namespace ZELT_o {
Sort::~Sort() = default;
}  // namespace ZELT_o

namespace common {

namespace {

using spec_xml::attribute;
using spec_xml::childElements;

}  // namespace

SortCommon::~SortCommon() = default;

std::unique_ptr<ZELT_o::Sort> SortCommon::clone() const {
    return std::make_unique<SortCommon>(*this);
}

bool SortCommon::fitsCube() const {
    for (std::size_t i = 0; i < fNameVec.size(); ++i) {
        if (i >= fDimVec.size() || fDimVec[i] == nullptr || !fDimVec[i]->acceptsName(fNameVec[i])) {
            return false;
        }
    }
    // A dimension the cube no longer has leaves a null entry: the sort no longer fits either.
    for (ZELT_o::Dimension const* dimension : fDimVec) {
        if (dimension == nullptr) {
            return false;
        }
    }
    return true;
}

void SortCommon::save(XmlSupport& /*xml*/, LONG const& index, XmlNode element) const {
    XmlSupport::write_to(element, "Index", index);
    XmlSupport::write_to(element, "SortName", fSortName);
    XmlSupport::write_to(element, "Direction", fDirection);
    XmlSupport::write_to(element, "IsReversing", fIsReversing);
    XmlSupport::write_to(element, "ChangeHier", fChangeHier);
    XmlSupport::write_to(element, "ParentIndex", fParentIndex);
    spec_xml::writeNames(element, fNameVec);
    spec_xml::writeParts(element, "DimVec", "Dimension", fDimVec, false);
}

void SortCommon::load(NodeListIterator& in, ZELT_o::Cube* cube) {
    XmlNode const element = in.iter();
    if (!element) {
        throw ResultError(E_UNEXPECTED);
    }
    in.read("Index", fIndex);
    in.read("SortName", fSortName);
    in.read("Direction", fDirection);
    in.read("IsReversing", fIsReversing);
    in.read("ChangeHier", fChangeHier);
    in.read("ParentIndex", fParentIndex);
    for (XmlNode const& vector : element.childNodes()) {
        if (!vector.isElement() || vector.name() != "Vector") {
            continue;
        }
        PovaString const kind = attribute(vector, "UniqueName");
        if (kind == "NameVec") {
            for (XmlNode const& name : childElements(vector)) {
                fNameVec.push_back(attribute(name, "SpecName"));
            }
        } else if (kind == "DimVec") {
            for (XmlNode const& entry : childElements(vector)) {
                PovaString const name = attribute(entry, "UniqueName");
                fDimVec.push_back(cube != nullptr ? cube->findDimension(name) : nullptr);
            }
        }
    }
}

}  // namespace common
