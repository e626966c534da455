#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>

#include "fixture.h"

namespace {

// Calendar readings handed out one by one (the last one repeats), so a test
// can make the second change between the generator's two seedings.
class ChangingCalendarSeam : public platform::VirtualSeam {
 public:
  void readings(std::deque<std::time_t> values) { readings_ = std::move(values); }
  std::time_t calendar_time() override {
    const std::time_t value = readings_.front();
    if (readings_.size() > 1) readings_.pop_front();
    return value;
  }
 private:
  std::deque<std::time_t> readings_{1700000000};
};

class Generator : public ::testing::Test {
 protected:
  Generator() : screen(test_screen()) {
    level.ground(1500, 100, "flat");
    game = std::make_unique<Game>(screen.gc, screen.keyboard, screen.window, level.file(), false, 3,
                                  platform::Sprite());
    game->build_level();
  }
  void chunk(int pattern, int first_coin, int second_coin) {
    seam.readings({first_second([&] { return std::rand() % 10 == pattern; }),
                   first_second([&] { return std::rand() % 2 == first_coin && std::rand() % 2 == second_coin; })});
    game->generate_chunk();
  }
  void expect_at(const GraphicElement* element, float x, float y) {
    EXPECT_FLOAT_EQ(element->x, x);
    EXPECT_FLOAT_EQ(element->y, y);
  }

