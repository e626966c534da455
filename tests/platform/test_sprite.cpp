#include <fstream>

#include "platform_test_support.h"

namespace {

using platform::Colorf;
using platform::PixelBuffer;
using platform::Sprite;
using platform::SpriteDescription;
using platform_test::solid;

const PixelBuffer::Rgba red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255};
const PixelBuffer::Rgba white{255, 255, 255, 255};

class SpriteTest : public platform_test::WindowTest {
 protected:
  // Frames 10, 20 and 30 wide, in red, green and blue.
  Sprite three_frames(int delay, bool loop) {
    SpriteDescription description;
    for (auto [width, colour] : {std::pair{10, red}, {20, green}, {30, blue}}) description.add_frame(solid(width, 10, colour), delay);
    description.play_loop = loop;
    return Sprite(gc_, description);
  }
  void write(const std::string& name, const std::string& text) { std::ofstream(folder_.file(name)) << text; }
};

TEST_F(SpriteTest, UpdateAdvancesByTheSeamClockLoopsOrStopsAtTheLastFrame) {
  Sprite sprite = three_frames(100, true);
  seam_.advance(99);
  sprite.update(-1);
  EXPECT_EQ(sprite.get_current_frame(), 0);
  seam_.advance(1);
  sprite.update(-1);
  EXPECT_EQ(sprite.get_width(), 20);
  seam_.advance(250);  // 350 ms in: frame 0 of the second round, 50 ms shown
  sprite.update(-1);
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

  Sprite once = three_frames(20, false);
  once.update(59);
  EXPECT_TRUE(once.get_current_frame() == 2 && !once.is_finished());
  once.update(1000000);
  EXPECT_TRUE(once.get_current_frame() == 2 && once.is_finished());
  once.set_play_loop(true);
  once.set_delay(10);
  once.update(10);
  EXPECT_EQ(once.get_current_frame(), 0);
}

// The frames, delays and loop setting come along, the angle and alpha stay;
// switching again to the frames already shown does not restart them.
TEST_F(SpriteTest, SetImageDataTakesFramesAndTimingButKeepsAngleAndAlpha) {
  Sprite shown = three_frames(100, true), looping = three_frames(100, true), dash = three_frames(30, false);
  shown.set_angle(platform::Angle::from_radians(0.25f));
  shown.set_alpha(0.5f);
  shown.update(150);
  shown.set_image_data(dash);
  EXPECT_TRUE(shown.same_image_data(dash) && shown.get_current_frame() == 0);
  EXPECT_TRUE(shown.get_angle().to_radians() == 0.25f && shown.get_alpha() == 0.5f);
  shown.update(60);
  EXPECT_EQ(shown.get_width(), 30);
  shown.update(30);
  EXPECT_TRUE(shown.is_finished() && dash.get_current_frame() == 0);  // each still animates on its own
  shown.set_image_data(looping);
  shown.update(150);
  shown.set_image_data(looping);
  EXPECT_EQ(shown.get_current_frame(), 1);
}

