#include <chrono>

#include "platform_test_support.h"

using namespace platform;

namespace {

struct Box { int left, top, right, bottom; };  // pixels left <= x < right, top <= y < bottom

PixelBuffer picture(int width, int height, std::initializer_list<Box> solid, Box hole = {0, 0, 0, 0}) {
  PixelBuffer p(width, height);
  auto in = [](const Box& b, int x, int y) { return x >= b.left && x < b.right && y >= b.top && y < b.bottom; };
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (const Box& b : solid)
        if (in(b, x, y) && !in(hole, x, y)) p.set_pixel(x, y, {255, 255, 255, 255});
  return p;
}

CollisionOutline square_at(int size, float x, float y, float degrees = 0.0f) {
  CollisionOutline o(picture(size, size, {{0, 0, size, size}}));
  o.set_translation(x, y);
  o.set_angle(Angle::from_degrees(degrees));
  return o;
}

void expect_box(const CollisionOutline& outline, std::vector<float> left_top_right_bottom) {
  const Rectf box = outline.get_bounding_box();
  EXPECT_THAT((std::vector<float>{box.left, box.top, box.right, box.bottom}),
              ::testing::Pointwise(::testing::FloatNear(1e-3f), left_top_right_bottom));
}

}  // namespace

TEST(CollisionOutline, TracesShapesOnPixelEdgesWithFewerPointsForCoarserAccuracy) {
  const PixelBuffer full = picture(12, 7, {{0, 0, 12, 7}}), l = picture(10, 10, {{0, 0, 5, 10}, {0, 5, 10, 10}});
  expect_box(CollisionOutline(full), {0, 0, 12, 7});
  const PixelBuffer pierced = picture(20, 20, {{0, 0, 20, 20}}, {5, 5, 6, 6});  // a hole of one pixel
  PixelBuffer faint(4, 4);
  faint.set_pixel(1, 1, {0, 0, 0, 127});
  const auto points = [](const PixelBuffer& p, int alpha = 128, OutlineAccuracy a = accuracy_medium, bool holes = true) {
    return CollisionOutline(p, alpha, a, holes).get_point_count();
  };
  const PixelBuffer post = picture(3, 5, {{1, 0, 2, 5}});  // one pixel wide: still a rectangle, not a triangle
  EXPECT_EQ(
      (std::vector{points(full), points(full, 128, accuracy_raw), points(l), points(pierced),
                   points(pierced, 128, accuracy_medium, false), points(faint), points(faint, 127), points(post)}),
      (std::vector<std::size_t>{4, 38, 6, 8, 4, 0, 4, 4}));

  PixelBuffer disc(41, 41);
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 41; ++x)
      if ((x - 20) * (x - 20) + (y - 20) * (y - 20) <= 400 || (y < 3 && x > 24 && x < 32))
        disc.set_pixel(x, y, {0, 0, 0, 255});
  std::vector<std::size_t> counts;
  for (OutlineAccuracy a : {accuracy_raw, accuracy_high, accuracy_medium, accuracy_low, accuracy_poor}) {
    const CollisionOutline o(disc, 128, a);
    const Rectf box = o.get_bounding_box();
    EXPECT_TRUE(box.left >= 0 && box.right <= 41 && box.right - box.left > 36) << a;
    counts.push_back(o.get_point_count());
  }
  EXPECT_EQ(counts, (std::vector<std::size_t>{168, 17, 13, 10, 8}));  // a disc with a bump on its top row
  EXPECT_EQ(CollisionOutline(picture(20, 3, {{0, 0, 20, 2}, {5, 2, 6, 3}}), 128, accuracy_poor).get_point_count(), 3u);
}

TEST(CollisionOutline, ScalesAlignsAndTurnsAsTheMatchingSpriteIsDrawn) {
  CollisionOutline ground(picture(50, 20, {{0, 0, 50, 20}}));
  ground.set_scale(4.0f, 4.0f);
  expect_box(ground, {-75, -30, 125, 50});  // about the centre
  ground.set_alignment(origin_center, 100.0f, 40.0f);
  ground.set_translation(300.0f, 200.0f);
  expect_box(ground, {300, 200, 500, 280});
  ground.set_angle(Angle::from_degrees(90.0f));  // about the centre of the 200x80 box
  expect_box(ground, {360, 140, 440, 340});

  CollisionOutline bar(picture(40, 4, {{0, 0, 40, 4}}));
  bar.set_translation(100.0f, 100.0f);
  const CollisionOutline above_centre = square_at(2, 119.0f, 84.0f);
  EXPECT_FALSE(bar.collide(above_centre));
  bar.set_angle(Angle::from_degrees(90.0f));
  expect_box(bar, {118, 82, 122, 122});
  EXPECT_TRUE(bar.collide(above_centre));

  CollisionOutline right_end(picture(40, 2, {{30, 0, 40, 2}}));
  right_end.set_angle(Angle::from_radians(0.5f));
  EXPECT_GT(right_end.get_bounding_box().top, 1.0f);  // clockwise on screen: it goes down
}

