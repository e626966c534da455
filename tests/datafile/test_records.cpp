#include <gtest/gtest.h>

#include "datafile/data_value.h"

TEST(ItemDef, EachFlagNeedsItsExactWordInItsOwnPlace) {
  const ItemDef star(10, 10, 2, "cumulative", "notCrashable", "deadly");
  EXPECT_TRUE(star.cumulative && !star.crashable && star.deadly);
  for (const char* near_miss : {"Cumulative", "cumulative ", "cumulativ", ""}) {
    EXPECT_FALSE(ItemDef(1, 1, 0, near_miss, "", "").cumulative) << '"' << near_miss << '"';
  }
  const ItemDef shuffled(1, 1, 0, "crashable", "deadly", "cumulative");
  EXPECT_FALSE(shuffled.cumulative || shuffled.crashable || shuffled.deadly);
}
