#pragma once
#include <limits>

// Item points come from level files and may be as large as an int holds; the
// score and a cumulative chain stop at the limits instead of overflowing.
inline int saturating_add(int a, int b) {
  if (b > 0 && a > std::numeric_limits<int>::max() - b) return std::numeric_limits<int>::max();
  if (b < 0 && a < std::numeric_limits<int>::min() - b) return std::numeric_limits<int>::min();
  return a + b;
}
