/// @class memcube::CubeBuilder
/// Describes a cube in a few lines and builds it.
///
/// @code
///   auto cube = memcube::CubeBuilder("Tiny")
///                   .dimension("A", {"a1", "a2"})
///                   .hierarchy("Time", {"Year", "Quarter"}, {{"2024", "Q1"}, {"2024", "Q2"}})
///                   .measures({"Value"})
///                   .fact({"a1", "[Time].[2024].[Q1]"}, {1.0})
///                   .build();
/// @endcode
///
/// Dimensions come in the order they are declared; the Measures dimension stands where
/// measures() is called. Mistakes (a duplicate name, an unknown or non-leaf member in a fact,
/// a wrong number of coordinates or values, no measures) throw std::invalid_argument from the
/// call that makes them or, for facts, from build().
#pragma once

#include <memcube/MemCube.h>
#include <memcube/memcube_export.h>
#include <pova/support/Ref.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace memcube {

class MEMCUBE_API CubeBuilder {
public:
    /// A builder of a cube of that name.
    explicit CubeBuilder(std::string name);
    ~CubeBuilder();
    ///@{
    /// Builders move; the other is left empty.
    CubeBuilder(CubeBuilder&& other) noexcept;
    CubeBuilder& operator=(CubeBuilder&& other) noexcept;
    ///@}
    CubeBuilder(CubeBuilder const&) = delete;
    CubeBuilder& operator=(CubeBuilder const&) = delete;

    /// A dimension with one level, named after the dimension, below its All member.
    CubeBuilder& dimension(std::string const& name, std::vector<std::string> const& members);
    /// A dimension with the given levels below its All member. Each path names a member of the
    /// top level, then one of the next level below it, and so on; a member is made where a
    /// path first mentions it, and members keep that order. A shorter path ends in a leaf
    /// higher up.
    CubeBuilder& hierarchy(std::string const& name, std::vector<std::string> const& levels,
                           std::vector<std::vector<std::string>> const& paths);
    /// Another hierarchy of the dimension `dimension`, declared before, over the same leaves:
    /// each path names members of the new hierarchy's levels from the top and ends in a leaf of
    /// the dimension's default hierarchy (by unique name, or by a name no other member has),
    /// which becomes a leaf of the same name on the level the path reaches. Every leaf of the
    /// default hierarchy must come exactly once. Its unique name is the dimension's followed by
    /// .[name]; the dimension's default hierarchy stays the first.
    CubeBuilder& alternateHierarchy(std::string const& dimension, std::string const& name,
                                    std::vector<std::string> const& levels,
                                    std::vector<std::vector<std::string>> const& paths);
    /// The Measures dimension, its measures in order.
    CubeBuilder& measures(std::vector<std::string> const& names);
    /// The number format string a measure's cells are shown with (MemCube::measureFormat); a
    /// measure declared before. None: "".
    CubeBuilder& measureFormat(std::string const& measure, std::string const& format);
    /// One fact: a leaf member of every non-measure dimension, in dimension order, given by
    /// unique name or by name (a name must then be unique among the dimension's members), and
    /// one value per measure. Facts with the same coordinates add up.
    CubeBuilder& fact(std::vector<std::string> const& leaves, std::vector<double> const& values);
    /// Where generated facts are written: for each fact dimension, the number of the path (in
    /// the order given to hierarchy() or dimension()) that ends in the fact's leaf, and for each
    /// measure its value. Each pointer is at the first fact of the range being filled.
    struct FactColumns {
        std::vector<std::int32_t*> paths;  ///< One column of path numbers per fact dimension.
        std::vector<double*> values;       ///< One column of values per measure.
    };
    /// Writes facts [first, end) into the columns.
    using FactFill =
        std::function<void(std::size_t first, std::size_t end, FactColumns const& columns)>;
    /// `count` facts written in place by build(), after those given by fact(): the way to load
    /// millions. build() calls fill for consecutive ranges of fact numbers, possibly from
    /// several threads at once, so fill must depend on nothing but the numbers it is given. A
    /// path number out of range or a path ending above a leaf throws std::invalid_argument from
    /// build(). Replaces an earlier call.
    CubeBuilder& generatedFacts(std::size_t count, FactFill fill);
    /// Expected number of facts, to reserve room.
    CubeBuilder& reserveFacts(std::size_t count);
    /// Where the cube's cells come from: its queries ask the source instead of scanning facts,
    /// so a cube with a source needs none (facts given anyway are never queried). Shared by
    /// every cube built.
    CubeBuilder& factSource(std::shared_ptr<FactSource> source) {
        fFactSource = std::move(source);
        return *this;
    }

    /// A new cube (one reference, held by the handle). The builder may build again.
    support::Ref<MemCube> build() const;

private:
    struct Spec;
    std::unique_ptr<Spec> fSpec;
    std::shared_ptr<FactSource> fFactSource;
};

}  // namespace memcube
