// Time of one high-score save of a 100-entry list when no other copy of the
// game is saving: the whole save, from the sort to the folder's sync.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "frontend/high_score_list.h"

namespace {

void HighScoreSave(benchmark::State& state) {
  std::string folder = (std::filesystem::temp_directory_path() / "morvane-bench-XXXXXX").string();
  if (!mkdtemp(folder.data())) return state.SkipWithError("no temporary folder");
  const std::string path = folder + "/high_scores/level.scr";
  std::filesystem::create_directories(folder + "/high_scores");
  {
    std::ofstream file(path);
    for (int entry = 0; entry < 100; ++entry) file << 100000 - entry * 37 << " PLAYER " << entry << "\n";
  }
  HighScoreList list({}, {}, {});
  list.load(path);
  list.add(5000, "NEW");
  // Every save after the first writes the same 101 lines.
  for (auto _ : state) list.save(path);
  std::filesystem::remove_all(folder);
}
BENCHMARK(HighScoreSave)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
