#include "frontend/play_game.h"

#include <memory>

#include "frontend/frontend.h"

int play_game() {
  // The Frontend is gone, its window closed, before any error reaches the
  // caller's handler.
  auto frontend = std::make_unique<Frontend>();
  frontend->run();
  frontend.reset();
  return 0;
}
