#pragma once

// Key codes as the keyboard reports them.
namespace Key {
inline constexpr int backspace = 8;
inline constexpr int enter = 13;
inline constexpr int escape = 27;
inline constexpr int up = 38;
inline constexpr int down = 40;
inline constexpr int a = 65;
inline constexpr int x = 88;
inline constexpr int z = 90;
}  // namespace Key
