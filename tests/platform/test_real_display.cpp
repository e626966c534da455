// The window on a real X display (run by the platform_window_on_x_display
// test, on Xvfb; skipped on the headless drivers of the other runs).
#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {

SDL_Window* the_open_window() {
  for (Uint32 id = 1; id < 256; ++id)
    if (SDL_Window* window = SDL_GetWindowFromID(id)) return window;
  return nullptr;
}

// Xvfb's OpenGL is Mesa's, drawn on the CPU: the window takes SDL's software
// renderer, decided from Mesa's own answer, so no GL renderer (and its GL
// window) is made first only to be asked and thrown away, which held back the
// first frame.
TEST(RealDisplay, WhereGlDrawsOnTheCpuTheSoftwareRendererIsChosenWithoutAGlWindow) {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (!driver || std::strcmp(driver, "x11") != 0) GTEST_SKIP() << "needs SDL's X11 driver on a display";
  if (!dlopen("libGL.so.1", RTLD_LAZY | RTLD_NOLOAD) && !dlopen("libGL.so.1", RTLD_LAZY))
    GTEST_SKIP() << "no OpenGL library";
  platform::SetupCore core;
  platform::SetupDisplay display;
  platform::DisplayWindow window{platform::DisplayWindowDescription()};
  SDL_Window* sdl_window = the_open_window();
  ASSERT_NE(sdl_window, nullptr);
  SDL_RendererInfo info{};
  ASSERT_EQ(SDL_GetRendererInfo(SDL_GetRenderer(sdl_window), &info), 0);
  EXPECT_STREQ(info.name, "software");
  EXPECT_EQ(SDL_GetWindowFlags(sdl_window) & SDL_WINDOW_OPENGL, 0u) << "a GL renderer was made on the window";
}

}  // namespace
