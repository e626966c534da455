#include "platform/display.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
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

// Whether an OpenGL renderer name is one of Mesa's rasterizers on the CPU
// (llvmpipe, softpipe or swrast). SDL's own software renderer then draws the
// same frames for far less CPU than a rasterizer that spreads every frame
// over threads.
bool names_software_rasterizer(const char* name) {
  if (!name) return false;
  const std::string renderer(name);
  return renderer.find("llvmpipe") != std::string::npos || renderer.find("softpipe") != std::string::npos ||
         renderer.find("swrast") != std::string::npos;
}

// Whether the current OpenGL context draws on the CPU.
bool gl_draws_in_software() {
  using GetString = const unsigned char* (*)(unsigned int);
  constexpr unsigned int gl_renderer = 0x1F01;
  const auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char* name = get_string && SDL_GL_GetCurrentContext() ? get_string(gl_renderer) : nullptr;
  return names_software_rasterizer(reinterpret_cast<const char*>(name));
}

// What Mesa's GLX says of the X display's OpenGL renderer without a context
// (its renderer query, which loads the driver but makes no context): true
// when it draws on the CPU, false when not, nothing when it cannot tell (not
// X11, not Mesa). Making a GL renderer just to ask it delayed the first frame
// by a tenth of a second.
std::optional<bool> mesa_gl_draws_in_software(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return std::nullopt;
  Display* display = info.info.x11.display;
  const int screen = DefaultScreen(display);
  // The library SDL would load for OpenGL. It stays loaded: its driver hooks
  // itself into the display connection.
  const char* library = SDL_getenv("SDL_VIDEO_GL_DRIVER");
  void* gl = dlopen(library && *library ? library : "libGL.so.1", RTLD_LAZY | RTLD_LOCAL);
  if (!gl) return std::nullopt;
  using GetProcAddress = void* (*)(const unsigned char*);
  using QueryExtensions = const char* (*)(Display*, int);
  using QueryRendererString = const char* (*)(Display*, int, int, int);
  constexpr int renderer_device_id = 0x8184;  // GLX_RENDERER_DEVICE_ID_MESA: the GL_RENDERER text
  const auto get_proc = reinterpret_cast<GetProcAddress>(dlsym(gl, "glXGetProcAddressARB"));
  const auto query_extensions = reinterpret_cast<QueryExtensions>(dlsym(gl, "glXQueryExtensionsString"));
  if (!get_proc || !query_extensions) return std::nullopt;
  const char* extensions = query_extensions(display, screen);
  pin_gl_driver();
  if (!extensions || !std::strstr(extensions, "GLX_MESA_query_renderer")) return std::nullopt;
  const auto query_string = reinterpret_cast<QueryRendererString>(
      get_proc(reinterpret_cast<const unsigned char*>("glXQueryRendererStringMESA")));
  const char* name = query_string ? query_string(display, screen, 0, renderer_device_id) : nullptr;
  if (!name) return std::nullopt;
  return names_software_rasterizer(name);
#else
  (void)window;
  return std::nullopt;
#endif
}

// OpenGL where the machine has it in hardware, then any accelerated renderer,
// then software; headless drivers go straight to software (asking them for GL
// only loads the GL libraries in vain).
SDL_Renderer* make_window_renderer(SDL_Window* window) {
  if (!window) return nullptr;
  constexpr Uint32 accelerated = SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE;
  constexpr Uint32 software = SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE;
  if (!headless_video_driver()) {
    // Where Mesa cannot tell, a GL renderer is made and asked.
    bool gl_in_software = mesa_gl_draws_in_software(window).value_or(false);
    if (const int opengl = render_driver_index("opengl"); opengl >= 0 && !gl_in_software) {
      if (SDL_Renderer* renderer = SDL_CreateRenderer(window, opengl, accelerated)) {
        pin_gl_driver();
        gl_in_software = gl_draws_in_software();
        if (!gl_in_software) return renderer;
        SDL_DestroyRenderer(renderer);
      }
    }
    if (gl_in_software) {
      // Else SDL would show the software renderer's pictures through GL too.
      SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    } else if (SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, accelerated)) {
      return renderer;
    }
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
  // Drawing into memory: the target is all there is.
  gc->through_target = true;
  if (!gc->fallback_surface) gc->set_through_target(false);

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
  if (impl_) impl_->gc->present();
}

int GraphicContext::get_width() const { return impl_ ? impl_->width : 0; }
int GraphicContext::get_height() const { return impl_ ? impl_->height : 0; }

void GraphicContext::clear(const Colorf& colour) {
  if (!impl_) return;
  DrawOp op;
  op.kind = DrawOp::clear;
  op.colours[0] = {to_byte(colour.r), to_byte(colour.g), to_byte(colour.b), to_byte(colour.a)};
  impl_->draw(op);
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
  SDL_Renderer* renderer = impl_->renderer;
  SDL_Texture* drawing_into = SDL_GetRenderTarget(renderer);
  const bool read = impl_->update_target() && SDL_SetRenderTarget(renderer, impl_->target) == 0 &&
                    SDL_RenderReadPixels(renderer, &area, SDL_PIXELFORMAT_RGBA32, result.get_data(), area.w * 4) == 0;
  SDL_SetRenderTarget(renderer, drawing_into);
  if (!read) throw Exception(std::string("Could not read back the screen: ") + SDL_GetError());
  return result;
}

