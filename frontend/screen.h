#pragma once

// The numbers by which a screen names the screen that follows it.
namespace Screen {
inline constexpr int profile_select = 0;
inline constexpr int profile_creation = 1;
inline constexpr int level_select = 3;
inline constexpr int main_menu = 5;
inline constexpr int credits = 6;
}  // namespace Screen
