/// @file
/// The published OLE DB data definitions the rowset helpers use: type codes, binding and
/// column descriptions, column identifiers, status values and rowset property identifiers.
///
/// Only data definitions: no OLE DB interfaces. They live in the global namespace under their
/// published names; the published enumerations are written as constants of their typedefs, so
/// that values of the extension sets combine without mixing enumeration types. Counts,
/// ordinals, offsets and lengths are 32 bits wide, as on the 32-bit platform the structures
/// were defined for; pointers to things never followed here (type information, binding objects
/// and extensions) are untyped.
#pragma once

#include <basekit/Guid.h>
#include <basekit/WinTypes.h>

/// A wide string the caller or the provider owns.
using LPOLESTR = OLECHAR*;

///@{
/// Counts, ordinals, offsets and lengths: 32 bits wide (see above).
using DBORDINAL = ULONG;
using DBBYTEOFFSET = ULONG;
using DBLENGTH = ULONG;
using DBCOUNTITEM = ULONG;
using DBROWCOUNT = LONG;
using DBREFCOUNT = ULONG;
///@}

// ---------------------------------------------------------------------------------------------
// Types

///@{
/// The type code of a bound value or a column, and the base types.
using DBTYPE = WORD;

constexpr DBTYPE DBTYPE_EMPTY = 0;
constexpr DBTYPE DBTYPE_NULL = 1;
constexpr DBTYPE DBTYPE_I2 = 2;
constexpr DBTYPE DBTYPE_I4 = 3;
constexpr DBTYPE DBTYPE_R4 = 4;
constexpr DBTYPE DBTYPE_R8 = 5;
constexpr DBTYPE DBTYPE_CY = 6;
constexpr DBTYPE DBTYPE_DATE = 7;
constexpr DBTYPE DBTYPE_BSTR = 8;
constexpr DBTYPE DBTYPE_IDISPATCH = 9;
constexpr DBTYPE DBTYPE_ERROR = 10;
constexpr DBTYPE DBTYPE_BOOL = 11;
constexpr DBTYPE DBTYPE_VARIANT = 12;
constexpr DBTYPE DBTYPE_IUNKNOWN = 13;
constexpr DBTYPE DBTYPE_DECIMAL = 14;
constexpr DBTYPE DBTYPE_I1 = 16;
constexpr DBTYPE DBTYPE_UI1 = 17;
constexpr DBTYPE DBTYPE_UI2 = 18;
constexpr DBTYPE DBTYPE_UI4 = 19;
constexpr DBTYPE DBTYPE_I8 = 20;
constexpr DBTYPE DBTYPE_UI8 = 21;
constexpr DBTYPE DBTYPE_FILETIME = 64;
constexpr DBTYPE DBTYPE_GUID = 72;
constexpr DBTYPE DBTYPE_BYTES = 128;
constexpr DBTYPE DBTYPE_STR = 129;
constexpr DBTYPE DBTYPE_WSTR = 130;
constexpr DBTYPE DBTYPE_NUMERIC = 131;
constexpr DBTYPE DBTYPE_UDT = 132;
constexpr DBTYPE DBTYPE_DBDATE = 133;
constexpr DBTYPE DBTYPE_DBTIME = 134;
constexpr DBTYPE DBTYPE_DBTIMESTAMP = 135;
constexpr DBTYPE DBTYPE_HCHAPTER = 136;
constexpr DBTYPE DBTYPE_PROPVARIANT = 138;
constexpr DBTYPE DBTYPE_VARNUMERIC = 139;
///@}

///@{
/// Modifiers combined with a base type.
constexpr DBTYPE DBTYPE_VECTOR = 0x1000;
constexpr DBTYPE DBTYPE_ARRAY = 0x2000;
constexpr DBTYPE DBTYPE_BYREF = 0x4000;
constexpr DBTYPE DBTYPE_RESERVED = 0x8000;
///@}

// ---------------------------------------------------------------------------------------------
// Bindings

///@{
/// Which parts of a value a binding binds: value, length, status.
using DBPART = DWORD;

constexpr DBPART DBPART_INVALID = 0x0;
constexpr DBPART DBPART_VALUE = 0x1;
constexpr DBPART DBPART_LENGTH = 0x2;
constexpr DBPART DBPART_STATUS = 0x4;
///@}

///@{
/// Who owns the memory of a bound value.
using DBMEMOWNER = DWORD;

constexpr DBMEMOWNER DBMEMOWNER_CLIENTOWNED = 0x0;
constexpr DBMEMOWNER DBMEMOWNER_PROVIDEROWNED = 0x1;
///@}

///@{
/// Whether a binding is for a parameter, and which way.
using DBPARAMIO = DWORD;

constexpr DBPARAMIO DBPARAMIO_NOTPARAM = 0;
constexpr DBPARAMIO DBPARAMIO_INPUT = 0x1;
constexpr DBPARAMIO DBPARAMIO_OUTPUT = 0x2;
///@}

