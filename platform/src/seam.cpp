#include "platform/seam.h"

#include <SDL.h>

#include <unordered_map>

namespace platform {

namespace {

// Windows virtual-key code of an SDL key, or 0 for keys the game never reads.
int virtual_key_code(const SDL_Keysym& key) {
  const SDL_Keycode code = key.sym;
  if (code >= SDLK_a && code <= SDLK_z) return 'A' + static_cast<int>(code - SDLK_a);
  switch (code) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return 13;
    case SDLK_ESCAPE: return 27;
    case SDLK_BACKSPACE: return 8;
    case SDLK_UP: return 38;
    case SDLK_DOWN: return 40;
    default: break;
  }
  // Layouts whose letter keys do not produce Latin letters still deliver the
  // key by its position, so Z and X work on every keyboard.
  if (key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z)
    return 'A' + static_cast<int>(key.scancode - SDL_SCANCODE_A);
  return 0;
}

class RealSeam : public Seam {
 public:
  std::uint32_t get_time() override { return SDL_GetTicks(); }
  void sleep(int milliseconds) override {
    if (milliseconds > 0) SDL_Delay(static_cast<Uint32>(milliseconds));
  }
  std::time_t calendar_time() override { return std::time(nullptr); }

  void poll_keys(std::vector<KeyEventRecord>& out) override {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      // The window has no close menu; SDL_QUIT and window events are ignored.
      if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) continue;
      const int key = virtual_key_code(event.key.keysym);
      if (key == 0) continue;
      KeyEventRecord record;
      record.key = key;
      record.down = event.type == SDL_KEYDOWN;
      if (record.down) {
        int& repeats = repeat_counts_[key];
        repeats = event.key.repeat ? repeats + 1 : 0;
        record.repeat_count = repeats;
      } else {
        repeat_counts_.erase(key);
      }
      out.push_back(record);
    }
  }

 private:
  std::unordered_map<int, int> repeat_counts_;
};

RealSeam& real_seam() {
  static RealSeam seam;
  return seam;
}

Seam* installed_seam = nullptr;

}  // namespace

void set_seam(Seam* seam) { installed_seam = seam; }

Seam& current_seam() { return installed_seam ? *installed_seam : real_seam(); }

VirtualSeam::VirtualSeam(std::uint32_t start_ms, std::time_t calendar) : now_(start_ms), calendar_(calendar) {}

void VirtualSeam::sleep(int milliseconds) {
  if (milliseconds > 0) now_ += static_cast<std::uint32_t>(milliseconds);
}

void VirtualSeam::key_at_poll(std::uint64_t poll_index, int key, bool down, int repeat_count) {
  script_.push_back({true, poll_index, {key, down, repeat_count}, next_order_++});
}

void VirtualSeam::key_at_time(std::uint32_t ms, int key, bool down, int repeat_count) {
  script_.push_back({false, ms, {key, down, repeat_count}, next_order_++});
}

void VirtualSeam::key_now(int key, bool down, int repeat_count) { key_at_poll(polls_, key, down, repeat_count); }

void VirtualSeam::poll_keys(std::vector<KeyEventRecord>& out) {
  auto due = [this](const Scripted& s) { return s.by_poll ? s.when <= polls_ : s.when <= now_; };
  std::vector<Scripted> delivered;
  std::vector<Scripted> pending;
  for (const Scripted& s : script_) (due(s) ? delivered : pending).push_back(s);
  // Events due together arrive in the order they were scripted.
  for (const Scripted& s : delivered) out.push_back(s.event);
  script_ = std::move(pending);
  ++polls_;
}

bool VirtualSeam::script_done() const { return script_.empty(); }

}  // namespace platform
