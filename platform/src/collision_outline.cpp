#include "platform/collision_outline.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "internal.h"
#include "outline_tracing.h"

namespace platform {

// The contours in picture coordinates, the transform, and the transformed
// points with their boxes, recomputed only after the transform changed.
struct CollisionOutline::Impl {
  unsigned int width = 0, height = 0;
  std::vector<outline::Contour> contours;

  float scale_x = 1.0f, scale_y = 1.0f;
  Origin origin = origin_top_left;
  float offset_x = 0.0f, offset_y = 0.0f;
  float translation_x = 0.0f, translation_y = 0.0f;
  float angle = 0.0f;

  mutable bool stale = true;
  mutable std::vector<float> xs, ys;             // every contour's points, one after another
  mutable std::vector<std::uint32_t> starts;     // contour k is [starts[k], starts[k+1])
  mutable std::vector<Rectf> contour_boxes;
  mutable Rectf box;

  void refresh() const;
  bool contains(float x, float y) const;
};

namespace {

// Where the translation point sits in the picture's box, as a fraction of its size.
void origin_fraction(Origin origin, float& fx, float& fy) {
  const int column = static_cast<int>(origin) % 3, row = static_cast<int>(origin) / 3;
  fx = column * 0.5f;
  fy = row * 0.5f;
}

bool boxes_overlap(const Rectf& a, const Rectf& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

struct Segment {
  float x1, y1, x2, y2;
  float min_x, max_x, min_y, max_y;
};

float cross(float ax, float ay, float bx, float by, float cx, float cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

bool within(float v, float a, float b) { return std::min(a, b) <= v && v <= std::max(a, b); }

// Crossing or touching, end points and collinear overlaps included.
bool segments_meet(const Segment& a, const Segment& b) {
  const float d1 = cross(b.x1, b.y1, b.x2, b.y2, a.x1, a.y1);
  const float d2 = cross(b.x1, b.y1, b.x2, b.y2, a.x2, a.y2);
  const float d3 = cross(a.x1, a.y1, a.x2, a.y2, b.x1, b.y1);
  const float d4 = cross(a.x1, a.y1, a.x2, a.y2, b.x2, b.y2);
  if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return true;
  auto on = [](const Segment& s, float x, float y) { return within(x, s.x1, s.x2) && within(y, s.y1, s.y2); };
  return (d1 == 0 && on(b, a.x1, a.y1)) || (d2 == 0 && on(b, a.x2, a.y2)) ||
         (d3 == 0 && on(a, b.x1, b.y1)) || (d4 == 0 && on(a, b.x2, b.y2));
}

// The edges of an outline that reach into the region.
void edges_in(const CollisionOutline::Impl& o, const Rectf& region, std::vector<Segment>& out) {
  out.clear();
  for (std::size_t k = 0; k + 1 < o.starts.size(); ++k) {
    if (!boxes_overlap(o.contour_boxes[k], region)) continue;
    const std::uint32_t first = o.starts[k], end = o.starts[k + 1];
    for (std::uint32_t i = first; i < end; ++i) {
      const std::uint32_t j = i + 1 < end ? i + 1 : first;
      Segment s{o.xs[i], o.ys[i], o.xs[j], o.ys[j], 0, 0, 0, 0};
      s.min_x = std::min(s.x1, s.x2);
      s.max_x = std::max(s.x1, s.x2);
      s.min_y = std::min(s.y1, s.y2);
      s.max_y = std::max(s.y1, s.y2);
      if (s.min_x <= region.right && region.left <= s.max_x && s.min_y <= region.bottom && region.top <= s.max_y)
        out.push_back(s);
    }
  }
}

bool any_contour_inside(const CollisionOutline::Impl& inner, const CollisionOutline::Impl& outer) {
  for (std::size_t k = 0; k + 1 < inner.starts.size(); ++k) {
    const std::uint32_t i = inner.starts[k];
    const float x = inner.xs[i], y = inner.ys[i];
    if (x < outer.box.left || x > outer.box.right || y < outer.box.top || y > outer.box.bottom) continue;
    if (outer.contains(x, y)) return true;
  }
  return false;
}

}  // namespace

void CollisionOutline::Impl::refresh() const {
  if (!stale) return;
  float fx, fy;
  origin_fraction(origin, fx, fy);
  const float centre_x = width * 0.5f, centre_y = height * 0.5f;
  // Scaled about the centre, then moved by the alignment and translation.
  const float shift_x = centre_x - centre_x * scale_x + offset_x - fx * width + translation_x;
  const float shift_y = centre_y - centre_y * scale_y + offset_y - fy * height + translation_y;
  // Turned about the centre of the scaled, aligned box.
  const float pivot_x = centre_x + offset_x - fx * width + translation_x;
  const float pivot_y = centre_y + offset_y - fy * height + translation_y;
  const float c = std::cos(angle), s = std::sin(angle);

  xs.clear();
  ys.clear();
  starts.clear();
  contour_boxes.clear();
  box = Rectf(pivot_x, pivot_y, pivot_x, pivot_y);
  bool first_point = true;
  for (const outline::Contour& contour : contours) {
    starts.push_back(static_cast<std::uint32_t>(xs.size()));
    Rectf contour_box;
    for (std::size_t i = 0; i < contour.size(); ++i) {
      const float sx = contour[i].x * scale_x + shift_x - pivot_x;
      const float sy = contour[i].y * scale_y + shift_y - pivot_y;
      const float x = pivot_x + sx * c - sy * s;
      const float y = pivot_y + sx * s + sy * c;
      xs.push_back(x);
      ys.push_back(y);
      if (i == 0) contour_box = Rectf(x, y, x, y);
      contour_box.left = std::min(contour_box.left, x);
      contour_box.right = std::max(contour_box.right, x);
      contour_box.top = std::min(contour_box.top, y);
      contour_box.bottom = std::max(contour_box.bottom, y);
    }
    contour_boxes.push_back(contour_box);
    if (first_point) box = contour_box;
    first_point = false;
    box.left = std::min(box.left, contour_box.left);
    box.right = std::max(box.right, contour_box.right);
    box.top = std::min(box.top, contour_box.top);
    box.bottom = std::max(box.bottom, contour_box.bottom);
  }
  starts.push_back(static_cast<std::uint32_t>(xs.size()));
  stale = false;
}

// Even-odd rule over every contour, so a point in a hole is outside.
bool CollisionOutline::Impl::contains(float x, float y) const {
  bool inside = false;
  for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
    const std::uint32_t first = starts[k], end = starts[k + 1];
    for (std::uint32_t i = first, j = end - 1; i < end; j = i++) {
      if ((ys[i] > y) != (ys[j] > y) && x < (xs[j] - xs[i]) * (y - ys[i]) / (ys[j] - ys[i]) + xs[i])
        inside = !inside;
    }
  }
  return inside;
}

// The endless level builds the same pieces again and again: their traced
// contours are kept by file version and settings, and a new outline copies them.
CollisionOutline::CollisionOutline(const std::string& png_path, int alpha_limit, OutlineAccuracy accuracy,
                                   bool get_insides) {
  struct Traced {
    unsigned int width, height;
    std::vector<outline::Contour> contours;
  };
  static std::map<std::string, Traced> traced_files;

  const std::string key = picture_file_key(png_path) + '|' + std::to_string(alpha_limit) + '|' +
                          std::to_string(static_cast<int>(accuracy)) + '|' + (get_insides ? "1" : "0");
  auto found = traced_files.find(key);
  if (found == traced_files.end()) {
    const CollisionOutline fresh(PNGProvider::load(png_path), alpha_limit, accuracy, get_insides);
    found = traced_files.emplace(key, Traced{fresh.impl_->width, fresh.impl_->height, fresh.impl_->contours}).first;
  }
  impl_ = std::make_shared<Impl>();
  impl_->width = found->second.width;
  impl_->height = found->second.height;
  impl_->contours = found->second.contours;
}

CollisionOutline::CollisionOutline(const PixelBuffer& picture, int alpha_limit, OutlineAccuracy accuracy,
                                   bool get_insides)
    : impl_(std::make_shared<Impl>()) {
  impl_->width = static_cast<unsigned int>(std::max(0, picture.get_width()));
  impl_->height = static_cast<unsigned int>(std::max(0, picture.get_height()));
  for (const outline::Contour& traced : outline::trace_contours(picture, alpha_limit, get_insides))
    impl_->contours.push_back(outline::simplify(traced, accuracy));
}

void CollisionOutline::set_scale(float scale_x, float scale_y) {
  if (!impl_) return;
  impl_->scale_x = scale_x;
  impl_->scale_y = scale_y;
  impl_->stale = true;
}

void CollisionOutline::set_alignment(Origin origin, float x_offset, float y_offset) {
  if (!impl_) return;
  impl_->origin = origin;
  impl_->offset_x = x_offset;
  impl_->offset_y = y_offset;
  impl_->stale = true;
}

void CollisionOutline::get_alignment(Origin& origin, float& x_offset, float& y_offset) const {
  if (!impl_) {
    origin = origin_top_left;
    x_offset = y_offset = 0.0f;
    return;
  }
  origin = impl_->origin;
  x_offset = impl_->offset_x;
  y_offset = impl_->offset_y;
}

void CollisionOutline::set_translation(float x, float y) {
  if (!impl_ || (impl_->translation_x == x && impl_->translation_y == y)) return;
  impl_->translation_x = x;
  impl_->translation_y = y;
  impl_->stale = true;
}

void CollisionOutline::set_angle(const Angle& angle) {
  if (!impl_ || impl_->angle == angle.to_radians()) return;
  impl_->angle = angle.to_radians();
  impl_->stale = true;
}

unsigned int CollisionOutline::get_width() const { return impl_ ? impl_->width : 0; }
unsigned int CollisionOutline::get_height() const { return impl_ ? impl_->height : 0; }

bool CollisionOutline::collide(const CollisionOutline& other, bool /*remove_old_collision_info*/) const {
  if (!impl_ || !other.impl_) return false;
  const Impl& a = *impl_;
  const Impl& b = *other.impl_;
  a.refresh();
  b.refresh();
  if (a.xs.empty() || b.xs.empty() || !boxes_overlap(a.box, b.box)) return false;
  if (&a == &b) return true;

  const Rectf common(std::max(a.box.left, b.box.left), std::max(a.box.top, b.box.top),
                     std::min(a.box.right, b.box.right), std::min(a.box.bottom, b.box.bottom));
  // Scratch space kept between calls: the physics step calls this many times a frame.
  thread_local std::vector<Segment> edges_a, edges_b;
  edges_in(a, common, edges_a);
  edges_in(b, common, edges_b);
  for (const Segment& ea : edges_a) {
    for (const Segment& eb : edges_b) {
      if (ea.min_x > eb.max_x || eb.min_x > ea.max_x || ea.min_y > eb.max_y || eb.min_y > ea.max_y) continue;
      if (segments_meet(ea, eb)) return true;
    }
  }
  // No edges meet: either outline may still lie wholly inside the other.
  return any_contour_inside(a, b) || any_contour_inside(b, a);
}

Rectf CollisionOutline::get_bounding_box() const {
  if (!impl_) return Rectf();
  impl_->refresh();
  return impl_->box;
}

std::size_t CollisionOutline::get_point_count() const {
  if (!impl_) return 0;
  std::size_t count = 0;
  for (const outline::Contour& c : impl_->contours) count += c.size();
  return count;
}

}  // namespace platform
