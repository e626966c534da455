#include <gtest/gtest.h>

#include "shipped_play.h"

// Key scripts that play the shipped levels, found with gameplay_script_search
// on the current data tree. When a level or a picture changes, search again.
namespace {

Outcome play_level(const char* level_file, const std::vector<Press>& script) {
  PlaySetup setup;
  setup.level_file = level_file;
  return play_shipped(setup, script, 6000);
}

TEST(ShippedLevels, FirstStepsIsFinishedTheSameWayEveryTime) {
  const Outcome outcome = play_level("first_steps.qel", {{131, key_z, 20}, {313, key_z, 30}, {345, key_z, 60}, {498, key_z, 20}, {648, key_z, 30}, {817, key_z, 45}, {1014, key_z, 20}, {1246, key_z, 45}, {1473, key_z, 20}, {1655, key_z, 30}, {1687, key_z, 60}, {1922, key_z, 20}});
  EXPECT_TRUE(outcome.reached_end && outcome.result.won);
  // The golden run: the same frames and score on every run and machine.
  EXPECT_EQ(outcome.frames, 2086);
  EXPECT_EQ(outcome.result.score, 3116);
}

TEST(ShippedLevels, TwilightMeadowCanBeFinished) {
  const Outcome outcome = play_level("twilight_meadow.qel", {{125, key_z, 20}, {248, key_z, 30}, {280, key_z, 60}, {434, key_z, 30}, {466, key_z, 60}, {616, key_z, 45}, {747, key_z, 30}, {779, key_z, 60}, {993, key_z, 20}, {1114, key_z, 20}, {1210, key_z, 90}, {1211, key_z, 20}, {1327, key_z, 20}, {1415, key_z, 20}, {1595, key_z, 20}, {1705, key_z, 20}, {1819, key_z, 20}});
  EXPECT_TRUE(outcome.reached_end && outcome.result.won);
}

TEST(ShippedLevels, MoonlitGladeCanBeFinished) {
  const Outcome outcome = play_level("moonlit_glade.qel", {{126, key_z, 30}, {158, key_z, 60}, {289, key_z, 30}, {321, key_z, 60}, {441, key_z, 30}, {473, key_z, 60}, {623, key_z, 90}, {797, key_z, 20}, {889, key_z, 20}, {983, key_z, 20}, {1114, key_z, 20}, {1235, key_z, 45}, {1384, key_z, 20}, {1420, key_z, 20}, {1534, key_z, 20}});
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
    {0, false, {{129, key_z, 20}, {312, key_x, 2}, {414, key_z, 30}, {446, key_z, 60}, {592, key_z, 20}, {764, key_z, 20}}},
    {0, true, {{42, key_z, 30}, {74, key_z, 60}, {232, key_z, 3}}},
    {1, false, {{129, key_z, 20}, {312, key_x, 2}, {414, key_z, 30}, {446, key_z, 60}, {592, key_z, 20}, {775, key_z, 20}}},
    {1, true, {{41, key_z, 30}, {73, key_z, 60}, {224, key_z, 20}}},
    {2, false, {{129, key_z, 20}, {312, key_x, 2}, {414, key_z, 30}, {446, key_z, 60}, {592, key_z, 20}, {766, key_z, 20}}},
    {2, true, {{41, key_z, 30}, {73, key_z, 60}, {232, key_z, 20}}},
    {3, false, {{129, key_z, 20}, {312, key_x, 2}, {414, key_z, 30}, {446, key_z, 60}, {592, key_z, 3}, {610, key_x, 2}, {739, key_z, 20}}},
    {3, true, {{41, key_z, 30}, {73, key_z, 60}}},
    {4, false, {{129, key_z, 20}, {312, key_x, 2}, {414, key_z, 30}, {446, key_z, 60}, {588, key_z, 3}, {606, key_x, 2}, {714, key_z, 20}}},
    {4, true, {{41, key_z, 30}, {73, key_z, 60}, {232, key_z, 20}}},
    {5, false, {{129, key_z, 20}, {312, key_x, 2}, {414, key_z, 30}, {446, key_z, 60}, {584, key_z, 30}, {616, key_z, 60}, {726, key_z, 20}}},
    {5, true, {{41, key_z, 30}, {73, key_z, 60}, {232, key_z, 20}}},
    {6, false, {{129, key_z, 20}, {312, key_x, 2}, {414, key_z, 30}, {446, key_z, 60}, {592, key_z, 20}}},
    {6, true, {{41, key_z, 30}, {73, key_z, 60}}},
    {7, false, {{129, key_z, 20}, {312, key_x, 2}, {414, key_z, 30}, {446, key_z, 60}, {592, key_z, 45}, {748, key_z, 20}}},
    {7, true, {{41, key_z, 30}, {73, key_z, 60}}},
    {8, false, {{129, key_z, 20}, {312, key_x, 2}, {414, key_z, 30}, {446, key_z, 60}, {592, key_z, 90}, {761, key_z, 20}}},
    {8, true, {{41, key_z, 30}, {73, key_z, 60}, {232, key_z, 20}}},
    {9, false, {{129, key_z, 20}, {312, key_x, 2}, {414, key_z, 30}, {446, key_z, 60}, {588, key_z, 10}, {600, key_x, 2}, {681, key_z, 20}}},
    {9, true, {{41, key_z, 30}, {73, key_z, 60}, {232, key_z, 45}}},
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
