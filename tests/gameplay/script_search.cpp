// Finds a key script that finishes a shipped level (or crosses the opening and one chunk of the endless
// level), growing it one move at a time where the last attempt left its last piece. Not a test: run by hand
// when a level changes and paste the printed script into shipped_levels_test.cpp.
//   gameplay_script_search first_steps.qel | endless <pattern> <start|full>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "shipped_play.h"

int main(int argc, char** argv) {
  const bool endless = argc > 1 && std::string(argv[1]) == "endless";
  if (argc < (endless ? 4 : 2)) {
    std::fprintf(stderr, "usage: %s <level.qel> | endless <pattern> <start|full>\n", argv[0]);
    return 2;
  }
  const int pattern = endless ? std::atoi(argv[2]) : 0, limit = endless ? 3000 : 6000;
  const PlaySetup setup = endless ? PlaySetup{"endless.qel", std::string(argv[3]) == "full",
                                              second_for_endless_pattern(pattern), endless_goal_for_pattern(pattern)}
                                  : PlaySetup{argv[1]};
  // Distance to the last piece stood on; the distance of a fall counts for little.
  auto progress = [](const Outcome& o) { return o.reached_end ? 1e9 : o.ground_distance + 0.001 * o.distance; };
  std::vector<Press> script;
  Outcome outcome = play_shipped(setup, script, limit);
  for (int window = 60; !outcome.reached_end;) {
    const int failed_at = outcome.ground_frame, horizon = std::min(limit, failed_at + 200);
    int earliest = failed_at - window;
    for (const Press& p : script) earliest = std::max(earliest, p.frame + 1);
    // Moves in order of preference; the first that carries the player well past its last piece (or keeps it
    // alive to the horizon) is taken, else the one that got furthest.
    std::vector<Press> best_script;
    Outcome best = outcome;
    bool safe = false;
    for (int m = 0; m < 11 && !safe; ++m) {
      for (int t = failed_at + 3; t >= earliest && !safe; t -= 3) {
        const std::vector<std::vector<Press>> moves = {
            {{t, key_z, 20}}, {{t, key_z, 45}}, {{t, key_z, 3}}, {{t, key_x, 2}},
            {{t, key_z, 30}, {t + 32, key_z, 60}}, {{t, key_z, 90}}, {{t, key_z, 3}, {t + 15, key_z, 3}},
            {{t, key_z, 10}, {t + 12, key_x, 2}}, {{t, key_z, 3}, {t + 18, key_x, 2}},
            {{t, key_z, 30}, {t + 20, key_x, 2}}, {{t, key_z, 45}, {t + 28, key_x, 2}}};
        std::vector<Press> candidate = script;
        candidate.insert(candidate.end(), moves[m].begin(), moves[m].end());
        const Outcome tried = play_shipped(setup, candidate, horizon);
        if (progress(tried) > progress(best)) best = tried, best_script = candidate;
        const float gained = tried.ground_distance - outcome.ground_distance;
        safe = tried.reached_end || gained > 300.0f || (tried.alive && tried.frames >= horizon && gained > 150.0f);
      }
    }
    const bool stuck = best_script.empty();
    if (stuck && (script.empty() || window > 300)) break;
    if (stuck) script.pop_back();  // undo the last move and look further back
    window = stuck ? window + 60 : 60;
    if (!stuck) script = best_script;
    outcome = play_shipped(setup, script, limit);
    std::fprintf(stderr, "progress: frame %d, distance %.0f, %zu presses\n", outcome.frames, outcome.distance, script.size());
  }
  std::printf("  // %d frames, score %d, %s\n  {", outcome.frames, outcome.result.score,
              outcome.reached_end ? "reached the end" : "NOT finished");
  for (const Press& p : script) std::printf("{%d, %s, %d}, ", p.frame, p.key == key_z ? "key_z" : "key_x", p.hold);
  std::printf("}\n");
  return outcome.reached_end ? 0 : 1;
}
