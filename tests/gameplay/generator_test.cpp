#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>

#include "fixture.h"

namespace {

// Calendar readings handed out one by one (the last one repeats), so a test
// can make the second change between the generator's two seedings. A frame
// that asks for more than ten chunks throws: a runaway would never end.
struct CalendarSeam : platform::VirtualSeam {
  std::deque<std::time_t> readings{1700000000};
  int readings_this_frame = 0;
  void read_next(std::deque<std::time_t> values) { readings = std::move(values), readings_this_frame = 0; }
  std::time_t calendar_time() override {
    if (++readings_this_frame > 2 * 10) throw std::runtime_error("more than ten chunks in one frame");
    const std::time_t value = readings.front();
    if (readings.size() > 1) readings.pop_front();
    return value;
  }
  void poll_keys(std::vector<platform::KeyEventRecord>& out) override {
    readings_this_frame = 0;
    VirtualSeam::poll_keys(out);
  }
};

// Each chunk, after a piece at 1500, 100: its pieces ("x y", x from that piece,
// "r" when rocking) and, with both coins up, its items ("name x y", "c" when
// crashable, "d" when deadly).
TEST(Generator, EachPatternPlacesItsPiecesAndTheCoinsChooseItsItems) {
  TestScreen& screen = test_screen();
  CalendarSeam seam;
  platform::ScopedSeam installed(seam);
  FixtureTree tree;
  LevelData level;
  level.ground(1500, 100, "flat");
  Game game(screen.gc, screen.keyboard, screen.window, level, false, 3, platform::Sprite());
  game.build_level();
  const std::vector<std::string> expected[10] = {
      {"1000 100", "1500 -300", "Fred 1554 -237 cd", "omena 1490 -300"},
      {"1000 100", "Fred 1453 122 cd", "omena 990 100"}, {"1000 100", "Fred 1274 140 cd", "omena 990 100"},
      {"1000 100", "Fred 1345 210 cd", "omena 990 100"}, {"1000 100", "Fred 1374 245 cd", "omena 990 100"},
      {"1000 100", "1500 -200", "Fred 1855 -119 cd", "omena 1490 -200"},
      {"1000 100", "Fred 1563 305 cd", "omena 990 100"}, {"1000 100 r"}, {"1000 100 r"},
      {"1000 100", "Fred 1457 197 cd", "omena 1010 100"},
  };
  auto number = [](float value) { return std::to_string(static_cast<int>(value)); };
  for (int pattern = 0; pattern < 10; ++pattern) {
    // Both coins, each one, none, and both seedings in one second, where the
    // first coin is the pattern's own draw.
    for (int coins : {3, 2, 1, 0, -1}) {
      const bool one_second = coins < 0;
      if (one_second) coins = (pattern % 2) * 2;
      game.grounds.back()->x = 1500;
      const std::size_t pieces = game.grounds.size(), items = game.items.size();
      const auto coin = [] { return std::rand() % 2; };
      auto seconds = std::deque{first_second([&] { return std::rand() % 10 == pattern && (!one_second || !coin()); })};
      if (!one_second) seconds.push_back(first_second([&] { return coin() == coins / 2 && coin() == coins % 2; }));
      seam.read_next(seconds);
      game.generate_chunk();
      std::vector<std::string> chunk, wanted;
      for (std::size_t i = pieces; i < game.grounds.size(); ++i) {
        const Ground* piece = game.grounds[i];
        chunk.push_back(number(piece->x - 1500) + ' ' + number(piece->y) + (piece->move_function == movefunc1 ? " r" : ""));
      }
      for (std::size_t i = items; i < game.items.size(); ++i) {
        const Item* item = game.items[i];
        chunk.push_back(item->name.substr(item->name.rfind('/') + 1) + ' ' + number(item->x - 1500) + ' ' +
                        number(item->y) + (item->crashable || item->deadly ? " " : "") + (item->crashable ? "c" : "") +
                        (item->deadly ? "d" : ""));
      }
      for (const std::string& part : expected[pattern])
        if ((part[0] != 'F' || coins / 2) && (part[0] != 'o' || coins % 2)) wanted.push_back(part);
      EXPECT_EQ(chunk, wanted) << "pattern " << pattern << ", coins " << coins << (one_second ? ", one second" : "");
    }
  }
}

// Endless attempts, the player held at the top of the screen (where nothing
// of the chunks reaches) or let fall. At playable speeds the pieces stay
// sorted and those past the left edge go; absurd speeds, held at the greatest
// scroll speed, and absurd slowing end by a fall; speeds that just keep up
// with retiring pieces let the lists grow with the distance up to their limit
// of 1000 (one chunk more).
TEST(EndlessPlay, PiecesStaySortedAndFramesAndListsBounded) {
  TestScreen& screen = test_screen();
  CalendarSeam seam;
  platform::ScopedSeam installed(seam);
  FixtureTree tree;
  const struct { double acceleration, max_speed; bool held_up; std::size_t least_grounds, most_grounds, most_items; }
  cases[] = {{0.2, 1000, true, 6, 12, 20},        {1e12, 1e12, false, 0, 1001, 1001}, {1e300, 1e300, false, 0, 1001, 1001},
               {-1e300, 1e300, false, 0, 10, 20}, {1e5, 3e5, true, 1000, 1001, 1001}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.acceleration);
    release_keys(seam);
    LevelData level;
    level.set("type", "infinite").set("acceleration", test.acceleration).set("max_speed", test.max_speed);
    Game game(screen.gc, screen.keyboard, screen.window, level, false, 3, platform::Sprite());
    if (test.held_up) game.gravity = game.held_gravity = 20.0f;
    const int escape = 3000;
    const std::uint64_t start = seam.polls();
    for (int f = 0; f < escape; ++f) seam.key_at_poll(start + f, 65, true);
    seam.key_at_poll(start + escape, key_escape, true);
    std::size_t most_grounds = 0, most_items = 0;
    int untidy = 0;
    platform::Slot observer = screen.keyboard.sig_key_down().connect(
        [&](const platform::InputEvent&, const platform::InputState&) {
          if (test.held_up) game.player.set_y(540.0f);
          seam.read_next({1700000000 + static_cast<std::time_t>(seam.polls() / 37)});
          for (std::size_t i = 0; i < game.grounds.size() && test.acceleration < 1; ++i) {
            if (game.grounds[i]->x <= -1500.0f || (i > 0 && game.grounds[i]->x < game.grounds[i - 1]->x)) ++untidy;
          }
          most_grounds = std::max(most_grounds, game.grounds.size());
          most_items = std::max(most_items, game.items.size());
        });
    GameResult result;
    ASSERT_NO_THROW(result = game.run());
    EXPECT_EQ(std::tuple(result.won, result.score < 200, untidy, most_grounds >= test.least_grounds,
                         most_grounds <= test.most_grounds, most_items <= test.most_items),
              std::tuple(test.held_up, !test.held_up, 0, true, true, true)) << result.score << ' ' << most_grounds;
  }
  release_keys(seam);
}

}  // namespace
