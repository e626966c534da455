#pragma once
#include <string>
#include <vector>

// What the result screen after an attempt says.
struct LevelResultTexts {
  std::string headline;
  std::string scores;
  std::string prompt;
};

// The texts for the attempts so far: `lives` as they stand after the attempt
// (a lost attempt has already taken its life) and `total` with any bonus.
LevelResultTexts level_result_texts(const std::vector<int>& attempt_scores, bool won, int lives, int total);

// The bonus for the lives left at a win, 10 000 a life; it and the sums
// below stay at the largest int instead of overflowing.
int lives_bonus(int lives);
int saturating_add(int a, int b);
