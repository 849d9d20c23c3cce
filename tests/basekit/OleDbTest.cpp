#include <basekit/OleDb.h>

#include <gtest/gtest.h>

#include <type_traits>

namespace {

// Consumers and the rowset helpers build these with brace initialisation.
static_assert(std::is_aggregate_v<DBBINDING> && std::is_aggregate_v<DBCOLUMNINFO>);

TEST(OleDb, NewColumnIdentifiersAreZero) {
    DBCOLUMNINFO info{};
    EXPECT_TRUE(info.pwszName == nullptr && info.columnid.eKind == DBKIND_GUID_NAME &&
                info.columnid.uGuid.guid == GUID_NULL && info.columnid.uName.pwszName == nullptr);
}

}  // namespace