// Drawn with its top left at the position, blended by its alpha, turned
// clockwise about its centre; a sprite made without a window draws later.
TEST_F(SpriteTest, DrawsAtThePositionBlendedAndTurnedClockwise) {
  SpriteDescription early_frames;
  early_frames.add_frame(solid(4, 4, blue));
  platform::GraphicContext none;
  Sprite early(none, early_frames);
  early.draw(none, 0, 0);  // nothing to draw on: nothing happens
  Sprite sprite = three_frames(100, true);
  PixelBuffer bar = solid(100, 10, green);  // red at its right end
  for (int y = 0; y < 10; ++y)
    for (int x = 80; x < 100; ++x) bar.set_pixel(x, y, red);
  SpriteDescription bar_frames;
  bar_frames.add_frame(bar);
  Sprite turned(gc_, bar_frames);
  turned.set_angle(platform::Angle::from_degrees(90.0f));

  gc_.clear(Colorf::white);
  sprite.draw(gc_, 50, 60);
  early.draw(gc_, 1, 1);
  turned.draw(gc_, 200, 200);  // the centre stays at (250, 205)
  sprite.set_alpha(0.5f);
  sprite.draw(gc_, 300.0f, 300.0f);
  const std::pair<int, int> at[] = {{50, 60}, {59, 69}, {49, 60}, {60, 60}, {50, 70}, {2, 2},
                                    {250, 205}, {250, 245}, {250, 165}, {290, 205}};
  const PixelBuffer::Rgba expected[] = {red, red, white, white, white, blue, green, red, green, white};
  for (std::size_t i = 0; i < std::size(at); ++i)
    EXPECT_EQ(pixel(at[i].first, at[i].second), expected[i]) << at[i].first << "," << at[i].second;
  const PixelBuffer::Rgba half = pixel(305, 305);
  EXPECT_TRUE(half.r == 255 && std::abs(half.g - 128) <= 2 && std::abs(half.b - 128) <= 2) << half;
}

TEST_F(SpriteTest, ResourceFileSpritesWholePicturesAndGridCells) {
  PixelBuffer sheet = solid(20, 10, blue);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) sheet.set_pixel(x, y, red);
  platform::PNGProvider::save(sheet, folder_.file("sheet.png"));
  std::filesystem::create_directories(folder_.file("levels/enchanted_woods"));
  platform::PNGProvider::save(solid(6, 4, green), folder_.file("levels/enchanted_woods/omena.png"));
  write("items.xml", R"(<?xml version="1.0"?>
<resources>
  <sprite name="levels/enchanted_woods/omena"><image file="levels/enchanted_woods/omena.png"/></sprite>
  <sprite name="run">
    <image file="sheet.png"><grid pos="0,0" size="10,10" array="2,1"/></image>
    <animation speed="80" loop="no"/>
  </sprite>
</resources>)");
  platform::ResourceManager resources(folder_.file("items.xml"));
  EXPECT_TRUE(resources.has_sprite("run") && !resources.has_sprite("jump1"));
  Sprite item(gc_, "levels/enchanted_woods/omena", &resources);
  EXPECT_TRUE(item.get_width() == 6 && item.get_height() == 4);

  Sprite run(gc_, "run", &resources);
  ASSERT_EQ(run.get_frame_count(), 2);
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
  write("bad.xml", "<resources><sprite name=\"run\"></resources>");
  EXPECT_THAT(message_of([&] { platform::ResourceManager r(folder_.file("bad.xml")); }), HasSubstr("bad.xml"));

  write("res.xml", R"(<resources>
  <sprite name="gone"><image file="nowhere.png"/></sprite>
  <sprite name="corrupt"><image file="corrupt.png"/></sprite>
  <sprite name="empty"/>
  <sprite name="cell"><image file="ok.png"><grid pos="0,0" size="8,8" array="2,1"/></image></sprite>
  <sprite name="speed"><image file="ok.png"/><animation speed="fast"/></sprite>
</resources>)");
  write("corrupt.png", "\x89PNG\r\n\x1a\n this is not a picture");
  platform::PNGProvider::save(solid(8, 8, red), folder_.file("ok.png"));
  platform::ResourceManager resources(folder_.file("res.xml"));
  const std::pair<const char*, const char*> cases[] = {{"jump2", "jump2"}, {"gone", "nowhere.png"}, {"corrupt", "corrupt.png"},
                                                        {"empty", "empty"}, {"cell", "ok.png"}, {"speed", "fast"}};
  for (auto [id, reason] : cases) EXPECT_THAT(message_of([&] { Sprite s(gc_, id, &resources); }), HasSubstr(reason));
  EXPECT_THAT(message_of([&] { Sprite s(gc_, "run", nullptr); }), HasSubstr("run"));
  EXPECT_THAT(message_of([&] { Sprite s(gc_, SpriteDescription()); }), HasSubstr("frame"));
}

}  // namespace
