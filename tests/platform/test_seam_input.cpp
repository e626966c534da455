#include <SDL.h>

#include <tuple>
#include <vector>

#include "platform_test_support.h"

namespace {

using platform::InputEvent;
using platform::InputState;
using platform::KeepAlive;
using platform_test::WindowTest;

constexpr int key_z = 90, key_x = 88;

struct KeyboardTest : WindowTest {
  platform::InputDevice keyboard_ = window_.get_keyboard();
};

// Keys arrive scripted by poll count, in order, and by time, which sleeping
// moves; a key signal carries code and repeat count, the held state is
// updated first.
TEST_F(KeyboardTest, ScriptedKeysArriveByPollAndTimeWithRepeatAndHeldState) {
  std::vector<std::string> seen;
  platform::Slot down = keyboard_.sig_key_down().connect([&](const InputEvent& e, const InputState&) {
    seen.push_back("down " + std::to_string(e.id) + " r" + std::to_string(e.repeat_count) +
                   (keyboard_.get_keycode(e.id) ? " held" : " free"));
  });
  platform::Slot up = keyboard_.sig_key_up().connect([&](const InputEvent& e, const InputState&) {
    seen.push_back("up " + std::to_string(e.id) + (keyboard_.get_keycode(e.id) ? " held" : " free"));
  });
  seam_.key_now(key_z, true);
  seam_.key_at_poll(1, key_z, true, 1);
  seam_.key_at_poll(1, key_x, true);
  seam_.key_at_time(seam_.get_time() + 30, key_z, false);
  std::vector<std::size_t> heard;
  for (int sleep : {0, 0, 29, 1}) {
    seam_.sleep(sleep);
    KeepAlive::process(0);
    heard.push_back(seen.size());
  }
  EXPECT_EQ(heard, (std::vector<std::size_t>{1, 3, 3, 4}));
  EXPECT_TRUE(keyboard_.get_keycode(key_x) && !keyboard_.get_keycode(key_z) && seam_.script_done() && seam_.polls() == 4u);
  EXPECT_EQ(seen, (std::vector<std::string>{"down 90 r0 held", "down 90 r1 held", "down 88 r0 held", "up 90 free"}));
}

// The real seam reads SDL's event queue: SDL keys become the game's key
// codes, SDL's repeat flag a growing repeat count, other events are dropped.
TEST(RealSeam, TranslatesSdlKeyEvents) {
  platform::DisplayWindow window{platform::DisplayWindowDescription()};
  platform::InputDevice keyboard = window.get_keyboard();
  std::vector<std::pair<int, int>> downs;
  std::vector<int> ups;
  platform::Slot down = keyboard.sig_key_down().connect(
      [&](const InputEvent& e, const InputState&) { downs.emplace_back(e.id, e.repeat_count); });
  platform::Slot up = keyboard.sig_key_up().connect([&](const InputEvent& e, const InputState&) { ups.push_back(e.id); });
  KeepAlive::process(0);  // whatever the window's opening queued

  auto push_key = [](Uint32 type, SDL_Keycode key, SDL_Scancode scancode, int repeat) {
    SDL_Event event{};
    event.key = {type, 0, 0, Uint8(type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED), Uint8(repeat), 0, 0, {scancode, key, 0, 0}};
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  };
  // Z held with two repeats, keypad ENTER, Up, keys the game never reads (Space, F5,
  // left Shift, and Mute, which has a code only of its own), and a Z whose
  // symbol is not Latin (another keyboard layout).
  const std::tuple<SDL_Keycode, SDL_Scancode, int> downs_pushed[] = {
      {SDLK_z, SDL_SCANCODE_Z, 0}, {SDLK_z, SDL_SCANCODE_Z, 1}, {SDLK_z, SDL_SCANCODE_Z, 1}, {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0},
      {SDLK_UP, SDL_SCANCODE_UP, 0}, {SDLK_SPACE, SDL_SCANCODE_SPACE, 0}, {SDLK_F5, SDL_SCANCODE_F5, 0}, {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0},
      {SDLK_MUTE, SDL_SCANCODE_MUTE, 0}, {0x3b6, SDL_SCANCODE_Z, 0}};
  for (auto [key, scancode, repeat] : downs_pushed) push_key(SDL_KEYDOWN, key, scancode, repeat);
  SDL_Event quit{SDL_QUIT};
  SDL_PushEvent(&quit);
  KeepAlive::process(0);
  EXPECT_TRUE(keyboard.get_keycode(key_z));
  push_key(SDL_KEYUP, SDLK_z, SDL_SCANCODE_Z, 0);
  push_key(SDL_KEYDOWN, SDLK_z, SDL_SCANCODE_Z, 0);
  push_key(SDL_KEYUP, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0);
  KeepAlive::process(0);

  EXPECT_EQ(downs, (std::vector<std::pair<int, int>>{{90, 0}, {90, 1}, {90, 2}, {13, 0}, {38, 0}, {32, 0}, {116, 0}, {160, 0}, {0x100 + SDL_SCANCODE_MUTE, 0}, {90, 0}, {90, 0}}));
  EXPECT_EQ(ups, (std::vector<int>{90, 27}));
}

}  // namespace
