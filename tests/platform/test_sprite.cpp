#include <sys/stat.h>

#include <chrono>
#include <cmath>

#include "platform/testing.h"
#include "platform_test_support.h"
#include "support/address_space_cap.h"
#include "support/blank_png.h"

namespace {

using namespace platform;
using platform_test::solid, platform_test::throws_naming, platform_test::message_without_waiting;
using ::testing::AllOf, ::testing::HasSubstr;

const PixelBuffer::Rgba red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, white{255, 255, 255, 255};

class SpriteTest : public platform_test::WindowTest {
 protected:
  // Frames 10, 20 and 30 wide, in red, green and blue.
  Sprite three_frames(int delay, bool loop) {
    SpriteDescription description;
    for (auto [width, colour] : {std::pair{10, red}, {20, green}, {30, blue}}) description.add_frame(solid(width, 10, colour), delay);
    description.play_loop = loop;
    return Sprite(gc_, description);
  }
};

TEST_F(SpriteTest, UpdateAdvancesByTheSeamClockLoopsOrStopsAtTheLastFrame) {
  Sprite sprite = three_frames(100, true);
  seam_.advance(99), sprite.update(-1);
  EXPECT_EQ(sprite.get_current_frame(), 0);
  seam_.advance(1), sprite.update(-1);
  EXPECT_EQ(sprite.get_width(), 20);
  seam_.advance(250), sprite.update(-1);  // 350 ms in: frame 0 of the second round, 50 ms shown
  Sprite copy = sprite;  // copies share the animation
  copy.update(50);
  EXPECT_EQ(sprite.get_current_frame(), 1);
  // Across the wrap of the 32-bit clock a step of 100 ms is still one frame.
  seam_.set_time(0xFFFFFFF0u), sprite.update(-1);
  const int frame = sprite.get_current_frame();
  seam_.set_time(100 - 0x10), sprite.update(-1);
  EXPECT_EQ(sprite.get_current_frame(), (frame + 1) % 3);

  Sprite once = three_frames(20, false);
  once.update(59);
  EXPECT_TRUE(once.get_current_frame() == 2 && !once.is_finished());
  once.update(1000000);
  EXPECT_TRUE(once.get_current_frame() == 2 && once.is_finished());
  once.set_play_loop(true), once.set_delay(10), once.update(10);
  EXPECT_EQ(once.get_current_frame(), 0);
  Sprite fastest = three_frames(1, true);  // 1 ms a frame, the least a resource file may ask
  fastest.update(2);
  EXPECT_EQ(fastest.get_current_frame(), 2);
}

// The frames, delays and loop setting come along, the angle and alpha stay;
// switching again to the frames already shown does not restart them.
TEST_F(SpriteTest, SetImageDataTakesFramesAndTimingButKeepsAngleAndAlpha) {
  Sprite shown = three_frames(100, true), looping = three_frames(100, true), dash = three_frames(30, false);
  shown.set_angle(platform::Angle::from_radians(0.25f)), shown.set_alpha(0.5f), shown.update(150);
  shown.set_image_data(dash);
  EXPECT_TRUE(shown.same_image_data(dash) && shown.get_current_frame() == 0);
  EXPECT_TRUE(shown.get_angle().to_radians() == 0.25f && shown.get_alpha() == 0.5f);
  shown.update(60);
  EXPECT_EQ(shown.get_width(), 30);
  shown.update(30);
  EXPECT_TRUE(shown.is_finished() && dash.get_current_frame() == 0);  // each still animates on its own
  shown.set_image_data(looping), shown.update(150), shown.set_image_data(looping);
  EXPECT_EQ(shown.get_current_frame(), 1);
}

// Drawn with its top left at the position, blended by its alpha, turned
// clockwise about its centre; a sprite made without a window draws later.
TEST_F(SpriteTest, DrawsAtThePositionBlendedAndTurnedClockwise) {
  SpriteDescription early_frames, bar_frames;
  early_frames.add_frame(solid(4, 4, {0, 0, 255, 128}));
  platform::GraphicContext none;
  Sprite early(none, early_frames), sprite = three_frames(100, true);
  bar_frames.add_frame(solid(100, 10, green, 80, red));  // red at its right end
  Sprite turned(gc_, bar_frames);
  turned.set_angle(platform::Angle::from_degrees(90.0f));

  gc_.clear(platform::Colorf::white);
  sprite.draw(gc_, 50, 60);
  turned.draw(gc_, 200, 200);  // the centre stays at (250, 205)
  turned.set_angle(platform::Angle::from_degrees(std::nanf("")));  // drawn unturned
  turned.draw(gc_, 400, 100);
  sprite.set_alpha(0.5f);
  sprite.draw(gc_, 300.0f, 300.0f);
  early.set_alpha(0.5f);  // a see-through picture faded: a quarter blue
  early.draw(gc_, 1, 1);
  early.draw(none, 0, 0);  // nothing to draw on: nothing drawn anywhere
  const struct { int x, y; PixelBuffer::Rgba colour; } expected[] = {
      {50, 60, red},      {59, 69, red},      {49, 60, white},    {60, 60, white},    {50, 70, white},
      {250, 205, green},  {250, 245, red},    {250, 165, green},  {290, 205, white},
      {499, 100, red},    {400, 109, green},
      {305, 305, {255, 128, 128, 255}},       {1, 1, {191, 191, 255, 255}}, {4, 4, {191, 191, 255, 255}},
      {0, 0, white}};
  for (const auto& e : expected) {
    const PixelBuffer::Rgba p = pixel(e.x, e.y);
    EXPECT_TRUE(std::abs(p.r - e.colour.r) <= 2 && std::abs(p.g - e.colour.g) <= 2 && std::abs(p.b - e.colour.b) <= 2)
        << e.x << "," << e.y << ": " << p;
  }

  // A picture is uploaded once, at its first draw, and a see-through one
  // again only when drawn at a new alpha; frame switches and redraws upload nothing.
  const auto uploads = [&, before = platform::testing::uploaded_textures(gc_)] {
    return platform::testing::uploaded_textures(gc_) - before;
  };
  for (int frame = 0; frame < 7; ++frame) sprite.update(100), sprite.draw(gc_, 10, 10), turned.draw(gc_, 9, 9);
  early.draw(gc_, 1, 1);
  EXPECT_EQ(uploads(), 2u) << "the sprite's second and third frames";
  early.set_alpha(0.25f), early.draw(gc_, 1, 1), early.draw(gc_, 2, 2);
  EXPECT_EQ(uploads(), 3u) << "the see-through picture at a new alpha";
}

// Grid cells load as frames; a broken file or sprite throws naming
// the file and the reason.
TEST_F(SpriteTest, ResourceFileSpritesLoadOrThrowNamingFileAndReason) {
  platform::PNGProvider::save(solid(20, 10, red, 10, blue), (folder_.path / "sheet.png").string());
  folder_.write("corrupt.png", "\x89PNG\r\n\x1a\n this is not a picture");
  const std::string bad = folder_.write("bad.xml", "<resources>\n  <sprite name=\"run\">\n</resources>");
  std::string many_frames, tiles;  // 1000 frames, at most a sprite has; then 1200
  for (int i = 0; i < 5; ++i) many_frames += R"(<image file="sheet.png"><grid size="1,1" array="20,10"/></image>)";
  tiles = many_frames + R"(<image file="sheet.png"><grid size="1,1" array="20,10"/></image>)";
  const std::string items = folder_.write("items.xml", R"(<?xml version="1.0"?>
<resources>
  <sprite name="run"><image file="sheet.png"><grid pos="0,0" size="10,10" array="2,1"/></image><animation speed="80" loop="no"/></sprite>
  <sprite name="gone"><image file="nowhere.png"/></sprite>
  <sprite name="corrupt"><image file="corrupt.png"/></sprite>
  <sprite name="empty"/>
  <sprite name="cell"><image file="sheet.png"><grid pos="0,0" size="10,10" array="3,1"/></image></sprite>
  <sprite name="huge"><image file="sheet.png"><grid size="1,1" array="101,100"/></image></sprite>
  <sprite name="hourly"><image file="sheet.png"/><animation speed="3600000"/></sprite>
  <sprite name="loops"><image file="sheet.png"><grid size="10,10" array="2,1"/></image></sprite>
  <sprite name="loops_yes"><image file="sheet.png"><grid size="10,10" array="2,1"/></image><animation loop="yes"/></sprite>
  <sprite name="speed"><image file="sheet.png"/><animation speed="fast"/></sprite>
  <sprite name="place"><image file="sheet.png"><grid pos="0,x" size="10,10"/></image></sprite>
  <sprite name="far"><image file="sheet.png"><grid pos="0,-200000" size="10,10"/></image></sprite>
  <sprite name="thousand">)" + many_frames + R"(</sprite>
  <sprite name="tiles">)" + tiles + R"(</sprite>
  <sprite name="big_cells"><image file="sheet.png"><grid size="8192,8192"/></image>
                           <image file="sheet.png"><grid size="8192,8192"/></image></sprite>
</resources>)");
  platform::ResourceManager resources(items);
  EXPECT_TRUE(resources.has_sprite("run") && !resources.has_sprite("jump1"));
  Sprite run(gc_, "run", &resources);
  ASSERT_EQ(run.get_frame_count(), 2);
  for (const auto& colour : {red, blue}) {
    run.draw(gc_, 0, 0);
    EXPECT_EQ(std::tuple(pixel(5, 5), pixel(0, 0), pixel(9, 9)), std::tuple(colour, colour, colour)) << "whole cells";
    run.update(80);
  }
  EXPECT_TRUE(run.is_finished());
  // A picture written anew is what the next sprite shows.
  const std::filesystem::path sheet = folder_.path / "sheet.png";
  platform::PNGProvider::save(solid(20, 10, green, 10, blue), sheet.string());
  std::filesystem::last_write_time(sheet, std::filesystem::last_write_time(sheet) + std::chrono::seconds(2));
  Sprite(gc_, "run", &resources).draw(gc_, 0, 0);
  EXPECT_EQ(pixel(5, 5), green);
  EXPECT_NO_THROW(Sprite(gc_, "hourly", &resources)) << "an hour a frame is the longest";
  EXPECT_EQ(Sprite(gc_, "thousand", &resources).get_frame_count(), 1000);
  Sprite loops(gc_, "loops", &resources);  // 60 ms a frame and looping unless the file says otherwise
  loops.update(59);
  EXPECT_EQ(loops.get_current_frame(), 0);
  loops.update(61);
  EXPECT_TRUE(loops.get_current_frame() == 0 && !loops.is_finished());
  Sprite loops_yes(gc_, "loops_yes", &resources);
  loops_yes.update(120);
  EXPECT_TRUE(loops_yes.get_current_frame() == 0 && !loops_yes.is_finished());

  for (const std::string& file : {(folder_.path / "missing.xml").string(), bad})
    EXPECT_THAT([&] { platform::ResourceManager r(file); }, throws_naming(file));
  EXPECT_THAT([&] { platform::ResourceManager r(bad); },
              throws_naming("'" + bad + "' is not valid XML: Start-end tags mismatch at line 3, column 3"));
  const std::pair<const char*, std::string> cases[] = {{"jump2", "jump2"}, {"gone", "nowhere.png"},
      {"corrupt", "corrupt.png"}, {"empty", "empty"}, {"cell", "sheet.png"}, {"speed", "fast"},
      {"place", "\"0,x\""}, {"far", "\"0,-200000\""}, {"huge", "grid array"},
      {"tiles", "Sprite 'tiles' in resource file '" + items + "' has more than 1000 frames"},
      {"big_cells", "Sprite 'big_cells' in resource file '" + items + "' has more than 67108864 pixels"}};
  for (auto [id, reason] : cases) EXPECT_THAT([&] { Sprite s(gc_, id, &resources); }, throws_naming(reason)) << id;
  EXPECT_THAT([&] { Sprite s(gc_, "run", nullptr); }, throws_naming("run"));
  EXPECT_THAT([&] { Sprite s(gc_, SpriteDescription()); }, throws_naming("frame"));
}

// Frames taken from picture files are bounded as a resource file's sprite
// is, in all, from the files' headers before any is decoded: 21 pictures of
// 8192x8192 (a few KB each on disk) used to be decoded into gigabytes.
TEST_F(SpriteTest, PictureFilesAreBoundedInAllFromTheirHeadersBeforeDecoding) {
  const auto blank = [&](const std::string& file, std::uint32_t width, std::uint32_t height) {
    test_support::write_blank_png((folder_.path / file).string(), width, height);
    return (folder_.path / file).string();
  };
  std::filesystem::create_directories(folder_.path / "star_selector");
  const std::string largest = blank("star_selector/0001.png", 8192, 8192);
  std::vector<std::string> selector{largest};
  for (int frame = 2; frame <= 21; ++frame) {
    selector.push_back((folder_.path / ("star_selector/00" + std::to_string(frame) + ".png")).string());
    std::filesystem::copy_file(largest, selector.back());
  }
  const std::string one_pixel = blank("dot.png", 1, 1), too_wide = blank("too_wide.png", 9000, 9000);
  platform::PNGProvider::save(solid(20, 10, red), (folder_.path / "small.png").string());
  seam_.fail_reads("failing.png", 20, EIO);
  std::filesystem::copy_file(largest, folder_.path / "failing.png");
  const struct { std::vector<std::string> paths; std::string source, reason; } refused[] = {
      {selector, "star_selector/",
       "Could not load the 21 pictures in 'star_selector/': 1409286144 pixels in all is more than 67108864 (8192x8192)"},
      {{largest, one_pixel}, "two/", "'two/': 67108865 pixels in all is more than 67108864"},
      {{too_wide}, too_wide, "'" + too_wide + "': 9000x9000 pixels is more than 8192 on a side"},
      {{one_pixel, (folder_.path / "failing.png").string()}, "two/", "failing.png': Input/output error"},
      {std::vector<std::string>(1001, one_pixel), "dots/", "'dots/': more than 1000 frames"},
  };
  const test_support::AddressSpaceCap no_gigabytes(std::uint64_t{1} << 30);
  for (const auto& row : refused)
    EXPECT_THAT([&] { SpriteDescription::from_pictures(row.paths, row.source); }, throws_naming(row.reason))
        << row.source;
  const SpriteDescription frames =
      SpriteDescription::from_pictures({(folder_.path / "small.png").string(), one_pixel}, "frames/");
  ASSERT_EQ(frames.frames().size(), 2u);
  EXPECT_EQ(std::tuple(frames.frames()[0].get_width(), frames.frames()[1].get_width(), frames.frames()[0].get_pixel(5, 5)),
            std::tuple(20, 1, red));
}

// The file of 26 KB that used to give one sprite three million frames (300
// images of 100x100 cells) is refused at its first image.
TEST_F(SpriteTest, ASpriteOfMillionsOfFramesIsRefusedNamingFileAndSprite) {
  platform::PNGProvider::save(solid(100, 100, red), (folder_.path / "square.png").string());
  std::string images;
  for (int i = 0; i < 300; ++i) images += R"(<image file="square.png"><grid size="1,1" array="100,100"/></image>)";
  const std::string file =
      folder_.write("flood.xml", "<resources><sprite name=\"flood\">" + images + "</sprite></resources>");
  platform::ResourceManager resources(file);
  EXPECT_THAT([&] { Sprite s(gc_, "flood", &resources); },
              throws_naming("Sprite 'flood' in resource file '" + file + "' has more than 1000 frames"));
}

// A named pipe or a device in place of a picture, a resource file or an
// outline picture is refused at once, naming it (a pipe used to hang the game
// in open()); a resource file over a megabyte is refused unread.
TEST_F(SpriteTest, PipesDevicesAndHugeResourceFilesAreRefusedAtOnce) {
  const std::string pipe = (folder_.path / "pipe").string(), zero = (folder_.path / "zero").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", zero);
  for (const std::string& path : {pipe, zero}) {
    const std::string name = std::filesystem::path(path).filename().string();
    const std::string sprites = folder_.write(name + "_sprite.xml",
        R"(<resources><sprite name="s"><image file=")" + name + R"("/></sprite></resources>)");
    const std::function<void()> loads[] = {
        [&] { platform::PNGProvider::load(path); }, [&] { platform::ResourceManager r(path); },
        [&] { platform::CollisionOutline outline(path); },
        [&] { platform::ResourceManager r(sprites); Sprite s(gc_, "s", &r); }};
    for (const auto& load : loads)
      EXPECT_THAT(message_without_waiting(load, pipe),
                  AllOf(HasSubstr("'" + path + "': "), HasSubstr("not a regular file")));
  }
  // A read that fails part-way (a failing disk) is an error naming the
  // file, never a picture or resource file cut short.
  platform::VirtualSeam seam;
  platform::ScopedSeam installed(seam);
  const std::string picture = (folder_.path / "failing.png").string();
  platform::PNGProvider::save(solid(64, 64, red), picture);
  const std::string sprites = folder_.write("failing.xml", R"(<resources><sprite name="s"><image file="failing.png"/></sprite></resources>)");
  seam.fail_reads("failing.png", 60, EIO);
  seam.fail_reads("failing.xml", 20, EIO);
  const std::function<void()> failing_loads[] = {
      [&] { platform::PNGProvider::load(picture); }, [&] { platform::ResourceManager r(sprites); },
      [&] { platform::CollisionOutline outline(picture); }};
  for (const auto& load : failing_loads)
    EXPECT_THAT(message_without_waiting(load, pipe), AllOf(HasSubstr("failing."), HasSubstr("Input/output error")));
  const std::string huge =
      folder_.write("huge.xml", "<resources><!-- " + std::string(1 << 20, ' ') + " --></resources>");
  EXPECT_THAT(message_without_waiting([&] { platform::ResourceManager r(huge); }, pipe),
              HasSubstr("'" + huge + "': larger than 1048576 bytes"));
}

}  // namespace
