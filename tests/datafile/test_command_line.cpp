#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "temp_folder.h"

namespace {

struct Outcome {
  int exit_code;
  std::string out;
  std::string err;
};

const std::string close_prompt = "(press any key to close this console window)\n";

// Runs the program in a folder holding levels/, with no terminal attached.
class CommandLine : public ::testing::Test {
 protected:
  CommandLine() {
    folder.write("levels/demo.qel",
                 "type normal\nbackground sky\nground 0 400 ground1 none\nitem 1 2 star\n"
                 "itemdef star 10 2 cumulative notCrashable notDeadly\n");
  }

  Outcome run(const std::string& arguments) {
    const std::string dir = folder.path().string();
    const std::string command = "cd '" + dir + "' && '" MORVANE_PROGRAM "' " + arguments +
                                " >out.txt 2>err.txt </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(dir + "/out.txt"), slurp(dir + "/err.txt")};
  }

  static std::string slurp(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }

  TempFolder folder;
};

}  // namespace

TEST_F(CommandLine, CheckReportsGoodAndBadLevelsWithExitCodes) {
  for (const char* option : {"-cs", "--check-syntax"}) {
    const Outcome good = run(std::string(option) + " demo.qel");
    EXPECT_EQ(good.exit_code, 0);
    EXPECT_EQ(good.out, "demo.qel is ok!\n" + close_prompt);
    EXPECT_EQ(good.err, "");
  }

  folder.write("levels/unknown.qel", "type normal\n#\nspeed 3\n");
  folder.write("levels/future.qel", "version 2.0\n");
  folder.write("levels/nobg.qel", "type normal\n");
  const std::pair<std::string, std::string> failures[] = {
      {"missing.qel", "levels/missing.qel could not be opened!"},
      {"unknown.qel", "Unknown keyword on line 3: speed"},
      {"future.qel", "Error opening file 'levels/future.qel'. Incompatible version."},
      {"nobg.qel", "Obligatory keyword background not defined"},
  };
  for (const auto& [name, message] : failures) {
    const Outcome bad = run("-cs " + name);
    EXPECT_EQ(bad.exit_code, 1) << name;
    EXPECT_EQ(bad.err, "Error: " + message + "\n");
    EXPECT_EQ(bad.out, close_prompt) << "no \" is ok!\" after an error";
  }
}

TEST_F(CommandLine, EveryOtherArgumentFormShowsTheUsage) {
  const std::string name = MORVANE_PROGRAM;
  const std::string usage = "Usage: \n  " + name + "\n  " + name + " --check-syntax <filename>\n  " + name +
                            " -cs <filename>\n  " + name + " -h\n" + close_prompt;
  for (const char* arguments : {"-cs", "-cs demo.qel demo.qel", "-CS demo.qel", "-h", "--help"}) {
    const Outcome outcome = run(arguments);
    EXPECT_EQ(outcome.exit_code, 0) << arguments;
    EXPECT_EQ(outcome.out, usage) << arguments;
  }
}
