#include "platform/testing.h"

#include "internal.h"
#include "platform/error.h"

namespace platform::testing {

void save_screenshot(const GraphicContext& gc, const std::string& path) {
  if (gc.is_null()) throw Exception("No screen to save to '" + path + "'");
  PNGProvider::save(gc.get_pixeldata(), path);
}

void draw_through_offscreen_target(GraphicContext& gc, bool on) {
  if (!gc.is_null() && gc.impl()->window && !gc.impl()->fallback_surface) gc.impl()->set_through_target(on);
}

PixelBuffer window_pixels(const GraphicContext& gc) {
  if (gc.is_null()) return PixelBuffer();
  GraphicContext::Impl& impl = *gc.impl();
  PixelBuffer result(impl.width, impl.height);
  SDL_Texture* drawing_into = SDL_GetRenderTarget(impl.renderer);
  SDL_SetRenderTarget(impl.renderer, nullptr);
  const int read = SDL_RenderReadPixels(impl.renderer, nullptr, SDL_PIXELFORMAT_RGBA32, result.get_data(), impl.width * 4);
  SDL_SetRenderTarget(impl.renderer, drawing_into);
  if (read != 0) throw Exception(std::string("Could not read the window: ") + SDL_GetError());
  return result;
}

std::uint64_t replayed_operations(const GraphicContext& gc) { return gc.is_null() ? 0 : gc.impl()->replayed; }

std::uint64_t uploaded_textures(const GraphicContext& gc) { return gc.is_null() ? 0 : gc.impl()->uploaded_textures; }

}  // namespace platform::testing
