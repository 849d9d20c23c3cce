/// @class common::ViewpointCommon
/// The generic implementation of a viewpoint, which providers derive
/// from or obtain through createCommonViewpoint.
///
/// It keeps the axis layout of its cube's dimensions with their constraints and types, the
/// per-dimension properties, the layout undo history, the queue of events for its listeners and
/// the tree of viewpoints derived from it. A viewpoint bound to a base viewpoint takes its cube
/// from the base and, while it copies its parent's orientation, its whole layout: every layout
/// question and change then goes to the base, whose tree walks reach this viewpoint.
///
/// Not thread-safe: a viewpoint tree is used from one thread at a time.
///
/// Lifetimes. A public operation that walks the tree or sends events keeps the viewpoint alive
/// until it returns, so a listener may release the last outside reference during any event.
/// A child holds a reference to its base; the base lists its children without counting them.
/// When the cube goes away (stopListening) or the viewpoint is unbound, every viewpoint of the
/// tree forgets all it held of the cube. Returned objects: getCube, getBaseViewpoint and
/// getDocument hand one reference to the caller; dimensions (getAxisDimensions, getDimensionAt,
/// getSides) are the cube's, borrowed, and valid while the viewpoint stays bound to it.
///
/// Failure. A layout operation that raises leaves layout, constraints, axis types, queued
/// events and undo history as they were; the one exception is 0xC201491E, the provider's
/// refusal of a new layout, which is raised after the change and its events.
#pragma once

#include <basekit/AnyError.h>
#include <basekit/XmlSupport.h>
#include <pova/Cube.h>
#include <pova/Document.h>
#include <pova/Filter.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/ParameterLink.h>
#include <pova/QueryFieldsData.h>
#include <pova/Sort.h>
#include <pova/Viewpoint.h>
#include <pova/common/DimensionProperties.h>
#include <pova/common/EventDispatcher.h>
#include <pova/common/ViewpointModifier.h>
#include <pova/common/ViewpointProperties.h>
#include <pova/pova_export.h>
#include <pova/support/Ref.h>
#include <provkit/ViewpointBase.h>

#include <exception>
#include <iosfwd>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace support {
class TraceLog;
}

