#pragma once
#include <memory>
#include <string>

#include "platform/geometry.h"
#include "platform/pixel_buffer.h"

namespace platform {

enum OutlineAccuracy { accuracy_raw, accuracy_high, accuracy_medium, accuracy_low, accuracy_poor };

// A polygon outline built from a picture's alpha channel (pixels with alpha at
// or above the limit are solid). Transform order: scale about the centre of
// the picture's box, alignment offsets (move right/down), translation (places
// the box's top-left), rotation about the centre of the scaled, aligned box.
// Handle: copies share the outline. get_width/get_height are the picture's size.
class CollisionOutline {
 public:
  CollisionOutline() = default;
  // Throws platform::Exception naming the file when missing or corrupt.
  CollisionOutline(const std::string& png_path, int alpha_limit = 128,
                   OutlineAccuracy accuracy = accuracy_medium, bool get_insides = true);
  CollisionOutline(const PixelBuffer& picture, int alpha_limit = 128,
                   OutlineAccuracy accuracy = accuracy_medium, bool get_insides = true);
  bool is_null() const { return !impl_; }

  void set_scale(float scale_x, float scale_y);
  void set_alignment(Origin origin, float x_offset = 0.0f, float y_offset = 0.0f);
  void get_alignment(Origin& origin, float& x_offset, float& y_offset) const;
  void set_translation(float x, float y);
  void set_angle(const Angle& angle);
  unsigned int get_width() const;
  unsigned int get_height() const;

  // True when any edges cross or one outline lies wholly inside the other.
  bool collide(const CollisionOutline& other, bool remove_old_collision_info = false) const;

  // Transformed bounding box (for tests and debugging).
  Rectf get_bounding_box() const;
  std::size_t get_point_count() const;

  struct Impl;
 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace platform
