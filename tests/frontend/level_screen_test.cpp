#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <filesystem>

#include "frontend/frontend.h"
#include "frontend/key_codes.h"
#include "frontend/level_result.h"
#include "frontend_fixture.h"

namespace {

TEST(LevelResultTexts, SayWhatBecameOfTheAttempts) {
  const LevelResultTexts ouch = level_result_texts({120}, false, 2, 120);
  EXPECT_EQ(ouch.headline, "Ouch!\n");
  EXPECT_EQ(ouch.scores, "Scores so far:\n1: 120\n\nIn total: 120\n");
  EXPECT_EQ(ouch.prompt, "Press Z to continue\n");

  const LevelResultTexts lose = level_result_texts({1, 2, 3}, false, 0, 6);
  EXPECT_EQ(lose.headline, "YOU LOSE!\n");
  EXPECT_EQ(lose.scores, "Scores:\n1: 1\n2: 2\n3: 3\n\nIn total: 6\n");

  const LevelResultTexts win = level_result_texts({100, 200}, true, 2, 20300);
  EXPECT_EQ(win.headline, "YAY, YOU WIN!\n");
  EXPECT_EQ(win.scores, "Scores:\n1: 100\n2: 200\n\nBonus from unused lives: \n2 x 10 000\n\nIn total: 20300\n");
  EXPECT_EQ(win.prompt, "Press Z to continue\n");
}

TEST(LevelResultTexts, BonusAndTotalStopAtTheLargestInt) {
  EXPECT_EQ(lives_bonus(3), 30000);
  EXPECT_EQ(lives_bonus(214748), 2147480000);
  EXPECT_EQ(lives_bonus(214749), INT_MAX);
  EXPECT_EQ(lives_bonus(INT_MAX), INT_MAX);
  EXPECT_EQ(saturating_add(INT_MAX - 5, 10), INT_MAX);
  EXPECT_EQ(saturating_add(7, 8), 15);
}

struct Attempt {
  bool fade_overlay;
  int hud_lives;
};

// Level runs with attempts whose results the test chooses.
class LevelScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.add_level("meadow");
    frontend = std::make_unique<Frontend>();
    frontend->profile_name = "ANNA";
  }

  // Every attempt ends with the next of these results; the result and
  // high-score screens are left with fresh Z presses.
  void run(const std::string& level, std::deque<GameResult> results,
           const std::function<void()>& as_attempt_ends = [] {}) {
    for (std::uint64_t frame = 0; frame < 200; frame += 4) keys.press(frame + 2, Key::z);
    frontend->run_level(level, [&](DataFile&, bool fade, int lives, platform::Sprite,
                                   const std::function<void(const GameResult&)>& finish) {
      attempts.push_back({fade, lives});
      ASSERT_FALSE(results.empty()) << "one attempt too many";
      const GameResult result = results.front();
      results.pop_front();
      as_attempt_ends();
      finish(result);
    });
    keys.settle();
  }

  FrontendTree tree;
  KeyScript keys;
  std::unique_ptr<Frontend> frontend;
  std::vector<Attempt> attempts;
};

TEST_F(LevelScreen, AttemptsGoOnUntilAWinOrNoLivesAndTheTotalIsFiled) {
  struct Case {
    std::deque<GameResult> results;
    std::vector<int> lives_shown;
    std::string high_scores;
  };
  const Case cases[] = {
      {{{500, true}}, {3}, "30500 ANNA\n"},
      {{{100, false}, {200, true}}, {3, 2}, "20300 ANNA\n"},
      {{{10, false}, {20, false}, {30, false}}, {3, 2, 1}, "60 ANNA\n"},
  };
  for (const Case& c : cases) {
    tree.remove("high_scores");
    attempts.clear();
    run("meadow", c.results);
    std::vector<int> lives_shown;
    for (const Attempt& attempt : attempts) lives_shown.push_back(attempt.hud_lives);
    EXPECT_EQ(lives_shown, c.lives_shown);
    ASSERT_FALSE(attempts.empty());
    EXPECT_TRUE(attempts[0].fade_overlay);
    for (std::size_t i = 1; i < attempts.size(); ++i) EXPECT_FALSE(attempts[i].fade_overlay) << "only the first fades in";
    EXPECT_EQ(tree.read("high_scores/meadow.scr"), c.high_scores);
  }
}

TEST_F(LevelScreen, LivesFromTheLevelFileNoneOrVeryMany) {
  tree.add_level("zero", "lives 0\n");
  tree.add_level("minus", "lives -4\n");
  tree.add_level("plenty", "lives 2000000\n");
  tree.write("high_scores/plenty.scr", "99999 BOB\n");
  frontend->profile_name.clear();
  run("zero", {});
  run("minus", {});
  EXPECT_TRUE(attempts.empty());
  EXPECT_EQ(tree.read("high_scores/zero.scr"), "0 \n");
  EXPECT_EQ(tree.read("high_scores/minus.scr"), "0 \n");

  run("plenty", {{50, true}});
  EXPECT_EQ(tree.read("high_scores/plenty.scr"), std::to_string(INT_MAX) + " \n99999 BOB\n");
}

