// Process attach and detach, and the module-wide names built at load time.
#include <pova/support/Module.h>

#include <atomic>

namespace support {

namespace {
std::atomic<CoreLog*> gLog{nullptr};
}  // namespace

CoreLog* moduleLog() {
    return gLog.load(std::memory_order_acquire);
}

PovaString const& memoryModule() {
    static PovaString const name("MEMORY");
    return name;
}

PovaString const& interfaceModule() {
    static PovaString const name("INTERFACE");
    return name;
}

PovaString const& componentName() {
    static PovaString const name("Pova_Common");
    return name;
}

}  // namespace support

extern "C" {

bool povaProcessAttach() {
    support::gLog.store(basekit::getLogObject(), std::memory_order_release);
    support::componentName();
    return true;
}

bool povaProcessDetach() {
    support::gLog.store(nullptr, std::memory_order_release);
    return true;
}

}  // extern "C"

namespace {

[[gnu::constructor]] void onLibraryLoad() {
    support::memoryModule();
    support::interfaceModule();
    povaProcessAttach();
}

[[gnu::destructor]] void onLibraryUnload() {
    povaProcessDetach();
}

}  // namespace
