// provider: the skeleton of a data-source provider. A provider brings the cube (with its
// dimensions, hierarchies, levels and members), the result sets and chunks of a query, and a
// derived viewpoint that runs the queries; the library brings everything else a viewpoint does.
//
// The cube here is tiny: boxes of fruit sold by two shops. Each dimension has one hierarchy
// with one level and no All member; a cell sums the facts at its coordinates. The provider's
// library is registered under the name its cube reports, so a viewpoint bound to the cube
// finds it. main() then uses the cube exactly as pivot.cpp uses the sample cube.
#include <basekit/BaseError.h>
#include <basekit/OleAuto.h>
#include <pova/Chunk.h>
#include <pova/ChunkHandler.h>
#include <pova/Command.h>
#include <pova/Cube.h>
#include <pova/Dimension.h>
#include <pova/Factories.h>
#include <pova/Hierarchy.h>
#include <pova/Level.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/PropertySpecification.h>
#include <pova/ViewResultSet.h>
#include <pova/common/ViewpointCommon.h>
#include <pova/support/Ref.h>
#include <provkit/ProviderLibrary.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tiny {

constexpr char const* kProviderName = "tiny";

class TinyCube;
class TinyDimension;
class TinyHierarchy;

// --- The cube's structure. The cube owns every part (through references); the parts point
// back to their owners without counting, since an owner outlives what it owns.

class TinyMember final : public ZELT_o::Member {
public:
    TinyMember(TinyHierarchy* hierarchy, PovaString name, LONG index)
        : ZELT_o::Member("TinyMember", index),
          fHierarchy(hierarchy),
          fName(std::move(name)),
          fIndex(index) {}

    // Its place in the hierarchy: the coordinate of a fact.
    LONG index() const { return fIndex; }

    ZELT_o::Dimension* getDimension() const override;
    PovaString getName() const override { return fName; }
    PovaString getUniqueName() const override;
    PovaString getCaption() const override { return fName; }
    LONG getMemberType() const override { return kRegular; }
    ZELT_o::Hierarchy* getHierarchy() const override;
    ZELT_o::Level* getLevel() const override;
    ZELT_o::Member* getParent() const override { return nullptr; }
    void getChildren(std::vector<ZELT_o::Member*>& children) const override { children.clear(); }
    // The members never change, so listeners are never called.
    void addListener(Listener*) override {}
    void removeListener(Listener*) override {}
    void save(XmlSupport&, XmlNode) const override {}

private:
    TinyHierarchy* fHierarchy;
    PovaString fName;
    LONG fIndex;
};

class TinyLevel final : public ZELT_o::Level {
public:
    explicit TinyLevel(TinyHierarchy* hierarchy)
        : ZELT_o::Level("TinyLevel", 0), fHierarchy(hierarchy) {}

    PovaString getName() const override;
    PovaString getUniqueName() const override;
    PovaString getCaption() const override { return getName(); }
    ZELT_o::Hierarchy* getHierarchy() const override;
    LONG getDepth() const override { return 0; }
    ZELT_o::MemberSet* getMemberSet() override;

private:
    TinyHierarchy* fHierarchy;
};

// A fixed list of members: what the viewpoint shows of a dimension on an axis.
class TinyMemberSet final : public ZELT_o::MemberSet {
public:
    TinyMemberSet(ZELT_o::Hierarchy* hierarchy, LONG kind, std::vector<ZELT_o::Member*> members)
        : ZELT_o::MemberSet("TinyMemberSet", 0),
          fHierarchy(hierarchy),
          fKind(kind),
          fMembers(std::move(members)) {}

    ZELT_o::Dimension* getDimension() const override { return fHierarchy->getDimension(); }
    // Only the viewpoint's query is served here.
    ZELT_o::ViewResultSet* query(std::vector<ZELT_o::PropertySpecification>*) override {
        return nullptr;
    }
    ZELT_o::Hierarchy* getHierarchy() const override { return fHierarchy; }
    LONG getKind() const override { return fKind; }
    LONG getCount() const override { return static_cast<LONG>(fMembers.size()); }
    ZELT_o::Member* getMember(LONG i) const override {
        return i >= 0 && i < getCount() ? fMembers[static_cast<std::size_t>(i)] : nullptr;
    }
    void getMembers(std::vector<ZELT_o::Member*>& members) const override { members = fMembers; }
    void addListener(Listener*) override {}
    void removeListener(Listener*) override {}
    void addUndoListener(UndoListener*) override {}
    void removeUndoListener(UndoListener*) override {}
    void save(XmlSupport&, XmlNode) const override {}

private:
    ZELT_o::Hierarchy* fHierarchy;
    LONG fKind;
    std::vector<ZELT_o::Member*> fMembers;
};

