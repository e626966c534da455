#include "platform/console.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace platform {

namespace {

// Messages quote files and names as they are; a control byte among them (an
// ESC sequence can retitle or clear the terminal) is shown as "\xNN" instead.
// Every other byte passes, so UTF-8 text stays readable.
std::string printable(const std::string& text) {
  static const char hex_digits[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && byte != '\t') || byte == 0x7f) {
      shown += "\\x";
      shown += hex_digits[byte >> 4];
      shown += hex_digits[byte & 0x0f];
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace

ConsoleWindow::ConsoleWindow(const std::string& title, int /*width*/, int /*height*/) {
  // The terminal keeps its own size; only its title can follow the window's.
  if (isatty(STDOUT_FILENO)) {
    std::cout << "\033]0;" << title << "\007" << std::flush;
  }
}

ConsoleWindow::~ConsoleWindow() { std::cout.flush(); }

void ConsoleWindow::display_close_message() {
  std::cout << "(press any key to close this console window)" << std::endl;
  std::cerr.flush();
  if (!isatty(STDIN_FILENO)) return;  // scripts and tests never wait

  termios saved{};
  if (tcgetattr(STDIN_FILENO, &saved) != 0) return;
  termios raw = saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) {
    char key = 0;
    [[maybe_unused]] const ssize_t got = ::read(STDIN_FILENO, &key, 1);
    // Keys such as the arrows send several bytes; none may reach the shell.
    tcflush(STDIN_FILENO, TCIFLUSH);
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  }
}

void Console::write(const std::string& text) { std::cout << printable(text) << std::flush; }

void Console::write_line(const std::string& text) { std::cout << printable(text) << '\n' << std::flush; }

void Console::write_error(const std::string& text) { std::cerr << printable(text) << std::flush; }

void Console::write_error_line(const std::string& text) { std::cerr << printable(text) << '\n' << std::flush; }

}  // namespace platform
