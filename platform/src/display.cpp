#include "platform/display.h"

#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "internal.h"
#include "platform/error.h"

namespace platform {

GraphicContext::Impl::~Impl() {
  // The renderer frees its textures (the target included).
  if (renderer) SDL_DestroyRenderer(renderer);
  if (fallback_surface) SDL_FreeSurface(fallback_surface);
  if (window) SDL_DestroyWindow(window);
  if (holds_video) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

struct DisplayWindow::Impl {
  std::string title;
  std::shared_ptr<GraphicContext::Impl> gc;
  std::shared_ptr<InputDevice::Impl> keyboard;
};

namespace {

bool headless_video_driver() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

int render_driver_index(const char* name) {
  for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
    SDL_RendererInfo info;
    if (SDL_GetRenderDriverInfo(i, &info) == 0 && std::strcmp(info.name, name) == 0) return i;
  }
  return -1;
}

// Keeps the OpenGL driver libraries loaded for the rest of the process once
// a GL renderer has loaded them. Otherwise closing the window unloads the
// driver, and leak checkers then cannot tell the driver's own leftovers from
// the game's (they show up as "unknown module").
void pin_gl_driver() {
  std::vector<std::string> names;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        const std::string name = info->dlpi_name ? info->dlpi_name : "";
        if (name.find("_dri.so") != std::string::npos || name.find("libGL") != std::string::npos)
          static_cast<std::vector<std::string>*>(data)->push_back(name);
        return 0;
      },
      &names);
  // RTLD_NOLOAD takes another reference only to what is loaded already.
  for (const std::string& name : names) dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}

// OpenGL where the machine has it, then any accelerated renderer, then
// software; headless drivers go straight to software (asking them for GL
// only loads the GL libraries in vain).
SDL_Renderer* make_window_renderer(SDL_Window* window) {
  if (!window) return nullptr;
  constexpr Uint32 accelerated = SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE;
  constexpr Uint32 software = SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE;
  if (!headless_video_driver()) {
    if (const int opengl = render_driver_index("opengl"); opengl >= 0) {
      if (SDL_Renderer* renderer = SDL_CreateRenderer(window, opengl, accelerated)) {
        pin_gl_driver();
        return renderer;
      }
    }
    if (SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, accelerated)) return renderer;
  }
  return SDL_CreateRenderer(window, render_driver_index("software"), software);
}

}  // namespace

