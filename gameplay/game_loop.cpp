#include <algorithm>
#include <cmath>
#include <string>

#include "gameplay/game.h"
#include "gameplay/saturating.h"
#include "platform/font.h"
#include "platform/system.h"

namespace {
const int key_escape = 27;
const float far_left = -1500.0f;
const float fall_limit = 600.0f;
const unsigned ground_window = 10;
const unsigned item_window = 14;
const unsigned fade_frames = 60;
const std::size_t averaged_frames = 20;
// A chunk reaches further on average than the spacing of the pieces whose
// retirement makes it, so the endless lists grow with the distance run: about
// a thousand pieces an hour at full playable speed, without end at absurd
// speeds. Past this many pieces or items a retired piece makes no chunk; the
// ground already built then reaches far beyond anything the player can see.
const std::size_t endless_list_limit = 1000;

// The scroll speed (500 plus the bonus, pixels a second) stays within these
// whatever a level's numbers say. A speed that reached 0 or less would stop
// the player, or run it backwards past pieces whose outlines then stay where
// they were last drawn, and an attempt could never be lost; a speed without
// bound would make positions infinite. Both limits lie far outside the
// speeds levels play at (500 to a few thousand): a fifth of the starting
// speed, and a thousand times it.
const double least_scroll_speed = 100.0;
const double greatest_scroll_speed = 5.0e5;
const double base_scroll_speed = 500.0;

// The speed bonus after one frame's growth, kept within the limits above; a
// growth that is not a number leaves the bonus as it was.
float grown_speed_bonus(float bonus, double acceleration) {
  const double grown = bonus + acceleration;
  if (std::isnan(grown)) return bonus;
  return static_cast<float>(std::clamp(grown, least_scroll_speed - base_scroll_speed,
                                       greatest_scroll_speed - base_scroll_speed));
}
}  // namespace