class TinyHierarchy final : public ZELT_o::Hierarchy {
public:
    TinyHierarchy(TinyDimension* dimension, std::vector<char const*> const& names)
        : ZELT_o::Hierarchy("TinyHierarchy", 0),
          fDimension(dimension),
          fLevel(support::adopt(new TinyLevel(this))) {
        for (char const* name : names) {
            auto const index = static_cast<LONG>(fMembers.size());
            fMembers.push_back(support::adopt(new TinyMember(this, name, index)));
        }
    }

    std::vector<ZELT_o::Member*> members() const {
        std::vector<ZELT_o::Member*> all;
        for (auto const& member : fMembers) {
            all.push_back(member.get());
        }
        return all;
    }
    TinyLevel* level() const { return fLevel.get(); }

    PovaString getName() const override;
    PovaString getUniqueName() const override;
    PovaString getCaption() const override { return getName(); }
    ZELT_o::Dimension* getDimension() const override;
    void getLevels(std::vector<ZELT_o::Level*>& levels) const override { levels = {fLevel.get()}; }
    ZELT_o::Member* getDefaultMember() const override { return fMembers.front().get(); }
    ZELT_o::Member* findMember(PovaString const& name) const override {
        for (auto const& member : fMembers) {
            if (member->getName() == name || member->getUniqueName() == name) {
                return member.get();
            }
        }
        return nullptr;
    }
    // Every member, whatever the kind; a selection (kind 8) starts empty.
    ZELT_o::MemberSet* createMemberSet(LONG kind, ZELT_o::Member*) override {
        return new TinyMemberSet(this, kind,
                                 kind == 8 ? std::vector<ZELT_o::Member*>() : members());
    }
    // Saved viewpoints are not read back in this example.
    ZELT_o::MemberSet* loadMemberSet(XmlNode) override { return nullptr; }
    ZELT_o::Member* loadMember(XmlNode) override { return nullptr; }
    void addListener(Listener*) override {}
    void removeListener(Listener*) override {}
    // No calculated members.
    void getCalculations(std::vector<ZELT_o::Calculation*>& calculations) const override {
        calculations.clear();
    }
    ZELT_o::Calculation* findCalculation(PovaString const&) const override { return nullptr; }
    LONG addCalculation(ZELT_o::Calculation*) override { throwResult(E_NOTIMPL); }
    LONG replaceCalculation(ZELT_o::Calculation*, ZELT_o::Calculation*) override {
        throwResult(E_NOTIMPL);
    }
    bool removeCalculation(PovaString const&) override { return false; }
    void removeAllCalculations() override {}
    bool swapCalculations(LONG, LONG) override { return false; }
    bool renameCalculation(PovaString const&, PovaString const&) override { return false; }
    bool setCalculationCaption(PovaString const&, PovaString const&) override { return false; }

private:
    TinyDimension* fDimension;
    support::Ref<TinyLevel> fLevel;
    std::vector<support::Ref<TinyMember>> fMembers;
};

class TinyDimension final : public ZELT_o::Dimension {
public:
    TinyDimension(TinyCube* cube, char const* name, LONG ordinal,
                  std::vector<char const*> const& members)
        : ZELT_o::Dimension("TinyDimension", ordinal),
          fCube(cube),
          fName(name),
          fOrdinal(ordinal),
          fHierarchy(support::adopt(new TinyHierarchy(this, members))) {}

    PovaString getName() const override { return fName; }
    PovaString getUniqueName() const override { return "[" + fName.string() + "]"; }
    PovaString getCaption() const override { return fName; }
    ZELT_o::Cube* getCube() const override;
    LONG getOrdinal() const override { return fOrdinal; }
    bool isMeasures() const override { return false; }
    void getHierarchies(std::vector<ZELT_o::Hierarchy*>& hierarchies) const override {
        hierarchies = {fHierarchy.get()};
    }
    ZELT_o::Hierarchy* getDefaultHierarchy() const override { return fHierarchy.get(); }
    ZELT_o::Hierarchy* findHierarchy(PovaString const& name) const override {
        return name == getName() || name == getUniqueName() ? fHierarchy.get() : nullptr;
    }
    bool acceptsName(PovaString const& name) const override {
        return name == getUniqueName() || fHierarchy->findMember(name) != nullptr;
    }

private:
    TinyCube* fCube;
    PovaString fName;
    LONG fOrdinal;
    support::Ref<TinyHierarchy> fHierarchy;
};

