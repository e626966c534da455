#pragma once
#include <list>

#include "platform/display.h"

// Key state of the play loop, set by the key handlers during message
// processing and read by the frame. They live for the whole process.
extern bool jump_held;
extern bool jump_pressed;
extern bool dash_pressed;

// The most recent frame times in seconds (at most 20), kept across runs.
extern std::list<float> frame_times;

void on_key_down(const platform::InputEvent& event, const platform::InputState& state);
void on_key_up(const platform::InputEvent& event, const platform::InputState& state);