DisplayWindow::DisplayWindow(const DisplayWindowDescription& description) {
  if (description.width <= 0 || description.height <= 0)
    throw Exception("Cannot open a window of " + std::to_string(description.width) + "x" +
                    std::to_string(description.height) + " pixels");
  auto gc = std::make_shared<GraphicContext::Impl>();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    throw Exception(std::string("Could not open the window: ") + SDL_GetError());
  gc->holds_video = true;
  gc->width = description.width;
  gc->height = description.height;

  // Headless drivers have a plain memory framebuffer; letting SDL put a GL
  // texture behind it only loads (and leaks from) the GL libraries.
  if (headless_video_driver()) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (description.allow_resize) flags |= SDL_WINDOW_RESIZABLE;
  gc->window = SDL_CreateWindow(description.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                description.width, description.height, flags);
  gc->renderer = make_window_renderer(gc->window);
  if (!gc->renderer) {
    // No usable window (e.g. a display without a framebuffer): draw into
    // memory so the game and its tests still run.
    gc->fallback_surface =
        SDL_CreateRGBSurfaceWithFormat(0, description.width, description.height, 32, texture_format);
    if (gc->fallback_surface) gc->renderer = SDL_CreateSoftwareRenderer(gc->fallback_surface);
  }
  if (!gc->renderer) throw Exception(std::string("Could not open the window: ") + SDL_GetError());
  SDL_RendererInfo info;
  gc->software = SDL_GetRendererInfo(gc->renderer, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  gc->target = SDL_CreateTexture(gc->renderer, texture_format, SDL_TEXTUREACCESS_TARGET, description.width,
                                 description.height);
  if (!gc->target || SDL_SetRenderTarget(gc->renderer, gc->target) != 0)
    throw Exception(std::string("Could not make the window's drawing surface: ") + SDL_GetError());
  SDL_SetRenderDrawColor(gc->renderer, 0, 0, 0, 255);
  SDL_RenderClear(gc->renderer);

  impl_ = std::make_shared<Impl>();
  impl_->title = description.title;
  impl_->gc = std::move(gc);
  impl_->keyboard = std::make_shared<InputDevice::Impl>();
  register_keyboard(impl_->keyboard);
}

GraphicContext DisplayWindow::get_gc() const { return impl_ ? GraphicContext(impl_->gc) : GraphicContext(); }
InputDevice DisplayWindow::get_keyboard() const { return impl_ ? InputDevice(impl_->keyboard) : InputDevice(); }
std::string DisplayWindow::get_title() const { return impl_ ? impl_->title : std::string(); }

void DisplayWindow::flip(int) {
  if (!impl_) return;
  GraphicContext::Impl& gc = *impl_->gc;
  if (!gc.window || gc.fallback_surface) return;  // drawing into memory: nothing to show
  SDL_SetRenderTarget(gc.renderer, nullptr);
  SDL_RenderCopy(gc.renderer, gc.target, nullptr, nullptr);
  SDL_RenderPresent(gc.renderer);
  SDL_SetRenderTarget(gc.renderer, gc.target);
}

int GraphicContext::get_width() const { return impl_ ? impl_->width : 0; }
int GraphicContext::get_height() const { return impl_ ? impl_->height : 0; }

void GraphicContext::clear(const Colorf& colour) {
  if (!impl_) return;
  SDL_SetRenderDrawBlendMode(impl_->renderer, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(impl_->renderer, to_byte(colour.r), to_byte(colour.g), to_byte(colour.b), to_byte(colour.a));
  SDL_RenderClear(impl_->renderer);
}

PixelBuffer GraphicContext::get_pixeldata(const Rect& rect) const {
  if (!impl_) return PixelBuffer();
  SDL_Rect area{0, 0, impl_->width, impl_->height};
  if (rect.left != 0 || rect.top != 0 || rect.right != 0 || rect.bottom != 0) {
    const int left = std::clamp(rect.left, 0, impl_->width);
    const int top = std::clamp(rect.top, 0, impl_->height);
    const int right = std::clamp(rect.right, left, impl_->width);
    const int bottom = std::clamp(rect.bottom, top, impl_->height);
    area = {left, top, right - left, bottom - top};
  }
  PixelBuffer result(area.w, area.h);
  if (area.w == 0 || area.h == 0) return result;
  if (SDL_RenderReadPixels(impl_->renderer, &area, SDL_PIXELFORMAT_RGBA32, result.get_data(), area.w * 4) != 0)
    throw Exception(std::string("Could not read back the screen: ") + SDL_GetError());
  return result;
}

namespace {
SDL_Color to_sdl(const Colorf& c) {
  return SDL_Color{to_byte(c.r), to_byte(c.g), to_byte(c.b), to_byte(c.a)};
}
}  // namespace

void Draw::gradient_fill(GraphicContext& gc, const Rectf& rect, const Gradient& gradient) {
  if (gc.is_null() || !drawable_position(rect.left, rect.top) || !drawable_position(rect.right, rect.bottom)) return;
  SDL_Renderer* renderer = gc.impl()->renderer;
  const SDL_Vertex corners[4] = {
      {{rect.left, rect.top}, to_sdl(gradient.top_left), {0, 0}},
      {{rect.right, rect.top}, to_sdl(gradient.top_right), {0, 0}},
      {{rect.left, rect.bottom}, to_sdl(gradient.bottom_left), {0, 0}},
      {{rect.right, rect.bottom}, to_sdl(gradient.bottom_right), {0, 0}},
  };
  const int indices[6] = {0, 1, 2, 1, 3, 2};
  const bool translucent = std::any_of(std::begin(corners), std::end(corners), [](const SDL_Vertex& v) { return v.color.a < 255; });
  SDL_SetRenderDrawBlendMode(renderer, translucent ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
  SDL_RenderGeometry(renderer, nullptr, corners, 4, indices, 6);
}

void Draw::fill(GraphicContext& gc, const Rectf& rect, const Colorf& colour) {
  if (gc.is_null() || !drawable_position(rect.left, rect.top) || !drawable_position(rect.right, rect.bottom)) return;
  SDL_Renderer* renderer = gc.impl()->renderer;
  const SDL_Color c = to_sdl(colour);
  SDL_SetRenderDrawBlendMode(renderer, c.a == 255 ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
  SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, c.a);
  const SDL_FRect area{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  SDL_RenderFillRectF(renderer, &area);
}

}  // namespace platform
