// The element tables across their block boundaries: order, indexing and taking back the last.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "exchange/BlockTable.h"

namespace sorea {
namespace {

template <typename T>
void ExpectNumbered(const BlockTable<T>& table, std::size_t count) {
  ASSERT_EQ(table.size(), count);
  std::size_t i = 0;
  for (const T& value : table) {
    ASSERT_EQ(value, T(std::to_string(i))) << i;
    ASSERT_EQ(table[i], value);
    ++i;
  }
  EXPECT_EQ(i, count);
}

TEST(BlockTableTest, KeepsOrderAcrossBlocksAndTakesBackTheLast) {
  // 16 KB blocks of 32-byte strings hold 512 each: these counts end just before, at and after
  // a block's end, and after several blocks.
  for (const std::size_t count : {1u, 511u, 512u, 513u, 1024u, 2500u}) {
    BlockTable<std::string> table;
    for (std::size_t i = 0; i < count; ++i) table.emplace_back(std::to_string(i));
    ExpectNumbered(table, count);
    table.pop_back();
    ExpectNumbered(table, count - 1);
    table.push_back(std::to_string(count - 1));
    ExpectNumbered(table, count);
    EXPECT_EQ(table.back(), std::to_string(count - 1));
    BlockTable<std::string> copy = table;
    table.Release();
    EXPECT_TRUE(table.empty());
    ExpectNumbered(copy, count);
  }
}

TEST(BlockTableTest, ElementsLargerThanABlockStandOneToABlock) {
  BlockTable<std::array<char, 20000>> table;
  for (char c : {'a', 'b', 'c'}) table.emplace_back().fill(c);
  table.pop_back();
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[1][19999], 'b');
  EXPECT_EQ(table.back()[0], 'b');
}

}  // namespace
}  // namespace sorea
