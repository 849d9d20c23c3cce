/// @class common::Accessor
/// An OLE DB accessor: its flags and its bindings in order.
///
/// Counted (born with one reference for its creator). The client count is separate: it is the
/// count rowset consumers raise and lower (AddRefAccessor/ReleaseAccessor) and does not govern
/// the object's life. Bindings are handed out as copies. One thread changes an accessor at a
/// time; the client count may be changed from any thread.
#pragma once

#include <pova/common/Binding.h>
#include <pova/pova_export.h>
#include <pova/support/LegacyRefCount.h>

#include <atomic>
#include <vector>

namespace common {

class POVA_API Accessor : public support::LegacyRefCount {
public:
    /// An accessor without bindings, flags 0, client count 1.
    Accessor();

    /// Appends a copy of the binding.
    void addBinding(Binding const& binding);
    /// The number of bindings.
    LONG getBindingCount() const { return static_cast<LONG>(fBindings.size()); }
    /// A copy of the binding at `nPos`. Outside 0 .. count - 1 the position is reported as an
    /// assertion and a default binding (column 0, no type, no parts) is returned.
    Binding getBinding(LONG nPos) const;

    ///@{
    /// The accessor's DBACCESSORFLAGS.
    DBACCESSORFLAGS getFlags() const { return fFlags; }
    void setFlags(DBACCESSORFLAGS flags) { fFlags = flags; }
    ///@}

    ///@{
    /// Each returns the new client count.
    LONG addClientReference();
    LONG removeClientReference();
    ///@}

    /// The instance number the next accessor will get.
    static LONG peekNextInstance();

protected:
    ~Accessor() override;

private:
    DBACCESSORFLAGS fFlags = 0;
    std::atomic<LONG> fClientRefCount{1};
    std::vector<Binding> fBindings;
};

}  // namespace common
