#include <fstream>

#include "platform_test_support.h"

namespace {

using platform::Colorf;
using platform::PixelBuffer;
using platform::Sprite;
using platform::SpriteDescription;
using platform_test::solid;
using platform_test::WindowTest;

const PixelBuffer::Rgba red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255};
const PixelBuffer::Rgba white{255, 255, 255, 255};

using SpriteTest = WindowTest;

Sprite three_frames(platform::GraphicContext& gc, int delay, bool loop) {
  SpriteDescription description;
  description.add_frame(solid(10, 10, red), delay);
  description.add_frame(solid(20, 10, green), delay);
  description.add_frame(solid(30, 10, blue), delay);
  description.play_loop = loop;
  return Sprite(gc, description);
}

TEST_F(SpriteTest, UpdateAdvancesByTheSeamClockAndLoops) {
  Sprite sprite = three_frames(gc_, 100, true);
  seam_.advance(99);
  sprite.update(-1);
  EXPECT_EQ(sprite.get_current_frame(), 0);
  seam_.advance(1);
  sprite.update(-1);
  EXPECT_EQ(sprite.get_width(), 20);
  seam_.advance(250);  // 350 ms in: frame 0 of the second round, 50 ms shown
  sprite.update(-1);
  EXPECT_EQ(sprite.get_current_frame(), 0);
  Sprite copy = sprite;  // copies share the animation
  copy.update(50);
  EXPECT_EQ(sprite.get_current_frame(), 1);

  // Across the wrap of the 32-bit clock a step of 100 ms is still one frame.
  seam_.set_time(0xFFFFFFF0u);
  sprite.update(-1);
  const int frame = sprite.get_current_frame();
  seam_.set_time(100 - 0x10);
  sprite.update(-1);
  EXPECT_EQ(sprite.get_current_frame(), (frame + 1) % 3);
}

TEST_F(SpriteTest, WithoutLoopStopsAtLastFrame) {
  Sprite sprite = three_frames(gc_, 20, false);
  sprite.update(59);
  EXPECT_EQ(sprite.get_current_frame(), 2);
  EXPECT_FALSE(sprite.is_finished());
  sprite.update(1000000);
  EXPECT_EQ(sprite.get_current_frame(), 2);
  EXPECT_TRUE(sprite.is_finished());

  sprite.set_play_loop(true);
  sprite.set_delay(10);
  sprite.update(10);
  EXPECT_EQ(sprite.get_current_frame(), 0);
}

TEST_F(SpriteTest, SetImageDataTakesFramesAndTimingButKeepsAngleAndAlpha) {
  Sprite shown = three_frames(gc_, 100, true);
  shown.set_angle(platform::Angle::from_radians(0.25f));
  shown.set_alpha(0.5f);
  shown.update(150);

  SpriteDescription dash_frames;
  dash_frames.add_frame(solid(40, 8, white), 30);
  dash_frames.add_frame(solid(50, 8, white), 30);
  dash_frames.play_loop = false;
  const Sprite dash(gc_, dash_frames);

  shown.set_image_data(dash);
  EXPECT_TRUE(shown.same_image_data(dash));
  EXPECT_EQ(shown.get_frame_count(), 2);
  EXPECT_EQ(shown.get_current_frame(), 0);
  EXPECT_EQ(shown.get_width(), 40);
  EXPECT_FLOAT_EQ(shown.get_angle().to_radians(), 0.25f);
  EXPECT_FLOAT_EQ(shown.get_alpha(), 0.5f);
  shown.update(30);
  EXPECT_EQ(shown.get_width(), 50);
  shown.update(30);
  EXPECT_TRUE(shown.is_finished());  // the loop setting came along too
  // The two sprites still animate on their own.
  EXPECT_EQ(dash.get_current_frame(), 0);

  // Switching again to the frames already shown does not restart them.
  Sprite looping = three_frames(gc_, 100, true);
  shown.set_image_data(looping);
  shown.update(150);
  shown.set_image_data(looping);
  EXPECT_EQ(shown.get_current_frame(), 1);
}

TEST_F(SpriteTest, TopLeftLandsAtTheDrawingPositionAndAlphaBlends) {
  Sprite sprite = three_frames(gc_, 100, true);
  gc_.clear(Colorf::white);
  sprite.draw(gc_, 50, 60);
  sprite.draw(gc_, 100.0f, 200.0f);
  EXPECT_EQ(pixel(50, 60), red);
  EXPECT_EQ(pixel(59, 69), red);
  EXPECT_EQ(pixel(49, 60), white);
  EXPECT_EQ(pixel(60, 60), white);
  EXPECT_EQ(pixel(50, 70), white);
  EXPECT_EQ(pixel(100, 200), red);

  sprite.set_alpha(0.5f);
  sprite.draw(gc_, 300, 300);
  const PixelBuffer::Rgba half = pixel(305, 305);
  EXPECT_NEAR(half.r, 255, 2);
  EXPECT_NEAR(half.g, 128, 2);
  EXPECT_NEAR(half.b, 128, 2);
}

TEST_F(SpriteTest, PositiveAngleTurnsClockwiseAboutTheCentre) {
  // A bar 100 wide and 10 high, red at its right end.
  PixelBuffer bar = solid(100, 10, green);
  for (int y = 0; y < 10; ++y)
    for (int x = 80; x < 100; ++x) bar.set_pixel(x, y, red);
  SpriteDescription description;
  description.add_frame(bar);
  Sprite sprite(gc_, description);
  sprite.set_angle(platform::Angle::from_degrees(90.0f));
  gc_.clear(Colorf::white);
  sprite.draw(gc_, 200, 200);
  // Centre stays at (250, 205); clockwise on screen puts the right end below it.
  EXPECT_EQ(pixel(250, 205), green);
  EXPECT_EQ(pixel(250, 245), red);
  EXPECT_EQ(pixel(250, 165), green);
  EXPECT_EQ(pixel(290, 205), white);
}

