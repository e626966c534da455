#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>

#include <cerrno>
#include <tuple>

#include "frontend/credits_slide.h"
#include "frontend/frontend.h"
#include "frontend/high_score_list.h"
#include "frontend/key_codes.h"
#include "frontend/safe_file_writer.h"
#include "frontend_fixture.h"
#include "platform/testing.h"
#include "support/address_space_cap.h"
#include "support/blank_png.h"

namespace {

using Names = std::vector<std::string>;
// The next screen, the profile chosen, its unlocked levels and whether the player quit.
using State = std::tuple<int, std::string, Names, bool>;
using testing::StrEq;
using testing::ThrowsMessage;

class FrontendScreens : public ::testing::Test {
 protected:
  // Runs a screen, then lets go of the keys that ended it.
  State screen(int (Frontend::*operation)()) {
    const int next = ((*frontend).*operation)();
    keys.settle();
    return {next, frontend->profile_name, frontend->unlocked_levels, frontend->quit};
  }
  void start() { frontend = std::make_unique<Frontend>(); }
  FrontendTree tree;
  KeyScript keys;
  std::unique_ptr<Frontend> frontend;
};

TEST_F(FrontendScreens, RunSavesTheProfileMadeAndNoneWithoutOne) {
  const ManualMixing manual;
  tree.remove("levels"), tree.remove("profiles"), tree.add_menu_music();
  start();
  EXPECT_TRUE(frontend->levels.empty() && frontend->profiles.empty());
  keys.press(0, Key::escape);  // the creation screen, with no profile: quit
  frontend->run();
  EXPECT_FALSE(std::filesystem::exists("profiles"));
  EXPECT_EQ(heard(2500)[2499], 500) << "the menu music loops from its first frame on";
  tree.write("profiles/anna.prf", "name anna\n");
  start();
  // X chooses "Create a new profile!" and stays held: it must type nothing.
  keys.press(1, Key::down).press(3, Key::x, 10).press(20, 'B').press(23, Key::enter).press(26, Key::escape);
  frontend->run();
  EXPECT_EQ(tree.read("profiles/B.prf"), "name B\n\n");
}

// The lists keep each file that reads on its own.
TEST_F(FrontendScreens, ProfileListChoosesEachProfileWithItsOwnLevels) {
  tree.write("profiles/anna.prf", "name anna\nunlocked_level forest\nunlocked_level cave\n");
  tree.write("profiles/bob.prf", "name bob\n");
  tree.write("profiles/carl.prf", "unlocked_level forest\n");  // no name, after files with one
  tree.write("profiles/dan.prf", "name dan\ncolour blue\n");
  tree.add_level("a"), tree.add_level("b", "version 2.0\n"), tree.add_level("c");
  tree.add_level("x.qel"), std::filesystem::rename("levels/x.qel.qel", "levels/x.qel.bak");  // good levels by another name
  tree.add_level("X"), std::filesystem::rename("levels/X.qel", "levels/X.QEL");
  tree.write("levels/tour.cmp", "lives 3\nevent a\n"), tree.write("levels/broken.cmp", "lives 3\n");
  // Files that cannot be read to their end, and a sparse level of 100 GB
  // (a good start, then zero bytes), left out at once.
  tree.write("profiles/eve.prf", "name eve\nunlocked_level forest\n"), tree.add_level("e");
  tree.write("levels/failing.cmp", "lives 3\nevent a\nevent b\n");
  for (const char* file : {"profiles/eve.prf", "levels/e.qel", "levels/failing.cmp"}) {
    keys.seam.fail_reads(file, 12, EIO);
  }
  tree.add_level("giant"), std::filesystem::resize_file("levels/giant.qel", 100ull << 30);
  start();
  EXPECT_EQ(std::tie(frontend->profiles, frontend->levels, frontend->campaigns),
            std::tuple(Names{"anna", "bob"}, Names{"a", "c"}, Names{"tour"}));
  keys.press(1, Key::z);
  EXPECT_EQ(screen(&Frontend::select_profile), (State{Screen::main_menu, "anna", {"forest", "cave"}, false}));
  keys.press(1, Key::down).press(3, Key::x);
  EXPECT_EQ(screen(&Frontend::select_profile), (State{Screen::main_menu, "bob", {}, false})) << "not anna's list";

  keys.press(1, Key::down).press(3, Key::down).press(5, Key::z);
  EXPECT_EQ(std::get<0>(screen(&Frontend::select_profile)), Screen::profile_creation) << "two Downs past bob";
  keys.press(3, Key::escape);
  EXPECT_EQ(screen(&Frontend::select_profile), (State{Screen::main_menu, "bob", {}, true}));
  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  EXPECT_TRUE(menu_gradient(shot, 639) && text_in(shot, 150, 0, 640, 100)) << "the gradient and the profile names";
}

TEST_F(FrontendScreens, TypingTakesOneLetterPerPressUpToTwenty) {
  start();
  keys.press(0, Key::backspace).press(2, 'A', 5).press(8, 'A');  // nothing on an empty name; held: one A
  keys.down(10, 'D').down(10, 'C').up(12, 'C').up(14, 'D');      // both at once: C first, then D
  keys.press(15, Key::z).press(17, Key::x).press(19, Key::backspace, 3);  // letters here
  for (int i = 0; i < 20; ++i) keys.press(24 + 2 * i, 'Q');
  keys.press(70, Key::enter);
  EXPECT_EQ(std::get<1>(screen(&Frontend::create_profile)), "AACDZ" + std::string(15, 'Q'));
}

TEST_F(FrontendScreens, CreationScreenEndsAsItsEnterAndEscTableSays) {
  tree.write("profiles/anna.prf", "name anna\nunlocked_level forest\n");
  start();
  keys.press(0, Key::enter).press(3, 'K').press(5, Key::escape);  // ENTER on nothing stays; ESC without a profile
  EXPECT_EQ(screen(&Frontend::create_profile), (State{Screen::main_menu, "", {}, true}));
  frontend->quit = false;

  keys.press(1, Key::z);
  screen(&Frontend::select_profile);
  tree.write("profiles/BEA.prf", "name BEA\nunlocked_level cave\n");
  struct Row { std::string typed; int key; std::string profile; Names levels; };
  for (const Row& row : {Row{"", Key::enter, "anna", {"forest"}}, Row{"", Key::escape, "anna", {"forest"}},
                         Row{"N", Key::enter, "N", {}},  // a new name inherits nobody's levels
                         Row{"BEA", Key::escape, "BEA", {"cave"}}, Row{"", Key::enter, "BEA", {"cave"}}}) {
    for (std::size_t i = 0; i < row.typed.size(); ++i) keys.press(2 * i, row.typed[i]);
    keys.press(2 * row.typed.size() + 1, row.key);
    EXPECT_EQ(screen(&Frontend::create_profile), (State{Screen::main_menu, row.profile, row.levels, false}));
  }
}

TEST_F(FrontendScreens, MainMenuWrapsAndLeadsToEachScreen) {
  start();
  keys.press(1, Key::up).press(3, Key::z);
  EXPECT_EQ(screen(&Frontend::main_menu), (State{Screen::main_menu, "", {}, true})) << "Up from Play level is Exit";
  frontend->quit = false;

  keys.press(1, Key::up).press(3, Key::down).press(5, Key::x);
  EXPECT_EQ(screen(&Frontend::main_menu), (State{Screen::level_select, "", {}, false}));
  keys.down(1, Key::down).up(8, Key::down).press(10, Key::z);
  EXPECT_EQ(screen(&Frontend::main_menu), (State{Screen::profile_select, "", {}, false})) << "a held Down moves once";
  keys.press(1, Key::down).press(3, Key::down).press(5, Key::z);
  EXPECT_EQ(screen(&Frontend::main_menu), (State{Screen::credits, "", {}, false}));
  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  EXPECT_TRUE(pixel_is(shot, 620, 10, 40, 40, 120) && text_in(shot, 590, 455, 640, 480)) << "background, version";
  // The selector's 21 frames of 20 ms each, round and round.
  platform::Sprite& star = frontend->selector;
  const int frame = star.get_current_frame();
  star.update(21 * 20);
  const int after_a_round = star.get_current_frame();
  star.update(20);
  EXPECT_EQ(std::tuple(star.get_frame_count(), after_a_round, star.get_current_frame()),
            std::tuple(21, frame, (frame + 1) % 21));

  keys.down(1, Key::z).down(1, Key::escape);
  EXPECT_TRUE(std::get<3>(screen(&Frontend::main_menu))) << "ESC quits even with Z held";
}

// The menu starts each frame with its opaque background, not a clear: what a
// frame draws again must not grow with the frames shown before it.
TEST_F(FrontendScreens, MainMenuFramesCostNoMoreTheLongerItIsShown) {
  start();
  std::uint64_t replayed[2] = {};
  for (const int frames : {100, 2000}) {
    const std::uint64_t before = platform::testing::replayed_operations(frontend->gc);
    keys.press(frames, Key::escape);
    screen(&Frontend::main_menu);
    replayed[frames == 2000] = platform::testing::replayed_operations(frontend->gc) - before;
  }
  EXPECT_LE(replayed[1] / 2000.0, replayed[0] / 100.0 + 1.0) << replayed[0] << " in 100 frames, then " << replayed[1];
}

TEST_F(FrontendScreens, CreditsSlideEachCardThroughItsSlowRangeWhateverIsPressed) {
  // first x, first slow x, last slow x, the fast x after it, last x of each card
  const int expected[credits_phase_count][5] = {
      {-200, -100, 0, 1, 91}, {200, 100, 0, -1, -91}, {-300, -200, -100, -99, -9}, {-300, -200, -100, -99, -9}};
  for (int phase = 0; phase < credits_phase_count; ++phase) {
    const auto x = credits_slide_positions(phase);
    ASSERT_EQ(x.size(), 121u) << "phase " << phase;
    EXPECT_EQ((std::vector<int>{x[0], x[10], x[110], x[111], x[120]}),
              std::vector<int>(expected[phase], expected[phase] + 5));
  }
  start();
  keys.press(5, Key::escape, 3).press(100, Key::z, 3).down(480, Key::escape);
  const std::uint64_t polls = keys.polls(), time = keys.seam.get_time();
  EXPECT_EQ(screen(&Frontend::credits), (State{Screen::main_menu, "", {}, false}));
  EXPECT_EQ(std::pair(keys.polls() - polls, keys.seam.get_time() - time),
            std::pair(4 * 121ul + 1, 4 * 121ul * 25 + 2500));
  // The closing card at x = 1 over the last frame of the fourth card at -9.
  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  EXPECT_TRUE(pixel_is(shot, 1, 100, 210, 0, 210, 0) && pixel_is(shot, 0, 100, 170, 170, 170, 0));
  EXPECT_TRUE(pixel_is(shot, 600, 0, 8, 94, 38) && pixel_is(shot, 600, 479, 26, 56, 18)) << "the credits gradient";
  // A missing card is an error naming it, not a blank card.
  for (const char* card : {"game_data/Drumvelt.png", "game_data/Special.png"}) {
    const std::string kept = tree.read(card);
    tree.remove(card);
    EXPECT_THAT([&] { frontend->credits(); },
                testing::ThrowsMessage<platform::Exception>(testing::HasSubstr(card)));
    tree.write(card, kept);
  }
}

// Pictures are bounded as a sprite's frames are, in all, before any is
// decoded: 21 selector frames of 8192x8192 (a few KB each on disk) used to be
// decoded into about 11 GB, and the five credits cards are held together.
TEST_F(FrontendScreens, LargePicturesAreRefusedNamingTheirFolderOrFileBeforeDecoding) {
  start();
  const auto blank = [&](const std::string& file, std::uint32_t side) {
    const std::string kept = tree.read(file);
    test_support::write_blank_png((tree.path / file).string(), side, side);
    return kept;
  };
  const auto refused = [](const std::string& reason) {
    return ThrowsMessage<platform::Exception>(testing::HasSubstr(reason));
  };
  const test_support::AddressSpaceCap no_gigabytes(std::uint64_t{1} << 30);
  for (const char* card : {"CSarvel", "COrvik", "CTolvar", "Drumvelt", "Special"})
    blank(std::string("game_data/") + card + ".png", 4096);
  EXPECT_THAT([&] { frontend->credits(); },
              refused("Could not load the 5 pictures in 'game_data/': 83886080 pixels in all is more than 67108864"));
  frontend.reset();
  const std::string background = blank("menu.png", 9000);
  EXPECT_THAT([&] { start(); }, refused("'menu.png': 9000x9000 pixels is more than 8192 on a side"));
  tree.write("menu.png", background);
  blank("star_selector/0001.png", 8192);
  for (int frame = 2; frame <= 21; ++frame)
    std::filesystem::copy_file(tree.path / "star_selector/0001.png",
                               tree.path / ("star_selector/" + std::to_string(10000 + frame).substr(1) + ".png"),
                               std::filesystem::copy_options::overwrite_existing);
  EXPECT_THAT([&] { start(); }, refused("Could not load the 21 pictures in 'star_selector/': 1409286144 pixels in all"));
}

TEST_F(FrontendScreens, ProfileSavesHoldNameAndLevelsAndKeepAFileThatDoesNotLoad) {
  start();
  frontend->profile_name = "anna", frontend->unlocked_levels = {"forest", "cave"};
  frontend->save_profile();
  const std::string newer = "name ANNA\nversion 1.5\nunlocked_level forest\n";
  tree.write("profiles/ANNA.prf", newer), tree.write("profiles/ANNA.prf.bak", "an older backup\n");
  frontend->profile_name = "ANNA", frontend->unlocked_levels.clear();
  testing::internal::CaptureStderr();
  frontend->save_profile(), frontend->save_profile();  // the new file loads: nothing more is moved
  // Earlier backups are never replaced.
  tree.write("profiles/ANNA.prf", "a third\n"), frontend->save_profile();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "profiles/ANNA.prf did not load; it was kept as profiles/ANNA.prf.bak.1\n"
            "profiles/ANNA.prf did not load; it was kept as profiles/ANNA.prf.bak.2\n");
  EXPECT_EQ(tree.listing("profiles"), "ANNA.prf.bak.1=" + newer + ";ANNA.prf.bak.2=a third\n;" +
                                          "ANNA.prf.bak=an older backup\n;ANNA.prf=name ANNA\n\n;" +
                                          "anna.prf=name anna\nunlocked_level forest\nunlocked_level cave\n\n;");

