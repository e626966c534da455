#include <fcntl.h>
#include <gmock/gmock.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/console.h"
#include "platform/directory_scanner.h"

namespace {

std::vector<std::string> scan(const std::filesystem::path& folder, const std::string& pattern) {
  platform::DirectoryScanner scanner;
  std::vector<std::string> names;
  if (!scanner.scan(folder.string(), pattern)) names.push_back("<unreadable>");
  while (scanner.next()) names.push_back(scanner.get_name());
  return names;
}

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

TEST(DirectoryScanner, MatchesWildcardsCaseSensitiveInSortedOrder) {
  const auto folder = std::filesystem::temp_directory_path() / ("morvane-scan-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder / "dir.qel");
  for (const char* name : {"b.qel", "a.qel", "C.QEL", "x.qel.bak", "notes.txt"}) std::ofstream(folder / name) << "x";
  EXPECT_EQ(scan(folder, "*.qel"), (std::vector<std::string>{"a.qel", "b.qel", "dir.qel"}));
  EXPECT_EQ(scan(folder, "?.*"), (std::vector<std::string>{"C.QEL", "a.qel", "b.qel", "x.qel.bak"}));
  EXPECT_EQ(scan(folder, "*e*a*"), std::vector<std::string>{"x.qel.bak"});
  EXPECT_EQ(scan(folder / "missing", "*"), std::vector<std::string>{"<unreadable>"});
  std::filesystem::remove_all(folder);
}

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

  // Without a terminal there is no title and no wait (this would hang otherwise).
  const int null_input = open("/dev/null", O_RDONLY), null_output = open("/dev/null", O_WRONLY);
  close_console_on(null_input, null_output);
  for (int handle : {terminal, master, null_input, null_output}) close(handle);
}
