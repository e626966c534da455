#pragma once
#include <ctime>
#include <string>
#include <vector>

#include "fixture.h"

// A key held from `frame` for `hold` frames (0-based frames of one attempt).
struct Press { int frame, key, hold; };

// What to play: a shipped level file, optionally started at full speed, with a
// fixed calendar second (which fixes the endless level's chunks) and an end
// position for the endless level, which has none of its own.
struct PlaySetup {
  std::string level_file;
  bool full_speed = false;
  std::time_t calendar = 1700000000;
  int endless_goal = -1;
};

struct Outcome {
  GameResult result;
  int frames = 0;
  float distance = 0.0f;
  bool alive = false, reached_end = false;
};

// Plays one attempt in the shipped data tree, ending it with ESC after
// frame_limit frames at the latest.
Outcome play_shipped(const PlaySetup& setup, const std::vector<Press>& script, int frame_limit);

// The second whose first draw chooses the pattern.
std::time_t second_for_endless_pattern(int pattern);
// Where a player has crossed the opening and one chunk of the pattern and
// stands on the next chunk's first piece.
int endless_goal_for_pattern(int pattern);
