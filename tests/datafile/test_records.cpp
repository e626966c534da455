#include <gtest/gtest.h>

#include "datafile/data_value.h"

TEST(ItemDef, FlagsComeOnlyFromTheExactWordInTheirOwnPlace) {
  const ItemDef star(10, 10, 2, "cumulative", "notCrashable", "deadly");
  EXPECT_EQ(star.base_points, 10);
  EXPECT_EQ(star.current_points, 10);
  EXPECT_EQ(star.increment, 2);
  EXPECT_TRUE(star.cumulative);
  EXPECT_FALSE(star.crashable);
  EXPECT_TRUE(star.deadly);

  for (const char* near_miss : {"Cumulative", "cumulative ", "cumulativ", ""}) {
    EXPECT_FALSE(ItemDef(1, 1, 0, near_miss, "", "").cumulative) << '"' << near_miss << '"';
  }
  const ItemDef shuffled(1, 1, 0, "crashable", "deadly", "cumulative");
  EXPECT_FALSE(shuffled.cumulative || shuffled.crashable || shuffled.deadly);

  const ItemDef blank;
  EXPECT_EQ(blank.base_points + blank.current_points + blank.increment, 0);
  EXPECT_FALSE(blank.cumulative || blank.crashable || blank.deadly);
}

TEST(DataValue, SlotsCopyTheirStateAndKeepTheFirstItemDefinition) {
  const DataValue fresh;
  const DataValue fresh_copy = fresh;
  EXPECT_EQ(fresh_copy.type, type_string);
  EXPECT_FALSE(fresh_copy.obligatory);
  EXPECT_FALSE(fresh_copy.set);

  DataValue defs(true, type_itemdef);
  defs.add_itemdef("star", ItemDef(10, 10, 2, "cumulative", "", ""));
  defs.add_itemdef("star", ItemDef(99, 99, 9, "", "crashable", "deadly"));
  const DataValue copy = defs;
  EXPECT_TRUE(copy.set);
  EXPECT_TRUE(copy.obligatory);
  EXPECT_EQ(copy.type, type_itemdef);
  ASSERT_EQ(copy.get_itemdefs().size(), 1u);
  const ItemDef kept = copy.get_itemdefs().at("star");
  EXPECT_EQ(kept.base_points, 10);
  EXPECT_TRUE(kept.cumulative);
  EXPECT_FALSE(kept.crashable);

  DataValue text(type_string);
  text.set_string("");
  EXPECT_TRUE(text.set);
  EXPECT_EQ(text.get_string(), "");
}
