#include <gtest/gtest.h>
#include <sys/wait.h>

#include <sstream>

#include "temp_folder.h"

namespace {

struct Outcome {
  int exit_code;
  std::string out, err;
};

const std::string close_prompt = "(press any key to close this console window)\n";

// Runs the program with no terminal attached in a folder holding levels/,
// headless, with the system libraries' own leaks left out of sanitizer runs.
Outcome run(const TempFolder& folder, const std::string& arguments) {
  const std::string dir = folder.path.string();
  const std::string command = "cd '" + dir + "' && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "
                              "LSAN_OPTIONS='suppressions=" MORVANE_SOURCE_DIR "/tests/lsan.supp:print_suppressions=0' "
                              "'" MORVANE_PROGRAM "' " + arguments + " >out.txt 2>err.txt </dev/null";
  const int status = std::system(command.c_str());
  std::ostringstream out, err;
  out << std::ifstream(dir + "/out.txt").rdbuf();
  err << std::ifstream(dir + "/err.txt").rdbuf();
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out.str(), err.str()};
}

}  // namespace

TEST(CommandLine, CheckReportsGoodAndBadLevelsWithExitCodes) {
  TempFolder folder;
  folder.write("levels/demo.qel", "type normal\nbackground sky\nground 0 4 g n\nitem 1 2 s\nitemdef s 1 0 a b c\n");
  folder.write("levels/unknown.qel", "type normal\n#\nspeed 3\n");
  folder.write("levels/future.qel", "version 2.0\n");
  folder.write("levels/nobg.qel", "type normal\n");
  for (const char* option : {"-cs", "--check-syntax"}) {
    const Outcome good = run(folder, std::string(option) + " demo.qel");
    EXPECT_EQ(good.exit_code, 0);
    EXPECT_EQ(good.out + good.err, "demo.qel is ok!\n" + close_prompt);
  }
  const std::pair<std::string, std::string> failures[] = {
      {"missing.qel", "levels/missing.qel could not be opened!"},
      {"unknown.qel", "Unknown keyword on line 3: speed"},
      {"future.qel", "Error opening file 'levels/future.qel'. Incompatible version."},
      {"nobg.qel", "Obligatory keyword background not defined"},
  };
  for (const auto& [name, message] : failures) {
    const Outcome bad = run(folder, "-cs " + name);
    EXPECT_EQ(bad.exit_code, 1) << name;
    EXPECT_EQ(bad.err, "Error: " + message + "\n");
    EXPECT_EQ(bad.out, close_prompt) << "no \" is ok!\" after an error";
  }
}

TEST(CommandLine, EveryOtherArgumentFormShowsTheUsage) {
  TempFolder folder;
  const std::string name = MORVANE_PROGRAM;
  const std::string usage = "Usage: \n  " + name + "\n  " + name + " --check-syntax <filename>\n  " + name +
                            " -cs <filename>\n  " + name + " -h\n" + close_prompt;
  for (const char* arguments : {"-cs", "-cs a.qel a.qel", "-CS a.qel", "-h", "--help"}) {
    const Outcome outcome = run(folder, arguments);
    EXPECT_EQ(outcome.exit_code, 0) << arguments;
    EXPECT_EQ(outcome.out, usage) << arguments;
  }
}

TEST(CommandLine, GameStoppedByAnErrorShowsItAndExitsWithOne) {
  TempFolder folder;  // no config/main.cfg
  const Outcome outcome = run(folder, "");
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.err, "Error: config/main.cfg could not be opened!\n");
  EXPECT_EQ(outcome.out, close_prompt);
}
