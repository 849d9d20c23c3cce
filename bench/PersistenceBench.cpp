// Viewpoint persistence on a 30-dimension cube whose every dimension has its own member set,
// selection, slice and axis information. BM_PugixmlParse (parsing the same document into a
// DOM, nothing else) is the baseline of BM_ViewpointLoad (load, then connect, which is where
// the layout and the properties are rebuilt) and of BM_ViewpointSave.
#include <memcube/CubeBuilder.h>
#include <pova/Command.h>
#include <pova/Dimension.h>
#include <pova/Factories.h>
#include <pova/Hierarchy.h>
#include <pova/Member.h>
#include <pova/MemberSet.h>
#include <pova/Viewpoint.h>
#include <pova/support/Ref.h>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kDimensions = 30;
constexpr int kMembers = 6;

using ViewpointRef = support::Ref<ZELT_o::Viewpoint>;

support::Ref<memcube::MemCube> build_cube() {
    memcube::CubeBuilder builder("Wide");
    for (int d = 0; d < kDimensions; ++d) {
        std::vector<std::string> members;
        for (int m = 0; m < kMembers; ++m) {
            members.push_back("d" + std::to_string(d) + "m" + std::to_string(m));
        }
        builder.dimension("D" + std::to_string(d), members);
    }
    builder.measures({"Value"});
    for (int m = 0; m < kMembers; ++m) {
        std::vector<std::string> leaves;
        for (int d = 0; d < kDimensions; ++d) {
            leaves.push_back("d" + std::to_string(d) + "m" + std::to_string((m + d) % kMembers));
        }
        builder.fact(leaves, {static_cast<double>(m)});
    }
    return builder.build();
}

void run(ZELT_o::Viewpoint& viewpoint, auto record) {
    auto command = support::adopt(viewpoint.createCommand(ZELT_o::Viewpoint::CommandType::Basic));
    auto* basic = dynamic_cast<ZELT_o::BasicViewpointCommand*>(command.get());
    if (basic == nullptr) {
        throw std::logic_error("no basic command");
    }
    record(*basic);
    basic->execute();
}

struct Saved {
    support::Ref<memcube::MemCube> cube = build_cube();
    ViewpointRef viewpoint;
    std::string text;

    Saved() {
        viewpoint = support::adopt(createCommonViewpoint());
        viewpoint->setCube(cube.get(), 2, 1);
        std::vector<ZELT_o::Dimension*> dimensions;
        cube->getDimensions(dimensions);
        for (ZELT_o::Dimension* dimension : dimensions) {
            ZELT_o::Hierarchy* hierarchy = dimension->getDefaultHierarchy();
            std::vector<ZELT_o::Member*> members;
            support::adopt(hierarchy->createMemberSet(0, nullptr))->getMembers(members);
            if (members.size() < 4) {
                continue;  // the measures
            }
            auto set = support::adopt(
                cube->createMemberSet(hierarchy, {members[3], members[1], members[2]}));
            auto selection = support::adopt(cube->createMemberSet(hierarchy, {members[1]}));
            run(*viewpoint, [&](auto& c) { c.SetActiveMemberSet(dimension, set.get()); });
            run(*viewpoint, [&](auto& c) { c.SetActiveSelection(dimension, selection.get()); });
            run(*viewpoint, [&](auto& c) { c.SetActiveSlice(dimension, members[2]); });
            viewpoint->setAxisInfo(*dimension, "width=" + std::to_string(dimension->getOrdinal()));
        }
        std::ostringstream stream;
        viewpoint->save(stream, true);
        text = stream.str();
    }
};

Saved& saved() {
    static Saved instance;
    return instance;
}

ViewpointRef load(std::string const& text, memcube::MemCube* cube) {
    auto viewpoint = support::adopt(createCommonViewpoint());
    std::istringstream stream(text);
    viewpoint->load(stream);
    viewpoint->setCube(cube, 2, 1);
    return viewpoint;
}

void BM_PugixmlParse(benchmark::State& state) {
    std::string const& text = saved().text;
    for (auto _ : state) {
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_string(text.c_str()));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_PugixmlParse);

void BM_ViewpointLoad(benchmark::State& state) {
    Saved& s = saved();
    // The loaded viewpoint must say what the saved one said.
    std::ostringstream again;
    load(s.text, s.cube.get())->save(again, true);
    if (again.str() != s.text) {
        state.SkipWithError("the loaded viewpoint saves differently");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(load(s.text, s.cube.get()).get());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s.text.size()));
}
BENCHMARK(BM_ViewpointLoad);

void BM_ViewpointSave(benchmark::State& state) {
    Saved& s = saved();
    for (auto _ : state) {
        std::ostringstream stream;
        s.viewpoint->save(stream, false);
        benchmark::DoNotOptimize(stream.tellp());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s.text.size()));
}
BENCHMARK(BM_ViewpointSave);

}  // namespace
