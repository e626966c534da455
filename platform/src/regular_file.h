#pragma once
// Opening the files the layer reads (pictures, sounds, resource files, fonts)
// through InputFile, so that no file can hang the game and a read error is
// never taken for the end of the file.
#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

// Opens PATH for binary reading. On failure returns nullptr and sets `reason`
// ("no such file", "not a regular file", or the system's own words).
std::FILE* open_regular_file(const std::string& path, std::string& reason);

// Reads the whole regular file PATH into `contents`, refusing one larger than
// `max_bytes`. On failure returns false and sets `reason`.
bool read_regular_file(const std::string& path, std::size_t max_bytes, std::string& contents, std::string& reason);

}  // namespace platform
