// Finds a key script that finishes a shipped level (or crosses a part of the
// endless level), by growing the script one move at a time where the last
// attempt failed. Not a test: run by hand when a level changes, and paste the
// printed script into shipped_levels_test.cpp.
//   gameplay_script_search first_steps.qel
//   gameplay_script_search endless <pattern> <start|full>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "shipped_play.h"

namespace {

using Move = std::vector<Press>;

std::vector<Move> moves_at(int t) {
  return {
      {{t, key_z, 20}},
      {{t, key_z, 45}},
      {{t, key_z, 3}},
      {{t, key_x, 2}},
      {{t, key_z, 30}, {t + 32, key_z, 60}},
      {{t, key_z, 90}},
      {{t, key_z, 3}, {t + 15, key_z, 3}},
      {{t, key_z, 10}, {t + 12, key_x, 2}},
      {{t, key_z, 3}, {t + 18, key_x, 2}},
      {{t, key_z, 30}, {t + 20, key_x, 2}},
      {{t, key_z, 45}, {t + 28, key_x, 2}},
  };
}

// Distance to the last piece stood on; the distance of a fall counts for little.
double progress(const Outcome& outcome) {
  return outcome.reached_end ? 1e9 : outcome.ground_distance + 0.001 * outcome.distance;
}

int last_start(const std::vector<Press>& script) {
  int last = -1;
  for (const Press& p : script) last = std::max(last, p.frame);
  return last;
}

void print(const std::vector<Press>& script, const Outcome& outcome) {
  std::printf("  // %d frames, score %d, %s\n  {", outcome.frames, outcome.result.score,
              outcome.reached_end ? "reached the end" : "NOT finished");
  for (const Press& p : script) std::printf("{%d, %s, %d}, ", p.frame, p.key == key_z ? "key_z" : "key_x", p.hold);
  std::printf("}\n");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <level.qel> | endless <pattern> <start|full>\n", argv[0]);
    return 2;
  }
  PlaySetup setup;
  int limit = 6000;
  if (std::string(argv[1]) == "endless") {
    if (argc < 4) return 2;
    const int pattern = std::atoi(argv[2]);
    setup.level_file = "endless.qel";
    setup.calendar = second_for_endless_pattern(pattern);
    setup.full_speed = std::string(argv[3]) == "full";
    setup.endless_goal = endless_goal_for_pattern(pattern);
    limit = 3000;
  } else {
    setup.level_file = argv[1];
  }

  auto parse = [](const char* text) {
    std::vector<Press> presses;
    std::istringstream in(text ? text : "");
    int frame, hold;
    std::string key;
    while (in >> frame >> key >> hold) presses.push_back({frame, key == "z" ? key_z : key_x, hold});
    return presses;
  };
  // SEED_SCRIPT (same form) starts the search from known presses.
  std::vector<Press> script = parse(std::getenv("SEED_SCRIPT"));
  Outcome outcome = play_shipped(setup, script, limit);
  int window = 60;
  while (!outcome.reached_end) {
    const int failed_at = outcome.ground_frame;
    const int earliest = std::max(last_start(script) + 1, failed_at - window);
    const int horizon = std::min(limit, failed_at + 200);
    // Moves in order of preference; the first that carries the player safely
    // past its last piece and keeps it alive to the horizon is taken, else
    // the one that got furthest.
    std::vector<Press> best_script;
    Outcome best = outcome;
    bool safe = false;
    for (std::size_t m = 0; m < moves_at(0).size() && !safe; ++m) {
      for (int t = failed_at + 3; t >= earliest && !safe; t -= 3) {
        std::vector<Press> candidate = script;
        const Move move = moves_at(t)[m];
        candidate.insert(candidate.end(), move.begin(), move.end());
        const Outcome tried = play_shipped(setup, candidate, horizon);
        if (progress(tried) > progress(best)) {
          best = tried;
          best_script = candidate;
        }
        // Safe: it stood on a piece well beyond the old one (or lived on).
        safe = tried.reached_end || tried.ground_distance > outcome.ground_distance + 300.0f ||
               (tried.alive && tried.frames >= horizon && tried.ground_distance > outcome.ground_distance + 150.0f);
      }
    }
    if (best_script.empty()) {
      if (script.empty() || window > 300) {
        std::printf("no script found; best so far:\n");
        print(script, outcome);
        return 1;
      }
      // Undo the last move and look further back.
      script.pop_back();
      window += 60;
      outcome = play_shipped(setup, script, limit);
      continue;
    }
    script = best_script;
    window = 60;
    outcome = play_shipped(setup, script, limit);
    std::fprintf(stderr, "progress: frame %d, distance %.0f:", outcome.frames, outcome.distance);
    for (const Press& p : script) std::fprintf(stderr, " %d %s %d", p.frame, p.key == key_z ? "z" : "x", p.hold);
    std::fprintf(stderr, "\n");
  }
  print(script, outcome);
  return 0;
}
