#include <pugixml.hpp>

#include <algorithm>
#include <filesystem>
#include <unordered_map>

#include "platform/error.h"
#include "platform/input_file.h"
#include "platform/sprite.h"
#include "resource_manager_impl.h"

namespace platform {

namespace {

// The shipped resource files are under a kilobyte; a sprite at its frame limit
// needs some tens of kilobytes. A larger file is refused before parsing.
constexpr std::size_t max_resource_file_bytes = 1024 * 1024;

// "line L, column C" of a byte offset, both counted from 1.
std::string line_and_column(const std::string& text, std::ptrdiff_t offset) {
  const auto end = text.begin() + std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(text.size()));
  const auto line = std::count(text.begin(), end, '\n') + 1;
  const auto line_start = std::find(std::make_reverse_iterator(end), text.rend(), '\n').base();
  return "line " + std::to_string(line) + ", column " + std::to_string(end - line_start + 1);
}

}  // namespace

ResourceManager::ResourceManager(const std::string& path) : impl_(std::make_shared<Impl>()) {
  impl_->path = path;
  impl_->folder = std::filesystem::path(path).parent_path().string();
  std::string text, reason;
  if (!read_whole_file(path, max_resource_file_bytes, text, reason))
    throw Exception("Could not open resource file '" + path + "': " + reason);
  const pugi::xml_parse_result parsed = impl_->document.load_buffer(text.data(), text.size());
  if (parsed.status == pugi::status_out_of_memory)
    throw Exception("Could not read resource file '" + path + "': " + parsed.description());
  if (!parsed)
    throw Exception("Resource file '" + path + "' is not valid XML: " + parsed.description() + " at " +
                    line_and_column(text, parsed.offset));
  const pugi::xml_node root = impl_->document.child("resources");
  if (!root) throw Exception("Resource file '" + path + "' has no <resources> root element");
  for (const pugi::xml_node sprite : root.children("sprite")) {
    const std::string name = sprite.attribute("name").value();
    if (name.empty()) throw Exception("Resource file '" + path + "' has a <sprite> without a name");
    if (!impl_->sprites.emplace(name, sprite).second)
      throw Exception("Resource file '" + path + "' defines sprite '" + name + "' twice");
  }
}

bool ResourceManager::has_sprite(const std::string& id) const { return impl_ && impl_->sprites.count(id) > 0; }

}  // namespace platform
