#pragma once

namespace platform {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  Rect() = default;
  Rect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
  int get_width() const { return right - left; }
  int get_height() const { return bottom - top; }
};

struct Rectf {
  float left = 0, top = 0, right = 0, bottom = 0;
  Rectf() = default;
  Rectf(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}
};

class Angle {
 public:
  Angle() = default;
  static Angle from_radians(float r) { Angle a; a.radians_ = r; return a; }
  static Angle from_degrees(float d) { return from_radians(d * 3.14159265358979323846f / 180.0f); }
  float to_radians() const { return radians_; }
  float to_degrees() const { return radians_ * 180.0f / 3.14159265358979323846f; }
 private:
  float radians_ = 0.0f;
};

enum Origin {
  origin_top_left, origin_top_center, origin_top_right,
  origin_center_left, origin_center, origin_center_right,
  origin_bottom_left, origin_bottom_center, origin_bottom_right
};

}  // namespace platform
