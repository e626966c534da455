#include "platform/seam.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <unordered_map>

namespace platform {

namespace {

// Windows virtual-key code of a key that has one, by its place on the keyboard.
int virtual_key_by_scancode(SDL_Scancode scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return 0x70 + (scancode - SDL_SCANCODE_F1);
  if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24) return 0x7C + (scancode - SDL_SCANCODE_F13);
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) return 0x61 + (scancode - SDL_SCANCODE_KP_1);
  switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_KP_0: return 0x60;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_RETURN2:
    case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_ESCAPE: return 27;
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_TAB: return 9;
    case SDL_SCANCODE_SPACE: return 32;
    case SDL_SCANCODE_PAGEUP: return 33;
    case SDL_SCANCODE_PAGEDOWN: return 34;
    case SDL_SCANCODE_END: return 35;
    case SDL_SCANCODE_HOME: return 36;
    case SDL_SCANCODE_LEFT: return 37;
    case SDL_SCANCODE_UP: return 38;
    case SDL_SCANCODE_RIGHT: return 39;
    case SDL_SCANCODE_DOWN: return 40;
    case SDL_SCANCODE_PRINTSCREEN: return 44;
    case SDL_SCANCODE_INSERT: return 45;
    case SDL_SCANCODE_DELETE: return 46;
    case SDL_SCANCODE_PAUSE: return 19;
    case SDL_SCANCODE_CAPSLOCK: return 20;
    case SDL_SCANCODE_LGUI: return 91;
    case SDL_SCANCODE_RGUI: return 92;
    case SDL_SCANCODE_APPLICATION: return 93;
    case SDL_SCANCODE_KP_MULTIPLY: return 106;
    case SDL_SCANCODE_KP_PLUS: return 107;
    case SDL_SCANCODE_KP_MINUS: return 109;
    case SDL_SCANCODE_KP_PERIOD: return 110;
    case SDL_SCANCODE_KP_DIVIDE: return 111;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 144;
    case SDL_SCANCODE_SCROLLLOCK: return 145;
    case SDL_SCANCODE_LSHIFT: return 160;
    case SDL_SCANCODE_RSHIFT: return 161;
    case SDL_SCANCODE_LCTRL: return 162;
    case SDL_SCANCODE_RCTRL: return 163;
    case SDL_SCANCODE_LALT: return 164;
    case SDL_SCANCODE_RALT: return 165;
    case SDL_SCANCODE_SEMICOLON: return 186;
    case SDL_SCANCODE_EQUALS: return 187;
    case SDL_SCANCODE_COMMA: return 188;
    case SDL_SCANCODE_MINUS: return 189;
    case SDL_SCANCODE_PERIOD: return 190;
    case SDL_SCANCODE_SLASH: return 191;
    case SDL_SCANCODE_GRAVE: return 192;
    case SDL_SCANCODE_LEFTBRACKET: return 219;
    case SDL_SCANCODE_BACKSLASH: return 220;
    case SDL_SCANCODE_RIGHTBRACKET: return 221;
    case SDL_SCANCODE_APOSTROPHE: return 222;
    case SDL_SCANCODE_NONUSBACKSLASH: return 226;
    default: return 0;
  }
}

// The key code of an SDL key: Windows virtual-key codes (Z 90, X 88, Up 38,
// Down 40, ENTER 13, ESC 27, Backspace 8, A..Z 65..90, Space 32, Shift 160,
// ...). Every key is delivered, even those the game never reads: a key the
// codes have no name for gets one of its own above 255 from its place on the
// keyboard, so pressing it still ends a held jump.
int virtual_key_code(const SDL_Keysym& key) {
  const SDL_Keycode code = key.sym;
  // Letters by the layout's symbol where it is Latin, otherwise by position,
  // so Z and X work on every keyboard.
  if (code >= SDLK_a && code <= SDLK_z) return 'A' + static_cast<int>(code - SDLK_a);
  if (const int by_place = virtual_key_by_scancode(key.scancode)) return by_place;
  return 0x100 + static_cast<int>(key.scancode);
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

long Seam::read_file(const std::string&, int descriptor, char* buffer, std::size_t capacity, std::uint64_t) {
  return ::read(descriptor, buffer, capacity);
}

void VirtualSeam::fail_reads(const std::string& path_suffix, std::uint64_t after_bytes, int error) {
  read_failures_.push_back(ReadFailure{path_suffix, after_bytes, error});
}

long VirtualSeam::read_file(const std::string& path, int descriptor, char* buffer, std::size_t capacity,
                            std::uint64_t offset) {
  for (const ReadFailure& failure : read_failures_) {
    if (!path.ends_with(failure.path_suffix)) continue;
    if (offset >= failure.after_bytes) {
      errno = failure.error;
      return -1;
    }
    capacity = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, failure.after_bytes - offset));
  }
  return Seam::read_file(path, descriptor, buffer, capacity, offset);
}

}  // namespace platform
