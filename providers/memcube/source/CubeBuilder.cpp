#include <memcube/CubeBuilder.h>

#include "FactTable.h"
#include "MemDimension.h"
#include "MemHierarchy.h"
#include "MemLevel.h"
#include "MemMember.h"
#include "Parallel.h"
#include "UniqueNames.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace memcube {

namespace {

struct DimensionSpec {
    std::string name;
    bool measures = false;
    std::vector<std::string> levels;
    std::vector<std::vector<std::string>> paths;  // For Measures: one single-name path each.
    std::vector<DimensionSpec> alternates;        // Other hierarchies, by the same fields.
    std::vector<std::string> formats;             // For Measures: one per measure.
};

// The names one fact dimension's facts use, each stored once.
struct FactKeys {
    std::unordered_map<std::string, std::int32_t> ids;
    std::vector<std::string const*> names;

    std::int32_t intern(std::string const& name) {
        auto [entry, added] = ids.try_emplace(name, static_cast<std::int32_t>(names.size()));
        if (added) {
            names.push_back(&entry->first);
        }
        return entry->second;
    }
};

[[noreturn]] void invalid(std::string const& what) {
    throw std::invalid_argument("memcube::CubeBuilder: " + what);
}

// The leaf a fact (or another hierarchy) names: by unique name, or by a name no other member of
// the dimension has.
MemMember const& find_leaf(MemHierarchy const& hierarchy, std::string const& text) {
    PovaString const name(text);
    MemMember const* member = hierarchy.findMemberByUniqueName(name);
    if (member == nullptr) {
        if (hierarchy.isNameShared(name)) {
            invalid("the name '" + text + "' is ambiguous in dimension " +
                    hierarchy.getName().string() + "; use its unique name");
        }
        member = hierarchy.findMemberByName(name);
    }
    if (member == nullptr) {
        invalid("no member '" + text + "' in dimension " + hierarchy.getName().string());
    }
    if (!member->isLeaf()) {
        invalid("'" + text + "' is not a leaf of dimension " + hierarchy.getName().string());
    }
    return *member;
}

std::int32_t resolve_leaf(MemHierarchy const& hierarchy, std::string const& text) {
    return find_leaf(hierarchy, text).firstLeaf();
}

void check_paths(std::string const& name, std::vector<std::string> const& levels,
                 std::vector<std::vector<std::string>> const& paths) {
    if (levels.empty() && !paths.empty()) {
        invalid("dimension " + name + " has members but no level");
    }
    for (auto const& path : paths) {
        if (path.empty() || path.size() > levels.size()) {
            invalid("a path of dimension " + name + " does not fit its levels");
        }
    }
}

// The All member, the levels and the members of the paths; answers the member each path ends
// in.
std::vector<MemMember*> add_tree(MemHierarchy& hierarchy, std::string const& allName,
                                 std::vector<std::string> const& levelNames,
                                 std::vector<std::vector<std::string>> const& paths) {
    MemLevel* allLevel = hierarchy.addLevel("(All)");
    MemMember* all =
        hierarchy.addMember(allLevel, nullptr, PovaString("All " + allName), ZELT_o::Member::kAll);
    std::vector<MemLevel*> levels;
    for (std::string const& level : levelNames) {
        levels.push_back(hierarchy.addLevel(PovaString(level)));
    }
    // Members made so far, by parent and name.
    std::map<std::pair<MemMember*, std::string>, MemMember*> made;
    std::vector<MemMember*> ends;
    for (auto const& path : paths) {
        MemMember* parent = all;
        for (std::size_t depth = 0; depth < path.size(); ++depth) {
            MemMember*& next = made[{parent, path[depth]}];
            if (next == nullptr) {
                next = hierarchy.addMember(levels[depth], parent, PovaString(path[depth]),
                                           ZELT_o::Member::kRegular);
            }
            parent = next;
        }
        ends.push_back(parent);
    }
    return ends;
}

// Another hierarchy of a dimension whose default hierarchy is built: its leaves stand for the
// default hierarchy's leaves that its paths end in, each of them exactly once.
support::Ref<MemHierarchy> build_alternate(MemDimension& dimension, DimensionSpec const& spec) {
    MemHierarchy const& base = *dimension.hierarchy();
    auto hierarchy =
        support::adopt(new MemHierarchy(&dimension, PovaString(spec.name),
                                        qualify(dimension.getUniqueName(), PovaString(spec.name))));
    std::vector<std::int32_t> factLeaves;
    std::vector<std::vector<std::string>> paths = spec.paths;
    for (auto& path : paths) {
        MemMember const& leaf = find_leaf(base, path.back());
        factLeaves.push_back(leaf.firstLeaf());
        path.back() = leaf.getName().string();
    }
    std::vector<MemMember*> const ends = add_tree(*hierarchy, spec.name, spec.levels, paths);
    hierarchy->finish();
    std::vector<std::int32_t> mapped(static_cast<std::size_t>(base.leafCount()), -1);
    for (std::size_t i = 0; i < ends.size(); ++i) {
        auto& slot = mapped[static_cast<std::size_t>(ends[i]->firstLeaf())];
        if (!ends[i]->isLeaf() || slot >= 0 || hierarchy->leafCount() != base.leafCount()) {
            invalid("hierarchy " + spec.name + " must hold each leaf of dimension " +
                    dimension.getName().string() + " once, as a leaf");
        }
        slot = factLeaves[i];
    }
    hierarchy->mapLeaves(std::move(mapped));
    return hierarchy;
}

}  // namespace