  TestScreen& screen;
  ChangingCalendarSeam seam;
  platform::ScopedSeam installed{seam};
  FixtureTree tree;
  LevelData level;
  std::unique_ptr<Game> game;
};

TEST_F(Generator, TwoPiecePatternsPlaceItemsFromTheSecondPiece) {
  chunk(0, 1, 1);
  ASSERT_EQ(game->grounds.size(), 3u);
  ASSERT_EQ(game->items.size(), 2u);
  expect_at(game->grounds[1], 2500, 100);
  expect_at(game->grounds[2], 3000, -300);
  expect_at(game->items[0], 3054, -237);
  expect_at(game->items[1], 2990, -300);
  EXPECT_EQ(game->items[0]->name, "levels/enchanted_woods/Fred");
  EXPECT_TRUE(game->items[0]->crashable && game->items[0]->deadly);
  EXPECT_EQ(game->items[1]->name, "levels/enchanted_woods/omena");
  EXPECT_FALSE(game->items[1]->crashable || game->items[1]->deadly);

  game->grounds.back()->x = 1500;  // place the next chunk from 1500 again
  chunk(5, 1, 1);
  ASSERT_EQ(game->grounds.size(), 5u);
  expect_at(game->grounds[3], 2500, 100);
  expect_at(game->grounds[4], 3000, -200);
  expect_at(game->items[2], 3355, -119);
  expect_at(game->items[3], 2990, -200);
  EXPECT_EQ(game->grounds[3]->move_function, nullptr);
}

TEST_F(Generator, CoinsChooseTheItems) {
  for (int pattern : {1, 2, 3, 4, 6}) {
    const std::size_t items_before = game->items.size();
    chunk(pattern, 0, 1);
    ASSERT_EQ(game->items.size(), items_before + 1) << "pattern " << pattern;
    const Ground* piece = game->grounds.back();
    EXPECT_EQ(game->items.back()->name, "levels/enchanted_woods/omena");
    expect_at(game->items.back(), piece->x - 10, piece->y);
    chunk(pattern, 0, 0);
    EXPECT_EQ(game->items.size(), items_before + 1) << "pattern " << pattern;
  }
  chunk(9, 0, 1);
  expect_at(game->items.back(), game->grounds.back()->x + 10, 100);
  chunk(9, 1, 0);
  expect_at(game->items.back(), game->grounds.back()->x + 457, 197);

  // The rocking patterns place one piece and never an item.
  const std::size_t items_before = game->items.size();
  for (int pattern : {7, 8}) {
    const float last_x = game->grounds.back()->x;
    chunk(pattern, 1, 1);
    expect_at(game->grounds.back(), last_x + 1000, 100);
    EXPECT_EQ(game->grounds.back()->move_function, movefunc1);
  }
  EXPECT_EQ(game->items.size(), items_before);
}

TEST_F(Generator, WithinOneSecondTheFirstCoinFollowsThePattern) {
  for (int pattern = 0; pattern < 10; ++pattern) {
    const std::size_t pieces_before = game->grounds.size();
    const std::size_t items_before = game->items.size();
    seam.readings({first_second([&] { return std::rand() % 10 == pattern && std::rand() % 2 == 0; })});
    game->generate_chunk();
    bool fred = false;
    for (std::size_t i = items_before; i < game->items.size(); ++i) {
      fred = fred || game->items[i]->name == "levels/enchanted_woods/Fred";
    }
    EXPECT_EQ(fred, pattern == 1 || pattern == 3 || pattern == 5 || pattern == 9) << "pattern " << pattern;
    EXPECT_EQ(game->grounds.size() - pieces_before, pattern == 0 || pattern == 5 ? 2u : 1u);
  }
}

TEST_F(Generator, TheSameSecondGivesTheSameChunk) {
  seam.readings({1700001234});
  game->generate_chunk();
  game->generate_chunk();
  const std::size_t pieces = game->grounds.size() - 1;
  ASSERT_EQ(pieces % 2, 0u);
  const std::size_t per_chunk = pieces / 2;
  for (std::size_t i = 1; i <= per_chunk; ++i) {
    const Ground* first = game->grounds[i];
    const Ground* second = game->grounds[i + per_chunk];
    EXPECT_FLOAT_EQ(first->y, second->y);
    EXPECT_EQ(first->move_function, second->move_function);
    EXPECT_FLOAT_EQ(second->x - first->x, game->grounds[per_chunk]->x - 1500);
  }
  EXPECT_EQ(game->items.size() % 2, 0u);
}

// An endless attempt held at the top of the screen (where nothing of the
// chunks reaches) while pieces are retired and chunks generated.
TEST(EndlessPlay, GeneratedListStaysSortedAndRetiredPiecesGo) {
  TestScreen& screen = test_screen();
  ChangingCalendarSeam seam;
  platform::ScopedSeam installed(seam);
  FixtureTree tree;
  release_keys(seam);
  LevelData level;
  level.set("type", "infinite");
  Game game(screen.gc, screen.keyboard, screen.window, level.file(), false, 3, platform::Sprite());
  game.gravity = game.held_gravity = 20.0f;
  game.player.set_y(540.0f);

  const std::uint64_t frames = 1500;
  const std::uint64_t start = seam.polls();
  for (std::uint64_t f = 0; f < frames; ++f) seam.key_at_poll(start + f, 65, true);
  seam.key_at_poll(start + frames, key_escape, true);
  int violations = 0;
  std::size_t largest = 0;
  float rightmost_start = 0.0f;
  const Ground* last_seen = nullptr;
  int chunks = 0;
  platform::Slot observer = screen.keyboard.sig_key_down().connect(
      [&](const platform::InputEvent& event, const platform::InputState&) {
        if (event.id != 65 || game.grounds.empty()) return;
        seam.readings({1700000000 + static_cast<std::time_t>(seam.polls() / 37)});
        for (std::size_t i = 0; i < game.grounds.size(); ++i) {
          if (game.grounds[i]->x <= -1500.0f) ++violations;
          if (i > 0 && game.grounds[i]->x < game.grounds[i - 1]->x) ++violations;
        }
        if (last_seen == nullptr) rightmost_start = game.grounds.back()->x;
        if (game.grounds.back() != last_seen) ++chunks;
        last_seen = game.grounds.back();
        largest = std::max(largest, game.grounds.size());
      });
  const GameResult result = game.run();
  EXPECT_TRUE(result.won);
  EXPECT_EQ(result.score, static_cast<int>(frames) + 1 + 0);
  EXPECT_EQ(violations, 0);
  EXPECT_GT(chunks, 3);
  EXPECT_LE(largest, 12u);
  EXPECT_FLOAT_EQ(rightmost_start, 3000.0f);
  release_keys(seam);
}

// Absurd speeds throw every new piece past the left edge at once. The seam
// stops a frame that asks for more than ten chunks (a runaway would never end).
class ChunkBudgetSeam : public platform::VirtualSeam {
 public:
  std::time_t calendar_time() override {
    if (++readings_this_frame > 2 * 10) throw std::runtime_error("more than ten chunks in one frame");
    return VirtualSeam::calendar_time();
  }
  void poll_keys(std::vector<platform::KeyEventRecord>& out) override {
    readings_this_frame = 0;
    VirtualSeam::poll_keys(out);
  }
  int readings_this_frame = 0;
};

// Absurd speeds: the attempt ends by a fall with the lists small. Speeds that
// just keep up with retiring pieces, with the player held at the top, let the
// lists grow with the distance up to their limit of 1000 (one chunk more).
TEST(EndlessPlay, AbsurdSpeedsKeepFramesAndListsBounded) {
  TestScreen& screen = test_screen();
  ChunkBudgetSeam seam;
  platform::ScopedSeam installed(seam);
  FixtureTree tree;
  const struct {
    double acceleration, max_speed;
    bool held_up;
    std::size_t most_grounds, most_items;
  } cases[] = {{1e12, 1e12, false, 10, 20}, {1e300, 1e300, false, 10, 20}, {-1e300, 1e300, false, 10, 20},
               {1e5, 3e5, true, 1001, 1001}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.acceleration);
    release_keys(seam);
    LevelData level;
    level.set("type", "infinite");
    level.file().current["acceleration"].double_value = test.acceleration;
    level.file().current["max_speed"].double_value = test.max_speed;
    Game game(screen.gc, screen.keyboard, screen.window, level.file(), false, 3, platform::Sprite());
    if (test.held_up) game.gravity = game.held_gravity = 20.0f;
    const int escape = 3000;
    const std::uint64_t start = seam.polls();
    for (int f = 0; f < escape; ++f) seam.key_at_poll(start + f, 65, true);
    seam.key_at_poll(start + escape, key_escape, true);
    std::size_t most_grounds = 0, most_items = 0;
    platform::Slot observer = screen.keyboard.sig_key_down().connect(
        [&](const platform::InputEvent&, const platform::InputState&) {
          if (test.held_up) game.player.set_y(540.0f);
          seam.set_calendar_time(1700000000 + static_cast<std::time_t>(seam.polls() / 37));
          most_grounds = std::max(most_grounds, game.grounds.size());
          most_items = std::max(most_items, game.items.size());
        });
    GameResult result;
    ASSERT_NO_THROW(result = game.run());
    EXPECT_EQ(result.won, test.held_up);
    EXPECT_EQ(result.score < 200, !test.held_up);
    EXPECT_LE(most_grounds, test.most_grounds);
    EXPECT_LE(most_items, test.most_items);
    if (test.held_up) {
      EXPECT_GE(most_grounds, 1000u);
    }
  }
  release_keys(seam);
}

}  // namespace
