#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "frontend/credits_slide.h"
#include "frontend/frontend.h"
#include "frontend/key_codes.h"
#include "frontend_fixture.h"

namespace {

const std::string valid_profile(const std::string& name, const std::string& levels = "") {
  return "name " + name + "\n" + levels;
}

TEST(FrontendStart, ScansKeepOnlyFilesThatReadOnTheirOwn) {
  FrontendTree tree;
  tree.write("profiles/anna.prf", valid_profile("anna"));
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
  EXPECT_EQ(frontend.version, "0.8.0");
  EXPECT_EQ(frontend.window.get_title(), "Morvane");
  EXPECT_EQ(frontend.gc.get_width(), 640);
  EXPECT_EQ(frontend.gc.get_height(), 480);
  EXPECT_EQ(frontend.selector.get_frame_count(), 21);
  EXPECT_TRUE(frontend.menu_music.is_null());
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

TEST(FrontendStart, MissingConfigurationIsTheReadersMessage) {
  FrontendTree tree;
  tree.remove("config");
  KeyScript keys;
  try {
    Frontend frontend;
    FAIL() << "started without a configuration";
  } catch (const std::string& message) {
    EXPECT_EQ(message, "config/main.cfg could not be opened!");
  }
}

TEST(FrontendStart, TheProgramReportsAMissingConfigurationAndFails) {
  FrontendTree tree;
  tree.remove("config");
  const std::string command = std::string("SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ") + MORVANE_BINARY_DIR +
                              "/morvane </dev/null >out.txt 2>err.txt";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(tree.read("err.txt").find("Error: config/main.cfg could not be opened!"), std::string::npos);
}

// One Frontend in a fresh tree with scripted keys.
class FrontendScreens : public ::testing::Test {
 protected:
  void start() { frontend = std::make_unique<Frontend>(); }
  FrontendTree tree;
  KeyScript keys;
  std::unique_ptr<Frontend> frontend;
};

TEST_F(FrontendScreens, KeyThatEndsAScreenDoesNotActInTheNext) {
  tree.write("profiles/anna.prf", valid_profile("anna"));
  start();
  // Down to "Create a new profile!", X chooses it and stays held for a while:
  // it must not type an X on the creation screen.
  keys.press(1, Key::down).press(3, Key::x, 10).press(20, 'B').press(23, Key::enter).press(26, Key::escape);
  frontend->run();
  EXPECT_EQ(frontend->profile_name, "B");
  EXPECT_EQ(tree.read("profiles/B.prf"), "name B\n\n");
}

TEST_F(FrontendScreens, ChosenProfileGetsItsOwnLevelList) {
  tree.write("profiles/anna.prf", valid_profile("anna", "unlocked_level forest\nunlocked_level cave\n"));
  tree.write("profiles/bob.prf", valid_profile("bob"));
  start();
  keys.press(1, Key::z);
  EXPECT_EQ(frontend->select_profile(), Screen::main_menu);
  keys.settle();
  EXPECT_EQ(frontend->profile_name, "anna");
  EXPECT_EQ(frontend->unlocked_levels, (std::vector<std::string>{"forest", "cave"}));

  keys.press(1, Key::down).press(3, Key::x);
  EXPECT_EQ(frontend->select_profile(), Screen::main_menu);
  keys.settle();
  EXPECT_EQ(frontend->profile_name, "bob");
  EXPECT_TRUE(frontend->unlocked_levels.empty());
}

TEST_F(FrontendScreens, ProfileListLeadsToCreationOrQuits) {
  start();
  EXPECT_EQ(frontend->select_profile(), Screen::profile_creation) << "no profiles: straight to creation";
  keys.settle();

  tree.write("profiles/anna.prf", valid_profile("anna"));
  frontend->profiles = {"anna"};
  keys.press(1, Key::up).press(3, Key::z);
  EXPECT_EQ(frontend->select_profile(), Screen::profile_creation);
  keys.settle();
  EXPECT_TRUE(frontend->profile_name.empty());

  keys.press(1, Key::escape);
  EXPECT_EQ(frontend->select_profile(), Screen::main_menu);
  keys.settle();
  EXPECT_TRUE(frontend->quit);
}

TEST_F(FrontendScreens, TypingTakesOneLetterPerPress) {
  start();
  frontend->profile_name = "OLD";
  keys.press(0, 'A', 5)          // held: one A
      .press(6, 'A')             // again: AA
      .down(8, 'D').down(8, 'C')  // two at once: C first
      .up(10, 'C')               // D still held: typed next
      .up(12, 'D')
      .press(13, Key::z).press(15, Key::x)
      .press(17, Key::backspace, 3)
      .press(22, Key::enter);
  EXPECT_EQ(frontend->create_profile(), Screen::main_menu);
  keys.settle();
  EXPECT_EQ(frontend->profile_name, "AACDZ");
}

TEST_F(FrontendScreens, NameStopsAtTwentyLettersAndBackspaceOnEmptyDoesNothing) {
  start();
  keys.press(0, Key::backspace);
  for (int i = 0; i < 22; ++i) keys.press(2 + 2 * i, 'Q');
  keys.press(50, Key::enter);
  frontend->create_profile();
  keys.settle();
  EXPECT_EQ(frontend->profile_name, std::string(20, 'Q'));
}

TEST_F(FrontendScreens, CreationScreenEnterAndEscTable) {
  start();
  // ENTER, no profile, nothing typed: ignored; then ESC quits.
  keys.press(0, Key::enter).press(3, Key::escape);
  const auto before = keys.polls();
  EXPECT_EQ(frontend->create_profile(), Screen::main_menu);
  keys.settle();
  EXPECT_GE(keys.polls() - before, 4u);
  EXPECT_TRUE(frontend->quit);
  EXPECT_TRUE(frontend->profile_name.empty());

  // ESC, no profile, a name typed: still quits without a name.
  frontend->quit = false;
  keys.press(0, 'K').press(2, Key::escape);
  frontend->create_profile();
  keys.settle();
  EXPECT_TRUE(frontend->quit);
  EXPECT_TRUE(frontend->profile_name.empty());

  // ENTER, no profile, typed: becomes current.
  frontend->quit = false;
  keys.press(0, 'K').press(2, Key::enter);
  frontend->create_profile();
  keys.settle();
  EXPECT_EQ(frontend->profile_name, "K");

  // ENTER or ESC with a profile and nothing typed: back, unchanged.
  keys.press(0, Key::enter);
  frontend->create_profile();
  keys.settle();
  keys.press(0, Key::escape);
  frontend->create_profile();
  keys.settle();
  EXPECT_EQ(frontend->profile_name, "K");
  EXPECT_FALSE(frontend->quit);

  // ESC with a profile and a name typed: the typed name becomes current.
  keys.press(0, 'L').press(2, Key::escape);
  frontend->create_profile();
  keys.settle();
  EXPECT_EQ(frontend->profile_name, "L");
  EXPECT_FALSE(frontend->quit);
}

TEST_F(FrontendScreens, CreatedProfileStartsWithItsOwnFilesLevels) {
  tree.write("profiles/anna.prf", valid_profile("anna", "unlocked_level forest\n"));
  start();
  tree.write("profiles/BEA.prf", valid_profile("BEA", "unlocked_level cave\n"));
  keys.press(1, Key::z);
  frontend->select_profile();
  keys.settle();
  ASSERT_EQ(frontend->unlocked_levels, std::vector<std::string>{"forest"});

  keys.press(0, 'N').press(2, 'E').press(4, 'W').press(6, Key::enter);
  frontend->create_profile();
  keys.settle();
  EXPECT_TRUE(frontend->unlocked_levels.empty()) << "a new name inherits nobody's levels";

  keys.press(0, 'B').press(2, 'E').press(4, 'A').press(6, Key::enter);
  frontend->create_profile();
  keys.settle();
  EXPECT_EQ(frontend->unlocked_levels, std::vector<std::string>{"cave"});
}

TEST_F(FrontendScreens, MainMenuWrapsAndLeadsToEachScreen) {
  start();
  keys.press(1, Key::up).press(3, Key::z);
  EXPECT_EQ(frontend->main_menu(), Screen::main_menu);
  keys.settle();
  EXPECT_TRUE(frontend->quit) << "Up from Play level is Exit";

  frontend->quit = false;
  keys.press(1, Key::up).press(3, Key::down).press(5, Key::x);
  EXPECT_EQ(frontend->main_menu(), Screen::level_select);
  keys.settle();

  keys.down(1, Key::down).up(8, Key::down).press(10, Key::z);
  EXPECT_EQ(frontend->main_menu(), Screen::profile_select) << "a held Down moves once";
  keys.settle();

  keys.press(1, Key::down).press(3, Key::down).press(5, Key::z);
  EXPECT_EQ(frontend->main_menu(), Screen::credits);
  keys.settle();
  EXPECT_FALSE(frontend->quit);

  keys.down(1, Key::z).down(1, Key::escape);
  frontend->main_menu();
  keys.settle();
  EXPECT_TRUE(frontend->quit) << "ESC quits even with Z held";
}

TEST_F(FrontendScreens, MainMenuDrawsBackgroundAndTexts) {
  start();
  keys.press(2, Key::escape);
  frontend->main_menu();
  keys.settle();
  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  EXPECT_TRUE(near_colour(shot.get_pixel(620, 10), 40, 40, 120));
  EXPECT_TRUE(region_has_colour(shot, 290, 220, 640, 420, 186, 145, 42)) << "menu entries";
  EXPECT_TRUE(region_has_colour(shot, 590, 455, 640, 480, 186, 145, 42)) << "version";
}

TEST(CreditsSlide, EachPhaseHas121FramesThroughItsSlowRange) {
  const auto first = credits_slide_positions(0);
  ASSERT_EQ(first.size(), 121u);
  EXPECT_EQ(first[0], -200);
  EXPECT_EQ(first[9], -110);
  EXPECT_EQ(first[10], -100);
  EXPECT_EQ(first[110], 0);
  EXPECT_EQ(first[111], 1);
  EXPECT_EQ(first[120], 91);

  const auto second = credits_slide_positions(1);
  ASSERT_EQ(second.size(), 121u);
  EXPECT_EQ(second[0], 200);
  EXPECT_EQ(second[10], 100);
  EXPECT_EQ(second[110], 0);
  EXPECT_EQ(second[111], -1);
  EXPECT_EQ(second[120], -91);

  for (int phase : {2, 3}) {
    const auto slide = credits_slide_positions(phase);
    ASSERT_EQ(slide.size(), 121u);
    EXPECT_EQ(slide[0], -300);
    EXPECT_EQ(slide[10], -200);
    EXPECT_EQ(slide[110], -100);
    EXPECT_EQ(slide[111], -99);
    EXPECT_EQ(slide[120], -9);
  }
}

TEST_F(FrontendScreens, CreditsPlayToTheEndWhateverIsPressed) {
  start();
  keys.press(5, Key::escape, 3).press(100, Key::z, 3).down(480, Key::escape);
  const auto polls = keys.polls();
  const auto time = keys.now();
  EXPECT_EQ(frontend->credits(), Screen::main_menu);
  EXPECT_EQ(keys.polls() - polls, 485u);
  EXPECT_EQ(keys.now() - time, 484u * 25u + 2500u);
  EXPECT_FALSE(frontend->quit);

  // The closing card over the last frame of the fourth card.
  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  const auto card = FrontendTree::closing_card_colour;
  EXPECT_TRUE(near_colour(shot.get_pixel(1, 100), card.r, card.g, card.b, 0));
  EXPECT_TRUE(near_colour(shot.get_pixel(0, 100), 170, 170, 170, 0)) << "fourth card at x = -9";
  EXPECT_TRUE(near_colour(shot.get_pixel(300, 1), 8, 94, 38, 3)) << "credits gradient top";
}

TEST_F(FrontendScreens, MissingCreditsPictureNamesTheFile) {
  tree.remove("game_data/CTolvar.png");
  start();
  try {
    frontend->credits();
    FAIL() << "no error";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("game_data/CTolvar.png"), std::string::npos) << error.what();
  }
}

TEST_F(FrontendScreens, ProfileListDrawsOnTheMenuGradient) {
  tree.write("profiles/anna.prf", valid_profile("anna"));
  start();
  keys.press(3, Key::escape);
  frontend->select_profile();
  keys.settle();
  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  EXPECT_TRUE(near_colour(shot.get_pixel(630, 0), 23, 95, 39, 3));
  EXPECT_TRUE(near_colour(shot.get_pixel(630, 479), 7, 56, 17, 3));
  EXPECT_TRUE(region_has_colour(shot, 150, 0, 640, 100, 186, 145, 42)) << "profile names";
}

TEST_F(FrontendScreens, ProfileFileHoldsNameAndLevelLines) {
  start();
  frontend->profile_name = "anna";
  frontend->unlocked_levels = {"forest", "cave"};
  frontend->save_profile();
  EXPECT_EQ(tree.read("profiles/anna.prf"), "name anna\nunlocked_level forest\nunlocked_level cave\n\n");
  DataFile reread;
  reread.load_profile("anna.prf");
  EXPECT_EQ(reread.get_string("name"), "anna");
  EXPECT_EQ(reread.get_string_vector("unlocked_level"), (std::vector<std::string>{"forest", "cave"}));

  frontend->unlocked_levels.clear();
  frontend->save_profile();
  EXPECT_EQ(tree.read("profiles/anna.prf"), "name anna\n\n");
  EXPECT_FALSE(tree.exists("profiles/anna.prf.tmp"));
}

TEST_F(FrontendScreens, NoProfileFileWithoutAProfile) {
  start();
  keys.press(0, Key::escape);  // the creation screen, with no profile: quit
  frontend->run();
  EXPECT_TRUE(std::filesystem::is_empty(tree.root() / "profiles"));
}

TEST_F(FrontendScreens, ProfileFolderIsCreatedAndAnUnwritableFileIsAnError) {
  start();
  tree.remove("profiles");
  frontend->profile_name = "anna";
  frontend->save_profile();
  EXPECT_EQ(tree.read("profiles/anna.prf"), "name anna\n\n");

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