// The cube: two dimensions and a fact table of (fruit, shop, boxes).
class TinyCube final : public ZELT_o::Cube {
public:
    TinyCube() : ZELT_o::Cube("TinyCube", 0) {
        fDimensions.push_back(
            support::adopt(new TinyDimension(this, "Fruit", 0, {"Apple", "Pear", "Plum"})));
        fDimensions.push_back(
            support::adopt(new TinyDimension(this, "Shop", 1, {"North", "South"})));
    }

    // The sum of the facts at the coordinates (one member per dimension, or none for all of
    // a dimension's members); VT_EMPTY when no fact lies there.
    basekit::Variant value(std::vector<TinyMember*> const& coordinates) const {
        double sum = 0;
        bool found = false;
        for (Fact const& fact : kFacts) {
            bool matches = true;
            for (TinyMember* member : coordinates) {
                if (member == nullptr) {
                    continue;  // A member of another provider says nothing here.
                }
                auto const ordinal = static_cast<std::size_t>(member->getDimension()->getOrdinal());
                matches = matches && fact.coordinates[ordinal] == member->index();
            }
            if (matches) {
                sum += fact.boxes;
                found = true;
            }
        }
        return found ? basekit::Variant(sum) : basekit::Variant();
    }

    PovaString getName() const override { return "Fruit Sales"; }
    PovaString getUniqueName() const override { return "[Fruit Sales]"; }
    PovaString getCaption() const override { return getName(); }
    void favoritesChanged() override {}
    PovaString getProviderName() const override { return kProviderName; }
    void registerViewpoint(ZELT_o::Viewpoint*) override {}
    void unregisterViewpoint(ZELT_o::Viewpoint*) override {}
    bool addCubeListener(Listener* listener) override {
        fListeners.push_back(listener);
        return true;
    }
    void removeCubeListener(Listener* listener) override { std::erase(fListeners, listener); }
    void addListener(ZELT_o::CubeListener*) override {}
    void removeListener(ZELT_o::CubeListener*) override {}
    LONG countDimensions() const override { return static_cast<LONG>(fDimensions.size()); }
    ZELT_o::Dimension* getDimension(LONG ordinal) const override {
        return ordinal >= 0 && ordinal < countDimensions()
                   ? fDimensions[static_cast<std::size_t>(ordinal)].get()
                   : nullptr;
    }
    void getDimensions(std::vector<ZELT_o::Dimension*>& dimensions) const override {
        dimensions.clear();
        for (auto const& dimension : fDimensions) {
            dimensions.push_back(dimension.get());
        }
    }
    ZELT_o::Dimension* findDimension(PovaString const& uniqueName) const override {
        for (auto const& dimension : fDimensions) {
            if (dimension->getUniqueName() == uniqueName) {
                return dimension.get();
            }
        }
        return nullptr;
    }
    ZELT_o::Document* getDocument() const override { return nullptr; }
    bool getDefaultExcludeEmpty() const override { return false; }
    // No expressions: every name is unknown to the lexer.
    LONG classifyName(PovaString&) const override { return 0; }
    void getParameters(std::vector<ZELT_o::Parameter*>& parameters) const override {
        parameters.clear();
    }
    bool hasCalculations() const override { return false; }
    ZELT_o::Calculation* createCalculation() override { return nullptr; }
    ZELT_o::Calculation* findCalculation(PovaString const&) const override { return nullptr; }
    void saveCalculations(XmlSupport&, XmlNode) const override {}

private:
    // Counted objects go through release(), never delete.
    ~TinyCube() override {
        // Viewpoints still bound must forget the cube before it goes.
        for (Listener* listener : std::vector<Listener*>(fListeners)) {
            listener->stopListening();
        }
    }

