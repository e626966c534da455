#pragma once
#include <string>

#include "platform/display.h"

namespace platform::testing {

// Saves what the context shows (the frame drawn last) as a PNG file.
// Throws platform::Exception when the file cannot be written.
void save_screenshot(const GraphicContext& gc, const std::string& path);

}  // namespace platform::testing
