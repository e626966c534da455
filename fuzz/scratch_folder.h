#pragma once
// The folder a fuzz target writes its inputs to, as files the game's loaders
// read; removed when the fuzzer exits.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

struct ScratchFolder {
  ScratchFolder() {
    if (!mkdtemp(path.data())) std::abort();
  }
  ~ScratchFolder() { std::filesystem::remove_all(path); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string file(const char* name) const { return path + "/" + name; }
  std::string path = "/tmp/morvane-fuzz-XXXXXX";
};
