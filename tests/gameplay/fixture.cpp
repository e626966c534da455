#include "fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

TestScreen::TestScreen() {
  platform::DisplayWindowDescription description;
  description.set_title("Morvane");
  description.set_size(640, 480, true);
  window = platform::DisplayWindow(description);
  gc = window.get_gc();
  keyboard = window.get_keyboard();
}

ScopedDirectory::ScopedDirectory(const fs::path& directory) : previous_(fs::current_path()) {
  fs::current_path(directory);
}

ScopedDirectory::~ScopedDirectory() { fs::current_path(previous_); }

void FixtureTree::write_picture(const fs::path& path, int width, int height, int first_opaque_row,
                                int last_opaque_row, int first_opaque_column, int last_opaque_column) {
  if (last_opaque_row < 0) last_opaque_row = height - 1;
  if (last_opaque_column < 0) last_opaque_column = width - 1;
  fs::create_directories(path.parent_path());
  platform::PixelBuffer picture(width, height);
  for (int row = first_opaque_row; row <= last_opaque_row && row < height; ++row) {
    for (int column = first_opaque_column; column <= last_opaque_column && column < width; ++column) picture.set_pixel(column, row, {90, 160, 60, 255});
  }
  platform::PNGProvider::save(picture, path.string());
}

void FixtureTree::write_sprite_file(const fs::path& xml_path,
                                    const std::vector<std::pair<std::string, std::string>>& ids_and_pictures) {
  fs::create_directories(xml_path.parent_path());
  std::ofstream out(xml_path);
  out << "<resources>\n";
  for (const auto& [id, picture] : ids_and_pictures) {
    out << "  <sprite name=\"" << id << "\"><image file=\"" << picture << "\"/></sprite>\n";
  }
  out << "</resources>\n";
}

void FixtureTree::add_ground_picture(const std::string& name, int width, int height) {
  const fs::path base = fs::path("images") / name;
  write_picture(base.string() + ".png", width, height);
  write_picture(base.string() + "_out.png", width / 4, height / 4);
  write_sprite_file(base.string() + ".xml", {{"ground", base.filename().string() + ".png"}});
}

void FixtureTree::add_item_picture(const std::string& name, int width, int height) {
  const fs::path base = fs::path("images") / name;
  write_picture(base.string() + ".png", width, height);
  write_picture(base.string() + "_out.png", width, height);
  write_sprite_file(base.string() + ".xml", {{name, base.filename().string() + ".png"}});
}

FixtureTree::FixtureTree() {
  std::string pattern = (fs::temp_directory_path() / "morvane-gameplay-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  root_ = pattern;
  cwd_ = std::make_unique<ScopedDirectory>(root_);

  for (const char* id : {"run", "jump1", "jump2", "dash"}) write_picture(std::string("images/pony/") + id + ".png", 54, 54);
  write_sprite_file("images/pony/pony.xml",
                    {{"run", "run.png"}, {"jump1", "jump1.png"}, {"jump2", "jump2.png"}, {"dash", "dash.png"}});
  write_picture("images/unicorn_outline_upper.png", 30, 30, 0, 7);
  write_picture("images/unicorn_outline_middle.png", 30, 30, 10, 19);
  write_picture("images/unicorn_outline_lower.png", 30, 30, 22, 29, 10, 19);
  write_picture("images/black_layer.png", 8, 8);
  write_sprite_file("images/black_layer.xml", {{"black_layer", "black_layer.png"}});
  write_picture("images/background.png", 64, 48);
  write_sprite_file("images/background.xml", {{"background", "background.png"}});
  add_ground_picture("flat", 400, 40);
  add_ground_picture("block", 200, 200);
  add_item_picture("coin", 20, 20);
  for (int n = 1; n <= 7; ++n) add_ground_picture("levels/enchanted_woods/ground" + std::to_string(n) + "green", 400, 40);
  add_item_picture("levels/enchanted_woods/Fred", 20, 20);
  add_item_picture("levels/enchanted_woods/omena", 20, 20);
}

FixtureTree::~FixtureTree() {
  cwd_.reset();
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

LevelData::LevelData() {
  data_.current = data_.level_table;
  set("type", "normal");
  set("background", "background");
  set_double("acceleration", 0.2);
  set_double("max_speed", 1000.0);
  data_.level_table["ground"].set = true;
  data_.level_table["item"].set = true;
  data_.level_table["itemdef"].set = true;
}

LevelData& LevelData::set(const std::string& keyword, const std::string& value) {
  data_.current[keyword].set_string(value);
  return *this;
}

LevelData& LevelData::set_int(const std::string& keyword, int value) {
  DataValue& slot = data_.current[keyword];
  slot.type = type_int;
  slot.int_value = value;
  slot.set = true;
  return *this;
}

LevelData& LevelData::set_double(const std::string& keyword, double value) {
  DataValue& slot = data_.current[keyword];
  slot.type = type_double;
  slot.double_value = value;
  slot.set = true;
  return *this;
}

LevelData& LevelData::ground(int x, int y, const std::string& name, const std::string& move_function) {
  data_.level_table["ground"].add_ground(GroundEntry(x, y, name, move_function));
  return *this;
}

LevelData& LevelData::item(int x, int y, const std::string& name) {
  data_.level_table["item"].items.push_back(ItemEntry(x, y, name));
  return *this;
}

LevelData& LevelData::itemdef(const std::string& name, int points, int increment, const std::string& cumulative,
                              const std::string& crashable, const std::string& deadly) {
  data_.level_table["itemdef"].add_itemdef(name, ItemDef(points, points, increment, cumulative, crashable, deadly));
  return *this;
}

DataFile& LevelData::file() { return data_; }

void reset_key_state() {
  jump_held = jump_pressed = dash_pressed = false;
  frame_times.clear();
}

namespace {
// The sound output is closed at exit, so its mixing thread is gone before the
// program's statics are destroyed.
struct TestSound {
  platform::SetupSound setup;
  platform::SoundOutput output{44100, 256};
};
}  // namespace

TestScreen& test_screen() {
  // The window stays open until the process ends: closing it unloads the
  // video driver, whose own small leaks would then be reported without a name.
  static TestScreen* screen = new TestScreen;
  static TestSound sound;
  return *screen;
}

void release_keys(platform::VirtualSeam& seam) {
  for (int key : {key_z, key_x, key_escape}) seam.key_now(key, false);
  platform::KeepAlive::process(0);
  reset_key_state();
}

void FixtureTree::write_wave(const fs::path& path) {
  fs::create_directories(path.parent_path());
  const std::uint32_t samples = 2205;
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out << "RIFF";
  u32(36 + samples);
  out << "WAVEfmt ";
  u32(16);
  u16(1);
  u16(1);
  u32(22050);
  u32(22050);
  u16(1);
  u16(8);
  out << "data";
  u32(samples);
  out << std::string(samples, static_cast<char>(128));
}

// The suite's environment reaches these tests only partly through CTest, so
// the test program sets its own defaults: headless SDL, and the shared list of
// system-library leaks for the sanitizer run.
extern "C" const char* __lsan_default_options() {
  return "suppressions=" MORVANE_SOURCE_DIR "/tests/lsan.supp:print_suppressions=0";
}

namespace {
const bool headless_defaults = [] {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  return true;
}();
}  // namespace
