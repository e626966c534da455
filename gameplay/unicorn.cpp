#include "gameplay/unicorn.h"

#include <cmath>
#include <stdexcept>

namespace {

// Scales an outline and shifts it so the scaled picture keeps its top-left
// where the unscaled one had it (the shift always uses the full 1.8).
void scale_and_align(platform::CollisionOutline& outline, float scale_x, float scale_y) {
  const double align_scale = 1.8;
  outline.set_scale(scale_x, scale_y);
  platform::Origin origin;
  float unused_x, unused_y;
  outline.get_alignment(origin, unused_x, unused_y);
  const double w = outline.get_width();
  const double h = outline.get_height();
  outline.set_alignment(origin, static_cast<float>(w * align_scale * 0.5 - w * 0.5),
                        static_cast<float>(h * align_scale * 0.5 - h * 0.5));
}

}  // namespace

Unicorn::Unicorn(const std::string& resource_path, platform::GraphicContext& gc, float x, float y, float z,
                 float horizontal_speed)
    : GraphicElement(x, y, z, gc), horizontal_speed(horizontal_speed) {
  try {
    platform::ResourceManager resources(resource_path);
    const platform::ImageImportDescription import;
    run_sprite = platform::Sprite(this->gc, "run", &resources, import);
    jump1_sprite = platform::Sprite(this->gc, "jump1", &resources, import);
    jump2_sprite = platform::Sprite(this->gc, "jump2", &resources, import);
    dash_sprite = platform::Sprite(this->gc, "dash", &resources, import);
    current_sprite = platform::Sprite(this->gc, "run", &resources, import);
  } catch (...) {
    throw std::runtime_error("Could not load unicorn sprite: " + load_failure_reason());
  }
  upper_outline = platform::CollisionOutline("images/unicorn_outline_upper.png", 128, platform::accuracy_medium, true);
  middle_outline = platform::CollisionOutline("images/unicorn_outline_middle.png", 128, platform::accuracy_medium, true);
  lower_outline = platform::CollisionOutline("images/unicorn_outline_lower.png", 128, platform::accuracy_medium, true);
  scale_and_align(upper_outline, 1.8f, 1.8f);
  scale_and_align(middle_outline, 1.44f, 1.8f);
  scale_and_align(lower_outline, 1.8f, 1.8f);
  animation_changed = false;
}

Unicorn::~Unicorn() = default;

void Unicorn::set_x(float value) {
  x = value;
  update_outlines();
}

void Unicorn::set_y(float value) {
  y = value;
  update_outlines();
}

void Unicorn::update(float dt) {
  if (dash_timer > 0) {
    --dash_timer;
    if (dash_timer == 0) {
      dashing = false;
      current_sprite.set_image_data(jumps_used > 0 ? jump2_sprite : run_sprite);
      animation_changed = true;
    }
    set_y(y + vertical_speed * dt);
    // Dashing high up: brake the climb so a dash cannot carry the player off the top.
    if (y > 500.0f) {
      vertical_speed *= 0.5f;
      set_y(y + vertical_speed * dt);
    }
    return;
  }
  dashing = false;
  if (jumps_used > 0) {
    current_sprite.set_image_data(vertical_speed > 100.0f ? jump1_sprite : jump2_sprite);
    animation_changed = true;
  } else {
    if (animation_changed) current_sprite.set_image_data(run_sprite);
    animation_changed = false;
  }
  set_y(y + vertical_speed * dt);
}

void Unicorn::update_outlines() {
  // Worked in double, stored as float, as the tilt has always been computed.
  const float direction =
      static_cast<float>(std::atan2(static_cast<double>(-vertical_speed), horizontal_speed / 10.0));
  const float tilt = static_cast<float>(direction * 0.2);
  const platform::Angle angle = platform::Angle::from_radians(tilt);
  current_sprite.set_angle(angle);
  for (platform::CollisionOutline* outline : {&upper_outline, &middle_outline, &lower_outline}) {
    outline->set_angle(angle);
    outline->set_translation(screen_x, reference_height - y + outline_y_offset);
  }
}

void Unicorn::draw() {
  current_sprite.update(-1);
  current_sprite.draw(gc, screen_x, reference_height - y);
}

bool Unicorn::collides_upper(platform::CollisionOutline& other) {
  platform::CollisionOutline own = upper_outline;
  return own.collide(other, true);
}

bool Unicorn::collides_middle(platform::CollisionOutline& other) {
  platform::CollisionOutline own = middle_outline;
  return own.collide(other, true);
}

bool Unicorn::collides_lower(platform::CollisionOutline& other) {
  platform::CollisionOutline own = lower_outline;
  return own.collide(other, true);
}
