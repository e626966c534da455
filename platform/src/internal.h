#pragma once
// Shared innards of the display, sprite, font and input code.
#include <SDL.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/display.h"
#include "platform/pixel_buffer.h"

namespace platform {

// The window, its renderer and the offscreen target every drawing goes to.
struct GraphicContext::Impl {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* target = nullptr;
  SDL_Surface* fallback_surface = nullptr;  // when no window renderer could be made
  int width = 640, height = 480;
  bool holds_video = false;

  Impl() = default;
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  ~Impl();
};

struct InputDevice::Impl {
  std::unordered_set<int> held;
  Signal_v2 key_down;
  Signal_v2 key_up;
};

// One picture of a sprite, uploaded to a texture on first draw. The texture
// belongs to the renderer of `owner`; when that context is gone, so is the
// texture (SDL frees a renderer's textures with it).
class Frame {
 public:
  explicit Frame(PixelBuffer pixels);
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;
  ~Frame();
  int width() const { return pixels_.get_width(); }
  int height() const { return pixels_.get_height(); }
  // The texture for this context's renderer, made on first use; null on failure.
  SDL_Texture* texture_for(const std::shared_ptr<GraphicContext::Impl>& gc);

 private:
  PixelBuffer pixels_;
  bool opaque_ = false;
  std::weak_ptr<GraphicContext::Impl> owner_;
  SDL_Renderer* owner_renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
};

// Keyboards of the open windows, which KeepAlive::process feeds.
void register_keyboard(const std::shared_ptr<InputDevice::Impl>& keyboard);
std::vector<std::shared_ptr<InputDevice::Impl>> open_keyboards();

// Frames of a picture file (whole, or one grid cell), decoded once per
// process and shared by every sprite made from them. Throws platform::Exception.
std::shared_ptr<Frame> cached_frame(const std::string& path, const SDL_Rect* cell);

// Textures are made in this format: the one the offscreen target uses, so
// drawing needs no conversion.
constexpr Uint32 texture_format = SDL_PIXELFORMAT_ARGB8888;

}  // namespace platform
