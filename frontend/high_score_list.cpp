#include "frontend/high_score_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "frontend/key_codes.h"
#include "frontend/safe_file_writer.h"
#include "platform/console.h"
#include "platform/font.h"
#include "platform/system.h"

namespace {

// A line "score name": the whole number at the start (after any leading
// white space), then exactly one separating character, then the name.
bool parse_score_line(const std::string& line, ScoreEntry& entry) {
  std::size_t pos = line.find_first_not_of(" \t\v\f\r");
  if (pos == std::string::npos) return false;
  std::size_t digits_start = pos;
  if (line[pos] == '+' || line[pos] == '-') ++digits_start;
  std::size_t digits_end = digits_start;
  while (digits_end < line.size() && line[digits_end] >= '0' && line[digits_end] <= '9') ++digits_end;
  if (digits_end == digits_start) return false;

  const std::string number = line.substr(pos, digits_end - pos);
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(number.c_str(), &end, 10);
  if (errno == ERANGE || value > INT_MAX || value < INT_MIN) return false;

  entry.score = static_cast<int>(value);
  entry.name = digits_end < line.size() ? line.substr(digits_end + 1) : std::string();
  return true;
}

// Reads the whole file into `text`. Returns 0, or the error number that
// stopped the reading: EISDIR for a folder, EINVAL for any other kind of file
// that is not a regular one. Opening does not wait, so a pipe cannot hang the game.
int read_whole_file(const std::string& path, std::string& text) {
  const int handle = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (handle < 0) return errno;
  struct stat status {};
  int error = ::fstat(handle, &status) != 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
  if (error == 0 && !S_ISREG(status.st_mode)) error = EINVAL;
  char block[65536];
  while (error == 0) {
    const ssize_t got = ::read(handle, block, sizeof block);
    if (got == 0) break;
    if (got > 0) {
      text.append(block, static_cast<std::size_t>(got));
    } else if (errno != EINTR) {
      error = errno;
    }
  }
  ::close(handle);
  return error;
}

}  // namespace

void ScoreEntry::write(std::ostream& out) const {
  out << score << " " << name << "\n";
  out.flush();
}

HighScoreList::HighScoreList(platform::GraphicContext gc, platform::InputDevice keyboard,
                             platform::DisplayWindow window)
    : gc(std::move(gc)), keyboard(std::move(keyboard)), window(std::move(window)) {}

HighScoreList::~HighScoreList() {
  window = platform::DisplayWindow();
  keyboard = platform::InputDevice();
  gc = platform::GraphicContext();
  entries.clear();
}

void HighScoreList::load(std::string path) {
  try {
    std::string text;
    const int error = read_whole_file(path, text);
    // No level run has filed a score here yet.
    if (error == ENOENT || error == ENOTDIR) return;
    if (error != 0) {
      unreadable[path] = error == EINVAL ? "not a regular file" : std::generic_category().message(error);
      return;
    }
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
      ScoreEntry entry;
      if (parse_score_line(line, entry)) add(entry.score, entry.name);
    }
    std::sort(entries.begin(), entries.end());
  } catch (...) {
    throw std::runtime_error(path + " could not be found!");
  }
}

void HighScoreList::add(int score, std::string name) {
  entries.push_back(ScoreEntry{score, std::move(name)});
}

void HighScoreList::save(std::string path) {
  std::sort(entries.begin(), entries.end());
  std::ostringstream text;
  for (const ScoreEntry& entry : entries) entry.write(text);
  const auto not_read = unreadable.find(path);
  // Writing would wipe the scores that could not be read.
  const std::string reason = not_read != unreadable.end() ? "it could not be read (" + not_read->second + ")"
                                                          : write_file_safely(path, text.str());
  if (!reason.empty()) platform::Console::write_error_line("The score was not saved to " + path + ": " + reason);
}

std::string HighScoreList::best_five_text() const {
  std::ostringstream text;
  const std::size_t shown = std::min<std::size_t>(5, entries.size());
  for (std::size_t i = 0; i < shown; ++i) entries[i].write(text);
  return text.str();
}

void HighScoreList::show() {
  platform::Font font(gc, "Verdana", 40);
  const platform::Gradient gradient(platform::Colorf::from_bytes(23, 95, 39),
                                    platform::Colorf::from_bytes(7, 56, 17));
  const platform::Colorf text_colour = platform::Colorf::from_bytes(186, 145, 42);
  const std::string title = "Highscores: ";
  const std::string entries_text = best_five_text();
  // Drawn on the bottom line, where the result screen puts its prompt, so
  // that it stays inside the window.
  const std::string prompt = "Press Z to chase your dreams again!";

  bool z_held = keyboard.get_keycode(Key::z);
  for (;;) {
    if (keyboard.get_keycode(Key::z) && !z_held) break;
    if (keyboard.get_keycode(Key::escape)) break;
    if (!keyboard.get_keycode(Key::z)) z_held = false;

    platform::Draw::gradient_fill(gc, platform::Rectf(0, 0, 640, 480), gradient);
    font.draw_text(gc, 270, 160, title, text_colour);
    font.draw_text(gc, 290, 200, entries_text, text_colour);
    font.draw_text(gc, 15, 440, prompt, text_colour);

    window.flip(-1);
    platform::System::sleep(50);
    platform::KeepAlive::process(0);
  }
}
