#pragma once
// Shared fixtures of the platform tests: a headless window on a virtual
// clock, and pictures written to a temporary folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"

namespace platform_test {

// A folder of its own per test, removed afterwards.
struct TempFolder {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               ("morvane_platform_" + std::string(test->test_suite_name()) + "_" + test->name());
  TempFolder() { std::filesystem::remove_all(path), std::filesystem::create_directories(path); }
  ~TempFolder() { std::error_code ignored; std::filesystem::remove_all(path, ignored); }
  std::string file(const std::string& name) const { return (path / name).string(); }
};

// A picture filled with one colour.
inline platform::PixelBuffer solid(int width, int height, platform::PixelBuffer::Rgba colour) {
  platform::PixelBuffer picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.set_pixel(x, y, colour);
  return picture;
}

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : scoped_(seam_), window_(platform::DisplayWindowDescription()), gc_(window_.get_gc()) {}
  platform::PixelBuffer::Rgba pixel(int x, int y) { return gc_.get_pixeldata().get_pixel(x, y); }

  platform::VirtualSeam seam_;
  platform::ScopedSeam scoped_;
  platform::SetupCore core_;
  platform::SetupDisplay display_;
  platform::DisplayWindow window_;
  platform::GraphicContext gc_;
  TempFolder folder_;
};

}  // namespace platform_test

namespace platform {
inline bool operator==(const PixelBuffer::Rgba& a, const PixelBuffer::Rgba& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}
inline std::ostream& operator<<(std::ostream& out, const PixelBuffer::Rgba& c) {
  return out << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << "," << int(c.a) << ")";
}
}  // namespace platform
