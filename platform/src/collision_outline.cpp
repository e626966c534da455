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
  Rectf picture_box;  // of the untransformed points

  float scale_x = 1.0f, scale_y = 1.0f;
  Origin origin = origin_top_left;
  float offset_x = 0.0f, offset_y = 0.0f;
  float translation_x = 0.0f, translation_y = 0.0f;
  float angle = 0.0f;
  float angle_cos = 1.0f, angle_sin = 0.0f;  // of angle, found when it is set

  // Where a point lands: x = pivot_x + sx * cos - sy * sin, y = pivot_y + sx * sin + sy * cos,
  // with sx = px * scale_x + shift_x - pivot_x, sy = py * scale_y + shift_y - pivot_y.
  struct Placement {
    float shift_x, shift_y, pivot_x, pivot_y, cos, sin;
  };
  Placement placement(float at_x, float at_y) const;  // translated to (at_x, at_y)

  mutable bool stale = true;
  // A box holding every transformed point, from picture_box alone: far-apart
  // outlines are told apart without moving their points. It is found at
  // translation 0 (shape_box) and shifted by the translation.
  mutable bool rough_stale = true, shape_stale = true;
  mutable Rectf rough_box, shape_box;
  mutable float shape_reach = 0.0f;  // how large the numbers in shape_box's making grew
  mutable std::vector<float> xs, ys;             // every contour's points, one after another
  mutable std::vector<std::uint32_t> starts;     // contour k is [starts[k], starts[k+1])
  mutable std::vector<Rectf> contour_boxes;
  mutable Rectf box;

  void refresh() const;
  void refresh_rough_box() const {
    if (!rough_stale) return;
    if (shape_stale) measure_shape();
    // The points are turned one by one and rounded on the way: a margin far
    // above that rounding keeps every one of them inside.
    const float margin = 1e-3f + 1e-5f * (shape_reach + 2.0f * (std::fabs(translation_x) + std::fabs(translation_y)));
    rough_box = Rectf(shape_box.left + translation_x - margin, shape_box.top + translation_y - margin,
                      shape_box.right + translation_x + margin, shape_box.bottom + translation_y + margin);
    rough_stale = false;
  }
  void measure_shape() const;
  void measure_picture_box();
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

CollisionOutline::Impl::Placement CollisionOutline::Impl::placement(float at_x, float at_y) const {
  float fx, fy;
  origin_fraction(origin, fx, fy);
  const float centre_x = width * 0.5f, centre_y = height * 0.5f;
  Placement p;
  // Scaled about the centre, then moved by the alignment and translation.
  p.shift_x = centre_x - centre_x * scale_x + offset_x - fx * width + at_x;
  p.shift_y = centre_y - centre_y * scale_y + offset_y - fy * height + at_y;
  // Turned about the centre of the scaled, aligned box.
  p.pivot_x = centre_x + offset_x - fx * width + at_x;
  p.pivot_y = centre_y + offset_y - fy * height + at_y;
  p.cos = angle_cos;
  p.sin = angle_sin;
  return p;
}

void CollisionOutline::Impl::measure_picture_box() {
  bool first = true;
  for (const outline::Contour& contour : contours) {
    for (const auto& point : contour) {
      const float x = point.x, y = point.y;
      if (first) picture_box = Rectf(x, y, x, y);
      first = false;
      picture_box.left = std::min(picture_box.left, x);
      picture_box.right = std::max(picture_box.right, x);
      picture_box.top = std::min(picture_box.top, y);
      picture_box.bottom = std::max(picture_box.bottom, y);
    }
  }
}

void CollisionOutline::Impl::measure_shape() const {
  const Placement p = placement(0.0f, 0.0f);
  // The box of the turned picture_box: its centre moved, its half sizes
  // spread over both axes by the turn.
  const float mid_x = (picture_box.left + picture_box.right) * 0.5f * scale_x + p.shift_x - p.pivot_x;
  const float mid_y = (picture_box.top + picture_box.bottom) * 0.5f * scale_y + p.shift_y - p.pivot_y;
  const float half_w = (picture_box.right - picture_box.left) * 0.5f * std::fabs(scale_x);
  const float half_h = (picture_box.bottom - picture_box.top) * 0.5f * std::fabs(scale_y);
  const float c = std::fabs(p.cos), s = std::fabs(p.sin);
  const float reach_x = c * half_w + s * half_h, reach_y = s * half_w + c * half_h;
  const float x = p.pivot_x + mid_x * p.cos - mid_y * p.sin, y = p.pivot_y + mid_x * p.sin + mid_y * p.cos;
  shape_box = Rectf(x - reach_x, y - reach_y, x + reach_x, y + reach_y);
  shape_reach = std::fabs(p.pivot_x) + std::fabs(p.pivot_y) + std::fabs(mid_x) + std::fabs(mid_y) + reach_x + reach_y;
  shape_stale = false;
}

void CollisionOutline::Impl::refresh() const {
  if (!stale) return;
  const Placement p = placement(translation_x, translation_y);
  const float shift_x = p.shift_x, shift_y = p.shift_y, pivot_x = p.pivot_x, pivot_y = p.pivot_y;
  const float c = p.cos, s = p.sin;

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
  impl_->measure_picture_box();
}

CollisionOutline::CollisionOutline(const PixelBuffer& picture, int alpha_limit, OutlineAccuracy accuracy,
                                   bool get_insides)
    : impl_(std::make_shared<Impl>()) {
  impl_->width = static_cast<unsigned int>(std::max(0, picture.get_width()));
  impl_->height = static_cast<unsigned int>(std::max(0, picture.get_height()));
  for (const outline::Contour& traced : outline::trace_contours(picture, alpha_limit, get_insides))
    impl_->contours.push_back(outline::simplify(traced, accuracy));
  impl_->measure_picture_box();
}

void CollisionOutline::set_scale(float scale_x, float scale_y) {
  if (!impl_) return;
  impl_->scale_x = scale_x;
  impl_->scale_y = scale_y;
  impl_->stale = impl_->rough_stale = impl_->shape_stale = true;
}

void CollisionOutline::set_alignment(Origin origin, float x_offset, float y_offset) {
  if (!impl_) return;
  impl_->origin = origin;
  impl_->offset_x = x_offset;
  impl_->offset_y = y_offset;
  impl_->stale = impl_->rough_stale = impl_->shape_stale = true;
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
  impl_->stale = impl_->rough_stale = true;  // the shape stays
}

void CollisionOutline::set_angle(const Angle& angle) {
  if (!impl_ || impl_->angle == angle.to_radians()) return;
  impl_->angle = angle.to_radians();
  impl_->angle_cos = std::cos(impl_->angle);
  impl_->angle_sin = std::sin(impl_->angle);
  impl_->stale = impl_->rough_stale = impl_->shape_stale = true;
}

unsigned int CollisionOutline::get_width() const { return impl_ ? impl_->width : 0; }
unsigned int CollisionOutline::get_height() const { return impl_ ? impl_->height : 0; }

bool CollisionOutline::collide(const CollisionOutline& other, bool /*remove_old_collision_info*/) const {
  if (!impl_ || !other.impl_) return false;
  const Impl& a = *impl_;
  const Impl& b = *other.impl_;
  if (a.contours.empty() || b.contours.empty()) return false;
  a.refresh_rough_box();
  b.refresh_rough_box();
  if (!boxes_overlap(a.rough_box, b.rough_box)) return false;
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
