#include <gtest/gtest.h>

#include "frontend/list_navigation.h"

namespace {

void press_down(ListNavigation& list, int count) {
  list.apply(true, false, false, count);
  list.last_key = 0;  // released before the next press
}

void press_up(ListNavigation& list, int count) {
  list.apply(false, true, false, count);
  list.last_key = 0;
}

TEST(ListText, ShowsTheWindowOfNamesEachOnItsOwnLine) {
  const std::vector<std::string> names{"a", "b", "c"};
  EXPECT_EQ(list_text(0, 10, names), "a\nb\nc\n");
  EXPECT_EQ(list_text(1, 1, names), "b\n");
  EXPECT_EQ(list_text(3, 10, names), "");
  EXPECT_EQ(list_text(7, 10, names), "");
  EXPECT_EQ(list_text(0, 10, {}), "");
}

TEST(ListNavigation, OneEntryStaysSelected) {
  ListNavigation list;
  press_down(list, 1);
  EXPECT_EQ(list.selected(), 0);
  press_up(list, 1);
  EXPECT_EQ(list.selected(), 0);
  EXPECT_EQ(list.first, 0);
}

TEST(ListNavigation, TwoEntriesWrapBothWays) {
  ListNavigation list;
  press_down(list, 2);
  EXPECT_EQ(list.selected(), 1);
  press_down(list, 2);
  EXPECT_EQ(list.selected(), 0);
  press_up(list, 2);
  EXPECT_EQ(list.row, 1);
  EXPECT_EQ(list.first, 0);
}

TEST(ListNavigation, UpOnTheFirstOfNineSelectsTheNinth) {
  ListNavigation list;
  press_up(list, 9);
  EXPECT_EQ(list.first, 0);
  EXPECT_EQ(list.row, 8);
}

TEST(ListNavigation, TwentyFiveEntriesScrollAndWrap) {
  ListNavigation list;
  for (int i = 0; i < 9; ++i) press_down(list, 25);
  EXPECT_EQ(list.row, 9);
  EXPECT_EQ(list.first, 0);
  press_down(list, 25);
  EXPECT_EQ(list.row, 9);
  EXPECT_EQ(list.first, 1);
  for (int i = 0; i < 14; ++i) press_down(list, 25);
  EXPECT_EQ(list.selected(), 24);
  EXPECT_EQ(list.first, 15);
  press_down(list, 25);
  EXPECT_EQ(list.first, 0);
  EXPECT_EQ(list.row, 0);

  press_up(list, 25);
  EXPECT_EQ(list.first, 15);
  EXPECT_EQ(list.row, 9);
  for (int i = 0; i < 9; ++i) press_up(list, 25);
  EXPECT_EQ(list.row, 0);
  EXPECT_EQ(list.first, 15);
  press_up(list, 25);
  EXPECT_EQ(list.first, 14);
}

TEST(ListNavigation, AHeldKeyActsOnceUntilReleased) {
  ListNavigation list;
  list.apply(true, false, false, 5);
  EXPECT_EQ(list.row, 1);
  EXPECT_EQ(list.last_key, 40);
  for (int frame = 0; frame < 5; ++frame) list.apply(true, false, true, 5);
  EXPECT_EQ(list.row, 1);
  list.apply(false, false, false, 5);  // released
  EXPECT_EQ(list.last_key, 0);
  list.apply(true, false, false, 5);
  EXPECT_EQ(list.row, 2);
}

TEST(ListNavigation, DownAndUpInOneFrameCancelOut) {
  ListNavigation list;
  list.row = 3;
  list.apply(true, true, false, 9);
  EXPECT_EQ(list.row, 3);
  EXPECT_EQ(list.last_key, 38);
}

}  // namespace
