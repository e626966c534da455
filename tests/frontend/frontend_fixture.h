#pragma once
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <iterator>
#include <numeric>

#include "datafile/temp_folder.h"
#include "platform/platform.h"
#include "support/counting_sound.h"

// A small data tree, the working directory while it lives: a plain menu
// background, the 21 selector frames, the credits cards (grey, the fourth 170,
// the closing one 210, 0, 210) and empty profiles/, levels/ and high_scores/.
struct FrontendTree : TempFolder {
  FrontendTree() {
    for (const char* folder : {"profiles", "levels", "high_scores"}) std::filesystem::create_directories(path / folder);
    std::filesystem::current_path(path);
    write("config/main.cfg", "background menu.png\n");
    picture("menu.png", 640, {40, 40, 120, 255});
    for (int frame = 1; frame <= 21; ++frame)
      picture("star_selector/" + std::to_string(10000 + frame).substr(1) + ".png", 30, {255, 255, 0, 255});
    const char* cards[] = {"CSarvel", "COrvik", "CTolvar", "Drumvelt", "Special"};
    for (std::uint8_t i = 0, shade = 50; i < 5; ++i, shade += 40)
      picture(std::string("game_data/") + cards[i] + ".png", 100, {shade, std::uint8_t(i < 4 ? shade : 0), shade, 255});
  }
  ~FrontendTree() { std::filesystem::current_path(previous, ignored); }
  std::string read(const std::string& file) const {
    std::ifstream in(path / file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Each entry of the folder as "name=content;" in name order (folders and pipes without content).
  std::string listing(const std::string& folder) const {
    std::set<std::string> entries;
    for (const auto& file : std::filesystem::directory_iterator(path / folder))
      entries.insert(file.path().filename().string() + "=" + (file.is_regular_file() ? read(file.path()) : "") + ';');
    return std::accumulate(entries.begin(), entries.end(), std::string());
  }
  // Menu music of 1000 frames that count 1 to 1000 in the first channel.
  void add_menu_music() const {
    write("config/main.cfg", "background menu.png\nmenu_music tune.wav\n"), write("tune.wav", counting_wave(1000));
  }
  void remove(const std::string& file) const { std::filesystem::remove_all(path / file); }
  void add_level(const std::string& name, const std::string& extra_lines = "") const {
    write("levels/" + name + ".qel",
          "type normal\nbackground hills\nground 0 0 flat none\nitem 100 100 coin\nitemdef coin 10 0 no no no\n" +
              extra_lines);
  }
  // A one-colour picture, square when narrow, else the window's height.
  void picture(const std::string& file, int width, platform::PixelBuffer::Rgba colour) const {
    std::filesystem::create_directories((path / file).parent_path());
    platform::PixelBuffer buffer(width, width < 100 ? width : 480);
    for (int y = 0; y < buffer.get_height(); ++y)
      for (int x = 0; x < width; ++x) buffer.set_pixel(x, y, colour);
    platform::PNGProvider::save(buffer, (path / file).string());
  }
  std::filesystem::path previous = std::filesystem::current_path();
};

// Virtual clock and scripted keys; frames count from the moment of scripting,
// one key poll per frame of a screen.
struct KeyScript {
  using Frame = std::uint64_t;
  KeyScript& down(Frame frame, int key) { return at(frame, key, true); }
  KeyScript& up(Frame frame, int key) { return at(frame, key, false); }
  KeyScript& press(Frame frame, int key, Frame held = 1) { return down(frame, key).up(frame + held, key); }
  KeyScript& at(Frame frame, int key, bool is_down) { return seam.key_at_poll(polls() + frame, key, is_down), *this; }
  // A key goes down or up at once, as if during the frame just shown.
  void now(int key, bool is_down) { at(0, key, is_down), platform::KeepAlive::process(0); }
  // Delivers what is left of the script (the releases after a screen ended).
  void settle() { while (!seam.script_done()) platform::KeepAlive::process(0); }
  std::uint64_t polls() const { return seam.polls(); }

  platform::VirtualSeam seam;
  platform::ScopedSeam scoped{seam};
};

// True when some pixel of [left, right) x [top, bottom) is within `tolerance`
// of the colour in each channel.
inline bool shows(const platform::PixelBuffer& shot, int left, int top, int right, int bottom, int r, int g, int b,
                  int tolerance = 3) {
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      if (const auto p = shot.get_pixel(x, y);
          std::max({std::abs(p.r - r), std::abs(p.g - g), std::abs(p.b - b)}) <= tolerance)
        return true;
  return false;
}
inline bool pixel_is(const platform::PixelBuffer& shot, int x, int y, int r, int g, int b, int tolerance = 3) {
  return shows(shot, x, y, x + 1, y + 1, r, g, b, tolerance);
}
// The menu gradient in the corners of a column, and the text colour in a rectangle.
inline bool menu_gradient(const platform::PixelBuffer& shot, int x = 0) {
  return pixel_is(shot, x, 0, 23, 95, 39, 4) && pixel_is(shot, x, 479, 7, 56, 17, 4);
}
inline bool text_in(const platform::PixelBuffer& shot, int left, int top, int right, int bottom) {
  return shows(shot, left, top, right, bottom, 186, 145, 42, 0);
}
