#include "frontend/level_result.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

int clamp_to_int(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

}  // namespace

int lives_bonus(int lives) { return clamp_to_int(std::int64_t{lives} * 10000); }

int saturating_add(int a, int b) { return clamp_to_int(std::int64_t{a} + b); }

LevelResultTexts level_result_texts(const std::vector<int>& attempt_scores, bool won, int lives, int total) {
  std::string attempt_lines;
  for (std::size_t i = 0; i < attempt_scores.size(); ++i) {
    attempt_lines += std::to_string(i + 1) + ": " + std::to_string(attempt_scores[i]) + "\n";
  }
  const std::string total_line = "\nIn total: " + std::to_string(total) + "\n";

  LevelResultTexts texts;
  texts.prompt = "Press Z to continue\n";
  if (won) {
    texts.headline = "YAY, YOU WIN!\n";
    texts.scores = "Scores:\n" + attempt_lines + "\nBonus from unused lives: \n" + std::to_string(lives) +
                   " x 10 000\n" + total_line;
  } else if (lives > 0) {
    texts.headline = "Ouch!\n";
    texts.scores = "Scores so far:\n" + attempt_lines + total_line;
  } else {
    texts.headline = "YOU LOSE!\n";
    texts.scores = "Scores:\n" + attempt_lines + total_line;
  }
  return texts;
}
