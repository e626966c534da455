// libFuzzer target: any bytes as a high-score file. Load, save, load again:
// every line that holds a score must survive as an entry, the list must run
// from the highest score down, and the saved file must hold exactly the
// entries' lines. Aborts on any violation.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "frontend/high_score_list.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own, in memory when the system offers it, so that the
// save's syncs cost nothing; removed when the fuzzer exits.
struct ScratchFolder {
  ScratchFolder() {
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string name = (base / "morvane-scores-XXXXXX").string();
    if (!mkdtemp(name.data())) std::abort();
    path = name;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

struct FileList : HighScoreList {
  FileList() : HighScoreList({}, {}, {}) {}
};

void check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "violated: %s\n", what);
    std::abort();
  }
}

// The entries the lines hold, read independently of the list: optional
// leading blanks, an optional sign, decimal digits within int, one skipped
// character, the rest of the line as the name.
std::vector<ScoreEntry> entries_of(const std::string& text) {
  std::vector<ScoreEntry> entries;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::size_t at = line.find_first_not_of(" \t\v\f\r");
    if (at == std::string::npos) continue;
    if (line[at] == '+' && at + 1 < line.size() && line[at + 1] != '-') ++at;
    int score = 0;
    const auto [end, error] = std::from_chars(line.data() + at, line.data() + line.size(), score);
    if (error != std::errc()) continue;
    const std::size_t digits_end = static_cast<std::size_t>(end - line.data());
    entries.push_back({score, digits_end < line.size() ? line.substr(digits_end + 1) : std::string()});
  }
  return entries;
}

std::vector<ScoreEntry> by_score_then_name(std::vector<ScoreEntry> entries) {
  std::sort(entries.begin(), entries.end(), [](const ScoreEntry& a, const ScoreEntry& b) {
    return a.score != b.score ? a.score > b.score : a.name < b.name;
  });
  return entries;
}

bool same(const std::vector<ScoreEntry>& a, const std::vector<ScoreEntry>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const ScoreEntry& x, const ScoreEntry& y) { return x.score == y.score && x.name == y.name; });
}

bool highest_first(const std::vector<ScoreEntry>& entries) {
  return std::is_sorted(entries.begin(), entries.end());
}

std::string read_bytes(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFolder folder;
  const std::string path = (folder.path / "level.scr").string();
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << input;

  FileList first;
  first.load(path);
  check(highest_first(first.get_entries()), "a loaded list runs from the highest score down");
  const std::vector<ScoreEntry> expected = by_score_then_name(entries_of(input));
  check(same(by_score_then_name(first.get_entries()), expected), "every line with a score is an entry");

  first.save(path);
  std::string lines;
  for (const ScoreEntry& entry : first.get_entries()) lines += std::to_string(entry.score) + " " + entry.name + "\n";
  check(read_bytes(path) == lines, "the saved file holds the entries' lines in list order");
  check(std::distance(fs::directory_iterator(folder.path), {}) == 1, "no temporary file is left");

  FileList second;
  second.load(path);
  check(highest_first(second.get_entries()), "a reloaded list runs from the highest score down");
  check(same(by_score_then_name(second.get_entries()), expected), "saving and loading again keeps every entry");
  return 0;
}