struct CubeBuilder::Spec {
    std::string name;
    std::vector<DimensionSpec> dimensions;
    std::size_t factDimensions = 0;
    std::size_t measureCount = 0;
    std::vector<FactKeys> keys;         // One per fact dimension, once facts come.
    std::vector<std::int32_t> factIds;  // factDimensions per fact.
    std::vector<double> factValues;     // measureCount per fact.
    std::size_t generatedCount = 0;
    FactFill generatedFill;

    void add_dimension(DimensionSpec dimension) {
        if (!factIds.empty()) {
            invalid("declare every dimension before the first fact");
        }
        for (DimensionSpec const& other : dimensions) {
            if (lookupKey(PovaString(other.name)) == lookupKey(PovaString(dimension.name))) {
                invalid("two dimensions named " + dimension.name);
            }
        }
        if (dimension.measures) {
            measureCount = dimension.paths.size();
        } else {
            ++factDimensions;
        }
        dimensions.push_back(std::move(dimension));
    }
};

CubeBuilder::CubeBuilder(std::string name) : fSpec(std::make_unique<Spec>()) {
    fSpec->name = std::move(name);
}

CubeBuilder::~CubeBuilder() = default;
CubeBuilder::CubeBuilder(CubeBuilder&& other) noexcept = default;
CubeBuilder& CubeBuilder::operator=(CubeBuilder&& other) noexcept = default;

CubeBuilder& CubeBuilder::dimension(std::string const& name,
                                    std::vector<std::string> const& members) {
    std::vector<std::vector<std::string>> paths;
    for (std::string const& member : members) {
        paths.push_back({member});
    }
    return hierarchy(name, {name}, paths);
}

CubeBuilder& CubeBuilder::hierarchy(std::string const& name, std::vector<std::string> const& levels,
                                    std::vector<std::vector<std::string>> const& paths) {
    check_paths(name, levels, paths);
    fSpec->add_dimension({name, false, levels, paths, {}, {}});
    return *this;
}

CubeBuilder& CubeBuilder::alternateHierarchy(std::string const& dimension, std::string const& name,
                                             std::vector<std::string> const& levels,
                                             std::vector<std::vector<std::string>> const& paths) {
    check_paths(name, levels, paths);
    PovaString const key = lookupKey(PovaString(name));
    for (DimensionSpec& described : fSpec->dimensions) {
        if (described.measures ||
            lookupKey(PovaString(described.name)) != lookupKey(PovaString(dimension))) {
            continue;
        }
        bool taken = lookupKey(PovaString(described.name)) == key;
        for (DimensionSpec const& other : described.alternates) {
            taken = taken || lookupKey(PovaString(other.name)) == key;
        }
        if (taken) {
            invalid("dimension " + dimension + " has a hierarchy named " + name);
        }
        described.alternates.push_back({name, false, levels, paths, {}, {}});
        return *this;
    }
    invalid("no dimension " + dimension + " to add hierarchy " + name + " to");
}