TEST_F(LevelScreen, EscAsAnAttemptEndsSkipsTheResultAndEndsTheLevel) {
  tree.add_level("left", "lives 5\n");
  // ESC is held when the attempt ends; it is a win only when the attempt says so.
  run("left", {{100, false}}, [&] {
    keys.down(0, Key::escape);
    platform::KeepAlive::process(0);
  });
  ASSERT_EQ(attempts.size(), 1u);
  EXPECT_EQ(tree.read("high_scores/left.scr"), "100 ANNA\n");

  keys.up(0, Key::escape);
  keys.settle();
  attempts.clear();
  run("meadow", {{100, true}}, [&] {
    keys.down(0, Key::escape);
    platform::KeepAlive::process(0);
  });
  ASSERT_EQ(attempts.size(), 1u);
  EXPECT_EQ(tree.read("high_scores/meadow.scr"), "30100 ANNA\n");
}

TEST_F(LevelScreen, ZHeldAsTheAttemptEndsMustBeReleasedFirst) {
  std::uint64_t result_screen_start = 0;
  frontend->run_level("meadow", [&](DataFile&, bool, int, platform::Sprite,
                                    const std::function<void(const GameResult&)>& finish) {
    keys.down(0, Key::z);
    platform::KeepAlive::process(0);
    keys.up(4, Key::z).press(8, Key::z);  // released, then pressed again
    keys.press(12, Key::escape);          // leaves the high-score screen
    result_screen_start = keys.polls();
    finish({10, true});
    EXPECT_EQ(keys.polls() - result_screen_start, 9u);
  });
  keys.settle();
}

TEST_F(LevelScreen, EachLevelRunFadesInFromItsOwnListPicture) {
  std::vector<platform::PixelBuffer::Rgba> overlay_colours;
  auto attempt = [&](DataFile&, bool, int, platform::Sprite overlay,
                     const std::function<void(const GameResult&)>& finish) {
    frontend->gc.clear(platform::Colorf::black);
    overlay.draw(frontend->gc, 0, 0);
    overlay_colours.push_back(frontend->gc.get_pixeldata().get_pixel(320, 240));
    keys.down(0, Key::escape);
    platform::KeepAlive::process(0);
    finish({1, true});
  };
  for (const platform::Colorf& list_colour : {platform::Colorf(1, 0, 0), platform::Colorf(0, 0, 1)}) {
    platform::Draw::fill(frontend->gc, platform::Rectf(0, 0, 640, 480), list_colour);
    frontend->window.flip(-1);
    frontend->run_level("meadow", attempt);
    keys.up(0, Key::escape);
    keys.settle();
  }
  ASSERT_EQ(overlay_colours.size(), 2u);
  EXPECT_TRUE(near_colour(overlay_colours[0], 255, 0, 0));
  EXPECT_TRUE(near_colour(overlay_colours[1], 0, 0, 255));
}

TEST_F(LevelScreen, ResultScreenShowsItsTextsOnTheMenuGradient) {
  frontend->run_level("meadow", [&](DataFile&, bool, int, platform::Sprite,
                                    const std::function<void(const GameResult&)>& finish) {
    keys.press(3, Key::escape);
    finish({10, false});
    const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
    EXPECT_TRUE(near_colour(shot.get_pixel(5, 1), 23, 95, 39, 3));
    EXPECT_TRUE(near_colour(shot.get_pixel(5, 478), 7, 56, 17, 3));
    EXPECT_TRUE(region_has_colour(shot, 230, 0, 640, 60, 186, 145, 42)) << "headline";
    EXPECT_TRUE(region_has_colour(shot, 0, 400, 230, 450, 186, 145, 42)) << "prompt";
  });
  keys.settle();
}

TEST_F(LevelScreen, LevelListLeavesWithEscOrWithoutLevels) {
  keys.press(2, Key::escape);
  EXPECT_EQ(frontend->play_level(), Screen::main_menu);
  keys.settle();
  EXPECT_FALSE(tree.exists("high_scores/meadow.scr"));

  frontend->levels.clear();
  const auto polls = keys.polls();
  EXPECT_EQ(frontend->play_level(), Screen::main_menu);
  EXPECT_EQ(keys.polls(), polls);
}

TEST_F(LevelScreen, UnreadableChosenLevelIsTheReadersError) {
  tree.remove("levels/meadow.qel");
  try {
    frontend->run_level("meadow", [](DataFile&, bool, int, platform::Sprite,
                                     const std::function<void(const GameResult&)>&) {});
    FAIL() << "no error";
  } catch (const std::string& message) {
    EXPECT_EQ(message, "levels/meadow.qel could not be opened!");
  }
}

}  // namespace
