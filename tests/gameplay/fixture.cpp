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

ScopedDirectory::ScopedDirectory(const fs::path& directory) : previous_(fs::current_path()) { fs::current_path(directory); }
ScopedDirectory::~ScopedDirectory() { fs::current_path(previous_); }

namespace {
// Opaque in the given rows and columns (-1: to the last).
void write_picture(const fs::path& path, int width, int height, int first_row = 0, int last_row = -1,
                   int first_column = 0, int last_column = -1) {
  fs::create_directories(path.parent_path());
  platform::PixelBuffer picture(width, height);
  for (int row = first_row; row <= (last_row < 0 ? height - 1 : last_row); ++row)
    for (int column = first_column; column <= (last_column < 0 ? width - 1 : last_column); ++column)
      picture.set_pixel(column, row, {90, 160, 60, 255});
  platform::PNGProvider::save(picture, path.string());
}
}  // namespace

void FixtureTree::write_sprite_file(const fs::path& xml_path,
                                    const std::vector<std::pair<std::string, std::string>>& ids_and_pictures) {
  fs::create_directories(xml_path.parent_path());
  std::ofstream out(xml_path);
  out << "<resources>\n";
  for (const auto& [id, picture] : ids_and_pictures)
    out << "  <sprite name=\"" << id << "\"><image file=\"" << picture << "\"/></sprite>\n";
  out << "</resources>\n";
}

void FixtureTree::add_picture(const std::string& name, const std::string& sprite_id, int width, int height,
                              int outline_divisor) {
  const fs::path base = fs::path("images") / name;
  write_picture(base.string() + ".png", width, height);
  write_picture(base.string() + "_out.png", width / outline_divisor, height / outline_divisor);
  write_sprite_file(base.string() + ".xml", {{sprite_id, base.filename().string() + ".png"}});
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
  add_picture("black_layer", "black_layer", 8, 8, 1);
  add_picture("background", "background", 64, 48, 1);
  add_picture("flat", "ground", 400, 40, 4);
  add_picture("block", "ground", 200, 200, 4);
  add_item_picture("coin");
  for (int n = 1; n <= 7; ++n) add_picture("levels/enchanted_woods/ground" + std::to_string(n) + "green", "ground", 400, 40, 4);
  add_item_picture("levels/enchanted_woods/Fred");
  add_item_picture("levels/enchanted_woods/omena");
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
  for (auto [keyword, value] : {std::pair{"acceleration", 0.2}, std::pair{"max_speed", 1000.0}}) {
    DataValue& slot = data_.current[keyword];
    slot.type = type_double;
    slot.double_value = value;
    slot.set = true;
  }
  for (const char* list : {"ground", "item", "itemdef"}) data_.level_table[list].set = true;
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
  jump_held = jump_pressed = dash_pressed = false;
  frame_times.clear();
}
