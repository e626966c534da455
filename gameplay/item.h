#pragma once
#include <string>

#include "gameplay/graphic_element.h"
#include "platform/collision_outline.h"
#include "platform/sprite.h"

// A pick-up or an obstacle. Its points live in the item definition of its name.
class Item : public GraphicElement {
 public:
  // Throws a C-string message when the sprite cannot be loaded; a missing
  // outline picture passes the platform layer's exception through.
  Item(const std::string& name, const std::string& sprite_id, const std::string& resource_path,
       const std::string& outline_path, platform::GraphicContext& gc, float x, float y, float z,
       bool crashable, bool deadly);
  ~Item() override;

  // Both also place the outline at the item's position; move() does not.
  void set_x(float value) override;
  void set_y(float value) override;

  std::string get_name() { return name; }
  platform::CollisionOutline get_outline() { return outline; }

  std::string name;
  platform::CollisionOutline outline;
  platform::Sprite sprite;
  bool crashable;
  bool deadly;
};
