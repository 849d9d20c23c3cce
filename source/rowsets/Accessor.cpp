#include <basekit/AssertionFailure.h>
#include <pova/common/Accessor.h>
#include <pova/support/InstanceCounter.h>

namespace common {

namespace {
support::InstanceCounter gAccessorInstances;
constexpr char kSourcePath[] = ".\\source\\accessor.cpp";
}  // namespace

Accessor::Accessor() : support::LegacyRefCount("Accessor", gAccessorInstances.next()) {}

Accessor::~Accessor() = default;

LONG Accessor::peekNextInstance() {
    return gAccessorInstances.peek();
}

void Accessor::addBinding(Binding const& binding) {
    fBindings.push_back(binding);
}

Binding Accessor::getBinding(LONG nPos) const {
    if (nPos < 0 || nPos >= static_cast<LONG>(fBindings.size())) {
        AssertionFailure("nPos >= 0 && nPos < (Int)fBindings.size( )", kSourcePath, __LINE__);
        return Binding();
    }
    return fBindings[static_cast<std::size_t>(nPos)];
}

LONG Accessor::addClientReference() {
    return fClientRefCount.fetch_add(1, std::memory_order_relaxed) + 1;
}

LONG Accessor::removeClientReference() {
    return fClientRefCount.fetch_sub(1, std::memory_order_relaxed) - 1;
}

}  // namespace common
