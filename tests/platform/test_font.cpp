#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include "platform_test_support.h"

namespace {

using platform::Colorf;
using platform::Font;
using platform::PixelBuffer;
using FontTest = platform_test::WindowTest;

// Rows [first, last] holding a pixel darker than mid-grey within a column band.
std::pair<int, int> inked_rows(const PixelBuffer& frame, int from_x, int to_x) {
  int first = -1, last = -1;
  for (int y = 0; y < frame.get_height(); ++y)
    for (int x = from_x; x < to_x; ++x)
      if (frame.get_pixel(x, y).r < 128) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

// One cached text serves every colour; more texts than the cache keeps and
// bad UTF-8 still draw.
TEST_F(FontTest, FirstBaselineAtYOneLineSpacingPerLineBreakInTheColourAsked) {
  Font font(gc_, "Verdana", 40);  // a face this machine may lack: its substitute
  EXPECT_TRUE(font.get_line_spacing() == 40 && font.get_ascent() > 20 && font.get_ascent() < 40) << font.get_ascent();
  gc_.clear(Colorf::white);
  for (int n = 0; n < 300; ++n) font.draw_text(gc_, 400, 400, std::to_string(n), Colorf::black);
  font.draw_text(gc_, 400, 400, "\nbad \xff\xfe UTF-8", Colorf::black);
  font.draw_text(gc_, 100, 100, "H\nH", Colorf::black);
  font.draw_text(gc_, 300.0f, 100.0f, "H\nH", Colorf::mediumorchid);
  font.draw_text(gc_, 500, 100, "H\r\nH", Colorf::black);
  const PixelBuffer frame = gc_.get_pixeldata();
  int differing = 0;  // a line ended by "\r\n" draws as one ended by "\n"
  for (int y = 50; y < 150; ++y)
    for (int x = 0; x < 100; ++x) differing += frame.get_pixel(100 + x, y) != frame.get_pixel(500 + x, y);
  EXPECT_EQ(differing, 0);
  // The H sits on its baseline: the first line's ink ends just above row 100,
  // the second's just above row 140.
  const auto first = inked_rows(frame, 100, 140);
  EXPECT_TRUE(first.second == 139 && first.first > 100 - font.get_ascent() - 1) << first.first << " " << first.second;
  EXPECT_EQ(inked_rows(gc_.get_pixeldata(platform::Rect(0, 0, 640, 110)), 100, 140).second, 99);
  // Text starts at x: ink in the first few columns after 100, none before.
  EXPECT_TRUE(inked_rows(frame, 0, 100).first == -1 && inked_rows(frame, 100, 106).first != -1);
  int orchid = 0;
  for (int y = 60; y < 140; ++y)
    for (int x = 300; x < 340; ++x) orchid += frame.get_pixel(x, y) == PixelBuffer::Rgba{186, 85, 211, 255};
  EXPECT_GT(orchid, 20);
}

// A font may precede the window: it draws nothing without one, and draws on it once there is one.
TEST_F(FontTest, BadHeightThrowsAndAFontMayPrecedeTheWindow) {
  platform::GraphicContext none;
  EXPECT_THROW(Font(none, "Verdana", 0), platform::Exception);
  Font early(none, "Verdana", 14);
  gc_.clear(Colorf::white);
  early.draw_text(none, 0, 20, "nothing to draw on", Colorf::black);
  const std::pair<int, int> nothing = inked_rows(gc_.get_pixeldata(), 0, 640);
  early.draw_text(gc_, 0, 20, "H", Colorf::black);
  const std::pair<int, int> letter = inked_rows(gc_.get_pixeldata(), 0, 640);
  EXPECT_TRUE(nothing.first == -1 && letter.first > 5 && letter.second == 19) << letter.first << " " << letter.second;
}

// A face's file that became a named pipe after fontconfig listed it is refused,
// naming it, where opening it used to hang the game.
TEST(FontErrors, AFontFileThatIsAPipeIsRefusedAtOnce) {
  TempFolder folder;
  const std::string face = (folder.path / "face.ttf").string();
  ASSERT_TRUE(FcInit());
  FcPattern* sans = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:scalable=true"));
  FcConfigSubstitute(nullptr, sans, FcMatchPattern);
  FcDefaultSubstitute(sans);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, sans, &result);
  FcChar8* file = nullptr;
  ASSERT_TRUE(match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch);
  std::filesystem::copy_file(reinterpret_cast<const char*>(file), face);
  FcPatternDestroy(match);
  FcPatternDestroy(sans);

  // For this test fontconfig knows that one face only.
  FcConfig* machine = FcConfigReference(nullptr);
  FcConfig* only_the_face = FcConfigCreate();
  ASSERT_TRUE(FcConfigAppFontAddFile(only_the_face, reinterpret_cast<const FcChar8*>(face.c_str())));
  FcConfigSetCurrent(only_the_face);
  std::filesystem::remove(face);
  ASSERT_EQ(mkfifo(face.c_str(), 0600), 0);
  platform::GraphicContext none;
  EXPECT_THAT(platform_test::message_without_waiting([&] { Font(none, "Morvane Pipe Face", 14); }, face),
              testing::HasSubstr("Could not open font file '" + face + "': not a regular file"));
  FcConfigSetCurrent(machine);
  FcConfigDestroy(machine);
  FcConfigDestroy(only_the_face);
}

}  // namespace
