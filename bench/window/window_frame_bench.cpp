// Frame period, the sleep inside it and the CPU a frame costs in the real
// window, during scripted endless play on the real clock. Needs a display;
// run_window_bench.sh starts a virtual one (Xvfb, so no GPU: OpenGL there is
// Mesa's software rasterizer) and runs this a few times:
//   bench/window/run_window_bench.sh build/bench/window/window_bench [runs] [frames]
// One run prints one line of figures (milliseconds; cpu is the whole process,
// every thread, over the measured frames).
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "gameplay/game.h"
#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_between(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double cpu_ms() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// The real clock, sleep and window messages, with ESC pressed after the last
// frame; records when every frame starts (its key poll) and how long it slept.
class TimedSeam : public platform::Seam {
 public:
  TimedSeam(platform::Seam& real, int warm_up, int frames) : real_(real), warm_up_(warm_up), frames_(frames) {}
  std::uint32_t get_time() override { return real_.get_time(); }
  void sleep(int milliseconds) override {
    const Clock::time_point start = Clock::now();
    real_.sleep(milliseconds);
    slept_ms.back() += ms_between(start, Clock::now());
  }
  std::time_t calendar_time() override { return real_.calendar_time(); }
  void poll_keys(std::vector<platform::KeyEventRecord>& out) override {
    const int frame = static_cast<int>(starts.size()) - warm_up_;
    if (frame == 0) cpu_at_start = cpu_ms();
    if (frame == frames_) cpu_at_end = cpu_ms();
    starts.push_back(Clock::now());
    slept_ms.push_back(0.0);
    real_.poll_keys(out);
    if (frame == frames_) out.push_back({27, true, 0});
  }
  std::vector<Clock::time_point> starts;
  std::vector<double> slept_ms;
  double cpu_at_start = 0.0, cpu_at_end = 0.0;

 private:
  platform::Seam& real_;
  int warm_up_, frames_;
};

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(p * (values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
  const int warm_up = 60;
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  std::filesystem::current_path(MORVANE_DATA_TREE);
  platform::SetupCore core;
  platform::SetupDisplay display;
  platform::SetupGL1 gl;
  platform::SetupSound sound_setup;
  platform::SetupVorbis vorbis_setup;
  platform::SoundOutput sound_output(44100, 256);
  platform::DisplayWindowDescription description;
  description.set_title("Morvane");
  description.set_size(640, 480, true);
  platform::DisplayWindow window(description);
  platform::GraphicContext gc = window.get_gc();
  platform::InputDevice keyboard = window.get_keyboard();

  TimedSeam seam(platform::current_seam(), warm_up, frames);
  platform::ScopedSeam installed(seam);
  DataFile level;
  level.load_level("endless.qel");
  {
    Game game(gc, keyboard, window, level, false, 3, platform::Sprite());
    // Held above every chunk, so the run never ends early.
    game.gravity = game.held_gravity = 20.0f;
    game.player.set_y(540.0f);
    game.run();
  }
  // Frame i runs from poll i to poll i + 1; only the measured ones count.
  std::vector<double> period, sleep, work;
  for (int i = warm_up; i < warm_up + frames && i + 1 < static_cast<int>(seam.starts.size()); ++i) {
    const double p = ms_between(seam.starts[i], seam.starts[i + 1]);
    period.push_back(p);
    sleep.push_back(seam.slept_ms[i]);
    work.push_back(p - seam.slept_ms[i]);
  }
  if (static_cast<int>(period.size()) < frames) {
    std::fprintf(stderr, "the run ended after %zu of %d frames\n", period.size(), frames);
    return 1;
  }
  double total = 0.0;
  for (double p : period) total += p;
  const double cpu_per_frame = (seam.cpu_at_end - seam.cpu_at_start) / frames;
  std::printf("fps %.1f period_p50 %.2f period_p90 %.2f sleep_p50 %.2f work_p50 %.2f work_p90 %.2f "
              "ratio %.3f cpu_per_frame %.2f cpu_pct %.0f\n",
              1000.0 * frames / total, percentile(period, 0.5), percentile(period, 0.9), percentile(sleep, 0.5),
              percentile(work, 0.5), percentile(work, 0.9), percentile(period, 0.5) / percentile(sleep, 0.5),
              cpu_per_frame, 100.0 * (seam.cpu_at_end - seam.cpu_at_start) / total);
  return 0;
}
