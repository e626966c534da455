// Headless settings for every test program, whatever the test runner passes
// on: no sound device, the offscreen display, and SDL's software renderer (a
// GL renderer would load a driver whose leaks cannot be named once unloaded).
#include <cstdlib>

namespace {

struct HeadlessEnvironment {
  HeadlessEnvironment() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
  }
} headless_environment;

}  // namespace

// Leaks inside system libraries that the game cannot release.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libSDL2\nleak:libX11\nleak:libdbus\nleak:libGLX\n"
         "leak:libGL\nleak:libEGL\nleak:swrast_dri\nleak:libLLVM\n";
}
