#include <basekit/AssertionFailure.h>
#include <pova/common/RowsetProperties.h>

#include <array>

namespace common {

namespace {

constexpr char kSourcePath[] = ".\\source\\rowsetproperties.cpp";

enum class Default { kTrue, kFalse, kEmpty, kZero };
using enum Default;

struct DefaultProperty {
    DBPROPID id;
    Default value;
};

// The default list, in the order consumers see it.
constexpr std::array kDefaults{
    DefaultProperty{121, kTrue},                                // DBPROP_IAccessor
    DefaultProperty{202, kFalse},                               // DBPROP_IChapteredRowset
    DefaultProperty{122, kTrue},                                // DBPROP_IColumnsInfo
    DefaultProperty{123, kFalse},                               // DBPROP_IColumnsRowset
    DefaultProperty{124, kFalse},                               // DBPROP_IConnectionPointContainer
    DefaultProperty{194, kTrue},                                // DBPROP_IConvertType
    DefaultProperty{203, kFalse},                               // DBPROP_IDBAsynchStatus
    DefaultProperty{136, kFalse},                               // DBPROP_ILockBytes
    DefaultProperty{217, kFalse},                               // DBPROP_IMultipleResults
    DefaultProperty{257, kFalse}, DefaultProperty{126, kTrue},  // DBPROP_IRowset
    DefaultProperty{127, kFalse},                               // DBPROP_IRowsetChange
    DefaultProperty{204, kFalse},                               // DBPROP_IRowsetFind
    DefaultProperty{128, kFalse},                               // DBPROP_IRowsetIdentity
    DefaultProperty{159, kFalse},                               // DBPROP_IRowsetIndex
    DefaultProperty{129, kTrue},                                // DBPROP_IRowsetInfo
    DefaultProperty{130, kFalse},                               // DBPROP_IRowsetLocate
    DefaultProperty{249, kFalse},                               // DBPROP_IRowsetRefresh
    DefaultProperty{133, kFalse},                               // DBPROP_IRowsetScroll
    DefaultProperty{134, kFalse},                               // DBPROP_IRowsetUpdate
    DefaultProperty{212, kFalse},                               // DBPROP_IRowsetView
    DefaultProperty{137, kFalse},                               // DBPROP_ISequentialStream
    DefaultProperty{138, kFalse},                               // DBPROP_IStorage
    DefaultProperty{139, kFalse},                               // DBPROP_IStream
    DefaultProperty{135, kFalse},                               // DBPROP_ISupportErrorInfo
    DefaultProperty{13, kFalse},                                // DBPROP_BLOCKINGSTORAGEOBJECTS
    DefaultProperty{232, kZero},                                // DBPROP_BOOKMARKINFO
    DefaultProperty{14, kFalse},                                // DBPROP_BOOKMARKS
    DefaultProperty{15, kFalse},                                // DBPROP_BOOKMARKSKIPPED
    DefaultProperty{16, kEmpty},                                // DBPROP_BOOKMARKTYPE
    DefaultProperty{17, kFalse},                                // DBPROP_CACHEDEFERRED
    DefaultProperty{18, kFalse},                                // DBPROP_CANFETCHBACKWARDS
    DefaultProperty{19, kTrue},                                 // DBPROP_CANHOLDROWS
    DefaultProperty{21, kFalse},                                // DBPROP_CANSCROLLBACKWARDS
    DefaultProperty{33, kFalse},                                // DBPROP_COLUMNRESTRICT
    DefaultProperty{34, kZero},                                 // DBPROP_COMMANDTIMEOUT
    DefaultProperty{42, kFalse},                                // DBPROP_DEFERRED
    DefaultProperty{258, kZero},  DefaultProperty{67, kFalse},
    DefaultProperty{68, kTrue},   DefaultProperty{71, kZero},    // DBPROP_MAXOPENROWS
    DefaultProperty{73, kZero},                                  // DBPROP_MAXROWS
    DefaultProperty{78, kZero},   DefaultProperty{87, kFalse},   // DBPROP_OTHERINSERT
    DefaultProperty{88, kFalse},                                 // DBPROP_OTHERUPDATEDELETE
    DefaultProperty{89, kFalse},                                 // DBPROP_OWNINSERT
    DefaultProperty{90, kFalse},                                 // DBPROP_OWNUPDATEDELETE
    DefaultProperty{99, kTrue},                                  // DBPROP_QUICKRESTART
    DefaultProperty{102, kFalse}, DefaultProperty{189, kFalse},  // DBPROP_RETURNPENDINGINSERTS
    DefaultProperty{104, kFalse},                                // DBPROP_ROWRESTRICT
    DefaultProperty{201, kZero},  DefaultProperty{119, kTrue},   // DBPROP_STRONGIDENTITY
    DefaultProperty{238, kFalse},                                // DBPROP_UNIQUEROWS
    DefaultProperty{117, kZero},                                 // DBPROP_UPDATABILITY
};

}  // namespace

RowsetProperties::RowsetProperties() {
    fTrue->vt = VT_BOOL;
    fTrue->boolVal = 1;
    fFalse->vt = VT_BOOL;
    fFalse->boolVal = 0;
    fZero->vt = VT_I4;
    fZero->lVal = 0;
    init_property_values();
}

RowsetProperties::~RowsetProperties() = default;

RowsetProperties::Property RowsetProperties::getProperty(int i) const {
    if (i < 0 || i >= static_cast<int>(fProperties.size())) {
        AssertionFailure("i >= 0 && i < (Int)fProperties.size( )", kSourcePath, __LINE__);
        return Property(0, basekit::Variant());
    }
    return fProperties[static_cast<std::size_t>(i)];
}

basekit::Variant RowsetProperties::getPropertyValue(DBPROPID id) const {
    for (auto const& [propertyId, value] : fProperties) {
        if (propertyId == id) {
            return value;
        }
    }
    return basekit::Variant();
}

void RowsetProperties::add_property(DBPROPID id, VARIANT const& value) {
    fProperties.emplace_back(id, basekit::Variant(value));
}

void RowsetProperties::init_property_values() {
    fProperties.reserve(fProperties.size() + kDefaults.size());
    for (DefaultProperty const& property : kDefaults) {
        switch (property.value) {
            case kTrue:
                add_property(property.id, *fTrue);
                break;
            case kFalse:
                add_property(property.id, *fFalse);
                break;
            case kEmpty:
                add_property(property.id, *fEmpty);
                break;
            case kZero:
                add_property(property.id, *fZero);
                break;
        }
    }
}

}  // namespace common
