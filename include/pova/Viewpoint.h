/// @class ZELT_o::Viewpoint
/// A pivot-style view of one cube, with view axes and paged axes holding its
/// dimensions. Changed through commands and reports every change to its ViewpointListeners.
///
/// A viewpoint tree is used from one thread at a time. Dimensions it returns are borrowed from
/// its cube; getCube() and getBaseViewpoint() hand one reference to the caller.
#pragma once

#include <basekit/Guid.h>
#include <basekit/OleAuto.h>
#include <basekit/PovaString.h>
#include <basekit/XmlNode.h>
#include <pova/Queryable.h>
#include <pova/Types.h>
#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>

#include <iosfwd>
#include <map>
#include <vector>

namespace ZELT_o {

class Cube;
class Dimension;
class Document;
class Expression;
class Filter;
class Hierarchy;
class Member;
class MemberSet;
class ParameterLink;
class QueryFieldsData;
class Sort;
class ViewpointCommand;
class ViewpointListener;

class POVA_API Viewpoint : public support::LegacyRefCount, public Queryable {
public:
    /// What an axis does with its dimensions; 0 means none.
    enum AxisType : LONG {
        kNoAxisType = 0,
        kView = 1,
        kSlice = 2,
        kHidden = 3,
        kExcluded = 4,
    };

    /// The kinds of command a viewpoint hands out (createCommand).
    enum class CommandType : LONG {
        Basic = 0,
        ProviderCommand1 = 1,
        Sort = 2,
        Filter = 3,
        CalculateMember = 4,
        Format = 5,
        Transaction = 6,
        ProviderCommand7 = 7,
        Style = 8,
        Expression = 9,
        SidesConstraints = 10,
        SubTotal = 11,
    };

    ///@{
    /// Names of the reserved dimension properties.
    static constexpr char const* FIELDLIST = "Fieldlist";
    static constexpr char const* SELECTEDFIELDS = "SelectedFields";
    static constexpr char const* SECTIONFIELD = "SectionField";
    static constexpr char const* PARAMFIELDLINK = "ParameterFieldLink";
    static constexpr char const* PARAMSECTIONLINK = "ParameterSectionLink";
    static constexpr char const* PARAMSELECTIONLINK = "ParameterSelectionLink";
    static constexpr char const* AXISINFO = "AxisInfo";
    ///@}

    /// One named property of a dimension or of the viewpoint. Object kinds hold a reference to
    /// their object, stored in the value by reference (VT_BYREF).
    class POVA_API Property {
    public:
        /// What a property holds: a plain value or one of three kinds of object.
        enum PropertyType : LONG {
            kValue = 0,
            kMemberSet = 1,
            kMember = 2,
            kParameterLink = 3,
        };

        /// An empty property: no name, an empty value, type 0.
        Property();
        ///@{
        /// A named property holding a plain value, or a reference to a member set, member or
        /// parameter link.
        Property(PovaString name, VARIANT const& value);
        Property(PovaString name, MemberSet* set);
        Property(PovaString name, Member* member);
        Property(PovaString name, ParameterLink* link);
        ///@}
        /// Copies the name and value, with a reference of its own to the object.
        Property(Property const& other);
        /// Takes the other's name, value and object; the other is left empty (type 0).
        Property(Property&& other) noexcept;
        ///@{
        /// Replaces this property by a copy of the other, or by the other itself.
        Property& operator=(Property const& other);
        Property& operator=(Property&& other) noexcept;
        ///@}
        virtual ~Property();

        ///@{
        /// The property's name.
        PovaString const& getName() const { return fName; }
        void setName(PovaString const& name) { fName = name; }
        ///@}
        /// The value; for object kinds VT_BYREF holding the object pointer.
        VARIANT const& getValue() const { return fValue; }
        /// Stores a plain value (type 0), dropping any object held.
        void setValue(VARIANT const& value);
        ///@{
        /// The kind of property (PropertyType).
        LONG getType() const { return fType; }
        void setType(LONG type) { fType = type; }
        ///@}

        ///@{
        /// The object of an object kind, or null.
        MemberSet* getMemberSet() const;
        Member* getMember() const;
        ParameterLink* getParameterLink() const;
        ///@}

    private:
        void hold_object(void* object, LONG type);
        void drop_object();

        PovaString fName;
        VARIANT fValue;
        LONG fType = kValue;
    };

    // Slot order of the object API (operations a later subsystem adds are inserted in place).

