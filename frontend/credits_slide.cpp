#include "frontend/credits_slide.h"

namespace {

struct SlidePhase {
  int start_x;
  int direction;  // +1 rightwards, -1 leftwards
  int slow_from;  // inclusive range crossed one pixel a frame
  int slow_to;
  int end_x;  // the phase ends as soon as x reaches this bound
};

constexpr SlidePhase slide_phases[credits_phase_count] = {
    {-200, +1, -100, 0, 100},
    {200, -1, 0, 100, -100},
    {-300, +1, -200, -100, 0},
    {-300, +1, -200, -100, 0},
};

}  // namespace

std::vector<int> credits_slide_positions(int phase) {
  std::vector<int> positions;
  if (phase < 0 || phase >= credits_phase_count) return positions;
  const SlidePhase& slide = slide_phases[phase];
  int x = slide.start_x;
  for (;;) {
    positions.push_back(x);
    const bool slow = x >= slide.slow_from && x <= slide.slow_to;
    x += slide.direction * (slow ? 1 : 10);
    if (slide.direction > 0 ? x >= slide.end_x : x <= slide.end_x) break;
  }
  return positions;
}
