#include <pugixml.hpp>

#include <filesystem>
#include <unordered_map>

#include "platform/error.h"
#include "platform/sprite.h"
#include "resource_manager_impl.h"

namespace platform {

ResourceManager::ResourceManager(const std::string& path) : impl_(std::make_shared<Impl>()) {
  impl_->path = path;
  impl_->folder = std::filesystem::path(path).parent_path().string();
  const pugi::xml_parse_result parsed = impl_->document.load_file(path.c_str());
  if (parsed.status == pugi::status_file_not_found)
    throw Exception("Could not open resource file '" + path + "': no such file");
  if (parsed.status == pugi::status_io_error || parsed.status == pugi::status_out_of_memory)
    throw Exception("Could not read resource file '" + path + "': " + parsed.description());
  if (!parsed)
    throw Exception("Resource file '" + path + "' is not valid XML: " + parsed.description() + " at byte " +
                    std::to_string(parsed.offset));
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
