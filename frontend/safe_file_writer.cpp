#include "frontend/safe_file_writer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

bool write_file_safely(const std::string& path, const std::string& contents) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  std::error_code error;
  if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), error);
    if (error) return false;
  }
  if (fs::is_directory(target, error)) return false;

  const fs::path temporary = fs::path(path + ".tmp");
  {
    std::ofstream out(temporary, std::ios::out | std::ios::trunc);
    if (!out) return false;
    out << contents;
    out.close();
    if (out.fail()) {
      fs::remove(temporary, error);
      return false;
    }
  }
  fs::rename(temporary, target, error);
  if (error) {
    fs::remove(temporary, error);
    return false;
  }
  return true;
}
