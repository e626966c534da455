#pragma once
#include <memory>
#include <string>

#include "platform/color.h"
#include "platform/display.h"

namespace platform {

// A typeface found through fontconfig ("Verdana" and "Tahoma" fall back to a
// metric-compatible or the default sans face); height is the line spacing in
// pixels. May be made before the window exists (the gc may be empty).
// Handle: copies share the font and its cache of rendered texts.
class Font {
 public:
  Font() = default;
  Font(GraphicContext& gc, const std::string& typeface, int height);
  bool is_null() const { return !impl_; }
  // The first line's baseline lies at y; each "\n" starts a new line one line
  // spacing lower, at x again.
  void draw_text(GraphicContext& gc, int x, int y, const std::string& text, const Colorf& colour);
  void draw_text(GraphicContext& gc, float x, float y, const std::string& text, const Colorf& colour);
  int get_line_spacing() const;
  // Pixels from the top of a line to its baseline.
  int get_ascent() const;
  struct Impl;
 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace platform
