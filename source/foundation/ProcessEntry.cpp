// Process attach and detach, and the module-wide names built at load time.
#include <pova/support/Module.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>

namespace support {

namespace {

std::atomic<CoreLog*> gLog{nullptr};

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
        return std::hash<std::string_view>{}(text);
    }
};

class NameTable {
public:
    PovaString const& intern(char const* utf8) {
        // Callers pass the same literal again and again: a slot chosen by the text's address
        // answers without locking. The text is compared too, since an address may be reused.
        std::atomic<Entry const*>& slot =
            fRecent[(reinterpret_cast<std::uintptr_t>(utf8) >> 4) % fRecent.size()];
        if (Entry const* entry = slot.load(std::memory_order_acquire);
            entry != nullptr && std::strcmp(entry->first.c_str(), utf8) == 0) {
            return entry->second;
        }
        std::lock_guard<std::mutex> lock(fMutex);
        auto it = fNames.find(std::string_view(utf8));
        if (it == fNames.end()) {
            it = fNames.emplace(utf8, PovaString(utf8)).first;
        }
        // Entries never move or die, so a published pointer stays valid.
        slot.store(&*it, std::memory_order_release);
        return it->second;
    }

private:
    using Entry = std::pair<std::string const, PovaString>;

    std::mutex fMutex;
    std::unordered_map<std::string, PovaString, TextHash, std::equal_to<>> fNames;  // fMutex
    std::array<std::atomic<Entry const*>, 64> fRecent{};
};

NameTable& nameTable() {
    // Never destroyed: objects released during static destruction still trace by these names.
    alignas(NameTable) static unsigned char storage[sizeof(NameTable)];
    static NameTable* const table = ::new (storage) NameTable();
    return *table;
}

}  // namespace

CoreLog* moduleLog() {
    return gLog.load(std::memory_order_acquire);
}

PovaString const& internedName(char const* utf8) {
    return nameTable().intern(utf8);
}

PovaString const& memoryModule() {
    static PovaString const& name = internedName("MEMORY");
    return name;
}

PovaString const& interfaceModule() {
    static PovaString const& name = internedName("INTERFACE");
    return name;
}

PovaString const& componentName() {
    static PovaString const& name = internedName("Pova_Common");
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
