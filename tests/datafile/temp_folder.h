#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

// A fresh folder under the system's temp folder, removed again at the end.
struct TempFolder {
  std::string pattern = (std::filesystem::temp_directory_path() / "morvane-test-XXXXXX").string();
  std::filesystem::path path = mkdtemp(pattern.data()) ? pattern : std::string();
  ~TempFolder() { std::filesystem::remove_all(path, ignored); }
  // Writes the bytes as they are, creating the folders on the way.
  std::string write(const std::string& relative, const std::string& content) const {
    std::filesystem::create_directories((path / relative).parent_path());
    std::ofstream(path / relative, std::ios::binary) << content;
    return (path / relative).string();
  }
  std::error_code ignored;
};
