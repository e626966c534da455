#pragma once
// Turning a picture's alpha channel into polygon contours.
#include <vector>

#include "platform/collision_outline.h"
#include "platform/pixel_buffer.h"

namespace platform::outline {

struct Point {
  float x = 0.0f, y = 0.0f;
};
using Contour = std::vector<Point>;

// Traces the boundaries between solid pixels (alpha >= alpha_limit) and the
// rest. Points lie on pixel corners, so a fully solid WxH picture gives the
// box (0,0)-(W,H). Outer boundaries run clockwise on screen, hole boundaries
// counter-clockwise; holes are dropped unless keep_holes. Pixels touching
// only at a corner belong to separate contours.
std::vector<Contour> trace_contours(const PixelBuffer& picture, int alpha_limit, bool keep_holes);

// Fewer points for coarser accuracy: raw keeps every traced point; the others
// drop straight-line points and then every point closer than a growing
// tolerance to the simplified shape, never going below a triangle.
Contour simplify(const Contour& traced, OutlineAccuracy accuracy);

}  // namespace platform::outline
