#include <cstdlib>
#include <cstring>
#include <functional>

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

// Frames are drawn straight into the window now; they must come out exactly
// as when drawn into an offscreen target and copied: in the window and in the
// read-back alike, also for a frame drawn over the one shown before.
TEST_F(DrawingTest, FramesComeOutAsThroughTheOffscreenTarget) {
  auto picture = [](int width, int height, bool see_through) {
    PixelBuffer p(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        p.set_pixel(x, y, {static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 3), static_cast<std::uint8_t>(x ^ y),
                           static_cast<std::uint8_t>(see_through ? (x + 2 * y) % 256 : 255)});
    return p;
  };
  auto sprite = [this](const PixelBuffer& p) {
    platform::SpriteDescription description;
    description.add_frame(p);
    return platform::Sprite(gc_, description);
  };
  platform::Sprite tile = sprite(picture(320, 480, false)), card = sprite(picture(400, 300, false));
  platform::Sprite player = sprite(picture(60, 50, true)), item = sprite(picture(40, 40, true));
  platform::Sprite darkness = sprite(picture(640, 480, true));
  platform::Font font(gc_, "Tahoma", 30);
  const platform::Gradient menu(Colorf::from_bytes(23, 95, 39), Colorf::from_bytes(7, 56, 17));

  const std::function<void()> frames[] = {
      [&] {  // menu
        platform::Draw::gradient_fill(gc_, platform::Rectf(0, 0, 640, 480), menu);
        card.set_alpha(1.0f);
        card.draw(gc_, 120, 90);
        font.draw_text(gc_, 200, 300, "Play\nProfiles", Colorf::white);
      },
      [&] {  // list, with the highlighted row
        platform::Draw::gradient_fill(gc_, platform::Rectf(0, 0, 640, 480), menu);
        platform::Draw::fill(gc_, platform::Rectf(40.5f, 200, 600, 236), Colorf(1, 1, 1, 0.3f));
        font.draw_text(gc_, 60, 230, "endless\nmeadow", Colorf::mediumorchid);
      },
      [&] {  // play: scrolled tiles, a turned player, a fading item, darkness, score
        gc_.clear(Colorf::white);
        for (float x : {-123.4f, 196.6f, 516.6f}) tile.draw(gc_, x, 0.0f);
        tile.set_angle(platform::Angle::from_degrees(40.0f));
        for (float x : {-520.0f, -436.0f}) tile.draw(gc_, x, 100.0f);  // out of sight; a corner in sight
        tile.set_angle(platform::Angle::from_degrees(0.0f));
        player.set_angle(platform::Angle::from_degrees(17.3f));
        player.draw(gc_, 300.7f, 211.2f);
        item.set_alpha(0.6f);
        item.draw(gc_, 410.2f, 100.9f);
        darkness.set_alpha(0.37f);
        darkness.draw(gc_, 0.0f, 0.0f);
        font.draw_text(gc_, 290, 50, "1234", Colorf::mediumorchid);
      },
      [&] {  // a card over the frame shown last, half faded in
        card.set_alpha(0.5f);
        card.draw(gc_, 37, 11);
      },
  };
  std::vector<PixelBuffer> shown[2];
  for (const bool through_target : {true, false}) {
    platform::testing::draw_through_offscreen_target(gc_, through_target);
    for (const auto& frame : frames) {
      frame();
      shown[through_target].push_back(gc_.get_pixeldata());
      window_.flip(0);
      shown[through_target].push_back(platform::testing::window_pixels(gc_));
      shown[through_target].push_back(gc_.get_pixeldata());
    }
  }
  for (std::size_t i = 0; i < shown[0].size(); ++i)
    EXPECT_EQ(std::memcmp(shown[0][i].get_data(), shown[1][i].get_data(), 640 * 480 * 4), 0) << "picture " << i;
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
