#include "gameplay/game.h"

#include <algorithm>
#include <stdexcept>

namespace {

const char* const opening_item = "levels/enchanted_woods/omena";
const char* const fred_item = "levels/enchanted_woods/Fred";

std::string ground_resource(const std::string& name) { return "images/" + name + ".xml"; }
std::string outline_picture(const std::string& name) { return "images/" + name + "_out.png"; }

template <typename Element>
void sort_by_x(std::vector<Element*>& elements) {
  std::sort(elements.begin(), elements.end(), [](const Element* a, const Element* b) { return a->x < b->x; });
}

}  // namespace

Game::Game(platform::GraphicContext& gc, platform::InputDevice& keyboard, platform::DisplayWindow& window,
           DataFile& level, bool fade_overlay, int hud_lives, platform::Sprite overlay)
    : gc(gc),
      keyboard(keyboard),
      window(window),
      overlay(overlay),
      level(level),
      fade_overlay(fade_overlay),
      hud_lives(hud_lives),
      player("images/pony/pony.xml", this->gc, 0.0f, 200.0f, element_depth, 400.0f) {
  endless = this->level.get_string("type") == "infinite";
  end_x = level_has("end") ? this->level.get_int("end") : -1;
  acceleration = this->level.get_double("acceleration");
  max_speed = this->level.get_double("max_speed");
  try {
    platform::ResourceManager resources("images/black_layer.xml");
    darkness_layer = platform::Sprite(this->gc, "black_layer", &resources, platform::ImageImportDescription());
  } catch (...) {
    throw std::runtime_error("Could not load black layer sprite: " + load_failure_reason());
  }
}

Game::~Game() {
  for (Background* background : backgrounds) delete background;
  for (Ground* ground : grounds) delete ground;
  for (Item* item : items) delete item;
  for (ScorePopup* popup : popups) delete popup;
}

void Game::add_ground(Ground* ground) { grounds.push_back(ground); }
void Game::add_background(Background* background) { backgrounds.push_back(background); }
void Game::add_item(Item* item) { items.push_back(item); }

bool Game::level_has(const std::string& keyword) { return level.current[keyword].set; }

void Game::build_level() {
  has_music = has_jump_sound = has_dash_sound = has_light_source = false;
  light_source.clear();
  background_path = "images/background.xml";

  if (level_has("game_music")) {
    music_buffer = platform::SoundBuffer(level.get_string("game_music"), false, "");
    has_music = true;
  }
  if (level_has("jump_sound")) {
    jump_buffer = platform::SoundBuffer(level.get_string("jump_sound"), false, "");
    has_jump_sound = true;
  }
  if (level_has("dash_sound")) {
    dash_buffer = platform::SoundBuffer(level.get_string("dash_sound"), false, "");
    has_dash_sound = true;
  }
  if (level_has("lightsource")) {
    has_light_source = true;
    light_source = level.get_string("lightsource");
  }
  if (level_has("background")) background_path = "images/" + level.get_string("background") + ".xml";

  // Each object is appended the moment it exists, so a later failure leaves
  // it to the destructor.
  add_background(new Background(background_path, gc, 0.0f, background_depth));
  const float tile_width = backgrounds.front()->width;
  add_background(new Background(background_path, gc, tile_width, background_depth));
  add_background(new Background(background_path, gc, tile_width + tile_width, background_depth));

  if (endless) {
    add_item(new Item(opening_item, opening_item, ground_resource(opening_item), outline_picture(opening_item), gc,
                      450.0f, 290.0f, element_depth, false, false));
    struct OpeningPiece {
      const char* name;
      float x, y;
      MoveFunction move_function;
    };
    const OpeningPiece opening[] = {
        {"levels/enchanted_woods/ground1green", 0.0f, 200.0f, nullptr},
        {"levels/enchanted_woods/ground2green", 1000.0f, 150.0f, nullptr},
        {"levels/enchanted_woods/ground4green", 1500.0f, -200.0f, nullptr},
        {"levels/enchanted_woods/ground3green", 2000.0f, 200.0f, nullptr},
        {"levels/enchanted_woods/ground5green", 3000.0f, 100.0f, movefunc1},
    };
    for (const OpeningPiece& piece : opening) {
      add_ground(new Ground(ground_resource(piece.name), outline_picture(piece.name), 4.0f, piece.move_function, gc,
                            piece.x, piece.y, element_depth));
    }
    item_defs.insert({fred_item, ItemDef(100, 100, 100, "cumulative", "crashable", "deadly")});
    item_defs.insert({opening_item, ItemDef(10, 10, 10, "cumulative", "notCrashable", "notDeadly")});
  } else {
    const std::vector<GroundEntry> ground_entries = level.get_grounds();
    const std::vector<ItemEntry> item_entries = level.get_items();
    std::map<std::string, ItemDef> definitions = level.get_itemdefs();
    for (const GroundEntry& entry : ground_entries) {
      const MoveFunction move_function = entry.move_function == "movefunc1" ? movefunc1 : nullptr;
      add_ground(new Ground(ground_resource(entry.name), outline_picture(entry.name), 4.0f, move_function, gc,
                            static_cast<float>(entry.x), static_cast<float>(entry.y), element_depth));
    }
    for (const ItemEntry& entry : item_entries) {
      const ItemDef& definition = definitions[entry.name];  // an unknown name gets the zero definition
      add_item(new Item(entry.name, entry.name, ground_resource(entry.name), outline_picture(entry.name), gc,
                        static_cast<float>(entry.x), static_cast<float>(entry.y), element_depth, definition.crashable,
                        definition.deadly));
    }
    item_defs = definitions;
  }

  sort_by_x(grounds);
  sort_by_x(items);
  sort_by_x(backgrounds);
}
