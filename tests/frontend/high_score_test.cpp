#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "frontend/high_score_list.h"
#include "frontend/key_codes.h"
#include "frontend_fixture.h"

namespace {

HighScoreList list_without_screen() {
  return HighScoreList(platform::GraphicContext(), platform::InputDevice(), platform::DisplayWindow());
}

std::vector<std::pair<int, std::string>> contents(const HighScoreList& list) {
  std::vector<std::pair<int, std::string>> result;
  for (const ScoreEntry& entry : list.get_entries()) result.emplace_back(entry.score, entry.name);
  return result;
}

TEST(HighScoreFile, ReadsNamesAsWrittenAndSortsHighestFirst) {
  FrontendTree tree;
  tree.write("high_scores/a.scr", "5 BOB\n700 ANNA MARIA\n12 \n40  LEADING\n9 LAST");
  HighScoreList list = list_without_screen();
  list.load("high_scores/a.scr");
  const std::vector<std::pair<int, std::string>> expected{
      {700, "ANNA MARIA"}, {40, " LEADING"}, {12, ""}, {9, "LAST"}, {5, "BOB"}};
  EXPECT_EQ(contents(list), expected);
}

TEST(HighScoreFile, SkipsLinesThatDoNotBeginWithAWholeNumber) {
  FrontendTree tree;
  tree.write("high_scores/a.scr", "\nabc 12\n   \n300 CAT\n- 5\n77\n99999999999 HUGE\n-20 MINUS\n");
  HighScoreList list = list_without_screen();
  list.load("high_scores/a.scr");
  const std::vector<std::pair<int, std::string>> expected{{300, "CAT"}, {77, ""}, {-20, "MINUS"}};
  EXPECT_EQ(contents(list), expected);
}

TEST(HighScoreFile, MissingFileLeavesTheListAsItWas) {
  FrontendTree tree;
  HighScoreList list = list_without_screen();
  list.add(3, "X");
  list.load("high_scores/none.scr");
  EXPECT_EQ(contents(list).size(), 1u);
}

TEST(HighScoreFile, SaveWritesSortedLinesAndKeepsEveryEntry) {
  FrontendTree tree;
  tree.write("high_scores/a.scr", "10 A\n70 B\n30 C\n60 D\n20 E\n50 F\n40 G\n");
  HighScoreList list = list_without_screen();
  list.load("high_scores/a.scr");
  list.add(65, "NEW");
  list.save("high_scores/a.scr");
  EXPECT_EQ(tree.read("high_scores/a.scr"), "70 B\n65 NEW\n60 D\n50 F\n40 G\n30 C\n20 E\n10 A\n");
  EXPECT_EQ(list.best_five_text(), "70 B\n65 NEW\n60 D\n50 F\n40 G\n");
  EXPECT_FALSE(tree.exists("high_scores/a.scr.tmp"));
}

TEST(HighScoreFile, SaveCreatesAMissingFolder) {
  FrontendTree tree;
  tree.remove("high_scores");
  HighScoreList list = list_without_screen();
  list.add(0, "");
  list.save("high_scores/first.scr");
  EXPECT_EQ(tree.read("high_scores/first.scr"), "0 \n");
}

TEST(HighScoreFile, UnwritableFileIsSkippedAndTheOldOneKept) {
  FrontendTree tree;
  std::filesystem::create_directories(tree.root() / "high_scores/dir.scr");
  HighScoreList list = list_without_screen();
  list.add(1, "A");
  EXPECT_NO_THROW(list.save("high_scores/dir.scr"));
  EXPECT_TRUE(std::filesystem::is_directory(tree.root() / "high_scores/dir.scr"));
}

// A window of its own for the high-score screen.
struct ScoreScreen {
  platform::SetupCore core;
  platform::SetupDisplay display;
  platform::SetupGL1 gl;
  platform::DisplayWindow window{[] {
    platform::DisplayWindowDescription description;
    description.set_title("Morvane");
    description.set_size(640, 480, true);
    return description;
  }()};
  platform::GraphicContext gc = window.get_gc();
  platform::InputDevice keyboard = window.get_keyboard();
};

TEST(HighScoreScreen, WaitsForAFreshZAndShowsItsPromptInsideTheWindow) {
  FrontendTree tree;
  KeyScript keys;
  ScoreScreen screen;
  keys.down(0, Key::z);
  platform::KeepAlive::process(0);  // Z is held as the screen opens
  HighScoreList list(screen.gc, screen.keyboard, screen.window);
  list.add(1234, "ANNA");
  keys.up(3, Key::z).press(6, Key::z);
  const auto start = keys.polls();
  list.show();
  EXPECT_EQ(keys.polls() - start, 7u);

  const platform::PixelBuffer shot = screen.gc.get_pixeldata();
  EXPECT_TRUE(near_colour(shot.get_pixel(5, 2), 23, 95, 39, 4));
  EXPECT_TRUE(near_colour(shot.get_pixel(5, 477), 7, 56, 17, 4));
  EXPECT_TRUE(region_has_colour(shot, 250, 120, 640, 200, 186, 145, 42)) << "title";
  EXPECT_TRUE(region_has_colour(shot, 0, 400, 640, 480, 186, 145, 42)) << "prompt";
}

TEST(HighScoreScreen, EscLeavesAtOnce) {
  FrontendTree tree;
  KeyScript keys;
  ScoreScreen screen;
  keys.down(0, Key::escape);
  platform::KeepAlive::process(0);
  HighScoreList list(screen.gc, screen.keyboard, screen.window);
  list.add(1, "A");
  const auto start = keys.polls();
  list.show();
  EXPECT_EQ(keys.polls(), start);
}

}  // namespace
