// The program's entry: hands its arguments to run_command_line, which says
// what each form does.
#include <string>
#include <vector>

#include "frontend/command_line.h"

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i] ? argv[i] : "");
  return run_command_line(args);
}
