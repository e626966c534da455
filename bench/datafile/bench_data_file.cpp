// Time to read a level file of 10,000 lines: a mix of ground, item and
// itemdef records with the usual single-value keywords and some comments.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "datafile/data_file.h"

namespace {

std::string write_level(int lines) {
  std::string path = (std::filesystem::temp_directory_path() / "morvane-bench-XXXXXX").string();
  const int handle = mkstemp(path.data());
  if (handle >= 0) close(handle);
  std::ofstream file(path);
  file << "version 1.0\ntype normal\nbackground forest\ngame_music music/level.ogg\nlives 3\nend 500000\n";
  for (int line = 6; line < lines; ++line) {
    switch (line % 10) {
      case 0: file << "# section " << line << '\n'; break;
      case 1: case 2: case 3: case 4:
        file << "ground " << line * 64 << ' ' << 380 + line % 40 << " ground" << line % 7 + 1 << "green movefunc1\n";
        break;
      case 5: case 6: case 7: case 8:
        file << "item " << line * 64 + 20 << ' ' << 250 + line % 90 << " levels/enchanted_woods/omena\n";
        break;
      default:
        file << "itemdef item" << line % 50 << ' ' << line % 100 << " 5 cumulative notCrashable deadly\n";
    }
  }
  return path;
}

void read_level_file(benchmark::State& state) {
  const std::string path = write_level(10000);
  for (auto _ : state) {
    DataFile data;
    data.read(path, &data.level_table);
    data.current = data.level_table;
    benchmark::DoNotOptimize(data.current.size());
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(read_level_file)->Unit(benchmark::kMillisecond);

}  // namespace
