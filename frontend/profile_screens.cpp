#include <algorithm>
#include <filesystem>

#include "frontend/frontend.h"
#include "frontend/key_codes.h"
#include "frontend/list_navigation.h"

namespace {

constexpr std::size_t longest_profile_name = 20;

}  // namespace

std::vector<std::string> unlocked_levels_of(DataFile& profile) {
  const auto slot = profile.current.find("unlocked_level");
  if (slot == profile.current.end() || !slot->second.set) return {};
  return profile.get_string_vector("unlocked_level");
}

int Frontend::select_profile() {
  if (profiles.empty()) return Screen::profile_creation;

  std::vector<std::string> entries = profiles;
  entries.push_back("Create a new profile!");
  const int entry_count = static_cast<int>(entries.size());
  const std::string hint = "\n\nPress Z or X to select";
  ListNavigation list;

  while (!held(Key::escape)) {
    if (held(Key::z) || held(Key::x)) break;
    draw_list(150, list, entries, hint);
    show_frame(50);
    list.apply(keyboard, entry_count);
  }

  if (held(Key::escape)) {
    quit = true;
    return Screen::main_menu;
  }
  if (list.selected() == entry_count - 1) return Screen::profile_creation;
  if (held(Key::z) || held(Key::x)) {
    const std::string chosen = profiles[list.selected()];
    DataFile profile;
    profile.load_profile(chosen + ".prf");
    profile_name = chosen;
    // The chosen player's own list, never the one of the profile before.
    unlocked_levels = unlocked_levels_of(profile);
  }
  return Screen::main_menu;
}

int Frontend::create_profile() {
  std::string typed;
  int last_key = 0;

  while (!held(Key::escape)) {
    if (held(Key::enter) && (!typed.empty() || !profile_name.empty())) break;
    fill_with_gradient();
    big_font.draw_text(gc, 70, 50, "Creating a new profile named:", text_colour);
    big_font.draw_text(gc, 150, 200, typed, text_colour);
    big_font.draw_text(gc, 120, 420, "Press ENTER when done", text_colour);
    show_frame(25);

    if (last_key != 0 && held(last_key)) continue;
    last_key = 0;
    for (int letter = Key::a; letter <= Key::z; ++letter) {
      if (held(letter)) {
        typed += static_cast<char>(letter);
        last_key = letter;
        break;
      }
    }
    if (last_key == 0 && held(Key::backspace)) {
      if (!typed.empty()) typed.pop_back();
      last_key = Key::backspace;
    }
    if (typed.size() > longest_profile_name) typed.resize(longest_profile_name);
  }

  if (held(Key::escape) && profile_name.empty()) {
    quit = true;
    return Screen::main_menu;
  }
  if (!typed.empty()) {
    profile_name = typed;
    // A name that already has a file keeps that file's levels; a new name
    // starts with none, never with the list of the profile before it.
    unlocked_levels.clear();
    DataFile existing;
    try {
      existing.load_profile(typed + ".prf");
      unlocked_levels = unlocked_levels_of(existing);
    } catch (const std::string&) {
    }
  }
  return Screen::main_menu;
}
