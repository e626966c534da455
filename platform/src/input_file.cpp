#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/seam.h"

namespace platform {

InputFile::~InputFile() { close(); }

InputFile::InputFile(InputFile&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)),
      path_(std::move(other.path_)),
      size_(other.size_),
      position_(other.position_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, -1);
    path_ = std::move(other.path_);
    size_ = other.size_;
    position_ = other.position_;
  }
  return *this;
}

void InputFile::close() {
  if (handle_ >= 0) ::close(handle_);
  handle_ = -1;
}

bool InputFile::open(const std::string& path, std::string& reason) {
  close();
  const int handle = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (handle < 0) {
    reason = errno == ENOENT ? "no such file" : std::strerror(errno);
    return false;
  }
  struct stat status {};
  if (::fstat(handle, &status) != 0) {
    reason = std::strerror(errno);
    ::close(handle);
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    reason = S_ISDIR(status.st_mode) ? "is a folder, not a file" : "not a regular file";
    ::close(handle);
    return false;
  }
  // Regular files ignore the flag, but reads should behave as usual.
  ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) & ~O_NONBLOCK);
  handle_ = handle;
  path_ = path;
  size_ = static_cast<std::uint64_t>(status.st_size);
  position_ = 0;
  return true;
}

long InputFile::read(char* buffer, std::size_t capacity, std::string& reason) {
  if (handle_ < 0) {
    reason = std::strerror(EBADF);
    return -1;
  }
  for (;;) {
    const long got = current_seam().read_file(path_, handle_, buffer, capacity, position_);
    if (got >= 0) {
      position_ += static_cast<std::uint64_t>(got);
      return got;
    }
    if (errno == EINTR) continue;
    reason = std::strerror(errno);
    return -1;
  }
}

long long InputFile::seek(long long offset, int whence) {
  const off_t moved = ::lseek(handle_, static_cast<off_t>(offset), whence);
  if (moved >= 0) position_ = static_cast<std::uint64_t>(moved);
  return moved;
}

namespace {

ssize_t read_through(void* cookie, char* buffer, std::size_t size) {
  std::string reason;
  const int saved = errno;
  const long got = static_cast<InputFile*>(cookie)->read(buffer, size, reason);
  if (got >= 0) errno = saved;
  return got;
}

int seek_through(void* cookie, off64_t* offset, int whence) {
  const long long moved = static_cast<InputFile*>(cookie)->seek(*offset, whence);
  if (moved < 0) return -1;
  *offset = moved;
  return 0;
}

int close_through(void* cookie) {
  delete static_cast<InputFile*>(cookie);
  return 0;
}

}  // namespace

std::FILE* InputFile::release_to_stdio(std::string& reason) {
  auto* owned = new InputFile(std::move(*this));
  const cookie_io_functions_t functions{read_through, nullptr, seek_through, close_through};
  std::FILE* stream = ::fopencookie(owned, "rb", functions);
  if (!stream) {
    reason = std::strerror(errno);
    delete owned;
  }
  return stream;
}

std::FILE* open_input_stream(const std::string& path, std::string& reason) {
  InputFile file;
  if (!file.open(path, reason)) return nullptr;
  return file.release_to_stdio(reason);
}

bool read_whole_file(const std::string& path, std::size_t max_bytes, std::string& contents, std::string& reason) {
  InputFile file;
  if (!file.open(path, reason)) return false;
  const auto too_large = [&] {
    reason = "larger than " + std::to_string(max_bytes) + " bytes";
    return false;
  };
  if (file.size() > max_bytes) return too_large();
  contents.clear();
  contents.reserve(static_cast<std::size_t>(file.size()));
  char chunk[65536];
  for (;;) {
    const long got = file.read(chunk, sizeof chunk, reason);
    if (got < 0) return false;
    if (got == 0) return true;
    // The file may have grown since it was opened.
    if (static_cast<std::size_t>(got) > max_bytes - contents.size()) return too_large();
    contents.append(chunk, static_cast<std::size_t>(got));
  }
}

}  // namespace platform
