// ZELT_o::ColumnInfo: the description of one column of a rowset.
#pragma once

#include <pova/pova_export.h>

namespace ZELT_o {

class POVA_API ColumnInfo {
public:
    virtual ~ColumnInfo();

protected:
    ColumnInfo() = default;
    ColumnInfo(ColumnInfo const&) = default;
    ColumnInfo& operator=(ColumnInfo const&) = default;
};

}  // namespace ZELT_o
