#include <pova/common/QueryFieldsDataCommon.h>

#include <basekit/BaseError.h>
#include <pova/support/InstanceCounter.h>
#include <pova/support/LegacyRefCount.h>
#include <pova/support/Module.h>

#include <utility>

namespace ZELT_o {

namespace {

support::InstanceCounter gInstances;

constexpr MessageCode kMergeConflict = 0xC2018002u;
constexpr MessageCode kPropertyNotFound = 0xC2018006u;

}  // namespace

QueryFieldsDataCommon::QueryFieldsDataCommon(QueryFieldsData* parent)
    : QueryFieldsData("QueryFieldsDataCommon", gInstances.next()), fParent(parent) {}

QueryFieldsDataCommon::~QueryFieldsDataCommon() = default;

void QueryFieldsDataCommon::get_argument_from_variant(VARIANT& out,
                                                      PropertySpecification::ArgumentType& type,
                                                      VarHolder& in) {
    switch (in.kind) {
        case VarHolder::kValue:
            if (HRESULT const hr = VariantCopy(&out, &in.value); FAILED(hr)) {
                throwResult(hr);
            }
            type = PropertySpecification::kPlainValue;
            return;
        case VarHolder::kLegacyCountedObject:
        case VarHolder::kCountedObject: {
            bool const legacy = in.kind == VarHolder::kLegacyCountedObject;
            // A property request owns one reference of each object argument; the caller keeps
            // its own.
            if (in.value.byref != nullptr) {
                if (legacy) {
                    static_cast<support::LegacyRefCount*>(in.value.byref)->addRef();
                } else {
                    static_cast<support::RefCount*>(in.value.byref)->addRef();
                }
            }
            VariantClear(&out);
            out.vt = VT_BYREF;
            out.byref = in.value.byref;
            type = legacy ? PropertySpecification::kLegacyCountedObject
                          : PropertySpecification::kCountedObject;
            return;
        }
        default:
            throwResult(E_INVALIDARG);
    }
}

void QueryFieldsDataCommon::AddProperty(PovaString const& name, PropertyOperation op,
                                        VarHolder* args, LONG count) {
    KobalSynchronized lock(fMutex);
    PropertySpecification spec;
    spec.name = name;
    spec.operation = op;
    if (args != nullptr) {
        spec.CreateArray(count);
        for (LONG i = 0; i < count; ++i) {
            get_argument_from_variant(spec.arguments[i], spec.argumentTypes[i], args[i]);
        }
    }
    recurse_add_property(name, spec, this);
}

void QueryFieldsDataCommon::recurse_add_property(PovaString const& name,
                                                 PropertySpecification const& spec,
                                                 QueryFieldsDataCommon* origin) {
    // Held until the insertion is done, so that no collection of the chain gains the name
    // meanwhile; the origin's mutex is the first one taken.
    KobalSynchronized lock(fMutex);
    if (fProperties.contains(name)) {
        return;
    }
    if (auto* parent = dynamic_cast<QueryFieldsDataCommon*>(fParent); parent != nullptr) {
        parent->recurse_add_property(name, spec, origin);
        return;
    }
    origin->fProperties.emplace(name, spec);
}

QueryFieldsData::Spec QueryFieldsDataCommon::GetProperty(PovaString const& name) {
    {
        KobalSynchronized lock(fMutex);
        if (auto const found = fProperties.find(name); found != fProperties.end()) {
            return Spec{found->second};
        }
    }
    if (fParent == nullptr) {
        throw BaseError(kPropertyNotFound, support::componentName(), 1, 0).addInsert(name);
    }
    return fParent->GetProperty(name);
}

PovaString QueryFieldsDataCommon::GetPropertyName(int index) {
    KobalSynchronized lock(fMutex);
    if (index < 0 || static_cast<std::size_t>(index) >= fProperties.size()) {
        throwResult(E_INVALIDARG);
    }
    return std::next(fProperties.begin(), index)->first;
}

LONG QueryFieldsDataCommon::Count() {
    KobalSynchronized lock(fMutex);
    return static_cast<LONG>(fProperties.size());
}

void QueryFieldsDataCommon::GetProperties(std::vector<PropertySpecification>& properties) {
    std::vector<PropertySpecification> copies;
    {
        KobalSynchronized lock(fMutex);
        copies.reserve(fProperties.size());
        for (auto const& entry : fProperties) {
            copies.push_back(entry.second);
        }
    }
    properties = std::move(copies);
}

bool QueryFieldsDataCommon::RemoveProperty(PovaString const& name) {
    KobalSynchronized lock(fMutex);
    return fProperties.erase(name) != 0;
}

void QueryFieldsDataCommon::Clear() {
    std::map<PovaString, PropertySpecification> dropped;
    KobalSynchronized lock(fMutex);
    // Object arguments are released after the mutex is left (dropped dies last).
    dropped.swap(fProperties);
}

void QueryFieldsDataCommon::Merge(QueryFieldsData& other) {
    // The other collection is read before this one is locked, so that two collections merged
    // into each other at once cannot lock each other out.
    std::vector<PropertySpecification> incoming;
    other.GetProperties(incoming);
    KobalSynchronized lock(fMutex);
    for (PropertySpecification const& spec : incoming) {
        if (auto const found = fProperties.find(spec.name);
            found != fProperties.end() && found->second != spec) {
            throwError(kMergeConflict, "Pova_Common");
        }
    }
    for (PropertySpecification& spec : incoming) {
        PovaString name = spec.name;
        fProperties.try_emplace(std::move(name), std::move(spec));
    }
}

}  // namespace ZELT_o
