// The built data tree holds every file the game can ask for, in a form the
// game can read. That the levels play is proved by the shipped-level runs;
// these tests cover what they do not load or do not look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "datafile/data_file.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

// Every test runs inside the tree, as the game does, with every level read.
class DataTree : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::current_path(MORVANE_DATA_TREE);
    config.read("config/main.cfg", &config.config_table);
    for (const auto& entry : fs::directory_iterator("levels"))
      if (entry.path().extension() == ".qel") {
        ASSERT_NO_THROW(levels[entry.path().filename()].load_level(entry.path().filename()));
      }
  }
  void TearDown() override { fs::current_path(previous_); }

  DataFile config;
  std::map<std::string, DataFile> levels;

 private:
  fs::path previous_ = fs::current_path();
};

// The credits cards are shown only by the credits screen, so nothing else reads them.
TEST_F(DataTree, EveryPictureIsAnEightBitRgbaPngThatDecodesAndTheCardsFitTheWindow) {
  int count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(".")) {
    if (entry.path().extension() != ".png") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    unsigned char header[26] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    EXPECT_TRUE(header[24] == 8 && header[25] == 6) << entry.path() << " is not 8-bit RGBA";
    const platform::PixelBuffer picture = platform::PNGProvider::load(entry.path().string());
    const bool card = entry.path().parent_path().filename() == "game_data";
    EXPECT_TRUE(!card || (picture.get_width() <= 640 && picture.get_height() <= 480)) << entry.path();
    ++count;
  }
  EXPECT_GT(count, 50);
  for (const char* card : {"CSarvel", "COrvik", "CTolvar", "Drumvelt", "Special"})
    EXPECT_TRUE(fs::exists(std::string("game_data/") + card + ".png")) << card;
  const platform::PixelBuffer menu = platform::PNGProvider::load(config.config_table["background"].get_string());
  EXPECT_TRUE(menu.get_width() == 640 && menu.get_height() == 480);
}

// Loaded with the game's own loader: the sprite ids the game asks for, the
// player's animations of one size, outlines a quarter of a ground piece's
// size and the whole of an item's.
TEST_F(DataTree, EverySpriteHasItsIdsAndEveryPieceAndItemItsOutline) {
  platform::GraphicContext none;
  auto sprite = [&](const std::string& name, const std::string& id) {
    platform::ResourceManager resources("images/" + name + ".xml");
    return platform::Sprite(none, id, &resources);
  };
  const platform::Sprite run = sprite("pony/pony", "run");
  EXPECT_GE(run.get_frame_count(), 6);
  for (const char* id : {"jump1", "jump2", "dash"})
    EXPECT_TRUE(sprite("pony/pony", id).get_width() == run.get_width() && sprite("pony/pony", id).get_height() == run.get_height()) << id;
  const platform::Sprite dark = sprite("black_layer", "black_layer");
  EXPECT_TRUE(dark.get_width() == 640 && dark.get_height() == 480);

  std::set<std::string> grounds, items, backdrops = {"background"};
  for (int i = 1; i <= 7; ++i) grounds.insert("levels/enchanted_woods/ground" + std::to_string(i) + "green");
  items = {"levels/enchanted_woods/Fred", "levels/enchanted_woods/omena"};  // the endless level's
  for (auto& [name, level] : levels) {
    for (const auto& g : level.get_grounds()) grounds.insert(g.name);
    for (const auto& it : level.get_items()) items.insert(it.name);
    backdrops.insert(level.get_string("background"));
  }
  for (const auto& name : backdrops) EXPECT_NO_THROW(sprite(name, "background")) << name;
  for (const auto& [names, divisor] : {std::pair{grounds, 4}, {items, 1}})
    for (const auto& name : names) {
      const platform::Sprite shown = sprite(name, divisor == 4 ? "ground" : name);
      const platform::PixelBuffer outline = platform::PNGProvider::load("images/" + name + "_out.png");
      EXPECT_TRUE(shown.get_width() == outline.get_width() * divisor && shown.get_height() == outline.get_height() * divisor) << name;
    }
}

TEST_F(DataTree, SoundsDecodeAndMusicLoopsLastTwentyToSixtySeconds) {
  platform::SoundOutput output(44100, 256);
  std::map<std::string, std::pair<double, double>> seconds = {{config.config_table["menu_music"].get_string(), {20, 60}}};
  for (auto& [name, level] : levels) {
    seconds[level.get_string("game_music")] = {20, 60};
    for (const char* effect : {"jump_sound", "dash_sound"}) seconds[level.get_string(effect)] = {0.05, 2};
  }
  std::set<std::string> kinds;
  for (const auto& [file, range] : seconds) {
    const double length = platform::SoundBuffer(file).get_length() / 44100.0;
    EXPECT_TRUE(length >= range.first && length <= range.second) << file << " lasts " << length;
    kinds.insert(fs::path(file).extension().string());
  }
  EXPECT_EQ(kinds, (std::set<std::string>{".ogg", ".wav"}));
}

// Between them the story levels use every keyword and every kind of item
// rule; the campaigns read, and the folders the game writes to exist.
TEST_F(DataTree, LevelsAndCampaignsReadAndUseEveryRule) {
  std::set<std::string> keywords, rules;
  bool endless = false, rocking = false, undefined_item = false;
  for (auto& [name, level] : levels) {
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
  for (const char* key : {"end", "lives", "acceleration", "max_speed", "game_music", "jump_sound", "dash_sound",
                          "lightsource", "background"})
    EXPECT_TRUE(keywords.count(key)) << key;
  EXPECT_TRUE(endless && rocking && undefined_item && levels.size() >= 4);
  EXPECT_EQ(rules, (std::set<std::string>{"cumulative", "single", "crashable", "fatal"}));

  int campaigns = 0;
  for (const auto& entry : fs::directory_iterator("levels"))
    if (entry.path().extension() == ".cmp" && ++campaigns) {
      EXPECT_NO_THROW(DataFile().load_campaign(entry.path().filename()));
    }
  EXPECT_GT(campaigns, 0);
  EXPECT_TRUE(fs::is_directory("profiles") && fs::is_directory("high_scores"));
}

}  // namespace
