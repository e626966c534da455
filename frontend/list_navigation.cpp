#include "frontend/list_navigation.h"

#include <algorithm>

#include "frontend/key_codes.h"

std::string list_text(unsigned int first, unsigned int count, const std::vector<std::string>& names) {
  const std::size_t end = std::min<std::size_t>(std::size_t{first} + count, names.size());
  std::string text;
  for (std::size_t i = first; i < end; ++i) {
    text += names[i];
    text += '\n';
  }
  return text;
}

void ListNavigation::apply(const platform::InputDevice& keyboard, int entry_count) {
  const bool last_key_held = last_key != 0 && keyboard.get_keycode(last_key);
  apply(keyboard.get_keycode(Key::down), keyboard.get_keycode(Key::up), last_key_held, entry_count);
}

void ListNavigation::apply(bool down_held, bool up_held, bool last_key_held, int entry_count) {
  if (last_key_held) return;
  last_key = 0;
  if (entry_count <= 0) return;
  if (down_held) {
    last_key = Key::down;
    if (row != rows - 1 && row != entry_count - 1) {
      ++row;
    } else if (first + row < entry_count - 1) {
      ++first;
    } else {
      first = 0;
      row = 0;
    }
  }
  if (up_held) {
    last_key = Key::up;
    if (row != 0) {
      --row;
    } else if (first != 0) {
      --first;
    } else {
      first = std::max(0, entry_count - rows);
      row = std::min(rows - 1, entry_count - 1);
    }
  }
}
