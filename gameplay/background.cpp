#include "gameplay/background.h"

Background::Background(const std::string& resource_path, platform::GraphicContext& gc, float x, float z)
    : GraphicElement(x, 0.0f, z, gc) {
  try {
    platform::ResourceManager resources(resource_path);
    sprite = platform::Sprite(this->gc, "background", &resources, platform::ImageImportDescription());
  } catch (...) {
    write_load_failure_reason();
    throw "Could not load background sprite (check that you have <background>.xml and <background>.png files in correct directory and that the XML file content is correct).";
  }
  width = static_cast<float>(sprite.get_width());
}

Background::~Background() = default;
