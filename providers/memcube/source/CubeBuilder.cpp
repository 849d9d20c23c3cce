#include <memcube/CubeBuilder.h>

#include "FactTable.h"
#include "MemDimension.h"
#include "MemHierarchy.h"
#include "MemLevel.h"
#include "MemMember.h"
#include "UniqueNames.h"

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

// The leaf a fact names: by unique name, or by a name no other member of the dimension has.
std::int32_t resolve_leaf(MemHierarchy const& hierarchy, std::string const& text) {
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
    return member->firstLeaf();
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
    if (levels.empty() && !paths.empty()) {
        invalid("dimension " + name + " has members but no level");
    }
    for (auto const& path : paths) {
        if (path.empty() || path.size() > levels.size()) {
            invalid("a path of dimension " + name + " does not fit its levels");
        }
    }
    fSpec->add_dimension({name, false, levels, paths});
    return *this;
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
    fSpec->add_dimension({"Measures", true, {"MeasuresLevel"}, paths});
    return *this;
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

CubeBuilder& CubeBuilder::reserveFacts(std::size_t count) {
    fSpec->factIds.reserve(count * fSpec->factDimensions);
    fSpec->factValues.reserve(count * fSpec->measureCount);
    return *this;
}

support::Ref<MemCube> CubeBuilder::build() const {
    Spec const& spec = *fSpec;
    if (spec.measureCount == 0) {
        invalid("a cube needs measures");
    }
    auto cube = support::adopt(new MemCube(PovaString(spec.name)));
    std::vector<MemHierarchy*> factHierarchies;
    for (std::size_t ordinal = 0; ordinal < spec.dimensions.size(); ++ordinal) {
        DimensionSpec const& described = spec.dimensions[ordinal];
        LONG const column = described.measures ? -1 : static_cast<LONG>(factHierarchies.size());
        auto dimension = support::adopt(new MemDimension(cube.get(), static_cast<LONG>(ordinal),
                                                         PovaString(described.name),
                                                         described.measures, column));
        auto hierarchy =
            support::adopt(new MemHierarchy(dimension.get(), PovaString(described.name)));
        if (described.measures) {
            MemLevel* level = hierarchy->addLevel(PovaString(described.levels.front()));
            LONG index = 0;
            for (auto const& path : described.paths) {
                hierarchy
                    ->addMember(level, nullptr, PovaString(path.front()), ZELT_o::Member::kMeasure)
                    ->setMeasureIndex(index++);
            }
        } else {
            MemLevel* allLevel = hierarchy->addLevel("(All)");
            MemMember* all = hierarchy->addMember(
                allLevel, nullptr, PovaString("All " + described.name), ZELT_o::Member::kAll);
            std::vector<MemLevel*> levels;
            for (std::string const& level : described.levels) {
                levels.push_back(hierarchy->addLevel(PovaString(level)));
            }
            // Members made so far, by parent and name.
            std::map<std::pair<MemMember*, std::string>, MemMember*> made;
            for (auto const& path : described.paths) {
                MemMember* parent = all;
                for (std::size_t depth = 0; depth < path.size(); ++depth) {
                    MemMember*& next = made[{parent, path[depth]}];
                    if (next == nullptr) {
                        next = hierarchy->addMember(levels[depth], parent, PovaString(path[depth]),
                                                    ZELT_o::Member::kRegular);
                    }
                    parent = next;
                }
            }
            factHierarchies.push_back(hierarchy.get());
        }
        hierarchy->finish();
        dimension->setHierarchy(std::move(hierarchy));
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
    cube->set_facts(std::move(table));
    return cube;
}

}  // namespace memcube
