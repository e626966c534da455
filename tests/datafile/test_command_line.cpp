#include <gtest/gtest.h>
#include <sys/wait.h>

#include <sstream>

#include "temp_folder.h"

// Runs the program the way a level author does: from a folder holding levels/,
// with no terminal attached, so that the close prompt does not wait.
TEST(CommandLine, EachArgumentFormGivesItsLinesAndExitCode) {
  TempFolder folder;
  folder.write("levels/demo.qel", "type normal\nbackground sky\nground 0 4 g n\nitem 1 2 s\nitemdef s 1 0 a b c\n");
  folder.write("levels/unknown.qel", "type normal\n#\nspeed 3\n");
  folder.write("levels/future.qel", "version 2.0\n");
  folder.write("levels/nobg.qel", "type normal\n");
  folder.write("levels/control.qel", "type normal\n#\n\x1b]0;owned\x07\x1b[2J\tx\x7f\x01\x1f\rcaf\xc3\xa9 3\n");
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
    auto read = [&](const char* file) { return (std::ostringstream() << std::ifstream(dir + file).rdbuf()).str(); };
    EXPECT_EQ(std::tuple(WIFEXITED(status) ? WEXITSTATUS(status) : -1, read("/out.txt"), read("/err.txt")),
              std::tuple(test.exit_code, test.out + "(press any key to close this console window)\n", test.err))
        << test.arguments;
  }
}