///@{
/// The kind of an accessor.
using DBACCESSORFLAGS = DWORD;

constexpr DBACCESSORFLAGS DBACCESSOR_INVALID = 0;
constexpr DBACCESSORFLAGS DBACCESSOR_PASSBYREF = 0x1;
constexpr DBACCESSORFLAGS DBACCESSOR_ROWDATA = 0x2;
constexpr DBACCESSORFLAGS DBACCESSOR_PARAMETERDATA = 0x4;
constexpr DBACCESSORFLAGS DBACCESSOR_OPTIMIZED = 0x8;
constexpr DBACCESSORFLAGS DBACCESSOR_INHERITED = 0x10;
///@}

/// Binds one column to a place in the consumer's buffer.
struct DBBINDING {
    ///@{
    /// The published field of this name.
    DBORDINAL iOrdinal;
    DBBYTEOFFSET obValue;
    DBBYTEOFFSET obLength;
    DBBYTEOFFSET obStatus;
    void* pTypeInfo;  ///< ITypeInfo*, reserved: null
    void* pObject;    ///< DBOBJECT*, for object-valued columns
    void* pBindExt;   ///< DBBINDEXT*, reserved: null
    DBPART dwPart;
    DBMEMOWNER dwMemOwner;
    DBPARAMIO eParamIO;
    DBLENGTH cbMaxLen;
    DWORD dwFlags;
    DBTYPE wType;
    BYTE bPrecision;
    BYTE bScale;
    ///@}
};

// ---------------------------------------------------------------------------------------------
// Status of one bound value

///@{
/// The status of one bound value.
using DBSTATUS = DWORD;

constexpr DBSTATUS DBSTATUS_S_OK = 0;
constexpr DBSTATUS DBSTATUS_E_BADACCESSOR = 1;
constexpr DBSTATUS DBSTATUS_E_CANTCONVERTVALUE = 2;
constexpr DBSTATUS DBSTATUS_S_ISNULL = 3;
constexpr DBSTATUS DBSTATUS_S_TRUNCATED = 4;
constexpr DBSTATUS DBSTATUS_E_SIGNMISMATCH = 5;
constexpr DBSTATUS DBSTATUS_E_DATAOVERFLOW = 6;
constexpr DBSTATUS DBSTATUS_E_CANTCREATE = 7;
constexpr DBSTATUS DBSTATUS_E_UNAVAILABLE = 8;
constexpr DBSTATUS DBSTATUS_E_PERMISSIONDENIED = 9;
constexpr DBSTATUS DBSTATUS_E_INTEGRITYVIOLATION = 10;
constexpr DBSTATUS DBSTATUS_E_SCHEMAVIOLATION = 11;
constexpr DBSTATUS DBSTATUS_E_BADSTATUS = 12;
constexpr DBSTATUS DBSTATUS_S_DEFAULT = 13;
constexpr DBSTATUS MDSTATUS_S_CELLEMPTY = 14;
constexpr DBSTATUS DBSTATUS_S_IGNORE = 15;
///@}

// ---------------------------------------------------------------------------------------------
// Column identifiers and descriptions

///@{
/// Which members of a DBID's unions are in use.
using DBKIND = DWORD;

constexpr DBKIND DBKIND_GUID_NAME = 0;
constexpr DBKIND DBKIND_GUID_PROPID = 1;
constexpr DBKIND DBKIND_NAME = 2;
constexpr DBKIND DBKIND_GUID = 3;
constexpr DBKIND DBKIND_PGUID_NAME = 4;
constexpr DBKIND DBKIND_PROPID = 5;
constexpr DBKIND DBKIND_PGUID_PROPID = 6;
///@}

/// Names a column: eKind says which members of the two unions are in use. A new DBID is all
/// zeros (kind DBKIND_GUID_NAME, null GUID, null name).
struct DBID {
    ///@{
    /// The GUID (or its pointer), the kind, and the name (or property id) of the identifier.
    union {
        GUID guid{};  ///< The GUID itself, as eKind says.
        GUID* pguid;  ///< Or a pointer to it.
    } uGuid;
    DBKIND eKind = DBKIND_GUID_NAME;
    union {
        LPOLESTR pwszName = nullptr;  ///< The name, as eKind says.
        ULONG ulPropid;               ///< Or the property id.
    } uName;
    ///@}
};

///@{
/// What a column allows and holds (bit flags).
using DBCOLUMNFLAGS = DWORD;

constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_ISBOOKMARK = 0x1;
constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_MAYDEFER = 0x2;
constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_WRITE = 0x4;
constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_WRITEUNKNOWN = 0x8;
constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_ISFIXEDLENGTH = 0x10;
constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_ISNULLABLE = 0x20;
constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_MAYBENULL = 0x40;
constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_ISLONG = 0x80;
constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_ISROWID = 0x100;
constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_ISROWVER = 0x200;
constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_CACHEDEFERRED = 0x1000;
constexpr DBCOLUMNFLAGS DBCOLUMNFLAGS_ISCHAPTER = 0x2000;
///@}