CubeBuilder& CubeBuilder::measures(std::vector<std::string> const& names) {
    for (DimensionSpec const& dimension : fSpec->dimensions) {
        if (dimension.measures) {
            invalid("measures declared twice");
        }
    }
    std::unordered_set<std::string> seen;
    std::vector<std::vector<std::string>> paths;
    for (std::string const& measure : names) {
        if (!seen.insert(lookupKey(PovaString(measure)).string()).second) {
            invalid("two measures named " + measure);
        }
        paths.push_back({measure});
    }
    if (paths.empty()) {
        invalid("no measures");
    }
    std::vector<std::string> formats(paths.size());
    fSpec->add_dimension({"Measures", true, {"MeasuresLevel"}, paths, {}, formats});
    return *this;
}

CubeBuilder& CubeBuilder::measureFormat(std::string const& measure, std::string const& format) {
    for (DimensionSpec& dimension : fSpec->dimensions) {
        for (std::size_t i = 0; dimension.measures && i < dimension.paths.size(); ++i) {
            if (lookupKey(PovaString(dimension.paths[i].front())) ==
                lookupKey(PovaString(measure))) {
                dimension.formats[i] = format;
                return *this;
            }
        }
    }
    invalid("no measure " + measure + " to give a format");
}

CubeBuilder& CubeBuilder::fact(std::vector<std::string> const& leaves,
                               std::vector<double> const& values) {
    Spec& spec = *fSpec;
    if (spec.measureCount == 0) {
        invalid("declare the measures before the first fact");
    }
    if (leaves.size() != spec.factDimensions || values.size() != spec.measureCount) {
        invalid("a fact needs one member per dimension and one value per measure");
    }
    spec.keys.resize(spec.factDimensions);
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        spec.factIds.push_back(spec.keys[i].intern(leaves[i]));
    }
    spec.factValues.insert(spec.factValues.end(), values.begin(), values.end());
    return *this;
}

CubeBuilder& CubeBuilder::generatedFacts(std::size_t count, FactFill fill) {
    if (fSpec->measureCount == 0) {
        invalid("declare the measures before the facts");
    }
    fSpec->generatedCount = count;
    fSpec->generatedFill = std::move(fill);
    return *this;
}

CubeBuilder& CubeBuilder::reserveFacts(std::size_t count) {
    fSpec->factIds.reserve(count * fSpec->factDimensions);
    fSpec->factValues.reserve(count * fSpec->measureCount);
    return *this;
}

namespace {

// Generated facts, written in place after the facts already in the table, a block at a time
// (in parallel when there are many), each block's path numbers then turned into leaves.
void load_generated(FactTable& table, std::size_t count, CubeBuilder::FactFill const& fill,
                    std::vector<std::vector<std::int32_t>> const& pathLeaves) {
    constexpr std::size_t kBlock = std::size_t{1} << 16;
    std::size_t const start = table.size();
    table.resize(start + count);
    std::size_t const blocks = (count + kBlock - 1) / kBlock;
    forEachBlock(blocks, threadsFor(blocks, kBlock), [&](std::size_t block, unsigned) {
        std::size_t const first = block * kBlock;
        std::size_t const end = std::min(count, first + kBlock);
        CubeBuilder::FactColumns columns;
        for (std::size_t d = 0; d < table.dimensionCount(); ++d) {
            columns.paths.push_back(table.leafData(d) + start + first);
        }
        for (std::size_t m = 0; m < table.measureCount(); ++m) {
            columns.values.push_back(table.valueData(m) + start + first);
        }
        fill(first, end, columns);
        for (std::size_t d = 0; d < columns.paths.size(); ++d) {
            std::vector<std::int32_t> const& leaves = pathLeaves[d];
            std::int32_t* keys = columns.paths[d];
            for (std::size_t i = 0; i < end - first; ++i) {
                auto const path = static_cast<std::size_t>(keys[i]);
                std::int32_t const leaf = path < leaves.size() ? leaves[path] : -1;
                if (leaf < 0) {
                    invalid("generated fact " + std::to_string(start + first + i) +
                            " names no path to a leaf in fact dimension " + std::to_string(d));
                }
                keys[i] = leaf;
            }
        }
    });
}

}  // namespace

