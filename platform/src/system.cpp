#include "platform/system.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <string>

#include "internal.h"
#include "platform/error.h"
#include "platform/seam.h"

namespace platform {

// SDL counts SDL_InitSubSystem/SDL_QuitSubSystem pairs and TTF_Init/TTF_Quit
// pairs itself, so each guard takes and gives back one reference.

SetupCore::SetupCore() {
  // SDL would turn SIGINT and SIGTERM into quit events, which no screen reads:
  // the game could then only be stopped with SIGKILL.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(0) != 0) throw Exception(std::string("Could not start SDL: ") + SDL_GetError());
}
SetupCore::~SetupCore() = default;

namespace {

// SDL's video drivers that can show a window, in SDL's own order of trying
// them. Left out: those that show nothing (SDL would otherwise fall back to
// one and the game would run unseen), and Wayland where no Wayland display
// can be named (libwayland would only print its own complaint).
std::string display_drivers() {
  const auto set = [](const char* name) {
    const char* value = SDL_getenv(name);
    return value && *value;
  };
  std::string drivers;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const std::string driver = SDL_GetVideoDriver(i);
    if (driver == "offscreen" || driver == "dummy" || driver == "evdev") continue;
    if (driver == "wayland" && !set("WAYLAND_DISPLAY") && !set("XDG_RUNTIME_DIR")) continue;
    drivers += (drivers.empty() ? "" : ",") + driver;
  }
  return drivers;
}

}  // namespace

SetupDisplay::SetupDisplay() {
  // A driver chosen with SDL_VIDEODRIVER (the tests choose a headless one) is
  // used as it is; otherwise only a real display will do.
  const char* chosen = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  const bool driver_chosen = chosen && *chosen;
  const std::string drivers = driver_chosen ? chosen : display_drivers();
  // An empty list would let SDL try every driver.
  bool started = !drivers.empty();
  if (started) {
    if (!driver_chosen) SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (!driver_chosen) SDL_ResetHint(SDL_HINT_VIDEODRIVER);
  }
  if (!started && !driver_chosen)
    throw Exception("There is no display to show the game on: DISPLAY and WAYLAND_DISPLAY name none that can be "
                    "opened");
  if (!started) throw Exception(std::string("Could not start the display: ") + SDL_GetError());
  IMG_Init(IMG_INIT_PNG);
  if (TTF_Init() != 0) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw Exception(std::string("Could not start font rendering: ") + TTF_GetError());
  }
}
SetupDisplay::~SetupDisplay() {
  TTF_Quit();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// Windows ask for OpenGL rendering themselves, falling back to software.
SetupGL1::SetupGL1() = default;
SetupGL1::~SetupGL1() = default;

// The sound output opens the audio device itself; nothing to do here.
SetupSound::SetupSound(bool) {}
SetupSound::~SetupSound() = default;
SetupVorbis::SetupVorbis(bool) {}
SetupVorbis::~SetupVorbis() = default;

std::uint32_t System::get_time() { return current_seam().get_time(); }
void System::sleep(int milliseconds) { current_seam().sleep(milliseconds); }
std::time_t System::calendar_time() { return current_seam().calendar_time(); }

// ---- signals and keyboards ----

struct Signal_v2::Impl {
  std::vector<std::weak_ptr<Callback>> slots;
};

Signal_v2::Signal_v2() : impl_(std::make_shared<Impl>()) {}

Slot Signal_v2::connect(Callback callback) {
  auto held = std::make_shared<Callback>(std::move(callback));
  auto& slots = impl_->slots;
  slots.erase(std::remove_if(slots.begin(), slots.end(), [](const auto& s) { return s.expired(); }), slots.end());
  slots.push_back(held);
  return Slot(held);
}

void Signal_v2::invoke(const InputEvent& event, const InputState& state) const {
  // A callback may connect or disconnect slots; walk a snapshot, and skip a
  // slot that an earlier callback has released.
  const std::vector<std::weak_ptr<Callback>> snapshot = impl_->slots;
  for (const auto& weak : snapshot) {
    if (auto callback = weak.lock()) (*callback)(event, state);
  }
}

bool InputDevice::get_keycode(int keycode) const { return impl_ && impl_->held.count(keycode) > 0; }

Signal_v2& InputDevice::sig_key_down() {
  if (!impl_) throw Exception("Key signal of an empty keyboard handle");
  return impl_->key_down;
}

Signal_v2& InputDevice::sig_key_up() {
  if (!impl_) throw Exception("Key signal of an empty keyboard handle");
  return impl_->key_up;
}

namespace {
std::vector<std::weak_ptr<InputDevice::Impl>>& keyboard_registry() {
  static std::vector<std::weak_ptr<InputDevice::Impl>> registry;
  return registry;
}
}  // namespace

void register_keyboard(const std::shared_ptr<InputDevice::Impl>& keyboard) {
  auto& registry = keyboard_registry();
  registry.erase(std::remove_if(registry.begin(), registry.end(), [](const auto& k) { return k.expired(); }),
                 registry.end());
  registry.push_back(keyboard);
}

std::vector<std::shared_ptr<InputDevice::Impl>> open_keyboards() {
  std::vector<std::shared_ptr<InputDevice::Impl>> result;
  for (const auto& weak : keyboard_registry()) {
    if (auto keyboard = weak.lock()) result.push_back(keyboard);
  }
  return result;
}

void KeepAlive::process(int) {
  std::vector<KeyEventRecord> events;
  current_seam().poll_keys(events);
  if (events.empty()) return;
  const auto keyboards = open_keyboards();
  const InputState state;
  for (const KeyEventRecord& record : events) {
    const InputEvent event{record.key, record.down ? record.repeat_count : 0};
    for (const auto& keyboard : keyboards) {
      if (record.down) {
        keyboard->held.insert(record.key);
        keyboard->key_down.invoke(event, state);
      } else {
        keyboard->held.erase(record.key);
        keyboard->key_up.invoke(event, state);
      }
    }
  }
}

}  // namespace platform
