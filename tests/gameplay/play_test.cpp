#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>

#include "fixture.h"
#include "platform/testing.h"
#include "support/counting_sound.h"

namespace {

// A key event of a scripted attempt: frame 0 is the first frame, a negative
// key a release, a repeat count above 0 the keyboard's auto-repeat.
struct Key { int frame, key, repeat = 0; };

// Whole attempts on a fixture level: a runway of 400-wide pieces whose top is
// row 350, the player landing on it a few frames after the start.
struct Play : ::testing::Test {
  Play() { release_keys(time.seam); }

  LevelData& runway(int pieces = 12) {
    for (int i = 0; i < pieces; ++i) level.ground(i * 400, 350, "flat");
    return level;
  }
  Game& make(bool fade = false, platform::Sprite overlay = platform::Sprite()) {
    game = std::make_unique<Game>(screen.gc, screen.keyboard, screen.window, level, fade, 3, overlay);
    return *game;
  }
  // Plays the keys with ESC at `escape` (none when negative).
  GameResult play(const std::vector<Key>& keys, int escape, const std::function<void(Game&)>& prepare = {}) {
    release_keys(time.seam);
    const std::uint64_t base = time.seam.polls();
    for (const Key& k : keys) time.seam.key_at_poll(base + k.frame, std::abs(k.key), k.key > 0, k.repeat);
    if (escape >= 0) time.seam.key_at_poll(base + escape, key_escape, true);
    if (prepare) prepare(make());
    GameResult result = (prepare ? *game : make()).run();
    release_keys(time.seam);
    return result;
  }

