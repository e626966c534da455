#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

// A small data tree in a fresh temporary folder, made the working directory
// for the test: config/main.cfg, a plain menu background, the 21 selector
// frames, the five credits cards and empty profiles/, levels/, high_scores/.
class FrontendTree {
 public:
  FrontendTree();
  ~FrontendTree();
  FrontendTree(const FrontendTree&) = delete;
  FrontendTree& operator=(const FrontendTree&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // Writes a text file below the root.
  void write(const std::string& relative_path, const std::string& text) const;
  std::string read(const std::string& relative_path) const;
  bool exists(const std::string& relative_path) const;
  void remove(const std::string& relative_path) const;
  // A level file that the reader accepts, with extra lines appended.
  void add_level(const std::string& name, const std::string& extra_lines = "") const;

  static void write_picture(const std::filesystem::path& path, int width, int height,
                            platform::PixelBuffer::Rgba colour);

  static constexpr platform::PixelBuffer::Rgba closing_card_colour{200, 0, 200, 255};
  static constexpr int card_width = 100;

 private:
  std::filesystem::path previous_;
  std::filesystem::path root_;
};

// Virtual clock and scripted keys; poll numbers count from the moment of
// scripting, one poll per frame of a screen.
class KeyScript {
 public:
  KeyScript();
  // Key down at the given frame from now, up `frames_held` frames later
  // (never when frames_held is 0).
  KeyScript& press(std::uint64_t frame, int key, std::uint64_t frames_held = 1);
  KeyScript& down(std::uint64_t frame, int key);
  KeyScript& up(std::uint64_t frame, int key);
  // Delivers what is left of the script (the releases after a screen ended).
  void settle();
  std::uint64_t polls() const { return seam_.polls(); }
  std::uint32_t now() { return seam_.get_time(); }
  platform::VirtualSeam& seam() { return seam_; }

 private:
  platform::VirtualSeam seam_;
  platform::ScopedSeam scoped_{seam_};
};

// Colour checks on screenshots.
bool near_colour(platform::PixelBuffer::Rgba pixel, int r, int g, int b, int tolerance = 3);
// True when some pixel of the rectangle has exactly the given colour.
bool region_has_colour(const platform::PixelBuffer& picture, int left, int top, int right, int bottom, int r, int g,
                       int b);
