#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <map>

#include "frontend/high_score_list.h"
#include "frontend/safe_file_writer.h"
#include "frontend_fixture.h"
#include "platform/seam.h"

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

TEST(HighScoreFile, TwoCopiesOfTheGameSavingAtOnceLoseNoScoreAndFileNoneTwice) {
  FrontendTree tree;
  const std::string file = "high_scores/a.scr";
  tree.write(file, "50 OLD\n40 OLDER\n");
  // The second copy saves between the first one's reading and saving.
  FileList first, second;
  first.load(file), second.load(file);
  second.add(45, "SECOND"), second.save(file);
  first.add(60, "FIRST"), first.save(file);
  EXPECT_EQ(tree.read(file) + first.best_five_text(), "60 FIRST\n50 OLD\n45 SECOND\n40 OLDER\n" + tree.read(file));

  // Two processes, each filing 200 scores as the game files one a level run.
  const auto file_scores = [&](char copy) {
    for (int run = 0; run < 200; ++run) {
      FileList list;
      list.load(file);
      list.add(run, copy + std::to_string(run));
      list.save(file);
    }
  };
  pid_t copies[2];
  for (int copy = 0; copy < 2; ++copy)
    if ((copies[copy] = fork()) == 0) file_scores(char('A' + copy)), _exit(0);
  for (const pid_t copy : copies) {
    int status = 0;
    EXPECT_EQ(waitpid(copy, &status, 0), copy);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::map<std::string, int> filed;
  FileList all;
  all.load(file);
  for (const ScoreEntry& entry : all.get_entries()) ++filed[entry.name];
  std::string lost_or_twice;
  for (const std::string copy : {"A", "B"})
    for (int run = 0; run < 200; ++run)
      if (filed[copy + std::to_string(run)] != 1) lost_or_twice += " " + copy + std::to_string(run);
  for (const std::string old : {"OLD", "OLDER", "FIRST", "SECOND"})
    if (filed[old] != 1) lost_or_twice += " " + old;
  EXPECT_EQ(all.get_entries().size(), 404u);
  EXPECT_EQ(lost_or_twice, "");
  EXPECT_EQ(tree.listing("high_scores").substr(0, 6), "a.scr=") << "nothing but the list is left";
}

TEST(HighScoreFile, ALockHeldElsewhereForTwoSecondsIsAFailedSave) {
  FrontendTree tree;
  tree.write("high_scores/a.scr", "10 OLD\n");
  const std::string lock = (tree.path / "high_scores/.morvane.lock").string();
  const int held = open(lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  expect_score_not_stored(tree, "high_scores/a.scr",
                          "another save kept high_scores/.morvane.lock locked for two seconds");
  unlink(lock.c_str()), close(held);
  FileList list;
  list.load("high_scores/a.scr"), list.add(5, "NEW"), list.save("high_scores/a.scr");
  EXPECT_EQ(tree.listing("high_scores"), "a.scr=10 OLD\n5 NEW\n;");
}

TEST(HighScoreFile, AListThatCannotBeReadWholeIsNeverRewritten) {
  FrontendTree tree;
  std::string many;
  for (int score = 1000; score > 900; --score) many += std::to_string(score) + " PLAYER\n";
  tree.write("high_scores/failing.scr", many), tree.write("high_scores/later.scr", many);
  const std::string giant = tree.write("high_scores/giant.scr", "");
  std::filesystem::resize_file(giant, largest_saved_file + 1);  // no bytes on the disk
  platform::VirtualSeam seam;
  platform::ScopedSeam scoped(seam);
  seam.fail_reads("failing.scr", 300, EIO);
  expect_score_not_stored(tree, "high_scores/failing.scr", "it could not be read (Input/output error)");
  expect_score_not_stored(tree, "high_scores/giant.scr", "it could not be read (larger than 16777216 bytes)");
  // Read whole at first, but no longer when the save looks again.
  FileList list;
  list.load("high_scores/later.scr");
  list.add(5, "NEW");
  seam.fail_reads("later.scr", 300, EIO);
  testing::internal::CaptureStderr();
  list.save("high_scores/later.scr");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "The score was not saved to high_scores/later.scr: it could not be read (Input/output error)\n");
  EXPECT_EQ(tree.read("high_scores/later.scr"), many);
}

TEST(HighScoreFile, TheLongestLevelNameKeepsItsScoreAndLeftoversOfKilledSavesAreCleared) {
  FrontendTree tree;
  const std::string longest = std::string(251, 'L') + ".scr";  // 255 bytes, the most a file name may have
  tree.write("high_scores/.morvane-Ab3xY9", "left by a killed save");
  tree.write("high_scores/.morvane-other", "not ours"), tree.write("high_scores/x.morvane-Ab3xY9", "not ours");
  FileList list;
  list.load("high_scores/" + longest);
  list.add(7, "ANNA");
  testing::internal::CaptureStderr();
  list.save("high_scores/" + longest);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(tree.listing("high_scores"), ".morvane-other=not ours;" + longest + "=7 ANNA\n;x.morvane-Ab3xY9=not ours;");
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
