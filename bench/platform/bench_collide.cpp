// Outline tests as the physics step makes them: the player's feet (a 50x40
// picture at 1.8x) against a ground piece (a 125x75 quarter-size picture at 4x).
#include <benchmark/benchmark.h>

#include <cmath>

#include "platform/collision_outline.h"

using namespace platform;

namespace {

PixelBuffer feet_picture() {
  PixelBuffer p(50, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 50; ++x) {
      const bool belly = y < 22 && std::pow((x - 25) / 24.0, 2) + std::pow((y - 4) / 18.0, 2) <= 1.0;
      const bool leg = y >= 14 && ((x >= 6 && x < 12) || (x >= 16 && x < 21) || (x >= 31 && x < 37) || (x >= 41 && x < 47));
      if (belly || leg) p.set_pixel(x, y, {255, 255, 255, 255});
    }
  return p;
}

PixelBuffer ground_picture() {
  PixelBuffer p(125, 75);
  for (int y = 0; y < 75; ++y)
    for (int x = 0; x < 125; ++x) {
      const double surface = 12.0 + 6.0 * std::sin(x / 9.0) + 3.0 * std::sin(x / 3.1);
      if (y >= surface && !(y > 40 && std::abs(x - 62) < 20 - (y - 40) / 3)) p.set_pixel(x, y, {90, 60, 30, 255});
    }
  return p;
}

struct Scene {
  CollisionOutline feet{feet_picture(), 128, accuracy_medium, true};
  CollisionOutline ground{ground_picture(), 128, accuracy_high, true};
  Scene() {
    feet.set_scale(1.8f, 1.8f);
    feet.set_alignment(origin_top_left, 50 * 0.4f, 40 * 0.4f);
    feet.set_angle(Angle::from_radians(0.12f));
    ground.set_scale(4.0f, 4.0f);
    ground.set_alignment(origin_top_left, 125 * 1.5f, 75 * 1.5f);
    ground.set_translation(0.0f, 300.0f);
  }
};

void BM_CollideFarApart(benchmark::State& state) {
  Scene scene;
  scene.feet.set_translation(1200.0f, 100.0f);
  for (auto _ : state) benchmark::DoNotOptimize(scene.feet.collide(scene.ground));
}
BENCHMARK(BM_CollideFarApart);

// The first test after a move, with nothing near: the bounding boxes alone decide.
void BM_CollideFarApartAfterMove(benchmark::State& state) {
  Scene scene;
  float x = 1200.0f;
  for (auto _ : state) {
    x = x == 1200.0f ? 1201.0f : 1200.0f;
    scene.feet.set_translation(x, 100.0f);
    benchmark::DoNotOptimize(scene.feet.collide(scene.ground));
  }
}
BENCHMARK(BM_CollideFarApartAfterMove);

void BM_CollideInContact(benchmark::State& state) {
  Scene scene;
  scene.feet.set_translation(200.0f, 300.0f - 72.0f + 40.0f);  // feet sunk into the surface
  if (!scene.feet.collide(scene.ground)) state.SkipWithError("the outlines do not touch");
  for (auto _ : state) benchmark::DoNotOptimize(scene.feet.collide(scene.ground));
}
BENCHMARK(BM_CollideInContact);

// The player moves every frame, so the feet's transformed points are rebuilt
// before the first test of a frame.
void BM_CollideInContactAfterMove(benchmark::State& state) {
  Scene scene;
  float y = 268.0f;
  for (auto _ : state) {
    y = y == 268.0f ? 269.0f : 268.0f;
    scene.feet.set_translation(200.0f, y);
    benchmark::DoNotOptimize(scene.feet.collide(scene.ground));
  }
}
BENCHMARK(BM_CollideInContactAfterMove);

// Boxes overlap but the outlines do not touch: every nearby edge pair is tested.
void BM_CollideNearMiss(benchmark::State& state) {
  Scene scene;
  float y = 100.0f;
  while (scene.feet.set_translation(200.0f, y), !scene.feet.collide(scene.ground)) y += 1.0f;
  scene.feet.set_translation(200.0f, y - 2.0f);
  if (scene.feet.collide(scene.ground) || scene.feet.get_bounding_box().bottom < 300.0f)
    state.SkipWithError("not a near miss");
  for (auto _ : state) benchmark::DoNotOptimize(scene.feet.collide(scene.ground));
}
BENCHMARK(BM_CollideNearMiss);
}  // namespace
