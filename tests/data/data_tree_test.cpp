// The built data tree holds every file the game can ask for, in a form the
// game can read: resource ids, picture sizes, outline sizes, sounds, levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <vector>

#include "datafile/data_file.h"
#include "platform/pixel_buffer.h"
#include "platform/sound.h"

namespace fs = std::filesystem;

namespace {

const std::string kWoods = "levels/enchanted_woods/";

struct Png {
  int width = 0, height = 0, bit_depth = 0, colour_type = -1;
};

Png png_header(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char b[26] = {};
  in.read(reinterpret_cast<char*>(b), sizeof b);
  Png png;
  if (!in || std::string(reinterpret_cast<char*>(b + 1), 3) != "PNG" ||
      std::string(reinterpret_cast<char*>(b + 12), 4) != "IHDR")
    return png;
  auto be = [&](int at) { return (b[at] << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3]; };
  return {be(16), be(20), b[24], b[25]};
}

struct Sprite {
  int frames = 0, width = 0, height = 0;
};

// Reads a sprite of a resource file the way the platform's loader does:
// every <image> is a frame, or a grid of frames.
Sprite sprite(const std::string& xml, const std::string& id) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_file(xml.c_str())) << xml;
  const auto node = doc.child("resources").find_child_by_attribute("sprite", "name", id.c_str());
  EXPECT_TRUE(node) << xml << " has no sprite " << id;
  Sprite s;
  for (auto image : node.children("image")) {
    const fs::path picture = fs::path(xml).parent_path() / image.attribute("file").value();
    const Png png = png_header(picture);
    EXPECT_GT(png.width, 0) << picture;
    int w = png.width, h = png.height, count = 1;
    if (auto grid = image.child("grid")) {
      int cols = 0, rows = 0;
      std::sscanf(grid.attribute("size").value(), "%d,%d", &w, &h);
      std::sscanf(grid.attribute("array").value(), "%d,%d", &cols, &rows);
      EXPECT_LE(w * cols, png.width) << picture;
      EXPECT_LE(h * rows, png.height) << picture;
      count = cols * rows;
    }
    if (s.frames > 0) {
      EXPECT_TRUE(w == s.width && h == s.height) << xml << " frames differ in size";
    }
    s.frames += count, s.width = w, s.height = h;
  }
  EXPECT_GT(s.frames, 0) << xml << " " << id;
  return s;
}

// Lowest row holding a solid (alpha >= 128) pixel, -1 when none.
int lowest_solid_row(const platform::PixelBuffer& picture) {
  for (int y = picture.get_height() - 1; y >= 0; --y)
    for (int x = 0; x < picture.get_width(); ++x)
      if (picture.get_pixel(x, y).a >= 128) return y;
  return -1;
}

int highest_solid_row(const platform::PixelBuffer& picture, int x) {
  for (int y = 0; y < picture.get_height(); ++y)
    if (picture.get_pixel(x, y).a >= 128) return y;
  return -1;
}

// Every test runs inside the tree, as the game does.
class DataTree : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    fs::current_path(MORVANE_DATA_TREE);
  }
  void TearDown() override { fs::current_path(previous_); }

  std::vector<std::string> files(const std::string& folder, const std::string& extension) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().extension() == extension) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path previous_;
};

TEST_F(DataTree, EveryPictureIsAnEightBitRgbaPngThatDecodes) {
  int count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(".")) {
    if (entry.path().extension() != ".png") continue;
    const Png png = png_header(entry.path());
    EXPECT_EQ(png.colour_type, 6) << entry.path();
    EXPECT_EQ(png.bit_depth, 8) << entry.path();
    EXPECT_NO_THROW(platform::PNGProvider::load(entry.path().string())) << entry.path();
    ++count;
  }
  EXPECT_GT(count, 50);
}

TEST_F(DataTree, UnicornHasItsAnimationsAndOutlinesThatFitItsShape) {
  const std::string pony = "images/pony/pony.xml";
  const Sprite run = sprite(pony, "run");
  EXPECT_GE(run.frames, 6);
  for (const char* id : {"jump1", "jump2", "dash"}) {
    const Sprite other = sprite(pony, id);
    EXPECT_TRUE(other.width == run.width && other.height == run.height) << id;
  }
  // Scaled by 1.8 and placed 12 rows down, each outline stays on the sprite.
  std::map<std::string, platform::PixelBuffer> outline;
  for (const char* part : {"upper", "middle", "lower"}) {
    outline[part] = platform::PNGProvider::load(std::string("images/unicorn_outline_") + part + ".png");
    EXPECT_LE(outline[part].get_width() * 1.8, run.width + 1.0) << part;
    EXPECT_LE(12 + outline[part].get_height() * 1.8, run.height + 1.0) << part;
  }
  // Standing on a surface must not touch it with the body, which would kill:
  // the hooves reach well below the body and down to the sprite's bottom.
  const double feet = 12 + 1.8 * (lowest_solid_row(outline["lower"]) + 1);
  const double body = 12 + 1.8 * (lowest_solid_row(outline["middle"]) + 1);
  EXPECT_GE(feet - body, 20.0);
  EXPECT_NEAR(feet, run.height, 3.0);
}

