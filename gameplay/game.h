#pragma once
#include <map>
#include <string>
#include <vector>

#include "datafile/data_file.h"
#include "gameplay/background.h"
#include "gameplay/ground.h"
#include "gameplay/item.h"
#include "gameplay/key_flags.h"
#include "gameplay/score_popup.h"
#include "gameplay/unicorn.h"
#include "platform/display.h"
#include "platform/sound.h"
#include "platform/sprite.h"

struct GameResult {
  int score = 0;
  bool won = false;
};

// One attempt at a level: built, run once, destroyed. Owns every element in
// its lists through raw pointers and deletes each one when it leaves play.
class Game {
 public:
  Game(platform::GraphicContext& gc, platform::InputDevice& keyboard, platform::DisplayWindow& window,
       DataFile& level, bool fade_overlay, int hud_lives, platform::Sprite overlay);
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  GameResult run();

  void add_ground(Ground* ground);
  void add_background(Background* background);
  void add_item(Item* item);

  void build_level();
  void generate_chunk();
  void collide_grounds();
  void collect_item(unsigned index);
  void miss_item(unsigned index);

  platform::GraphicContext gc;
  platform::InputDevice keyboard;
  platform::DisplayWindow window;
  platform::Sprite overlay;
  float frame_time = 0.0f;
  DataFile level;
  bool fade_overlay;
  int hud_lives;
  float element_depth = 1.0f;
  float background_depth = 3.0f;
  Unicorn player;
  float view_width = 600.0f;
  bool endless = false;
  int end_x = -1;
  float scroll_step = 0.0f;
  float speed_bonus = 0.0f;
  std::vector<Ground*> grounds;
  std::vector<Item*> items;
  std::vector<Background*> backgrounds;
  std::map<std::string, ItemDef> item_defs;
  std::vector<ScorePopup*> popups;
  platform::SoundBuffer_Session music_session;
  platform::SoundBuffer_Session dash_session;
  platform::SoundBuffer_Session jump_session;
  platform::SoundBuffer music_buffer;
  platform::SoundBuffer jump_buffer;
  platform::SoundBuffer dash_buffer;
  bool has_music = false;
  bool has_jump_sound = false;
  bool has_dash_sound = false;
  bool has_light_source = false;
  std::string light_source;
  platform::Sprite darkness_layer;
  float darkness_alpha = 0.0f;
  float gravity = -1000.0f;
  float held_gravity = -400.0f;
  std::string background_path;
  double acceleration = 0.0;
  double max_speed = 0.0;

 private:
  // Whether the level's current table holds a set value for the keyword.
  bool level_has(const std::string& keyword);
};
