#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/console.h"
#include "platform/directory_scanner.h"

namespace {

// Points a standard stream at another file for the life of the object.
class Redirect {
 public:
  Redirect(int stream, int target) : stream_(stream), saved_(dup(stream)) { dup2(target, stream); }
  ~Redirect() {
    dup2(saved_, stream_);
    close(saved_);
  }

 private:
  int stream_;
  int saved_;
};

std::vector<std::string> scan_all(platform::DirectoryScanner& scanner) {
  std::vector<std::string> names;
  while (scanner.next()) names.push_back(scanner.get_name());
  return names;
}

}  // namespace

TEST(DirectoryScanner, MatchesWildcardsCaseSensitiveInSortedOrder) {
  const auto folder = std::filesystem::temp_directory_path() / ("morvane-scan-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder / "dir.qel");
  for (const char* name : {"b.qel", "a.qel", "C.QEL", "x.qel.bak", "ab.cmp", "notes.txt"}) {
    std::ofstream(folder / name) << "x";
  }
  platform::DirectoryScanner scanner;
  ASSERT_TRUE(scanner.scan(folder.string(), "*.qel"));
  EXPECT_EQ(scan_all(scanner), (std::vector<std::string>{"a.qel", "b.qel", "dir.qel"}));
  EXPECT_FALSE(scanner.next()) << "stays at the end";
  EXPECT_EQ(scanner.get_name(), "");

  ASSERT_TRUE(scanner.scan(folder.string(), "?.*"));
  EXPECT_EQ(scan_all(scanner), (std::vector<std::string>{"C.QEL", "a.qel", "b.qel", "x.qel.bak"}));
  ASSERT_TRUE(scanner.scan(folder.string(), "*e*a*"));
  EXPECT_EQ(scan_all(scanner), (std::vector<std::string>{"x.qel.bak"}));

  EXPECT_FALSE(scanner.scan((folder / "missing").string(), "*"));
  EXPECT_FALSE(scanner.next());
  std::filesystem::remove_all(folder);
}

TEST(Console, LinesGoToStdoutErrorsToStderrAndNoTerminalMeansNoWait) {
  const int null_input = open("/dev/null", O_RDONLY);
  Redirect input(STDIN_FILENO, null_input);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  {
    platform::ConsoleWindow console("Console", 80, 160);
    platform::Console::write("demo");
    platform::Console::write_line(".qel is ok!");
    platform::Console::write_error("Error: ");
    platform::Console::write_error_line("broken");
    console.display_close_message();
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "demo.qel is ok!\n(press any key to close this console window)\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: broken\n");
  close(null_input);
}

TEST(Console, OnATerminalSetsTheTitleAndTakesOneKeyWithoutEnter) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  // A single key with no line end: only a raw-mode read returns.
  ASSERT_EQ(write(master, "k", 1), 1);
  {
    Redirect input(STDIN_FILENO, terminal);
    Redirect output(STDOUT_FILENO, terminal);
    platform::ConsoleWindow console("Console", 80, 160);
    console.display_close_message();
  }
  char shown[512] = {};
  const ssize_t got = read(master, shown, sizeof shown - 1);
  ASSERT_GT(got, 0);
  const std::string text(shown, static_cast<std::size_t>(got));
  EXPECT_NE(text.find("\033]0;Console\007"), std::string::npos);
  EXPECT_NE(text.find("(press any key to close this console window)"), std::string::npos);
  close(terminal);
  close(master);
}