  TestScreen& screen = test_screen();
  VirtualTime time;
  FixtureTree tree;
  LevelData level;
  std::unique_ptr<Game> game;
};

TEST_F(Play, EachWayAnAttemptEndsGivesItsResult) {
  for (const char* name : {"spike", "pit"}) tree.add_item_picture(name);
  const struct { int pieces; const char* what; std::function<void(LevelData&)> level; std::vector<Key> keys;
                 int escape; bool won, alive; int score; } cases[] = {
      // One point a frame, the frame that ends the attempt included. The
      // player runs 5 pixels a frame, 0.002 more each frame: past 1000 in frame 193.
      {12, "end reached", [](LevelData& l) { l.set("end", 1000); }, {}, -1, true, true, 193},
      {12, "ESC", {}, {}, 49, true, true, 50},
      // In frame 88 the block's side passes the head's right edge (x 54) while the
      // player bobs in the air over the floor: pushed down, its body meets the floor.
      {12, "side of a piece", [](LevelData& l) { l.ground(500, 250, "block"); }, {}, -1, false, false, 88},
      // A deadly item still scores: touched by the head in frame 49, 49 + 40;
      // dashing through a crashable one is safe: 81 frames + 40.
      {12, "deadly item", [](LevelData& l) { l.item(300, 300, "spike"); }, {}, -1, false, false, 89},
      {12, "crashed through", [](LevelData& l) { l.item(300, 300, "spike"); }, {{40, key_x}}, 80, true, true, 121},
      // Only the first ten pieces move their outlines and the first fourteen
      // items are touched: the eleventh piece holds the player up where it was
      // built, and the fifteenth item, a deadly one, is passed unharmed.
      {1, "pieces past the window",
       [](LevelData& l) {
         for (int i = 0; i < 10; ++i) l.ground(-10, 2000, "flat");
         for (int i = 0; i < 14; ++i) l.item(1000, 2000, "coin");
         l.item(1001, 300, "pit");
       },
       {}, 250, true, true, 251},
  };
  for (const auto& c : cases) {
    level = LevelData();
    runway(c.pieces).itemdef("spike", 40, 0, "no", "crashable", "deadly").itemdef("pit", 40, 0, "no", "no", "deadly");
    if (c.level) c.level(level);
    const GameResult r = play(c.keys, c.escape);
    const bool freed = game->grounds.empty() && game->items.empty() && game->backgrounds.empty();
    EXPECT_EQ(std::tuple(r.won, game->player.alive, r.score, freed), std::tuple(c.won, c.alive, c.score, true))
        << c.what;
  }
  // Far-left pieces retire from the first ten only, every other one as the rest slide down:
  // of 30 pieces passing -1500 in the second frame, 10 go then, 10 in the third, 5 in the fourth.
  level = LevelData();
  for (int i = 0; i < 30; ++i) level.ground(-1495, 2000, "flat");
  std::vector<std::size_t> pieces;
  play({}, 4, [&](Game& g) {
    time.seam.at_poll = [&, &g = g](std::uint64_t) {
      if (!g.grounds.empty()) pieces.push_back(g.grounds.size());
    };
  });
  time.seam.at_poll = nullptr;
  EXPECT_EQ(pieces, (std::vector<std::size_t>{30, 30, 20, 10, 5}));
  level = LevelData();  // nothing to stand on: a fall of 600
  const bool won = play({}, -1).won;
  const auto corner = screen.gc.get_pixeldata().get_pixel(0, 0);
  EXPECT_EQ(std::tuple(corner.r, corner.g, corner.b), std::tuple(90, 160, 60)) << "the backdrop's top row";
  EXPECT_EQ(std::tuple(won, game->player.alive, game->player.reference_height - game->player.get_y() >= 600),
            std::tuple(false, true, true));

  // With ESC held at the start no frame runs: the result is the player as built.
  for (auto [y, alive, won] : {std::tuple{200.0f, true, true}, {-120.0f, true, false}, {-119.9f, true, true},
                               {200.0f, false, false}}) {
    const GameResult result = play({}, -1, [&](Game& g) {
      time.seam.key_now(key_escape, true);
      platform::KeepAlive::process(0);
      g.player.set_y(y);
      g.player.alive = alive;
    });
    EXPECT_EQ(std::pair(result.won, result.score), std::pair(won, 0)) << "height " << y;
  }
}

// Whatever numbers a level holds, speeds and positions stay finite and an
// attempt without input ends by the loop's own tests: the player runs off the
// end of a short runway and falls, or reaches the end. ESC, held back for
// 20000 frames, is never needed.
TEST_F(Play, AnyNumbersOfALevelLeaveAnAttemptThatEndsWithFiniteSpeeds) {
  constexpr double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  constexpr int most = std::numeric_limits<int>::max(), least = std::numeric_limits<int>::min();
  // The first frame runs 5 pixels, then the speed holds at the least (1 a frame), the first (5 a frame) or
  // the greatest (5000 a frame). A fall of 600 from the start takes 79 frames; from the runway, left last in
  // frame 1180 at 1 a frame or 233 at 5, 77 or 78 more. 100000 is passed in frame 21: 5 + 20 x 5000.
  const struct { const char* what; double acceleration, max_speed; int end; bool won; int score; } cases[] = {
      {"slowing without bound", -1e300, 1000, -1, false, 1257}, {"slowing at infinity", -inf, 1000, -1, false, 1257},
      {"speeding without bound", 1e300, 1e300, -1, false, 79}, {"speeding at infinity", inf, inf, -1, false, 79},
      {"acceleration not a number", nan, 1000, -1, false, 311}, {"max_speed not a number", 0.2, nan, -1, false, 311},
      {"max_speed at minus infinity", 0.2, -inf, -1, false, 311}, {"end past any run", inf, inf, most, false, 79},
      {"end reached at the greatest speed", 1e300, inf, 100000, true, 21},
  };
  for (const auto& c : cases) {
    level = LevelData();
    runway(3).set("acceleration", c.acceleration).set("max_speed", c.max_speed);
    if (c.end != -1) level.set("end", c.end);
    level.ground(most, least, "flat").item(least, most, "coin").itemdef("coin", 10, 0, "no", "no", "no");
    const GameResult r = play({}, 20000);
    EXPECT_EQ(std::tuple(r.won, r.score, std::isfinite(game->player.get_x()), std::isfinite(game->speed_bonus),
                         std::isfinite(game->scroll_step)),
              std::tuple(c.won, c.score, true, true, true)) << c.what;
  }
}

// A clock on which every frame lasts 100 ms.
struct SlowSeam : platform::VirtualSeam { void sleep(int) override { advance(100); } };

TEST_F(Play, LongFramesCountAsFiftyMilliseconds) {
  SlowSeam slow;
  platform::ScopedSeam installed(slow);
  runway();
  slow.key_at_poll(slow.polls() + 2, key_escape, true);
  make().run();
  // Three frames of 0.05 s each, the speed growing by 0.2 a frame.
  EXPECT_NEAR(game->player.get_x(), 0.05f * (500.0f + 500.2f + 500.4f), 0.01f);
  release_keys(slow);
}

// Each frame's 10 ms sleep mixes 441 frames of sound by hand and keeps the last one heard.
struct MixingSeam : platform::VirtualSeam {
  void sleep(int ms) override { VirtualSeam::sleep(ms), last_heard.push_back(heard(ms * 441 / 10).back()); }
  std::vector<int> last_heard;
};

TEST_F(Play, TheMusicLoopsPastItsEndAndStopsWithTheAttempt) {
  const ManualMixing manual;
  heard(441000);  // ten seconds: the sounds of earlier tests have run out
  MixingSeam mixing;
  platform::ScopedSeam installed(mixing);
  runway().set("game_music", tree.write("sounds/tune.wav", counting_wave(1000)));
  mixing.key_at_poll(mixing.polls() + 19, key_escape, true);
  make().run();
  std::vector<int> looped;  // the tune's frame last heard: 441 a frame on, wrapping at 1000
  for (int frame = 1; frame <= 20; ++frame) looped.push_back((441 * frame - 1) % 1000 + 1);
  EXPECT_EQ(mixing.last_heard, looped);
  EXPECT_EQ(heard(1000), std::vector<int>(1000, 0)) << "silence once the attempt is over";
  release_keys(mixing);
}

TEST_F(Play, ScriptedJumpsAndDashesLeaveThePlayerAsTheTableSays) {
  const std::string sound = MORVANE_DATA_TREE "/sounds/jump.wav";
  runway().set("jump_sound", sound).set("dash_sound", sound);
  // Each row also says whether the jump sound and the dash sound were played.
  const struct { const char* what; std::vector<Key> keys; int escape, jumps_used, dashes_used, dash_timer;
                 float vertical_speed; bool jump_sound, dash_sound; } cases[] = {
      {"auto-repeat jumps once", {{10, key_z}, {15, key_z, 1}, {25, key_z, 1}, {35, key_z, 1}}, 40, 1, 0, 0, 270,
       true, false},
      {"no third jump", {{10, key_z}, {12, -key_z}, {20, key_z}, {22, -key_z}, {30, key_z}}, 31, 2, 0, 0, 298.0f,
       true, false},
      // A dash in the air gives a jump back; X during the dash does not restart it.
      {"dash lasts thirty frames", {{10, key_z}, {20, key_z}, {30, key_x}, {45, key_x}}, 58, 1, 1, 1, 0.0f, true, true},
      {"dash over", {{10, key_z}, {20, key_z}, {30, key_x}}, 59, 1, 1, 0, -10.0f, true, true},
      {"second dash needs a jump or landing", {{10, key_z}, {15, key_x}, {50, key_x}}, 52, 0, 1, 0, -90.0f, true, true},
      // Jump in frame 10, in the air to frame 25; the ESC press of frame 25 is
      // a key event too, so it ends the hold for that last frame.
      {"held Z weakens gravity", {{10, key_z}}, 25, 1, 0, 0, 400.0f - 15 * 4.0f - 10.0f, true, false},
      {"released Z", {{10, key_z}, {11, -key_z}}, 25, 1, 0, 0, 400.0f - 4.0f - 15 * 10.0f, true, false},
      {"a dash alone", {{10, key_x}}, 12, 0, 1, 27, 0.0f, false, true},
  };
  for (const auto& c : cases) {
    play(c.keys, c.escape);
    const Unicorn& p = game->player;
    EXPECT_EQ(std::tuple(p.jumps_used, p.dashes_used, p.dash_timer, p.dashing),
              std::tuple(c.jumps_used, c.dashes_used, c.dash_timer, c.dash_timer > 0)) << c.what;
    EXPECT_NEAR(p.vertical_speed, c.vertical_speed, 0.01f) << c.what;
    EXPECT_EQ(std::pair(!game->jump_session.is_null(), !game->dash_session.is_null()),
              std::pair(c.jump_sound, c.dash_sound)) << c.what;
  }
  // The run's key handlers were released with it: a later Z reaches nobody.
  time.seam.key_now(key_z, true);
  platform::KeepAlive::process(0);
  EXPECT_FALSE(jump_held || jump_pressed);
  release_keys(time.seam);
  play({}, 100);
  EXPECT_TRUE(game->jump_session.is_null() && game->dash_session.is_null()) << "no keys, no sounds";
  const float plain = game->player.get_x();
  play({{10, key_x}}, 100);
  EXPECT_NEAR(game->player.get_x() - plain, 30 * 5.05f, 5.0f) << "a dash doubles the scroll";
}

TEST_F(Play, PhysicsStepPushesOutBumpsTheHeadAndCapsTheHeight) {
  runway(1).ground(0, 150, "flat");  // a ceiling piece over the start
  Game& g = make();
  g.build_level();
  g.frame_time = 0.01f;
  platform::CollisionOutline floor = g.grounds[g.grounds[0]->y < 200.0f ? 1 : 0]->get_outline();
  const auto step = [&](float y, float speed) {  // Z is not held
    g.player.set_y(y);
    g.player.vertical_speed = speed;
    g.collide_grounds();
  };
  // Feet sunk into the floor: halved speed, pushed up until free plus one step.
  step(185.0f, -300.0f);
  EXPECT_EQ(std::tuple(g.player.on_ground, g.player.alive, g.player.vertical_speed, g.player.collides_lower(floor)),
            std::tuple(true, true, -150.0f, false));
  g.player.set_y(g.player.get_y() - 0.4f);
  EXPECT_TRUE(g.player.collides_lower(floor));
  // Head into the ceiling, whose bottom row it leaves at height 302: pushed
  // down, the speed damped by 0.75 a step.
  step(310.0f, 400.0f);
  EXPECT_TRUE(g.player.get_y() < 302.5f && g.player.get_y() > 298.0f && g.player.alive) << g.player.get_y();
  EXPECT_NEAR(g.player.vertical_speed, -9.997f, 0.0005f) << "400 damped to almost nothing, then gravity";
  // Without ground the height is capped at 540.
  std::vector<Ground*> kept = std::exchange(g.grounds, {});
  step(600.0f, 0.0f);
  EXPECT_FLOAT_EQ(g.player.get_y(), 540.0f);
  g.grounds = kept;
}

// Chains grow, a miss resets them, worths stop at the int limits, and a light
// source pushes the darkness back.
TEST_F(Play, ItemsScoreByTheirDefinitions) {
  constexpr int most = std::numeric_limits<int>::max(), least = std::numeric_limits<int>::min();
  runway(1).itemdef("coin", 10, 10, "cumulative", "no", "no").itemdef("plain", 7, 3, "no", "no", "no");
  level.itemdef("big", most - 5, most - 5, "cumulative", "no", "no").itemdef("debt", least, -1, "cumulative", "no", "no");
  level.itemdef("fine", -5, 0, "no", "no", "no").set("lightsource", "coin");
  int x = 1000;
  for (const char* name :
       {"coin", "coin", "coin", "coin", "coin", "plain", "nameless", "big", "big", "fine", "debt", "debt"}) {
    level.item(x++, 0, name);
    if (name[0] != 'c') tree.add_item_picture(name);
  }
  Game& g = make();
  g.build_level();
  const auto collect = [&](int count) { while (count-- > 0) g.collect_item(0); };
  g.darkness_alpha = 0.3f;
  collect(3);
  EXPECT_EQ(std::pair(g.player.score, g.darkness_alpha), std::pair(60, 0.0f));
  g.miss_item(0);
  g.darkness_alpha = 0.9f;
  collect(3);  // a coin, the plain item twice its base, one without a definition
  EXPECT_NEAR(g.darkness_alpha, 0.4f, 1e-6f);
  std::vector<int> shown;
  for (ScorePopup* popup : g.popups) shown.push_back(popup->points);
  EXPECT_EQ(std::tuple(g.player.score, g.item_defs["plain"].current_points, shown),
            std::tuple(60 + 10 + 7 + 0, 7, std::vector<int>{10, 20, 30, 10, 7, 0}));
  for (ScorePopup* popup : g.popups) EXPECT_EQ(popup->time_to_live, 100);
  collect(2);
  EXPECT_EQ(std::pair(g.player.score, g.item_defs["big"].current_points), std::pair(most, most));
  g.player.score = 0;
  collect(1);
  EXPECT_EQ(g.player.score, -5) << "negative points lower the score by as much";
  collect(2);
  EXPECT_EQ(std::pair(g.player.score, g.items.empty()), std::pair(least, true));
}

TEST_F(Play, OverAnAttemptDefinitionsPopupsDarknessAndFade) {
  runway();
  platform::SpriteDescription description;
  description.add_frame(platform::PixelBuffer(4, 4));
  platform::Sprite overlay(screen.gc, description);
  time.seam.key_at_poll(time.seam.polls() + 80, key_escape, true);
  make(true, overlay).run();
  EXPECT_NEAR(overlay.get_alpha(), 1.0f / 60.0f, 1e-6f) << "the fade runs sixty frames";

  // A popup of 100 frames to live is drawn in 99 frames and gone in the 100th.
  // The darkness thickens by 0.001 a frame up to 1, only where a light source is named.
  const struct { int frames; bool light; float darkness_before, darkness_after; std::size_t popups_left; } runs[] = {
      {99, true, 0.0f, 0.099f, 1}, {100, false, 0.0f, 0.0f, 0}, {3, true, 0.9995f, 1.0005f, 1}};
  for (const auto& r : runs) {
    level.current["lightsource"].set = false;
    if (r.light) level.set("lightsource", "lamp");
    const GameResult result = play({}, r.frames - 1, [&](Game& g) {
      g.popups.push_back(new ScorePopup{7, 100});
      g.darkness_alpha = r.darkness_before;
    });
    EXPECT_EQ(result.score, r.frames);
    EXPECT_NEAR(game->darkness_alpha, r.darkness_after, 1e-5f) << r.frames;
    EXPECT_EQ(game->popups.size(), r.popups_left) << r.frames;
    if (r.light) {
      EXPECT_FLOAT_EQ(game->darkness_layer.get_alpha(), game->darkness_alpha);
    }
  }
  level.current["lightsource"].set = false;

  // A worth left grown in the level data does not carry into the attempt.
  level.itemdef("coin", 10, 10, "cumulative", "no", "no");
  level.level_table["itemdef"].itemdefs["coin"].current_points = 70;
  for (int x = 200; x <= 260; x += 30) level.item(x, 300, "coin");
  level.item(3000, 300, "coin");
  play({}, 120);
  EXPECT_EQ(game->player.score, 121 + 10 + 20 + 30);
  EXPECT_EQ(game->item_defs["coin"].current_points, 10);
}

using Rgba = platform::PixelBuffer::Rgba;
namespace colour = fixture_colour;
constexpr Rgba white{255, 255, 255, 255}, text_colour{186, 85, 211, 255}, overlay_colour{0, 0, 255, 255};

// `over` drawn at alpha (taken to a byte, as the layer does) on `under`.
Rgba blend(Rgba under, Rgba over, float alpha) {
  const float a = std::round(std::clamp(alpha, 0.0f, 1.0f) * 255.0f) / 255.0f;
  const auto mix = [a](int u, int o) { return static_cast<std::uint8_t>(std::lround(u * (1.0f - a) + o * a)); };
  return {mix(under.r, over.r), mix(under.g, over.g), mix(under.b, over.b), 255};
}
bool near(Rgba a, Rgba b, int by = 3) {
  return std::abs(a.r - b.r) <= by && std::abs(a.g - b.g) <= by && std::abs(a.b - b.b) <= by;
}

// Where a colour shows in a frame: how many pixels, their mean place and their box.
struct Patch {
  Patch(const platform::PixelBuffer& pixels, Rgba colour) {
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        if (near(pixels.get_pixel(x, y), colour)) {
          ++count, mean_x += x, mean_y += y;
          box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
        }
    if (count > 0) mean_x /= count, mean_y /= count;
  }
  // "" when the patch fills the box (cut to the window) within a pixel, else where it is.
  std::string off(const platform::Rectf& wanted) const {
    const auto at = [](int edge, float place, float limit) {
      return std::abs(edge - std::clamp(place, 0.0f, limit)) <= 1;
    };
    if (at(box.left, wanted.left, 640) && at(box.top, wanted.top, 480) && at(box.right, wanted.right, 640) &&
        at(box.bottom, wanted.bottom, 480))
      return "";
    return std::to_string(count) + " pixels from " + std::to_string(box.left) + "," + std::to_string(box.top) +
           ", wanted from " + std::to_string(wanted.left) + "," + std::to_string(wanted.top);
  }
  int count = 0;
  double mean_x = 0, mean_y = 0;
  platform::Rect box{640, 480, 0, 0};
};

// Frames of attempts checked against the drawing rules of the frame loop, each
// between it and the next frame, where the state it was drawn from is still
// there (only the player's height has since moved by the ground collision).
TEST_F(Play, FramesShowEachThingWhereTheDrawingRulesPutIt) {
  constexpr Rgba ledge_colour{40, 160, 120, 255};
  FixtureTree::add_picture("ledge", "ground", 120, 40, 4, ledge_colour);
  FixtureTree::add_picture("overlay", "overlay", 12, 12, 1, overlay_colour);
  platform::ResourceManager overlay_file("images/overlay.xml");
  const struct { const char* what; int frame; std::vector<Key> keys; float darkness; std::vector<int> popups;
                 bool fading; Rgba player; } frames[] = {
      {"running", 40, {}, -1.0f, {}, false, colour::run},
      {"rising in the dark, three popups", 36, {{30, key_z}}, 0.45f, {7, 80, 900}, false, colour::jump1},
      {"fading in", 20, {}, -1.0f, {}, true, colour::run},
  };
  int checked = 0;
  for (const auto& f : frames) {
    level = LevelData();
    runway().ground(500, 120, "ledge").item(600, 250, "coin");
    if (f.darkness >= 0.0f) level.set("lightsource", "lamp");
    play(f.keys, f.frame + 1, [&](Game& g) {
      g.fade_overlay = f.fading;
      g.overlay = platform::Sprite(screen.gc, "overlay", &overlay_file);
      if (f.darkness >= 0.0f) g.darkness_alpha = f.darkness;
      for (int points : f.popups) g.popups.push_back(new ScorePopup{points, 100});
      time.seam.at_poll = [&, &g = g, look = time.seam.polls() + f.frame + 1](std::uint64_t poll) {
        if (poll != look) return;
        ++checked;
        const platform::PixelBuffer frame = screen.gc.get_pixeldata();
        const auto shown = [&](Rgba c) {
          return blend(c, colour::darkness, g.has_light_source ? g.darkness_alpha : 0);
        };
        // The player's picture, turned about its centre, its top left at (screen_x, reference height - y).
        const Patch player(frame, shown(f.player));
        const float top = g.player.reference_height - g.player.get_y();
        EXPECT_TRUE(std::abs(player.count - 54 * 54) < 150 && std::abs(player.mean_x - g.player.screen_x - 26.5) < 3 &&
                    std::abs(player.mean_y - top - 26.5) < 3)
            << f.what << ": the player " << player.off({g.player.screen_x, top, g.player.screen_x + 54, top + 54});
        // The ledge and the coin where their outlines are.
        const Ground* ledge = *std::find_if(g.grounds.begin(), g.grounds.end(), [](Ground* p) { return p->y == 120; });
        EXPECT_EQ(Patch(frame, shown(ledge_colour)).off(ledge->outline.get_bounding_box()), "") << f.what;
        EXPECT_EQ(Patch(frame, shown(colour::item)).off(g.items[0]->outline.get_bounding_box()), "") << f.what;
        // Backdrop tiles at y 0 side by side: their marks at their x in row 18, their picture down to row 47.
        std::vector<int> marks, tiles;
        for (int x = 0; x < 640; ++x)
          if (near(frame.get_pixel(x, 18), shown(colour::backdrop_mark))) marks.push_back(x);
        for (const Background* tile : g.backgrounds)
          if (tile->x > -1.0f) tiles.push_back(static_cast<int>(tile->x));  // the renderer cuts the fraction off
        EXPECT_EQ(marks, tiles) << f.what;
        const int inside = static_cast<int>(g.backgrounds[2]->x) - 10;  // in the second tile, right of the lives
        EXPECT_EQ(
            std::tuple(near(frame.get_pixel(inside, 0), shown(colour::backdrop)),
                       near(frame.get_pixel(inside, 47), shown(colour::backdrop)),
                       near(frame.get_pixel(inside, 48), shown(white)), near(frame.get_pixel(639, 479), shown(white))),
            std::tuple(true, true, true, true))
            << f.what << ": the backdrop and the darkness over white";
        // The fade overlay over everything at (0, 0), at 60/60 in the first frame down to 1/60.
        const Rgba corner =
            f.fading ? blend(shown(colour::backdrop), overlay_colour, (60 - f.frame) / 60.0f) : shown(colour::backdrop);
        EXPECT_TRUE(near(frame.get_pixel(3, 3), corner) && near(frame.get_pixel(13, 3), shown(colour::backdrop)))
            << f.what << ": the overlay";
        // Texts over the darkness: the score before this frame's point at (290, 50), the lives
        // at (20, 50), the popups from row 200 down, 30 apart: as the same texts drawn alone.
        screen.gc.clear(platform::Colorf::white);  // the next frame starts with a clear too
        platform::Font font(screen.gc, "Tahoma", 30);
        font.draw_text(screen.gc, 290, 50, std::to_string(g.player.score - 1), platform::Colorf::mediumorchid);
        font.draw_text(screen.gc, 20, 50, std::to_string(g.hud_lives), platform::Colorf::mediumorchid);
        for (int row = 200; ScorePopup * popup : g.popups)
          font.draw_text(screen.gc, 300, std::exchange(row, row + 30), std::to_string(popup->points),
                         platform::Colorf::mediumorchid);
        const platform::PixelBuffer texts = screen.gc.get_pixeldata();
        int text_pixels = 0, differing = 0;
        for (int i = 0; i < 640 * 480; ++i) {
          const bool text = near(texts.get_pixel(i % 640, i / 640), text_colour, 0);
          text_pixels += text, differing += text != near(frame.get_pixel(i % 640, i / 640), text_colour, 0);
        }
        // Edges drawn over a dark ground may miss the exact colour by a level.
        EXPECT_TRUE(text_pixels > 100 && differing <= text_pixels / 50)
            << f.what << ": " << differing << " of " << text_pixels << " text pixels differ";
      };
    });
    time.seam.at_poll = nullptr;
  }
  EXPECT_EQ(checked, 3);
}

// The first frames of an attempt show the run picture, and both jumps are
// there before the first landing; so too in the next attempt after a death.
TEST_F(Play, AnAttemptStartsRunningWithBothJumpsBeforeTheFirstLanding) {
  runway().ground(600, 250, "block");  // its side kills
  for (const char* attempt : {"first attempt", "attempt after a death"}) {
    std::vector<int> run_pixels;
    float speed_after_second_jump = 0.0f;
    const GameResult result = play({{4, key_z}, {5, -key_z}, {8, key_z}, {9, -key_z}}, -1, [&](Game& g) {
      time.seam.at_poll = [&, &g = g, base = time.seam.polls()](std::uint64_t poll) {
        if (poll > base && poll <= base + 4) run_pixels.push_back(Patch(screen.gc.get_pixeldata(), colour::run).count);
        if (poll == base + 9) speed_after_second_jump = g.player.vertical_speed;  // the second jump's frame
      };
    });
    time.seam.at_poll = nullptr;
    EXPECT_EQ(std::count_if(run_pixels.begin(), run_pixels.end(), [](int n) { return n > 2800; }), 4) << attempt;
    EXPECT_GT(speed_after_second_jump, 390.0f) << attempt;
    EXPECT_FALSE(result.won || game->player.alive) << attempt;
  }
}

// Drawing a picture that did not change uploads nothing: after the first
// frames only the score's new text is, one a frame, while the player runs and
// jumps (switching pictures), an item animates and the darkness thickens.
TEST_F(Play, AfterTheFirstFramesAFrameUploadsOnlyTheScoresNewText) {
  FixtureTree::add_item_picture("spinner");  // then made of two frames
  tree.write(
      "images/spinner.xml",
      R"(<resources><sprite name="spinner"><image file="coin.png"/><image file="spinner.png"/></sprite></resources>)");
  runway().set("lightsource", "lamp");
  for (int x = 400; x <= 1200; x += 100) level.item(x, 100, "spinner");
  std::vector<std::uint64_t> uploads;
  play({{20, key_z}, {21, -key_z}, {110, key_z}}, 160, [&](Game&) {
    time.seam.at_poll = [&, base = time.seam.polls()](std::uint64_t poll) {
      if (poll == base || poll == base + 60 || poll == base + 160)
        uploads.push_back(platform::testing::uploaded_textures(screen.gc));
    };
  });
  time.seam.at_poll = nullptr;
  ASSERT_EQ(uploads.size(), 3u);
  // At first each picture once (run, two jumps, backdrop, piece, darkness, the
  // item's two frames), the lives' 3 once and the score in every frame but 3.
  EXPECT_EQ(uploads[1] - uploads[0], 8u + 1u + 59u);
  EXPECT_EQ(uploads[2] - uploads[1], 100u) << "frames 60 to 159";
}

// The keyboard as the player has it (SDL's own events, no script): Z held in a
// jump stops floating at the press and at the release of any other key, keys
// the game has no use for among them.
TEST(HeldJump, EndsOnEveryOtherKeyDownAndUp) {
  TestScreen& screen = test_screen();
  platform::Slot down = screen.keyboard.sig_key_down().connect(&on_key_down);
  platform::Slot up = screen.keyboard.sig_key_up().connect(&on_key_up);
  auto push = [](Uint32 type, SDL_Keycode key, SDL_Scancode scancode, int repeat = 0) {
    SDL_Event event{};
    event.key = {type, 0, 0, Uint8(type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED), Uint8(repeat), 0, 0, {scancode, key, 0, 0}};
    SDL_PushEvent(&event);
    platform::KeepAlive::process(0);
  };
  const std::pair<SDL_Keycode, SDL_Scancode> others[] = {{SDLK_SPACE, SDL_SCANCODE_SPACE}, {SDLK_LEFT, SDL_SCANCODE_LEFT},
      {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT}, {SDLK_7, SDL_SCANCODE_7}, {SDLK_MUTE, SDL_SCANCODE_MUTE}};
  for (auto [key, scancode] : others) {
    push(SDL_KEYDOWN, SDLK_z, SDL_SCANCODE_Z);
    push(SDL_KEYDOWN, key, scancode);
    const bool held_after_press = jump_held;
    push(SDL_KEYDOWN, SDLK_z, SDL_SCANCODE_Z, 1);
    const bool held_again_by_repeat = jump_held;
    push(SDL_KEYUP, key, scancode);
    EXPECT_EQ(std::tuple(held_after_press, held_again_by_repeat, jump_held), std::tuple(false, true, false))
        << SDL_GetScancodeName(scancode);
    push(SDL_KEYUP, SDLK_z, SDL_SCANCODE_Z);
  }
  jump_held = jump_pressed = dash_pressed = false;
}

}  // namespace
