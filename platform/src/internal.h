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

// One drawing call as the renderer takes it, kept so the frame can be drawn
// again. A texture's blend mode and modulation are those it had when drawn.
struct DrawOp {
  enum Kind { clear, fill, gradient, copy } kind = clear;
  SDL_Color colours[2] = {};  // clear and fill use the first; a gradient runs from top to bottom
  SDL_FRect where = {};
  SDL_Texture* texture = nullptr;
  double angle = 0.0;
  SDL_BlendMode blend = SDL_BLENDMODE_NONE;
  Uint8 alpha_mod = 255;
  SDL_Color colour_mod = {255, 255, 255, 255};
};

// The window, its renderer and the offscreen target.
//
// With a window, drawing goes straight into it, and the operations since the
// last one that covers the window (a clear, or an opaque fill, gradient or
// plain copy over all of it) are kept: a read-back draws them again into the
// offscreen target, where every frame used to be drawn, so it gives the very
// pixels that target would hold. After a present the window's back buffer is
// undefined; a frame that does not start by covering it first brings the
// target up to date and copies it into the window, and the kept list starts
// afresh, so a frame never draws more than the previous frame's operations
// and one copy again. Without a window (or with `through_target`) everything
// is drawn into the target and flip copies it.
struct GraphicContext::Impl {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* target = nullptr;
  SDL_Surface* fallback_surface = nullptr;  // when no window renderer could be made
  int width = 640, height = 480;
  bool software = false;  // SDL's software renderer draws
  bool holds_video = false;
  bool through_target = false;

  Impl() = default;
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  ~Impl();

  // Draws one operation (and keeps it, when drawing into the window).
  void draw(const DrawOp& op);
  // Operations drawn again (a copy of the target counts one), for tests.
  std::uint64_t replayed = 0;
  // Textures given pixels (made from a picture or a text, or refilled), for tests.
  std::uint64_t uploaded_textures = 0;

  // Call before a texture changes or is destroyed: operations still kept
  // that use it are first drawn into the target for good.
  void texture_changing(SDL_Texture* texture);
  // Brings the target up to date with everything drawn; false on failure.
  bool update_target();
  void present();
  // Switches between drawing into the window and into the target.
  void set_through_target(bool on);

 private:
  void run(const DrawOp& op);
  void run_gradient(const DrawOp& op);
  void replay_into_window();
  void flatten();
  // Kept since the last operation that covers the window (which comes
  // first), or since the target took in those before them.
  std::vector<DrawOp> ops;
  bool window_current = true;  // the window's back buffer shows every drawing
  // The target shows what lies under ops and the first target_ops of them;
  // -1 when it shows an older frame (ops then start with one that covers).
  long target_ops = 0;
};

// A copy of the whole texture to `where`, turned by angle degrees, with the
// texture's present blend mode and modulation.
DrawOp copy_op(SDL_Texture* texture, const SDL_FRect& where, double angle);

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
