#pragma once
#include <string>

#include "gameplay/graphic_element.h"
#include "platform/sprite.h"

// One tile of the level's backdrop picture.
class Background : public GraphicElement {
 public:
  // Throws a C-string message when the sprite "background" cannot be loaded.
  Background(const std::string& resource_path, platform::GraphicContext& gc, float x, float z);
  ~Background() override;

  platform::Sprite sprite;
  float width = 0.0f;
};
