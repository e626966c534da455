#include "frontend/command_line.h"

#include <exception>

#include "datafile/data_file.h"
#include "frontend/play_game.h"
#include "platform/console.h"

namespace {

constexpr int exit_success = 0;
constexpr int exit_failure = 1;

// Every console the program opens is titled "Console", 80 columns by 160 lines.
void show_error(const std::string& message) {
  platform::ConsoleWindow console("Console", 80, 160);
  platform::Console::write_error_line("Error: " + message);
  console.display_close_message();
}

// Runs an action and turns any error message that escapes it into the
// "Error: " console; the action's own objects are gone before it opens.
template <typename Action>
int run_guarded(Action action) {
  std::string message;
  try {
    return action();
  } catch (const std::string& text) {
    message = text;
  } catch (const char* text) {
    message = text ? text : "";
  } catch (const std::exception& error) {
    message = error.what();
  }
  show_error(message);
  return exit_failure;
}

int check_syntax(const std::string& file_name) {
  const int result = run_guarded([&] {
    DataFile level;
    level.load_level(file_name);
    return exit_success;
  });
  if (result != exit_success) return result;
  platform::ConsoleWindow console("Console", 80, 160);
  platform::Console::write_line(file_name + " is ok!");
  console.display_close_message();
  return exit_success;
}

int show_usage(const std::string& program) {
  platform::ConsoleWindow console("Console", 80, 160);
  platform::Console::write_line("Usage: ");
  platform::Console::write_line("  " + program);
  platform::Console::write_line("  " + program + " --check-syntax <filename>");
  platform::Console::write_line("  " + program + " -cs <filename>");
  platform::Console::write_line("  " + program + " -h");
  console.display_close_message();
  return exit_success;
}

}  // namespace

int run_command_line(const std::vector<std::string>& args) {
  if (args.size() <= 1) return run_guarded([] { return play_game(); });
  if ((args[1] == "--check-syntax" || args[1] == "-cs") && args.size() == 3) {
    return check_syntax(args[2]);
  }
  return show_usage(args[0]);
}
