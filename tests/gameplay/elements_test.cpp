#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "fixture.h"

namespace {

struct Elements : ::testing::Test {
  TestScreen& screen = test_screen();
  VirtualTime time;
  FixtureTree tree;
};

std::string message_of(const std::function<void()>& build) {
  try {
    build();
  } catch (const char* message) {
    return message;
  } catch (const std::exception& error) {
    return std::string("exception: ") + error.what();
  }
  return "(nothing thrown)";
}

// A missing sprite is each kind's own message; a missing outline picture is the platform layer's error.
TEST_F(Elements, LoadFailuresKeepTheirOwnMessages) {
  FixtureTree::write_sprite_file("images/nameless.xml", {{"something", "flat.png"}});
  auto ground = [&](const char* xml, const char* out) { Ground(xml, out, 4, nullptr, screen.gc, 0, 0, 1); };
  auto item = [&](const char* xml, const char* out) { Item("coin", "coin", xml, out, screen.gc, 0, 0, 1, 0, 0); };
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { Background("images/nameless.xml", screen.gc, 0, 3); }, "Could not load background sprite (check that you "
                                                                   "have <background>.xml and <background>.png files"},
      {[&] { Background("images/missing.xml", screen.gc, 0, 3); }, "Could not load background sprite ("},
      {[&] { ground("images/nameless.xml", "images/flat_out.png"); }, "Could not load ground sprite (check that you "
                                                                     "have <ground>.xml, <ground>.png and <ground>_out"},
      {[&] { item("images/nameless.xml", "images/coin_out.png"); }, "Could not load Item sprite (check that you have "
                                                                   "<item>.xml, <item>.png and <item>_out.png (= outline"},
      {[&] { ground("images/flat.xml", "images/none_out.png"); }, "exception: "},
      {[&] { item("images/coin.xml", "images/none_out.png"); }, "exception: "},
      {[&] { Unicorn("images/nameless.xml", screen.gc, 0, 200, 1, 400); }, "exception: Could not load unicorn sprite"},
  };
  for (const auto& [build, expected] : cases) EXPECT_EQ(message_of(build).substr(0, expected.size()), expected);
  std::filesystem::remove("images/unicorn_outline_middle.png");
  EXPECT_THROW(Unicorn("images/pony/pony.xml", screen.gc, 0, 200, 1, 400), platform::Exception);
}

// A broken resource file: each kind keeps its own message, and the parser's
// reason and position, naming the file, comes with it (in the message where it
// is a std::runtime_error, on the error stream just before a fixed C-string).
TEST_F(Elements, BrokenResourceFilesGiveTheParsersReasonAndPosition) {
  tree.write("images/broken.xml", "<resources>\n<sprite name=\"ground\">\n</resources>\n");
  const std::string reason = "Resource file 'images/broken.xml' is not valid XML: Start-end tags mismatch at line 3";
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { Background("images/broken.xml", screen.gc, 0, 3); }, "Could not load background sprite (check"},
      {[&] { Ground("images/broken.xml", "images/flat_out.png", 4, nullptr, screen.gc, 0, 0, 1); },
       "Could not load ground sprite (check"},
      {[&] { Item("coin", "coin", "images/broken.xml", "images/coin_out.png", screen.gc, 0, 0, 1, 0, 0); },
       "Could not load Item sprite (check"},
  };
  for (const auto& [build, expected] : cases) {
    testing::internal::CaptureStderr();
    const std::string message = message_of(build);
    EXPECT_EQ(message.substr(0, expected.size()), expected);
    EXPECT_EQ(testing::internal::GetCapturedStderr().substr(0, reason.size()), reason) << expected;
  }
  EXPECT_EQ(message_of([&] { Unicorn("images/broken.xml", screen.gc, 0, 200, 1, 400); }).substr(0, 42 + reason.size()),
            "exception: Could not load unicorn sprite: " + reason);
}