// Edges touching, or one outline wholly inside the other, collide; a hair's
// breadth apart does not, whichever outline asks.
TEST(CollisionOutline, CollidesWhenEdgesTouchOrOneLiesInsideTheOther) {
  const PixelBuffer ring = picture(30, 30, {{0, 0, 30, 30}}, {5, 5, 25, 25});
  const CollisionOutline square = square_at(10, 0, 0);
  CollisionOutline sliver(picture(10, 1, {{0, 0, 10, 1}}));  // 0.02 thick, its centre at (5, 0.5)
  sliver.set_scale(1.0f, 0.02f);
  sliver.set_angle(Angle::from_degrees(30.0f));
  const CollisionOutline with_hole(ring, 128, accuracy_medium, true), filled(ring, 128, accuracy_medium, false);
  const CollisionOutline l_shape(picture(10, 10, {{0, 0, 5, 10}, {0, 5, 10, 10}})), none, blank(picture(8, 8, {}));
  const struct { const CollisionOutline& fixed; CollisionOutline other; bool collide; } cases[] = {
      {square, square_at(10, 5, 5), true},     {square, square_at(10, 10, 0), true},
      {square, square_at(10, 10, 10), true},   {square, square_at(10, -10, -10), true},
      {square, square_at(10, 11, 0), false},   {square, square_at(10, 10, 11), false},
      {square, square_at(10, 3, -20), false},  {square_at(100, 0, 0), square_at(4, 40, 40), true},
      {square_at(100, 0, 0), square_at(4, 40, 40, 30.0f), true},
      {sliver, square_at(10, 5.02f, -9.5346f), false},  // a corner 0.03 off its upper edge
      {sliver, square_at(10, 5.02f, -9.49f), true},
      {with_hole, square_at(4, 12, 12), false},   {filled, square_at(4, 12, 12), true},
      {with_hole, square_at(4, 2, 12), true},
      {l_shape, square_at(2, 7, 1), false},       {l_shape, square_at(2, 7, 6), true},
      {none, square, false},                      {blank, square, false},
  };
  for (const auto& c : cases)  // asked both ways
    EXPECT_EQ(std::pair(c.fixed.collide(c.other), c.other.collide(c.fixed)), std::pair(c.collide, c.collide))
        << "at " << c.other.get_bounding_box().left << "," << c.other.get_bounding_box().top;
  CollisionOutline moved = square_at(10, 50, 50), copy = moved;
  copy.set_translation(2, 2);  // copies share one placement
  EXPECT_TRUE(square.collide(moved));
}

// Bad files throw naming the file; outlines of one file are placed
// independently, and a file written anew is traced anew.
TEST(CollisionOutline, OutlinesOfOneFileArePlacedApartAndBadFilesThrowNamingTheFile) {
  const TempFolder folder;
  const std::string corrupt = folder.write("corrupt_out.png", "\x89PNG\r\n\x1a\n this is not a picture");
  const std::string good = (folder.path / "good_out.png").string();
  for (const std::string& path : {(folder.path / "missing_out.png").string(), corrupt})
    EXPECT_THAT([&] { CollisionOutline o(path, 128, accuracy_high, true); }, platform_test::throws_naming(path));
  PNGProvider::save(picture(6, 3, {{0, 0, 6, 3}}), good);
  CollisionOutline first(good), second(good);
  first.set_translation(100, 50);
  expect_box(first, {100, 50, 106, 53});
  expect_box(second, {0, 0, 6, 3});
  PNGProvider::save(picture(8, 4, {{0, 0, 8, 4}}), good);
  std::filesystem::last_write_time(good, std::filesystem::last_write_time(good) + std::chrono::seconds(2));
  expect_box(CollisionOutline(good), {0, 0, 8, 4});
}
