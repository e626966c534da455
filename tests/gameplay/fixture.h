#pragma once
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "../datafile/temp_folder.h"
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
struct ScopedDirectory {
  std::filesystem::path previous = std::filesystem::current_path();
  explicit ScopedDirectory(const std::filesystem::path& directory) { std::filesystem::current_path(directory); }
  ~ScopedDirectory() { std::filesystem::current_path(previous); }
};

// The colours of the fixture's pictures: each its own, so a frame shows what is drawn where.
namespace fixture_colour {
using Rgba = platform::PixelBuffer::Rgba;
constexpr Rgba run{220, 30, 30, 255}, jump1{30, 30, 160, 255}, jump2{0, 180, 180, 255}, dash{255, 140, 0, 255};
constexpr Rgba piece{130, 80, 30, 255}, item{250, 220, 0, 255}, darkness{0, 0, 0, 255};
constexpr Rgba backdrop{90, 160, 60, 255}, backdrop_mark{255, 0, 255, 255};  // the mark: column 0 below row 4
}  // namespace fixture_colour

// A temporary data tree of small pictures, made the working directory:
//  - the player (54x54 sprites; 30x30 outlines: head rows 0-7, body rows
//    10-19, feet rows 22-29 in columns 10-19), the darkness layer over the
//    whole window, a 64x48 backdrop,
//  - ground pieces (outline a quarter of the sprite): "flat" 400x40, "block"
//    200x200 and the endless level's seven pieces like "flat",
//  - items with 20x20 outlines: "coin" and the endless level's two.
struct FixtureTree : TempFolder {
  FixtureTree();
  static void write_sprite_file(const std::filesystem::path& xml_path,
                                const std::vector<std::pair<std::string, std::string>>& ids_and_pictures);
  // Sprite file, picture and outline picture ("_out", 1/outline_divisor the size) of a piece, item or backdrop.
  static void add_picture(const std::string& name, const std::string& sprite_id, int width, int height,
                          int outline_divisor = 1, fixture_colour::Rgba colour = fixture_colour::piece);
  static void add_item_picture(const std::string& name) { add_picture(name, name, 20, 20, 1, fixture_colour::item); }
  ScopedDirectory cwd{path};  // left before the folder is removed
};

// Level data filled directly into the tables, as the reader would; numbers go
// into the slot's int or double as the keyword's type says.
struct LevelData : DataFile {
  LevelData() {
    current = level_table;
    set("type", "normal").set("background", "background").set("acceleration", 0.2).set("max_speed", 1000.0);
    for (const char* list : {"ground", "item", "itemdef"}) level_table[list].set = true;
  }
  LevelData& set(const std::string& keyword, const std::string& value) {
    return current[keyword].set_string(value), *this;
  }
  LevelData& set(const std::string& keyword, double number) {
    DataValue& slot = current[keyword];
    slot.int_value = slot.type == type_int ? static_cast<std::int32_t>(number) : 0;
    slot.double_value = number;
    slot.set = true;
    return *this;
  }
  LevelData& ground(int x, int y, const std::string& name, const std::string& move_function = "none") {
    return level_table["ground"].add_ground(GroundEntry(x, y, name, move_function)), *this;
  }
  LevelData& item(int x, int y, const std::string& name) {
    return level_table["item"].items.push_back(ItemEntry(x, y, name)), *this;
  }
  LevelData& itemdef(const std::string& name, int points, int increment, const std::string& cumulative,
                     const std::string& crashable, const std::string& deadly) {
    level_table["itemdef"].add_itemdef(name, ItemDef(points, points, increment, cumulative, crashable, deadly));
    return *this;
  }
};

// A virtual seam that calls `at_poll`, when set, with the index of each poll
// before it delivers the poll's keys: between two frames of an attempt.
struct WatchedSeam : platform::VirtualSeam {
  using platform::VirtualSeam::VirtualSeam;
  void poll_keys(std::vector<platform::KeyEventRecord>& out) override {
    if (at_poll) at_poll(polls());
    platform::VirtualSeam::poll_keys(out);
  }
  std::function<void(std::uint64_t poll)> at_poll;
};

// Virtual clock and scripted keys for one test.
struct VirtualTime {
  WatchedSeam seam{1000, 1700000000};
  platform::ScopedSeam installed{seam};
};

constexpr int key_z = 90, key_x = 88, key_escape = 27;

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