TEST_F(SpriteTest, ResourceFileSpritesWholePicturesAndGridCells) {
  PixelBuffer sheet(20, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) sheet.set_pixel(x, y, x < 10 ? red : blue);
  platform::PNGProvider::save(sheet, folder_.file("sheet.png"));
  std::filesystem::create_directories(folder_.file("levels/enchanted_woods"));
  platform::PNGProvider::save(solid(6, 4, green), folder_.file("levels/enchanted_woods/omena.png"));
  std::ofstream(folder_.file("items.xml")) << R"(<?xml version="1.0"?>
<resources>
  <sprite name="levels/enchanted_woods/omena"><image file="levels/enchanted_woods/omena.png"/></sprite>
  <sprite name="run">
    <image file="sheet.png"><grid pos="0,0" size="10,10" array="2,1"/></image>
    <animation speed="80" loop="no"/>
  </sprite>
</resources>)";
  platform::ResourceManager resources(folder_.file("items.xml"));
  EXPECT_TRUE(resources.has_sprite("run"));
  EXPECT_FALSE(resources.has_sprite("jump1"));

  Sprite item(gc_, "levels/enchanted_woods/omena", &resources);
  EXPECT_EQ(item.get_width(), 6);
  EXPECT_EQ(item.get_height(), 4);

  Sprite run(gc_, "run", &resources);
  ASSERT_EQ(run.get_frame_count(), 2);
  gc_.clear(Colorf::white);
  run.draw(gc_, 0, 0);
  EXPECT_EQ(pixel(5, 5), red);
  run.update(80);
  run.draw(gc_, 0, 0);
  EXPECT_EQ(pixel(5, 5), blue);
  run.update(80);
  EXPECT_TRUE(run.is_finished());
}

TEST_F(SpriteTest, BrokenResourcesThrowNamingFileAndReason) {
  auto message_of = [](auto&& action) -> std::string {
    try {
      action();
    } catch (const platform::Exception& error) {
      return error.what();
    }
    return "(nothing thrown)";
  };
  using ::testing::HasSubstr;
  const std::string missing = folder_.file("missing.xml");
  EXPECT_THAT(message_of([&] { platform::ResourceManager r(missing); }), HasSubstr(missing));

  std::ofstream(folder_.file("bad.xml")) << "<resources><sprite name=\"run\"></resources>";
  EXPECT_THAT(message_of([&] { platform::ResourceManager r(folder_.file("bad.xml")); }), HasSubstr("bad.xml"));

  std::ofstream(folder_.file("res.xml")) << R"(<resources>
  <sprite name="gone"><image file="nowhere.png"/></sprite>
  <sprite name="corrupt"><image file="corrupt.png"/></sprite>
  <sprite name="empty"/>
  <sprite name="cell"><image file="ok.png"><grid pos="0,0" size="8,8" array="2,1"/></image></sprite>
  <sprite name="speed"><image file="ok.png"/><animation speed="fast"/></sprite>
</resources>)";
  std::ofstream(folder_.file("corrupt.png")) << "\x89PNG\r\n\x1a\n this is not a picture";
  platform::PNGProvider::save(solid(8, 8, red), folder_.file("ok.png"));
  platform::ResourceManager resources(folder_.file("res.xml"));
  EXPECT_THAT(message_of([&] { Sprite s(gc_, "jump2", &resources); }), HasSubstr("jump2"));
  EXPECT_THAT(message_of([&] { Sprite s(gc_, "gone", &resources); }), HasSubstr("nowhere.png"));
  EXPECT_THAT(message_of([&] { Sprite s(gc_, "corrupt", &resources); }), HasSubstr("corrupt.png"));
  EXPECT_THAT(message_of([&] { Sprite s(gc_, "empty", &resources); }), HasSubstr("empty"));
  EXPECT_THAT(message_of([&] { Sprite s(gc_, "cell", &resources); }), HasSubstr("ok.png"));
  EXPECT_THAT(message_of([&] { Sprite s(gc_, "speed", &resources); }), HasSubstr("fast"));
  EXPECT_THAT(message_of([&] { Sprite s(gc_, "run", nullptr); }), HasSubstr("run"));
  EXPECT_THAT(message_of([&] { Sprite s(gc_, SpriteDescription()); }), HasSubstr("frame"));
  EXPECT_THROW(platform::PNGProvider::load(folder_.file("corrupt.png")), platform::Exception);
}

TEST(SpriteWithoutWindow, IsMadeBeforeTheWindowAndDrawnLater) {
  platform::VirtualSeam seam;
  platform::ScopedSeam scoped(seam);
  platform::GraphicContext none;
  SpriteDescription description;
  description.add_frame(solid(4, 4, red));
  Sprite early(none, description);
  early.draw(none, 0, 0);  // nothing to draw on: nothing happens

  platform::DisplayWindowDescription window_description;
  platform::DisplayWindow window(window_description);
  platform::GraphicContext gc = window.get_gc();
  gc.clear(Colorf::white);
  early.draw(gc, 1, 1);
  EXPECT_EQ(gc.get_pixeldata().get_pixel(2, 2), red);
}

}  // namespace
