#include "frontend/safe_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

std::string reason_of(int error) { return std::generic_category().message(error); }

bool write_all(int handle, const std::string& contents) {
  const char* next = contents.data();
  std::size_t left = contents.size();
  while (left > 0) {
    const ssize_t written = ::write(handle, next, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    next += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

mode_t mode_of_new_files() {
  // The umask can only be read by setting it, so it is put straight back.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Makes a rename in the folder last through a power cut. A file system that
// cannot sync a folder still has the new file in place, so failures are
// not reported.
void sync_folder(const std::string& folder) {
  const int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return;
  ::fsync(handle);
  ::close(handle);
}

}  // namespace

std::string why_not_replaceable(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return errno == ENOENT ? "" : reason_of(errno);
  if (S_ISDIR(status.st_mode)) return reason_of(EISDIR);
  if (!S_ISREG(status.st_mode)) return "not a regular file";
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return reason_of(errno);
  return "";
}

std::string write_file_safely(const std::string& path, const std::string& contents) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return error.message();
  if (std::string reason = why_not_replaceable(path); !reason.empty()) return reason;
  struct stat old {};
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : mode_of_new_files();

  std::string temporary = path + ".XXXXXX";
  int handle = ::mkstemp(temporary.data());
  if (handle < 0) return reason_of(errno);
  const auto give_up = [&] {
    const int failure = errno;
    if (handle >= 0) ::close(handle);
    ::unlink(temporary.c_str());
    return reason_of(failure);
  };
  // The new bytes are on the disk before the rename, so that a power cut
  // leaves either the old file or the new one, never a torn one.
  if (::fchmod(handle, mode) != 0 || !write_all(handle, contents) || ::fsync(handle) != 0) return give_up();
  const int closed = ::close(handle);
  handle = -1;
  if (closed != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) return give_up();
  sync_folder(folder);
  return "";
}
