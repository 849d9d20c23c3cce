// Saving a viewpoint as one "Viewpoint" element and initialising it from one.
//
// A viewpoint that is not connected keeps the XML it loads; it is built from it when it
// connects, because dimensions, hierarchies and members are found by unique name in the cube.
// Names that no longer resolve are dropped one by one, so that a saved view still opens after
// a member was renamed.
#include "ViewpointEvents.h"
#include "foundation/TraceLog.h"
#include "viewpoint/DimensionMoveOp.h"
#include "viewpoint/Orientation.h"

#include <basekit/AssertionFailure.h>
#include <basekit/BaseError.h>
#include <basekit/NodeListIterator.h>
#include <basekit/RegistryWrapper.h>
#include <basekit/StringConverters.h>
#include <pova/Cube.h>
#include <pova/Dimension.h>
#include <pova/Hierarchy.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/common/ViewpointCommon.h>

#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>

namespace common {

namespace {

// The version this library writes; a document says which version wrote it.
constexpr float kPersistenceVersion = 12.0f;
constexpr ZELT_o::MessageCode kNoDerivedViewpoint = 0xC2011215u;

char const* axis_type_text(ZELT_o::Viewpoint::AxisType type) {
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
    return nullptr;
}

// The "Viewpoint" element at or below `node`, or null.
XmlNode find_viewpoint_element(XmlNode node) {
    if (node.isElement("Viewpoint")) {
        return node;
    }
    XmlNodeList const found = node.descendants("Viewpoint");
    return found.empty() ? XmlNode() : found.front();
}

bool read_link_mode(NodeListIterator const& attributes, char const* name, ZELT_o::LinkMode& mode) {
    LONG value = 0;
    if (!attributes.read(name, value) || value < ZELT_o::kLinkOwn || value > ZELT_o::kLinkBase) {
        return false;
    }
    mode = static_cast<ZELT_o::LinkMode>(value);
    return true;
}

void read_guid(NodeListIterator const& attributes, char const* name, GUID& guid) {
    PovaString text;
    GUID read{};
    if (attributes.read(name, text) && StringConverters::convertStringToGUID(text, read)) {
        guid = read;
    }
}

// The hierarchy of `dimension` that a saved property names, else its default hierarchy.
ZELT_o::Hierarchy* saved_hierarchy(XmlNode element, ZELT_o::Dimension const& dimension) {
    ZELT_o::Hierarchy* const fallback = dimension.getDefaultHierarchy();
    PovaString name;
    if (!element.getAttribute("Hierarchy", name) ||
        (fallback != nullptr && fallback->getUniqueName() == name)) {
        return fallback;
    }
    std::vector<ZELT_o::Hierarchy*> hierarchies;
    dimension.getHierarchies(hierarchies);
    for (ZELT_o::Hierarchy* hierarchy : hierarchies) {
        if (hierarchy != nullptr && hierarchy->getUniqueName() == name) {
            return hierarchy;
        }
    }
    return fallback;
}

// The reserved name a saved property's "Type" gives, or null for a type the viewpoint does not
// read; compared as stored, so that no name is converted.
char const* saved_type(XmlNode element) {
    char const* type = element.attributeUtf8("Type");
    if (type == nullptr) {
        return nullptr;
    }
    for (char const* reserved : {ZELT_o::Viewpoint::FIELDLIST, ZELT_o::Viewpoint::SELECTEDFIELDS,
                                 ZELT_o::Viewpoint::SECTIONFIELD, ZELT_o::Viewpoint::AXISINFO}) {
        if (std::strcmp(type, reserved) == 0) {
            return reserved;
        }
    }
    return nullptr;
}

// A provider's rebuild that fails in any way counts as one that could not be made.
template <class Load>
auto rebuilt(Load load) -> decltype(load()) {
    try {
        return load();
    } catch (std::exception const&) {
        return nullptr;
    }
}

}  // namespace

// What an initialisation from XML may change, listed once: a failed load of a connected
// viewpoint puts all of it back.
// clang-format off
#define POVA_LOADED_FIELDS(X) \
    X(fSides) \
    X(fSideConstraints) \
    X(fAxisTypes) \
    X(fExcludeNulls) \
    X(fNumViewAxes) \
    X(fNumPagedAxes) \
    X(fNewDimensionAxis) \
    X(fCopyParentOrientation) \
    X(fDimensionLinkModes) \
    X(fActiveHierarchies) \
    X(fDimsAwaitingDefault) \
    X(fUniqueName) \
    X(fGUID) \
    X(fDocumentGUID) \
    X(fID) \
    X(fSortLinkMode) \
    X(fFilterLinkMode) \
    X(fFormatLinkMode) \
    X(fPersistenceVersion) \
    X(fExpression) \
    X(fInitFromExpression) \
    X(fChangedSinceLastPersist) \
    X(fPersistenceRoot)
// clang-format on

struct ViewpointCommon::Snapshot {
#define POVA_SNAPSHOT_FIELD(field) decltype(ViewpointCommon::field) field;
    POVA_LOADED_FIELDS(POVA_SNAPSHOT_FIELD)
#undef POVA_SNAPSHOT_FIELD
    // Moved out, not copied: the load builds its own, and a failed one gets these back.
    std::vector<std::unique_ptr<DimensionProperties>> properties;
    decltype(ViewpointCommon::fSorts) sorts;
    decltype(ViewpointCommon::fFilters) filters;
    decltype(ViewpointCommon::fTupleFilters) tupleFilters;
    XmlSupport document;
};

// --- saving

void ViewpointCommon::save(std::ostream& stream, bool clearDirty) {
    auto self = keep_alive();
    XmlSupport xml;
    xml.createDocument();
    xml.addVersion();
    save_common(xml);
    if (!xml.save_all(stream)) {
        fTrace->write(__LINE__, "ViewpointCommon::save",
                      "ViewpointCommon: Failed to write xml to stream");
        throwResult(E_FAIL);
    }
    if (clearDirty) {
        fChangedSinceLastPersist = false;
    }
}

XmlNode ViewpointCommon::saveXML(XmlNode document, bool clearDirty) {
    auto self = keep_alive();
    if (!document) {
        throwResult(E_INVALIDARG);
    }
    XmlSupport xml(document);
    XmlNode element = save_common(xml);
    if (clearDirty) {
        fChangedSinceLastPersist = false;
    }
    return element;
}

void ViewpointCommon::saveXmlToElement(XmlNode element, bool clearDirty) {
    auto self = keep_alive();
    if (!element.isElement()) {
        throwResult(E_INVALIDARG);
    }
    if (!isConnected() && !fPersistenceDocument.loaded()) {
        throwResult(E_UNEXPECTED);
    }
    save_to_element_common(element);
    if (clearDirty) {
        fChangedSinceLastPersist = false;
    }
}

void ViewpointCommon::saveExplicitXmlToElement(XmlNode element) {
    if (!fDerivedViewpoint) {
        throw_error(kNoDerivedViewpoint);
    }
    fDerivedViewpoint->saveExplicitXml(element);
}

XmlNode ViewpointCommon::save_common(XmlSupport& xml) {
    if (!isConnected() && !fPersistenceDocument.loaded()) {
        throwResult(E_UNEXPECTED);
    }
    XmlNode element = xml.createElement("Viewpoint");
    XmlSupport::write_to(element, "ViewpointUniqueName", fUniqueName);
    save_to_element_common(element);
    return element;
}

void ViewpointCommon::save_to_element_common(XmlNode element) {
    XmlSupport::write_to(element, "Version", kPersistenceVersion);
    if (fInitFromExpression) {
        XmlSupport::write_to(element, "VPExpression", fExpression);
    }
    if (!isConnected()) {
        // Not built yet: what was loaded goes back out as it came in.
        if (fPersistenceRoot) {
            for (auto const& [name, value] : fPersistenceRoot.attributes()) {
                element.setAttribute(name, value);
            }
            for (XmlNode const& child : fPersistenceRoot.childNodes()) {
                element.appendCopy(child);
            }
        }
        return;
    }
    if (fSides.size() == 1 && fProperties.size() == 1) {
        return;
    }
    XmlSupport::write_to(element, "ViewpointUniqueName", fUniqueName);
    XmlSupport::write_to(element, "SortLinkMode", static_cast<LONG>(fSortLinkMode));
    XmlSupport::write_to(element, "ExcludeLinkMode", static_cast<LONG>(fFilterLinkMode));
    XmlSupport::write_to(element, "FormatLinkMode", static_cast<LONG>(fFormatLinkMode));
    XmlSupport::write_to(element, "Guid", StringConverters::convertGUIDToString(fGUID));
    XmlSupport::write_to(element, "DocumentGUID",
                         StringConverters::convertGUIDToString(fDocumentGUID));
    XmlSupport xml(element);
    save_sides(element);
    save_dimension_properties(xml, element);
    XmlSupport::write_to(XmlSupport::addAChild(element, "VPID"), "Val", fID);
    save_specifications(xml, element);
}

void ViewpointCommon::save_sides(XmlNode element) {
    ViewpointCommon const& owner = *layout_owner();
    XmlNode node = XmlSupport::addAChild(element, "SidesNode");
    XmlSupport::write_to(node, "ViewAxes", owner.fNumViewAxes);
    XmlSupport::write_to(node, "PagedAxes", owner.fNumPagedAxes);
    XmlSupport::write_to(node, "NewDimensionAxis", getNewDimensionAxis());
    XmlSupport::write_to(node, "CopyOrientation", fCopyParentOrientation ? "true" : "false");
    LONG const count = cube_dimension_count();
    for (std::size_t axis = 0; axis < owner.fSides.size(); ++axis) {
        XmlNode side = XmlSupport::addAChild(node, "Side");
        for (ZELT_o::Dimension const* dimension : owner.fSides[axis]) {
            XmlSupport::write_to(XmlSupport::addAChild(side, "Dimension"), "UniqueName",
                                 dimension->getUniqueName());
        }
        if (axis < owner.fSideConstraints.size() && owner.fSideConstraints[axis].second != count) {
            XmlSupport::write_to(side, "MaxDimensions", owner.fSideConstraints[axis].second);
        }
        bool const filterNulls = axis < owner.fExcludeNulls.size() && owner.fExcludeNulls[axis];
        XmlSupport::write_to(side, "FilterNulls", filterNulls ? "true" : "false");
        char const* type =
            axis < owner.fAxisTypes.size() ? axis_type_text(owner.fAxisTypes[axis]) : nullptr;
        if (type == nullptr) {
            AssertionFailure("!\"Attempting to save an axis with an unknown type\"", __FILE__,
                             __LINE__);
        } else {
            XmlSupport::write_to(side, "AxisType", type);
        }
    }
}

// Only dimensions that keep their own state are written: a linked dimension's state is its
// base viewpoint's, which saves it.
void ViewpointCommon::save_dimension_properties(XmlSupport& xml, XmlNode element) {
    XmlNode node = XmlSupport::addAChild(element, "DimensionPropertiesNode");
    std::vector<ZELT_o::Dimension*> const dimensions = cube_dimensions();
    for (std::size_t i = 0; i < dimensions.size(); ++i) {
        ZELT_o::Dimension& dimension = *dimensions[i];
        if (getDimensionLinkMode(&dimension) != ZELT_o::kLinkOwn) {
            continue;
        }
        XmlNode entry = XmlSupport::addAChild(node, "DimensionProperties");
        XmlSupport::write_to(entry, "Dimension", dimension.getUniqueName());
        XmlSupport::write_to(entry, "DimOrdinal", static_cast<LONG>(i));
        auto property = [&](char const* type) {
            XmlNode child = XmlSupport::addAChild(entry, "DimensionProperty");
            XmlSupport::write_to(child, "Type", type);
            return child;
        };
        getCurrentSet(dimension)->save(xml, property(FIELDLIST));
        getCurrentSelection(dimension)->save(xml, property(SELECTEDFIELDS));
        XmlNode section = property(SECTIONFIELD);
        if (ZELT_o::Member* member = getCurrentSection(dimension)) {
            member->save(xml, section);
        }
        PovaString const axisInfo = getAxisInfo(dimension);
        if (!axisInfo.empty()) {
            XmlSupport::write_to(property(AXISINFO), AXISINFO, axisInfo);
        }
        // "ParameterFieldLink", "ParameterSelectionLink" and "ParameterSectionLink" are
        // written here by the dimension's parameter links, once dimensions can be bound.
    }
}

void ViewpointCommon::save_specifications(XmlSupport& xml, XmlNode element) {
    save_sorts(xml, element);
    // "SubTotalSpecifications" is written here by the viewpoint's subtotals, once it holds
    // them.
    save_filters(xml, element);
    auto cube = support::adopt(getCube());
    if (cube && cube->hasCalculations()) {
        XmlNode node = XmlSupport::addAChild(element, "CalcMemSpecsNode");
        XmlSupport::write_to(node, "VpLevel", "VpCurrent");
        cube->saveCalculations(xml, node);
    }
    // "AttrSpecsNode" is written here by the formats, once the viewpoint holds them.
    save_tuple_filters(xml, element);
}

// --- loading

void ViewpointCommon::load(std::istream& stream) {
    auto self = keep_alive();
    XmlSupport document;
    if (!document.readXml(stream)) {
        fTrace->write(__LINE__, "ViewpointCommon::load",
                      "ViewpointCommon::load - Failed to read xml from stream");
        throwResult(E_FAIL);
    }
    XmlNode root = find_viewpoint_element(document.documentElement());
    if (!root) {
        fTrace->write(__LINE__, "ViewpointCommon::load",
                      "ViewpointCommon::load - Failed to find <Viewpoint> node in xml");
        throwResult(E_FAIL);
    }
    take_loaded_xml(std::move(document), root);
}

void ViewpointCommon::loadXML(XmlNode node) {
    auto self = keep_alive();
    if (!node) {
        throwResult(E_INVALIDARG);
    }
    XmlSupport document;
    XmlNode root;
    if (document.initializeFromNode(node)) {
        root = find_viewpoint_element(document.documentElement());
    }
    if (!root) {
        fTrace->write(__LINE__, "ViewpointCommon::loadXML",
                      "ViewpointCommon::load - Failed to find <Viewpoint> node in xml");
        throwResult(E_FAIL);
    }
    take_loaded_xml(std::move(document), root);
}

void ViewpointCommon::take_loaded_xml(XmlSupport document, XmlNode root) {
    document.setLoaded(true);
    if (!isConnected()) {
        fPersistenceDocument = std::move(document);
        fPersistenceRoot = root;
        dirty_viewpoint();
        fChangedSinceLastPersist = false;
        return;
    }
    Snapshot before;
#define POVA_TAKE_FIELD(field) before.field = field;
    POVA_LOADED_FIELDS(POVA_TAKE_FIELD)
#undef POVA_TAKE_FIELD
    listen_to_properties(false);
    before.properties = std::move(fProperties);
    fProperties.clear();
    before.sorts = std::exchange(fSorts, {});
    before.filters = std::exchange(fFilters, {});
    before.tupleFilters = std::exchange(fTupleFilters, {});
    before.document = std::move(fPersistenceDocument);
    fPersistenceDocument = std::move(document);
    fPersistenceRoot = root;
    try {
        dirty_viewpoint();
        initialize_all_from_xml();
        relayout_children();
    } catch (...) {
        clear_property_lists();
        fProperties = std::move(before.properties);
        listen_to_properties(true);
#define POVA_PUT_FIELD(field) field = std::move(before.field);
        POVA_LOADED_FIELDS(POVA_PUT_FIELD)
#undef POVA_PUT_FIELD
        fSorts = std::move(before.sorts);
        fFilters = std::move(before.filters);
        fTupleFilters = std::move(before.tupleFilters);
        fPersistenceDocument = std::move(before.document);
        auto const axes = static_cast<std::size_t>(fNumViewAxes + fNumPagedAxes);
        if (fAxisQueryFields.size() != axes) {
            initializeQueryFields();
            relayout_children();
        }
        dirty_viewpoint();
        throw;
    }
    // The undo histories describe a layout and selections that are gone.
    fDimensionMoveUndoStack.clear();
    fMoveUndo = false;
    fSwapUndo = false;
    fActiveSetUndoStack.clear();
    queue_every_axis_changed();
    queueEvent(CellChangeEvent());
    queueEvent(ViewpointChangeEvent());
    sendEvents();
}

void ViewpointCommon::relayout_children() {
    for (auto const& child : children_snapshot()) {
        if (child->forwards_layout()) {
            child->copy_layout_from(*this);
            child->fNewDimensionAxis = fNewDimensionAxis;
            child->dirty_viewpoint();
            child->queue_every_axis_changed();
            child->queueEvent(CellChangeEvent());
            child->queueEvent(ViewpointChangeEvent());
        }
        // The children's query fields name this viewpoint's, which were made again.
        child->initializeQueryFields();
        child->relayout_children();
    }
}

void ViewpointCommon::initialize_all_from_xml() {
    XmlNode const root = fPersistenceRoot;
    try {
        NodeListIterator const attributes({root});
        PovaString name;
        if (attributes.read("ViewpointUniqueName", name)) {
            fUniqueName = name;
        } else if (XmlNodeList const ids = root.descendants("VPID");
                   !ids.empty() && ids.front().getAttribute("Val", name)) {
            fUniqueName = name;
        }
        float version = 0;
        if (attributes.read("Version", version)) {
            fPersistenceVersion = version;
        } else {
            AssertionFailure("!\"Failed to read persistence version\"", __FILE__, __LINE__);
        }
        dump_loaded_xml();
        ZELT_o::LinkMode sortMode = ZELT_o::kLinkOwn;
        ZELT_o::LinkMode filterMode = ZELT_o::kLinkOwn;
        ZELT_o::LinkMode formatMode = ZELT_o::kLinkOwn;
        if (!read_link_mode(attributes, "SortLinkMode", sortMode) ||
            !read_link_mode(attributes, "ExcludeLinkMode", filterMode) ||
            !read_link_mode(attributes, "FormatLinkMode", formatMode)) {
            throwResult(E_FAIL);
        }
        fSortLinkMode = sortMode;
        fFilterLinkMode = filterMode;
        fFormatLinkMode = formatMode;
        read_guid(attributes, "Guid", fGUID);
        read_guid(attributes, "DocumentGUID", fDocumentGUID);

        init_sides_from_xml(root);
        create_property_lists();
        init_calculated_members_from_xml(root);
        init_properties_from_xml(root);
        initializeQueryFields();
        init_misc_from_xml(root);
        init_specifications_from_xml(root);

        PovaString expression;
        if (attributes.read("VPExpression", expression) && !expression.empty()) {
            try {
                initialiseFromExpression(expression);
            } catch (std::exception const&) {
                AssertionFailure("! \"ViewpointCommon::initialize_all_from_xml\"", __FILE__,
                                 __LINE__);
            }
        }
        fChangedSinceLastPersist = false;
    } catch (...) {
        fTrace->write(__LINE__, "ViewpointCommon::initialize_all_from_xml",
                      "VPCommon: failed to initialise from xml");
        throw;
    }
}

// A registry switch has every viewpoint built from XML write that XML to a file first, so
// that a view that builds wrongly can be looked at as it came in.
void ViewpointCommon::dump_loaded_xml() {
    static PovaString const key("Software\\Zorvik\\Varnel 12.0\\Halden\\ZELT(o)\\Pova");
    DWORD write = 0;
    if (!RegistryWrapper::readRegKeyValue(RegistryWrapper::kLocalMachine, key, "WriteViewpoint",
                                          write) ||
        write == 0) {
        return;
    }
    PovaString location;
    RegistryWrapper::readRegKeyValue(RegistryWrapper::kLocalMachine, key, "ViewpointLocation",
                                     location);
    PovaString const file = PovaString::build("%s%s-0x08%x.xml", location.string().c_str(),
                                              fUniqueName.string().c_str(), traceAddress());
    std::ofstream out(file.string(), std::ios::binary);
    fPersistenceDocument.save_all(out);
}

void ViewpointCommon::init_sides_from_xml(XmlNode root) {
    XmlNode const sides = root.findChild("SidesNode");
    PovaString copy;
    if (sides) {
        NodeListIterator({sides}).read("CopyOrientation", copy);
    }
    if (copy == "true" && fBaseViewpoint) {
        fCopyParentOrientation = true;
        copy_layout_from(*fBaseViewpoint);
        fNewDimensionAxis = fBaseViewpoint->fNewDimensionAxis;
    } else {
        Orientation orientation;
        fCopyParentOrientation = false;
        if (sides && read_orientation(sides, fPersistenceVersion, orientation)) {
            take_orientation(std::move(orientation));
        } else {
            fTrace->write(__LINE__, "ViewpointCommon::init_sides_from_xml",
                          "ViewpointCommon(%03d) %x Failed to read sides from xml, using the "
                          "default layout",
                          getInstance(), traceAddress());
            defaultOrder();
        }
    }
    // Dimensions keep their own state unless their base holds it; the saved properties say
    // which dimensions kept theirs.
    auto const count = static_cast<std::size_t>(cube_dimension_count());
    fDimensionLinkModes.assign(count, fBaseViewpoint ? ZELT_o::kLinkBase : ZELT_o::kLinkOwn);
    fActiveHierarchies.assign(count, nullptr);
    fDimsAwaitingDefault.clear();
}

// Calculated members are read back here by replaying one command per saved calculation, once
// calculated-member commands exist; the cube keeps its calculations meanwhile.
void ViewpointCommon::init_calculated_members_from_xml(XmlNode /*root*/) {}

void ViewpointCommon::init_properties_from_xml(XmlNode root) {
    XmlNode const node = root.findChild("DimensionPropertiesNode");
    auto const cube = support::adopt(getCube());
    if (!node || !cube) {
        return;
    }
    for (XmlNode entry = node.firstChild(); entry; entry = entry.nextSibling()) {
        if (!entry.isElement("DimensionProperties")) {
            continue;
        }
        PovaString uniqueName;
        entry.getAttribute("Dimension", uniqueName);
        ZELT_o::Dimension* dimension = cube->findDimension(uniqueName);
        if (dimension == nullptr) {
            fTrace->write(__LINE__, "ViewpointCommon::init_properties_from_xml",
                          "ViewpointCommon(%03d) %x Failed to find dimension %s", getInstance(),
                          traceAddress(), uniqueName.string().c_str());
            continue;
        }
        LONG const index = getDimIndex(dimension);
        fDimensionLinkModes[static_cast<std::size_t>(index)] = ZELT_o::kLinkOwn;
        for (XmlNode property = entry.firstChild(); property; property = property.nextSibling()) {
            if (property.isElement("DimensionProperty")) {
                read_property(property, *dimension, index);
            }
        }
    }
}

void ViewpointCommon::read_property(XmlNode element, ZELT_o::Dimension& dimension, LONG index) {
    char const* const type = saved_type(element);
    if (type == nullptr) {
        // "ParameterFieldLink", "ParameterSectionLink" and "ParameterSelectionLink" are read
        // here by the dimension's parameter links, once dimensions can be bound.
        return;
    }
    bool const section = type == SECTIONFIELD;
    if (section || type == FIELDLIST || type == SELECTEDFIELDS) {
        ZELT_o::Hierarchy* hierarchy = saved_hierarchy(element, dimension);
        if (hierarchy == nullptr) {
            AssertionFailure("hierarchy", __FILE__, __LINE__);
            return;
        }
        if (section) {
            ZELT_o::Member* member = rebuilt([&] { return hierarchy->loadMember(element); });
            if (member == nullptr) {
                fTrace->write(__LINE__, "ViewpointCommon::read_property",
                              "ViewpointCommon(%03d) %x Failed to load section field property on "
                              "dimension %s",
                              getInstance(), traceAddress(),
                              dimension.getUniqueName().string().c_str());
                return;
            }
            store_dimension_property(index, Property(type, member), false, false);
            return;
        }
        auto set = support::adopt(rebuilt([&] { return hierarchy->loadMemberSet(element); }));
        if (!set) {
            fTrace->write(
                __LINE__, "ViewpointCommon::read_property",
                "ViewpointCommon(%03d) %x Failed to load member set property on dimension %s",
                getInstance(), traceAddress(), dimension.getUniqueName().string().c_str());
            return;
        }
        if (type == FIELDLIST) {
            fActiveHierarchies[static_cast<std::size_t>(index)] = hierarchy;
        }
        store_dimension_property(index, Property(type, set.get()), false, false);
    } else if (type == AXISINFO) {
        PovaString text;
        if (element.getAttribute(AXISINFO, text)) {
            // Quietly: the events of the whole initialisation are sent together.
            basekit::Variant value(text.c_str());
            fProperties[index]->set(Property(AXISINFO, *value));
        }
    }
}

void ViewpointCommon::init_misc_from_xml(XmlNode root) {
    LONG id = 0;
    if (XmlNode const vpid = root.findChild("VPID");
        vpid && NodeListIterator({vpid}).read("Val", id)) {
        fID = id;
    }
}

// Each section is read back by replaying one command per saved entry, dropping the entries
// that no longer fit the cube.
void ViewpointCommon::init_specifications_from_xml(XmlNode root) {
    init_filters_from_xml(root);
    init_sorts_from_xml(root);
    // Subtotals ("SubTotalSpecifications") and formats ("AttrSpecsNode") are read here, in that
    // order, once the viewpoint holds them.
    init_tuple_filters_from_xml(root);
}

std::exception_ptr ViewpointCommon::take_connect_error() {
    std::exception_ptr error = std::exchange(fConnectError, nullptr);
    for (ViewpointCommon* child : fChildren) {
        std::exception_ptr const childError = child->take_connect_error();
        if (!error) {
            error = childError;
        }
    }
    return error;
}

}  // namespace common
