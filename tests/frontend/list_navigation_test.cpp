#include <gtest/gtest.h>

#include "frontend/list_navigation.h"

namespace {

// Presses of Down (+1) or Up (-1), each released before the next; returns
// first * 100 + row.
int after(ListNavigation& list, int entries, int presses) {
  for (int i = 0; i < std::abs(presses); ++i) {
    list.apply(presses > 0, presses < 0, false, entries);
    list.apply(false, false, false, entries);
  }
  return list.first * 100 + list.row;
}

TEST(ListNavigation, WrapsScrollsAndActsOnceOnAHeldKey) {
  ListNavigation one, nine, many, held;
  EXPECT_EQ(after(one, 1, +1) + after(one, 1, -1), 0);
  EXPECT_EQ((std::vector{after(nine, 9, -1), after(nine, 9, +1)}), (std::vector{8, 0})) << "Up on the first: the ninth";
  // Down on row 9 scrolls one entry, Down on entry 24 goes to the top, Up on the first shows 15 to 24.
  EXPECT_EQ((std::vector{after(many, 25, +10), after(many, 25, +14), after(many, 25, +1), after(many, 25, -1),
                         after(many, 25, -10)}),
            (std::vector{109, 1509, 0, 1509, 1400}));
  held.apply(true, false, false, 5);
  for (int frame = 0; frame < 5; ++frame) held.apply(true, false, true, 5);
  EXPECT_EQ(after(held, 5, +1), 2);
}

TEST(ListNavigation, TheTextShowsTheWindowOfNames) {
  const std::vector<std::string> names{"a", "b", "c"};
  EXPECT_EQ(list_text(0, 10, names) + list_text(1, 1, names), "a\nb\nc\nb\n");
  EXPECT_EQ(list_text(3, 10, names) + list_text(7, 10, names), "");
}

}  // namespace
