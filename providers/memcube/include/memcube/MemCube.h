/// @class memcube::MemCube
/// A cube of the reference in-memory provider, built by memcube::CubeBuilder.
///
/// Structure. Each dimension has a default hierarchy with the dimension's name, and may have
/// others over the same leaves grouped differently. A hierarchy has an All member on top, on the
/// level "(All)" (depth 0), then the levels given to the builder; the Measures dimension has no
/// All member and one level, "MeasuresLevel", of measures. The default member is the All
/// member, or the first measure.
///
/// Unique names (every part in brackets, "]" inside a name doubled):
/// @verbatim
///   cube        [Sales]
///   dimension   [Time]                   (its default hierarchy has the same unique name)
///   level       [Time].[Year]            (the All level: [Time].[(All)])
///   All member  [Time].[All Time]
///   member      [Time].[2024], [Time].[2024].[Q1], [Time].[2024].[Q1].[Jan]
///   hierarchy   [Time].[Fiscal]          (another one; its names go on from there:
///               [Time].[Fiscal].[All Fiscal], [Time].[Fiscal].[FY2024].[Jan])
///   measure     [Measures].[Sales]
///   calculation the hierarchy's unique name followed by .[name]
///   named set   [Top Cities]
/// @endverbatim
///
/// Name classes of classifyName: 1 member, 2 level, 4 dimension, 5 measure, 6 named set, 0
/// unknown (a dimension and its hierarchy share one name; the answer is the dimension). Names
/// compare case-insensitively and may come with or without surrounding brackets. Unique names
/// are tried first; then plain names, in the order dimension, level, member (a measure
/// answers 5), calculation (as a member, or a measure on Measures), named set; the first match
/// in cube order wins, so "Q1" names the first quarter found. On success the name is replaced
/// by the canonical unique name. Only default hierarchies are searched (here and by findMember);
/// the members of another hierarchy are found through it.
///
/// Values. Every measure is a double: a cell is the VT_R8 sum of its measure over the facts
/// under all of its coordinates, or VT_EMPTY when no fact lies there. Calculations are stored,
/// saved and loaded, but their formulas are not evaluated.
///
/// Ownership. The cube owns its dimensions, hierarchies, levels, members and calculations;
/// pointers to them are borrowed and stay valid while the cube lives. Member sets (fixed
/// lists) borrow their members too; result sets and their chunks keep the cube alive. When the cube
/// goes away it tells its Cube::Listeners stopListening() first.
///
/// Threads. Counting is thread-safe and queries only read the immutable structure and facts
/// (a query may itself run its pass over the facts on several threads: setThreadCount);
/// changes (listeners, calculations, parameters, named sets) need one thread at a time.
#pragma once

#include <memcube/FactSource.h>
#include <memcube/Layout.h>
#include <memcube/memcube_export.h>
#include <pova/Cube.h>
#include <pova/ViewResultSet.h>
#include <pova/support/Ref.h>

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ZELT_o {
class Hierarchy;
class Parameter;
}  // namespace ZELT_o

namespace memcube {

class FactTable;
class MemCalculation;
class MemDimension;
class MemHierarchy;
class MemMember;

class MEMCUBE_API MemCube final : public ZELT_o::Cube {
public:
    /// The provider name under which memcube's library is registered.
    static constexpr char const* kProviderName = "memcube";

    // --- support::NamedPart
    PovaString getName() const override { return fName; }
    PovaString getUniqueName() const override;
    PovaString getCaption() const override { return fName; }

    // --- FavoritesCollection::FavoritesCollectionListener
    void favoritesChanged() override {}

    // --- ZELT_o::Cube
    PovaString getProviderName() const override;
    void registerViewpoint(ZELT_o::Viewpoint* viewpoint) override;
    void unregisterViewpoint(ZELT_o::Viewpoint* viewpoint) override;
    bool addCubeListener(Listener* listener) override;
    void removeCubeListener(Listener* listener) override;
    void addListener(ZELT_o::CubeListener* listener) override;
    void removeListener(ZELT_o::CubeListener* listener) override;
    LONG countDimensions() const override;
    ZELT_o::Dimension* getDimension(LONG ordinal) const override;
    void getDimensions(std::vector<ZELT_o::Dimension*>& dimensions) const override;
    ZELT_o::Dimension* findDimension(PovaString const& uniqueName) const override;
    ZELT_o::Document* getDocument() const override { return nullptr; }
    bool getDefaultExcludeEmpty() const override { return fDefaultExcludeEmpty; }
    LONG classifyName(PovaString& name) const override;
    void getParameters(std::vector<ZELT_o::Parameter*>& parameters) const override;
    bool hasCalculations() const override;
    ZELT_o::Calculation* createCalculation() override;
    ZELT_o::Calculation* findCalculation(PovaString const& uniqueName) const override;
    /// Writes one "CalculatedMember" child element per calculation.
    void saveCalculations(XmlSupport& xml, XmlNode element) const override;

