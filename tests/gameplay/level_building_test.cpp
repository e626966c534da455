#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "fixture.h"

namespace {

struct LevelBuilding : ::testing::Test {
  LevelBuilding() { release_keys(time.seam); }
  std::unique_ptr<Game> make(DataFile& level) {
    return std::make_unique<Game>(screen.gc, screen.keyboard, screen.window, level, false, 3, platform::Sprite());
  }
  // Pieces "x y" ("r" rocking), items "name x y" ("!" crashable or deadly), definitions "name base current
  // increment" with "+" cumulative, "c" crashable, "d" deadly, backdrop tiles "x z".
  static std::string built(const Game& game) {
    std::string built;
    auto n = [](double value) { return std::to_string(static_cast<int>(value)) + ' '; };
    for (const Ground* g : game.grounds) built += n(g->x) + n(g->y) + (g->move_function ? "r|" : "|");
    for (const Item* i : game.items)
      built += i->name + ' ' + n(i->x) + n(i->y) + (i->crashable || i->deadly ? "!|" : "|");
    for (const auto& [name, d] : game.item_defs) {
      built += name + ' ' + n(d.base_points) + n(d.current_points) + n(d.increment) + (d.cumulative ? "+" : "") +
               (d.crashable ? "c" : "") + (d.deadly ? "d" : "") + '|';
    }
    for (const Background* b : game.backgrounds) built += n(b->x) + n(b->z) + '|';
    return built + "player " + n(game.player.x) + n(game.player.y);
  }
  TestScreen& screen = test_screen();
  VirtualTime time;
  FixtureTree tree;
  LevelData level;
};

TEST_F(LevelBuilding, OrdinaryLevelIsSortedAndMatchedExactly) {
  FixtureTree::add_picture("wide", "background", 100, 30);
  level.set("background", "wide")
      .ground(900, 300, "flat", "movefunc1")
      .ground(100, 320, "flat", "Movefunc1")
      .ground(500, 310, "flat", "movefunc12")
      .item(700, 250, "coin")
      .item(300, 260, "gem_without_definition")
      .itemdef("coin", 10, 5, "cumulative", "crashable", "deadly");
  FixtureTree::add_item_picture("gem_without_definition");
  auto game = make(level);
  game->build_level();

  EXPECT_EQ(built(*game), "100 320 |500 310 |900 300 r|gem_without_definition 300 260 |coin 700 250 !|"
                         "coin 10 10 5 +cd|gem_without_definition 0 0 0 |0 3 |100 3 |200 3 |player 0 200 ");  // tiles at 0, w and 2w
  EXPECT_FALSE(game->has_music || game->has_jump_sound || game->has_dash_sound || game->has_light_source);

  // Twenty pieces and twenty items at one x are all kept, and the level plays
  // (a sort by an order that is not strict runs off the end of the list).
  LevelData crowd;
  for (int i = 0; i < 20; ++i) crowd.ground(700, 300 + i, "flat").item(700, 100 + i, "coin");
  game = make(crowd);
  game->build_level();
  std::set<float> heights;
  for (const Ground* g : game->grounds) heights.insert(g->y);
  for (const Item* i : game->items) heights.insert(i->y);
  EXPECT_EQ(std::tuple(game->grounds.size(), game->items.size(), heights.size()), std::tuple(20u, 20u, 40u));
  time.seam.key_at_poll(time.seam.polls() + 30, key_escape, true);
  EXPECT_TRUE(make(crowd)->run().won);
}

// Whatever its lines say, an endless level ("infinite", exactly) starts with
// its fixed opening and the two item definitions of the generator.
TEST_F(LevelBuilding, EndlessLevelStartsWithItsFixedOpening) {
  level.ground(0, 300, "flat").item(10, 10, "coin").itemdef("coin", 10, 5, "cumulative", "crashable", "deadly");
  std::string opening;
  for (const char* type : {"infinite", "Infinite"}) {
    auto game = make(level.set("type", type));
    game->build_level();
    opening += built(*game) + '\n';
  }
  EXPECT_EQ(opening, "0 200 |1000 150 |1500 -200 |2000 200 |3000 100 r|levels/enchanted_woods/omena 450 290 |"
                     "levels/enchanted_woods/Fred 100 100 100 +cd|levels/enchanted_woods/omena 10 10 10 +|"
                     "0 3 |64 3 |128 3 |player 0 200 \n"
                     "0 300 |coin 10 10 !|coin 10 10 5 +cd|0 3 |64 3 |128 3 |player 0 200 \n");
}

// What was built before a failure stays with the game, which frees it (the
// sanitizer run checks that nothing leaks); sounds load before the backdrop.
TEST_F(LevelBuilding, FailuresHalfWayLeaveTheBuiltObjectsToTheGame) {
  level.ground(0, 300, "flat").ground(400, 300, "no_such_piece").ground(800, 300, "flat").item(10, 10, "coin");
  auto game = make(level);
  EXPECT_THROW(game->build_level(), const char*);
  EXPECT_TRUE(game->backgrounds.size() == 3u && game->grounds.size() == 1u && game->items.empty());

  game = make(LevelData().set("game_music", "sounds/none.ogg"));
  EXPECT_THROW(game->build_level(), platform::Exception);
  EXPECT_TRUE(game->backgrounds.empty());

  std::filesystem::remove("images/coin_out.png");
  game = make(LevelData().ground(0, 300, "flat").item(10, 10, "coin").item(20, 10, "coin"));
  EXPECT_THROW(game->run(), platform::Exception);
  EXPECT_EQ(game->grounds.size(), 1u);

  std::filesystem::remove("images/black_layer.xml");
  EXPECT_THAT([&] { make(level); },
              testing::ThrowsMessage<std::runtime_error>(
                  testing::AllOf(testing::StartsWith("Could not load black layer sprite: "),
                                 testing::HasSubstr("'images/black_layer.xml'"))));
}

}  // namespace