namespace common {

class CacheCommon;
class DimensionMoveOp;

class POVA_API ViewpointCommon : public ZELT_o::Viewpoint,
                                 private ViewpointModifier,
                                 private ZELT_o::Member::Listener,
                                 private ZELT_o::MemberSet::Listener,
                                 private ZELT_o::MemberSet::UndoListener,
                                 private ZELT_o::ParameterLink::Listener,
                                 public ZELT_o::Cube::Listener,
                                 public ZELT_o::Document::Listener {
public:
    /// The layout: the dimensions of every axis, view axes first.
    using Sides = std::vector<std::vector<ZELT_o::Dimension*>>;
    /// (minimum, maximum) number of dimensions of an axis.
    using Constraint = std::pair<LONG, LONG>;

    ViewpointCommon();

    /// The log module of the viewpoint's trace lines: "INTERFACE".
    static PovaString const& fModule();

    // --- ZELT_o::Queryable
    /// The result set of the current layout: from the result cache when an equal property list
    /// was queried since the last change, else from the derived viewpoint (and then cached).
    /// One reference for the caller. Raises E_INVALIDARG for a null list, 0xC2011200 without a
    /// derived viewpoint or when it returns nothing, 0xC201491E when it is in error; a provider
    /// error leaves the cache as it was.
    ZELT_o::ViewResultSet* query(std::vector<ZELT_o::PropertySpecification>* properties) override;

    // --- ZELT_o::Viewpoint
    /// Kinds 0 (basic), 2 (sort), 3 (filter) and 6 (transaction) are built here; the others come
    /// with their commands or from a provider that overrides this.
    ZELT_o::ViewpointCommand* createCommand(CommandType type) override;
    bool isCommandSupported(CommandType type) override;
    void holdEvents() override;
    void releaseEvents() override;
    void operationsUndone() override;
    bool eventsHeld() override;
    void initialiseFromExpression(PovaString& expression) override;
    bool validateServerExpression(PovaString& expression) override;
    bool validateCalculationExpression(PovaString const& expression) override;
    /// Raises 0xC201120D without a derived viewpoint.
    PovaString retrieveLastQuery(std::vector<ZELT_o::PropertySpecification>* properties) override;
    void addListener(ZELT_o::ViewpointListener* listener) override;
    void removeListener(ZELT_o::ViewpointListener* listener) override;
    ZELT_o::QueryFieldsData* getCellQueryFields() override;
    ZELT_o::QueryFieldsData* getAxisQueryFields(int axis) override;
    /// Through the virtual query; raises 0xC2011200 when it returns nothing.
    void getMinMaxOnView(std::vector<ZELT_o::PropertySpecification>* properties, double& first,
                         double& second) override;
    ZELT_o::Viewpoint* getBaseViewpoint() override;
    void setBaseViewpoint(ZELT_o::Viewpoint* base, LONG numViewAxes, LONG numPagedAxes) override;
    void setCube(ZELT_o::Cube* cube, LONG numViewAxes, LONG numPagedAxes) override;
    ZELT_o::Cube* getCube() override;
    bool isConnected() override;
    void setAxes(std::vector<std::vector<PovaString>> const& axes, bool flag) override;
    AxisType getAxisType(LONG axis) override;
    LONG getNewDimensionAxis() override;
    void setNewDimensionAxis(LONG axis) override;
    ZELT_o::MemberSet* getCurrentSet(ZELT_o::Dimension const& dimension) override;
    ZELT_o::MemberSet* getCurrentSelection(ZELT_o::Dimension& dimension) override;
    ZELT_o::Member* getCurrentSection(ZELT_o::Dimension const& dimension) override;
    std::vector<ZELT_o::Hierarchy*> getHierarchies(ZELT_o::Dimension& dimension) override;
    ZELT_o::Hierarchy* getActiveHierarchy(ZELT_o::Dimension const& dimension) override;
    LONG countAxes() override;
    LONG countPagedAxes() override;
    std::vector<ZELT_o::Dimension*>& getAxisDimensions(LONG axis) override;
    LONG minimumDimensions(LONG axis) override;
    LONG maximumDimensions(LONG axis) override;
    LONG countProperties() override;
    bool readProperty(PovaString const& name, Property* out, bool followLink) override;
    bool readProperty(LONG i, Property* out) override;
    /// Marks the viewpoint changed and sets the property on the last index.
    void setProperty(Property const& property, bool followLink, bool notify) override;
    LONG countDimensionProperties(LONG index) override;
    bool readDimensionProperty(LONG index, PovaString const& name, Property* out,
                               bool followLink) override;
    bool readDimensionProperty(LONG index, LONG i, Property* out) override;
    /// A reserved name must hold its kind (a member set, a member, a parameter link, or text
    /// for "AxisInfo"), else E_INVALIDARG.
    void setDimensionProperty(LONG index, Property const& property, bool followLink,
                              bool notify) override;
    bool isAxisNULLFiltered(LONG axis) override;
    void setAxisExcludeNULLs(LONG axis, bool exclude) override;
    /// One reference for the caller, or null.
    ZELT_o::Document* getDocument() override;
    ZELT_o::LinkMode getSortLinkMode() override { return fSortLinkMode; }
    ///@{
    /// Store a link mode without telling anyone.
    void setSortLinkMode(ZELT_o::LinkMode mode) { fSortLinkMode = mode; }
    void setFilterLinkMode(ZELT_o::LinkMode mode) { fFilterLinkMode = mode; }
    void setFormatLinkMode(ZELT_o::LinkMode mode) { fFormatLinkMode = mode; }
    ///@}
    /// 0: the viewpoint keeps a layout of its own; 1 or 2: it copies its base's layout again.
    void setAxisLinkMode(ZELT_o::LinkMode mode);
    ZELT_o::LinkMode getFilterLinkMode() override { return fFilterLinkMode; }
    ZELT_o::LinkMode getFormatLinkMode() override { return fFormatLinkMode; }
    ZELT_o::LinkMode getAxisLinkMode() override;
    ZELT_o::LinkMode getDimensionLinkMode(ZELT_o::Dimension const* dimension) override;
    void notifyMemberLabelChanged(ZELT_o::Dimension& dimension) override;
    void notifyMemberLabelChanged(PovaString const& uniqueName) override;
    void notifyMemberLabelChanged() override;
    void notifyAxisInfoChanged(PovaString const& uniqueName) override;
    void getCellSelection(LONG* row, LONG* column) override;
    void setCellSelection(LONG row, LONG column) override;
    void CreateNewExpression(ZELT_o::Expression** expression) override;
    void save(std::ostream& stream, bool clearDirty) override;
    void load(std::istream& stream) override;
    XmlNode saveXML(XmlNode document, bool clearDirty) override;
    void saveXmlToElement(XmlNode element, bool clearDirty) override;
    void saveExplicitXmlToElement(XmlNode element) override;
    void loadXML(XmlNode node) override;
    bool ChangedSinceLastPersist() override { return fChangedSinceLastPersist; }
    LONG getID() override { return fID; }
    void setID(LONG id) override { fID = id; }
    PovaString getUniqueName() override { return fUniqueName; }
    void setUniqueName(PovaString const& name) override { fUniqueName = name; }
    bool dropLastQuery() override;
    PovaString getAxisInfo(ZELT_o::Dimension const& dimension) override;
    void setAxisInfo(ZELT_o::Dimension const& dimension, PovaString const& info) override;
    void setDocument(ZELT_o::Document* document) override;
    Sides getSides() override;
    PovaString getExpression() override { return fExpression; }
    void setExpression(PovaString const& expression) override { fExpression = expression; }
    bool getInitFromExpression() override { return fInitFromExpression; }
    void setInitFromExpression(bool flag) override { fInitFromExpression = flag; }
    ZELT_o::DimensionPosition getPosition(ZELT_o::Dimension* dimension) override;
    GUID getDocumentGUID() override { return fDocumentGUID; }
    GUID getGUID() override { return fGUID; }
    bool setParameterStrictness(bool strict) override;
    bool getParameterStrictness() override;
    LONG getAxisByDimUniqueName(PovaString const& uniqueName) override;

    // --- active hierarchies, member sets, slices and selections
    ///@{
    /// Each raises 0xC2011209 for a dimension of another cube and E_INVALIDARG for an object of
    /// another dimension; on an excluded dimension it reports an assertion and changes nothing.
    /// A dimension that shares its base's state (link mode 2) changes the base's.
    void setActiveHierarchy(ZELT_o::Dimension& dimension, ZELT_o::Hierarchy* hierarchy);
    void setActiveSet(ZELT_o::Dimension const& dimension, ZELT_o::MemberSet* set);
    /// Quiet: stores the slice and tells nobody.
    void setActiveSlice(ZELT_o::Dimension& dimension, ZELT_o::Member* member, bool quiet);
    void setActiveSelection(ZELT_o::Dimension& dimension, ZELT_o::MemberSet* set);
    ///@}
    ///@{
    /// Store without telling anyone; `notify` is handed to setDimensionProperty.
    void replaceCurrentSet(ZELT_o::Dimension const& dimension, ZELT_o::MemberSet* set, bool notify);
    void replaceCurrentSelection(ZELT_o::Dimension& dimension, ZELT_o::MemberSet* set, bool notify);
    void replaceCurrentSection(ZELT_o::Dimension const& dimension, ZELT_o::Member* member,
                               bool notify);
    ///@}
    /// The member-set undo stack: the next change of the set's dimension is not recorded.
    void suppressActiveSetChangeUndoStack(ZELT_o::MemberSet* set);
    /// Tells the viewpoint that holds the set's dimension state that its change is undone.
    void doingActiveSetChangeUndo(ZELT_o::MemberSet* set);
    /// The number of member-set changes that can be undone.
    std::size_t activeSetUndoDepth() const { return fActiveSetUndoStack.size(); }

    // --- commands
    /// Raises 0xC201120D without a derived viewpoint.
    bool is_command_supported(CommandType type);
    /// 0 gives the viewpoint its own copy of the current layout; 1 or 2 makes it copy its
    /// base's layout again. Tells the listeners.
    void doSetAxisLinkMode(ZELT_o::LinkMode mode);

    // --- sorts
    /// The viewpoint owns the sorts of its table, keyed by id; the sorts it hands out are
    /// borrowed until they are released (doReleaseSort, clearAllSorts) or the viewpoint drops
    /// them with its cube. With sort link mode 2 the do* operations (but doSetSortLinkMode),
    /// getAxisSorts and clearAllSorts act on the base viewpoint; with 1 or 2 the queries
    /// (getAvailableSorts, getSortIndexFromName, getSort, getSorts) read the base's sorts. An id
    /// not in the table raises E_UNEXPECTED as a plain code, before anything changes.
    void getSorts(std::map<LONG, ZELT_o::Sort*>& sorts) override;
    /// Applied root sorts by ascending Index; with `axis`, those whose dimensions are exactly
    /// that axis's, in order.
    void getAvailableSorts(std::vector<LONG>& ids, LONG axis) override;
    void getAvailableSorts(std::vector<LONG>& ids) override;
    /// The first sort of that name in id order; E_INVALIDARG (plain) when there is none.
    void getSortIndexFromName(PovaString const& name, LONG* id) override;
    /// The sort of that id, or null.
    void getSort(LONG id, ZELT_o::Sort** sort) override;
    void getAxisSorts(LONG axis, std::vector<LONG>& ids) override;
    void changeSortUNameInstances(PovaString const& oldName, PovaString const& newName) override;
    /// Enters a new sort (kNewSort) or a modifier of the sort its ParentIndex names
    /// (kSortModifier), applied, under the next id, which it returns. The table takes `sort`
    /// over; when the call raises, `sort` stays with the caller. An unnamed sort is named
    /// "Sort" and the first number of the name counter not in use.
    LONG doSetSort(std::unique_ptr<ZELT_o::Sort>& sort, ZELT_o::SortApplication application);
    /// Applies a sort of the table again; returns the id.
    LONG doSetSort(LONG id);
    ///@{
    /// Applies several sorts of the table again.
    void doSetSorts(std::vector<LONG> const& ids);
    ///@}
    /// Marks the sort not applied; it stays in the table until released.
    void doRemoveSort(LONG id);
    ///@{
    /// Marks every sort, or the sorts of the ids, not applied.
    void doRemoveAllSorts();
    void doClearSorts(std::vector<LONG> const& ids);
    ///@}
    /// Exchanges the Index values, and so the order, of two sorts.
    void doSwapSorts(LONG a, LONG b);
    /// Frees the sort unless it is applied; an unknown id changes nothing.
    void doReleaseSort(LONG id);
    /// False for a mode outside 0 to 2; raises 0xC2011214 for a non-zero mode without a base.
    bool doSetSortLinkMode(ZELT_o::LinkMode mode);
    /// Releases every sort (marking the viewpoint dirty, telling nobody).
    void clearAllSorts();
    /// Whether a sort of the table has that name.
    bool sort_name_in_use(PovaString const& name);
    /// In the children first, then in the name lists of this viewpoint's sorts.
    void change_sort_name_instances(PovaString const& oldName, PovaString const& newName);
    /// The root of the sort's chain of ParentIndex links, in this viewpoint's table.
    ZELT_o::Sort* GetSortWithDims(ZELT_o::Sort* sort);

    // --- the property lists as a whole
    /// A deep copy for the caller.
    std::unique_ptr<ViewpointProperties> getProperties();
    /// Replaces every list with a copy of `properties`, which must have one list per cube
    /// dimension and one for the viewpoint (else E_INVALIDARG).
    void setProperties(ViewpointProperties const& properties);
    /// Empties every list of `properties`.
    static void clearPropertyVector(ViewpointProperties* properties);
    /// Every property set back to its initial content: empty, the selections to be made from
    /// the active hierarchies on first use.
    void defaultProperties();

    // --- filters and tuple filters
    /// The viewpoint holds one reference to each filter of its tables; a filter stays there
    /// when it is removed (not applied) and leaves when it is released. `axis` -1 addresses the
    /// filter table, another value the tuple-filter table of that axis. Operations on a
    /// viewpoint whose filter link mode is 2 act on its base viewpoint's filters. An id not in
    /// the table addressed is the plain code E_UNEXPECTED; nothing changes then.
    /// Adds a filter: a tuple filter to its axis's table (an axis below 0 is E_INVALIDARG),
    /// any other to the filter table; names it when it has no name; returns its new id. The
    /// viewpoint must be connected (0xC201120D), and the filter in no table yet (E_INVALIDARG).
    LONG doSetFilter(ZELT_o::Filter* filter);
    /// Applies a filter of the table again; returns the id.
    LONG doSetFilter(LONG id, LONG axis);
    /// Checks every id first, then applies them; one send of events.
    void doSetFilters(std::vector<LONG> const& ids, LONG axis);
    ///@{
    /// Mark filters not applied: one filter or tuple filter, every filter, the filters of the ids,
    /// or the tuple filters of an axis.
    void doRemoveFilter(LONG id, LONG axis);
    void doRemoveAllFilters();
    void doClearFilters(std::vector<LONG> const& ids);
    void doClearTupleFilters(LONG axis);
    ///@}
    /// Exchanges the index values of two filters of the filter table.
    void doSwapFilters(LONG first, LONG second);
    /// Erases a filter that is not applied from its table, which lets it go.
    void doReleaseFilter(LONG id, LONG axis = -1);
    /// False for a mode outside 0 to 2; 0xC2011214 for 1 or 2 without a base viewpoint.
    bool doSetFilterLinkMode(ZELT_o::LinkMode mode);
    void getFilters(std::map<LONG, ZELT_o::Filter*>& filters) override;
    void getAvailableFilters(std::vector<LONG>& ids) override;
    /// The applied filters whose dimensions all stand on the axis.
    void getAvailableFilters(std::vector<LONG>& ids, LONG axis) override;
    void getAvailableTupleFilters(std::vector<LONG>& ids, LONG axis) override;
    void getFilterIndexFromName(PovaString const& name, LONG* id, LONG axis) override;
    void getFilter(LONG id, ZELT_o::Filter** out, LONG axis) override;
    void getAxisFilters(LONG axis, std::vector<LONG>& ids) override;
    void changeFilterUNameInstances(PovaString const& before, PovaString const& after) override;
    /// On the children first, then in every filter's name list.
    void change_filter_name_instances(PovaString const& before, PovaString const& after);
    ///@{
    /// Whether a filter (or tuple filter) of the tables has that name.
    bool filter_name_in_use(PovaString const& name);
    bool tuple_filter_name_in_use(PovaString const& name);
    ///@}
    /// Marks each tuple filter valid or invalid by whether it fits its axis now; then marks the
    /// viewpoint dirty and queues the change of every axis, the cells and the viewpoint. Raises
    /// 0xC201491E when the derived viewpoint cannot serve the result.
    void validateFiltersAndFireEvents();
    /// The next validateFiltersAndFireEvents leaves the tuple filters as they are marked.
    void skipNextFilterValidation() { fSkipFilterValidation = true; }
    /// Marks each tuple filter valid or invalid by whether it fits its axis now.
    void validate_tuple_filters();
    /// Whether any filter, tuple filter or sort applies to the viewpoint.
    bool has_filters_or_sorts();
    /// Erases every filter and tuple filter that lists the dimension: it is leaving the cube.
    void remove_specs(ZELT_o::Dimension const* dimension);
    /// remove_specs for the dimension of that unique name.
    void removeSpecsUName(PovaString const& uniqueName);
    /// Non-zero when an applied tuple filter of the axis refers to a parameter.
    LONG does_axis_contain_parameters(LONG axis);

    // --- persistence
    /// The version the last initialisation from XML read (0 before any).
    float persistenceVersion() const { return fPersistenceVersion; }
    /// Whether the viewpoint holds loaded XML that it initialises from when it connects.
    bool holdsLoadedXml() const { return fPersistenceDocument.loaded(); }

    // --- construction and binding
    /// Back to the state of a new viewpoint (name counters included).
    void init();
    /// Borrowed: the root holds the chain alive through the children's base references.
    ViewpointCommon* getRoot();
    /// Owned by this viewpoint; borrowed until its cube or base changes.
    ViewpointBase* getDerivedViewpoint() const { return fDerivedViewpoint.get(); }
    /// Whether the viewpoint copies its base's layout (axis link mode 1 or 2).
    bool copyParentOrientation() const { return fCopyParentOrientation; }
    ///@{
    /// The steps of a connection: defaults, the axes and their constraints, the layout repaired to
    /// meet them, the dimensions no axis holds added, the property lists made; clearViewpoint
    /// forgets everything of the cube.
    void initialize_all_to_default();
    void defaultOrder();
    void initializeAxes(LONG numViewAxes, LONG numPagedAxes);
    void initializeOrientation(std::vector<ZELT_o::Dimension*> const& dimensions);
    void initialize_constraints();
    void apply_constraints_to_sides();
    void apply_maximums_to_sides();
    void apply_minimums_to_sides();
    void add_additional_dimensions();
    void create_property_lists();
    void clearViewpoint();
    ///@}

    // --- axis and dimension queries
    ///@{
    /// Where dimensions stand: the dimension at a position (or at the n-th place counting across
    /// the axes), the axis (and position) of a dimension, and its index in cube order.
    ZELT_o::Dimension* getDimensionAt(ZELT_o::DimensionPosition position);
    ZELT_o::Dimension* getDimensionAt(LONG n);
    LONG findDimensionAxis(ZELT_o::Dimension const* dimension);
    bool findDimensionAxis(PovaString const& uniqueName, LONG& axis, LONG& position);
    LONG getDimIndex(ZELT_o::Dimension const* dimension);
    ///@}
    /// Records the moves it makes in `undoMoves` (as (from, to) pairs); given recorded moves,
    /// replays them backwards instead.
    void setMaximumDimensions(
        LONG axis, LONG maximum,
        std::vector<std::pair<ZELT_o::DimensionPosition, ZELT_o::DimensionPosition>>& undoMoves);

    // --- state
    /// The query-dirty flag: set by every change, cleared by a query that reached the provider.
    bool isDirty() const { return fDirty; }
    /// Marks the viewpoint changed, tells the derived viewpoint and empties the result cache.
    void dirty_viewpoint();
    ///@{
    /// The number of connections so far, the child viewpoints, the property list of a dimension (by
    /// index; the last is the viewpoint's own), and the number of lists.
    LONG getConnectionCounter() const { return fConnectionCounter; }
    std::vector<ViewpointCommon*> const& getChildren() const { return fChildren; }
    DimensionProperties* getDimensionProperties(LONG index);
    LONG countPropertyLists() const { return static_cast<LONG>(fProperties.size()); }
    ///@}

    // --- events and tree walks
    ///@{
    /// Queue an event for the listeners, send the queue from the root, and walk the tree with a
    /// visitor (visitTree from the root, keeping the viewpoint alive; visitTreeInternal from here).
    void queueEvent(Event const& event);
    void sendEvents();
    void visitTree(ViewpointVisitor& visitor);
    void visitTreeInternal(ViewpointVisitor& visitor);
    ///@}
    ///@{
    /// Store the link mode of one dimension, or of every dimension.
    void setDimensionLinkMode(ZELT_o::Dimension* dimension, ZELT_o::LinkMode mode);
    void setDimensionLinkModes(ZELT_o::LinkMode mode);
    ///@}
    /// The base's dimensions in axis order; empty without a cube.
    void retrieveBaseOrientation(std::vector<ZELT_o::Dimension*>& dimensions);
    /// Tells the child viewpoints whether they are built from an expression.
    void update_children_viewpoint_expression(bool flag);

    // --- orientation
    ///@{
    /// The layout changes the basic command runs (move, swap, swap of axes, new sides,
    /// reorientation, axis type), and their undo.
    void doMoveDim(ZELT_o::DimensionPosition& from, ZELT_o::DimensionPosition& to);
    void doSwapDim(ZELT_o::DimensionPosition& a, ZELT_o::DimensionPosition& b);
    void doSwapAxes(LONG a, LONG b);
    Sides setSides(Sides& sides);
    bool doReorient(PovaString xml);
    void doChangeAxisType(LONG axis, AxisType type);
    bool change_axis_type(LONG axis, AxisType type);
    void doingUndoDimensionMove(ZELT_o::DimensionPosition& from, ZELT_o::DimensionPosition& to);
    void doingUndoDimensionSwap(ZELT_o::DimensionPosition& a, ZELT_o::DimensionPosition& b);
    void doingUndoViewpointReorient();
    ///@}
    /// The number of layout changes that can be undone.
    std::size_t undoDepth() const;
    /// Dimensions whose state returns to defaults at their next access.
    bool isAwaitingDefaultState(ZELT_o::Dimension const* dimension) const;
    /// Takes a dimension out of the set of dimensions awaiting default state; true when it was
    /// in it.
    bool take_dim_default_request(ZELT_o::Dimension const* dimension);

    // --- listener sides
    bool calculationRemoved(ZELT_o::Calculation* calculation, ZELT_o::MemberSet** set,
                            ZELT_o::Member** member) override;
    void calculationChanged(ZELT_o::Calculation* before, ZELT_o::Calculation* after) override;
    /// The cube's structure or data changed.
    void cubeChanged(ZELT_o::CubeEvent* event) override;
    void stopListening() override;
    void stopListeningToDocument() override;
    void parameterChanged(ZELT_o::Parameter* parameter, ZELT_o::Dimension* dimension) override;

protected:
    ~ViewpointCommon() override;

    ///@{
    /// Raises BaseError(code) with module "INTERFACE".
    [[noreturn]] static void throw_error(ZELT_o::MessageCode code);
    [[noreturn]] static void throw_error(ZELT_o::MessageCode code, PovaString const& insert);
    ///@}
    /// The viewpoint's trace lines (module "INTERFACE", component "ViewpointCommon").
    support::TraceLog& tracer() { return *fTrace; }
    /// Address as the trace lines print it ("%x").
    unsigned traceAddress() const;

private:
    // --- ViewpointModifier
    void notifySortChanged(ZELT_o::Sort* sort) override;
    void notifySubTotalChanged(ZELT_o::SubTotal* subTotal) override;
    void notifyFilterChanged(ZELT_o::Filter* filter) override;
    void notifyFormatChanged(ZELT_o::Format* format) override;
    void notifyConnectedToCube() override;
    void notifyDisconnected(bool flag) override;
    void notifyActiveSliceChanged(ZELT_o::Member& member) override;
    void notifyActiveSetChanged(ZELT_o::MemberSet& set) override;
    void notifyUndoActiveSetChanged() override;
    void notifyActiveSelectionChanged(ZELT_o::MemberSet& set) override;
    void notifyActiveHierarchyChanged(ZELT_o::Dimension& dimension,
                                      ZELT_o::Hierarchy* hierarchy) override;
    void notifyDimensionLinkModeChanged(ZELT_o::Dimension& dimension, ZELT_o::LinkMode mode,
                                        bool isRoot) override;
    void notifySidesChanged(Sides& sides) override;
    void notifyCalculationChange(ZELT_o::Hierarchy& hierarchy) override;
    void notifyDimensionMoved(LONG fromAxis, LONG fromPosition, LONG toAxis,
                              LONG toPosition) override;
    void nofityUndoDimensionMoved() override;
    void notifyDimensionSwapped(LONG axisA, LONG positionA, LONG axisB, LONG positionB) override;
    void nofityUndoDimensionSwapped() override;
    void notifyAxesSwapped(LONG axisA, LONG axisB) override;
    void notifyStyleChanged(ZELT_o::Format* format) override;
    void notifyExcludeNullsChanged(LONG axis, bool flag) override;
    void notifyHoldingEvents() override;
    void notifyReleasingEvents() override;
    void notifyOperationsUndone() override;
    void notifyCubeDataChanged() override;
    void notifyAxisTypeChanged(LONG axis, AxisType type) override;
    void notifyViewpointReorient(PovaString xml) override;
    void notifyUndoViewpointReorient() override;
    void sendQueuedEvents(bool force) override;

    // --- Member, member-set and link listener sides
    void variableChanged(ZELT_o::Member* member) override;
    void variableChanged(ZELT_o::MemberSet* set) override;
    void setChangeUndone(ZELT_o::MemberSet* set) override;
    bool forceDeleteOfParameter(ZELT_o::ParameterLink* link) override;

    // --- query fields; a child's collections name its base's as their parents
    void initializeQueryFields();
    // Also destroys the children's, whose parents these are.
    void destroyQueryFields();

    // --- persistence
    // The "Viewpoint" element of `xml`; E_UNEXPECTED when the viewpoint is not connected and
    // holds no loaded XML.
    XmlNode save_common(XmlSupport& xml);
    void save_to_element_common(XmlNode element);
    void save_sides(XmlNode element);
    void save_dimension_properties(XmlSupport& xml, XmlNode element);
    void save_specifications(XmlSupport& xml, XmlNode element);
    // Takes a parsed document as the held XML: initialises from it at once when connected,
    // else keeps it for the connection. Changes nothing when that initialisation fails.
    void take_loaded_xml(XmlSupport document, XmlNode root);
    // From the held XML; the connection walk and a load of a connected viewpoint call it.
    void initialize_all_from_xml();
    void dump_loaded_xml();
    void init_sides_from_xml(XmlNode root);
    void init_calculated_members_from_xml(XmlNode root);
    void init_properties_from_xml(XmlNode root);
    void read_property(XmlNode element, ZELT_o::Dimension& dimension, LONG index);
    void init_misc_from_xml(XmlNode root);
    void init_specifications_from_xml(XmlNode root);
    // Children that copy this viewpoint's orientation take its new layout after a load.
    void relayout_children();
    // The first error an initialisation from XML raised during a connection walk of the
    // tree, taken out of the tree; null when none did.
    std::exception_ptr take_connect_error();
    struct Snapshot;

    // --- dimension properties
    // The five steps of setDimensionProperty, without the reserved names' further handling.
    void store_dimension_property(LONG index, Property const& property, bool followLink,
                                  bool notify);
    void check_property_index(LONG index) const;
    // The property sets at `index` of this viewpoint and of each base viewpoint, nearest
    // first.
    std::vector<DimensionProperties const*> property_chain(LONG index) const;

    // --- helpers
    support::Ref<ViewpointCommon> keep_alive();
    void visit_children(ViewpointVisitor& visitor);
    std::vector<support::Ref<ViewpointCommon>> children_snapshot() const;
    bool is_child(ViewpointCommon const* viewpoint) const;
    // visitTree for callers that already hold this viewpoint alive.
    void walk_tree(ViewpointVisitor& visitor);
    // Walks a layout change; true when a derived viewpoint refused the new layout. The caller
    // holds this viewpoint alive.
    bool walk_layout(ViewpointVisitor& walk);
    // Moves a checked dimension through the tree; true when the new layout was refused.
    bool move_dimension(ZELT_o::DimensionPosition const& from, ZELT_o::DimensionPosition const& to);
    // Raises the error of a move that the sides or their constraints do not allow.
    static void check_move(Sides const& sides, std::vector<Constraint> const& constraints,
                           ZELT_o::DimensionPosition const& from,
                           ZELT_o::DimensionPosition const& to);
    bool axis_type_changeable(LONG axis);
    void forget_cube_objects();
    bool is_ancestor_or_self(ViewpointCommon const* viewpoint) const;
    ViewpointCommon* layout_owner();
    bool forwards_layout() const;
    void release_derived_viewpoint();
    void detach_from_cube();
    void detach_from_document();
    void remove_from_base_child_list();
    LONG cube_dimension_count();
    void queue_axis_events(LONG axisA, LONG axisB);
    void queue_every_axis_changed();
    void queue_dimension_axis_changed(ZELT_o::Dimension const* dimension);
    void queue_data_changed();
    void check_derived_viewpoint();
    void mark_changed_after_layout_change();
    LONG cube_dimension_index(ZELT_o::Dimension const* dimension);
    std::vector<ZELT_o::Dimension*> cube_dimensions();
    bool valid_axis(LONG axis) const;
    void variable_changed(ViewpointVisitor& walk);
    // --- active selections
    void set_active_hierarchy(ZELT_o::Dimension& dimension, ZELT_o::Hierarchy* hierarchy,
                              bool force);
    void set_active_set(ZELT_o::Dimension const& dimension, ZELT_o::MemberSet* set);
    void set_active_slice(ZELT_o::Dimension& dimension, ZELT_o::Member* member, bool quiet);
    void set_active_selection(ZELT_o::Dimension& dimension, ZELT_o::MemberSet* set);
    void set_dim_to_default_if_needed(ZELT_o::Dimension const& dimension);
    ZELT_o::MemberSet* stored_set(LONG index, DimensionProperties::Reserved slot,
                                  PovaString const& name, LONG kind);
    // The base, when the dimension's state is the base's (link mode 2); else null.
    ViewpointCommon* dimension_state_owner(ZELT_o::Dimension const& dimension);
    // False (after an assertion naming `what`) when the dimension stands on an excluded axis.
    bool check_not_excluded(ZELT_o::Dimension const& dimension, char const* assertion);
    // The member set a bound field-list parameter supplies, or null: parameter links come
    // later and bind nothing yet.
    ZELT_o::MemberSet* parameter_field_set(ZELT_o::Dimension const& dimension);
    ZELT_o::Member* parameter_section_member(ZELT_o::Dimension const& dimension);
    // The viewpoint listens to the member sets and members its properties hold.
    void listen_to_properties(bool listen);
    // Whether any property still holds that member set or member.
    bool holds_object(void const* object) const;
    void clear_property_lists();
    void copy_layout_from(ViewpointCommon const& base);
    bool take_layout_rejection();
    struct Orientation;
    // Reads an orientation from XML and makes it whole: every cube dimension once, every
    // axis within its constraints. False when the text does not describe one.
    bool read_orientation(PovaString const& xml, Orientation& orientation);
    // The same from a "SidesNode" element. `version` is the persisted version: above 11.5 each
    // side names its axis type, below it the types follow from the positions; a negative
    // version takes a named type where there is one.
    bool read_orientation(XmlNode sides, float version, Orientation& orientation);
    void take_orientation(Orientation&& orientation);

    // Fields in the order of the model.
    bool fListeningToCube = false;
    bool fListeningToDocument = false;
    ZELT_o::Cube* fCube = nullptr;
    support::Ref<ViewpointCommon> fBaseViewpoint;
    std::vector<std::unique_ptr<DimensionProperties>> fProperties;
    bool fCopyParentOrientation = true;
    LONG fNumViewAxes = 0;
    LONG fNumPagedAxes = 1;
    Sides fSides;
    std::set<ZELT_o::Dimension const*> fDimsAwaitingDefault;
    std::vector<AxisType> fAxisTypes;
    std::vector<Constraint> fSideConstraints;
    std::vector<bool> fExcludeNulls;
    std::unique_ptr<ViewpointBase> fDerivedViewpoint;
    XmlSupport fPersistenceDocument;
    // The "Viewpoint" element of the held document.
    XmlNode fPersistenceRoot;
    float fPersistenceVersion = 0;
    // Set by a connection walk whose initialisation from XML failed (the viewpoint then took
    // its defaults); the operation that started the walk raises it.
    std::exception_ptr fConnectError;
    PovaString fExpression;
    bool fInitFromExpression = false;
    // Sorts, filters and tuple filters are named from 0 (Sort0, Filter0, TupleFilter0).
    LONG fSortNameCounter = 0;
    LONG fFilterNameCounter = 0;
    LONG fTupleFilterNameCounter = 0;
    LONG fFormatNameCounter = 1;
    LONG fSubTotalNameCounter = 1;
    LONG fNewDimensionAxis = -1;
    LONG fID = 0;
    bool fDirty = false;
    bool fChangedSinceLastPersist = false;
    ZELT_o::LinkMode fSortLinkMode = ZELT_o::kLinkOwn;
    ZELT_o::LinkMode fFilterLinkMode = ZELT_o::kLinkOwn;
    ZELT_o::LinkMode fFormatLinkMode = ZELT_o::kLinkOwn;
    std::vector<ZELT_o::LinkMode> fDimensionLinkModes;
    std::vector<ZELT_o::Hierarchy*> fActiveHierarchies;
    // --- sorts
    // The viewpoint whose sort table the operations change: this one, or the base reached
    // through sort link mode 2.
    ViewpointCommon* sort_owner();
    // The base, when the queries read its sorts (a non-zero mode); else null.
    ViewpointCommon* sort_reader();
    // Whether any sort is in force for the queries (getAvailableSorts).
    bool has_sorts();
    // The sort of that id in this viewpoint's own table; E_UNEXPECTED (plain) when absent.
    ZELT_o::Sort& own_sort(LONG id);
    // The applied root sorts of this viewpoint's own table, by ascending Index.
    std::vector<LONG> own_available_sorts();
    void walk_sort(ZELT_o::Sort* root);
    void send_sort_events();
    // Forgets every sort of this viewpoint's own table (with its cube, on load), telling
    // nobody.
    void drop_sorts();
    // Applies the listed sorts, or takes them off, after finding every one of them.
    void set_sorts_applied(std::vector<LONG> const& ids, bool applied);
    void save_sorts(XmlSupport& xml, XmlNode viewpointElement);
    void init_sorts_from_xml(XmlNode root);
    // Id -> sort, ordered by id.
    std::map<LONG, std::unique_ptr<ZELT_o::Sort>> fSorts;
    // Never reset: an id that a command still names never comes to mean another sort.
    LONG fNextSortId = 0;
    // Set while saved sorts are replayed: their events wait for those of the whole load.
    bool fReplayingSorts = false;
    std::unique_ptr<EventDispatcher> fDispatcher;
    std::vector<ViewpointCommon*> fChildren;
    LONG fConnectionCounter = 0;
    ZELT_o::Document* fDocument = nullptr;
    bool fParameterStrictness = true;
    std::vector<std::unique_ptr<DimensionMoveOp>> fDimensionMoveUndoStack;
    bool fSwapUndo = false;
    bool fMoveUndo = false;
    bool fActiveSetUndo = false;
    // One record per recorded member-set change, newest last.
    struct ActiveSetRecord {
        support::Ref<ZELT_o::MemberSet> set;
        /// The filters the change made invalid, valid again when it is undone.
        std::vector<ZELT_o::Filter*> filters;
    };
    std::vector<ActiveSetRecord> fActiveSetUndoStack;
    LONG fCellRow = -1;
    LONG fCellColumn = -1;
    PovaString fUniqueName;
    GUID fGUID;
    GUID fDocumentGUID;
    std::unique_ptr<support::TraceLog> fTrace;
    std::unique_ptr<CacheCommon> fCache;
    support::Ref<ZELT_o::QueryFieldsData> fCellQueryFields;
    // One per view and paged axis.
    std::vector<support::Ref<ZELT_o::QueryFieldsData>> fAxisQueryFields;
    // Set by a layout notification when the derived viewpoint cannot serve the new layout;
    // the operation that started the walk raises the error once the whole tree has changed.
    bool fLayoutRejected = false;

    // --- filters and tuple filters
    using FilterTable = std::map<LONG, support::Ref<ZELT_o::Filter>>;
    // The viewpoint whose filters operations act on (following bases while the link mode is
    // 2), and the one whose filters queries read (while it is not 0).
    ViewpointCommon* filter_owner();
    ViewpointCommon* filter_reader();
    // The table `axis` addresses; null for an axis without tuple filters.
    FilterTable* filter_table(LONG axis);
    // The filter of that id, or E_UNEXPECTED.
    ZELT_o::Filter& table_filter(LONG id, LONG axis);
    // The applied filters of a table, by index value, then id.
    static std::vector<LONG> applied_ids(FilterTable const& table);
    void name_filter(ZELT_o::Filter& filter);
    // Marks the viewpoint changed and walks the filter's change through the tree.
    void filter_changed(ZELT_o::Filter* filter);
    // Drops every filter and tuple filter: when the cube goes (they name its dimensions) and
    // before a load replaces them.
    void clear_filters();
    // The axis on which all of a filter's dimensions stand, or -1.
    LONG filter_axis(ZELT_o::Filter const& filter);
    // Marks invalid, and lists in `invalidated`, each valid tuple filter of the axis whose
    // dimensions include all of `dimensions`.
    void invalidate_tuple_filters(LONG axis,
                                  std::vector<ZELT_o::Dimension const*> const& dimensions,
                                  std::vector<support::Ref<ZELT_o::Filter>>& invalidated);
    // After a reorientation: each valid tuple filter that no longer fits its axis.
    void invalidate_unfitting_tuple_filters(std::vector<support::Ref<ZELT_o::Filter>>& invalidated);
    static void revalidate(std::vector<support::Ref<ZELT_o::Filter>> const& filters);
    void validate_filters_and_queue_events();
    void save_filters(XmlSupport& xml, XmlNode viewpointElement);
    void save_tuple_filters(XmlSupport& xml, XmlNode viewpointElement);
    void init_filters_from_xml(XmlNode root);
    void init_tuple_filters_from_xml(XmlNode root);
    // Replays one saved filter through a filter command; false when the section's reading
    // stops. `viewpoint` is what a tuple filter's validity is checked against.
    bool replay_filter(XmlNode element, ZELT_o::Cube* cube, ZELT_o::Viewpoint* viewpoint);

    FilterTable fFilters;
    // Axis -> that axis's tuple filters.
    std::map<LONG, FilterTable> fTupleFilters;
    LONG fNextFilterId = 0;
    LONG fNextTupleFilterId = 0;
    bool fSkipFilterValidation = false;
};

}  // namespace common
