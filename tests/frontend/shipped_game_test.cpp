#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "frontend/frontend.h"
#include "frontend/key_codes.h"
#include "frontend_fixture.h"

namespace fs = std::filesystem;

namespace {

// The shipped data tree, copied so that the game may write into it.
class ShippedTree {
 public:
  ShippedTree() : previous_(fs::current_path()) {
    root_ = fs::temp_directory_path() / ("morvane_shipped_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::copy(MORVANE_DATA_TREE, root_, fs::copy_options::recursive);
    fs::remove_all(root_ / "high_scores");
    fs::create_directories(root_ / "high_scores");
    fs::current_path(root_);
  }
  ~ShippedTree() {
    std::error_code error;
    fs::current_path(previous_, error);
    fs::remove_all(root_, error);
  }
  const fs::path& root() const { return root_; }

 private:
  fs::path previous_;
  fs::path root_;
};

std::string endless_level(const std::vector<std::string>& levels) {
  for (const std::string& name : levels) {
    std::ifstream in("levels/" + name + ".qel");
    std::string line;
    while (std::getline(in, line))
      if (line == "type infinite") return name;
  }
  return "";
}

TEST(ShippedGame, EscInTheEndlessLevelWinsTheBonusAndFilesTheScore) {
  if (!fs::exists(fs::path(MORVANE_DATA_TREE) / "config/main.cfg")) GTEST_SKIP() << "no data tree built";
  ShippedTree tree;
  KeyScript keys;
  Frontend frontend;
  frontend.profile_name = "PLAYER";
  const std::string endless = endless_level(frontend.levels);
  ASSERT_FALSE(endless.empty()) << "the shipped tree has an endless level";
  int index = 0;
  while (frontend.levels[index] != endless) ++index;

  std::uint64_t frame = 1;
  for (int i = 0; i < index; ++i, frame += 2) keys.press(frame, Key::down);
  keys.press(frame + 1, Key::z);
  keys.down(frame + 100, Key::escape);  // a second into the run, before the first gap
  EXPECT_EQ(frontend.play_level(), Screen::main_menu);

  std::ifstream scores("high_scores/" + endless + ".scr");
  int total = 0;
  std::string name;
  ASSERT_TRUE(scores >> total >> name);
  EXPECT_EQ(name, "PLAYER");
  EXPECT_GT(total, 30000) << "the attempt's points and the bonus for three lives";
}

}  // namespace
