#include "frontend_fixture.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

fs::path fresh_folder() {
  static std::atomic<int> counter{0};
  const fs::path path = fs::temp_directory_path() /
                        ("morvane_frontend_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  fs::remove_all(path);
  fs::create_directories(path);
  return path;
}

}  // namespace

FrontendTree::FrontendTree() : previous_(fs::current_path()), root_(fresh_folder()) {
  fs::current_path(root_);
  for (const char* folder : {"config", "profiles", "levels", "high_scores", "star_selector", "game_data"}) {
    fs::create_directories(root_ / folder);
  }
  write("config/main.cfg", "background menu.png\n");
  write_picture(root_ / "menu.png", 640, 480, {40, 40, 120, 255});
  for (int frame = 1; frame <= 21; ++frame) {
    char name[32];
    std::snprintf(name, sizeof name, "star_selector/%04d.png", frame);
    write_picture(root_ / name, 30, 30, {255, 255, static_cast<std::uint8_t>(frame * 10), 255});
  }
  const char* cards[] = {"CSarvel", "COrvik", "CTolvar", "Drumvelt"};
  std::uint8_t shade = 50;
  for (const char* card : cards) {
    write_picture(root_ / "game_data" / (std::string(card) + ".png"), card_width, 480, {shade, shade, shade, 255});
    shade += 40;
  }
  write_picture(root_ / "game_data/Special.png", card_width, 480, closing_card_colour);
}

FrontendTree::~FrontendTree() {
  std::error_code error;
  fs::current_path(previous_, error);
  fs::remove_all(root_, error);
}

void FrontendTree::write(const std::string& relative_path, const std::string& text) const {
  const fs::path path = root_ / relative_path;
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string FrontendTree::read(const std::string& relative_path) const {
  std::ifstream in(root_ / relative_path, std::ios::binary);
  if (!in) throw std::runtime_error("no file " + relative_path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool FrontendTree::exists(const std::string& relative_path) const { return fs::exists(root_ / relative_path); }

void FrontendTree::remove(const std::string& relative_path) const { fs::remove_all(root_ / relative_path); }

void FrontendTree::add_level(const std::string& name, const std::string& extra_lines) const {
  write("levels/" + name + ".qel",
        "type normal\nbackground hills\nground 0 0 flat none\nitem 100 100 coin\nitemdef coin 10 0 no no no\n" +
            extra_lines);
}

void FrontendTree::write_picture(const fs::path& path, int width, int height, platform::PixelBuffer::Rgba colour) {
  platform::PixelBuffer picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.set_pixel(x, y, colour);
  platform::PNGProvider::save(picture, path.string());
}

KeyScript::KeyScript() = default;

KeyScript& KeyScript::press(std::uint64_t frame, int key, std::uint64_t frames_held) {
  down(frame, key);
  if (frames_held > 0) up(frame + frames_held, key);
  return *this;
}

void KeyScript::settle() {
  while (!seam_.script_done()) platform::KeepAlive::process(0);
}

KeyScript& KeyScript::down(std::uint64_t frame, int key) {
  seam_.key_at_poll(seam_.polls() + frame, key, true);
  return *this;
}

KeyScript& KeyScript::up(std::uint64_t frame, int key) {
  seam_.key_at_poll(seam_.polls() + frame, key, false);
  return *this;
}

bool near_colour(platform::PixelBuffer::Rgba pixel, int r, int g, int b, int tolerance) {
  return std::abs(pixel.r - r) <= tolerance && std::abs(pixel.g - g) <= tolerance &&
         std::abs(pixel.b - b) <= tolerance;
}

bool region_has_colour(const platform::PixelBuffer& picture, int left, int top, int right, int bottom, int r, int g,
                       int b) {
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) {
      const auto pixel = picture.get_pixel(x, y);
      if (pixel.r == r && pixel.g == g && pixel.b == b) return true;
    }
  return false;
}