    struct Fact {
        std::array<LONG, 2> coordinates;  // Fruit, Shop.
        double boxes;
    };
    static constexpr std::array<Fact, 5> kFacts{
        {{{0, 0}, 12}, {{0, 1}, 7}, {{1, 0}, 4}, {{2, 1}, 9}, {{0, 0}, 3}}};

    std::vector<support::Ref<TinyDimension>> fDimensions;
    std::vector<Listener*> fListeners;  // Not counted: a viewpoint removes itself.
};

// The parts' back pointers, now that every class is complete.
ZELT_o::Dimension* TinyMember::getDimension() const {
    return fHierarchy->getDimension();
}
PovaString TinyMember::getUniqueName() const {
    return fHierarchy->getUniqueName().string() + ".[" + fName.string() + "]";
}
ZELT_o::Hierarchy* TinyMember::getHierarchy() const {
    return fHierarchy;
}
ZELT_o::Level* TinyMember::getLevel() const {
    return fHierarchy->level();
}
PovaString TinyLevel::getName() const {
    return fHierarchy->getName();
}
PovaString TinyLevel::getUniqueName() const {
    return fHierarchy->getUniqueName().string() + ".[" + getName().string() + "]";
}
ZELT_o::Hierarchy* TinyLevel::getHierarchy() const {
    return fHierarchy;
}
ZELT_o::MemberSet* TinyLevel::getMemberSet() {
    return new TinyMemberSet(fHierarchy, 0, fHierarchy->members());
}
PovaString TinyHierarchy::getName() const {
    return fDimension->getName();
}
PovaString TinyHierarchy::getUniqueName() const {
    return fDimension->getUniqueName();
}
ZELT_o::Dimension* TinyHierarchy::getDimension() const {
    return fDimension;
}
ZELT_o::Cube* TinyDimension::getCube() const {
    return fCube;
}

// --- A query's result: the tuples of each result axis and the members that slice the rest.

using Tuple = std::vector<TinyMember*>;

class TinyAxisChunk final : public ZELT_o::AxisChunk {
public:
    TinyAxisChunk(LONG axis, LONG first, std::vector<Tuple> tuples)
        : ZELT_o::AxisChunk("TinyAxisChunk", 0),
          fAxis(axis),
          fFirst(first),
          fTuples(std::move(tuples)) {}

    LONG getFirst() const override { return fFirst; }
    LONG getValueCount() const override { return static_cast<LONG>(fTuples.size()); }
    bool getValue(LONG i, VARIANT* value) const override {
        ZELT_o::Member* member = getMember(i, getDepth() - 1);
        if (member == nullptr) {
            return false;
        }
        *value = basekit::Variant(member->getCaption().wstring().c_str()).detach();
        return true;
    }
    LONG getAxis() const override { return fAxis; }
    LONG getDepth() const override {
        return fTuples.empty() ? 0 : static_cast<LONG>(fTuples.front().size());
    }
    ZELT_o::Member* getMember(LONG i, LONG depth) const override {
        if (i < 0 || i >= getValueCount() || depth < 0 || depth >= getDepth()) {
            return nullptr;
        }
        return fTuples[static_cast<std::size_t>(i)][static_cast<std::size_t>(depth)];
    }

private:
    LONG fAxis;
    LONG fFirst;
    std::vector<Tuple> fTuples;
};

class TinyCellChunk final : public ZELT_o::CellDataChunk {
public:
    TinyCellChunk(LONG first, std::vector<basekit::Variant> cells)
        : ZELT_o::CellDataChunk("TinyCellChunk", 0), fFirst(first), fCells(std::move(cells)) {}

    LONG getFirst() const override { return fFirst; }
    LONG getValueCount() const override { return static_cast<LONG>(fCells.size()); }
    bool getValue(LONG i, VARIANT* value) const override {
        if (i < 0 || i >= getValueCount()) {
            return false;
        }
        *value = basekit::Variant(*fCells[static_cast<std::size_t>(i)]).detach();
        return true;
    }

private:
    LONG fFirst;
    std::vector<basekit::Variant> fCells;
};