namespace {
// Past this many kept operations without a clear, they go into the target.
constexpr std::size_t max_kept_ops = 4096;
}  // namespace

void GraphicContext::Impl::run(const DrawOp& op) {
  switch (op.kind) {
    case DrawOp::clear: {
      const SDL_Color& c = op.colours[0];
      SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
      SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, c.a);
      SDL_RenderClear(renderer);
      break;
    }
    case DrawOp::fill: {
      const SDL_Color& c = op.colours[0];
      SDL_SetRenderDrawBlendMode(renderer, c.a == 255 ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
      SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, c.a);
      SDL_RenderFillRectF(renderer, &op.where);
      break;
    }
    case DrawOp::gradient:
      run_gradient(op);
      break;
    case DrawOp::copy:
      SDL_SetTextureBlendMode(op.texture, op.blend);
      SDL_SetTextureAlphaMod(op.texture, op.alpha_mod);
      SDL_SetTextureColorMod(op.texture, op.colour_mod.r, op.colour_mod.g, op.colour_mod.b);
      if (op.angle == 0.0)
        SDL_RenderCopyF(renderer, op.texture, nullptr, &op.where);
      else  // SDL turns clockwise about the centre of the destination
        SDL_RenderCopyExF(renderer, op.texture, nullptr, &op.where, op.angle, nullptr, SDL_FLIP_NONE);
      break;
  }
}

void GraphicContext::Impl::run_gradient(const DrawOp& op) {
  // Row by row in colours worked out here: every renderer then gives the top
  // colour on the first row and the bottom colour on the last (interpolating
  // vertex colours, SDL's software renderer misses both ends by a level).
  const int first = static_cast<int>(std::ceil(op.where.y - 0.5f));  // rows whose centres lie inside
  const int end = static_cast<int>(std::ceil(op.where.y + op.where.h - 0.5f));
  if (end <= first || !(op.where.w > 0.0f)) return;
  const long steps = static_cast<long>(end) - first - 1;
  const SDL_Color &top = op.colours[0], &bottom = op.colours[1];
  auto colour_of = [&](int row) {
    if (steps == 0) return top;
    const long i = row - first;
    auto mix = [&](Uint8 from, Uint8 to) {  // rounded to the nearest level
      return static_cast<Uint8>(((from * (steps - i) + to * i) * 2 + steps) / (2 * steps));
    };
    return SDL_Color{mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b), 255};
  };
  auto same = [](const SDL_Color& a, const SDL_Color& b) { return a.r == b.r && a.g == b.g && a.b == b.b; };
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
  const int last_visible = std::min(end, height);
  for (int row = std::max(first, 0); row < last_visible;) {
    const SDL_Color colour = colour_of(row);
    int next = row + 1;
    while (next < last_visible && same(colour_of(next), colour)) ++next;  // one band per colour
    SDL_SetRenderDrawColor(renderer, colour.r, colour.g, colour.b, 255);
    const SDL_FRect band{op.where.x, static_cast<float>(row), op.where.w, static_cast<float>(next - row)};
    SDL_RenderFillRectF(renderer, &band);
    row = next;
  }
}

namespace {
// Whether a copy lands wholly outside the window, turned or not. SDL's
// software renderer turns the whole picture before cutting it to the window,
// so a turned piece scrolled out of sight would cost as much as a shown one.
bool outside(const DrawOp& op, int width, int height) {
  if (op.kind != DrawOp::copy) return false;
  const double turn = op.angle * 3.14159265358979323846 / 180.0;
  const double c = std::fabs(std::cos(turn)), s = std::fabs(std::sin(turn));
  const double half_w = 0.5 * op.where.w, half_h = 0.5 * op.where.h;
  // Half the turned box, and a few pixels for the rounding of every renderer.
  const double reach_x = c * half_w + s * half_h + 4.0, reach_y = s * half_w + c * half_h + 4.0;
  const double centre_x = op.where.x + half_w, centre_y = op.where.y + half_h;
  return centre_x + reach_x < 0.0 || centre_x - reach_x > width || centre_y + reach_y < 0.0 ||
         centre_y - reach_y > height;
}

// Whether an operation replaces every pixel of the window: a clear, or an
// opaque fill, gradient or unturned, unblended copy over the whole window.
bool covers(const DrawOp& op, int width, int height) {
  const bool over_window = op.where.x <= 0 && op.where.y <= 0 && op.where.x + op.where.w >= static_cast<float>(width) &&
                           op.where.y + op.where.h >= static_cast<float>(height);
  switch (op.kind) {
    case DrawOp::clear: return true;
    case DrawOp::fill:
    case DrawOp::gradient: {
      const int colours = op.kind == DrawOp::fill ? 1 : 2;
      return over_window &&
             std::all_of(op.colours, op.colours + colours, [](const SDL_Color& c) { return c.a == 255; });
    }
    case DrawOp::copy:
      return over_window && op.angle == 0.0 && op.blend == SDL_BLENDMODE_NONE && op.alpha_mod == 255;
  }
  return false;
}
}  // namespace