    /// A new command of that kind, one reference for the caller; null when the viewpoint does
    /// not support the kind. Every change a client makes goes through a command.
    virtual ViewpointCommand* createCommand(CommandType type) = 0;
    /// Whether the viewpoint (and its provider) can make commands of that kind.
    virtual bool isCommandSupported(CommandType type) = 0;
    /// Starts a transition: listeners hear transitionStarted() at once, then nothing until
    /// releaseEvents().
    virtual void holdEvents() = 0;
    /// Ends the transition: the events held meanwhile are sent, then transitionCompleted().
    virtual void releaseEvents() = 0;
    /// Abandons the transition: the events held are dropped and listeners hear transitionAborted().
    virtual void operationsUndone() = 0;
    /// Whether this viewpoint is holding its events.
    virtual bool eventsHeld() = 0;
    /// Lets the provider build the layout from an expression.
    virtual void initialiseFromExpression(PovaString& expression) = 0;
    ///@{
    /// Checks (and may rewrite) an expression for the server, or a calculation's formula; both
    /// are answered by the provider.
    virtual bool validateServerExpression(PovaString& expression) = 0;
    virtual bool validateCalculationExpression(PovaString const& expression) = 0;
    ///@}
    /// The text of the query the provider would run (or last ran) for the property list.
    virtual PovaString retrieveLastQuery(std::vector<PropertySpecification>* properties) = 0;
    ///@{
    /// Registers or removes a listener; listeners are not counted.
    virtual void addListener(ViewpointListener* listener) = 0;
    virtual void removeListener(ViewpointListener* listener) = 0;
    ///@}
    ///@{
    /// The property requests for the cells and for each axis (0 to the number of view plus
    /// paged axes minus 1, not checked). Borrowed: valid until the viewpoint disconnects.
    virtual QueryFieldsData* getCellQueryFields() = 0;
    virtual QueryFieldsData* getAxisQueryFields(int axis) = 0;
    ///@}
    /// The smallest and the largest cell value of the query's result.
    virtual void getMinMaxOnView(std::vector<PropertySpecification>* properties, double& first,
                                 double& second) = 0;
    /// The viewpoint this one derives from (one reference for the caller), or null.
    virtual Viewpoint* getBaseViewpoint() = 0;
    /// Makes this viewpoint derive from `base` (which gives it its cube), with the given numbers of
    /// view and paged axes; null detaches it.
    virtual void setBaseViewpoint(Viewpoint* base, LONG numViewAxes, LONG numPagedAxes) = 0;
    /// Binds the viewpoint to a cube with the given numbers of view and paged axes; null unbinds
    /// it. Connecting builds the default layout, or the one loaded before.
    virtual void setCube(Cube* cube, LONG numViewAxes, LONG numPagedAxes) = 0;
    /// The cube (one reference for the caller), or null when unbound.
    virtual Cube* getCube() = 0;
    /// Whether the viewpoint is bound to a cube, directly or through its base.
    virtual bool isConnected() = 0;
    /// Replaces the layout: one list of dimension unique names per axis.
    virtual void setAxes(std::vector<std::vector<PovaString>> const& axes, bool flag) = 0;
    /// The type of an axis (view axes first, then paged axes).
    virtual AxisType getAxisType(LONG axis) = 0;
    ///@{
    /// The axis that receives the cube dimensions no axis holds yet; by default the first paged
    /// axis.
    virtual LONG getNewDimensionAxis() = 0;
    virtual void setNewDimensionAxis(LONG axis) = 0;
    ///@}
    ///@{
    /// The active member set, selection, slice and hierarchy of a dimension, made on first
    /// use. Borrowed: the viewpoint holds them until the dimension's state changes (the
    /// dimension's change event) or the cube goes away.
    virtual MemberSet* getCurrentSet(Dimension const& dimension) = 0;
    virtual MemberSet* getCurrentSelection(Dimension& dimension) = 0;
    virtual Member* getCurrentSection(Dimension const& dimension) = 0;
    ///@}
    /// The hierarchies the viewpoint may use for the dimension (borrowed from the cube).
    virtual std::vector<Hierarchy*> getHierarchies(Dimension& dimension) = 0;
    /// The hierarchy the viewpoint uses for the dimension (borrowed from the cube).
    virtual Hierarchy* getActiveHierarchy(Dimension const& dimension) = 0;
    ///@{
    /// The number of view axes, and of paged axes after them.
    virtual LONG countAxes() = 0;
    virtual LONG countPagedAxes() = 0;
    ///@}
    /// The dimensions on an axis, outermost first (borrowed from the cube).
    virtual std::vector<Dimension*>& getAxisDimensions(LONG axis) = 0;
    ///@{
    /// The fewest and the most dimensions an axis may hold.
    virtual LONG minimumDimensions(LONG axis) = 0;
    virtual LONG maximumDimensions(LONG axis) = 0;
    ///@}
    /// The sort table, id -> sort (borrowed from the viewpoint).
    virtual void getSorts(std::map<LONG, Sort*>& sorts) = 0;
    /// Properties. Index: a dimension's position in cube order; the last index is the
    /// viewpoint's own set, which the *Property operations use. An index outside the list
    /// raises 0xC2011205. A child viewpoint sees its base viewpoints' properties too: a name is
    /// read from the nearest viewpoint that defines it.
    virtual LONG countProperties() = 0;
    ///@{
    /// The viewpoint's own properties, by name or by index; with `followLink` read from (or set in)
    /// a base viewpoint when this one lacks the name.
    virtual bool readProperty(PovaString const& name, Property* out, bool followLink) = 0;
    virtual bool readProperty(LONG i, Property* out) = 0;
    virtual void setProperty(Property const& property, bool followLink, bool notify) = 0;
    ///@}
    /// The number of distinct names visible at the index: this viewpoint's, then each base
    /// viewpoint's names not yet counted.
    virtual LONG countDimensionProperties(LONG index) = 0;
    /// The named property copied to `out`; false when absent. With `followLink`, the selection
    /// and link names of a dimension that shares its base's state are read there, and another
    /// name this viewpoint lacks is read from the nearest base that has it.
    virtual bool readDimensionProperty(LONG index, PovaString const& name, Property* out,
                                       bool followLink) = 0;
    /// The i-th property in countDimensionProperties' order; false when i is past the end.
    virtual bool readDimensionProperty(LONG index, LONG i, Property* out) = 0;
    /// Stores a property. With `notify`, a member set, selection, slice or axis information
    /// (the reserved names) takes effect as the matching setter would, with its events; without,
    /// it is stored quietly. With `followLink`, a name the base holds is set there.
    virtual void setDimensionProperty(LONG index, Property const& property, bool followLink,
                                      bool notify) = 0;
    ///@{
    /// Whether an axis leaves out its lines whose cells are all empty.
    virtual bool isAxisNULLFiltered(LONG axis) = 0;
    virtual void setAxisExcludeNULLs(LONG axis, bool exclude) = 0;
    ///@}
    /// Filters and tuple filters, by id: `axis` -1 addresses the filters, any other the tuple
    /// filters of that axis (tuple-filter ids are counted over all axes). A viewpoint whose
    /// filter link mode is not 0 answers with its base viewpoint's. Filters handed out are
    /// borrowed: valid while the viewpoint holds them. An id not in the table addressed is the
    /// plain code E_UNEXPECTED.
    virtual void getFilters(std::map<LONG, Filter*>& filters) = 0;
    ///@{
    /// The ids of the applied filters (those that apply to the axis), by their index values.
    virtual void getAvailableFilters(std::vector<LONG>& ids) = 0;
    virtual void getAvailableFilters(std::vector<LONG>& ids, LONG axis) = 0;
    virtual void getAvailableTupleFilters(std::vector<LONG>& ids, LONG axis) = 0;
    ///@}
    /// The id of the first filter of that name; none is the plain code E_INVALIDARG.
    virtual void getFilterIndexFromName(PovaString const& name, LONG* id, LONG axis) = 0;
    /// The filter (or, with an axis, tuple filter) of an id, borrowed.
    virtual void getFilter(LONG id, Filter** out, LONG axis) = 0;
    /// The ids of the filters over the dimensions of an axis.
    virtual void getAxisFilters(LONG axis, std::vector<LONG>& ids) = 0;
    /// Every name-list entry equal to `before` (a unique name) becomes `after`.
    virtual void changeFilterUNameInstances(PovaString const& before, PovaString const& after) = 0;
    ///@{
    /// How the viewpoint follows its base for sorts, filters, formats, the layout and a dimension's
    /// state: 0 its own, 1 or 2 linked.
    virtual LinkMode getSortLinkMode() = 0;
    virtual LinkMode getFilterLinkMode() = 0;
    virtual LinkMode getFormatLinkMode() = 0;
    virtual LinkMode getAxisLinkMode() = 0;
    virtual LinkMode getDimensionLinkMode(Dimension const* dimension) = 0;
    ///@}
    ///@{
    /// A member's label changed (of a dimension, of a unique name, or any): the listeners redraw
    /// what shows it.
    virtual void notifyMemberLabelChanged(Dimension& dimension) = 0;
    virtual void notifyMemberLabelChanged(PovaString const& uniqueName) = 0;
    virtual void notifyMemberLabelChanged() = 0;
    ///@}
    /// The axis information of the dimension of that unique name changed.
    virtual void notifyAxisInfoChanged(PovaString const& uniqueName) = 0;
    ///@{
    /// The selected cell (row, column); -1, -1 when none.
    virtual void getCellSelection(LONG* row, LONG* column) = 0;
    virtual void setCellSelection(LONG row, LONG column) = 0;
    ///@}
    /// A new empty expression tree, one reference for the caller.
    virtual void CreateNewExpression(Expression** expression) = 0;
    /// Persistence: one "Viewpoint" element. A viewpoint that is not connected keeps what it
    /// loads and initialises from it when it connects; until then it saves that XML back.
    /// Writes a whole document; `clearDirty` clears ChangedSinceLastPersist. Throws
    /// ResultError(E_UNEXPECTED) when there is nothing to save (not connected, nothing loaded)
    /// and ResultError(E_FAIL) when the stream fails.
    virtual void save(std::ostream& stream, bool clearDirty) = 0;
    /// Reads a document. A load that fails (ResultError(E_FAIL) for text that is not a viewpoint
    /// document, or the error of a connected viewpoint's initialisation) changes nothing.
    virtual void load(std::istream& stream) = 0;
    /// A new "Viewpoint" element of `document` (detached unless it became the document's
    /// element).
    virtual XmlNode saveXML(XmlNode document, bool clearDirty) = 0;
    /// Writes the viewpoint's attributes and children into `element`.
    virtual void saveXmlToElement(XmlNode element, bool clearDirty) = 0;
    /// The provider's own form; raises 0xC2011215 without a derived viewpoint.
    virtual void saveExplicitXmlToElement(XmlNode element) = 0;
    /// Loads the first "Viewpoint" element at or below `node`, as load does.
    virtual void loadXML(XmlNode node) = 0;
    /// Whether the viewpoint changed since it was last saved or loaded.
    virtual bool ChangedSinceLastPersist() = 0;
    ///@{
    /// A number the client gives the viewpoint.
    virtual LONG getID() = 0;
    virtual void setID(LONG id) = 0;
    ///@}
    ///@{
    /// A name the client gives the viewpoint.
    virtual PovaString getUniqueName() = 0;
    virtual void setUniqueName(PovaString const& name) = 0;
    ///@}
    /// Forgets every cached result, so that the next query goes to the provider; true.
    virtual bool dropLastQuery() = 0;
    ///@{
    /// The client's text about where a dimension stands (the "AxisInfo" property).
    virtual PovaString getAxisInfo(Dimension const& dimension) = 0;
    virtual void setAxisInfo(Dimension const& dimension, PovaString const& info) = 0;
    ///@}
    /// The document the viewpoint belongs to (held with a reference), or null.
    virtual void setDocument(Document* document) = 0;
    /// The document (one reference for the caller), or null.
    virtual Document* getDocument() = 0;
    /// The layout: the dimensions of every axis, view axes first.
    virtual std::vector<std::vector<Dimension*>> getSides() = 0;
    ///@{
    /// The expression the viewpoint may be built from, and whether it is.
    virtual PovaString getExpression() = 0;
    virtual void setExpression(PovaString const& expression) = 0;
    virtual bool getInitFromExpression() = 0;
    virtual void setInitFromExpression(bool flag) = 0;
    ///@}
    /// Where a dimension stands: its axis and its place on it.
    virtual DimensionPosition getPosition(Dimension* dimension) = 0;
    ///@{
    /// The identities of the viewpoint's document and of the viewpoint.
    virtual GUID getDocumentGUID() = 0;
    virtual GUID getGUID() = 0;
    ///@}
    ///@{
    /// Whether parameter values must match the cube strictly; kept by the root of the tree.
    virtual bool setParameterStrictness(bool strict) = 0;
    virtual bool getParameterStrictness() = 0;
    ///@}
    /// The axis of the dimension of that unique name.
    virtual LONG getAxisByDimUniqueName(PovaString const& uniqueName) = 0;
    ///@{
    /// Sorts (ZELT_o::Sort): the ids of the applied root sorts by ascending Index, of one axis
    /// (those whose dimensions are exactly the axis's) or of all; the id of the first sort of a
    /// name (E_INVALIDARG as a plain code when none has it); the sort of an id, or null
    /// (borrowed from the viewpoint); and a sort-name change carried into every sort's name
    /// list, in the child viewpoints too.
    virtual void getAvailableSorts(std::vector<LONG>& ids, LONG axis) = 0;
    virtual void getAvailableSorts(std::vector<LONG>& ids) = 0;
    virtual void getSortIndexFromName(PovaString const& name, LONG* id) = 0;
    virtual void getSort(LONG id, Sort** sort) = 0;
    virtual void getAxisSorts(LONG axis, std::vector<LONG>& ids) = 0;
    virtual void changeSortUNameInstances(PovaString const& oldName, PovaString const& newName) = 0;
    ///@}

protected:
    /// Derived classes pass their trace name (`module`) and instance number.
    Viewpoint(char const* module, LONG instance) : support::LegacyRefCount(module, instance) {}
    ~Viewpoint() override;
};

}  // namespace ZELT_o
