#include <gtest/gtest.h>

#include <functional>
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
  // Key script relative to the first frame of the next run (frame 0).
  void press(std::uint64_t frame, int key, int repeat = 0) { time.seam.key_at_poll(base() + frame, key, true, repeat); }
  void release(std::uint64_t frame, int key) { time.seam.key_at_poll(base() + frame, key, false); }
  void escape_after(std::uint64_t frame) { press(frame, key_escape); }
  std::uint64_t base() const { return time.seam.polls(); }

  // Calls the observer at the start of every frame (during message processing).
  void observe(const std::function<void()>& observer, std::uint64_t frames) {
    for (std::uint64_t f = 0; f < frames; ++f) time.seam.key_at_poll(base() + f, 65, true);
    observer_slot = screen.keyboard.sig_key_down().connect(
        [observer](const platform::InputEvent& event, const platform::InputState&) {
          if (event.id == 65) observer();
        });
  }

  TestScreen& screen;
  VirtualTime time;
  FixtureTree tree;
  LevelData level;
  std::unique_ptr<Game> game;
  platform::Slot observer_slot;
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
  escape_after(49);
  GameResult result = make().run();
  EXPECT_EQ(result.score, 50);
  EXPECT_TRUE(result.won);
}

TEST_F(Play, EscapeHeldAtTheStartRunsNoFrame) {
  runway();
  time.seam.key_now(key_escape, true);
  platform::KeepAlive::process(0);
  GameResult result = make().run();
  EXPECT_EQ(result.score, 0);
  EXPECT_TRUE(result.won);
  EXPECT_FLOAT_EQ(game->player.get_x(), 0.0f);
  release_keys(time.seam);
}

TEST_F(Play, WonNeedsALivePlayerLessThan600BelowItsRow) {
  runway();
  time.seam.key_now(key_escape, true);
  platform::KeepAlive::process(0);
  const struct {
    float y;
    bool alive;
    bool won;
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
  tree.add_item_picture("spike", 20, 20);
  GameResult result = make().run();
  EXPECT_FALSE(result.won);
  EXPECT_FALSE(game->player.alive);
  EXPECT_GE(result.score, 40);  // a deadly item still scores
  EXPECT_LT(result.score, 40 + 70);

  release_keys(time.seam);
  press(40, key_x);
  escape_after(80);
  result = make().run();
  EXPECT_TRUE(result.won);
  EXPECT_EQ(result.score, 81 + 40);
  EXPECT_EQ(game->popups.size(), 1u);
}

TEST_F(Play, HeldZJumpsOnceAndTheSecondJumpNeedsANewPress) {
  runway();
  press(10, key_z);
  for (int f = 15; f < 40; f += 5) press(f, key_z, 1);  // auto-repeat
  escape_after(40);
  make().run();
  EXPECT_EQ(game->player.jumps_used, 1);

  release_keys(time.seam);
  press(10, key_z);
  release(12, key_z);
  press(20, key_z);
  release(22, key_z);
  press(30, key_z);  // a third jump is not allowed
  escape_after(31);
  make().run();
  EXPECT_EQ(game->player.jumps_used, 2);
  EXPECT_GT(game->player.get_y(), 230.0f);
}

TEST_F(Play, DashInTheAirGivesAJumpBackAndRunsThirtyFrames) {
  runway();
  press(10, key_z);
  press(20, key_z);
  press(30, key_x);
  press(45, key_x);  // during the dash: no restart
  escape_after(58);
  make().run();
  EXPECT_EQ(game->player.jumps_used, 1);
  EXPECT_TRUE(game->player.dashing);
  EXPECT_EQ(game->player.dash_timer, 1);

  release_keys(time.seam);
  press(10, key_z);
  press(20, key_z);
  press(30, key_x);
  escape_after(59);
  make().run();
  EXPECT_FALSE(game->player.dashing);
}

TEST_F(Play, DashDoublesTheScrollAndNeedsAJumpOrLandingForTheNext) {
  runway();
  escape_after(100);
  make().run();
  const float plain = game->player.get_x();

  release_keys(time.seam);
  press(10, key_x);
  escape_after(100);
  make().run();
  const float dashed = game->player.get_x();
  EXPECT_NEAR(dashed - plain, 30 * 5.05f, 5.0f);

  // Jump, dash, then X again in the air after the dash ended: nothing.
  release_keys(time.seam);
  press(10, key_z);
  press(15, key_x);
  press(50, key_x);
  escape_after(52);
  make().run();
  EXPECT_FALSE(game->player.dashing);
  EXPECT_EQ(game->player.dashes_used, 1);
  EXPECT_EQ(game->player.dash_timer, 0);
}

TEST_F(Play, HeldZWeakensGravity) {
  // Jump in frame 10, in the air for frames 10 to 25; the ESC press of frame 25
  // is a key event too, so it ends the hold for that last frame.
  runway();
  press(10, key_z);
  escape_after(25);
  make().run();
  EXPECT_NEAR(game->player.vertical_speed, 400.0f - 15 * 4.0f - 10.0f, 0.01f);

  release_keys(time.seam);
  press(10, key_z);
  release(11, key_z);
  escape_after(25);
  make().run();
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
  tree.add_item_picture("plain", 20, 20);
  tree.add_item_picture("nameless", 20, 20);
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
  tree.add_item_picture("debt", 20, 20);
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
  tree.add_item_picture("other", 20, 20);
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
  escape_after(99);
  make().run();
  EXPECT_FLOAT_EQ(game->darkness_alpha, 0.0f);

  release_keys(time.seam);
  level.set("lightsource", "coin");
  escape_after(99);
  make().run();
  EXPECT_NEAR(game->darkness_alpha, 0.1f, 1e-4f);
}

TEST_F(Play, PopupsLiveNinetyNineDrawnFrames) {
  runway();
  escape_after(98);
  Game& g = make();
  g.popups.push_back(new ScorePopup{5, 100});
  g.run();
  EXPECT_EQ(g.popups.size(), 1u);

  release_keys(time.seam);
  escape_after(99);
  Game& h = make();
  h.popups.push_back(new ScorePopup{5, 100});
  h.run();
  EXPECT_TRUE(h.popups.empty());
}

TEST_F(Play, DefinitionsAreBackAtBaseWhenTheRunStartsAndEnds) {
  runway().itemdef("coin", 10, 10, "cumulative", "no", "no");
  // A worth left grown in the level data does not carry into the run.
  level.file().level_table["itemdef"].itemdefs["coin"].current_points = 70;
  for (int x = 200; x <= 260; x += 30) level.item(x, 300, "coin");
  level.item(3000, 300, "coin");
  escape_after(120);
  make().run();
  EXPECT_EQ(game->player.score, 121 + 10 + 20 + 30);
  EXPECT_EQ(game->item_defs["coin"].current_points, 10);
}

TEST_F(Play, JumpAndDashSoundsPlay) {
  FixtureTree::write_wave("sounds/jump.wav");
  runway().set("jump_sound", "sounds/jump.wav").set("dash_sound", "sounds/jump.wav");
  press(10, key_z);
  press(12, key_x);
  escape_after(14);
  make().run();
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
  escape_after(80);
  Game faded(screen.gc, screen.keyboard, screen.window, level.file(), true, 3, overlay);
  faded.run();
  EXPECT_NEAR(overlay.get_alpha(), 1.0f / 60.0f, 1e-6f);
}

}  // namespace
