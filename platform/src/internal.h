#pragma once
// Shared innards of the display, sprite, font and input code.
#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/display.h"
#include "platform/pixel_buffer.h"

namespace platform {

// Identifies one version of a picture file (path, size, time of change) for
// the caches of decoded pictures and traced outlines; throws Exception naming
// the file when it is missing or not a regular file.
std::string picture_file_key(const std::string& path);

// The window, its renderer and the offscreen target every drawing goes to.
struct GraphicContext::Impl {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* target = nullptr;
  SDL_Surface* fallback_surface = nullptr;  // when no window renderer could be made
  int width = 640, height = 480;
  bool software = false;  // SDL's software renderer draws
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

// One picture of a sprite, uploaded to a texture on first draw. The textures
// belong to the renderer of `owner`; when that context is gone, so are they
// (SDL frees a renderer's textures with it).
class Frame {
 public:
  explicit Frame(PixelBuffer pixels);
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;
  ~Frame();
  int width() const { return pixels_.get_width(); }
  int height() const { return pixels_.get_height(); }
  // A texture for this context's renderer, set up to be drawn at this alpha;
  // made on first use; null on failure.
  SDL_Texture* texture_for(const std::shared_ptr<GraphicContext::Impl>& gc, Uint8 alpha);

 private:
  void release_textures();
  SDL_Texture* make_texture(SDL_Renderer* renderer, Uint32 format) const;
  bool fill_faded(Uint8 alpha);

  PixelBuffer pixels_;
  bool opaque_ = false;
  std::weak_ptr<GraphicContext::Impl> owner_;
  SDL_Renderer* owner_renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  // Software rendering blends a translucent picture at a uniform alpha slowly;
  // a copy with the alpha multiplied in is blended on the fast path instead.
  SDL_Texture* faded_ = nullptr;
  Uint8 faded_alpha_ = 0;
};

// Keyboards of the open windows, which KeepAlive::process feeds.
void register_keyboard(const std::shared_ptr<InputDevice::Impl>& keyboard);
std::vector<std::shared_ptr<InputDevice::Impl>> open_keyboards();

// Frames of a picture file (whole, or one grid cell), decoded once per
// process and shared by every sprite made from them. Throws platform::Exception.
std::shared_ptr<Frame> cached_frame(const std::string& path, const SDL_Rect* cell);

// Textures are made in this format: the one the offscreen target uses, so
// drawing needs no conversion.
// 0..1 to 0..255; NaN counts as 0.
inline Uint8 to_byte(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 1.0f) return 255;
  return static_cast<Uint8>(value * 255.0f + 0.5f);
}

// Whether a drawing position is one SDL can take (it converts to int).
inline bool drawable_position(float x, float y) {
  return std::isfinite(x) && std::isfinite(y) && std::fabs(x) < 1.0e6f && std::fabs(y) < 1.0e6f;
}

constexpr Uint32 texture_format = SDL_PIXELFORMAT_ARGB8888;
constexpr Uint32 opaque_texture_format = SDL_PIXELFORMAT_RGB888;

}  // namespace platform
