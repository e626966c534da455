#pragma once
#include <vector>

// The credits slide four cards across the screen, one after the other: fast
// (10 pixels a frame) outside each card's slow range, one pixel a frame in it.
inline constexpr int credits_phase_count = 4;
// Where the last card stopped; the closing card is drawn there.
inline constexpr int credits_closing_x = 1;

// The card's x on each frame of a phase (0..3).
std::vector<int> credits_slide_positions(int phase);
