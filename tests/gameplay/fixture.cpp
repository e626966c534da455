#include "fixture.h"

#include <fstream>

namespace fs = std::filesystem;

TestScreen::TestScreen() {
  platform::DisplayWindowDescription description;
  description.set_title("Morvane");
  description.set_size(640, 480, true);
  window = platform::DisplayWindow(description);
  gc = window.get_gc();
  keyboard = window.get_keyboard();
}

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
  for (std::string id : {"run", "jump1", "jump2", "dash"}) write_picture("images/pony/" + id + ".png", 54, 54);
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
  const std::string woods = "levels/enchanted_woods/";
  for (int n = 1; n <= 7; ++n) add_picture(woods + "ground" + std::to_string(n) + "green", "ground", 400, 40, 4);
  for (const char* item : {"Fred", "omena"}) add_item_picture(woods + item);
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
