#include <gtest/gtest.h>

#include <limits>

#include "fixture.h"

namespace {

// Whole attempts on a fixture level: a runway of 400-wide pieces whose top is
// row 350, the player landing on it a few frames after the start.
class Play : public ::testing::Test {
 protected:
  Play() : screen(test_screen()) { release_keys(time.seam); }

  LevelData& runway(int pieces = 12) {
    for (int i = 0; i < pieces; ++i) level.ground(i * 400, 350, "flat");
    return level;
  }
  Game& make() {
    game = std::make_unique<Game>(screen.gc, screen.keyboard, screen.window, level.file(), false, 3,
                                  platform::Sprite());
    return *game;
  }
  // Plays with the key events {frame, key} (frame 0 is the first frame; a
  // negative key is a release) and ESC at `escape`.
  GameResult play(std::initializer_list<std::pair<int, int>> keys, int escape) {
    release_keys(time.seam);
    const std::uint64_t base = time.seam.polls();
    for (auto [frame, key] : keys) time.seam.key_at_poll(base + frame, key < 0 ? -key : key, key > 0);
    time.seam.key_at_poll(base + escape, key_escape, true);
    return make().run();
  }

  TestScreen& screen;
  VirtualTime time;
  FixtureTree tree;
  LevelData level;
  std::unique_ptr<Game> game;
};

TEST_F(Play, EndsAtTheEndPositionWon) {
  runway().set_int("end", 1000);
  GameResult result = make().run();
  EXPECT_TRUE(result.won);
  EXPECT_TRUE(game->player.alive);
  EXPECT_GE(game->player.get_x(), 1000.0f);
  // One point a frame: about 1000 / 5 frames at the starting speed.
  EXPECT_GT(result.score, 180);
  EXPECT_LT(result.score, 200);
  EXPECT_TRUE(game->grounds.empty() && game->items.empty() && game->backgrounds.empty());
}

TEST_F(Play, EscapeEndsAliveAsAWin) {
  runway();
  GameResult result = play({}, 49);
  EXPECT_EQ(result.score, 50);
  EXPECT_TRUE(result.won);
}

// With ESC held at the start no frame runs, so the result shows the player as built.
TEST_F(Play, WonNeedsALivePlayerLessThan600BelowItsRow) {
  runway();
  time.seam.key_now(key_escape, true);
  platform::KeepAlive::process(0);
  GameResult untouched = make().run();
  EXPECT_TRUE(untouched.won);
  EXPECT_EQ(untouched.score, 0);
  EXPECT_FLOAT_EQ(game->player.get_x(), 0.0f);
  const struct {
    float y;
    bool alive, won;
  } cases[] = {{-120.0f, true, false}, {-119.9f, true, true}, {200.0f, false, false}};
  for (const auto& c : cases) {
    Game& g = make();
    g.player.set_y(c.y);
    g.player.alive = c.alive;
    EXPECT_EQ(g.run().won, c.won) << "height " << c.y;
  }
  release_keys(time.seam);
}

// A clock on which every frame lasts 100 ms.
class SlowSeam : public platform::VirtualSeam {
 public:
  void sleep(int) override { advance(100); }
};

TEST_F(Play, LongFramesCountAsFiftyMilliseconds) {
  SlowSeam slow;
  platform::ScopedSeam installed(slow);
  runway();
  slow.key_at_poll(slow.polls() + 2, key_escape, true);
  make().run();
  // Three frames of 0.05 s each, the speed growing by 0.2 a frame.
  EXPECT_NEAR(game->player.get_x(), 0.05f * (500.0f + 500.2f + 500.4f), 0.01f);
  slow.key_now(key_escape, false);
  platform::KeepAlive::process(0);
}

TEST_F(Play, FallingWithoutGroundLoses) {
  GameResult result = make().run();
  EXPECT_FALSE(result.won);
  EXPECT_TRUE(game->player.alive);
  EXPECT_GE(game->player.reference_height - game->player.get_y(), 600.0f);
}

TEST_F(Play, RunningIntoTheSideOfAPieceKills) {
  runway().ground(500, 250, "block");
  GameResult result = make().run();
  EXPECT_FALSE(result.won);
  EXPECT_FALSE(game->player.alive);
}

TEST_F(Play, DeadlyItemKillsUnlessCrashedThroughWhileDashing) {
  runway().item(300, 300, "spike").itemdef("spike", 40, 0, "no", "crashable", "deadly");
  tree.add_item_picture("spike");
  GameResult result = make().run();
  EXPECT_FALSE(result.won);
  EXPECT_FALSE(game->player.alive);
  EXPECT_GE(result.score, 40);  // a deadly item still scores
  EXPECT_LT(result.score, 40 + 70);

  result = play({{40, key_x}}, 80);
  EXPECT_TRUE(result.won);
  EXPECT_EQ(result.score, 81 + 40);
  EXPECT_EQ(game->popups.size(), 1u);
}

TEST_F(Play, HeldZJumpsOnceAndTheSecondJumpNeedsANewPress) {
  runway();
  const std::uint64_t base = time.seam.polls();
  time.seam.key_at_poll(base + 10, key_z, true);
  for (int f = 15; f < 40; f += 5) time.seam.key_at_poll(base + f, key_z, true, 1);  // auto-repeat
  time.seam.key_at_poll(base + 40, key_escape, true);
  make().run();
  EXPECT_EQ(game->player.jumps_used, 1);

  // A third jump is not allowed.
  play({{10, key_z}, {12, -key_z}, {20, key_z}, {22, -key_z}, {30, key_z}}, 31);
  EXPECT_EQ(game->player.jumps_used, 2);
  EXPECT_GT(game->player.get_y(), 230.0f);
}

TEST_F(Play, DashInTheAirGivesAJumpBackAndRunsThirtyFrames) {
  runway();
  play({{10, key_z}, {20, key_z}, {30, key_x}, {45, key_x}}, 58);  // X during the dash: no restart
  EXPECT_EQ(game->player.jumps_used, 1);
  EXPECT_TRUE(game->player.dashing);
  EXPECT_EQ(game->player.dash_timer, 1);
  play({{10, key_z}, {20, key_z}, {30, key_x}}, 59);
  EXPECT_FALSE(game->player.dashing);
}

TEST_F(Play, DashDoublesTheScrollAndNeedsAJumpOrLandingForTheNext) {
  runway();
  play({}, 100);
  const float plain = game->player.get_x();
  play({{10, key_x}}, 100);
  EXPECT_NEAR(game->player.get_x() - plain, 30 * 5.05f, 5.0f);

  // Jump, dash, then X again in the air after the dash ended: nothing.
  play({{10, key_z}, {15, key_x}, {50, key_x}}, 52);
  EXPECT_FALSE(game->player.dashing);
  EXPECT_EQ(game->player.dashes_used, 1);
  EXPECT_EQ(game->player.dash_timer, 0);
}

TEST_F(Play, HeldZWeakensGravity) {
  // Jump in frame 10, in the air for frames 10 to 25; the ESC press of frame 25
  // is a key event too, so it ends the hold for that last frame.
  runway();
  play({{10, key_z}}, 25);
  EXPECT_NEAR(game->player.vertical_speed, 400.0f - 15 * 4.0f - 10.0f, 0.01f);
  play({{10, key_z}, {11, -key_z}}, 25);
  EXPECT_NEAR(game->player.vertical_speed, 400.0f - 4.0f - 15 * 10.0f, 0.01f);
}

TEST_F(Play, PhysicsStepPushesOutBumpsTheHeadAndCapsTheHeight) {
  runway(1).ground(0, 150, "flat");  // a ceiling piece over the start
  Game& g = make();
  g.build_level();
  g.frame_time = 0.01f;
  const bool ceiling_first = g.grounds[0]->y < 200.0f;
  platform::CollisionOutline floor = g.grounds[ceiling_first ? 1 : 0]->get_outline();
  platform::CollisionOutline ceiling = g.grounds[ceiling_first ? 0 : 1]->get_outline();

  // Feet sunk into the floor: halved speed, pushed up until free plus one step.
  g.player.set_y(185.0f);
  g.player.vertical_speed = -300.0f;
  ASSERT_TRUE(g.player.collides_lower(floor));
  g.collide_grounds();
  EXPECT_TRUE(g.player.on_ground);
  EXPECT_TRUE(g.player.alive);
  EXPECT_FLOAT_EQ(g.player.vertical_speed, -150.0f);
  EXPECT_FALSE(g.player.collides_lower(floor));
  g.player.set_y(g.player.get_y() - 0.4f);
  EXPECT_TRUE(g.player.collides_lower(floor));

  // Head into the ceiling: pushed down, speed damped by 0.75 a step.
  g.player.set_y(310.0f);
  g.player.vertical_speed = 400.0f;
  ASSERT_TRUE(g.player.collides_upper(ceiling));
  g.collide_grounds();
  // The head leaves the ceiling's bottom row (190) at height 302.
  EXPECT_LT(g.player.get_y(), 302.5f);
  EXPECT_GT(g.player.get_y(), 298.0f);
  EXPECT_LT(g.player.vertical_speed, 400.0f * 0.75f - 10.0f + 0.01f);
  EXPECT_TRUE(g.player.alive);

  // In the air without ground: 0.2 lower, gravity only when not dashing, cap at 540.
  std::vector<Ground*> kept;
  kept.swap(g.grounds);
  g.player.set_y(600.0f);
  g.player.vertical_speed = 0.0f;
  jump_held = false;
  g.collide_grounds();
  EXPECT_FLOAT_EQ(g.player.get_y(), 540.0f);
  EXPECT_FLOAT_EQ(g.player.vertical_speed, -10.0f);
  g.player.set_y(300.0f);
  jump_held = true;
  g.collide_grounds();
  EXPECT_FLOAT_EQ(g.player.get_y(), 299.8f);
  EXPECT_FLOAT_EQ(g.player.vertical_speed, -14.0f);
  g.player.dashing = true;
  g.collide_grounds();
  EXPECT_FLOAT_EQ(g.player.vertical_speed, -14.0f);
  jump_held = false;
  kept.swap(g.grounds);
}

TEST_F(Play, CumulativeChainsGrowAndAMissResetsThem) {
  runway(1).itemdef("coin", 10, 10, "cumulative", "no", "no").itemdef("plain", 7, 3, "no", "no", "no");
  for (int i = 0; i < 6; ++i) level.item(1000 + i, 0, i == 5 ? "plain" : "coin");
  level.item(2000, 0, "nameless");
  tree.add_item_picture("plain");
  tree.add_item_picture("nameless");
  Game& g = make();
  g.build_level();
  g.collect_item(0);
  g.collect_item(0);
  g.collect_item(0);
  EXPECT_EQ(g.player.score, 60);
  g.miss_item(0);
  g.collect_item(0);
  g.collect_item(0);  // the plain item, twice its base
  g.collect_item(0);  // no definition: 0
  EXPECT_EQ(g.player.score, 60 + 10 + 7 + 0);
  std::vector<int> shown;
  for (ScorePopup* popup : g.popups) shown.push_back(popup->points);
  EXPECT_EQ(shown, (std::vector<int>{10, 20, 30, 10, 7, 0}));
  EXPECT_TRUE(g.items.empty());
  EXPECT_EQ(g.item_defs["plain"].current_points, 7);
}

TEST_F(Play, HugeItemWorthsStopAtTheLimitInsteadOfOverflowing) {
  const int near_limit = std::numeric_limits<int>::max() - 5;
  runway(1).itemdef("coin", near_limit, near_limit, "cumulative", "no", "no");
  level.itemdef("debt", std::numeric_limits<int>::min(), -1, "cumulative", "no", "no");
  level.item(1000, 0, "coin").item(1001, 0, "coin").item(1002, 0, "debt").item(1003, 0, "debt");
  tree.add_item_picture("debt");
  Game& g = make();
  g.build_level();
  g.collect_item(0);
  g.collect_item(0);
  EXPECT_EQ(g.player.score, std::numeric_limits<int>::max());
  EXPECT_EQ(g.item_defs["coin"].current_points, std::numeric_limits<int>::max());
  g.player.score = 0;
  g.collect_item(0);
  g.collect_item(0);
  EXPECT_EQ(g.player.score, std::numeric_limits<int>::min());
}

TEST_F(Play, LightSourcePushesTheDarknessBack) {
  runway(1).set("lightsource", "coin").item(1000, 0, "coin").item(1001, 0, "coin").item(1002, 0, "other");
  tree.add_item_picture("other");
  Game& g = make();
  g.build_level();
  g.darkness_alpha = 0.3f;
  g.collect_item(0);
  EXPECT_FLOAT_EQ(g.darkness_alpha, 0.0f);
  g.darkness_alpha = 0.9f;
  g.collect_item(0);
  EXPECT_NEAR(g.darkness_alpha, 0.4f, 1e-6f);
  g.collect_item(0);
  EXPECT_NEAR(g.darkness_alpha, 0.4f, 1e-6f);
}

TEST_F(Play, DarknessThickensOnlyWithALightSource) {
  runway();
  play({}, 99);
  EXPECT_FLOAT_EQ(game->darkness_alpha, 0.0f);
  level.set("lightsource", "coin");
  play({}, 99);
  EXPECT_NEAR(game->darkness_alpha, 0.1f, 1e-4f);
}

TEST_F(Play, PopupsLiveNinetyNineDrawnFrames) {
  runway();
  for (int last_frame : {98, 99}) {
    release_keys(time.seam);
    time.seam.key_at_poll(time.seam.polls() + last_frame, key_escape, true);
    Game& g = make();
    g.popups.push_back(new ScorePopup{5, 100});
    g.run();
    EXPECT_EQ(g.popups.size(), last_frame == 98 ? 1u : 0u);
  }
}

TEST_F(Play, DefinitionsAreBackAtBaseWhenTheRunStartsAndEnds) {
  runway().itemdef("coin", 10, 10, "cumulative", "no", "no");
  // A worth left grown in the level data does not carry into the run.
  level.file().level_table["itemdef"].itemdefs["coin"].current_points = 70;
  for (int x = 200; x <= 260; x += 30) level.item(x, 300, "coin");
  level.item(3000, 300, "coin");
  play({}, 120);
  EXPECT_EQ(game->player.score, 121 + 10 + 20 + 30);
  EXPECT_EQ(game->item_defs["coin"].current_points, 10);
}

TEST_F(Play, JumpAndDashSoundsPlay) {
  const std::string sound = MORVANE_DATA_TREE "/sounds/jump.wav";
  runway().set("jump_sound", sound).set("dash_sound", sound);
  play({{10, key_z}, {12, key_x}}, 14);
  EXPECT_TRUE(game->has_jump_sound && game->has_dash_sound);
  EXPECT_FALSE(game->jump_session.is_null());
  EXPECT_FALSE(game->dash_session.is_null());
}

TEST_F(Play, FadeOverlayRunsSixtyFrames) {
  runway();
  platform::PixelBuffer picture(4, 4);
  platform::SpriteDescription description;
  description.add_frame(picture);
  platform::Sprite overlay(screen.gc, description);
  time.seam.key_at_poll(time.seam.polls() + 80, key_escape, true);
  Game faded(screen.gc, screen.keyboard, screen.window, level.file(), true, 3, overlay);
  faded.run();
  EXPECT_NEAR(overlay.get_alpha(), 1.0f / 60.0f, 1e-6f);
}

}  // namespace
