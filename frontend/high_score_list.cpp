#include "frontend/high_score_list.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

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

std::vector<ScoreEntry> parse_score_list(const std::string& text) {
  std::vector<ScoreEntry> entries;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    ScoreEntry entry;
    if (parse_score_line(line, entry)) entries.push_back(std::move(entry));
  }
  return entries;
}

// The entries of `list` that are not among `known` (each known entry
// accounting for one equal entry of the list).
std::vector<ScoreEntry> not_among(const std::vector<ScoreEntry>& list, const std::vector<ScoreEntry>& known) {
  std::map<std::pair<int, std::string>, std::size_t> unmatched;
  for (const ScoreEntry& entry : known) ++unmatched[{entry.score, entry.name}];
  std::vector<ScoreEntry> others;
  for (const ScoreEntry& entry : list) {
    const auto match = unmatched.find({entry.score, entry.name});
    if (match != unmatched.end() && match->second > 0) {
      --match->second;
    } else {
      others.push_back(entry);
    }
  }
  return others;
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
    std::string text, reason;
    bool exists = false;  // a missing file: no level run has filed a score here yet
    if (!read_saved_file(path, text, exists, reason)) {
      unreadable[path] = reason;
      return;
    }
    std::vector<ScoreEntry>& known = known_in_file[path];
    known = parse_score_list(text);
    for (const ScoreEntry& entry : known) add(entry.score, entry.name);
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
  std::vector<ScoreEntry> merged;
  const auto merge = [&](const std::string* on_disk, std::string&) {
    merged = on_disk ? parse_score_list(*on_disk) : std::vector<ScoreEntry>();
    for (ScoreEntry& entry : not_among(entries, known_in_file[path])) merged.push_back(std::move(entry));
    std::sort(merged.begin(), merged.end());
    std::ostringstream text;
    for (const ScoreEntry& entry : merged) entry.write(text);
    return text.str();
  };
  const auto not_read = unreadable.find(path);
  // Writing would wipe the scores that could not be read.
  const std::string reason = not_read != unreadable.end() ? "it could not be read (" + not_read->second + ")"
                                                          : save_merged_with_disk(path, merge);
  if (!reason.empty()) {
    platform::Console::write_error_line("The score was not saved to " + path + ": " + reason);
    return;
  }
  entries = merged;
  known_in_file[path] = std::move(merged);
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
