#pragma once
// Reading the files the game reads (data files, score lists, pictures,
// sounds, resource files, fonts) so that no file can hang the game or pass a
// failed read off as the end of the file: the open never waits, as it would
// on a named pipe; the open descriptor itself is checked, so a file swapped
// for a pipe after a look at its name is still refused; and a read error is
// reported with its reason instead of ending the file early.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens PATH. On failure returns false and sets `reason` ("no such file",
  // "is a folder, not a file", "not a regular file", or the system's words).
  bool open(const std::string& path, std::string& reason);
  bool is_open() const { return handle_ >= 0; }
  void close();

  const std::string& path() const { return path_; }
  // The size the file had when it was opened.
  std::uint64_t size() const { return size_; }
  // Where the next read starts.
  std::uint64_t position() const { return position_; }

  // Reads up to `capacity` bytes. Returns how many, 0 at the end of the file,
  // or -1 on a read error, with `reason` set.
  long read(char* buffer, std::size_t capacity, std::string& reason);
  // Moves the position as lseek(2) does; -1 on failure, with errno set.
  long long seek(long long offset, int whence);

  // Hands the file over to a stdio stream for libraries that read through
  // one; its reads still report errors through ferror. The InputFile is
  // closed afterwards. nullptr (with `reason`) when no stream can be made.
  std::FILE* release_to_stdio(std::string& reason);

 private:
  int handle_ = -1;
  std::string path_;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};

// Opens PATH as InputFile::open does and hands it to a stdio stream (see
// InputFile::release_to_stdio). nullptr with `reason` on failure.
std::FILE* open_input_stream(const std::string& path, std::string& reason);

// Reads the whole regular file PATH into `contents`, refusing one larger than
// `max_bytes` before reading it. On failure returns false and sets `reason`.
bool read_whole_file(const std::string& path, std::size_t max_bytes, std::string& contents, std::string& reason);

}  // namespace platform
