#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <iostream>
#include <sstream>
#include <thread>

#include "frontend/command_line.h"
#include "platform/seam.h"
#include "support/blank_png.h"
#include "temp_folder.h"

// The exit code and what a run wrote to DIR/out.txt and DIR/err.txt; every
// run ends with the close prompt.
void expect_ended(const std::string& dir, int status, int exit_code, const std::string& out, const std::string& err,
                  const std::string& label) {
  auto read = [&](const char* file) { return (std::ostringstream() << std::ifstream(dir + file).rdbuf()).str(); };
  EXPECT_EQ(std::tuple(WIFEXITED(status) ? WEXITSTATUS(status) : -1, read("/out.txt"), read("/err.txt")),
            std::tuple(exit_code, out + "(press any key to close this console window)\n", err))
      << label;
}

// Runs the program the way a level author does: from a folder holding levels/,
// with no terminal attached, so that the close prompt does not wait.
TEST(CommandLine, EachArgumentFormGivesItsLinesAndExitCode) {
  TempFolder folder;
  folder.write("levels/demo.qel", "type normal\nbackground sky\nground 0 4 g n\nitem 1 2 s\nitemdef s 1 0 a b c\n");
  folder.write("levels/unknown.qel", "type normal\n#\nspeed 3\n");
  folder.write("levels/future.qel", "version 2.0\n");
  folder.write("levels/nobg.qel", "type normal\n");
  folder.write("levels/control.qel", "type normal\n#\n\x1b]0;owned\x07\x1b[2J\tx\x7f\x01\x1f\rcaf\xc3\xa9 3\n");
  folder.write("levels/marked.qel", "\xEF\xBB\xBF# saved by an editor\ntype normal\n");
  // A sparse file of 100 GB of zero bytes, and a named pipe that nobody writes to.
  std::filesystem::resize_file(folder.write("levels/giant.qel", ""), 100ull << 30);
  ASSERT_EQ(mkfifo((folder.path / "levels/pipe.qel").c_str(), 0600), 0);
  const std::string name = MORVANE_PROGRAM;
  const std::string usage = "Usage: \n  " + name + "\n  " + name + " --check-syntax <filename>\n  " + name +
                            " -cs <filename>\n  " + name + " -h\n";
  const struct { std::string arguments; int exit_code; std::string out, err; } cases[] = {
      {"-cs demo.qel", 0, "demo.qel is ok!\n", ""}, {"--check-syntax demo.qel", 0, "demo.qel is ok!\n", ""},
      {"-cs missing.qel", 1, "", "Error: levels/missing.qel could not be opened!\n"},
      {"-cs unknown.qel", 1, "", "Error: Unknown keyword on line 3: speed\n"},
      {"-cs future.qel", 1, "", "Error: Error opening file 'levels/future.qel'. Incompatible version.\n"},
      {"-cs nobg.qel", 1, "", "Error: Obligatory keyword background not defined\n"},
      // Control bytes from a file or a name reach the terminal escaped; tabs and UTF-8 pass.
      {"-cs control.qel", 1, "",
       "Error: Unknown keyword on line 3: \\x1B]0;owned\\x07\\x1B[2J\tx\\x7F\\x01\\x1F\\x0Dcaf\xc3\xa9\n"},
      {"-cs '\x1b[2J.qel'", 1, "", "Error: levels/\\x1B[2J.qel could not be opened!\n"},
      {"-cs marked.qel", 1, "", "Error: Unknown keyword on line 1: <byte-order mark>#\n"},
      {"-cs giant.qel", 1, "", "Error: levels/giant.qel could not be read: it is larger than 16 MiB\n"},
      {"-cs pipe.qel", 1, "", "Error: levels/pipe.qel could not be opened!\n"},
      {"", 1, "", "Error: config/main.cfg could not be opened!\n"},  // the game, ended by an error
      {"-cs", 0, usage, ""}, {"-cs demo.qel demo.qel", 0, usage, ""}, {"-CS demo.qel", 0, usage, ""},
      {"-h", 0, usage, ""}, {"--help", 0, usage, ""},
  };
  for (const auto& test : cases) {
    const std::string dir = folder.path.string();
    const int status = std::system(("cd '" + dir + "' && LSAN_OPTIONS='suppressions=" MORVANE_SOURCE_DIR
                                    "/tests/lsan.supp:print_suppressions=0' '" MORVANE_PROGRAM "' " +
                                    test.arguments + " >out.txt 2>err.txt </dev/null")
                                       .c_str());
    expect_ended(dir, status, test.exit_code, test.out, test.err, test.arguments);
  }
}

// The level checker in a child process whose reads of the level fail
// part-way, as on a failing disk: a level it could not read to the end is
// never "ok".
TEST(CommandLine, ALevelThatCannotBeReadToItsEndIsNotOk) {
  TempFolder folder;
  folder.write("levels/demo.qel", "type normal\nbackground sky\nground 0 4 g n\nitem 1 2 s\nitemdef s 1 0 a b c\n");
  const struct { long failing_after; int exit_code; std::string out, err; } cases[] = {
      {-1, 0, "demo.qel is ok!\n", ""},
      {40, 1, "", "Error: levels/demo.qel could not be read: Input/output error\n"},
  };
  const std::string dir = folder.path.string();
  for (const auto& test : cases) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      platform::VirtualSeam seam;
      platform::ScopedSeam scoped_seam(seam);
      if (test.failing_after >= 0) seam.fail_reads("levels/demo.qel", test.failing_after, EIO);
      const int in = open("/dev/null", O_RDONLY);
      const int out = open((dir + "/out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = open((dir + "/err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (in < 0 || out < 0 || err < 0 || chdir(dir.c_str()) != 0) _exit(126);
      dup2(in, STDIN_FILENO), dup2(out, STDOUT_FILENO), dup2(err, STDERR_FILENO);
      const int exit_code = run_command_line({"morvane", "-cs", "demo.qel"});
      std::cout.flush(), std::cerr.flush();
      _exit(exit_code);
    }
    int status = 0;
    waitpid(child, &status, 0);
    expect_ended(dir, status, test.exit_code, test.out, test.err, std::to_string(test.failing_after));
  }
}

