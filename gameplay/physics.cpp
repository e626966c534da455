#include "gameplay/game.h"

namespace {
const float push_step = 0.2f;
const float ground_damping = 0.5f;
const float head_bump_damping = 3.0f * 0.25f;
const float height_cap = 540.0f;

enum class ScanResult { free, body_hit, feet_hit, head_hit };
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

  if (player.on_ground) {
    player.vertical_speed = player.vertical_speed * ground_damping;
    player.update_outlines();
    ScanResult result;
    do {
      result = ScanResult::free;
      for (Ground* ground : grounds) {
        platform::CollisionOutline outline = ground->get_outline();
        if (player.collides_middle(outline)) {
          player.alive = false;
          result = ScanResult::body_hit;
          break;
        }
        if (player.collides_lower(outline)) {
          result = ScanResult::feet_hit;
          break;
        }
      }
      player.set_y(player.get_y() + push_step);
    } while (result == ScanResult::feet_hit);
  } else {
    ScanResult result;
    do {
      result = ScanResult::free;
      for (Ground* ground : grounds) {
        platform::CollisionOutline outline = ground->get_outline();
        if (player.collides_middle(outline)) {
          player.alive = false;
          result = ScanResult::body_hit;
          break;
        }
        if (player.collides_upper(outline)) {
          player.vertical_speed = player.vertical_speed * head_bump_damping;
          player.update_outlines();
          result = ScanResult::head_hit;
          break;
        }
      }
      player.set_y(player.get_y() - push_step);
    } while (result == ScanResult::head_hit);
    if (!player.dashing) {
      const float g = jump_held ? held_gravity : gravity;
      player.vertical_speed += g * frame_time;
      player.update_outlines();
    }
  }

  if (player.get_y() > height_cap) player.set_y(height_cap);
}
