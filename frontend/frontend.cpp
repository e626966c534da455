#include "frontend/frontend.h"
#include "frontend/list_navigation.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "frontend/key_codes.h"
#include "frontend/safe_file_writer.h"
#include "platform/console.h"

namespace {

platform::Sprite sprite_from_picture(platform::GraphicContext& gc, const std::string& path) {
  return platform::Sprite(gc, platform::SpriteDescription::from_pictures({path}, path));
}

std::string selector_frame_path(int frame) {
  char name[32];
  std::snprintf(name, sizeof name, "star_selector/%04d.png", frame);
  return name;
}

// A control byte in a file name (a line break, say) would take a list row of
// its own, and the name goes on into the high-score file's name and the
// profile's "name" line; such files are left out of the lists.
bool has_control_byte(const std::string& name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
  });
}

}  // namespace

Frontend::Frontend()
    : setup_sound(false),
      setup_vorbis(false),
      sound_output(44100, 256),
      big_font(gc, "Verdana", 40),
      small_font(gc, "Verdana", 14),
      gradient(platform::Colorf::from_bytes(23, 95, 39), platform::Colorf::from_bytes(7, 56, 17)),
      text_colour(platform::Colorf::from_bytes(186, 145, 42)),
      version("0.8.0") {
  if (sound_output.is_silent())
    platform::Console::write_error_line("Could not open the sound output: " + sound_output.why_silent() +
                                        "; the game runs without sound");
  platform::DisplayWindowDescription description;
  description.set_title("Morvane");
  description.set_size(640, 480, true);
  description.set_allow_resize(false);
  description.show_maximize_button(false);
  description.show_sysmenu(false);
  description.show_minimize_button(true);
  window = platform::DisplayWindow(description);
  gc = window.get_gc();
  keyboard = window.get_keyboard();

  data.read("config/main.cfg", &data.config_table);
  data.current = data.config_table;

  background = sprite_from_picture(gc, data.get_string("background"));
  const auto music = data.current.find("menu_music");
  if (music != data.current.end() && music->second.set) {
    menu_music = platform::SoundBuffer(data.get_string("menu_music"), false, "");
  }

  std::vector<std::string> selector_frames;
  for (int frame = 1; frame <= 21; ++frame) selector_frames.push_back(selector_frame_path(frame));
  selector = platform::Sprite(gc, platform::SpriteDescription::from_pictures(selector_frames, "star_selector/"));
  selector.set_play_loop(true);
  selector.set_delay(20);

  scan_files("profiles", "*.prf", &profiles);
  scan_files("levels", "*.qel", &levels);
  scan_files("levels", "*.cmp", &campaigns);
}

Frontend::~Frontend() = default;

void Frontend::scan_files(std::string folder, std::string pattern, std::vector<std::string>* list) {
  platform::DirectoryScanner scanner;
  if (!scanner.scan(folder, pattern)) return;
  while (scanner.next()) {
    const std::string name = scanner.get_name();
    if (name.size() < 4 || has_control_byte(name)) continue;
    DataFile file;
    try {
      if (pattern == "*.prf") {
        file.load_profile(name);
      } else if (pattern == "*.qel") {
        file.load_level(name);
      } else {
        file.load_campaign(name);
      }
    } catch (const std::string&) {
      continue;
    }
    list->push_back(name.substr(0, name.size() - 4));
  }
}

void Frontend::run() {
  quit = false;
  int screen = Screen::profile_select;

  if (!menu_music.is_null()) {
    menu_music_session.stop();
    menu_music_session = menu_music.play(false);
    menu_music_session.set_looping(true);
  }

  while (!quit) {
    wait_for_released_keys();
    int next;
    switch (screen) {
      case Screen::profile_select: next = select_profile(); break;
      case Screen::profile_creation: next = create_profile(); break;
      case Screen::level_select: next = play_level(); break;
      case Screen::credits: next = credits(); break;
      default: next = main_menu(); break;
    }
    screen = next;
  }
  save_profile();
}

void Frontend::wait_for_released_keys() {
  while (held(Key::z) || held(Key::x) || held(Key::escape)) {
    platform::System::sleep(10);
    platform::KeepAlive::process(0);
  }
}

void Frontend::save_profile() {
  // Nobody has played under a name yet: there is nothing to keep.
  if (profile_name.empty()) return;
  const std::string file = profile_name + ".prf", path = "profiles/" + file;
  const auto merge = [&](const std::string* on_disk, std::string& refusal) {
    // Another copy of the game may have saved this profile since it was
    // chosen: the levels it unlocked stay unlocked.
    std::vector<std::string> levels = unlocked_levels;
    if (on_disk) {
      try {
        DataFile profile;
        profile.load_profile(file);
        for (const std::string& level : unlocked_levels_of(profile))
          if (std::find(levels.begin(), levels.end(), level) == levels.end()) levels.push_back(level);
      } catch (const std::string&) {
        // A file that does not load (a newer game's, say) was left off the
        // profile list; its levels must not be lost to the new profile.
        std::string reason;
        const std::string backup = keep_as_backup(path, reason);
        if (backup.empty()) {
          refusal = "it did not load and could not be kept as a backup (" + reason + ")";
        } else {
          platform::Console::write_error_line(path + " did not load; it was kept as " + backup);
        }
        levels = unlocked_levels;
      }
    }
    std::ostringstream text;
    text << "name " << profile_name << "\n";
    for (const std::string& level : levels) text << "unlocked_level " << level << "\n";
    text << "\n";
    return text.str();
  };
  if (std::string reason = save_merged_with_disk(path, merge); !reason.empty())
    throw std::runtime_error("Cannot open profile file '" + file + "': " + reason);
}

void Frontend::fill_with_gradient() {
  platform::Draw::gradient_fill(gc, platform::Rectf(0, 0, 640, 480), gradient);
}

void Frontend::draw_list(int text_x, const ListNavigation& list, const std::vector<std::string>& names,
                         const std::string& hint) {
  fill_with_gradient();
  big_font.draw_text(gc, text_x, 40, list_text(list.first, ListNavigation::rows, names), text_colour);
  big_font.draw_text(gc, 100, 360, hint, text_colour);
  selector.update();
  selector.draw(gc, text_x - 50, 40 * list.row);
}

void Frontend::show_frame(int sleep_ms) {
  window.flip(-1);
  platform::System::sleep(sleep_ms);
  platform::KeepAlive::process(0);
}
