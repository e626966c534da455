#include <fcntl.h>
#include <gmock/gmock.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "platform/console.h"

namespace {

// Runs the console's close prompt with standard input and output on `input`
// and `output`.
void close_console_on(int input, int output) {
  const int saved_in = dup(STDIN_FILENO), saved_out = dup(STDOUT_FILENO);
  dup2(input, STDIN_FILENO), dup2(output, STDOUT_FILENO);
  platform::ConsoleWindow("Console", 80, 160).display_close_message();
  dup2(saved_in, STDIN_FILENO), dup2(saved_out, STDOUT_FILENO);
  close(saved_in), close(saved_out);
}

}  // namespace

TEST(Console, ClosePromptWaitsForOneRawKeyOnlyOnATerminal) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
  const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ASSERT_EQ(write(master, "k", 1), 1);  // no line end: only a raw-mode read returns
  close_console_on(terminal, terminal);
  // The terminal hands output on asynchronously: collect it until the prompt shows.
  std::string text;
  pollfd ready{master, POLLIN, 0};
  while (text.find("window)") == std::string::npos && poll(&ready, 1, 5000) > 0) {
    char chunk[256];
    const ssize_t got = read(master, chunk, sizeof chunk);
    if (got <= 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
  }
  EXPECT_THAT(text, ::testing::AllOf(::testing::HasSubstr("\033]0;Console\007"),
                                     ::testing::HasSubstr("(press any key to close this console window)")));

  // Without a terminal: the prompt alone, no title, and the key waiting in the input is left unread.
  int input[2], output[2];
  ASSERT_TRUE(pipe(input) == 0 && pipe(output) == 0);
  ASSERT_EQ(write(input[1], "k", 1), 1);
  close(input[1]);
  close_console_on(input[0], output[1]);
  close(output[1]);
  std::string written(100, '\0');
  written.resize(static_cast<std::size_t>(std::max<ssize_t>(read(output[0], written.data(), written.size()), 0)));
  char key = 0;
  EXPECT_EQ(std::tuple(written, read(input[0], &key, 1), key),
            std::tuple("(press any key to close this console window)\n", 1, 'k'));
  for (int handle : {terminal, master, input[0], output[0]}) close(handle);
}
