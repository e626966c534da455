#include "gameplay/key_flags.h"

bool jump_held = false;
bool jump_pressed = false;
bool dash_pressed = false;
std::list<float> frame_times;

namespace {
const int key_z = 90;
const int key_x = 88;
}  // namespace

void on_key_down(const platform::InputEvent& event, const platform::InputState&) {
  jump_held = false;
  if (event.id == key_z) {
    jump_held = true;
    if (event.repeat_count == 0) jump_pressed = true;
  }
  if (event.id == key_x) dash_pressed = true;
}

void on_key_up(const platform::InputEvent&, const platform::InputState&) { jump_held = false; }
