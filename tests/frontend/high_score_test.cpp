#include <gtest/gtest.h>

#include "frontend/high_score_list.h"
#include "frontend_fixture.h"

namespace {

// A list without a screen, for the file alone.
struct FileList : HighScoreList {
  FileList() : HighScoreList({}, {}, {}) {}
};

TEST(HighScoreFile, ReadsNamesAsWrittenAndSkipsLinesWithoutANumber) {
  FrontendTree tree;
  tree.write("high_scores/a.scr",
             "\nabc 12\n700 ANNA MARIA\n- 5\n12 \n40  LEADING\n77\n99999999999 HUGE\n9 LAST");
  FileList list, none;
  list.load("high_scores/a.scr");
  EXPECT_EQ(list.best_five_text(), "700 ANNA MARIA\n77 \n40  LEADING\n12 \n9 LAST\n");
  EXPECT_EQ(list.get_entries().size(), 5u);
  none.load("high_scores/none.scr");
  EXPECT_TRUE(none.get_entries().empty());
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
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.root / "high_scores"), {}), 1) << "no temporary";

  tree.remove("high_scores");
  list.save("high_scores/b.scr");
  EXPECT_EQ(tree.read("high_scores/b.scr").substr(0, 5), "70 B\n");
  std::filesystem::create_directories(tree.root / "high_scores/dir.scr");
  EXPECT_NO_THROW(list.save("high_scores/dir.scr")) << "an unwritable file is skipped";
}

}  // namespace
