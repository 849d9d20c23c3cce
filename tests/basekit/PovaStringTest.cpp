#include <basekit/PovaString.h>

#include <gtest/gtest.h>

TEST(PovaString, BuildsFromUtf8) { EXPECT_EQ(PovaString("abc").wstring(), u"abc"); }
