#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/collision_outline.h"
#include "platform/error.h"

using namespace platform;

namespace {

struct Box {
  int left, top, right, bottom;  // solid pixels left <= x < right, top <= y < bottom
};

PixelBuffer picture(int width, int height, std::initializer_list<Box> solid, std::initializer_list<Box> holes = {}) {
  PixelBuffer p(width, height);
  for (const Box& b : solid)
    for (int y = b.top; y < b.bottom; ++y)
      for (int x = b.left; x < b.right; ++x) p.set_pixel(x, y, {255, 255, 255, 255});
  for (const Box& b : holes)
    for (int y = b.top; y < b.bottom; ++y)
      for (int x = b.left; x < b.right; ++x) p.set_pixel(x, y, {255, 255, 255, 0});
  return p;
}

CollisionOutline square_at(int size, float x, float y) {
  CollisionOutline o(picture(size, size, {{0, 0, size, size}}));
  o.set_translation(x, y);
  return o;
}

void expect_box(const Rectf& box, float left, float top, float right, float bottom) {
  EXPECT_NEAR(box.left, left, 1e-3f);
  EXPECT_NEAR(box.top, top, 1e-3f);
  EXPECT_NEAR(box.right, right, 1e-3f);
  EXPECT_NEAR(box.bottom, bottom, 1e-3f);
}

}  // namespace

TEST(CollisionOutlineTracing, ShapesGiveTheirCornersOnPixelEdges) {
  CollisionOutline full(picture(12, 7, {{0, 0, 12, 7}}));
  EXPECT_EQ(full.get_width(), 12u);
  EXPECT_EQ(full.get_height(), 7u);
  EXPECT_EQ(full.get_point_count(), 4u);
  expect_box(full.get_bounding_box(), 0, 0, 12, 7);

  CollisionOutline raw(picture(12, 7, {{0, 0, 12, 7}}), 128, accuracy_raw);
  EXPECT_EQ(raw.get_point_count(), 2u * (12 + 7));  // every pixel step

  CollisionOutline l_shape(picture(10, 10, {{0, 0, 5, 10}, {0, 5, 10, 10}}), 128, accuracy_high);
  EXPECT_EQ(l_shape.get_point_count(), 6u);

  const PixelBuffer ring = picture(20, 20, {{0, 0, 20, 20}}, {{5, 5, 15, 15}});
  EXPECT_EQ(CollisionOutline(ring, 128, accuracy_medium, true).get_point_count(), 8u);
  EXPECT_EQ(CollisionOutline(ring, 128, accuracy_medium, false).get_point_count(), 4u);

  // Only alpha at or above the limit is solid.
  PixelBuffer faint = picture(4, 4, {});
  faint.set_pixel(1, 1, {0, 0, 0, 127});
  EXPECT_EQ(CollisionOutline(faint, 128).get_point_count(), 0u);
  EXPECT_EQ(CollisionOutline(faint, 127).get_point_count(), 4u);
}

TEST(CollisionOutlineTracing, CoarserAccuracyKeepsFewerPointsButAtLeastATriangle) {
  PixelBuffer disc(41, 41);
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 41; ++x)
      if ((x - 20) * (x - 20) + (y - 20) * (y - 20) <= 400) disc.set_pixel(x, y, {0, 0, 0, 255});
  std::size_t previous = 1u << 30;
  for (OutlineAccuracy a : {accuracy_raw, accuracy_high, accuracy_medium, accuracy_low, accuracy_poor}) {
    CollisionOutline o(disc, 128, a);
    EXPECT_LE(o.get_point_count(), previous) << "accuracy " << a;
    previous = o.get_point_count();
    const Rectf box = o.get_bounding_box();
    EXPECT_GE(box.left, 0.0f);
    EXPECT_LE(box.right, 41.0f);
    EXPECT_GT(box.right - box.left, 36.0f) << "accuracy " << a;  // corners shaved, not the shape lost
  }
  EXPECT_LT(previous, CollisionOutline(disc, 128, accuracy_raw).get_point_count() / 4);

  const PixelBuffer dot = picture(1, 1, {{0, 0, 1, 1}});
  EXPECT_GE(CollisionOutline(dot, 128, accuracy_poor).get_point_count(), 3u);
}

TEST(CollisionOutlineTransform, ScaleAndAlignmentCoverTheScaledBoxFromTheTranslation) {
  CollisionOutline ground(picture(50, 20, {{0, 0, 50, 20}}));
  Origin origin = origin_center;
  float dx = -1, dy = -1;
  ground.get_alignment(origin, dx, dy);
  EXPECT_EQ(origin, origin_top_left);
  EXPECT_EQ(dx, 0.0f);
  EXPECT_EQ(dy, 0.0f);

  ground.set_scale(4.0f, 4.0f);
  expect_box(ground.get_bounding_box(), -75, -30, 125, 50);  // scaled about the centre
  ground.set_alignment(origin, 75.0f, 30.0f);
  ground.set_translation(300.0f, 200.0f);
  expect_box(ground.get_bounding_box(), 300, 200, 500, 280);
  ground.get_alignment(origin, dx, dy);
  EXPECT_EQ(dx, 75.0f);
  EXPECT_EQ(dy, 30.0f);

  CollisionOutline feet(picture(50, 40, {{0, 0, 50, 40}}));
  feet.set_scale(1.8f, 1.8f);
  feet.set_alignment(origin_top_left, 20.0f, 16.0f);
  feet.set_translation(10.0f, 100.0f);
  expect_box(feet.get_bounding_box(), 10, 100, 100, 172);
}

