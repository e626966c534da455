// The built data tree holds every file the game can ask for, in a form the
// game can read. The shipped-level runs and the whole-game script load every
// level with its sprites, outlines, sounds and music; these tests cover what
// they do not load or do not look at.
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
struct DataTree : ::testing::Test {
  void SetUp() override {
    fs::current_path(MORVANE_DATA_TREE);
    config.read("config/main.cfg", &config.config_table);
    for (const auto& entry : fs::directory_iterator("levels"))
      if (entry.path().extension() == ".qel") {
        ASSERT_NO_THROW(levels[entry.path().filename()].load_level(entry.path().filename()));
      }
  }
  void TearDown() override { fs::current_path(previous); }

  fs::path previous = fs::current_path();
  DataFile config;
  std::map<std::string, DataFile> levels;
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
  EXPECT_TRUE(sprite("black_layer", "black_layer").get_width() == 640 && sprite("black_layer", "black_layer").get_height() == 480);

  std::set<std::string> grounds, items = {"levels/enchanted_woods/Fred", "levels/enchanted_woods/omena"};  // the endless level's
  for (int i = 1; i <= 7; ++i) grounds.insert("levels/enchanted_woods/ground" + std::to_string(i) + "green");
  for (auto& [name, level] : levels) {
    for (const auto& g : level.get_grounds()) grounds.insert(g.name);
    for (const auto& it : level.get_items()) items.insert(it.name);
  }
  for (const auto& [names, divisor] : {std::pair{grounds, 4}, {items, 1}})
    for (const auto& name : names) {
      const platform::Sprite shown = sprite(name, divisor == 4 ? "ground" : name);
      const platform::PixelBuffer outline = platform::PNGProvider::load("images/" + name + "_out.png");
      EXPECT_TRUE(shown.get_width() == outline.get_width() * divisor && shown.get_height() == outline.get_height() * divisor) << name;
    }
}

// The campaigns read, and the folders the game writes to exist.
TEST_F(DataTree, CampaignsReadAndTheFoldersTheGameWritesToExist) {
  int campaigns = 0;
  for (const auto& entry : fs::directory_iterator("levels"))
    if (entry.path().extension() == ".cmp" && ++campaigns) {
      EXPECT_NO_THROW(DataFile().load_campaign(entry.path().filename()));
    }
  EXPECT_GT(campaigns, 0);
  EXPECT_TRUE(fs::is_directory("profiles") && fs::is_directory("high_scores"));
}

}  // namespace
