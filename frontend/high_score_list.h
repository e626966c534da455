#pragma once
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/display.h"

// One entry of a level's high-score list.
struct ScoreEntry {
  int score = 0;
  std::string name;

  // Sorting with this puts the highest score first.
  bool operator<(const ScoreEntry& other) const { return score > other.score; }
  // The entry's line: the score, one blank, the name, a line break.
  void write(std::ostream& out) const;
  std::string get_name() const { return name; }
};

// A level's high scores in memory, with the screen that shows the best five.
// The file holds one "score name" line per entry, highest score first.
class HighScoreList {
 public:
  HighScoreList(platform::GraphicContext gc, platform::InputDevice keyboard, platform::DisplayWindow window);
  HighScoreList(const HighScoreList&) = delete;
  HighScoreList& operator=(const HighScoreList&) = delete;
  ~HighScoreList();

  // Adds the entries of the file and sorts; a missing file leaves the list
  // unchanged, and so does one that cannot be read whole, which save then
  // spares. Lines that do not begin with a whole number are skipped.
  void load(std::string path);
  void add(int score, std::string name);
  // Sorts, then replaces the file (creating its folder when missing) with the
  // entries it holds at this moment, which another copy of the game may have
  // added to, and the entries of this list that were not read from it. The
  // list then holds what the file holds. A file that cannot be written, or
  // that could not be read whole, is left as it is, with one line on
  // standard error.
  void save(std::string path);
  // The screen; returns when the player leaves it with Z or ESC.
  void show();

  const std::vector<ScoreEntry>& get_entries() const { return entries; }
  // The first five entries' lines, as the screen shows them.
  std::string best_five_text() const;

 private:
  std::vector<ScoreEntry> entries;
  // The files that load could not read, with the reason.
  std::map<std::string, std::string> unreadable;
  // The entries read from each file, or written to it: save adds only the
  // others, so that none is filed twice.
  std::map<std::string, std::vector<ScoreEntry>> known_in_file;
  platform::GraphicContext gc;
  platform::InputDevice keyboard;
  platform::DisplayWindow window;
};