  std::filesystem::create_directories(tree.path / "profiles/bob.prf"), frontend->profile_name = "bob";
  EXPECT_THAT([&] { frontend->save_profile(); },
              ThrowsMessage<std::runtime_error>(StrEq("Cannot open profile file 'bob.prf': Is a directory")));

  // A write that stops part way, as on a full disk, says so and keeps the old file.
  frontend->profile_name = "anna", frontend->unlocked_levels.assign(100, std::string(100, 'L'));
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{1000, limit.rlim_max};
  const auto old_handler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_THAT([&] { frontend->save_profile(); },
              ThrowsMessage<std::runtime_error>(StrEq("Cannot open profile file 'anna.prf': File too large")));
  setrlimit(RLIMIT_FSIZE, &limit);
  signal(SIGXFSZ, old_handler);
  EXPECT_EQ(tree.read("profiles/anna.prf"), "name anna\nunlocked_level forest\nunlocked_level cave\n\n");
}

TEST_F(FrontendScreens, ProfileSavesKeepWhatAnotherCopySavedAndSpareAFileThatCannotBeReadWhole) {
  start();
  // Another copy of the game saved this profile with a level of its own.
  tree.write("profiles/anna.prf", "name anna\nunlocked_level lake\nunlocked_level forest\n");
  frontend->profile_name = "anna", frontend->unlocked_levels = {"forest", "cave"};
  frontend->save_profile();
  EXPECT_EQ(tree.read("profiles/anna.prf"),
            "name anna\nunlocked_level forest\nunlocked_level cave\nunlocked_level lake\n\n");

  // A read that fails part way, a giant file and a lock held elsewhere: nothing written, no backup, the reason.
  tree.write("profiles/failing.prf", "name failing\nunlocked_level forest\n");
  std::filesystem::resize_file(tree.write("profiles/giant.prf", ""), largest_saved_file + 1);
  keys.seam.fail_reads("failing.prf", 10, EIO);
  const std::string before = tree.listing("profiles");
  const std::string lock = (tree.path / "profiles/.morvane.lock").string();
  const std::pair<std::string, std::string> failures[] = {
      {"failing", "it could not be read (Input/output error)"},
      {"giant", "it could not be read (larger than 16777216 bytes)"},
      {"anna", "another save kept profiles/.morvane.lock locked for two seconds"}};
  for (const auto& [name, reason] : failures) {
    const int held = name == "anna" ? open(lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644) : -1;
    if (held >= 0) flock(held, LOCK_EX);
    frontend->profile_name = name;
    EXPECT_THAT([&] { frontend->save_profile(); },
                ThrowsMessage<std::runtime_error>(StrEq("Cannot open profile file '" + name + ".prf': " + reason)));
    if (held >= 0) unlink(lock.c_str()), close(held);
  }
  EXPECT_EQ(tree.listing("profiles"), before);
}