// Pictures too large for the game end it with one "Error: " line naming the
// folder or file, before any is decoded: 21 selector frames of 8192x8192 used
// to end it with "Error: std::bad_alloc" after asking for about 11 GB.
TEST(CommandLine, TheGameEndsWithOneErrorLineOnPicturesTooLarge) {
  TempFolder folder;
  folder.write("config/main.cfg", "background menu.png\n");
  const std::string dir = folder.path.string();
  std::filesystem::create_directories(folder.path / "star_selector");
  test_support::write_blank_png(dir + "/star_selector/0001.png", 8192, 8192);
  for (int frame = 2; frame <= 21; ++frame)
    std::filesystem::copy_file(dir + "/star_selector/0001.png",
                               dir + "/star_selector/" + std::to_string(10000 + frame).substr(1) + ".png");
  // A missing bound fails here, not the machine; AddressSanitizer reserves terabytes of address space up front.
  std::string memory_cap = "ulimit -v 4194304 && ";
#if defined(__SANITIZE_ADDRESS__)
  memory_cap.clear();
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  memory_cap.clear();
#endif
#endif
  const struct { std::uint32_t background_side; std::string err; } cases[] = {
      {9000, "Error: Could not load picture 'menu.png': 9000x9000 pixels is more than 8192 on a side\n"},
      {640, "Error: Could not load the 21 pictures in 'star_selector/': 1409286144 pixels in all is more than "
            "67108864 (8192x8192)\n"},
  };
  for (const auto& test : cases) {
    test_support::write_blank_png(dir + "/menu.png", test.background_side, test.background_side);
    const int status = std::system(("cd '" + dir + "' && " + memory_cap + "LSAN_OPTIONS='suppressions=" MORVANE_SOURCE_DIR
                                    "/tests/lsan.supp:print_suppressions=0' '" MORVANE_PROGRAM
                                    "' >out.txt 2>err.txt </dev/null")
                                       .c_str());
    expect_ended(dir, status, 1, "", test.err, test.err);
  }
}

// The level checker on a terminal of its own, ended while its close prompt
// waits for a key: by the key, by Ctrl-C typed, by a kill, by a hang-up. The
// terminal has its echo and line editing back in every case, and a signal
// still ends the program as that signal.
TEST(CommandLine, TheTerminalGetsItsSettingsBackHoweverTheCloseWaitEnds) {
  TempFolder folder;
  folder.write("levels/demo.qel", "type normal\nbackground sky\nground 0 4 g n\nitem 1 2 s\nitemdef s 1 0 a b c\n");
  setenv("LSAN_OPTIONS", "suppressions=" MORVANE_SOURCE_DIR "/tests/lsan.supp:print_suppressions=0", 1);
  const struct { const char* what; const char* typed; int signal; } cases[] = {
      {"a key", "k", 0}, {"Ctrl-C", "\x03", SIGINT}, {"kill", nullptr, SIGTERM}, {"hang-up", nullptr, SIGHUP}};
  for (const auto& test : cases) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const std::string terminal_name = ptsname(master);
    const pid_t program = fork();
    ASSERT_GE(program, 0);
    if (program == 0) {  // the program in a session whose controlling terminal is the new one
      setsid();
      const int terminal = open(terminal_name.c_str(), O_RDWR);
      if (terminal < 0 || chdir(folder.path.c_str()) != 0) _exit(126);
      dup2(terminal, STDIN_FILENO), dup2(terminal, STDOUT_FILENO), dup2(terminal, STDERR_FILENO);
      execl(MORVANE_PROGRAM, MORVANE_PROGRAM, "-cs", "demo.qel", static_cast<char*>(nullptr));
      _exit(127);
    }
    const int terminal = open(terminal_name.c_str(), O_RDWR | O_NOCTTY);
    const auto echo_and_editing = [&] {
      termios now{};
      tcgetattr(terminal, &now);
      return (now.c_lflag & (ECHO | ICANON)) == (ECHO | ICANON);
    };
    // Wait for the prompt, then for the raw mode it waits in.
    std::string shown;
    pollfd output{master, POLLIN, 0};
    while (shown.find("window)") == std::string::npos && poll(&output, 1, 20000) > 0) {
      char chunk[256];
      const ssize_t got = read(master, chunk, sizeof chunk);
      if (got <= 0) break;
      shown.append(chunk, static_cast<std::size_t>(got));
    }
    for (int tries = 0; echo_and_editing() && tries < 2000; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(echo_and_editing()) << test.what << ": the prompt waits in raw mode; it showed " << shown;
    if (test.typed) {
      EXPECT_EQ(write(master, test.typed, 1), 1);
    } else {
      kill(program, test.signal);
    }
    int status = 0;
    waitpid(program, &status, 0);
    EXPECT_EQ(std::pair(WIFSIGNALED(status) ? WTERMSIG(status) : 0, WIFEXITED(status) ? WEXITSTATUS(status) : -1),
              std::pair(test.signal, test.signal ? -1 : 0)) << test.what;
    EXPECT_TRUE(echo_and_editing()) << test.what << ": the terminal is left without echo or line editing";
    close(terminal), close(master);
  }
}