    // --- memcube
    /// Computes the result set of a layout (a snapshot that keeps the cube alive). Throws
    /// ResultError(E_INVALIDARG) for a member of another cube or a dimension given twice, and
    /// ResultError(E_OUTOFMEMORY) when the result would exceed kMaxCells cells.
    support::Ref<ZELT_o::ViewResultSet> evaluate(Layout const& layout);
    /// As evaluate; a cube whose cells come from a fact source lets it leave out what
    /// `narrowing` allows (see FactSource::aggregateNarrowed), and `narrowed` tells whether it
    /// did. A cube that scans its own facts computes every cell.
    support::Ref<ZELT_o::ViewResultSet> evaluate(Layout const& layout, Narrowing const& narrowing,
                                                 bool& narrowed);
    /// Whether evaluate would compute the layout: valid and within kMaxCells.
    bool canEvaluate(Layout const& layout);
    /// The most cells a result may have.
    static constexpr long long kMaxCells = 16LL * 1024 * 1024;
    /// The layout a query of the viewpoint computes, from its axes and the active member sets
    /// and slices of their dimensions (which the viewpoint may make on first use).
    static Layout layoutOf(ZELT_o::Viewpoint& viewpoint);
    /// canEvaluate(layoutOf(viewpoint)), found from the sizes of the active member sets without
    /// copying their members or allocating: the viewpoint asks it on every layout change.
    bool canEvaluate(ZELT_o::Viewpoint& viewpoint);

    /// A member set of the given members of one hierarchy (kind 0), one reference for the
    /// caller; null when a member is null or of another hierarchy.
    ZELT_o::MemberSet* createMemberSet(ZELT_o::Hierarchy* hierarchy,
                                       std::vector<ZELT_o::Member*> const& members);
    /// The Measures dimension (borrowed).
    ZELT_o::Dimension* getMeasures() const;
    /// A member of any dimension by unique name or name, as classifyName finds it; null when
    /// unknown.
    ZELT_o::Member* findMember(PovaString const& name) const;
    /// The number of facts (facts with the same coordinates count once).
    LONG countFacts() const;
    /// The number format string a memcube measure's cells are shown with (CubeBuilder's
    /// measureFormat); "" for a measure without one and for any other member.
    static PovaString measureFormat(ZELT_o::Member const* member);

    /// The threads a query spreads its pass over the facts on, and a large load its facts: 0
    /// (the default) lets memcube choose, from the environment variable POVA_MEMCUBE_THREADS
    /// when it holds a number, else from the machine's cores. Every result is the same to the
    /// last bit whatever the count. For the whole process.
    static void setThreadCount(unsigned count);
    /// The count in force (at least 1).
    static unsigned threadCount();

    /// What getDefaultExcludeEmpty() answers.
    void setDefaultExcludeEmpty(bool exclude) { fDefaultExcludeEmpty = exclude; }
    /// Parameters expressions may refer to; the cube holds a reference to each.
    void addParameter(ZELT_o::Parameter* parameter);
    /// A named set classifyName knows (class 6); its members are not used by queries.
    void addNamedSet(PovaString const& name);

    // --- used by the provider's own objects
    /// The fact table.
    FactTable const& facts() const { return *fFacts; }
    /// Where the cells come from instead of the fact table (CubeBuilder::factSource), or null.
    FactSource* factSource() const { return fFactSource.get(); }
    /// A dimension by ordinal, or null.
    MemDimension* memDimension(LONG ordinal) const;
    /// A new identity for a calculation.
    LONG nextCalculationId() { return ++fLastCalculationId; }
    ///@{
    /// Tell the cube's listeners that a calculation was added, removed or replaced.
    void notifyCalculationAdded(ZELT_o::Calculation* calculation);
    void notifyCalculationRemoved(ZELT_o::Calculation* calculation);
    void notifyCalculationChanged(ZELT_o::Calculation* before, ZELT_o::Calculation* after);
    ///@}

private:
    friend class CubeBuilder;

    explicit MemCube(PovaString name);
    ~MemCube() override;

    void add_dimension(support::Ref<MemDimension> dimension);
    void set_facts(std::unique_ptr<FactTable> facts);
    void set_fact_source(std::shared_ptr<FactSource> source) { fFactSource = std::move(source); }

    PovaString fName;
    std::vector<support::Ref<MemDimension>> fDimensions;
    // Lookup keys of the dimensions' unique names and names to the first position that has
    // them: findDimension runs for every dimension a saved viewpoint names.
    std::unordered_map<PovaString, std::size_t> fDimensionsByUniqueKey;
    std::unordered_map<PovaString, std::size_t> fDimensionsByNameKey;
    std::unique_ptr<FactTable> fFacts;
    std::shared_ptr<FactSource> fFactSource;
    std::vector<support::Ref<ZELT_o::Parameter>> fParameters;
    std::vector<PovaString> fNamedSets;
    // Registrations and listeners are not counted: their owners remove them.
    std::vector<ZELT_o::Viewpoint*> fViewpoints;
    std::vector<Listener*> fCubeListeners;
    std::vector<ZELT_o::CubeListener*> fListeners;
    bool fDefaultExcludeEmpty = false;
    LONG fLastCalculationId = 0;
};

}  // namespace memcube