// Root ignores the permission bits when it writes, so a file without any write
// bit is looked at itself: it is kept whoever runs the game.
TEST_F(FrontendScreens, PermissionBitsOfAReadOnlySaveKeepItWhoeverRunsTheGame) {
  start();
  const std::string profile = tree.write("profiles/ANNA.prf", "name ANNA\n");
  const std::string scores = tree.write("high_scores/a.scr", "10 OLD\n");
  for (const auto& file : {profile, scores}) std::filesystem::permissions(file, std::filesystem::perms(0444));
  frontend->profile_name = "ANNA", frontend->unlocked_levels = {"forest"};
  EXPECT_THAT([&] { frontend->save_profile(); },
              ThrowsMessage<std::runtime_error>(StrEq("Cannot open profile file 'ANNA.prf': Permission denied")));
  HighScoreList list({}, {}, {});
  list.load("high_scores/a.scr");
  list.add(5, "NEW");
  testing::internal::CaptureStderr();
  list.save("high_scores/a.scr");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "The score was not saved to high_scores/a.scr: Permission denied\n");
  EXPECT_EQ(tree.listing("profiles") + tree.listing("high_scores"), "ANNA.prf=name ANNA\n;a.scr=10 OLD\n;");
  for (const auto& file : {profile, scores})
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0444));
}

