#include <gtest/gtest.h>

#include <filesystem>

#include "frontend/high_score_list.h"
#include "frontend/key_codes.h"
#include "frontend_fixture.h"

namespace {

// A list without a screen, for the file alone.
struct FileList : HighScoreList {
  FileList() : HighScoreList({}, {}, {}) {}
};

std::vector<std::pair<int, std::string>> loaded(const std::string& path) {
  FileList list;
  list.load(path);
  std::vector<std::pair<int, std::string>> result;
  for (const ScoreEntry& entry : list.get_entries()) result.emplace_back(entry.score, entry.name);
  return result;
}

TEST(HighScoreFile, ReadsNamesAsWrittenAndSkipsLinesWithoutANumber) {
  FrontendTree tree;
  tree.write("high_scores/a.scr",
             "5 BOB\n\nabc 12\n700 ANNA MARIA\n- 5\n12 \n40  LEADING\n77\n99999999999 HUGE\n9 LAST");
  const std::vector<std::pair<int, std::string>> expected{
      {700, "ANNA MARIA"}, {77, ""}, {40, " LEADING"}, {12, ""}, {9, "LAST"}, {5, "BOB"}};
  EXPECT_EQ(loaded("high_scores/a.scr"), expected);
  EXPECT_TRUE(loaded("high_scores/none.scr").empty());
}

TEST(HighScoreFile, SaveKeepsEveryEntryHighestFirstAndCreatesTheFolder) {
  FrontendTree tree;
  tree.write("high_scores/a.scr", "10 A\n70 B\n30 C\n60 D\n20 E\n50 F\n40 G\n");
  FileList list;
  list.load("high_scores/a.scr");
  list.add(65, "NEW");
  list.save("high_scores/a.scr");
  EXPECT_EQ(tree.read("high_scores/a.scr"), "70 B\n65 NEW\n60 D\n50 F\n40 G\n30 C\n20 E\n10 A\n");
  EXPECT_EQ(list.best_five_text(), "70 B\n65 NEW\n60 D\n50 F\n40 G\n");
  EXPECT_FALSE(tree.exists("high_scores/a.scr.tmp"));

  tree.remove("high_scores");
  list.save("high_scores/b.scr");
  EXPECT_TRUE(tree.exists("high_scores/b.scr"));

  std::filesystem::create_directories(tree.root() / "high_scores/dir.scr");
  EXPECT_NO_THROW(list.save("high_scores/dir.scr")) << "an unwritable file is skipped";
}

TEST(HighScoreScreen, WaitsForAFreshZShowsItsPromptAndLeavesOnEsc) {
  FrontendTree tree;
  KeyScript keys;
  platform::SetupCore core;
  platform::SetupDisplay display;
  platform::DisplayWindowDescription description;
  description.set_size(640, 480, true);
  platform::DisplayWindow window(description);
  platform::GraphicContext gc = window.get_gc();
  HighScoreList list(gc, window.get_keyboard(), window);
  list.add(1234, "ANNA");

  keys.down(0, Key::z);
  platform::KeepAlive::process(0);  // Z still held from the result screen
  keys.up(3, Key::z).press(6, Key::z);
  auto start = keys.polls();
  list.show();
  EXPECT_EQ(keys.polls() - start, 7u);

  const platform::PixelBuffer shot = gc.get_pixeldata();
  EXPECT_TRUE(near_colour(shot.get_pixel(5, 2), 23, 95, 39, 4));
  EXPECT_TRUE(near_colour(shot.get_pixel(5, 477), 7, 56, 17, 4));
  EXPECT_TRUE(region_has_colour(shot, 250, 120, 640, 200, 186, 145, 42)) << "title";
  EXPECT_TRUE(region_has_colour(shot, 0, 400, 640, 480, 186, 145, 42)) << "prompt";

  keys.settle();
  keys.down(0, Key::escape);
  platform::KeepAlive::process(0);
  start = keys.polls();
  list.show();
  EXPECT_EQ(keys.polls(), start);
}

}  // namespace
