#pragma once

namespace platform {

// Colour with float components 0..1.
struct Colorf {
  float r = 0, g = 0, b = 0, a = 1;
  Colorf() = default;
  Colorf(float red, float green, float blue, float alpha = 1.0f) : r(red), g(green), b(blue), a(alpha) {}
  // From 0..255 integer components.
  static Colorf from_bytes(int red, int green, int blue, int alpha = 255) {
    return Colorf(red / 255.0f, green / 255.0f, blue / 255.0f, alpha / 255.0f);
  }
  static const Colorf white;
  static const Colorf black;
  static const Colorf mediumorchid;  // (186, 85, 211)
};

// A rectangle fill running from one colour along its top row to another
// along its bottom row; drawn opaque.
struct Gradient {
  Colorf top, bottom;
  Gradient() = default;
  Gradient(const Colorf& top_colour, const Colorf& bottom_colour) : top(top_colour), bottom(bottom_colour) {}
};

}  // namespace platform
