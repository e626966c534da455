// Drawing cost of one play frame, headless: backdrop, ground pieces, items,
// the player, the darkness layer, the heads-up texts and the flip.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/platform.h"

namespace {

using platform::PixelBuffer;

// A picture with an opaque body and transparent, soft-edged surroundings,
// like the game's ground pieces and items.
PixelBuffer picture(int width, int height, bool opaque, std::uint8_t shade) {
  PixelBuffer result(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t alpha = 255;
      if (!opaque) {
        const float dx = (x - width / 2.0f) / (width / 2.0f), dy = (y - height / 2.0f) / (height / 2.0f);
        const float distance = std::sqrt(dx * dx + dy * dy);
        alpha = distance < 0.8f ? 255 : distance < 1.0f ? static_cast<std::uint8_t>((1.0f - distance) * 1275) : 0;
      }
      result.set_pixel(x, y, {static_cast<std::uint8_t>(shade + x % 32), shade, static_cast<std::uint8_t>(y % 64), alpha});
    }
  }
  return result;
}

platform::Sprite sprite_of(platform::GraphicContext& gc, const PixelBuffer& frame) {
  platform::SpriteDescription description;
  description.add_frame(frame);
  return platform::Sprite(gc, description);
}

struct PlayScene {
  platform::SetupCore core;
  platform::SetupDisplay display;
  platform::DisplayWindow window;
  platform::GraphicContext gc;
  std::vector<platform::Sprite> backdrop, grounds, items;
  platform::Sprite player, darkness;
  platform::Font hud;

  float darkness_alpha = 0.3f;

  explicit PlayScene(bool soft_darkness) {
    platform::DisplayWindowDescription description;
    description.set_title("Morvane");
    window = platform::DisplayWindow(description);
    gc = window.get_gc();
    for (int i = 0; i < 3; ++i) backdrop.push_back(sprite_of(gc, picture(640, 480, true, 40)));
    const PixelBuffer ground = picture(500, 300, false, 90);
    for (int i = 0; i < 10; ++i) grounds.push_back(sprite_of(gc, ground));
    const PixelBuffer item = picture(60, 60, false, 200);
    for (int i = 0; i < 14; ++i) items.push_back(sprite_of(gc, item));
    player = sprite_of(gc, picture(100, 80, false, 150));
    player.set_angle(platform::Angle::from_radians(-0.2f));
    // Plain black, or black with soft see-through edges.
    darkness = sprite_of(gc, picture(640, 480, !soft_darkness, 0));
    hud = platform::Font(gc, "Tahoma", 30);
  }

  void frame(float scroll) {
    gc.clear(platform::Colorf::white);
    for (int i = 0; i < 3; ++i) backdrop[static_cast<std::size_t>(i)].draw(gc, i * 640.0f - scroll, 0.0f);
    for (int i = 0; i < 10; ++i)
      grounds[static_cast<std::size_t>(i)].draw(gc, i * 180.0f - 300.0f - scroll, 300.0f + (i % 3) * 20.0f);
    player.update(-1);
    player.draw(gc, 0.0f, 280.0f);
    for (int i = 0; i < 14; ++i) {
      items[static_cast<std::size_t>(i)].update(-1);
      items[static_cast<std::size_t>(i)].draw(gc, i * 50.0f - scroll, 200.0f + (i % 4) * 30.0f);
    }
    // The layer thickens a little every frame, as in play.
    darkness_alpha = darkness_alpha < 0.9f ? darkness_alpha + 0.001f : 0.3f;
    darkness.set_alpha(darkness_alpha);
    darkness.draw(gc, 0.0f, 0.0f);
    hud.draw_text(gc, 290, 50, "12345", platform::Colorf::mediumorchid);
    hud.draw_text(gc, 20, 50, "3", platform::Colorf::mediumorchid);
    hud.draw_text(gc, 300, 200, "100", platform::Colorf::mediumorchid);
    hud.draw_text(gc, 300, 230, "250", platform::Colorf::mediumorchid);
    window.flip(0);
  }
};

void BM_PlayFrame(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  PlayScene scene(state.range(0) != 0);
  float scroll = 0.0f;
  scene.frame(scroll);  // uploads every texture once, as the first frame of a run does
  for (auto _ : state) {
    scroll = std::fmod(scroll + 7.5f, 160.0f);
    scene.frame(scroll);
  }
}
// Argument: 0 = opaque darkness picture, 1 = darkness with per-pixel alpha.
BENCHMARK(BM_PlayFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Building the sprites of a level piece again from its resource file, as the
// endless level does for every chunk: decoded pictures are reused.
void BM_SpriteFromResourceAgain(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  const std::string folder = "/tmp/morvane_bench_resources";
  std::system(("mkdir -p " + folder).c_str());
  platform::PNGProvider::save(picture(500, 300, false, 90), folder + "/ground.png");
  FILE* xml = std::fopen((folder + "/ground.xml").c_str(), "w");
  std::fputs("<resources><sprite name=\"ground\"><image file=\"ground.png\"/></sprite></resources>", xml);
  std::fclose(xml);
  platform::GraphicContext none;
  for (auto _ : state) {
    platform::ResourceManager resources(folder + "/ground.xml");
    platform::Sprite sprite(none, "ground", &resources);
    benchmark::DoNotOptimize(sprite.get_width());
  }
}
BENCHMARK(BM_SpriteFromResourceAgain)->Unit(benchmark::kMicrosecond);

}  // namespace
