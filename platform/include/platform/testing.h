#pragma once
#include <cstdint>
#include <string>

#include "platform/display.h"

namespace platform::testing {

// Saves what the context shows (the frame drawn last) as a PNG file.
// Throws platform::Exception when the file cannot be written.
void save_screenshot(const GraphicContext& gc, const std::string& path);

// Draws every frame into the offscreen target and copies it into the window
// at flip (as frames were once drawn), or, when off, straight into the window.
void draw_through_offscreen_target(GraphicContext& gc, bool on);

// What the window's own back buffer holds (after a flip, the frame shown),
// not the read-back of get_pixeldata.
PixelBuffer window_pixels(const GraphicContext& gc);

// How many drawing operations the context has drawn a second time so far (to
// put a frame back after a present or to bring the read-back up to date); a
// copy of the whole offscreen target counts as one.
std::uint64_t replayed_operations(const GraphicContext& gc);

// How many textures the context has been given pixels for so far: a picture
// or a line of text uploaded, or a see-through picture's faded copy refilled.
std::uint64_t uploaded_textures(const GraphicContext& gc);

}  // namespace platform::testing
