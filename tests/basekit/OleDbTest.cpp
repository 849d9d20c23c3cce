#include <basekit/OleDb.h>

#include <gtest/gtest.h>

#include <type_traits>

namespace {

// Consumers and the rowset helpers build these with brace initialisation.
static_assert(std::is_aggregate_v<DBBINDING> && std::is_aggregate_v<DBCOLUMNINFO>);

TEST(OleDb, NewColumnIdentifiersAreZero) {
    DBID id;
    EXPECT_EQ(id.eKind, DBKIND_GUID_NAME);
    EXPECT_EQ(id.uGuid.guid, GUID_NULL);
    EXPECT_EQ(id.uName.pwszName, nullptr);

    DBCOLUMNINFO info{};
    EXPECT_EQ(info.pwszName, nullptr);
    EXPECT_EQ(info.columnid.eKind, DBKIND_GUID_NAME);
    EXPECT_EQ(info.columnid.uName.pwszName, nullptr);
}

}  // namespace
