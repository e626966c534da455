#pragma once
// Shared fixtures of the platform tests: a headless window on a virtual
// clock, and pictures written to a temporary folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <string>

#include "datafile/temp_folder.h"
#include "platform/platform.h"

namespace platform_test {

// A picture filled with one colour, the columns from `split` on with another.
inline platform::PixelBuffer solid(int width, int height, platform::PixelBuffer::Rgba colour, int split = INT_MAX,
                                   platform::PixelBuffer::Rgba right = {}) {
  platform::PixelBuffer picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.set_pixel(x, y, x < split ? colour : right);
  return picture;
}
// Matches a call that throws a platform::Exception whose message holds `text`.
inline auto throws_naming(const std::string& text) {
  return ::testing::ThrowsMessage<platform::Exception>(::testing::HasSubstr(text));
}

// The message of the platform::Exception that `load` throws, or "" when it
// throws none. A load still waiting after ten seconds (opened a named pipe and
// blocked) fails the test; it is then released by opening the pipe's other end.
inline std::string message_without_waiting(const std::function<void()>& load, const std::string& pipe) {
  auto done = std::async(std::launch::async, [&]() -> std::string {
    try {
      load();
    } catch (const platform::Exception& error) {
      return error.what();
    }
    return "";
  });
  if (done.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
    ADD_FAILURE() << "still waiting on " << pipe;
    while (done.wait_for(std::chrono::milliseconds(100)) == std::future_status::timeout) {
      const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) ::close(writer);  // the reader sees the end of the file
    }
  }
  return done.get();
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
