#pragma once
#include <string>

#include "gameplay/graphic_element.h"
#include "platform/collision_outline.h"
#include "platform/sprite.h"

class Ground;

// A ground piece's optional per-frame animation.
using MoveFunction = void (*)(Ground*);

// Rocks the piece back and forth with the clock (same angle for every piece
// at the same moment).
void movefunc1(Ground* ground);

// A piece of ground or platform: a sprite and a collision outline built from
// an outline picture a quarter of the sprite's size.
class Ground : public GraphicElement {
 public:
  // Throws a C-string message when the sprite "ground" cannot be loaded; a
  // missing outline picture passes the platform layer's exception through.
  Ground(const std::string& resource_path, const std::string& outline_path, float outline_scale,
         MoveFunction move_function, platform::GraphicContext& gc, float x, float y, float z);
  ~Ground() override;

  platform::CollisionOutline get_outline() { return outline; }

  platform::CollisionOutline outline;
  platform::Sprite sprite;
  MoveFunction move_function = nullptr;
};
