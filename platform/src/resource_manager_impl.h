#pragma once
#include <pugixml.hpp>

#include <string>
#include <unordered_map>

#include "platform/sprite.h"

namespace platform {

struct ResourceManager::Impl {
  std::string path;
  std::string folder;  // pictures are found relative to it
  pugi::xml_document document;
  std::unordered_map<std::string, pugi::xml_node> sprites;
};

}  // namespace platform