// A move goes by dx / z, so the backdrop at depth 3 scrolls a third as far.
// A ground piece's outline is shifted by what its scale adds about the
// centre, the player's by 1.8 times, an item's not at all.
TEST_F(Elements, MovesDivideByTheDepthAndOutlinesAreAlignedByTheirScale) {
  Item coin("coin", "coin", "images/coin.xml", "images/coin_out.png", screen.gc, 100.0f, 10.0f, 1.0f, false, false);
  for (auto [z, dx, x] : {std::tuple{3.0f, -30.0f, 90.0f}, {1.0f, -30.0f, 70.0f}, {3.0f, 0.0f, 100.0f}}) {
    Background tile("images/background.xml", screen.gc, 100.0f, z);
    tile.move(dx);
    coin.set_x(100.0f), coin.set_z(z), coin.move(dx);
    EXPECT_EQ(std::tuple(tile.x, tile.y, tile.z, coin.x, coin.y), std::tuple(x, 0.0f, z, x, 10.0f))
        << z << ' ' << dx;
  }
  FixtureTree::add_picture("slab", "ground", 200, 80, 4);
  Ground slab("images/slab.xml", "images/slab_out.png", 4.0f, nullptr, screen.gc, 10.0f, 20.0f, 1.0f);
  Unicorn player("images/pony/pony.xml", screen.gc, 0.0f, 200.0f, 1.0f, 400.0f);
  std::vector<std::tuple<platform::Origin, float, float>> alignments;
  for (const platform::CollisionOutline& outline :
       {slab.get_outline(), coin.get_outline(), player.get_upper_outline(), player.get_middle_outline(),
        player.get_lower_outline()}) {
    platform::Origin origin = platform::origin_center;
    float x_offset = -1.0f, y_offset = -1.0f;
    outline.get_alignment(origin, x_offset, y_offset);
    alignments.emplace_back(origin, x_offset, y_offset);
  }
  using A = std::tuple<platform::Origin, float, float>;
  const platform::Origin top_left = platform::origin_top_left;
  // The piece's 50x20 outline at scale 4; the coin's; the player's three 30x30 ones, head, body, feet.
  EXPECT_EQ(alignments, (std::vector<A>{{top_left, 75.0f, 30.0f}, {top_left, 0.0f, 0.0f}, {top_left, 12.0f, 12.0f},
                                        {top_left, 12.0f, 12.0f}, {top_left, 12.0f, 12.0f}}));
}

struct Player : Elements {
  Unicorn unicorn{"images/pony/pony.xml", screen.gc, 0.0f, 200.0f, 1.0f, 400.0f};
};

TEST_F(Player, UpdateCountsTheDashDownAndChoosesThePicture) {
  using Picture = platform::Sprite Unicorn::*;
  // dash timer, jumps used, vertical speed, animation changed before; picture shown, dashing and changed after
  const struct { int dash_timer, jumps_used; float vertical_speed; bool changed_before; Picture shown;
                 bool dashing_after, changed_after; } cases[] = {
      {2, 0, 0.0f, false, &Unicorn::dash_sprite, true, false},    // still dashing
      {1, 0, 0.0f, false, &Unicorn::run_sprite, false, true},     // dash ends on the ground
      {1, 1, 0.0f, false, &Unicorn::jump2_sprite, false, true},   // dash ends in the air
      {0, 1, 100.5f, false, &Unicorn::jump1_sprite, false, true}, // rising
      {0, 1, 100.0f, false, &Unicorn::jump2_sprite, false, true}, // falling
      {0, 0, 0.0f, true, &Unicorn::run_sprite, false, false},     // landed
  };
  for (const auto& c : cases) {
    unicorn.dash_timer = c.dash_timer;
    unicorn.dashing = c.dash_timer > 0;
    unicorn.jumps_used = c.jumps_used;
    unicorn.vertical_speed = c.vertical_speed;
    unicorn.animation_changed = c.changed_before;
    unicorn.current_sprite.set_image_data(unicorn.dash_sprite);
    unicorn.update(0.0f);
    // The one picture of the four that the player shows.
    int pictures_shown = 0;
    for (Picture p : {&Unicorn::run_sprite, &Unicorn::jump1_sprite, &Unicorn::jump2_sprite, &Unicorn::dash_sprite})
      pictures_shown += unicorn.current_sprite.same_image_data(unicorn.*p);
    const bool shown = unicorn.current_sprite.same_image_data(unicorn.*c.shown) && pictures_shown == 1;
    EXPECT_EQ(std::tuple(unicorn.dash_timer, shown, unicorn.dashing, unicorn.animation_changed),
              std::tuple(std::max(0, c.dash_timer - 1), true, c.dashing_after, c.changed_after))
        << "case " << &c - cases;
  }
  // The tilt follows the vertical speed; the outlines sit at the screen column.
  for (auto [speed, tilt] : {std::pair{400.0f, -0.294f}, {-300.0f, 0.288f}, {0.0f, 0.0f}}) {
    unicorn.vertical_speed = speed;
    unicorn.set_x(5000.0f);
    EXPECT_NEAR(unicorn.current_sprite.get_angle().to_radians(), tilt, 0.001f) << speed;
  }
  EXPECT_NEAR(unicorn.get_upper_outline().get_bounding_box().left, 0.0f, 1.5f);
}

TEST_F(Player, HighDashIsDampedOnlyWhileDashing) {
  // Dash timer, height before and after the step, speed after it: braked only above 500.
  for (auto [timer, from, to, speed] : {std::tuple{5, 510.0f, 516.0f, 200.0f}, {0, 510.0f, 514.0f, 400.0f},
                                        {5, 496.0f, 500.0f, 400.0f}}) {
    unicorn.dash_timer = timer;
    unicorn.set_y(from);
    unicorn.vertical_speed = 400.0f;
    unicorn.update(0.01f);
    EXPECT_EQ(std::pair(unicorn.vertical_speed, unicorn.get_y()), std::pair(speed, to)) << from;
  }
}

}  // namespace
