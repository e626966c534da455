#include "platform/console.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <iterator>

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

// The terminal's settings while the close prompt waits in raw mode, for a
// signal handler to put back: only a file-level object can reach one.
termios settings_before_prompt{};

// The signals that end the program by default while it waits for the key.
constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Puts the terminal back, then lets the signal end the program as it would
// have (the exit status stays that of the signal). Uses only calls that are
// safe in a signal handler.
extern "C" void restore_terminal_and_end(int signal_number) {
  ::tcsetattr(STDIN_FILENO, TCSANOW, &settings_before_prompt);
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);  // held until the handler returns, then ends the program
}

// While it lives, a signal that would end the program first restores the
// terminal settings; when it goes, the settings and the old handlers are
// put back. A signal the program ignores stays ignored.
class TerminalRestorer {
 public:
  explicit TerminalRestorer(const termios& saved) {
    settings_before_prompt = saved;
    struct sigaction restore {};
    restore.sa_handler = restore_terminal_and_end;
    sigemptyset(&restore.sa_mask);
    for (const int signal_number : ending_signals) sigaddset(&restore.sa_mask, signal_number);
    for (std::size_t i = 0; i < std::size(ending_signals); ++i) {
      sigaction(ending_signals[i], nullptr, &previous_[i]);
      if (previous_[i].sa_handler != SIG_IGN) sigaction(ending_signals[i], &restore, nullptr);
    }
  }
  ~TerminalRestorer() {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &settings_before_prompt);
    for (std::size_t i = 0; i < std::size(ending_signals); ++i) sigaction(ending_signals[i], &previous_[i], nullptr);
  }
  TerminalRestorer(const TerminalRestorer&) = delete;
  TerminalRestorer& operator=(const TerminalRestorer&) = delete;

 private:
  struct sigaction previous_[std::size(ending_signals)] {};
};

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
  // Ctrl-C, a hang-up or a kill while the prompt waits must not leave the
  // terminal without echo and line editing.
  const TerminalRestorer restorer(saved);
  if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) {
    char key = 0;
    [[maybe_unused]] const ssize_t got = ::read(STDIN_FILENO, &key, 1);
    // Keys such as the arrows send several bytes; none may reach the shell.
    tcflush(STDIN_FILENO, TCIFLUSH);
  }
}

void Console::write(const std::string& text) { std::cout << printable(text) << std::flush; }

void Console::write_line(const std::string& text) { std::cout << printable(text) << '\n' << std::flush; }

void Console::write_error(const std::string& text) { std::cerr << printable(text) << std::flush; }

void Console::write_error_line(const std::string& text) { std::cerr << printable(text) << '\n' << std::flush; }

}  // namespace platform
