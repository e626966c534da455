#include "gameplay/background.h"

#include "platform/console.h"

Background::Background(const std::string& resource_path, platform::GraphicContext& gc, float x, float z)
    : GraphicElement(x, 0.0f, z, gc) {
  try {
    platform::ResourceManager resources(resource_path);
    sprite = platform::Sprite(this->gc, "background", &resources, platform::ImageImportDescription());
  } catch (...) {
    // The message thrown is fixed; the reason goes on the error stream just before it.
    platform::Console::write_error_line(load_failure_reason());
    throw "Could not load background sprite (check that you have <background>.xml and <background>.png files in correct directory and that the XML file content is correct).";
  }
  width = static_cast<float>(sprite.get_width());
}

Background::~Background() = default;
