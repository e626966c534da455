#pragma once
#include <string>
#include <vector>

namespace platform {

// Lists a folder's entries whose names match a wildcard pattern ('*' and '?',
// case-sensitive), in sorted order; directories are not filtered out.
class DirectoryScanner {
 public:
  // False when the folder cannot be read (then next() finds nothing).
  bool scan(const std::string& folder, const std::string& pattern);
  bool next();
  std::string get_name() const;  // name with extension, without the folder
 private:
  std::vector<std::string> names_;
  std::size_t index_ = 0;
  bool started_ = false;
};

}  // namespace platform
