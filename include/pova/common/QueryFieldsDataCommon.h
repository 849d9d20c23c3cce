/// @class ZELT_o::QueryFieldsDataCommon
/// The collection of property requests a viewpoint keeps for its
/// cells and for each axis, ordered by name, chained to the collection of its parent viewpoint.
///
/// The parent is not counted: it must outlive every collection chained to it (a child
/// viewpoint holds its base viewpoint, which owns the parent collection). Every operation holds
/// the collection's recursive mutex; adding locks the chain from the child up to the root, so
/// collections of one chain are always locked child first. Errors: GetProperty throws
/// 0xC2018006 (module "Pova_Common", the name as insert) for a name nowhere in the chain;
/// GetPropertyName throws the result E_INVALIDARG for an index outside 0 .. Count()-1; Merge
/// throws 0xC2018002 (module "Pova_Common") and changes nothing when a name is present with an
/// unequal specification.
#pragma once

#include <basekit/KobalMutex.h>
#include <pova/QueryFieldsData.h>
#include <pova/pova_export.h>

#include <map>

namespace ZELT_o {

class POVA_API QueryFieldsDataCommon : public QueryFieldsData {
public:
    /// `parent` may be null (a root collection).
    explicit QueryFieldsDataCommon(QueryFieldsData* parent);

    void AddProperty(PovaString const& name, PropertyOperation op, VarHolder* args,
                     LONG count) override;
    Spec GetProperty(PovaString const& name) override;
    PovaString GetPropertyName(int index) override;
    LONG Count() override;
    void GetProperties(std::vector<PropertySpecification>& properties) override;
    bool RemoveProperty(PovaString const& name) override;
    void Clear() override;
    void Merge(QueryFieldsData& other) override;

protected:
    ~QueryFieldsDataCommon() override;

private:
    // Stores a copy of `spec` in `origin` unless a collection from here up to the root has the
    // name. A parent of another implementation ends the walk.
    void recurse_add_property(PovaString const& name, PropertySpecification const& spec,
                              QueryFieldsDataCommon* origin);
    static void get_argument_from_variant(VARIANT& out, PropertySpecification::ArgumentType& type,
                                          VarHolder& in);

    QueryFieldsData* fParent;  // Not counted: outlives this collection.
    KobalRecursiveMutex fMutex;
    std::map<PovaString, PropertySpecification> fProperties;  // Guarded by fMutex.
};

}  // namespace ZELT_o