TEST(CollisionOutlineTransform, TurnsClockwiseAboutTheCentreOfTheScaledBox) {
  CollisionOutline bar(picture(40, 4, {{0, 0, 40, 4}}));
  bar.set_translation(100.0f, 100.0f);
  CollisionOutline above_centre = square_at(2, 119.0f, 84.0f);
  EXPECT_FALSE(bar.collide(above_centre));
  bar.set_angle(Angle::from_degrees(90.0f));
  expect_box(bar.get_bounding_box(), 118, 82, 122, 122);
  EXPECT_TRUE(bar.collide(above_centre));

  // The pivot of a scaled, aligned outline is the centre of the box it covers,
  // where the matching sprite turns.
  CollisionOutline ground(picture(10, 5, {{0, 0, 10, 5}}));
  ground.set_scale(4.0f, 4.0f);
  ground.set_alignment(origin_top_left, 15.0f, 7.5f);
  ground.set_angle(Angle::from_degrees(90.0f));
  expect_box(ground.get_bounding_box(), 10, -10, 30, 30);

  // Positive angles turn clockwise on screen: the right end goes down.
  CollisionOutline tip(picture(40, 2, {{30, 0, 40, 2}}));
  tip.set_angle(Angle::from_radians(0.5f));
  EXPECT_GT(tip.get_bounding_box().top, 1.0f);
}

TEST(CollisionOutlineCollide, TouchingCountsAndAGapDoesNot) {
  CollisionOutline a = square_at(10, 0.0f, 0.0f);
  CollisionOutline b = square_at(10, 5.0f, 5.0f);
  EXPECT_TRUE(a.collide(b));
  EXPECT_TRUE(b.collide(a));

  b.set_translation(10.0f, 0.0f);
  EXPECT_TRUE(a.collide(b));  // sharing an edge
  b.set_translation(11.0f, 0.0f);
  EXPECT_FALSE(a.collide(b));
  b.set_translation(10.0f, 10.0f);
  EXPECT_TRUE(a.collide(b));  // sharing a corner
  b.set_translation(10.0f, 11.0f);
  EXPECT_FALSE(a.collide(b));
  b.set_translation(3.0f, -20.0f);
  EXPECT_FALSE(a.collide(b));

  // A copy shares the outline: moving it moves the original.
  CollisionOutline shared = b;
  shared.set_translation(2.0f, 2.0f);
  EXPECT_TRUE(a.collide(b));
}

TEST(CollisionOutlineCollide, OneOutlineWhollyInsideTheOtherCollides) {
  CollisionOutline big = square_at(100, 0.0f, 0.0f);
  CollisionOutline small = square_at(4, 40.0f, 40.0f);
  EXPECT_TRUE(big.collide(small));
  EXPECT_TRUE(small.collide(big));

  // A hole stays part of the outline: something in it touches nothing.
  const PixelBuffer ring = picture(30, 30, {{0, 0, 30, 30}}, {{5, 5, 25, 25}});
  CollisionOutline with_hole(ring, 128, accuracy_medium, true);
  CollisionOutline filled(ring, 128, accuracy_medium, false);
  CollisionOutline in_hole = square_at(4, 12.0f, 12.0f);
  EXPECT_FALSE(with_hole.collide(in_hole));
  EXPECT_FALSE(in_hole.collide(with_hole));
  EXPECT_TRUE(filled.collide(in_hole));
  in_hole.set_translation(2.0f, 12.0f);  // within the ring's wall
  EXPECT_TRUE(with_hole.collide(in_hole));

  // The notch of an L is outside it.
  CollisionOutline l_shape(picture(10, 10, {{0, 0, 5, 10}, {0, 5, 10, 10}}));
  EXPECT_FALSE(l_shape.collide(square_at(2, 7.0f, 1.0f)));
  EXPECT_TRUE(l_shape.collide(square_at(2, 7.0f, 6.0f)));

  // A turned and a scaled outline deep inside a big one.
  CollisionOutline turned = square_at(6, 50.0f, 50.0f);
  turned.set_scale(2.0f, 2.0f);
  turned.set_angle(Angle::from_degrees(30.0f));
  EXPECT_TRUE(big.collide(turned));
}

TEST(CollisionOutlineCollide, EmptyOutlinesNeverCollide) {
  CollisionOutline none;
  CollisionOutline blank(picture(8, 8, {}));
  CollisionOutline solid = square_at(8, 0.0f, 0.0f);
  EXPECT_FALSE(none.collide(solid));
  EXPECT_FALSE(solid.collide(none));
  EXPECT_FALSE(blank.collide(solid));
  EXPECT_FALSE(solid.collide(blank));
  none.set_translation(1.0f, 1.0f);  // does nothing on an empty handle
  EXPECT_EQ(none.get_width(), 0u);
}

TEST(CollisionOutlineFiles, MissingOrCorruptPicturesThrowNamingTheFile) {
  const auto folder = std::filesystem::temp_directory_path() / ("morvane_outline_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string missing = (folder / "missing_out.png").string();
  const std::string corrupt = (folder / "corrupt_out.png").string();
  std::ofstream(corrupt, std::ios::binary) << "\x89PNG\r\n\x1a\n this is not a picture";

  for (const std::string& path : {missing, corrupt}) {
    try {
      CollisionOutline o(path, 128, accuracy_high, true);
      ADD_FAILURE() << "no exception for " << path;
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }

  const std::string good = (folder / "good_out.png").string();
  PNGProvider::save(picture(6, 3, {{0, 0, 6, 3}}), good);
  CollisionOutline loaded(good);
  EXPECT_EQ(loaded.get_width(), 6u);
  expect_box(loaded.get_bounding_box(), 0, 0, 6, 3);
  std::filesystem::remove_all(folder);
}
