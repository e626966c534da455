#include "regular_file.h"

#include "platform/input_file.h"

namespace platform {

std::FILE* open_regular_file(const std::string& path, std::string& reason) {
  InputFile file;
  if (!file.open(path, reason)) return nullptr;
  return file.release_to_stdio(reason);
}

bool read_regular_file(const std::string& path, std::size_t max_bytes, std::string& contents, std::string& reason) {
  return read_whole_file(path, max_bytes, contents, reason);
}

}  // namespace platform
