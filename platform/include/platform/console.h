#pragma once
#include <string>

namespace platform {

// The console is the terminal the program runs in. Making one sets the
// terminal's title when standard output is a terminal.
class ConsoleWindow {
 public:
  ConsoleWindow(const std::string& title, int width = 80, int height = 160);
  ~ConsoleWindow();
  ConsoleWindow(const ConsoleWindow&) = delete;
  ConsoleWindow& operator=(const ConsoleWindow&) = delete;
  // Writes "(press any key to close this console window)" and waits for one
  // key only when standard input is a terminal; never waits otherwise.
  void display_close_message();
};

// Every console text goes out through these; each byte below 0x20 other than
// a tab, and 0x7f, is written as "\xNN" (upper-case hex), so that no file's
// contents can drive the terminal.
struct Console {
  static void write(const std::string& text);       // standard output
  static void write_line(const std::string& text);  // standard output
  static void write_error(const std::string& text);       // standard error
  static void write_error_line(const std::string& text);  // standard error
};

}  // namespace platform
