#include <gtest/gtest.h>

#include <climits>
#include <deque>

#include "frontend/frontend.h"
#include "frontend/key_codes.h"
#include "frontend/level_result.h"
#include "frontend_fixture.h"

namespace {

TEST(LevelResult, TextsSayWhatBecameOfTheAttempts) {
  const auto texts = [](const LevelResultTexts& t) { return t.headline + t.scores + t.prompt; };
  EXPECT_EQ(texts(level_result_texts({120}, false, 2, 120)),
            "Ouch!\nScores so far:\n1: 120\n\nIn total: 120\nPress Z to continue\n");
  EXPECT_EQ(texts(level_result_texts({1, 2, 3}, false, 0, 6)),
            "YOU LOSE!\nScores:\n1: 1\n2: 2\n3: 3\n\nIn total: 6\nPress Z to continue\n");
  EXPECT_EQ(texts(level_result_texts({100, 200}, true, 2, 20300)), "YAY, YOU WIN!\nScores:\n1: 100\n2: 200\n\n"
            "Bonus from unused lives: \n2 x 10 000\n\nIn total: 20300\nPress Z to continue\n");
}

// Level runs whose attempts end with results the test chooses.
class LevelScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.add_level("meadow"), tree.add_menu_music();
    frontend = std::make_unique<Frontend>(), frontend->profile_name = "ANNA";
  }
  // Every attempt ends with the next result, with ESC held from then on when
  // asked; the result and high-score screens are left with fresh presses of Z.
  void run(const std::string& level, std::deque<GameResult> results, bool esc = false) {
    for (std::uint64_t frame = 0; frame < 200; frame += 4) keys.press(frame + 2, Key::z);
    std::uint64_t last_attempt_end = 0;
    // The menu music as the screen loop leaves it: looping, here 300 frames in.
    frontend->menu_music_session.stop(), frontend->menu_music_session = frontend->menu_music.play(true), heard(300);
    frontend->run_level(level, [&](DataFile&, bool fade, int lives, platform::Sprite overlay,
                                   const std::function<void(const GameResult&)>& finish) {
      attempts.push_back(fade ? -lives : lives);
      frontend->gc.clear(platform::Colorf::black);
      overlay.draw(frontend->gc, 0, 0);
      overlay_blues.push_back(frontend->gc.get_pixeldata().get_pixel(320, 240).b);
      music_in_attempts.push_back(heard(1)[0]);
      results.push_back({0, true});  // one attempt too many ends the level
      if (esc) keys.now(Key::escape, true);
      last_attempt_end = keys.polls();
      finish(results.front());
      results.pop_front();
    });
    frames_after_last_attempt = keys.polls() - last_attempt_end;
    const std::vector<int> after = heard(1001);
    music_after_level = {after[0], after[1], after[1000]};
    if (esc) keys.now(Key::escape, false);
    keys.settle();
  }
  FrontendTree tree;
  KeyScript keys;
  std::unique_ptr<Frontend> frontend;
  std::vector<int> attempts;  // the lives shown, negative when the attempt fades in
  std::vector<int> overlay_blues;  // of the picture each attempt fades in from
  std::uint64_t frames_after_last_attempt = 0;  // of the result and high-score screens
  const ManualMixing manual;
  std::vector<int> music_in_attempts, music_after_level;  // the menu music's frames heard
};

// ESC held as an attempt ends skips the result and high-score screens and ends
// the level; each run fades in from the list as last drawn.
TEST_F(LevelScreen, AttemptsGoOnUntilAWinNoLivesOrEscAndTheTotalIsFiled) {
  struct Case { std::string level; std::deque<GameResult> results; std::vector<int> attempts;
                std::string high_scores; bool esc = false; };
  tree.add_level("zero", "lives 0\n"), tree.add_level("minus", "lives -4\n");
  tree.add_level("plenty", "lives 2000000\n"), tree.add_level("edge", "lives 214748\n");
  const Case cases[] = {
      {"meadow", {{500, true}}, {-3}, "30500 ANNA\n"},
      {"meadow", {{100, false}, {200, true}}, {-3, 2}, "20300 ANNA\n"},
      {"meadow", {{10, false}, {20, false}, {30, false}}, {-3, 2, 1}, "60 ANNA\n"},
      {"zero", {}, {}, "0 ANNA\n"},
      {"minus", {}, {}, "0 ANNA\n"},
      {"plenty", {{50, true}}, {-2000000}, std::to_string(INT_MAX) + " ANNA\n"},
      // The most lives whose bonus fits exactly: the total one below the limit.
      {"edge", {{3646, true}}, {-214748}, std::to_string(INT_MAX - 1) + " ANNA\n"},
      {"meadow", {{100, false}}, {-3}, "100 ANNA\n", true},
      {"meadow", {{100, true}}, {-3}, "30100 ANNA\n", true},
  };
  int blue = 0;
  for (const Case& c : cases) {
    attempts.clear(), overlay_blues.clear(), music_in_attempts.clear();
    tree.remove("high_scores/" + c.level + ".scr");
    platform::Draw::fill(frontend->gc, platform::Rectf(0, 0, 640, 480), platform::Colorf(0, 0, blue ^= 1));
    frontend->window.flip(-1);
    run(c.level, c.results, c.esc);
    EXPECT_EQ(std::tuple(attempts, overlay_blues, frames_after_last_attempt == 0,
                         tree.read("high_scores/" + c.level + ".scr")),
              std::tuple(c.attempts, std::vector<int>(c.attempts.size(), 255 * blue), c.esc, c.high_scores)) << c.level;
    // The menu music is silent through the attempts, then starts again from its first frame and loops.
    EXPECT_EQ(std::pair(music_in_attempts, music_after_level),
              std::pair(std::vector<int>(c.attempts.size(), 0), std::vector<int>{1, 2, 1})) << c.level;
  }
}

