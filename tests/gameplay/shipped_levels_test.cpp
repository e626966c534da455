#include <gtest/gtest.h>

#include <algorithm>

#include "shipped_play.h"

// Key scripts that play the shipped levels, found with gameplay_script_search
// on the current data tree. When a level or a picture changes, search again.
namespace {

Outcome play_level(const char* level_file, const std::vector<Press>& script) {
  PlaySetup setup;
  setup.level_file = level_file;
  return play_shipped(setup, script, 6000);
}

// The shipped outlines tilt with the jump; the hooves must not swing into the
// ground on take-off, which would land the unicorn at once at half height.
TEST(ShippedLevels, TappedJumpFromFlatGroundReachesFullHeight) {
  PlaySetup setup;
  setup.level_file = "first_steps.qel";
  int frame = 0;
  float take_off = 0.0f, peak = 0.0f;
  setup.each_frame = [&](Game& g) {
    if (frame == 131) take_off = g.player.y;
    if (frame > 131) peak = std::max(peak, g.player.y);
    ++frame;
  };
  play_shipped(setup, {{131, key_z, 3}}, 175);
  EXPECT_NEAR(peak - take_off, 80.0f, 5.0f);
}

TEST(ShippedLevels, FirstStepsIsFinishedTheSameWayEveryTime) {
  const Outcome outcome = play_level("first_steps.qel", {{133, key_z, 20}, {312, key_z, 20}, {382, key_z, 20}, {502, key_z, 20}, {670, key_z, 20}, {793, key_z, 20}, {896, key_z, 20}, {1016, key_z, 20}, {1151, key_z, 20}, {1203, key_z, 20}, {1330, key_z, 20}, {1474, key_z, 20}, {1636, key_z, 20}, {1736, key_z, 20}, {1924, key_z, 20}});
  EXPECT_TRUE(outcome.reached_end && outcome.result.won);
  // The golden run: the same frames and score on every run and machine.
  EXPECT_EQ(outcome.frames, 2086);
  EXPECT_EQ(outcome.result.score, 3246);
}

TEST(ShippedLevels, TwilightMeadowCanBeFinished) {
  const Outcome outcome = play_level("twilight_meadow.qel", {{131, key_z, 20}, {265, key_z, 20}, {371, key_z, 45}, {516, key_z, 3}, {621, key_z, 20}, {754, key_z, 20}, {882, key_z, 20}, {997, key_z, 20}, {1115, key_z, 20}, {1246, key_z, 20}, {1318, key_z, 20}, {1413, key_z, 20}, {1594, key_z, 20}, {1707, key_z, 20}, {1821, key_z, 20}});
  EXPECT_TRUE(outcome.reached_end && outcome.result.won);
}

TEST(ShippedLevels, MoonlitGladeCanBeFinished) {
  const Outcome outcome = play_level("moonlit_glade.qel", {{129, key_z, 20}, {254, key_z, 20}, {416, key_z, 20}, {543, key_z, 20}, {636, key_z, 3}, {651, key_z, 3}, {755, key_z, 20}, {868, key_z, 20}, {982, key_z, 20}, {1116, key_z, 20}, {1237, key_z, 45}, {1362, key_z, 45}, {1439, key_z, 20}, {1563, key_z, 20}});
  EXPECT_TRUE(outcome.reached_end && outcome.result.won);
}

// The endless level with every chunk of one pattern (a fixed calendar
// second): the opening and one whole chunk are crossed, landing on the next.
struct EndlessCrossing {
  int pattern;
  bool full_speed;
  std::vector<Press> script;
};

const EndlessCrossing endless_crossings[] = {
    {0, false, {{131, key_z, 20}, {311, key_z, 20}, {474, key_z, 20}, {601, key_z, 20}, {779, key_z, 20}}},
    {0, true, {{47, key_z, 20}, {175, key_z, 20}, {210, key_z, 20}}},
    {1, false, {{131, key_z, 20}, {311, key_z, 20}, {474, key_z, 20}, {601, key_z, 20}, {802, key_z, 20}}},
    {1, true, {{47, key_z, 20}, {175, key_z, 20}, {201, key_z, 20}}},
    {2, false, {{131, key_z, 20}, {311, key_z, 20}, {474, key_z, 20}, {601, key_z, 20}, {794, key_z, 20}}},
    {2, true, {{47, key_z, 20}, {175, key_z, 20}, {231, key_z, 20}}},
    {3, false, {{131, key_z, 20}, {311, key_z, 20}, {474, key_z, 20}, {601, key_z, 45}, {794, key_z, 20}}},
    {3, true, {{47, key_z, 20}, {175, key_z, 20}}},
    {4, false, {{131, key_z, 20}, {311, key_z, 20}, {474, key_z, 20}, {601, key_z, 20}, {769, key_z, 20}}},
    {4, true, {{47, key_z, 20}, {175, key_z, 20}, {231, key_z, 20}}},
    {5, false, {{131, key_z, 20}, {311, key_z, 20}, {474, key_z, 20}, {601, key_z, 45}, {753, key_z, 45}}},
    {5, true, {{47, key_z, 20}, {175, key_z, 20}, {231, key_z, 20}}},
    {6, false, {{131, key_z, 20}, {311, key_z, 20}, {474, key_z, 20}, {601, key_z, 20}}},
    {6, true, {{47, key_z, 20}, {175, key_z, 20}}},
    {7, false, {{131, key_z, 20}, {311, key_z, 20}, {474, key_z, 20}, {601, key_z, 45}, {767, key_z, 20}}},
    {7, true, {{47, key_z, 20}, {175, key_z, 20}, {231, key_z, 20}}},
    {8, false, {{131, key_z, 20}, {311, key_z, 20}, {474, key_z, 20}, {601, key_z, 30}, {633, key_z, 60}, {784, key_z, 20}}},
    {8, true, {{47, key_z, 20}, {175, key_z, 20}, {231, key_z, 20}}},
    {9, false, {{131, key_z, 20}, {311, key_z, 20}, {474, key_z, 20}, {601, key_z, 20}, {736, key_z, 20}}},
    {9, true, {{47, key_z, 20}, {175, key_z, 20}, {231, key_z, 20}}},
};

class EndlessLevel : public ::testing::TestWithParam<EndlessCrossing> {};

TEST_P(EndlessLevel, OpeningAndChunkCanBeCrossed) {
  const EndlessCrossing& crossing = GetParam();
  PlaySetup setup;
  setup.level_file = "endless.qel";
  setup.calendar = second_for_endless_pattern(crossing.pattern);
  setup.full_speed = crossing.full_speed;
  setup.endless_goal = endless_goal_for_pattern(crossing.pattern);
  const Outcome outcome = play_shipped(setup, crossing.script, 3000);
  EXPECT_TRUE(outcome.reached_end && outcome.result.won);
}

INSTANTIATE_TEST_SUITE_P(EveryPattern, EndlessLevel, ::testing::ValuesIn(endless_crossings),
                         [](const ::testing::TestParamInfo<EndlessCrossing>& info) {
                           return "Pattern" + std::to_string(info.param.pattern) +
                                  (info.param.full_speed ? "FullSpeed" : "StartingSpeed");
                         });

}  // namespace