// Computes every cell at once (the cube is tiny) and hands them out in one chunk a request.
// It keeps the cube alive: its chunks hand out the cube's members.
class TinyResultSet final : public ZELT_o::ViewResultSet {
public:
    TinyResultSet(TinyCube& cube, std::vector<std::vector<Tuple>> axes, Tuple const& slices)
        : ZELT_o::ViewResultSet("TinyResultSet", 0),
          fCube(support::retain(&cube)),
          fAxes(std::move(axes)) {
        for (LONG cell = 0; cell < getItemCount(); ++cell) {
            // Axis 0 varies fastest.
            Tuple coordinates = slices;
            LONG rest = cell;
            for (auto const& tuples : fAxes) {
                Tuple const& tuple = tuples[static_cast<std::size_t>(rest) % tuples.size()];
                coordinates.insert(coordinates.end(), tuple.begin(), tuple.end());
                rest /= static_cast<LONG>(tuples.size());
            }
            fCells.push_back(cube.value(coordinates));
        }
    }

    LONG getAxisCount() const override { return static_cast<LONG>(fAxes.size()); }
    LONG getAxisLength(LONG axis) const override {
        return axis >= 0 && axis < getAxisCount()
                   ? static_cast<LONG>(fAxes[static_cast<std::size_t>(axis)].size())
                   : 0;
    }
    LONG getItemCount() const override {
        LONG count = 1;
        for (auto const& tuples : fAxes) {
            count *= static_cast<LONG>(tuples.size());
        }
        return count;
    }
    void markDiscarded(bool) override {}
    double getMinimum() const override { return extreme(false); }
    double getMaximum() const override { return extreme(true); }
    void requestAxisChunks(ZELT_o::ChunkHandler* handler, LONG axis, LONG first,
                           LONG last) override {
        last = std::min(last, getAxisLength(axis) - 1);
        if (first < 0 || first > last) {
            return;
        }
        auto const& tuples = fAxes[static_cast<std::size_t>(axis)];
        handler->handleChunk(
            new TinyAxisChunk(axis, first, {tuples.begin() + first, tuples.begin() + last + 1}),
            true);
    }
    void requestCellChunks(ZELT_o::ChunkHandler* handler, LONG first, LONG last) override {
        last = std::min(last, getItemCount() - 1);
        if (first < 0 || first > last) {
            return;
        }
        handler->handleChunk(
            new TinyCellChunk(first, {fCells.begin() + first, fCells.begin() + last + 1}), true);
    }

private:
    double extreme(bool largest) const {
        bool any = false;
        double found = 0;
        for (basekit::Variant const& cell : fCells) {
            if (cell.type() == VT_R8 &&
                (!any || (largest ? cell->dblVal > found : cell->dblVal < found))) {
                found = cell->dblVal;
                any = true;
            }
        }
        return found;
    }

    support::Ref<TinyCube> fCube;
    std::vector<std::vector<Tuple>> fAxes;
    std::vector<basekit::Variant> fCells;
};

// --- The derived viewpoint: turns its viewpoint's layout into a result set.

class TinyViewpoint final : public common::ViewpointBase {
public:
    explicit TinyViewpoint(common::ViewpointCommon& viewpoint) : common::ViewpointBase(viewpoint) {}

    ZELT_o::ViewResultSet* query(std::vector<ZELT_o::PropertySpecification>*) override {
        ZELT_o::Viewpoint& view = viewpoint();
        auto cube = support::adopt(view.getCube());
        auto* tinyCube = dynamic_cast<TinyCube*>(cube.get());
        if (tinyCube == nullptr) {
            return nullptr;
        }
        std::vector<std::vector<Tuple>> axes;
        Tuple slices;
        for (LONG axis = 0; axis < view.countAxes() + view.countPagedAxes(); ++axis) {
            ZELT_o::Viewpoint::AxisType const type = view.getAxisType(axis);
            if (type == ZELT_o::Viewpoint::kHidden || type == ZELT_o::Viewpoint::kExcluded) {
                continue;
            }
            // A copy: asking for a dimension's member set may change the viewpoint's state.
            std::vector<ZELT_o::Dimension*> const dimensions = view.getAxisDimensions(axis);
            if (axis < view.countAxes() && type != ZELT_o::Viewpoint::kSlice) {
                axes.push_back(crossJoin(view, dimensions));
            } else {
                for (ZELT_o::Dimension* dimension : dimensions) {
                    slices.push_back(dynamic_cast<TinyMember*>(view.getCurrentSection(*dimension)));
                }
            }
        }
        return new TinyResultSet(*tinyCube, std::move(axes), slices);
    }

private:
    // The tuples of an axis: every combination of its dimensions' active members, the
    // innermost dimension varying fastest.
    static std::vector<Tuple> crossJoin(ZELT_o::Viewpoint& view,
                                        std::vector<ZELT_o::Dimension*> const& dimensions) {
        std::vector<Tuple> tuples(1);
        for (ZELT_o::Dimension* dimension : dimensions) {
            std::vector<ZELT_o::Member*> members;
            view.getCurrentSet(*dimension)->getMembers(members);
            std::vector<Tuple> longer;
            for (Tuple const& tuple : tuples) {
                for (ZELT_o::Member* member : members) {
                    longer.push_back(tuple);
                    longer.back().push_back(dynamic_cast<TinyMember*>(member));
                }
            }
            tuples = std::move(longer);
        }
        return tuples;
    }
};