TEST_F(LevelScreen, ResultAndHighScoreScreensWaitForAFreshZAndShowTheirTexts) {
  tree.write("high_scores/meadow.scr", "40000 BOB\n");
  // The first column of text colour among the rows of a prompt.
  const auto prompt_left = [](const platform::PixelBuffer& shot, int top) {
    int x = 0;
    while (x < 100 && !text_in(shot, x, top, x + 1, top + 50)) ++x;
    return x;
  };
  std::uint64_t result_frames = 0, result_end = 0, result_ms = 0;
  int result_prompt_left = 0;
  frontend->run_level("meadow", [&](DataFile&, bool, int, platform::Sprite,
                                    const std::function<void(const GameResult&)>& finish) {
    keys.now(Key::z, true);  // held as the attempt ends
    keys.up(4, Key::z).press(8, Key::z, 3).press(14, Key::z);
    const std::uint64_t start = keys.polls(), start_ms = keys.seam.get_time();
    finish({10, true});
    result_end = keys.polls();
    result_frames = result_end - start;
    result_ms = keys.seam.get_time() - start_ms;
    const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
    EXPECT_TRUE(menu_gradient(shot) && text_in(shot, 230, 0, 640, 100)) << "the gradient, the headline";
    result_prompt_left = prompt_left(shot, 430);
  });
  // The Z that left the result screen is let go before the high scores' Z; a result frame lasts 50 ms.
  EXPECT_EQ(std::tuple(result_frames, result_ms, keys.polls() - result_end), std::tuple(9ul, 450ul, 6ul));
  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  EXPECT_TRUE(menu_gradient(shot) && text_in(shot, 270, 150, 640, 190) && text_in(shot, 290, 200, 640, 280))
      << "the gradient, the title, the entries";
  EXPECT_EQ(prompt_left(shot, 430), result_prompt_left) << "both prompts start at x 15, inside the window";
  EXPECT_TRUE(result_prompt_left >= 15 && result_prompt_left < 25) << result_prompt_left;
  // The title's first row of text is where the same words drawn at y 160 begin.
  const auto top = [](const platform::PixelBuffer& s) {
    int y = 100;
    while (y < 200 && !text_in(s, 270, y, 640, y + 1)) ++y;
    return y;
  };
  frontend->gc.clear(platform::Colorf::white);
  frontend->big_font.draw_text(frontend->gc, 270, 160, "Highscores: ", frontend->text_colour);
  EXPECT_EQ(top(shot), top(frontend->gc.get_pixeldata()));
  keys.settle();
}

// A file name with a line break would take two rows and shift the rows below
// it: such a level is left out, so each row plays the level it shows.
TEST_F(LevelScreen, EachRowOfTheListPlaysTheLevelItShows) {
  for (const char* name : {"a\nb", "endless", "meadow"}) tree.add_level(name, "lives 0\n");
  frontend = std::make_unique<Frontend>(), frontend->profile_name = "ANNA";
  keys.press(2, Key::down).press(6, Key::z);
  for (std::uint64_t frame = 12; frame < 100; frame += 4) keys.press(frame, Key::z);  // leaves the high scores
  EXPECT_EQ(frontend->play_level(), Screen::main_menu);
  keys.settle();
  // The list as last drawn: count its rows of text.
  frontend->gc.clear(platform::Colorf::black);
  frontend->snapshot.draw(frontend->gc, 0, 0);
  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  int text_rows = 0;
  bool in_text = false;
  for (int y = 0; y < 340; ++y) {
    const bool text = text_in(shot, 60, y, 640, y + 1);
    text_rows += text && !in_text;
    in_text = text;
  }
  EXPECT_EQ(std::tuple(frontend->levels, text_rows, tree.listing("high_scores")),
            std::tuple(std::vector<std::string>{"endless", "meadow"}, 2, std::string("meadow.scr=0 ANNA\n;")));
}

TEST_F(LevelScreen, LevelListLeavesWithEscOrWithoutLevels) {
  keys.press(2, Key::escape);
  EXPECT_EQ(frontend->play_level(), Screen::main_menu);
  keys.settle();
  EXPECT_FALSE(std::filesystem::exists("high_scores/meadow.scr"));
  // The hint's "Press" starts where the same word drawn at x 100 does.
  frontend->big_font.draw_text(frontend->gc, 100, 300, "Press", frontend->text_colour);
  const platform::PixelBuffer shot = frontend->gc.get_pixeldata();
  const auto left = [&](int top) {
    int x = 0;
    while (x < 640 && !text_in(shot, x, top, x + 1, top + 20)) ++x;
    return x;
  };
  EXPECT_EQ(left(430), left(265));
  frontend->levels.clear();
  const auto polls = keys.polls();
  EXPECT_EQ(frontend->play_level(), Screen::main_menu);
  EXPECT_EQ(keys.polls(), polls) << "nothing drawn";
}

}  // namespace
