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

// Four corner colours of a rectangle fill.
struct Gradient {
  Colorf top_left, top_right, bottom_left, bottom_right;
  Gradient() = default;
  Gradient(const Colorf& top, const Colorf& bottom)
      : top_left(top), top_right(top), bottom_left(bottom), bottom_right(bottom) {}
};

}  // namespace platform
