// Filters and tuple filters: the viewpoint's two tables, the operations the filter command
// calls, the validity of tuple filters against the layout, and the two XML sections.
#include <basekit/BaseError.h>
#include <basekit/NodeListIterator.h>
#include <basekit/XmlSupport.h>
#include <pova/Command.h>
#include <pova/Cube.h>
#include <pova/Dimension.h>
#include <pova/Expression.h>
#include <pova/common/FilterCommon.h>
#include <pova/common/ViewpointCommon.h>

#include <algorithm>
#include <utility>

#include "viewpoint/ViewpointEvents.h"
#include "viewpoint/ViewpointVisitors.h"

namespace common {

namespace {

constexpr ZELT_o::MessageCode kNotConnected = 0xC201120Du;
constexpr ZELT_o::MessageCode kNoBaseToLink = 0xC2011214u;
constexpr ZELT_o::MessageCode kLayoutRejected = 0xC201491Eu;
// The axis argument that addresses the filter table rather than a tuple-filter table.
constexpr LONG kFilterTable = -1;

bool refers_to_parameter(ZELT_o::Expression* root) {
    std::vector<ZELT_o::Expression*> pending{root};
    while (!pending.empty()) {
        ZELT_o::Expression* node = pending.back();
        pending.pop_back();
        if (node == nullptr) {
            continue;
        }
        if (node->getType() == ZELT_o::Expression::kParameterReference) {
            return true;
        }
        std::vector<ZELT_o::Expression*> const& children = node->getExpressions();
        pending.insert(pending.end(), children.begin(), children.end());
    }
    return false;
}

template <class Table, class Visit>
void for_each_filter(Table& filters, std::map<LONG, Table>& tupleFilters, Visit visit) {
    for (auto& [id, filter] : filters) {
        if (filter) {
            visit(*filter);
        }
    }
    for (auto& [axis, table] : tupleFilters) {
        for (auto& [id, filter] : table) {
            if (filter) {
                visit(*filter);
            }
        }
    }
}

}  // namespace

// --- tables

ViewpointCommon* ViewpointCommon::filter_owner() {
    ViewpointCommon* owner = this;
    while (owner->fBaseViewpoint && owner->fFilterLinkMode == ZELT_o::kLinkBase) {
        owner = owner->fBaseViewpoint.get();
    }
    return owner;
}

ViewpointCommon* ViewpointCommon::filter_reader() {
    ViewpointCommon* reader = this;
    while (reader->fBaseViewpoint && reader->fFilterLinkMode != ZELT_o::kLinkOwn) {
        reader = reader->fBaseViewpoint.get();
    }
    return reader;
}

ViewpointCommon::FilterTable* ViewpointCommon::filter_table(LONG axis) {
    if (axis == kFilterTable) {
        return &fFilters;
    }
    auto const it = fTupleFilters.find(axis);
    return it == fTupleFilters.end() ? nullptr : &it->second;
}

ZELT_o::Filter& ViewpointCommon::table_filter(LONG id, LONG axis) {
    if (FilterTable* table = filter_table(axis)) {
        if (auto const it = table->find(id); it != table->end() && it->second) {
            return *it->second;
        }
    }
    throwResult(E_UNEXPECTED);
}

std::vector<LONG> ViewpointCommon::applied_ids(FilterTable const& table) {
    std::vector<std::pair<LONG, LONG>> order;
    for (auto const& [id, filter] : table) {
        if (filter && filter->isApplied()) {
            order.emplace_back(filter->getIndex(), id);
        }
    }
    std::sort(order.begin(), order.end());
    std::vector<LONG> ids;
    ids.reserve(order.size());
    for (auto const& entry : order) {
        ids.push_back(entry.second);
    }
    return ids;
}

void ViewpointCommon::clear_filters() {
    fFilters.clear();
    fTupleFilters.clear();
}

LONG ViewpointCommon::filter_axis(ZELT_o::Filter const& filter) {
    if (filter.isTupleFilter()) {
        return filter.getAxis();
    }
    std::vector<ZELT_o::Dimension*> const& dimensions = filter.getDimVec();
    if (dimensions.empty() || dimensions.front() == nullptr) {
        return -1;
    }
    LONG const axis = findDimensionAxis(dimensions.front());
    if (axis < 0) {
        return -1;
    }
    std::vector<ZELT_o::Dimension*> const& onAxis = getAxisDimensions(axis);
    for (ZELT_o::Dimension const* dimension : dimensions) {
        if (std::find(onAxis.begin(), onAxis.end(), dimension) == onAxis.end()) {
            return -1;
        }
    }
    return axis;
}

bool ViewpointCommon::filter_name_in_use(PovaString const& name) {
    return std::any_of(fFilters.begin(), fFilters.end(),
                       [&](auto const& entry) { return entry.second->getName() == name; });
}

bool ViewpointCommon::tuple_filter_name_in_use(PovaString const& name) {
    for (auto const& [axis, table] : fTupleFilters) {
        for (auto const& [id, filter] : table) {
            if (filter->getName() == name) {
                return true;
            }
        }
    }
    return false;
}

void ViewpointCommon::name_filter(ZELT_o::Filter& filter) {
    if (!filter.getName().empty()) {
        return;
    }
    bool const tuple = filter.isTupleFilter();
    LONG& counter = tuple ? fTupleFilterNameCounter : fFilterNameCounter;
    PovaString name;
    do {
        name = PovaString::build(tuple ? "TupleFilter%d" : "Filter%d", counter++);
    } while (tuple ? tuple_filter_name_in_use(name) : filter_name_in_use(name));
    filter.setName(name);
}

void ViewpointCommon::filter_changed(ZELT_o::Filter* filter) {
    dirty_viewpoint();
    auto walk = FilterVisitor(filter);
    visitTree(walk);
}

// --- the operations the filter command calls

LONG ViewpointCommon::doSetFilter(ZELT_o::Filter* filter) {
    auto self = keep_alive();
    if (ViewpointCommon* owner = filter_owner(); owner != this) {
        return owner->doSetFilter(filter);
    }
    if (filter == nullptr) {
        throwResult(E_INVALIDARG);
    }
    if (!isConnected()) {
        throw_error(kNotConnected);
    }
    bool const tuple = filter->isTupleFilter();
    bool held = false;
    for_each_filter(fFilters, fTupleFilters,
                    [&](ZELT_o::Filter const& entry) { held = held || &entry == filter; });
    if (held || (tuple && filter->getAxis() < 0)) {
        throwResult(E_INVALIDARG);
    }
    LONG id = 0;
    if (tuple) {
        id = fNextTupleFilterId;
        fTupleFilters[filter->getAxis()].emplace(id, support::retain(filter));
        ++fNextTupleFilterId;
        filter->setValid(filter->validate(this));
    } else {
        id = fNextFilterId;
        fFilters.emplace(id, support::retain(filter));
        ++fNextFilterId;
        filter->setValid(true);
    }
    filter->setApplied(true);
    filter->setIndex(id);
    name_filter(*filter);
    filter_changed(filter);
    sendEvents();
    return id;
}

LONG ViewpointCommon::doSetFilter(LONG id, LONG axis) {
    auto self = keep_alive();
    if (ViewpointCommon* owner = filter_owner(); owner != this) {
        return owner->doSetFilter(id, axis);
    }
    ZELT_o::Filter& filter = table_filter(id, axis);
    filter.setApplied(true);
    filter_changed(&filter);
    sendEvents();
    return id;
}

void ViewpointCommon::doSetFilters(std::vector<LONG> const& ids, LONG axis) {
    auto self = keep_alive();
    if (ViewpointCommon* owner = filter_owner(); owner != this) {
        owner->doSetFilters(ids, axis);
        return;
    }
    std::vector<ZELT_o::Filter*> filters;
    for (LONG id : ids) {
        filters.push_back(&table_filter(id, axis));
    }
    for (ZELT_o::Filter* filter : filters) {
        filter->setApplied(true);
        filter_changed(filter);
    }
    sendEvents();
}

void ViewpointCommon::doRemoveFilter(LONG id, LONG axis) {
    auto self = keep_alive();
    if (ViewpointCommon* owner = filter_owner(); owner != this) {
        owner->doRemoveFilter(id, axis);
        return;
    }
    ZELT_o::Filter& filter = table_filter(id, axis);
    filter.setApplied(false);
    filter_changed(&filter);
    sendEvents();
}

void ViewpointCommon::doRemoveAllFilters() {
    auto self = keep_alive();
    if (ViewpointCommon* owner = filter_owner(); owner != this) {
        owner->doRemoveAllFilters();
        return;
    }
    for (auto const& [id, filter] : fFilters) {
        if (filter && filter->isApplied()) {
            filter->setApplied(false);
            filter_changed(filter.get());
        }
    }
    sendEvents();
}

void ViewpointCommon::doClearFilters(std::vector<LONG> const& ids) {
    auto self = keep_alive();
    if (ViewpointCommon* owner = filter_owner(); owner != this) {
        owner->doClearFilters(ids);
        return;
    }
    std::vector<ZELT_o::Filter*> filters;
    for (LONG id : ids) {
        filters.push_back(&table_filter(id, kFilterTable));
    }
    for (ZELT_o::Filter* filter : filters) {
        filter->setApplied(false);
        filter_changed(filter);
    }
    sendEvents();
}

void ViewpointCommon::doClearTupleFilters(LONG axis) {
    auto self = keep_alive();
    if (ViewpointCommon* owner = filter_owner(); owner != this) {
        owner->doClearTupleFilters(axis);
        return;
    }
    if (auto const it = fTupleFilters.find(axis); it != fTupleFilters.end()) {
        for (auto const& [id, filter] : it->second) {
            if (filter && filter->isApplied()) {
                filter->setApplied(false);
                filter_changed(filter.get());
            }
        }
    }
    sendEvents();
}

void ViewpointCommon::doSwapFilters(LONG first, LONG second) {
    auto self = keep_alive();
    ViewpointCommon* owner = filter_owner();
    ZELT_o::Filter& a = owner->table_filter(first, kFilterTable);
    ZELT_o::Filter& b = owner->table_filter(second, kFilterTable);
    LONG const index = a.getIndex();
    a.setIndex(b.getIndex());
    b.setIndex(index);
    owner->fChangedSinceLastPersist = true;
    sendEvents();
}

void ViewpointCommon::doReleaseFilter(LONG id, LONG axis) {
    ViewpointCommon* owner = filter_owner();
    FilterTable* table = owner->filter_table(axis);
    if (table == nullptr) {
        return;
    }
    auto const it = table->find(id);
    if (it != table->end() && (!it->second || !it->second->isApplied())) {
        table->erase(it);
    }
}

// Switching the link mode switches the filters the viewpoint shows, and with them those of
// the children that read this viewpoint's filters.
bool ViewpointCommon::doSetFilterLinkMode(ZELT_o::LinkMode mode) {
    if (mode < ZELT_o::kLinkOwn || mode > ZELT_o::kLinkBase) {
        return false;
    }
    if (mode != ZELT_o::kLinkOwn && !fBaseViewpoint) {
        throw_error(kNoBaseToLink);
    }
    if (mode == fFilterLinkMode) {
        return true;
    }
    auto self = keep_alive();
    fFilterLinkMode = mode;
    filter_changed(nullptr);
    sendEvents();
    return true;
}

// --- queries

void ViewpointCommon::getFilters(std::map<LONG, ZELT_o::Filter*>& filters) {
    filters.clear();
    for (auto const& [id, filter] : filter_reader()->fFilters) {
        filters.emplace(id, filter.get());
    }
}

void ViewpointCommon::getAvailableFilters(std::vector<LONG>& ids) {
    ids = applied_ids(filter_reader()->fFilters);
}

void ViewpointCommon::getAvailableFilters(std::vector<LONG>& ids, LONG axis) {
    ViewpointCommon* reader = filter_reader();
    ids = applied_ids(reader->fFilters);
    std::erase_if(ids, [&](LONG id) { return filter_axis(*reader->fFilters.at(id)) != axis; });
}

void ViewpointCommon::getAvailableTupleFilters(std::vector<LONG>& ids, LONG axis) {
    ids.clear();
    FilterTable const* table = axis >= 0 ? filter_reader()->filter_table(axis) : nullptr;
    if (table != nullptr) {
        ids = applied_ids(*table);
    }
}

void ViewpointCommon::getFilterIndexFromName(PovaString const& name, LONG* id, LONG axis) {
    if (FilterTable const* table = filter_reader()->filter_table(axis)) {
        for (auto const& [entryId, filter] : *table) {
            if (filter && filter->getName() == name) {
                if (id != nullptr) {
                    *id = entryId;
                }
                return;
            }
        }
    }
    throwResult(E_INVALIDARG);
}

void ViewpointCommon::getFilter(LONG id, ZELT_o::Filter** out, LONG axis) {
    ZELT_o::Filter& filter = filter_reader()->table_filter(id, axis);
    if (out == nullptr) {
        throwResult(E_INVALIDARG);
    }
    *out = &filter;
}

void ViewpointCommon::getAxisFilters(LONG axis, std::vector<LONG>& ids) {
    getAvailableFilters(ids, axis);
}

bool ViewpointCommon::has_filters_or_sorts() {
    ViewpointCommon* reader = filter_reader();
    bool any = false;
    for_each_filter(reader->fFilters, reader->fTupleFilters,
                    [&](ZELT_o::Filter const& filter) { any = any || filter.isApplied(); });
    return any || has_sorts();
}

LONG ViewpointCommon::does_axis_contain_parameters(LONG axis) {
    FilterTable const* table = axis >= 0 ? filter_reader()->filter_table(axis) : nullptr;
    if (table == nullptr) {
        return 0;
    }
    for (auto const& [id, filter] : *table) {
        if (filter && filter->isApplied()) {
            for (ZELT_o::Expression* expression : filter->getExpressions()) {
                if (refers_to_parameter(expression)) {
                    return 1;
                }
            }
        }
    }
    return 0;
}

// --- names and dimensions

void ViewpointCommon::changeFilterUNameInstances(PovaString const& before,
                                                 PovaString const& after) {
    change_filter_name_instances(before, after);
}

void ViewpointCommon::change_filter_name_instances(PovaString const& before,
                                                   PovaString const& after) {
    auto self = keep_alive();
    for (auto const& child : children_snapshot()) {
        if (is_child(child.get())) {
            child->change_filter_name_instances(before, after);
        }
    }
    bool changed = false;
    for_each_filter(fFilters, fTupleFilters, [&](ZELT_o::Filter& filter) {
        for (PovaString& name : filter.getNameVec()) {
            if (name == before) {
                name = after;
                changed = true;
            }
        }
    });
    if (changed) {
        dirty_viewpoint();
    }
}

void ViewpointCommon::remove_specs(ZELT_o::Dimension const* dimension) {
    auto const lists = [dimension](support::Ref<ZELT_o::Filter> const& filter) {
        std::vector<ZELT_o::Dimension*> const& dimensions = filter->getDimVec();
        return std::find(dimensions.begin(), dimensions.end(), dimension) != dimensions.end();
    };
    std::size_t erased = std::erase_if(fFilters, [&](auto const& e) { return lists(e.second); });
    for (auto& [axis, table] : fTupleFilters) {
        erased += std::erase_if(table, [&](auto const& e) { return lists(e.second); });
    }
    // sorts join here
    if (erased != 0) {
        dirty_viewpoint();
    }
}

void ViewpointCommon::removeSpecsUName(PovaString const& uniqueName) {
    std::vector<ZELT_o::Dimension const*> leaving;
    for_each_filter(fFilters, fTupleFilters, [&](ZELT_o::Filter const& filter) {
        for (ZELT_o::Dimension const* dimension : filter.getDimVec()) {
            if (dimension != nullptr && dimension->getUniqueName() == uniqueName) {
                leaving.push_back(dimension);
            }
        }
    });
    for (ZELT_o::Dimension const* dimension : leaving) {
        remove_specs(dimension);
    }
    // sorts join here
}

// --- validity against the layout

void ViewpointCommon::validate_tuple_filters() {
    for (auto const& [axis, table] : fTupleFilters) {
        for (auto const& [id, filter] : table) {
            if (filter) {
                filter->setValid(filter->validate(this));
            }
        }
    }
}

void ViewpointCommon::validate_filters_and_queue_events() {
    if (!std::exchange(fSkipFilterValidation, false)) {
        validate_tuple_filters();
    }
    queue_data_changed();
}

void ViewpointCommon::validateFiltersAndFireEvents() {
    auto self = keep_alive();
    validate_filters_and_queue_events();
    if (fDerivedViewpoint && fDerivedViewpoint->isInError()) {
        throw_error(kLayoutRejected);
    }
}

void ViewpointCommon::invalidate_tuple_filters(
    LONG axis, std::vector<ZELT_o::Dimension const*> const& dimensions,
    std::vector<support::Ref<ZELT_o::Filter>>& invalidated) {
    auto const it = fTupleFilters.find(axis);
    if (it == fTupleFilters.end()) {
        return;
    }
    for (auto const& [id, filter] : it->second) {
        if (!filter || !filter->isValid()) {
            continue;
        }
        std::vector<ZELT_o::Dimension*> const& own = filter->getDimVec();
        bool const hit = std::all_of(dimensions.begin(), dimensions.end(), [&](auto const* d) {
            return std::find(own.begin(), own.end(), d) != own.end();
        });
        if (hit) {
            filter->setValid(false);
            invalidated.push_back(filter);
        }
    }
}

void ViewpointCommon::invalidate_unfitting_tuple_filters(
    std::vector<support::Ref<ZELT_o::Filter>>& invalidated) {
    for (auto const& [axis, table] : fTupleFilters) {
        for (auto const& [id, filter] : table) {
            if (filter && filter->isValid() && !filter->validate(this)) {
                filter->setValid(false);
                invalidated.push_back(filter);
            }
        }
    }
}

void ViewpointCommon::revalidate(std::vector<support::Ref<ZELT_o::Filter>> const& filters) {
    for (auto const& filter : filters) {
        filter->setValid(true);
    }
}

// --- XML

// A viewpoint whose filter link mode is 2 shows its base's filters, which the base saves. Each
// entry's "Index" is its place among the saved entries: the id it gets when the document is
// loaded into a viewpoint without filters, so that a loaded viewpoint saves the same text.
void ViewpointCommon::save_filters(XmlSupport& xml, XmlNode viewpointElement) {
    std::vector<LONG> const ids = fFilterLinkMode == ZELT_o::kLinkBase && fBaseViewpoint
                                      ? std::vector<LONG>()
                                      : applied_ids(fFilters);
    if (ids.empty()) {
        return;
    }
    XmlNode const node = XmlSupport::addAChild(viewpointElement, "ExcludeSpecsNode");
    for (std::size_t place = 0; place < ids.size(); ++place) {
        LONG const index = static_cast<LONG>(place);
        fFilters.at(ids[place])->save(xml, index, XmlSupport::addAChild(node, "ExcludeSpec"));
    }
}

void ViewpointCommon::save_tuple_filters(XmlSupport& xml, XmlNode viewpointElement) {
    if (fFilterLinkMode == ZELT_o::kLinkBase && fBaseViewpoint) {
        return;
    }
    XmlNode node;
    LONG index = 0;  // counted over the axes, as tuple-filter ids are
    for (auto& [axis, table] : fTupleFilters) {
        std::vector<LONG> const ids = applied_ids(table);
        if (ids.empty()) {
            continue;
        }
        if (!node) {
            node = XmlSupport::addAChild(viewpointElement, "TupleFilterSpecifications");
        }
        XmlNode const axisNode = XmlSupport::addAChild(node, "Axis");
        XmlSupport::write_to(axisNode, "AxisIndex", axis);
        for (LONG id : ids) {
            table.at(id)->save(xml, index++,
                               XmlSupport::addAChild(axisNode, "TupleFilterSpecification"));
        }
    }
}

// The filters of the loaded document replace the viewpoint's; each is replayed through a
// filter command, so that it gets a fresh id and is told to the tree as a client's would be.
void ViewpointCommon::init_filters_from_xml(XmlNode root) {
    clear_filters();
    XmlNode const node = root.findChild("ExcludeSpecsNode");
    if (!node) {
        return;
    }
    auto const cube = support::adopt(getCube());
    for (XmlNode const& entry : node.childNodes()) {
        if (entry.isElement() && !replay_filter(entry, cube.get(), nullptr)) {
            return;
        }
    }
}

void ViewpointCommon::init_tuple_filters_from_xml(XmlNode root) {
    XmlNode const node = root.findChild("TupleFilterSpecifications");
    if (!node) {
        return;
    }
    auto const cube = support::adopt(getCube());
    for (XmlNode const& axis : node.childNodes()) {
        if (!axis.isElement() || !axis.hasAttribute("AxisIndex")) {
            continue;
        }
        for (XmlNode const& entry : axis.descendants("TupleFilterSpecification")) {
            if (!replay_filter(entry, cube.get(), this)) {
                return;
            }
        }
    }
}

bool ViewpointCommon::replay_filter(XmlNode element, ZELT_o::Cube* cube,
                                    ZELT_o::Viewpoint* viewpoint) {
    auto const command = support::adopt(createCommand(CommandType::Filter));
    auto* filterCommand = dynamic_cast<ZELT_o::FilterViewpointCommand*>(command.get());
    if (filterCommand == nullptr) {
        return false;
    }
    auto* filter = dynamic_cast<FilterCommon*>(filterCommand->getNewFilter());
    if (filter == nullptr) {
        return false;
    }
    NodeListIterator at({element});
    filter->load(at, cube);
    // One that no longer fits the cube (or, for a tuple filter, the layout) is left out.
    if (filter->validate(viewpoint)) {
        filterCommand->AddFilter();
        filterCommand->execute();
    }
    return true;
}

}  // namespace common