/// Describes one column of a rowset.
struct DBCOLUMNINFO {
    ///@{
    /// The published field of this name.
    LPOLESTR pwszName;
    void* pTypeInfo;  ///< ITypeInfo*, reserved: null
    DBORDINAL iOrdinal;
    DBCOLUMNFLAGS dwFlags;
    DBLENGTH ulColumnSize;
    DBTYPE wType;
    BYTE bPrecision;
    BYTE bScale;
    DBID columnid;
    ///@}
};

// ---------------------------------------------------------------------------------------------
// Rowset properties (the rowset property group)

///@{
/// Identifiers of the rowset properties.
using DBPROPID = DWORD;

constexpr DBPROPID DBPROP_BLOCKINGSTORAGEOBJECTS = 0x0D;
constexpr DBPROPID DBPROP_BOOKMARKS = 0x0E;
constexpr DBPROPID DBPROP_BOOKMARKSKIPPED = 0x0F;
constexpr DBPROPID DBPROP_BOOKMARKTYPE = 0x10;
constexpr DBPROPID DBPROP_CACHEDEFERRED = 0x11;
constexpr DBPROPID DBPROP_CANFETCHBACKWARDS = 0x12;
constexpr DBPROPID DBPROP_CANHOLDROWS = 0x13;
constexpr DBPROPID DBPROP_CANSCROLLBACKWARDS = 0x15;
constexpr DBPROPID DBPROP_COLUMNRESTRICT = 0x21;
constexpr DBPROPID DBPROP_COMMANDTIMEOUT = 0x22;
constexpr DBPROPID DBPROP_DEFERRED = 0x2A;
constexpr DBPROPID DBPROP_MAXOPENROWS = 0x47;
constexpr DBPROPID DBPROP_MAXROWS = 0x49;
constexpr DBPROPID DBPROP_OTHERINSERT = 0x57;
constexpr DBPROPID DBPROP_OTHERUPDATEDELETE = 0x58;
constexpr DBPROPID DBPROP_OWNINSERT = 0x59;
constexpr DBPROPID DBPROP_OWNUPDATEDELETE = 0x5A;
constexpr DBPROPID DBPROP_QUICKRESTART = 0x63;
constexpr DBPROPID DBPROP_ROWRESTRICT = 0x68;
constexpr DBPROPID DBPROP_UPDATABILITY = 0x75;
constexpr DBPROPID DBPROP_STRONGIDENTITY = 0x77;
constexpr DBPROPID DBPROP_IAccessor = 0x79;
constexpr DBPROPID DBPROP_IColumnsInfo = 0x7A;
constexpr DBPROPID DBPROP_IColumnsRowset = 0x7B;
constexpr DBPROPID DBPROP_IConnectionPointContainer = 0x7C;
constexpr DBPROPID DBPROP_IRowset = 0x7E;
constexpr DBPROPID DBPROP_IRowsetChange = 0x7F;
constexpr DBPROPID DBPROP_IRowsetIdentity = 0x80;
constexpr DBPROPID DBPROP_IRowsetInfo = 0x81;
constexpr DBPROPID DBPROP_IRowsetLocate = 0x82;
constexpr DBPROPID DBPROP_IRowsetResynch = 0x84;
constexpr DBPROPID DBPROP_IRowsetScroll = 0x85;
constexpr DBPROPID DBPROP_IRowsetUpdate = 0x86;
constexpr DBPROPID DBPROP_ISupportErrorInfo = 0x87;
constexpr DBPROPID DBPROP_ILockBytes = 0x88;
constexpr DBPROPID DBPROP_ISequentialStream = 0x89;
constexpr DBPROPID DBPROP_IStorage = 0x8A;
constexpr DBPROPID DBPROP_IStream = 0x8B;
constexpr DBPROPID DBPROP_IRowsetIndex = 0x9F;
constexpr DBPROPID DBPROP_RETURNPENDINGINSERTS = 0xBD;
constexpr DBPROPID DBPROP_IConvertType = 0xC2;
constexpr DBPROPID DBPROP_IChapteredRowset = 0xCA;
constexpr DBPROPID DBPROP_IDBAsynchStatus = 0xCB;
constexpr DBPROPID DBPROP_IRowsetFind = 0xCC;
constexpr DBPROPID DBPROP_IRowsetView = 0xD4;
constexpr DBPROPID DBPROP_IMultipleResults = 0xD9;
constexpr DBPROPID DBPROP_BOOKMARKINFO = 0xE8;
constexpr DBPROPID DBPROP_UNIQUEROWS = 0xEE;
constexpr DBPROPID DBPROP_IRowsetRefresh = 0xF9;
///@}