// --- The provider's library: registered under the provider name while it lives.

class TinyLibrary final : public common::ProviderLibrary {
public:
    TinyLibrary() { common::registerProviderLibrary(this); }
    ~TinyLibrary() override { common::unregisterProviderLibrary(this); }

    PovaString getName() const override { return kProviderName; }
    std::unique_ptr<common::ViewpointBase> createDerivedViewpoint(
        common::ViewpointCommon& viewpoint) override {
        return std::make_unique<TinyViewpoint>(viewpoint);
    }
};

}  // namespace tiny

namespace {

// --- The client side: the same calls as for any other provider's cube.

class ChunkCollector : public ZELT_o::ChunkHandler {
public:
    bool handleChunk(ZELT_o::Chunk* chunk, bool /*last*/) override {
        fChunks.push_back(support::adopt(chunk));
        return true;
    }
    std::vector<support::Ref<ZELT_o::Chunk>> fChunks;
};

std::vector<std::string> captions(ZELT_o::ViewResultSet& result, LONG axis) {
    ChunkCollector collector;
    result.requestAxisChunks(&collector, axis, 0, result.getAxisLength(axis) - 1);
    std::vector<std::string> names;
    for (auto const& chunk : collector.fChunks) {
        for (LONG i = 0; i < chunk->getValueCount(); ++i) {
            basekit::Variant caption;
            chunk->getValue(i, caption.get());
            names.push_back(PovaString(caption->bstrVal).string());
        }
    }
    return names;
}

void printGrid(ZELT_o::ViewResultSet& result) {
    std::vector<std::string> const columns = captions(result, 0);
    std::vector<std::string> const rows = captions(result, 1);
    ChunkCollector collector;
    result.requestCellChunks(&collector, 0, result.getItemCount() - 1);
    std::printf("%-8s", "");
    for (std::string const& column : columns) {
        std::printf("%8s", column.c_str());
    }
    for (auto const& chunk : collector.fChunks) {
        for (LONG i = 0; i < chunk->getValueCount(); ++i) {
            LONG const cell = chunk->getFirst() + i;
            if (cell % static_cast<LONG>(columns.size()) == 0) {
                std::printf("\n%-8s",
                            rows[static_cast<std::size_t>(cell) / columns.size()].c_str());
            }
            basekit::Variant value;
            chunk->getValue(i, value.get());
            if (value.type() == VT_R8) {
                std::printf("%8g", value->dblVal);
            } else {
                std::printf("%8s", "-");
            }
        }
    }
    std::printf("\n");
}

void swapAxes(ZELT_o::Viewpoint& viewpoint) {
    auto command = support::adopt(viewpoint.createCommand(ZELT_o::Viewpoint::CommandType::Basic));
    auto* basic = dynamic_cast<ZELT_o::BasicViewpointCommand*>(command.get());
    basic->SwapAxes(0, 1);
    basic->execute();
}

}  // namespace

int main() {
    tiny::TinyLibrary library;
    auto cube = support::adopt(new tiny::TinyCube());
    auto viewpoint = support::adopt(createCommonViewpoint());
    // Two view axes, no paged axis: one dimension on each.
    viewpoint->setCube(cube.get(), 2, 0);
    std::vector<ZELT_o::PropertySpecification> properties;

    auto before = support::adopt(viewpoint->query(&properties));
    printGrid(*before);
    swapAxes(*viewpoint);
    std::printf("after swapping the axes:\n");
    auto after = support::adopt(viewpoint->query(&properties));
    printGrid(*after);

    viewpoint->setCube(nullptr, 2, 0);
    return 0;
}
