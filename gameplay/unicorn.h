#pragma once
#include <string>

#include "gameplay/graphic_element.h"
#include "platform/collision_outline.h"
#include "platform/sprite.h"

// The player. x is the distance run, y the height above the reference row
// (positive upwards); it is drawn at screen row reference_height - y.
class Unicorn : public GraphicElement {
 public:
  // Throws std::runtime_error("Could not load unicorn sprite: " and the reason) when a sprite
  // cannot be loaded; a missing outline picture passes the platform layer's
  // exception through.
  Unicorn(const std::string& resource_path, platform::GraphicContext& gc, float x, float y, float z,
          float horizontal_speed);
  ~Unicorn() override;

  void set_x(float value) override;
  void set_y(float value) override;

  // Vertical motion and choice of animation for one frame of dt seconds.
  void update(float dt);
  // Tilts the sprite and the outlines by the vertical speed and places the outlines.
  void update_outlines();
  void draw();

  bool collides_upper(platform::CollisionOutline& other);
  bool collides_middle(platform::CollisionOutline& other);
  bool collides_lower(platform::CollisionOutline& other);
  platform::CollisionOutline get_upper_outline() { return upper_outline; }
  platform::CollisionOutline get_middle_outline() { return middle_outline; }
  platform::CollisionOutline get_lower_outline() { return lower_outline; }

  platform::Sprite current_sprite;
  platform::Sprite run_sprite;
  platform::Sprite jump1_sprite;
  platform::Sprite jump2_sprite;
  platform::Sprite dash_sprite;
  platform::CollisionOutline upper_outline;
  platform::CollisionOutline middle_outline;
  platform::CollisionOutline lower_outline;
  float horizontal_speed;
  float vertical_speed = 0.0f;
  float reference_height = 480.0f;
  int score = 0;
  float screen_x = 0.0f;
  bool alive = true;
  int dash_timer = 0;
  int dashes_used = 0;
  bool dashing = false;
  int jumps_used = 0;
  int max_jumps = 2;
  int max_dashes = 1;
  bool on_ground = false;
  bool animation_changed = false;
  float outline_y_offset = 12.0f;
};
