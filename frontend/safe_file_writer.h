#pragma once
#include <cstddef>
#include <functional>
#include <string>

// The most a save reads of the file it replaces: far above anything the game
// writes, so that a giant file is refused at once instead of filling memory.
constexpr std::size_t largest_saved_file = 16 * 1024 * 1024;

// Reads a saved file (a score list, a profile) whole, refusing one over
// largest_saved_file bytes. False with `reason` when it exists but could not
// be read whole; a missing file reads as empty, with `exists` false.
bool read_saved_file(const std::string& path, std::string& contents, bool& exists, std::string& reason);

// Makes the new contents of a saved file from what is on disk at the moment
// of saving (nullptr when there is no such file). To leave the file as it
// is, sets `refusal` to the reason.
using MergeWithDisk = std::function<std::string(const std::string* on_disk, std::string& refusal)>;

// Saves a file that other copies of the game may be saving at the same time,
// without losing what they saved and without ever leaving it half written.
// Under the save lock of the file's folder (waited for up to two seconds) the
// file is read again, `merge` makes the new contents, and they go to a fresh
// temporary file of a short name in the same folder, reach the disk, and are
// renamed over the old file, which keeps its permission bits. Temporary files
// left in the folder by a save that was killed are removed. The folder is
// created when it is missing. A file the user may not write, or without any
// write permission bit, is never replaced, nor one that cannot be read whole.
// Returns an empty string when the file was written; otherwise the reason it
// was not, and any old file is left untouched.
std::string save_merged_with_disk(const std::string& path, const MergeWithDisk& merge);

// Why the file at `path` may not be replaced: it is a folder or another kind
// of non-regular file, it has no write permission bit (whoever runs the
// game), or the user may not write it. Empty when there is no such file or it
// may be replaced.
std::string why_not_replaceable(const std::string& path);

// Keeps the file at `path` under the first free name of `path`.bak,
// `path`.bak.1, `path`.bak.2, ...; an existing backup is never replaced.
// Returns the name it now has, or an empty string with `reason` set.
std::string keep_as_backup(const std::string& path, std::string& reason);
