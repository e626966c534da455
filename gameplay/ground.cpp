#include "gameplay/ground.h"

#include <cmath>

#include "platform/system.h"

Ground::Ground(const std::string& resource_path, const std::string& outline_path, float outline_scale,
               MoveFunction move_function, platform::GraphicContext& gc, float x, float y, float z)
    : GraphicElement(x, y, z, gc) {
  try {
    platform::ResourceManager resources(resource_path);
    sprite = platform::Sprite(this->gc, "ground", &resources, platform::ImageImportDescription());
  } catch (...) {
    write_load_failure_reason();
    throw "Could not load ground sprite (check that you have <ground>.xml, <ground>.png and <ground>_out.png (= outline image, 25 %% of the size of <ground>.png) files in correct directory and that the XML file content is correct).";
  }
  outline = platform::CollisionOutline(outline_path, 128, platform::accuracy_high, true);
  this->move_function = move_function;
  outline.set_scale(outline_scale, outline_scale);

  // The outline picture is a fraction of the sprite; scaling about its centre
  // would leave it off the sprite's top-left, so shift it back.
  platform::Origin origin;
  float unused_x, unused_y;
  outline.get_alignment(origin, unused_x, unused_y);
  const float w = static_cast<float>(outline.get_width());
  const float h = static_cast<float>(outline.get_height());
  outline.set_alignment(origin, w * outline_scale * 0.5f - w * 0.5f, h * outline_scale * 0.5f - h * 0.5f);
  outline.set_translation(x, y);
}

Ground::~Ground() = default;

void movefunc1(Ground* ground) {
  const std::uint32_t t = platform::System::get_time();
  const float angle = static_cast<float>(std::sin(t / 1000.0) * 0.3);
  ground->outline.set_angle(platform::Angle::from_radians(angle));
  ground->sprite.set_angle(platform::Angle::from_radians(angle));
}
