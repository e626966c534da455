#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

std::FILE* open_regular_file(const std::string& path, std::string& reason) {
  const int handle = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (handle < 0) {
    reason = errno == ENOENT ? "no such file" : std::strerror(errno);
    return nullptr;
  }
  struct stat status {};
  if (::fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)) {
    reason = S_ISDIR(status.st_mode) ? "is a folder, not a file" : "not a regular file";
    ::close(handle);
    return nullptr;
  }
  // Regular files ignore the flag, but reads should behave as usual.
  ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(handle, "rb");
  if (!file) {
    reason = std::strerror(errno);
    ::close(handle);
  }
  return file;
}

bool read_regular_file(const std::string& path, std::size_t max_bytes, std::string& contents, std::string& reason) {
  std::FILE* file = open_regular_file(path, reason);
  if (!file) return false;
  contents.clear();
  char chunk[65536];
  bool ok = true;
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
    if (got > max_bytes - contents.size()) {
      reason = "larger than " + std::to_string(max_bytes) + " bytes";
      ok = false;
      break;
    }
    contents.append(chunk, got);
    if (got < sizeof chunk) {
      if (std::ferror(file)) {
        reason = std::strerror(errno);
        ok = false;
      }
      break;
    }
  }
  std::fclose(file);
  return ok;
}

}  // namespace platform
