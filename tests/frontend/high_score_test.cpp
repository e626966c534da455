#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "frontend/high_score_list.h"
#include "frontend_fixture.h"

namespace {

// A list without a screen, for the file alone.
struct FileList : HighScoreList { FileList() : HighScoreList({}, {}, {}) {} };

// A run whose score cannot be stored: the screen still lists it, the folder
// holds what it held, and one line on standard error says why.
void expect_score_not_stored(const FrontendTree& tree, const std::string& file, const std::string& reason) {
  const std::string before = tree.listing("high_scores");
  FileList list;
  list.load(file);
  list.add(5, "NEW");
  testing::internal::CaptureStderr();
  list.save(file);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "The score was not saved to " + file + ": " + reason + "\n");
  EXPECT_NE(list.best_five_text().find("5 NEW\n"), std::string::npos);
  EXPECT_EQ(tree.listing("high_scores"), before) << file;
}

TEST(HighScoreFile, SaveKeepsEveryEntryThatReadsHighestFirstInTheFilesModeAndCreatesTheFolder) {
  FrontendTree tree;
  tree.write("high_scores/a.scr", "\nabc 12\n700 ANNA MARIA\n- 5\n12 \n40  LEADING\n77\n99999999999 HUGE\n9 LAST");
  std::filesystem::permissions(tree.path / "high_scores/a.scr", std::filesystem::perms(0640));
  FileList list;
  list.load("high_scores/a.scr");
  list.add(65, "NEW");
  list.save("high_scores/a.scr");
  const std::string best_five = "700 ANNA MARIA\n77 \n65 NEW\n40  LEADING\n12 \n";
  EXPECT_EQ(tree.listing("high_scores") + list.best_five_text(), "a.scr=" + best_five + "9 LAST\n;" + best_five);
  EXPECT_EQ(std::filesystem::status(tree.path / "high_scores/a.scr").permissions(), std::filesystem::perms(0640));

  tree.remove("high_scores");
  list.save("high_scores/b.scr");
  EXPECT_EQ(tree.read("high_scores/b.scr").substr(0, 15), "700 ANNA MARIA\n") << "the missing folder is made";
  tree.write("high_scores/c.scr.tmp/left_by_a_crash", "");
  list.save("high_scores/c.scr");
  EXPECT_EQ(tree.read("high_scores/c.scr").substr(0, 15), "700 ANNA MARIA\n") << "past a crash's leftover";
}

TEST(HighScoreFile, AFolderOrPipeInPlaceOfTheFileOrAFailedWriteKeepsTheOldFile) {
  FrontendTree tree;
  tree.write("high_scores/dir.scr/x", "");
  expect_score_not_stored(tree, "high_scores/dir.scr", "it could not be read (is a folder, not a file)");
  mkfifo((tree.path / "high_scores/pipe.scr").c_str(), 0644);  // would hang a reader that waits
  expect_score_not_stored(tree, "high_scores/pipe.scr", "it could not be read (not a regular file)");

  // A write that stops part way, as on a full disk.
  const std::string long_name(1000, 'N');
  tree.write("high_scores/long.scr", "1 " + long_name + "\n2 " + long_name + "\n");
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{1500, limit.rlim_max};
  const auto old_handler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  expect_score_not_stored(tree, "high_scores/long.scr", "File too large");
  setrlimit(RLIMIT_FSIZE, &limit);
  signal(SIGXFSZ, old_handler);
}

// Root may read and write anything, so these run as an ordinary user (the
// ctest case frontend_saves_unprivileged does that when the tests run as root).
TEST(HighScoreFilePermissions, AFileThatCannotBeReadOrWrittenIsNeverReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file; run as an ordinary user";
  FrontendTree tree;
  const auto mode = [&](const std::string& file, int bits) {
    std::filesystem::permissions(tree.path / file, std::filesystem::perms(bits));
  };
  tree.write("high_scores/unreadable.scr", "10 OLD\n"), tree.write("high_scores/read_only.scr", "10 OLD\n");
  mode("high_scores/unreadable.scr", 0), mode("high_scores/read_only.scr", 0444);
  expect_score_not_stored(tree, "high_scores/unreadable.scr", "it could not be read (Permission denied)");
  expect_score_not_stored(tree, "high_scores/read_only.scr", "Permission denied");
  EXPECT_EQ(std::filesystem::status(tree.path / "high_scores/read_only.scr").permissions(),
            std::filesystem::perms(0444));
  mode("high_scores/unreadable.scr", 0644);
  EXPECT_EQ(tree.listing("high_scores"), "read_only.scr=10 OLD\n;unreadable.scr=10 OLD\n;");
  mode("high_scores", 0555);
  expect_score_not_stored(tree, "high_scores/new.scr", "Permission denied");
  mode("high_scores", 0755);
}

}  // namespace
