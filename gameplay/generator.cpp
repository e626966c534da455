#include <cstdlib>

#include "gameplay/game.h"
#include "platform/system.h"

namespace {

struct ChunkPiece {
  const char* name;  // empty: no piece
  float dx, y;
};

struct ChunkPattern {
  ChunkPiece first, second;
  bool rocking;
  bool has_items;
  float fred_dx, fred_dy;
  float omena_dx;
};

const ChunkPattern patterns[10] = {
    {{"ground1green", 1000, 100}, {"ground3green", 500, -300}, false, true, 54, 63, -10},
    {{"ground2green", 1000, 100}, {"", 0, 0}, false, true, 453, 22, -10},
    {{"ground3green", 1000, 100}, {"", 0, 0}, false, true, 274, 40, -10},
    {{"ground4green", 1000, 100}, {"", 0, 0}, false, true, 345, 110, -10},
    {{"ground5green", 1000, 100}, {"", 0, 0}, false, true, 374, 145, -10},
    {{"ground6green", 1000, 100}, {"ground4green", 500, -200}, false, true, 355, 81, -10},
    {{"ground7green", 1000, 100}, {"", 0, 0}, false, true, 563, 205, -10},
    {{"ground5green", 1000, 100}, {"", 0, 0}, true, false, 0, 0, 0},
    {{"ground6green", 1000, 100}, {"", 0, 0}, true, false, 0, 0, 0},
    {{"ground1green", 1000, 100}, {"", 0, 0}, false, true, 457, 97, 10},
};

const std::string woods = "levels/enchanted_woods/";
const std::string fred_item = woods + "Fred";
const std::string omena_item = woods + "omena";

}  // namespace

void Game::generate_chunk() {
  std::srand(static_cast<unsigned>(platform::System::calendar_time()));
  const ChunkPattern& pattern = patterns[std::rand() % 10];
  std::srand(static_cast<unsigned>(platform::System::calendar_time()));
  const int first_coin = std::rand() % 2;
  const int second_coin = std::rand() % 2;

  const MoveFunction move_function = pattern.rocking ? movefunc1 : nullptr;
  for (const ChunkPiece* piece : {&pattern.first, &pattern.second}) {
    if (piece->name[0] == '\0') continue;
    const std::string name = woods + piece->name;
    const float x = grounds.back()->x + piece->dx;
    add_ground(new Ground("images/" + name + ".xml", "images/" + name + "_out.png", 4.0f, move_function, gc, x,
                          piece->y, element_depth));
  }
  if (!pattern.has_items) return;

  const Ground* last = grounds.back();
  if (first_coin == 1) {
    add_item(new Item(fred_item, fred_item, "images/" + fred_item + ".xml", "images/" + fred_item + "_out.png", gc,
                      last->x + pattern.fred_dx, last->y + pattern.fred_dy, element_depth, true, true));
  }
  if (second_coin == 1) {
    add_item(new Item(omena_item, omena_item, "images/" + omena_item + ".xml", "images/" + omena_item + "_out.png", gc,
                      last->x + pattern.omena_dx, last->y, element_depth, false, false));
  }
}
