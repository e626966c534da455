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
platform::PixelBuffer opaque_picture(int width, int height, fixture_colour::Rgba colour, int first_row = 0,
                                     int last_row = -1, int first_column = 0, int last_column = -1) {
  platform::PixelBuffer picture(width, height);
  for (int row = first_row; row <= (last_row < 0 ? height - 1 : last_row); ++row)
    for (int column = first_column; column <= (last_column < 0 ? width - 1 : last_column); ++column)
      picture.set_pixel(column, row, colour);
  return picture;
}

void save(const platform::PixelBuffer& picture, const fs::path& path) {
  fs::create_directories(path.parent_path());
  platform::PNGProvider::save(picture, path.string());
}

// Opaque in the given rows and columns (-1: to the last).
void write_picture(const fs::path& path, int width, int height, fixture_colour::Rgba colour, int first_row = 0,
                   int last_row = -1, int first_column = 0, int last_column = -1) {
  save(opaque_picture(width, height, colour, first_row, last_row, first_column, last_column), path);
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
                              int outline_divisor, fixture_colour::Rgba colour) {
  const fs::path base = fs::path("images") / name;
  write_picture(base.string() + ".png", width, height, colour);
  write_picture(base.string() + "_out.png", width / outline_divisor, height / outline_divisor, colour);
  write_sprite_file(base.string() + ".xml", {{sprite_id, base.filename().string() + ".png"}});
}

FixtureTree::FixtureTree() {
  namespace colour = fixture_colour;
  for (auto [id, picture_colour] :
       {std::pair{"run", colour::run}, {"jump1", colour::jump1}, {"jump2", colour::jump2}, {"dash", colour::dash}})
    write_picture("images/pony/" + std::string(id) + ".png", 54, 54, picture_colour);
  write_sprite_file("images/pony/pony.xml",
                    {{"run", "run.png"}, {"jump1", "jump1.png"}, {"jump2", "jump2.png"}, {"dash", "dash.png"}});
  write_picture("images/unicorn_outline_upper.png", 30, 30, colour::run, 0, 7);
  write_picture("images/unicorn_outline_middle.png", 30, 30, colour::run, 10, 19);
  write_picture("images/unicorn_outline_lower.png", 30, 30, colour::run, 22, 29, 10, 19);
  add_picture("black_layer", "black_layer", 640, 480, 1, colour::darkness);
  add_picture("background", "background", 64, 48, 1, colour::backdrop);
  platform::PixelBuffer marked = opaque_picture(64, 48, colour::backdrop);
  for (int row = 5; row < 48; ++row) marked.set_pixel(0, row, colour::backdrop_mark);
  save(marked, "images/background.png");
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
