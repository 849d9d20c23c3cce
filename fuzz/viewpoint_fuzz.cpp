// Feeds arbitrary bytes to a viewpoint's load over a small memcube cube.
//
// Each input is loaded into a new viewpoint, which then connects to the cube (initialising
// from what it loaded), saves and goes away. Loading, connecting and saving may refuse the
// text with the library's errors; a crash, a sanitizer report or a leak stops the run. Consistency
// checks that fail are listed on standard error, each the first time it fails.
#include <basekit/AssertionFailure.h>
#include <basekit/BaseError.h>
#include <basekit/CoreLog.h>
#include <memcube/CubeBuilder.h>
#include <pova/Factories.h>
#include <pova/Viewpoint.h>
#include <pova/support/Ref.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <set>
#include <sstream>
#include <string>

namespace {

// The sample cube's names on a small scale, so that documents the client saves resolve: Time
// (Year > Quarter > Month) with the hierarchy Fiscal over the same months, Product, Region and
// the measures.
memcube::MemCube* cube() {
    static support::Ref<memcube::MemCube> const made =
        memcube::CubeBuilder("Sales")
            .hierarchy("Time", {"Year", "Quarter", "Month"},
                       {{"2022", "Q1", "Jan"}, {"2023", "Q1", "Feb"}, {"2024", "Q3", "Jul"}})
            .alternateHierarchy("Time", "Fiscal", {"Half", "Month"},
                                {{"H1", "Jan"}, {"H2", "Jul"}, {"H1", "Feb"}})
            .dimension("Product", {"Bikes", "Clothing", "Accessories"})
            .dimension("Region", {"France", "Germany"})
            .measures({"Sales", "Units"})
            .fact({"Jan", "Bikes", "France"}, {10, 1})
            .fact({"Jul", "Clothing", "Germany"}, {20, 2})
            .fact({"Feb", "Bikes", "Germany"}, {40, 4})
            .build();
    return made.get();
}

// Runs one step; the library's refusals are expected.
template <class Step>
void attempt(Step step) {
    try {
        step();
    } catch (BaseError const&) {
    } catch (ResultError const&) {
    } catch (std::exception const&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    // Refused documents log their errors; the records would only slow the run down.
    basekit::getLogObject()->setSink([](LogRecord const&) {});
    basekit::setAssertionHandler([](AssertionReport const& report) {
        static std::set<std::string> seen;
        if (seen.insert(report.expression).second) {
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", report.expression.c_str(),
                         report.file.c_str(), report.line);
        }
    });
    cube();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    auto viewpoint = support::adopt(createCommonViewpoint());
    std::istringstream input(std::string(reinterpret_cast<char const*>(data), size));
    attempt([&] { viewpoint->load(input); });
    attempt([&] { viewpoint->setCube(cube(), 2, 1); });
    attempt([&] {
        std::ostringstream output;
        viewpoint->save(output, true);
    });
    return 0;
}