void GraphicContext::Impl::draw(const DrawOp& op) {
  if (through_target) return run(op);
  if (outside(op, width, height)) return;  // provably draws nothing
  if (covers(op, width, height)) {
    // Whatever lay beneath is replaced pixel for pixel.
    ops.clear();
    target_ops = -1;
    window_current = true;
  } else {
    if (!window_current) replay_into_window();
    if (ops.size() >= max_kept_ops) flatten();
  }
  ops.push_back(op);
  run(op);
}

void GraphicContext::Impl::replay_into_window() {
  // The target, brought up to date, holds the frame shown; the kept list
  // starts afresh from it, so no frame draws an older frame's operations again.
  flatten();
  SDL_SetTextureBlendMode(target, SDL_BLENDMODE_NONE);
  SDL_RenderCopy(renderer, target, nullptr, nullptr);
  ++replayed;
  window_current = true;
}

bool GraphicContext::Impl::update_target() {
  if (through_target) return true;
  if (SDL_SetRenderTarget(renderer, target) != 0) return false;
  if (target_ops < 0) target_ops = 0;  // the first operation covers the target
  for (std::size_t i = static_cast<std::size_t>(target_ops); i < ops.size(); ++i) run(ops[i]);
  replayed += ops.size() - static_cast<std::size_t>(target_ops);
  target_ops = static_cast<long>(ops.size());
  return SDL_SetRenderTarget(renderer, nullptr) == 0;
}

void GraphicContext::Impl::flatten() {
  update_target();
  ops.clear();
  target_ops = 0;
}

void GraphicContext::Impl::texture_changing(SDL_Texture* texture) {
  if (!through_target && std::any_of(ops.begin(), ops.end(), [&](const DrawOp& op) { return op.texture == texture; }))
    flatten();
}

void GraphicContext::Impl::present() {
  if (!window || fallback_surface) return;  // drawing into memory: nothing to show
  if (through_target) {
    SDL_SetRenderTarget(renderer, nullptr);
    SDL_SetTextureBlendMode(target, SDL_BLENDMODE_NONE);
    SDL_RenderCopy(renderer, target, nullptr, nullptr);
    SDL_RenderPresent(renderer);
    SDL_SetRenderTarget(renderer, target);
    return;
  }
  if (!window_current) replay_into_window();  // nothing drawn since the last present
  SDL_RenderPresent(renderer);
  window_current = false;
}

void GraphicContext::Impl::set_through_target(bool on) {
  if (on == through_target) return;
  if (on) {
    update_target();
    SDL_SetRenderTarget(renderer, target);
  } else {
    SDL_SetRenderTarget(renderer, nullptr);
    ops.clear();
    target_ops = 0;
    window_current = false;
  }
  through_target = on;
}

DrawOp copy_op(SDL_Texture* texture, const SDL_FRect& where, double angle) {
  DrawOp op;
  op.kind = DrawOp::copy;
  op.texture = texture;
  op.where = where;
  op.angle = angle;
  SDL_GetTextureBlendMode(texture, &op.blend);
  SDL_GetTextureAlphaMod(texture, &op.alpha_mod);
  SDL_GetTextureColorMod(texture, &op.colour_mod.r, &op.colour_mod.g, &op.colour_mod.b);
  return op;
}

namespace {
SDL_Color to_sdl(const Colorf& c) {
  return SDL_Color{to_byte(c.r), to_byte(c.g), to_byte(c.b), to_byte(c.a)};
}
}  // namespace

void Draw::gradient_fill(GraphicContext& gc, const Rectf& rect, const Gradient& gradient) {
  if (gc.is_null() || !drawable_position(rect.left, rect.top) || !drawable_position(rect.right, rect.bottom)) return;
  DrawOp op;
  op.kind = DrawOp::gradient;
  op.where = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  op.colours[0] = to_sdl(gradient.top);
  op.colours[1] = to_sdl(gradient.bottom);
  op.colours[0].a = op.colours[1].a = 255;  // a gradient is drawn opaque
  gc.impl()->draw(op);
}

void Draw::fill(GraphicContext& gc, const Rectf& rect, const Colorf& colour) {
  if (gc.is_null() || !drawable_position(rect.left, rect.top) || !drawable_position(rect.right, rect.bottom)) return;
  DrawOp op;
  op.kind = DrawOp::fill;
  op.colours[0] = to_sdl(colour);
  op.where = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  gc.impl()->draw(op);
}

}  // namespace platform
