// support::RefCount: lock-free reference counting with traces through a ComponentLog.
// addRef and release may be called from any thread.
#pragma once

#include <pova/pova_export.h>
#include <pova/support/ComponentLog.h>
#include <pova/support/RefCountBase.h>

#include <atomic>

namespace support {

class POVA_API RefCount : public virtual RefCountBase {
public:
    ULONG addRef() override;
    LONG release() override;

    LONG getInstance() const { return fInstance; }
    LONG getRefCount() const { return fRefCount.load(std::memory_order_relaxed); }

protected:
    // `module` becomes the log component; `instance` appears in the traces.
    RefCount(char const* module, LONG instance);
    ~RefCount() override;

private:
    ComponentLog fLog;
    LONG fInstance;
    std::atomic<LONG> fRefCount{1};
};

}  // namespace support
