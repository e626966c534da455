#include "shipped_play.h"

Outcome play_shipped(const PlaySetup& setup, const std::vector<Press>& script, int frame_limit) {
  TestScreen& screen = test_screen();
  platform::VirtualSeam seam(1000, setup.calendar);
  platform::ScopedSeam installed(seam);
  ScopedDirectory in_tree(MORVANE_DATA_TREE);
  release_keys(seam);

  DataFile level;
  level.load_level(setup.level_file);
  Game game(screen.gc, screen.keyboard, screen.window, level, false, 3, platform::Sprite());
  if (setup.full_speed) game.speed_bonus = static_cast<float>(game.max_speed);
  if (setup.endless_goal >= 0) game.end_x = setup.endless_goal;
  Outcome outcome;

  const std::uint64_t start = seam.polls();
  for (const Press& press : script) {
    seam.key_at_poll(start + press.frame, press.key, true);
    seam.key_at_poll(start + press.frame + press.hold, press.key, false);
  }
  seam.key_at_poll(start + frame_limit, key_escape, true);

  outcome.result = game.run();
  outcome.frames = static_cast<int>(seam.polls() - start);
  outcome.distance = game.player.get_x();
  outcome.alive = game.player.alive && game.player.reference_height - game.player.get_y() < 600.0f;
  outcome.reached_end = outcome.alive && game.end_x != -1 && outcome.distance >= static_cast<float>(game.end_x);
  release_keys(seam);
  return outcome;
}

std::time_t second_for_endless_pattern(int pattern) {
  return first_second([&] { return std::rand() % 10 == pattern; });
}

int endless_goal_for_pattern(int pattern) {
  // The opening ends at 3000 + 1000; a chunk of patterns 0 and 5 is 1500 long, others 1000; then 300 onto
  // the next chunk's first piece.
  return 4300 + (pattern == 0 || pattern == 5 ? 1500 : 1000);
}
