#pragma once
#include <stdexcept>
#include <string>

namespace platform {

// Every failure of the layer (missing or corrupt picture, sound or resource
// file, malformed XML, unknown sprite id, a window that cannot open) throws
// this, with a message naming the file and the reason.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace platform
