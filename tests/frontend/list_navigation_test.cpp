#include <gtest/gtest.h>

#include "frontend/list_navigation.h"

namespace {

// One press of Down or Up, released before the next.
void press(ListNavigation& list, bool down, int count, int times = 1) {
  for (int i = 0; i < times; ++i) {
    list.apply(down, !down, false, count);
    list.apply(false, false, false, count);
  }
}

TEST(ListText, ShowsTheWindowOfNamesEachOnItsOwnLine) {
  const std::vector<std::string> names{"a", "b", "c"};
  EXPECT_EQ(list_text(0, 10, names), "a\nb\nc\n");
  EXPECT_EQ(list_text(1, 1, names), "b\n");
  EXPECT_EQ(list_text(3, 10, names), "");
  EXPECT_EQ(list_text(7, 10, names), "");
}

TEST(ListNavigation, ShortListsWrapAtBothEnds) {
  ListNavigation one;
  press(one, true, 1);
  press(one, false, 1);
  EXPECT_EQ(one.selected(), 0);

  ListNavigation nine;
  press(nine, false, 9);
  EXPECT_EQ(nine.first, 0);
  EXPECT_EQ(nine.row, 8);
  press(nine, true, 9);
  EXPECT_EQ(nine.selected(), 0);
}

TEST(ListNavigation, TwentyFiveEntriesScrollOneAtATimeAndWrap) {
  ListNavigation list;
  press(list, true, 25, 10);
  EXPECT_EQ(list.row, 9);
  EXPECT_EQ(list.first, 1);
  press(list, true, 25, 14);
  EXPECT_EQ(list.selected(), 24);
  press(list, true, 25);
  EXPECT_EQ(list.first, 0);
  EXPECT_EQ(list.row, 0);

  press(list, false, 25);
  EXPECT_EQ(list.first, 15);
  EXPECT_EQ(list.row, 9);
  press(list, false, 25, 10);
  EXPECT_EQ(list.first, 14);
  EXPECT_EQ(list.row, 0);
}

TEST(ListNavigation, AHeldKeyActsOnceUntilReleased) {
  ListNavigation list;
  list.apply(true, false, false, 5);
  for (int frame = 0; frame < 5; ++frame) list.apply(true, false, true, 5);
  EXPECT_EQ(list.row, 1);
  list.apply(false, false, false, 5);
  list.apply(true, false, false, 5);
  EXPECT_EQ(list.row, 2);
}

}  // namespace
