#pragma once
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "datafile/data_file.h"
#include "gameplay/game.h"
#include "platform/platform.h"

// Headless window, graphic context and keyboard for building game objects.
struct TestScreen {
  TestScreen();
  platform::SetupCore core;
  platform::SetupDisplay display;
  platform::SetupGL1 gl;
  platform::DisplayWindow window;
  platform::GraphicContext gc;
  platform::InputDevice keyboard;
};

// Makes a working directory and restores the previous one when destroyed.
class ScopedDirectory {
 public:
  explicit ScopedDirectory(const std::filesystem::path& directory);
  ~ScopedDirectory();
 private:
  std::filesystem::path previous_;
};

// A temporary data tree of small pictures, built fresh per test:
//  - the player (54x54 sprites; 30x30 outline pictures: head rows 0-7,
//    body rows 10-19, feet rows 22-29 and columns 10-19),
//  - the darkness layer and a 64x48 backdrop,
//  - "flat": a 400x40 ground piece with an opaque 100x10 outline picture,
//  - "block": a 200x200 piece (50x50 outline), for walls and ceilings,
//  - "coin": an item with an opaque 20x20 outline,
//  - the endless level's seven pieces and two items, each piece like "flat".
class FixtureTree {
 public:
  FixtureTree();
  ~FixtureTree();
  const std::filesystem::path& root() const { return root_; }

  static void write_picture(const std::filesystem::path& path, int width, int height, int first_opaque_row = 0,
                            int last_opaque_row = -1, int first_opaque_column = 0, int last_opaque_column = -1);
  static void write_sprite_file(const std::filesystem::path& xml_path,
                                const std::vector<std::pair<std::string, std::string>>& ids_and_pictures);
  // A short silent 8-bit mono WAVE file.
  static void write_wave(const std::filesystem::path& path);
  // A ground piece "name": sprite w x h, outline picture a quarter of that.
  void add_ground_picture(const std::string& name, int width, int height);
  // An item "name" (may contain '/'), outline picture w x h.
  void add_item_picture(const std::string& name, int width, int height);

 private:
  std::filesystem::path root_;
  std::unique_ptr<ScopedDirectory> cwd_;
};

// Level data filled directly into a DataFile's tables, as the reader would.
class LevelData {
 public:
  LevelData();
  LevelData& set(const std::string& keyword, const std::string& value);
  LevelData& set_int(const std::string& keyword, int value);
  LevelData& set_double(const std::string& keyword, double value);
  LevelData& ground(int x, int y, const std::string& name, const std::string& move_function = "none");
  LevelData& item(int x, int y, const std::string& name);
  LevelData& itemdef(const std::string& name, int points, int increment, const std::string& cumulative,
                     const std::string& crashable, const std::string& deadly);
  DataFile& file();

 private:
  DataFile data_;
};

// Virtual clock and scripted keys for one test.
struct VirtualTime {
  platform::VirtualSeam seam{1000, 1700000000};
  platform::ScopedSeam installed{seam};
};

// Resets the process-wide key flags and frame-time average between tests.
void reset_key_state();

constexpr int key_z = 90;
constexpr int key_x = 88;
constexpr int key_escape = 27;

// One window for the whole test program (windows are slow to open).
TestScreen& test_screen();

// Runs one frame's worth of message processing so scripted key-ups reach the
// keyboard (a shared keyboard would otherwise remember ESC from an earlier test).
void release_keys(platform::VirtualSeam& seam);
