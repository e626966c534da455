#include "gameplay/item.h"

Item::Item(const std::string& name, const std::string& sprite_id, const std::string& resource_path,
           const std::string& outline_path, platform::GraphicContext& gc, float x, float y, float z,
           bool crashable, bool deadly)
    : GraphicElement(x, y, z, gc), name(name), crashable(crashable), deadly(deadly) {
  try {
    platform::ResourceManager resources(resource_path);
    sprite = platform::Sprite(this->gc, sprite_id, &resources, platform::ImageImportDescription());
  } catch (...) {
    write_load_failure_reason();
    throw "Could not load Item sprite (check that you have <item>.xml, <item>.png and <item>_out.png (= outline image, 25 %% of the size of <item>.png) files in correct directory and that the XML file content is correct).";
  }
  outline = platform::CollisionOutline(outline_path, 128, platform::accuracy_medium, true);
  outline.set_translation(x, y);
}

Item::~Item() = default;

void Item::set_x(float value) {
  x = value;
  outline.set_translation(value, y);
}

void Item::set_y(float value) {
  y = value;
  outline.set_translation(x, value);
}
