// Frame cost and memory of the endless level, headless, on the virtual clock
// (the 10 ms sleep of a frame costs nothing there). Run from any folder: it
// changes into the built data tree.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include <unistd.h>

#include "gameplay/game.h"
#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Screen {
  Screen() : sound_output(44100, 256) {
    platform::DisplayWindowDescription description;
    description.set_title("Morvane");
    description.set_size(640, 480, true);
    window = platform::DisplayWindow(description);
    gc = window.get_gc();
    keyboard = window.get_keyboard();
  }
  platform::SetupCore core;
  platform::SetupDisplay display;
  platform::SetupGL1 gl;
  platform::SetupSound sound_setup;
  platform::SetupVorbis vorbis_setup;
  platform::SoundOutput sound_output;
  platform::DisplayWindow window;
  platform::GraphicContext gc;
  platform::InputDevice keyboard;
};

Screen& screen() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  static Screen instance;
  return instance;
}

long resident_kb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Plays `frames` frames of the endless level at full speed. The player is
// held at the top of the screen, above every chunk, so the run never ends
// early; a new calendar second every 37 frames varies the chunks.
struct EndlessRun {
  std::vector<double> frame_us;
  std::vector<double> chunk_frame_us;
  long rss_after_one_minute_kb = 0;
  long rss_at_end_kb = 0;
};

EndlessRun play_endless(std::uint64_t frames) {
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(MORVANE_DATA_TREE);
  platform::VirtualSeam seam;
  platform::ScopedSeam installed(seam);
  Screen& s = screen();
  DataFile level;
  level.load_level("endless.qel");

  EndlessRun run;
  {
    Game game(s.gc, s.keyboard, s.window, level, false, 3, platform::Sprite());
    game.gravity = game.held_gravity = 20.0f;
    game.player.set_y(540.0f);
    game.speed_bonus = static_cast<float>(game.max_speed);

    // One marker key a frame, each scheduled by the one before, so the key
    // script stays short.
    seam.key_now(65, true);
    run.frame_us.reserve(frames);
    Clock::time_point frame_start;
    const Ground* last_piece = nullptr;
    bool chunk_made = false;
    std::uint64_t frame = 0;
    platform::Slot observer = s.keyboard.sig_key_down().connect(
        [&](const platform::InputEvent& event, const platform::InputState&) {
          if (event.id != 65) return;
          const Clock::time_point now = Clock::now();
          if (frame > 0) {
            const double us = std::chrono::duration<double, std::micro>(now - frame_start).count();
            run.frame_us.push_back(us);
            chunk_made = !game.grounds.empty() && game.grounds.back() != last_piece;
            if (chunk_made && frame > 1) run.chunk_frame_us.push_back(us);
          }
          if (!game.grounds.empty()) last_piece = game.grounds.back();
          seam.set_calendar_time(1700000000 + static_cast<std::time_t>(frame / 37));
          if (frame == 6000) run.rss_after_one_minute_kb = resident_kb();
          ++frame;
          seam.key_now(frame >= frames ? 27 : 65, true);
          frame_start = Clock::now();
        });
    game.run();
    run.rss_at_end_kb = resident_kb();
    platform::KeepAlive::process(0);
  }
  seam.key_now(27, false);
  platform::KeepAlive::process(0);
  std::filesystem::current_path(previous);
  return run;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(p * (values.size() - 1))];
}

double mean(const std::vector<double>& values) {
  if (values.empty()) return 0.0;
  double sum = 0.0;
  for (double v : values) sum += v;
  return sum / values.size();
}

void BM_EndlessFrame(benchmark::State& state) {
  EndlessRun run;
  for (auto _ : state) run = play_endless(10000);
  state.counters["frames"] = static_cast<double>(run.frame_us.size());
  state.counters["frame_mean_us"] = mean(run.frame_us);
  state.counters["frame_p50_us"] = percentile(run.frame_us, 0.50);
  state.counters["frame_p90_us"] = percentile(run.frame_us, 0.90);
  state.counters["frame_p99_us"] = percentile(run.frame_us, 0.99);
  state.counters["chunk_frames"] = static_cast<double>(run.chunk_frame_us.size());
  state.counters["chunk_frame_mean_us"] = mean(run.chunk_frame_us);
  state.counters["chunk_frame_max_us"] = percentile(run.chunk_frame_us, 1.0);
}
BENCHMARK(BM_EndlessFrame)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_EndlessMemoryTenMinutes(benchmark::State& state) {
  EndlessRun run;
  for (auto _ : state) run = play_endless(60000);
  state.counters["rss_1min_kb"] = static_cast<double>(run.rss_after_one_minute_kb);
  state.counters["rss_10min_kb"] = static_cast<double>(run.rss_at_end_kb);
  state.counters["growth_kb"] = static_cast<double>(run.rss_at_end_kb - run.rss_after_one_minute_kb);
}
BENCHMARK(BM_EndlessMemoryTenMinutes)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
