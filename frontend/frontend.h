#pragma once
#include <functional>
#include <string>
#include <vector>

#include "datafile/data_file.h"
#include "frontend/screen.h"
#include "gameplay/game.h"
#include "platform/platform.h"

struct ListNavigation;

// The level list of a loaded profile file, empty when the file gives none.
std::vector<std::string> unlocked_levels_of(DataFile& profile);

// The application: everything that lives for the whole game, and the screen
// loop that runs one screen after the other until the player quits.
class Frontend {
 public:
  // Opens the window, reads "config/main.cfg" and the pictures and music it
  // names, and scans the profile, level and campaign files.
  Frontend();
  Frontend(const Frontend&) = delete;
  Frontend& operator=(const Frontend&) = delete;
  ~Frontend();

  // The screen loop; returns after the current profile has been written.
  void run();

  // Appends to the list the names (less their extension) of the files in the
  // folder matching the pattern that read without error; a name holding a
  // control byte (below 0x20, or 0x7f) is left out.
  static void scan_files(std::string folder, std::string pattern, std::vector<std::string>* list);

  // Writes the current profile to "profiles/<name>.prf"; nothing while no
  // profile is current.
  void save_profile();

  // The screens; each returns the number of the next screen (see Screen) and
  // may set `quit`.
  int select_profile();
  int create_profile();
  int play_level();
  int main_menu();
  int credits();

  // Plays one attempt at the level (fading in from the overlay when asked,
  // showing the lives given) and hands its result to `finish` while the
  // attempt's objects still exist.
  using AttemptRunner = std::function<void(DataFile& level, bool fade_overlay, int hud_lives,
                                           platform::Sprite overlay,
                                           const std::function<void(const GameResult&)>& finish)>;
  // Plays the level named (as listed) in attempts with lives, shows each
  // result, then files and shows the total's high score. play_level calls it
  // with attempts played by `Game`.
  void run_level(const std::string& name, const AttemptRunner& play_attempt);

  // The text the main menu shows as the game's web page.
  static constexpr const char* web_address = "www.example.org/morvane";

  // Fields, in the order of their construction.
  platform::SetupCore setup_core;
  platform::SetupDisplay setup_display;
  platform::SetupGL1 setup_gl1;
  platform::SetupSound setup_sound;
  platform::SetupVorbis setup_vorbis;
  platform::SoundOutput sound_output;
  platform::DisplayWindow window;
  platform::GraphicContext gc;
  platform::InputDevice keyboard;
  platform::SoundBuffer_Session menu_music_session;
  platform::SoundBuffer menu_music;
  platform::Sprite background;
  platform::Sprite selector;
  platform::Sprite snapshot;
  platform::SpriteDescription snapshot_frames;
  platform::Font big_font;
  platform::Font small_font;
  platform::Gradient gradient;
  platform::Colorf text_colour;
  std::vector<std::string> profiles;
  std::vector<std::string> levels;
  std::vector<std::string> campaigns;
  std::vector<std::string> unlocked_levels;
  std::string profile_name;
  bool quit = false;
  DataFile data;
  std::string version;

 private:
  void wait_for_released_keys();
  void show_result(const std::string& headline, const std::string& scores, const std::string& prompt,
                   platform::Font& headline_font, platform::Font& score_font,
                   const platform::Gradient& result_gradient, bool z_held_at_end);
  void fill_with_gradient();
  // The profile list and the level list: gradient, ten rows of names at
  // (text_x, 40), the hint below, and the selector beside the chosen row.
  void draw_list(int text_x, const ListNavigation& list, const std::vector<std::string>& names,
                 const std::string& hint);
  void show_frame(int sleep_ms);
  bool held(int key) const { return keyboard.get_keycode(key); }
};
