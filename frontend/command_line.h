#pragma once
#include <string>
#include <vector>

// The program's entry with its arguments (the program's name first): no
// arguments play the game, "-cs" / "--check-syntax" with a file name checks
// that level file under "levels/", anything else prints the usage text.
// Returns the exit code: 0 when the game ends normally, the check passes or
// the usage is shown; 1 when the check fails or an error ends the game, so
// that scripts can tell them apart.
int run_command_line(const std::vector<std::string>& args);
