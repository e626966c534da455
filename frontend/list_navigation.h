#pragma once
#include <string>
#include <vector>

#include "platform/display.h"

// The names from index `first` up to min(first + count, names.size()), each
// followed by a line break; empty when first is not below that bound.
std::string list_text(unsigned int first, unsigned int count, const std::vector<std::string>& names);

// The ten-row scrolling window over a list that the profile list and the
// level list share. A key acts once per press: it must be released before it
// acts again.
struct ListNavigation {
  static constexpr int rows = 10;

  int first = 0;     // entry in the top row
  int row = 0;       // selected row, 0..9
  int last_key = 0;  // key that acted last, 0 for none

  int selected() const { return first + row; }
  // One frame's Up/Down handling over a list of entry_count entries.
  void apply(const platform::InputDevice& keyboard, int entry_count);
  // The same with the two keys' states given directly.
  void apply(bool down_held, bool up_held, bool last_key_held, int entry_count);
};
