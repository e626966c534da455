#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "platform/testing.h"
#include "platform_test_support.h"

namespace {

using platform::Colorf;
using platform::PixelBuffer;
using DrawingTest = platform_test::WindowTest;

// Before and after flip, whole and in parts cut to the window.
TEST_F(DrawingTest, ReadBackShowsTheFrameDrawnLast) {
  const PixelBuffer::Rgba red{200, 10, 20, 255}, white{255, 255, 255, 255};
  EXPECT_EQ(pixel(639, 479), (PixelBuffer::Rgba{0, 0, 0, 255})) << "a new window is black";
  gc_.clear(Colorf::white);
  platform::Draw::fill(gc_, platform::Rectf(10, 20, 30, 40), Colorf::from_bytes(200, 10, 20));
  const PixelBuffer before = gc_.get_pixeldata();
  window_.flip(0);
  const PixelBuffer after = gc_.get_pixeldata(), cut = gc_.get_pixeldata(platform::Rect(-5, -5, 700, 500));
  for (const PixelBuffer* frame : {&before, &after, &cut}) {
    ASSERT_TRUE(frame->get_width() == 640 && frame->get_height() == 480);
    EXPECT_TRUE(frame->get_pixel(10, 20) == red && frame->get_pixel(29, 39) == red && frame->get_pixel(30, 40) == white &&
                frame->get_pixel(9, 20) == white);
  }
  const PixelBuffer part = gc_.get_pixeldata(platform::Rect(20, 30, 700, 500));
  ASSERT_TRUE(part.get_width() == 620 && part.get_height() == 450);
  EXPECT_TRUE(part.get_pixel(9, 9) == red && part.get_pixel(10, 10) == white);
}

// Frames are drawn straight into the window now; they must come out exactly
// as when drawn into an offscreen target and copied: in the window and in the
// read-back alike, also for a frame drawn over the one shown before.
TEST_F(DrawingTest, FramesComeOutAsThroughTheOffscreenTarget) {
  auto sprite = [this](int width, int height, bool see_through) {
    PixelBuffer p(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        p.set_pixel(x, y, {std::uint8_t(x * 7), std::uint8_t(y * 3), std::uint8_t(x ^ y),
                           std::uint8_t(see_through ? (x + 2 * y) % 256 : 255)});
    platform::SpriteDescription description;
    description.add_frame(p);
    return platform::Sprite(gc_, description);
  };
  platform::Sprite tile = sprite(320, 480, false), card = sprite(400, 300, false), player = sprite(60, 50, true);
  platform::Sprite item = sprite(40, 40, true), darkness = sprite(640, 480, true);
  platform::Sprite background = sprite(640, 480, false), star = sprite(30, 30, true);
  platform::Font font(gc_, "Tahoma", 30);
  const platform::Gradient menu(Colorf::from_bytes(23, 95, 39), Colorf::from_bytes(7, 56, 17));

  const std::function<void()> frames[] = {
      [&] {  // menu, with a highlighted row
        platform::Draw::gradient_fill(gc_, platform::Rectf(0, 0, 640, 480), menu);
        card.set_alpha(1.0f);
        card.draw(gc_, 120, 90);
        platform::Draw::fill(gc_, platform::Rectf(40.5f, 200, 600, 236), Colorf(1, 1, 1, 0.3f));
        font.draw_text(gc_, 200, 230, "Play\nProfiles", Colorf::white);
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
        for (float y : {-30.0f, 460.0f}) item.draw(gc_, 100.0f, y);  // cut by the top and bottom edges
        darkness.set_alpha(0.37f);
        darkness.draw(gc_, 0.0f, 0.0f);
        font.draw_text(gc_, 290, 50, "1234", Colorf::mediumorchid);
      },
      [&] {  // a card over the frame shown last, half faded in
        card.set_alpha(0.5f);
        card.draw(gc_, 37, 11);
      },
      [&] {  // main menu: an opaque picture over the whole window, no clear
        background.draw(gc_, 0, 0);
        font.draw_text(gc_, 290, 260, "Play level\nCredits\n", Colorf::from_bytes(186, 145, 42));
        star.draw(gc_, 200, 220);
      },
      [&] {  // the closing card over it
        card.set_alpha(1.0f);
        card.draw(gc_, 1, 0);
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

// A frame drawn over the one shown before must draw again at most that one
// frame and one copy of the whole window, however long the screen is shown.
TEST_F(DrawingTest, FramesOverTheLastFrameReplayNoMoreTheLongerTheyAreShown) {
  platform::SpriteDescription description;
  description.add_frame(platform_test::solid(400, 300, {90, 160, 30, 255}));
  platform::Sprite card(gc_, description);
  platform::Font font(gc_, "Tahoma", 30);
  struct Screen {
    std::function<void(int)> draw_frame;
    std::uint64_t operations;
  };
  const Screen screens[] = {
      {[&](int) { card.draw(gc_, 1, 0); }, 1},  // a closing card left standing
      {[&](int frame) {                         // a card fading in, with a line of text
         card.set_alpha(static_cast<float>(frame % 60) / 60.0f);
         card.draw(gc_, 37, 11);
         font.draw_text(gc_, 20, 400, "fading", Colorf::white);
       },
       2},
  };
  for (const Screen& screen : screens) {
    gc_.clear(Colorf::black);
    window_.flip(0);
    std::uint64_t most = 0;
    for (int frame = 1; frame <= 2000; ++frame) {
      const std::uint64_t before = platform::testing::replayed_operations(gc_);
      screen.draw_frame(frame);
      window_.flip(0);
      most = std::max(most, platform::testing::replayed_operations(gc_) - before);
    }
    EXPECT_EQ(most, screen.operations + 1) << "the previous frame's operations and one copy, flat over 2000 frames";
  }
}

// The menu gradient's end rows carry its exact colours, the rows between the
// colour at their centres within one level; also in a part of the window.
// (Headless, the window's renderer is SDL's software renderer.)
TEST_F(DrawingTest, GradientsStartAndEndOnTheirExactColours) {
  const PixelBuffer::Rgba top{23, 95, 39, 255}, bottom{7, 56, 17, 255};
  const platform::Gradient menu(Colorf::from_bytes(23, 95, 39), Colorf::from_bytes(7, 56, 17));
  for (const bool through_target : {false, true}) {
    platform::testing::draw_through_offscreen_target(gc_, through_target);
    platform::Draw::gradient_fill(gc_, platform::Rectf(0, 0, 640, 480), menu);
    platform::Draw::gradient_fill(gc_, platform::Rectf(600, 100, 640, 200), menu);
    window_.flip(0);
    for (const PixelBuffer& shot : {gc_.get_pixeldata(), platform::testing::window_pixels(gc_)}) {
      for (int x : {0, 319, 639}) {
        EXPECT_EQ(shot.get_pixel(x, 0), top) << "x " << x;
        EXPECT_EQ(shot.get_pixel(x, 479), bottom) << "x " << x;
      }
      EXPECT_TRUE(shot.get_pixel(600, 100) == top && shot.get_pixel(639, 199) == bottom &&
                  shot.get_pixel(599, 100) != top && shot.get_pixel(600, 200) == shot.get_pixel(599, 200));
      for (int y = 0; y < 480; ++y) {
        const PixelBuffer::Rgba p = shot.get_pixel(100, y);
        const float t = (y + 0.5f) / 480.0f;
        const float expected[3] = {23 - 16 * t, 95 - 39 * t, 39 - 22 * t};
        EXPECT_TRUE(std::fabs(p.r - expected[0]) <= 1.0f && std::fabs(p.g - expected[1]) <= 1.0f &&
                    std::fabs(p.b - expected[2]) <= 1.0f)
            << "row " << y << " " << p;
      }
    }
  }
}

// Empty handles do nothing: above all, nothing reaches a window that is open.
TEST_F(DrawingTest, EmptyHandlesDoNothingInsteadOfCrashing) {
  const PixelBuffer::Rgba drawn{30, 30, 30, 255};
  gc_.clear(Colorf::from_bytes(drawn.r, drawn.g, drawn.b));
  platform::GraphicContext empty;
  empty.clear(Colorf::white);
  platform::Draw::fill(empty, platform::Rectf(0, 0, 10, 10), Colorf::white);
  const PixelBuffer nothing = empty.get_pixeldata();
  EXPECT_TRUE(nothing.is_null() && nothing.get_width() == 0 && nothing.get_height() == 0);
  PixelBuffer two(2, 2);  // a pixel outside the picture is not set
  for (auto [x, y] : {std::pair{2, 0}, {-1, 1}, {0, 2}, {1, -1}}) two.set_pixel(x, y, {1, 2, 3, 4});
  EXPECT_EQ(std::vector<std::uint8_t>(two.get_data(), two.get_data() + 16), std::vector<std::uint8_t>(16, 0));
  platform::DisplayWindow no_window;
  no_window.flip(0);
  EXPECT_TRUE(no_window.get_gc().is_null() && !no_window.get_keyboard().get_keycode(90));
  EXPECT_TRUE(pixel(5, 5) == drawn && platform::testing::window_pixels(gc_).get_pixel(5, 5) == drawn);
}

}  // namespace
