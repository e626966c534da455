#include "platform/directory_scanner.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {

namespace {

// '*' matches any run of characters, '?' exactly one; everything else
// matches itself, case-sensitive. Backtracks only to the last '*', so long
// names and patterns stay linear-ish instead of exponential.
bool matches_wildcard(const std::string& name, const std::string& pattern) {
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t star = std::string::npos;
  std::size_t star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool DirectoryScanner::scan(const std::string& folder, const std::string& pattern) {
  names_.clear();
  index_ = 0;
  started_ = false;

  std::error_code error;
  std::filesystem::directory_iterator entry(folder, error);
  if (error) return false;
  for (; entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    if (error) break;
    std::string name = entry->path().filename().string();
    if (matches_wildcard(name, pattern)) names_.push_back(std::move(name));
  }
  if (error) {
    names_.clear();
    return false;
  }
  std::sort(names_.begin(), names_.end());
  return true;
}

bool DirectoryScanner::next() {
  if (!started_) {
    started_ = true;
    index_ = 0;
  } else if (index_ < names_.size()) {
    ++index_;
  }
  return index_ < names_.size();
}

std::string DirectoryScanner::get_name() const {
  return started_ && index_ < names_.size() ? names_[index_] : std::string();
}

}  // namespace platform
