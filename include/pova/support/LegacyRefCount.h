/// @class support::LegacyRefCount
/// Reference counting under a per-object mutex, with count and life
/// traces whose verbosities are cached separately. addRef and release may be called from any
/// thread; the lock is left before the object is destroyed.
#pragma once

#include <basekit/KobalMutex.h>
#include <basekit/PovaString.h>
#include <pova/pova_export.h>
#include <pova/support/RefCountBase.h>

#include <atomic>
#include <memory>

namespace support {

class POVA_API LegacyRefCount : public virtual RefCountBase {
public:
    ///@{
    /// Adds or gives up a reference (RefCountBase). Final, so that calls through a derived
    /// class are direct.
    ULONG addRef() final;
    LONG release() final;
    ///@}

    /// The instance number the object was made with.
    LONG getInstance() const { return fInstance; }
    /// The current count (a snapshot: other threads may change it).
    LONG getRefCount() const { return fRefCount.load(std::memory_order_relaxed); }
    /// The object's name: the log component of its traces.
    PovaString const& getName() const { return *fName; }

protected:
    /// `module` becomes the object's name (the log component of its traces).
    LegacyRefCount(char const* module, LONG instance);
    ~LegacyRefCount() override;

    ///@{
    /// Trace lines of a derived class, tested and written like the count traces (module
    /// "MEMORY", the object's name as component).
    bool base_log_enabled(int level);
    void base_log(int line, char const* function, PovaString const& text);
    ///@}

private:
    // What a trace line says about its object, copied so that lines can be written without
    // touching the object.
    struct TraceSource {
        PovaString const* name;
        LONG instance;
        void const* address;
    };

    TraceSource traceSource() const { return {fName, fInstance, this}; }
    // Count traces ("raised", "lowered") at verbosity 5.
    int countVerbosity();
    // Life traces ("Created", "Destroyed") at verbosity 4.
    void base_memory_log(int line, char const* format);
    static void write(TraceSource const& source, int line, char const* function, int verbosity,
                      char const* format, LONG count);

    std::unique_ptr<KobalMutex> fMutex;
    LONG fInstance;
    std::atomic<LONG> fRefCount{1};  // Changed under *fMutex.
    std::atomic<int> fRefVerbosity{-1};
    std::atomic<int> fMemVerbosity{-1};
    PovaString const* fName;  // Interned: outlives the object.
};

}  // namespace support
