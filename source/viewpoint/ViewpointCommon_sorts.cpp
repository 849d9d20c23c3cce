// The viewpoint's sorts: the sort table and its operations, the sort link mode, and the
// "SortSpecifications" section of the viewpoint's XML.
#include <basekit/BaseError.h>
#include <basekit/NodeListIterator.h>
#include <pova/common/SortViewpointCommandCommon.h>
#include <pova/common/ViewpointCommon.h>

#include "viewpoint/ViewpointVisitors.h"

#include <algorithm>
#include <utility>

namespace common {

namespace {

constexpr ZELT_o::MessageCode kNoBaseToLink = 0xC2011214u;

}  // namespace

// --- where the operations go

ViewpointCommon* ViewpointCommon::sort_owner() {
    ViewpointCommon* owner = this;
    while (owner->fSortLinkMode == ZELT_o::kLinkBase && owner->fBaseViewpoint) {
        owner = owner->fBaseViewpoint.get();
    }
    return owner;
}

ViewpointCommon* ViewpointCommon::sort_reader() {
    return fSortLinkMode != ZELT_o::kLinkOwn && fBaseViewpoint ? fBaseViewpoint.get() : nullptr;
}

ZELT_o::Sort& ViewpointCommon::own_sort(LONG id) {
    auto const found = fSorts.find(id);
    if (found == fSorts.end()) {
        throwResult(E_UNEXPECTED);
    }
    return *found->second;
}

// The table never holds a null entry, so there is none to erase on the way.
ZELT_o::Sort* ViewpointCommon::GetSortWithDims(ZELT_o::Sort* sort) {
    if (sort == nullptr) {
        throwResult(E_INVALIDARG);
    }
    // A chain longer than the table goes round in a circle.
    for (std::size_t steps = 0; sort->getParentIndex() != -1; ++steps) {
        if (steps > fSorts.size()) {
            throwResult(E_UNEXPECTED);
        }
        sort = &own_sort(sort->getParentIndex());
    }
    return sort;
}

void ViewpointCommon::walk_sort(ZELT_o::Sort* root) {
    auto walk = SortVisitor(root);
    visitTree(walk);
}

void ViewpointCommon::send_sort_events() {
    if (!fReplayingSorts) {
        sendEvents();
    }
}

// --- changes

LONG ViewpointCommon::doSetSort(std::unique_ptr<ZELT_o::Sort>& sort,
                                ZELT_o::SortApplication application) {
    if (ViewpointCommon* owner = sort_owner(); owner != this) {
        return owner->doSetSort(sort, application);
    }
    if (!sort) {
        throwResult(E_INVALIDARG);
    }
    auto self = keep_alive();
    LONG const id = fNextSortId;
    ZELT_o::Sort* parent =
        application == ZELT_o::kSortModifier ? &own_sort(sort->getParentIndex()) : nullptr;
    ZELT_o::Sort* const root = GetSortWithDims(sort.get());
    ZELT_o::Sort* const entered = sort.get();
    auto const [place, added] = fSorts.emplace(id, nullptr);
    if (!added) {
        throwResult(E_UNEXPECTED);
    }
    try {
        if (parent != nullptr) {
            parent->getModifiers().push_back(id);
        }
    } catch (...) {
        fSorts.erase(place);
        throw;
    }
    place->second = std::move(sort);
    ++fNextSortId;
    entered->setApplied(true);
    entered->setIndex(id);
    dirty_viewpoint();
    if (entered->getSortName().empty()) {
        PovaString name;
        do {
            name = PovaString::build("Sort%d", fSortNameCounter++);
        } while (sort_name_in_use(name));
        entered->setSortName(name);
    }
    walk_sort(root);
    send_sort_events();
    return id;
}

LONG ViewpointCommon::doSetSort(LONG id) {
    if (ViewpointCommon* owner = sort_owner(); owner != this) {
        return owner->doSetSort(id);
    }
    auto self = keep_alive();
    ZELT_o::Sort& sort = own_sort(id);
    ZELT_o::Sort* const root = GetSortWithDims(&sort);
    sort.setApplied(true);
    dirty_viewpoint();
    walk_sort(root);
    send_sort_events();
    return id;
}

namespace {

// The sorts of `ids` with their roots, all found before any changes.
template <class Find, class Root>
std::vector<std::pair<ZELT_o::Sort*, ZELT_o::Sort*>> sorts_and_roots(std::vector<LONG> const& ids,
                                                                     Find find, Root root) {
    std::vector<std::pair<ZELT_o::Sort*, ZELT_o::Sort*>> found;
    for (LONG const id : ids) {
        ZELT_o::Sort& sort = find(id);
        found.emplace_back(&sort, root(&sort));
    }
    return found;
}

}  // namespace

void ViewpointCommon::doSetSorts(std::vector<LONG> const& ids) {
    set_sorts_applied(ids, true);
}

void ViewpointCommon::set_sorts_applied(std::vector<LONG> const& ids, bool applied) {
    if (ViewpointCommon* owner = sort_owner(); owner != this) {
        owner->set_sorts_applied(ids, applied);
        return;
    }
    auto self = keep_alive();
    auto const found = sorts_and_roots(
        ids, [this](LONG id) -> ZELT_o::Sort& { return own_sort(id); },
        [this](ZELT_o::Sort* sort) { return GetSortWithDims(sort); });
    for (auto const& [sort, root] : found) {
        sort->setApplied(applied);
        dirty_viewpoint();
        walk_sort(root);
    }
    send_sort_events();
}

void ViewpointCommon::doRemoveSort(LONG id) {
    if (ViewpointCommon* owner = sort_owner(); owner != this) {
        owner->doRemoveSort(id);
        return;
    }
    auto self = keep_alive();
    ZELT_o::Sort& sort = own_sort(id);
    ZELT_o::Sort* const root = GetSortWithDims(&sort);
    sort.setApplied(false);
    dirty_viewpoint();
    walk_sort(root);
    send_sort_events();
}

void ViewpointCommon::doRemoveAllSorts() {
    if (ViewpointCommon* owner = sort_owner(); owner != this) {
        owner->doRemoveAllSorts();
        return;
    }
    auto self = keep_alive();
    std::vector<LONG> applied;
    for (auto const& [id, sort] : fSorts) {
        if (sort->isApplied()) {
            applied.push_back(id);
        }
    }
    doClearSorts(applied);
}

void ViewpointCommon::doClearSorts(std::vector<LONG> const& ids) {
    set_sorts_applied(ids, false);
}

// The order of the sorts decides what a query shows, so the tree hears of the swap.
void ViewpointCommon::doSwapSorts(LONG a, LONG b) {
    if (ViewpointCommon* owner = sort_owner(); owner != this) {
        owner->doSwapSorts(a, b);
        return;
    }
    auto self = keep_alive();
    ZELT_o::Sort& first = own_sort(a);
    ZELT_o::Sort& second = own_sort(b);
    ZELT_o::Sort* const firstRoot = GetSortWithDims(&first);
    ZELT_o::Sort* const secondRoot = GetSortWithDims(&second);
    LONG const index = first.getIndex();
    first.setIndex(second.getIndex());
    second.setIndex(index);
    dirty_viewpoint();
    walk_sort(firstRoot);
    if (secondRoot != firstRoot) {
        walk_sort(secondRoot);
    }
    send_sort_events();
}

void ViewpointCommon::doReleaseSort(LONG id) {
    if (ViewpointCommon* owner = sort_owner(); owner != this) {
        owner->doReleaseSort(id);
        return;
    }
    auto const found = fSorts.find(id);
    if (found != fSorts.end() && !found->second->isApplied()) {
        fSorts.erase(found);
    }
}

// The queries of this viewpoint and of the children that read through it now answer from
// other sorts: the tree hears that every axis and the cells changed.
bool ViewpointCommon::doSetSortLinkMode(ZELT_o::LinkMode mode) {
    if (mode < ZELT_o::kLinkOwn || mode > ZELT_o::kLinkBase) {
        return false;
    }
    if (mode != ZELT_o::kLinkOwn && !fBaseViewpoint) {
        throw_error(kNoBaseToLink);
    }
    if (mode == fSortLinkMode) {
        return true;
    }
    auto self = keep_alive();
    fSortLinkMode = mode;
    dirty_viewpoint();
    walk_sort(nullptr);
    send_sort_events();
    return true;
}

void ViewpointCommon::clearAllSorts() {
    if (ViewpointCommon* owner = sort_owner(); owner != this) {
        owner->clearAllSorts();
        return;
    }
    dirty_viewpoint();
    // Not applied, then released: nothing is left.
    fSorts.clear();
}

void ViewpointCommon::drop_sorts() {
    fSorts.clear();
}

// --- queries

void ViewpointCommon::getSorts(std::map<LONG, ZELT_o::Sort*>& sorts) {
    if (ViewpointCommon* reader = sort_reader()) {
        reader->getSorts(sorts);
        return;
    }
    sorts.clear();
    for (auto const& [id, sort] : fSorts) {
        sorts.emplace(id, sort.get());
    }
}

void ViewpointCommon::getSort(LONG id, ZELT_o::Sort** sort) {
    if (sort == nullptr) {
        throwResult(E_INVALIDARG);
    }
    if (ViewpointCommon* reader = sort_reader()) {
        reader->getSort(id, sort);
        return;
    }
    auto const found = fSorts.find(id);
    *sort = found != fSorts.end() ? found->second.get() : nullptr;
}

void ViewpointCommon::getSortIndexFromName(PovaString const& name, LONG* id) {
    if (id == nullptr) {
        throwResult(E_INVALIDARG);
    }
    if (ViewpointCommon* reader = sort_reader()) {
        reader->getSortIndexFromName(name, id);
        return;
    }
    for (auto const& [key, sort] : fSorts) {
        if (sort->getSortName() == name) {
            *id = key;
            return;
        }
    }
    throwResult(E_INVALIDARG);
}

std::vector<LONG> ViewpointCommon::own_available_sorts() {
    std::vector<std::pair<LONG, LONG>> byIndex;
    for (auto const& [id, sort] : fSorts) {
        if (sort->isApplied() && sort->getParentIndex() == -1) {
            byIndex.emplace_back(sort->getIndex(), id);
        }
    }
    std::sort(byIndex.begin(), byIndex.end());
    std::vector<LONG> ids;
    ids.reserve(byIndex.size());
    for (auto const& entry : byIndex) {
        ids.push_back(entry.second);
    }
    return ids;
}

void ViewpointCommon::getAvailableSorts(std::vector<LONG>& ids) {
    if (ViewpointCommon* reader = sort_reader()) {
        reader->getAvailableSorts(ids);
        return;
    }
    ids = own_available_sorts();
}

void ViewpointCommon::getAvailableSorts(std::vector<LONG>& ids, LONG axis) {
    if (ViewpointCommon* reader = sort_reader()) {
        reader->getAvailableSorts(ids, axis);
        return;
    }
    std::vector<ZELT_o::Dimension*> const dimensions = getAxisDimensions(axis);
    std::vector<LONG> all = own_available_sorts();
    std::erase_if(all, [&](LONG id) { return fSorts.at(id)->getDimVec() != dimensions; });
    ids = std::move(all);
}

void ViewpointCommon::getAxisSorts(LONG axis, std::vector<LONG>& ids) {
    if (ViewpointCommon* owner = sort_owner(); owner != this) {
        owner->getAxisSorts(axis, ids);
        return;
    }
    getAvailableSorts(ids, axis);
}

bool ViewpointCommon::has_sorts() {
    std::vector<LONG> ids;
    getAvailableSorts(ids);
    return !ids.empty();
}

bool ViewpointCommon::sort_name_in_use(PovaString const& name) {
    return std::any_of(fSorts.begin(), fSorts.end(),
                       [&name](auto const& entry) { return entry.second->getSortName() == name; });
}

void ViewpointCommon::change_sort_name_instances(PovaString const& oldName,
                                                 PovaString const& newName) {
    for (auto const& child : children_snapshot()) {
        child->change_sort_name_instances(oldName, newName);
    }
    for (auto const& entry : fSorts) {
        for (PovaString& name : entry.second->getNameVec()) {
            if (name == oldName) {
                name = newName;
            }
        }
    }
}

void ViewpointCommon::changeSortUNameInstances(PovaString const& oldName,
                                               PovaString const& newName) {
    change_sort_name_instances(oldName, newName);
}

// --- persistence

// The viewpoint's own sorts: a viewpoint that reads or changes its base's sorts leaves them
// to the base, so that loading it does not add them to the base a second time.
void ViewpointCommon::save_sorts(XmlSupport& xml, XmlNode viewpointElement) {
    std::vector<LONG> const ids = own_available_sorts();
    if (ids.empty()) {
        return;
    }
    XmlNode const section = XmlSupport::addAChild(viewpointElement, "SortSpecifications");
    for (LONG const id : ids) {
        auto const found = fSorts.find(id);
        if (found != fSorts.end() && found->second) {
            found->second->save(xml, id, XmlSupport::addAChild(section, "SortSpecification"));
        }
    }
}

// Every saved sort is read into a command of its own before the table changes, so that a
// damaged entry fails the load with the viewpoint's sorts as they were. The sorts that still
// fit the cube then replace the viewpoint's own, each added as a client adds one: a fresh id,
// its saved name, the tree told. Their events wait for those of the load.
void ViewpointCommon::init_sorts_from_xml(XmlNode root) {
    if (!root) {
        throwResult(E_UNEXPECTED);
    }
    std::vector<support::Ref<SortViewpointCommandCommon>> commands;
    if (XmlNode const section = root.findChild("SortSpecifications")) {
        auto const cube = support::adopt(getCube());
        for (XmlNode const& entry : section.childNodes()) {
            if (!entry.isElement()) {
                continue;
            }
            auto const made = support::adopt(createCommand(CommandType::Sort));
            auto* command = dynamic_cast<SortViewpointCommandCommon*>(made.get());
            if (command == nullptr) {
                throwResult(E_UNEXPECTED);
            }
            ZELT_o::Sort* const sort = command->getNewSort();
            NodeListIterator in({entry});
            sort->load(in, cube.get());
            // Only root sorts are saved: a parent named by an id of the viewpoint that saved
            // the sort means nothing here.
            if (sort->getParentIndex() == -1 && sort->fitsCube()) {
                commands.push_back(support::retain(command));
            }
        }
    }
    drop_sorts();
    fReplayingSorts = true;
    try {
        for (auto const& command : commands) {
            command->AddSort();
            command->execute();
        }
    } catch (...) {
        fReplayingSorts = false;
        throw;
    }
    fReplayingSorts = false;
}

}  // namespace common
