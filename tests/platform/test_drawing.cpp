#include <cstdlib>

#include "platform/testing.h"
#include "platform_test_support.h"

namespace {

using platform::Colorf;
using platform::PixelBuffer;
using platform_test::WindowTest;

bool near(const PixelBuffer::Rgba& actual, int r, int g, int b, int tolerance = 3) {
  return std::abs(actual.r - r) <= tolerance && std::abs(actual.g - g) <= tolerance &&
         std::abs(actual.b - b) <= tolerance;
}

using DrawingTest = WindowTest;

TEST_F(DrawingTest, ReadBackReturnsTheFrameDrawnLastBeforeAndAfterFlip) {
  EXPECT_EQ(gc_.get_pixeldata().get_width(), 640);
  gc_.clear(Colorf::white);
  platform::Draw::fill(gc_, platform::Rectf(10, 20, 30, 40), Colorf::from_bytes(200, 10, 20));
  const PixelBuffer before = gc_.get_pixeldata();
  window_.flip(0);
  const PixelBuffer after = gc_.get_pixeldata();
  for (const PixelBuffer* frame : {&before, &after}) {
    EXPECT_EQ(frame->get_pixel(10, 20), (PixelBuffer::Rgba{200, 10, 20, 255}));
    EXPECT_EQ(frame->get_pixel(29, 39), (PixelBuffer::Rgba{200, 10, 20, 255}));
    EXPECT_EQ(frame->get_pixel(30, 40), (PixelBuffer::Rgba{255, 255, 255, 255}));
    EXPECT_EQ(frame->get_pixel(9, 20), (PixelBuffer::Rgba{255, 255, 255, 255}));
  }
  // A part of the screen, and a rectangle reaching past its edge, which is cut.
  const PixelBuffer part = gc_.get_pixeldata(platform::Rect(5, 15, 15, 25));
  ASSERT_EQ(part.get_width(), 10);
  EXPECT_EQ(part.get_pixel(5, 5), (PixelBuffer::Rgba{200, 10, 20, 255}));
  EXPECT_EQ(part.get_pixel(4, 5), (PixelBuffer::Rgba{255, 255, 255, 255}));
  const PixelBuffer clipped = gc_.get_pixeldata(platform::Rect(600, 400, 700, 500));
  EXPECT_EQ(clipped.get_width(), 40);
  EXPECT_EQ(clipped.get_height(), 80);
}

TEST_F(DrawingTest, GradientFillShowsItsCornerColours) {
  gc_.clear(Colorf::black);
  const Colorf top = Colorf::from_bytes(23, 95, 39), bottom = Colorf::from_bytes(7, 56, 17);
  platform::Draw::gradient_fill(gc_, platform::Rectf(0, 0, 640, 480), platform::Gradient(top, bottom));
  EXPECT_TRUE(near(pixel(0, 0), 23, 95, 39)) << pixel(0, 0);
  EXPECT_TRUE(near(pixel(639, 0), 23, 95, 39)) << pixel(639, 0);
  EXPECT_TRUE(near(pixel(0, 479), 7, 56, 17)) << pixel(0, 479);
  EXPECT_TRUE(near(pixel(639, 479), 7, 56, 17)) << pixel(639, 479);
  EXPECT_TRUE(near(pixel(320, 240), 15, 76, 28)) << pixel(320, 240);

  // Four different corners land at their own corners.
  platform::Gradient four;
  four.top_left = Colorf::from_bytes(255, 0, 0);
  four.top_right = Colorf::from_bytes(0, 255, 0);
  four.bottom_left = Colorf::from_bytes(0, 0, 255);
  four.bottom_right = Colorf::from_bytes(255, 255, 255);
  platform::Draw::gradient_fill(gc_, platform::Rectf(100, 100, 200, 200), four);
  EXPECT_TRUE(near(pixel(100, 100), 255, 0, 0, 8)) << pixel(100, 100);
  EXPECT_TRUE(near(pixel(199, 100), 0, 255, 0, 8)) << pixel(199, 100);
  EXPECT_TRUE(near(pixel(100, 199), 0, 0, 255, 8)) << pixel(100, 199);
  EXPECT_TRUE(near(pixel(199, 199), 255, 255, 255, 8)) << pixel(199, 199);

  // A see-through gradient blends with what lies beneath.
  gc_.clear(Colorf::white);
  platform::Draw::gradient_fill(gc_, platform::Rectf(0, 0, 640, 480),
                                platform::Gradient(Colorf(0, 0, 0, 0.5f), Colorf(0, 0, 0, 0.5f)));
  EXPECT_TRUE(near(pixel(320, 240), 128, 128, 128)) << pixel(320, 240);
}

TEST_F(DrawingTest, ScreenshotIsWrittenAsPng) {
  gc_.clear(Colorf::mediumorchid);
  const std::string path = folder_.file("frame.png");
  platform::testing::save_screenshot(gc_, path);
  const PixelBuffer saved = platform::PNGProvider::load(path);
  ASSERT_EQ(saved.get_width(), 640);
  EXPECT_EQ(saved.get_pixel(320, 240), (PixelBuffer::Rgba{186, 85, 211, 255}));
  EXPECT_THROW(platform::testing::save_screenshot(gc_, folder_.file("no/such/folder/frame.png")),
               platform::Exception);
}

TEST(EmptyHandles, DoNothingInsteadOfCrashing) {
  platform::GraphicContext empty;
  empty.clear(Colorf::white);
  platform::Draw::fill(empty, platform::Rectf(0, 0, 10, 10), Colorf::white);
  EXPECT_TRUE(empty.get_pixeldata().is_null());
  platform::DisplayWindow no_window;
  no_window.flip(0);
  EXPECT_TRUE(no_window.get_gc().is_null());
  EXPECT_FALSE(no_window.get_keyboard().get_keycode(90));
}

}  // namespace
