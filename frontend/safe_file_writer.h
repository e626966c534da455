#pragma once
#include <string>

// Replaces a file's contents without ever leaving it half written: the text
// goes to a fresh temporary file in the same folder, reaches the disk, and is
// then renamed over the old file, which keeps its permission bits. The folder
// is created when it is missing. A file the user may not write is never
// replaced. Returns an empty string when the file was written; otherwise the
// reason it was not, and any old file is left untouched.
std::string write_file_safely(const std::string& path, const std::string& contents);

// Why the file at `path` may not be replaced: it is a folder or another kind
// of non-regular file, or the user may not write it. Empty when there is no
// such file or it may be replaced.
std::string why_not_replaceable(const std::string& path);
