#pragma once
#include <cstdlib>
#include <ctime>
#include <filesystem>
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

// One window for the whole test program (windows are slow to open).
TestScreen& test_screen();

// Makes a working directory and restores the previous one when destroyed.
class ScopedDirectory {
 public:
  explicit ScopedDirectory(const std::filesystem::path& directory);
  ~ScopedDirectory();
 private:
  std::filesystem::path previous_;
};

// A temporary data tree of small pictures, made the working directory:
//  - the player (54x54 sprites; 30x30 outlines: head rows 0-7, body rows
//    10-19, feet rows 22-29 in columns 10-19), the darkness layer, a 64x48 backdrop,
//  - ground pieces (outline a quarter of the sprite): "flat" 400x40, "block"
//    200x200 and the endless level's seven pieces like "flat",
//  - items with 20x20 outlines: "coin" and the endless level's two.
class FixtureTree {
 public:
  FixtureTree();
  ~FixtureTree();
  static void write_sprite_file(const std::filesystem::path& xml_path,
                                const std::vector<std::pair<std::string, std::string>>& ids_and_pictures);
  // Sprite file, picture and outline picture ("_out", 1/outline_divisor the size) of a piece, item or backdrop.
  static void add_picture(const std::string& name, const std::string& sprite_id, int width, int height,
                          int outline_divisor = 1);
  static void add_item_picture(const std::string& name) { add_picture(name, name, 20, 20); }

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
  LevelData& ground(int x, int y, const std::string& name, const std::string& move_function = "none");
  LevelData& item(int x, int y, const std::string& name);
  LevelData& itemdef(const std::string& name, int points, int increment, const std::string& cumulative,
                     const std::string& crashable, const std::string& deadly);
  DataFile& file() { return data_; }

 private:
  DataFile data_;
};

// Virtual clock and scripted keys for one test.
struct VirtualTime {
  platform::VirtualSeam seam{1000, 1700000000};
  platform::ScopedSeam installed{seam};
};

constexpr int key_z = 90;
constexpr int key_x = 88;
constexpr int key_escape = 27;

// Releases the keys and processes one frame's messages so the key-ups reach
// the shared keyboard, then clears the process-wide key flags and frame times.
void release_keys(platform::VirtualSeam& seam);

// The first second from 1700000000 on whose std::rand draws, seeded with it,
// satisfy `wanted` (the endless level seeds its generator with the second).
template <class Draws>
std::time_t first_second(Draws wanted) {
  for (std::time_t t = 1700000000;; ++t) {
    std::srand(static_cast<unsigned>(t));
    if (wanted()) return t;
  }
}
