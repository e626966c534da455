#include "outline_tracing.h"

#include <cmath>
#include <cstdint>

namespace platform::outline {
namespace {

// Directions in clockwise order on screen (y grows downward), so that
// (d + 1) % 4 is a right turn.
enum Direction : int { east = 0, south = 1, west = 2, north = 3 };
constexpr int step_x[4] = {1, 0, -1, 0};
constexpr int step_y[4] = {0, 1, 0, -1};

float twice_signed_area(const Contour& c) {
  double sum = 0.0;
  for (std::size_t i = 0, n = c.size(); i < n; ++i) {
    const Point& a = c[i];
    const Point& b = c[(i + 1) % n];
    sum += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
  }
  return static_cast<float>(sum);
}

float distance_to_segment(const Point& p, const Point& a, const Point& b) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float length_sq = dx * dx + dy * dy;
  if (length_sq == 0.0f) return std::hypot(p.x - a.x, p.y - a.y);
  float t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / length_sq;
  t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

Contour without_straight_points(const Contour& c) {
  Contour out;
  const std::size_t n = c.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point& prev = c[(i + n - 1) % n];
    const Point& here = c[i];
    const Point& next = c[(i + 1) % n];
    const float cross = (here.x - prev.x) * (next.y - here.y) - (here.y - prev.y) * (next.x - here.x);
    if (cross != 0.0f) out.push_back(here);
  }
  return out;
}

// Douglas-Peucker over the polyline points[first..last] (indices wrap).
void keep_far_points(const Contour& points, std::size_t first, std::size_t last, float tolerance,
                     std::vector<bool>& keep) {
  const std::size_t n = points.size();
  std::vector<std::pair<std::size_t, std::size_t>> pending{{first, last}};
  while (!pending.empty()) {
    auto [from, to] = pending.back();
    pending.pop_back();
    const std::size_t span = (to + n - from) % n;
    if (span < 2) continue;
    float worst = -1.0f;
    std::size_t worst_index = from;
    for (std::size_t k = 1; k < span; ++k) {
      const std::size_t i = (from + k) % n;
      const float d = distance_to_segment(points[i], points[from], points[to % n]);
      if (d > worst) {
        worst = d;
        worst_index = i;
      }
    }
    if (worst > tolerance) {
      keep[worst_index] = true;
      pending.push_back({from, worst_index});
      pending.push_back({worst_index, to});
    }
  }
}

float tolerance_for(OutlineAccuracy accuracy) {
  switch (accuracy) {
    case accuracy_high: return 1.0f;
    case accuracy_medium: return 1.5f;
    case accuracy_low: return 2.5f;
    case accuracy_poor: return 4.0f;
    case accuracy_raw: break;
  }
  return 0.0f;
}

}  // namespace

std::vector<Contour> trace_contours(const PixelBuffer& picture, int alpha_limit, bool keep_holes) {
  std::vector<Contour> contours;
  const int width = picture.get_width(), height = picture.get_height();
  if (picture.is_null() || width <= 0 || height <= 0) return contours;

  const std::uint8_t* pixels = picture.get_data();
  auto solid = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    return pixels[(static_cast<std::size_t>(y) * width + x) * 4 + 3] >= alpha_limit;
  };

  // One byte per pixel corner; bit d set = a boundary edge leaves the corner
  // in direction d, with the solid pixel on its right-hand side.
  const std::size_t stride = static_cast<std::size_t>(width) + 1;
  std::vector<std::uint8_t> edges(stride * (static_cast<std::size_t>(height) + 1), 0);
  auto corner = [&](int x, int y) -> std::uint8_t& { return edges[static_cast<std::size_t>(y) * stride + x]; };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (!solid(x, y)) continue;
      if (!solid(x, y - 1)) corner(x, y) |= 1 << east;
      if (!solid(x + 1, y)) corner(x + 1, y) |= 1 << south;
      if (!solid(x, y + 1)) corner(x + 1, y + 1) |= 1 << west;
      if (!solid(x - 1, y)) corner(x, y + 1) |= 1 << north;
    }
  }

  // Each edge's successor is fixed by the edges around its end corner, so a
  // contour is the cycle of successors through its first edge.
  std::vector<std::uint8_t> unvisited = edges;
  for (int start_y = 0; start_y <= height; ++start_y) {
    for (int start_x = 0; start_x <= width; ++start_x) {
      std::uint8_t& start_bits = unvisited[static_cast<std::size_t>(start_y) * stride + start_x];
      while (start_bits != 0) {
        int start_direction = 0;
        while (!(start_bits & (1 << start_direction))) ++start_direction;
        Contour contour;
        int x = start_x, y = start_y, direction = start_direction;
        do {
          contour.push_back({static_cast<float>(x), static_cast<float>(y)});
          unvisited[static_cast<std::size_t>(y) * stride + x] &= static_cast<std::uint8_t>(~(1 << direction));
          x += step_x[direction];
          y += step_y[direction];
          const std::uint8_t out = corner(x, y);
          // Where two boundaries meet at a corner, turning right keeps
          // diagonal neighbours apart; elsewhere only one way leads on.
          const int right = (direction + 1) % 4, left = (direction + 3) % 4;
          if (out & (1 << right)) direction = right;
          else if (!(out & (1 << direction))) direction = left;
        } while (x != start_x || y != start_y || direction != start_direction);
        const bool is_hole = twice_signed_area(contour) < 0.0f;
        if (!is_hole || keep_holes) contours.push_back(std::move(contour));
      }
    }
  }
  return contours;
}

Contour simplify(const Contour& traced, OutlineAccuracy accuracy) {
  if (accuracy == accuracy_raw || traced.size() <= 3) return traced;
  Contour corners = without_straight_points(traced);
  if (corners.size() <= 4) return corners;  // a rectangle is as simple as it gets

  // Split the loop at the point farthest from the first, simplify both halves.
  std::size_t far = 0;
  float far_distance = -1.0f;
  for (std::size_t i = 1; i < corners.size(); ++i) {
    const float d = std::hypot(corners[i].x - corners[0].x, corners[i].y - corners[0].y);
    if (d > far_distance) {
      far_distance = d;
      far = i;
    }
  }
  std::vector<bool> keep(corners.size(), false);
  keep[0] = keep[far] = true;
  const float tolerance = tolerance_for(accuracy);
  keep_far_points(corners, 0, far, tolerance, keep);
  keep_far_points(corners, far, corners.size(), tolerance, keep);

  std::size_t kept = 0;
  for (bool k : keep) kept += k ? 1 : 0;
  if (kept < 3) {
    // Never below a triangle: add the point farthest from the chord.
    std::size_t third = 0;
    float third_distance = -1.0f;
    for (std::size_t i = 0; i < corners.size(); ++i) {
      if (keep[i]) continue;
      const float d = distance_to_segment(corners[i], corners[0], corners[far]);
      if (d > third_distance) {
        third_distance = d;
        third = i;
      }
    }
    keep[third] = true;
  }
  Contour out;
  for (std::size_t i = 0; i < corners.size(); ++i)
    if (keep[i]) out.push_back(corners[i]);
  return out;
}

}  // namespace platform::outline