TEST_F(DataTree, GroundPiecesAndItemsOfEveryLevelHaveSpritesAndOutlines) {
  std::set<std::string> grounds, items;
  for (int i = 1; i <= 7; ++i) grounds.insert(kWoods + "ground" + std::to_string(i) + "green");
  items = {kWoods + "Fred", kWoods + "omena"};
  for (const auto& name : files("levels", ".qel")) {
    DataFile level;
    level.load_level(name);
    for (const auto& g : level.get_grounds()) grounds.insert(g.name);
    for (const auto& it : level.get_items()) items.insert(it.name);
  }
  for (const auto& name : grounds) {
    const Sprite s = sprite("images/" + name + ".xml", "ground");
    const Png out = png_header("images/" + name + "_out.png");
    EXPECT_TRUE(s.width % 4 == 0 && s.height % 4 == 0) << name;
    EXPECT_TRUE(out.width == s.width / 4 && out.height == s.height / 4) << name;
    EXPECT_GE(lowest_solid_row(platform::PNGProvider::load("images/" + name + "_out.png")), 0) << name;
  }
  for (const auto& name : items) {
    const Sprite s = sprite("images/" + name + ".xml", name);
    const Png out = png_header("images/" + name + "_out.png");
    EXPECT_TRUE(out.width == s.width && out.height == s.height) << name;
    EXPECT_GE(lowest_solid_row(platform::PNGProvider::load("images/" + name + "_out.png")), 0) << name;
  }
  // The endless opening puts ground1green at row 200 under the unicorn, whose
  // hooves start at row 382: its earth must lie below them and on screen.
  const auto opening = platform::PNGProvider::load("images/" + kWoods + "ground1green_out.png");
  for (int x : {0, 13, 26}) {
    const int surface = 200 + 4 * highest_solid_row(opening, x + 3);
    EXPECT_GT(surface, 382) << x;
    EXPECT_LT(surface, 470) << x;
  }
}

TEST_F(DataTree, BackdropsDarknessMenuSelectorAndCreditsPictures) {
  std::set<std::string> backdrops = {"background"};
  for (const auto& name : files("levels", ".qel")) {
    DataFile level;
    level.load_level(name);
    backdrops.insert(level.get_string("background"));
  }
  for (const auto& name : backdrops) EXPECT_GT(sprite("images/" + name + ".xml", "background").width, 0);
  const Sprite dark = sprite("images/black_layer.xml", "black_layer");
  EXPECT_TRUE(dark.width == 640 && dark.height == 480);

  DataFile config;
  config.read("config/main.cfg", &config.config_table);
  const Png menu = png_header(config.config_table["background"].get_string());
  EXPECT_TRUE(menu.width == 640 && menu.height == 480);
  for (int i = 1; i <= 21; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "star_selector/%04d.png", i);
    EXPECT_GT(png_header(name).width, 0) << name;
  }
  for (const char* card : {"CSarvel", "COrvik", "CTolvar", "Drumvelt", "Special"}) {
    const Png png = png_header(std::string("game_data/") + card + ".png");
    EXPECT_TRUE(png.width > 0 && png.width <= 640 && png.height > 0 && png.height <= 480) << card;
  }
}

TEST_F(DataTree, SoundsDecodeAndMusicLoopsLastTwentyToSixtySeconds) {
  platform::SoundOutput output(44100, 256);
  DataFile config;
  config.read("config/main.cfg", &config.config_table);
  std::set<std::string> music = {config.config_table["menu_music"].get_string()}, effects;
  for (const auto& name : files("levels", ".qel")) {
    DataFile level;
    level.load_level(name);
    music.insert(level.get_string("game_music"));
    effects.insert(level.get_string("jump_sound"));
    effects.insert(level.get_string("dash_sound"));
  }
  std::set<std::string> kinds;
  for (const auto& file : music) {
    const double seconds = platform::SoundBuffer(file).get_length() / 44100.0;
    EXPECT_TRUE(seconds >= 20 && seconds <= 60) << file << " lasts " << seconds;
    kinds.insert(fs::path(file).extension().string());
  }
  for (const auto& file : effects) {
    const double seconds = platform::SoundBuffer(file).get_length() / 44100.0;
    EXPECT_TRUE(seconds > 0.05 && seconds < 2) << file << " lasts " << seconds;
    kinds.insert(fs::path(file).extension().string());
  }
  EXPECT_TRUE(kinds.count(".ogg") && kinds.count(".wav"));
}

TEST_F(DataTree, LevelsCampaignAndConfigurationReadAndUseEveryRule) {
  std::set<std::string> keywords;
  bool endless = false, rocking = false, undefined_item = false;
  std::set<std::string> rules;
  for (const auto& name : files("levels", ".qel")) {
    DataFile level;
    ASSERT_NO_THROW(level.load_level(name)) << name;
    if (level.get_string("type") == "infinite") {
      endless = true;
      continue;
    }
    for (const auto& [key, value] : level.level_table)
      if (value.set) keywords.insert(key);
    const auto defs = level.get_itemdefs();
    for (const auto& g : level.get_grounds()) rocking |= g.move_function == "movefunc1";
    for (const auto& it : level.get_items()) undefined_item |= defs.count(it.name) == 0;
    for (const auto& [item, def] : defs) {
      rules.insert(def.cumulative ? "cumulative" : "single");
      if (def.deadly) rules.insert(def.crashable ? "crashable" : "fatal");
    }
  }
  for (const char* key : {"end", "lives", "acceleration", "max_speed", "game_music", "jump_sound",
                          "dash_sound", "lightsource", "background"})
    EXPECT_TRUE(keywords.count(key)) << key;
  EXPECT_TRUE(endless && rocking && undefined_item);
  EXPECT_EQ(rules, (std::set<std::string>{"cumulative", "single", "crashable", "fatal"}));
  EXPECT_GE(files("levels", ".qel").size(), 4u);

  const auto campaigns = files("levels", ".cmp");
  ASSERT_FALSE(campaigns.empty());
  for (const auto& name : campaigns) {
    DataFile campaign;
    EXPECT_NO_THROW(campaign.load_campaign(name)) << name;
  }
  EXPECT_TRUE(fs::is_directory("profiles") && fs::is_directory("high_scores"));
}

}  // namespace