support::Ref<MemCube> CubeBuilder::build() const {
    Spec const& spec = *fSpec;
    if (spec.measureCount == 0) {
        invalid("a cube needs measures");
    }
    auto cube = support::adopt(new MemCube(PovaString(spec.name)));
    cube->set_fact_source(fFactSource);
    std::vector<MemHierarchy*> factHierarchies;
    // For each fact dimension, the leaf each path ends in; -1 for a path ending above a leaf.
    std::vector<std::vector<std::int32_t>> pathLeaves;
    for (std::size_t ordinal = 0; ordinal < spec.dimensions.size(); ++ordinal) {
        DimensionSpec const& described = spec.dimensions[ordinal];
        LONG const column = described.measures ? -1 : static_cast<LONG>(factHierarchies.size());
        auto dimension = support::adopt(new MemDimension(cube.get(), static_cast<LONG>(ordinal),
                                                         PovaString(described.name),
                                                         described.measures, column));
        auto hierarchy = support::adopt(new MemHierarchy(
            dimension.get(), PovaString(described.name), dimension->getUniqueName()));
        std::vector<MemMember*> ends;
        if (described.measures) {
            MemLevel* level = hierarchy->addLevel(PovaString(described.levels.front()));
            for (std::size_t index = 0; index < described.paths.size(); ++index) {
                MemMember* measure =
                    hierarchy->addMember(level, nullptr, PovaString(described.paths[index].front()),
                                         ZELT_o::Member::kMeasure);
                measure->setMeasureIndex(static_cast<LONG>(index));
                measure->setFormatString(PovaString(described.formats[index]));
            }
        } else {
            ends = add_tree(*hierarchy, described.name, described.levels, described.paths);
            factHierarchies.push_back(hierarchy.get());
        }
        hierarchy->finish();
        if (!described.measures) {
            auto& leaves = pathLeaves.emplace_back();
            for (MemMember const* end : ends) {
                leaves.push_back(end->isLeaf() ? end->firstLeaf() : -1);
            }
        }
        dimension->addHierarchy(std::move(hierarchy));
        for (DimensionSpec const& alternate : described.alternates) {
            dimension->addHierarchy(build_alternate(*dimension, alternate));
        }
        cube->add_dimension(std::move(dimension));
    }

    // Each distinct name once, then the facts by number.
    std::vector<std::vector<std::int32_t>> leafOf(spec.keys.size());
    for (std::size_t column = 0; column < spec.keys.size(); ++column) {
        for (std::string const* name : spec.keys[column].names) {
            leafOf[column].push_back(resolve_leaf(*factHierarchies[column], *name));
        }
    }
    std::size_t const facts = spec.factDimensions == 0 ? spec.factValues.size() / spec.measureCount
                                                       : spec.factIds.size() / spec.factDimensions;
    auto table = std::make_unique<FactTable>(spec.factDimensions, spec.measureCount);
    table->reserve(facts);
    std::vector<std::int32_t> leaves(spec.factDimensions);
    std::vector<double> values(spec.measureCount);
    for (std::size_t fact = 0; fact < facts; ++fact) {
        for (std::size_t column = 0; column < spec.factDimensions; ++column) {
            leaves[column] =
                leafOf[column]
                      [static_cast<std::size_t>(spec.factIds[fact * spec.factDimensions + column])];
        }
        for (std::size_t measure = 0; measure < spec.measureCount; ++measure) {
            values[measure] = spec.factValues[fact * spec.measureCount + measure];
        }
        table->add(leaves, values);
    }
    if (spec.generatedCount > 0) {
        load_generated(*table, spec.generatedCount, spec.generatedFill, pathLeaves);
    }
    table->finish();
    cube->set_facts(std::move(table));
    return cube;
}

}  // namespace memcube
