#include "gameplay/game.h"

namespace {
const float push_step = 0.2f;
const float ground_damping = 0.5f;
const float head_bump_damping = 3.0f * 0.25f;
const float height_cap = 540.0f;
}  // namespace

void Game::collide_grounds() {
  player.on_ground = false;
  for (Ground* ground : grounds) {
    platform::CollisionOutline outline = ground->get_outline();
    if (player.collides_lower(outline)) {
      player.jumps_used = 0;
      player.dashes_used = 0;
      player.on_ground = true;
      if (player.animation_changed) player.current_sprite.set_image_data(player.run_sprite);
      player.animation_changed = false;
      break;
    }
  }

  // One push-out scan over every piece: a body hit kills and ends the scan;
  // otherwise the first piece that `touches` finds ends it as a hit.
  auto scan_hits = [this](auto touches) {
    for (Ground* ground : grounds) {
      platform::CollisionOutline outline = ground->get_outline();
      if (player.collides_middle(outline)) {
        player.alive = false;
        return false;
      }
      if (touches(outline)) return true;
    }
    return false;
  };

  if (player.on_ground) {
    player.vertical_speed = player.vertical_speed * ground_damping;
    player.update_outlines();
    bool feet_hit;
    do {
      feet_hit = scan_hits([this](platform::CollisionOutline& o) { return player.collides_lower(o); });
      player.set_y(player.get_y() + push_step);
    } while (feet_hit);
  } else {
    bool head_hit;
    do {
      head_hit = scan_hits([this](platform::CollisionOutline& o) { return player.collides_upper(o); });
      if (head_hit) {
        player.vertical_speed = player.vertical_speed * head_bump_damping;
        player.update_outlines();
      }
      player.set_y(player.get_y() - push_step);
    } while (head_hit);
    if (!player.dashing) {
      const float g = jump_held ? held_gravity : gravity;
      player.vertical_speed += g * frame_time;
      player.update_outlines();
    }
  }

  if (player.get_y() > height_cap) player.set_y(height_cap);
}
