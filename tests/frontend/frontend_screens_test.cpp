#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "frontend/credits_slide.h"
#include "frontend/frontend.h"
#include "frontend/key_codes.h"
#include "frontend_fixture.h"

namespace {

TEST(FrontendStart, ScansKeepOnlyFilesThatReadOnTheirOwn) {
  FrontendTree tree;
  tree.write("profiles/anna.prf", "name anna\n");
  tree.write("profiles/bob.prf", "name bob\ncolour blue\n");
  tree.write("profiles/carl.prf", "unlocked_level forest\n");  // no name line
  tree.add_level("a");
  tree.add_level("b", "version 2.0\n");
  tree.add_level("c");
  tree.write("levels/tour.cmp", "lives 3\nevent a\n");
  tree.write("levels/broken.cmp", "lives 3\n");
  KeyScript keys;
  Frontend frontend;
  EXPECT_EQ(frontend.profiles, std::vector<std::string>{"anna"});
  EXPECT_EQ(frontend.levels, (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(frontend.campaigns, std::vector<std::string>{"tour"});
  EXPECT_EQ(frontend.window.get_title(), "Morvane");
  EXPECT_EQ(frontend.gc.get_width(), 640);
  EXPECT_EQ(frontend.gc.get_height(), 480);
  EXPECT_EQ(frontend.selector.get_frame_count(), 21);
}

TEST(FrontendStart, MissingFoldersGiveEmptyLists) {
  FrontendTree tree;
  tree.remove("levels");
  tree.remove("profiles");
  KeyScript keys;
  Frontend frontend;
  EXPECT_TRUE(frontend.levels.empty());
  EXPECT_TRUE(frontend.profiles.empty());
}

TEST(FrontendStart, TheProgramReportsAMissingConfigurationAndFails) {
  FrontendTree tree;
  tree.remove("config");
  const std::string command = std::string(MORVANE_BINARY_DIR) + "/morvane </dev/null >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(tree.read("err.txt").find("Error: config/main.cfg could not be opened!"), std::string::npos);
}

// One Frontend in a fresh tree with scripted keys.
class FrontendScreens : public ::testing::Test {
 protected:
  void start() { frontend = std::make_unique<Frontend>(); }
  // Runs a screen, then lets go of the keys that ended it.
  int screen(int (Frontend::*operation)()) {
    const int next = ((*frontend).*operation)();
    keys.settle();
    return next;
  }
  FrontendTree tree;
  KeyScript keys;
  std::unique_ptr<Frontend> frontend;
};

TEST_F(FrontendScreens, KeyThatEndsAScreenDoesNotActInTheNext) {
  tree.write("profiles/anna.prf", "name anna\n");
  start();
  // X chooses "Create a new profile!" and stays held: it must type nothing.
  keys.press(1, Key::down).press(3, Key::x, 10).press(20, 'B').press(23, Key::enter).press(26, Key::escape);
  frontend->run();
  EXPECT_EQ(tree.read("profiles/B.prf"), "name B\n\n");
}

TEST_F(FrontendScreens, ChosenProfileGetsItsOwnLevelList) {
  tree.write("profiles/anna.prf", "name anna\nunlocked_level forest\nunlocked_level cave\n");
  tree.write("profiles/bob.prf", "name bob\n");
  start();
  keys.press(1, Key::z);
  EXPECT_EQ(screen(&Frontend::select_profile), Screen::main_menu);
  EXPECT_EQ(frontend->profile_name, "anna");
  EXPECT_EQ(frontend->unlocked_levels, (std::vector<std::string>{"forest", "cave"}));

  keys.press(1, Key::down).press(3, Key::x);
  screen(&Frontend::select_profile);
  EXPECT_EQ(frontend->profile_name, "bob");
  EXPECT_TRUE(frontend->unlocked_levels.empty()) << "not anna's list";

  keys.press(1, Key::up).press(3, Key::z);
  EXPECT_EQ(screen(&Frontend::select_profile), Screen::profile_creation);
  keys.press(1, Key::escape);
  EXPECT_EQ(screen(&Frontend::select_profile), Screen::main_menu);
  EXPECT_TRUE(frontend->quit);

  frontend->profiles.clear();
  EXPECT_EQ(screen(&Frontend::select_profile), Screen::profile_creation);
}

TEST_F(FrontendScreens, TypingTakesOneLetterPerPressUpToTwenty) {
  start();
  keys.press(0, Key::backspace)  // on an empty name: nothing
      .press(2, 'A', 5)          // held: one A
      .press(8, 'A')
      .down(10, 'D').down(10, 'C')  // both at once: C first, then D
      .up(12, 'C').up(14, 'D')
      .press(15, Key::z).press(17, Key::x)
      .press(19, Key::backspace, 3);
  for (int i = 0; i < 20; ++i) keys.press(24 + 2 * i, 'Q');
  keys.press(70, Key::enter);
  screen(&Frontend::create_profile);
  EXPECT_EQ(frontend->profile_name, "AACDZ" + std::string(15, 'Q'));
}

TEST_F(FrontendScreens, CreationScreenEnterAndEscTable) {
  start();
  keys.press(0, Key::enter).press(3, 'K').press(5, Key::escape);  // ENTER ignored; ESC without a profile
  EXPECT_EQ(screen(&Frontend::create_profile), Screen::main_menu);
  EXPECT_TRUE(frontend->quit);
  EXPECT_TRUE(frontend->profile_name.empty());

  frontend->quit = false;
  keys.press(0, 'K').press(2, Key::enter);
  screen(&Frontend::create_profile);
  EXPECT_EQ(frontend->profile_name, "K");
  keys.press(0, Key::enter);
  screen(&Frontend::create_profile);
  keys.press(0, Key::escape);
  screen(&Frontend::create_profile);
  EXPECT_EQ(frontend->profile_name, "K") << "nothing typed: unchanged";
  keys.press(0, 'L').press(2, Key::escape);
  screen(&Frontend::create_profile);
  EXPECT_EQ(frontend->profile_name, "L");
  EXPECT_FALSE(frontend->quit);
}

TEST_F(FrontendScreens, CreatedProfileStartsWithItsOwnFilesLevels) {
  tree.write("profiles/anna.prf", "name anna\nunlocked_level forest\n");
  start();
  tree.write("profiles/BEA.prf", "name BEA\nunlocked_level cave\n");
  keys.press(1, Key::z);
  screen(&Frontend::select_profile);
  ASSERT_EQ(frontend->unlocked_levels, std::vector<std::string>{"forest"});

  keys.press(0, 'N').press(2, Key::enter);
  screen(&Frontend::create_profile);
  EXPECT_TRUE(frontend->unlocked_levels.empty()) << "a new name inherits nobody's levels";

  keys.press(0, 'B').press(2, 'E').press(4, 'A').press(6, Key::enter);
  screen(&Frontend::create_profile);
  EXPECT_EQ(frontend->unlocked_levels, std::vector<std::string>{"cave"});
}

TEST_F(FrontendScreens, MainMenuWrapsAndLeadsToEachScreen) {
  start();
  keys.press(1, Key::up).press(3, Key::z);
  EXPECT_EQ(screen(&Frontend::main_menu), Screen::main_menu);
  EXPECT_TRUE(frontend->quit) << "Up from Play level is Exit";
  frontend->quit = false;

  keys.press(1, Key::up).press(3, Key::down).press(5, Key::x);
  EXPECT_EQ(screen(&Frontend::main_menu), Screen::level_select);
  keys.down(1, Key::down).up(8, Key::down).press(10, Key::z);
  EXPECT_EQ(screen(&Frontend::main_menu), Screen::profile_select) << "a held Down moves once";
  keys.press(1, Key::down).press(3, Key::down).press(5, Key::z);
  EXPECT_EQ(screen(&Frontend::main_menu), Screen::credits);
  EXPECT_FALSE(frontend->quit);

  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  EXPECT_TRUE(near_colour(shot.get_pixel(620, 10), 40, 40, 120)) << "the menu background";
  EXPECT_TRUE(region_has_colour(shot, 590, 455, 640, 480, 186, 145, 42)) << "the version";

  keys.down(1, Key::z).down(1, Key::escape);
  screen(&Frontend::main_menu);
  EXPECT_TRUE(frontend->quit) << "ESC quits even with Z held";
}

TEST_F(FrontendScreens, ProfileListDrawsOnTheMenuGradient) {
  tree.write("profiles/anna.prf", "name anna\n");
  start();
  keys.press(3, Key::escape);
  screen(&Frontend::select_profile);
  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  EXPECT_TRUE(near_colour(shot.get_pixel(630, 0), 23, 95, 39, 3));
  EXPECT_TRUE(near_colour(shot.get_pixel(630, 479), 7, 56, 17, 3));
  EXPECT_TRUE(region_has_colour(shot, 150, 0, 640, 100, 186, 145, 42)) << "profile names";
}

TEST(CreditsSlide, EachPhaseHas121FramesThroughItsSlowRange) {
  struct Expected {
    int phase, first, into_slow, last_slow, after_slow, last;
  };
  for (const Expected& e : {Expected{0, -200, -100, 0, 1, 91}, Expected{1, 200, 100, 0, -1, -91},
                            Expected{2, -300, -200, -100, -99, -9}, Expected{3, -300, -200, -100, -99, -9}}) {
    const auto x = credits_slide_positions(e.phase);
    ASSERT_EQ(x.size(), 121u) << "phase " << e.phase;
    EXPECT_EQ(x[0], e.first);
    EXPECT_EQ(x[10], e.into_slow);
    EXPECT_EQ(x[110], e.last_slow);
    EXPECT_EQ(x[111], e.after_slow);
    EXPECT_EQ(x[120], e.last);
  }
}

TEST_F(FrontendScreens, CreditsPlayToTheEndWhateverIsPressed) {
  start();
  keys.press(5, Key::escape, 3).press(100, Key::z, 3).down(480, Key::escape);
  const auto polls = keys.polls();
  const auto time = keys.now();
  EXPECT_EQ(screen(&Frontend::credits), Screen::main_menu);
  EXPECT_EQ(keys.polls() - polls, 485u);
  EXPECT_EQ(keys.now() - time, 484u * 25u + 2500u);
  EXPECT_FALSE(frontend->quit);

  // The closing card at x = 1 over the last frame of the fourth card at -9.
  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  const auto card = FrontendTree::closing_card_colour;
  EXPECT_TRUE(near_colour(shot.get_pixel(1, 100), card.r, card.g, card.b, 0));
  EXPECT_TRUE(near_colour(shot.get_pixel(0, 100), 170, 170, 170, 0));
  EXPECT_TRUE(near_colour(shot.get_pixel(300, 1), 8, 94, 38, 3)) << "credits gradient top";

  tree.remove("game_data/CTolvar.png");
  try {
    frontend->credits();
    FAIL() << "no error";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("game_data/CTolvar.png"), std::string::npos) << error.what();
  }
}

TEST_F(FrontendScreens, ProfileFileHoldsNameAndLevelLines) {
  start();
  keys.press(0, Key::escape);  // the creation screen, with no profile: quit
  frontend->run();
  EXPECT_TRUE(std::filesystem::is_empty(tree.root() / "profiles")) << "no file without a profile";

  tree.remove("profiles");
  frontend->profile_name = "anna";
  frontend->unlocked_levels = {"forest", "cave"};
  frontend->save_profile();
  EXPECT_EQ(tree.read("profiles/anna.prf"), "name anna\nunlocked_level forest\nunlocked_level cave\n\n");
  DataFile reread;
  reread.load_profile("anna.prf");
  EXPECT_EQ(reread.get_string_vector("unlocked_level"), frontend->unlocked_levels);

  frontend->unlocked_levels.clear();
  frontend->save_profile();
  EXPECT_EQ(tree.read("profiles/anna.prf"), "name anna\n\n");
  EXPECT_FALSE(tree.exists("profiles/anna.prf.tmp"));

  std::filesystem::create_directories(tree.root() / "profiles/bob.prf");
  frontend->profile_name = "bob";
  try {
    frontend->save_profile();
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open profile file 'bob.prf'");
  }
}

}  // namespace
