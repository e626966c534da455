#include "frontend/safe_file_writer.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

#include "platform/input_file.h"

namespace {

// Every save in a folder holds the lock of this file, so while one holds it
// no other save of the folder is under way.
constexpr const char* lock_name = ".morvane.lock";
// Temporary files: the prefix and mkstemp's six letters or digits. A short
// name of its own fits wherever the saved file's name fits.
constexpr const char* temporary_prefix = ".morvane-";
constexpr std::chrono::milliseconds longest_lock_wait{2000};

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

bool same_file(const struct stat& one, const struct stat& other) {
  return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// The save lock of a folder. The lock file is removed when the lock is let
// go, so that no stray file stays behind; whoever was waiting on the removed
// file then sees that it is no longer the folder's and takes the new one.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder) : path_(folder + "/" + lock_name) {}
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock() {
    if (handle_ < 0) return;
    ::unlink(path_.c_str());  // a read-only folder keeps it, which does no harm
    ::close(handle_);
  }

  // Empty when the lock is held, else the reason it could not be had.
  std::string take() {
    const auto give_up_at = std::chrono::steady_clock::now() + longest_lock_wait;
    int handle = -1;
    for (;;) {
      if (handle < 0) {
        handle = ::open(path_.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, mode_of_new_files());
        if (handle < 0) return reason_of(errno);
      }
      if (::flock(handle, LOCK_EX | LOCK_NB) == 0) {
        struct stat held {};
        struct stat named {};
        if (::fstat(handle, &held) == 0 && ::stat(path_.c_str(), &named) == 0 && same_file(held, named)) {
          handle_ = handle;
          return "";
        }
        // The holder before removed it: the next open makes the folder's new one.
        ::close(handle);
        handle = -1;
        continue;
      }
      if (errno != EWOULDBLOCK && errno != EINTR) {
        const int error = errno;
        ::close(handle);
        return reason_of(error);
      }
      if (std::chrono::steady_clock::now() >= give_up_at) {
        ::close(handle);
        return "another save kept " + path_ + " locked for two seconds";
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

 private:
  std::string path_;
  int handle_ = -1;
};

bool is_temporary_name(const std::string& name) {
  const std::string prefix = temporary_prefix;
  if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (std::size_t i = prefix.size(); i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  }
  return true;
}

// Called under the folder's lock: no save of the folder is under way, so any
// temporary file of ours in it was left by a save that was killed.
void remove_leftover_temporaries(const std::string& folder) {
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    std::error_code ignored;
    if (is_temporary_name(name) && entry->is_regular_file(ignored)) std::filesystem::remove(entry->path(), ignored);
  }
}

// Replaces the file with `contents` through a fresh temporary file.
std::string replace_file(const std::string& path, const std::string& folder, const std::string& contents) {
  struct stat old {};
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : mode_of_new_files();
  std::string temporary = folder + "/" + temporary_prefix + "XXXXXX";
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

}  // namespace

bool read_saved_file(const std::string& path, std::string& contents, bool& exists, std::string& reason) {
  exists = platform::read_whole_file(path, largest_saved_file, contents, reason);
  if (exists) return true;
  contents.clear();
  struct stat status {};
  return ::stat(path.c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

std::string why_not_replaceable(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return errno == ENOENT ? "" : reason_of(errno);
  if (S_ISDIR(status.st_mode)) return reason_of(EISDIR);
  if (!S_ISREG(status.st_mode)) return "not a regular file";
  // Root may write any file, so the bits are looked at themselves: whoever
  // made the file read-only wants it kept.
  if ((status.st_mode & 0222) == 0) return reason_of(EACCES);
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return reason_of(errno);
  return "";
}

std::string save_merged_with_disk(const std::string& path, const MergeWithDisk& merge) {
  const std::filesystem::path target(path);
  const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) return error.message();

  FolderLock lock(folder);
  if (std::string reason = lock.take(); !reason.empty()) return reason;
  remove_leftover_temporaries(folder);
  if (std::string reason = why_not_replaceable(path); !reason.empty()) return reason;
  std::string on_disk, reason;
  bool exists = false;
  // Writing would lose whatever could not be read.
  if (!read_saved_file(path, on_disk, exists, reason)) return "it could not be read (" + reason + ")";
  std::string refusal;
  const std::string contents = merge(exists ? &on_disk : nullptr, refusal);
  if (!refusal.empty()) return refusal;
  return replace_file(path, folder, contents);
}

std::string keep_as_backup(const std::string& path, std::string& reason) {
  for (int number = 0; number < 1000000; ++number) {
    const std::string backup = path + ".bak" + (number == 0 ? "" : "." + std::to_string(number));
    // Moves the file only when nothing has the name, in one step.
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE) == 0) return backup;
    if (errno == EEXIST) continue;
    // A file system that cannot do that in one step: a new link fails
    // just the same when the name is taken.
    if (errno != EINVAL) break;
    if (::link(path.c_str(), backup.c_str()) == 0) {
      ::unlink(path.c_str());
      return backup;
    }
    if (errno != EEXIST) break;
  }
  reason = errno == EEXIST ? "every backup name is taken" : reason_of(errno);
  return "";
}
