#include "gameplay/game.h"

#include "gameplay/saturating.h"

void Game::collect_item(unsigned index) {
  Item* item = items[index];
  ItemDef& definition = item_defs[item->get_name()];
  player.score = saturating_add(player.score, definition.current_points);
  popups.push_back(new ScorePopup{definition.current_points, 100});
  if (definition.cumulative) definition.current_points = saturating_add(definition.current_points, definition.increment);
  if (has_light_source && item->get_name() == light_source) {
    darkness_alpha = darkness_alpha - 0.5f;
    if (darkness_alpha < 0.0f) darkness_alpha = 0.0f;
  }
  items.erase(items.begin() + index);
  delete item;
}

void Game::miss_item(unsigned index) {
  Item* item = items[index];
  ItemDef& definition = item_defs[item->get_name()];
  if (definition.cumulative) definition.current_points = definition.base_points;
  items.erase(items.begin() + index);
  delete item;
}