GameResult Game::run() {
  build_level();
  platform::Font font(gc, "Tahoma", 30);
  platform::Slot key_down_slot = keyboard.sig_key_down().connect(on_key_down);
  platform::Slot key_up_slot = keyboard.sig_key_up().connect(on_key_up);
  std::uint32_t previous_time = platform::System::get_time();
  for (Item* item : items) item_defs[item->name].current_points = item_defs[item->name].base_points;
  unsigned fade_counter = fade_overlay ? fade_frames : 0;
  if (has_music) {
    music_session = music_buffer.play();
    music_session.set_looping(true);
  }
  const platform::Colorf text_colour = platform::Colorf::mediumorchid;
  const float view_limit = view_width + 100.0f;

  while (!keyboard.get_keycode(key_escape)) {
    if (!player.alive) break;
    if (player.reference_height - player.y >= fall_limit) break;
    if (end_x != -1 && player.get_x() >= static_cast<float>(end_x)) break;

    // 1-2: messages, pacing and the smoothed frame time.
    platform::KeepAlive::process(0);
    platform::System::sleep(10);
    const std::uint32_t now = platform::System::get_time();
    float raw = static_cast<float>((now - previous_time) / 1000.0);
    if (raw > 0.05f) raw = 0.05f;
    previous_time = now;
    frame_times.push_back(raw);
    if (frame_times.size() > averaged_frames) frame_times.pop_front();
    float sum = 0.0f;
    for (float t : frame_times) sum += t;
    frame_time = sum / static_cast<float>(frame_times.size());
    scroll_step = static_cast<float>((speed_bonus + base_scroll_speed) * frame_time);

    // 3-5: actions.
    if (dash_pressed) {
      if (player.dashes_used < player.max_dashes) {
        ++player.dashes_used;
        player.dashing = true;
        if (player.dash_timer == 0) {
          if (player.jumps_used > 0) --player.jumps_used;
          player.dash_timer = 30;
          player.vertical_speed = 0.0f;
          player.update_outlines();
          player.current_sprite.set_image_data(player.dash_sprite);
          player.animation_changed = true;
        }
      }
      if (player.dashing && has_dash_sound) dash_session = dash_buffer.play();
    }
    if (jump_pressed && player.jumps_used < player.max_jumps) {
      player.vertical_speed = 400.0f;
      player.update_outlines();
      ++player.jumps_used;
      player.dashes_used = 0;
      player.current_sprite.set_image_data(player.jump1_sprite);
      player.animation_changed = true;
      if (has_jump_sound) jump_session = jump_buffer.play();
    }
    jump_pressed = false;
    dash_pressed = false;

    // 6: scrolling.
    const float factor = player.dashing ? 2.0f : 1.0f;
    for (Background* tile : backgrounds) {
      tile->move(-factor * scroll_step);
      if (tile->x <= -tile->width) tile->x += 2 * tile->width;
    }
    std::sort(backgrounds.begin(), backgrounds.end(), [](const Background* a, const Background* b) { return a->x < b->x; });
    for (std::size_t i = 1; i < backgrounds.size(); ++i) {
      backgrounds[i]->set_x(backgrounds[0]->x + static_cast<float>(i) * backgrounds[0]->width);
    }
    player.move(factor * scroll_step);
    player.update(frame_time);
    for (Ground* ground : grounds) ground->move(-factor * scroll_step);
    for (Item* item : items) item->move(-factor * scroll_step);

    // 7-9: drawing the world.
    gc.clear(platform::Colorf::white);
    const unsigned items_in_window = std::min<unsigned>(item_window, items.size());
    const unsigned grounds_in_window = std::min<unsigned>(ground_window, grounds.size());
    for (Background* tile : backgrounds) tile->sprite.draw(gc, tile->x, 0.0f);
    // Pieces appended by this walk wait for the next frame: with absurd speeds
    // every new piece is already far left, and walking it would retire it and
    // append another for ever.
    std::size_t pieces_before_walk = grounds.size();
    for (unsigned i = 0; i < grounds_in_window && i < pieces_before_walk;) {
      Ground* ground = grounds[i];
      if (ground->x > far_left && ground->x < view_limit) {
        ground->outline.set_translation(ground->x, ground->y);
        if (ground->move_function) ground->move_function(ground);
        ground->sprite.draw(gc, ground->x, ground->y);
      } else if (ground->x <= far_left && endless) {
        if (grounds.size() < endless_list_limit && items.size() < endless_list_limit) generate_chunk();
        grounds.erase(grounds.begin() + i);
        delete ground;
        --pieces_before_walk;
        continue;  // the next piece slid into place i
      }
      ++i;
    }

    // 10-11: the player and the items it touches.
    player.draw();
    for (unsigned j = 0; j < items_in_window && j < items.size(); ++j) {
      Item* item = items[j];
      if (item->x >= -100.0f && item->x < view_limit) {
        item->sprite.update(-1);
        item->sprite.draw(gc, item->x, item->y);
        item->outline.set_translation(item->x, item->y);
        platform::CollisionOutline outline = item->get_outline();
        if (player.collides_lower(outline) || player.collides_upper(outline)) {
          if (item->deadly && !(item->crashable && player.dashing)) player.alive = false;
          collect_item(j);
        }
      } else if (item->x < -100.0f) {
        miss_item(j);
      }
    }

    // 12-14: darkness, heads-up display, popups.
    if (has_light_source) {
      if (darkness_alpha < 1.0f) darkness_alpha += 0.001f;
      darkness_layer.set_alpha(darkness_alpha);
      darkness_layer.draw(gc, 0.0f, 0.0f);
    }
    font.draw_text(gc, 290, 50, std::to_string(player.score), text_colour);
    font.draw_text(gc, 20, 50, std::to_string(hud_lives), text_colour);
    int row = 200;
    for (std::size_t p = 0; p < popups.size();) {
      ScorePopup* popup = popups[p];
      --popup->time_to_live;
      if (popup->time_to_live <= 0) {
        popups.erase(popups.begin() + p);
        delete popup;
        continue;
      }
      font.draw_text(gc, 300, row, std::to_string(popup->points), text_colour);
      row += 30;
      ++p;
    }

    // 15-16: physics, then the point of the frame.
    collide_grounds();
    player.score = saturating_add(player.score, 1);

    // 17: fade-in overlay.
    if (fade_counter != 0) {
      overlay.set_alpha(static_cast<float>(fade_counter) / 60.0f);
      --fade_counter;
      overlay.draw(gc, 0, 0);
    }

    // 18-19: speed growth and retiring pieces far to the left.
    if (speed_bonus < max_speed) speed_bonus = grown_speed_bonus(speed_bonus, acceleration);
    for (unsigned i = 0; i < grounds_in_window && i < grounds.size(); ++i) {
      if (grounds[i]->x < far_left) {
        Ground* ground = grounds[i];
        grounds.erase(grounds.begin() + i);
        delete ground;
      }
    }

    window.flip(0);
  }

  for (Item* item : items) item_defs[item->name].current_points = item_defs[item->name].base_points;
  for (Item* item : items) delete item;
  items.clear();
  for (Ground* ground : grounds) delete ground;
  grounds.clear();
  for (Background* tile : backgrounds) delete tile;
  backgrounds.clear();
  music_session.stop();

  GameResult result;
  result.score = player.score;
  result.won = player.alive && player.reference_height - player.y < fall_limit;
  return result;
}
