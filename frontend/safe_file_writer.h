#pragma once
#include <string>

// Replaces a file's contents without ever leaving it half written: the text
// goes to a temporary file in the same folder, which is then renamed over the
// old file. The folder is created when it is missing. Returns false, leaving
// any old file untouched, when the text cannot be written.
bool write_file_safely(const std::string& path, const std::string& contents);