// Root may write any file, so this runs as an ordinary user (the ctest case
// frontend_saves_unprivileged does that when the tests run as root).
TEST_F(FrontendScreens, PermissionsKeepAProfileThatCannotBeWritten) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file; run as an ordinary user";
  start();
  frontend->profile_name = "ANNA";
  const std::string file = tree.write("profiles/ANNA.prf", "name ANNA\nunlocked_level forest\n");
  for (const auto bits : {0444, 0}) {
    std::filesystem::permissions(file, std::filesystem::perms(bits));
    EXPECT_THAT([&] { frontend->save_profile(); },
                ThrowsMessage<std::runtime_error>(StrEq("Cannot open profile file 'ANNA.prf': Permission denied")));
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(bits));
    std::filesystem::permissions(file, std::filesystem::perms(0644));
    EXPECT_EQ(tree.listing("profiles"), "ANNA.prf=name ANNA\nunlocked_level forest\n;") << bits << ": no backup";
  }
  // A read-only folder: no new profile file, and the reason.
  std::filesystem::permissions(tree.path / "profiles", std::filesystem::perms(0555));
  frontend->profile_name = "NEW";
  EXPECT_THAT([&] { frontend->save_profile(); },
              ThrowsMessage<std::runtime_error>(StrEq("Cannot open profile file 'NEW.prf': Permission denied")));
  std::filesystem::permissions(tree.path / "profiles", std::filesystem::perms(0755));
  EXPECT_EQ(tree.listing("profiles"), "ANNA.prf=name ANNA\nunlocked_level forest\n;");
}

}  // namespace
