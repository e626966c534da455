#include <gtest/gtest.h>

#include "shipped_play.h"

// Key scripts that play the shipped levels on the current data tree, found by
// trying jumps and dashes where the last attempt failed. When a level or a
// picture changes, they must be found again.
namespace {

// Z pressed at `frame` and held for `hold` frames.
struct Jump { int frame, hold = 20; };

std::vector<Press> jumps(const std::vector<Jump>& prefix, const std::vector<Jump>& rest = {}) {
  std::vector<Press> script;
  for (const auto* part : {&prefix, &rest})
    for (const Jump& j : *part) script.push_back({j.frame, key_z, j.hold});
  return script;
}

bool finished(const Outcome& outcome) { return outcome.reached_end && outcome.result.won; }

TEST(ShippedLevels, EachCanBeFinishedAndFirstStepsTheSameWayEveryTime) {
  const std::pair<const char*, std::vector<Jump>> levels[] = {
      {"first_steps.qel", {{133}, {312}, {382}, {502}, {670}, {793}, {896}, {1016}, {1151}, {1203}, {1330}, {1474}, {1636}, {1736}, {1924}}},
      {"twilight_meadow.qel", {{131}, {265}, {371, 45}, {516, 3}, {621}, {754}, {882}, {997}, {1115}, {1246}, {1318}, {1413}, {1594}, {1707}, {1821}}},
      {"moonlit_glade.qel", {{129}, {254}, {416}, {543}, {636, 3}, {651, 3}, {755}, {868}, {982}, {1116}, {1237, 45}, {1362, 45}, {1439}, {1563}}}};
  for (const auto& [file, script] : levels) {
    const Outcome outcome = play_shipped({file}, jumps(script), 6000);
    EXPECT_TRUE(finished(outcome)) << file;
    // The golden run: the same frames and score on every run and machine.
    if (file == levels[0].first) {
      EXPECT_EQ(std::pair(outcome.frames, outcome.result.score), std::pair(2086, 3246));
    }
  }
}

// The endless level with every chunk of one pattern (a fixed calendar
// second): the opening and one whole chunk are crossed, landing on the next.
// Per pattern, the last jumps at the starting speed and at full speed, after
// the jumps that every script of that speed begins with.
const std::vector<Jump> endless_endings[10][2] = {
    {{{601}, {779}}, {{210}}},           {{{601}, {802}}, {{201}}},       {{{601}, {794}}, {{231}}},
    {{{601, 45}, {794}}, {}},            {{{601}, {769}}, {{231}}},       {{{601, 45}, {753, 45}}, {{231}}},
    {{{601}}, {}},                       {{{601, 45}, {767}}, {{231}}},   {{{601, 30}, {633, 60}, {784}}, {{231}}},
    {{{601}, {736}}, {{231}}},
};

class EndlessLevel : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(EndlessLevel, OpeningAndChunkCanBeCrossed) {
  const auto [pattern, full_speed] = GetParam();
  const PlaySetup setup{"endless.qel", full_speed, second_for_endless_pattern(pattern), endless_goal_for_pattern(pattern)};
  const std::vector<Jump>& ending = endless_endings[pattern][full_speed];
  const auto script = full_speed ? jumps({{47}, {175}}, ending) : jumps({{131}, {311}, {474}}, ending);
  EXPECT_TRUE(finished(play_shipped(setup, script, 3000)));
}

INSTANTIATE_TEST_SUITE_P(EveryPattern, EndlessLevel, ::testing::Combine(::testing::Range(0, 10), ::testing::Bool()));

}  // namespace
