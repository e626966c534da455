#include <gtest/gtest.h>

#include "datafile/data_file.h"
#include "temp_folder.h"

namespace {

const std::string level_without_speeds =
    "type normal\nbackground sky\nground 0 400 ground1 none\nitem 1 2 star\nitemdef star 1 0 a b c\n";

// The loaders read paths relative to the working folder.
class Loaders : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

  TempFolder folder;
  DataFile data;

 private:
  std::filesystem::path previous_;
};

template <typename Call>
std::string thrown_text(Call call) {
  try {
    call();
  } catch (const char* message) {
    return message;
  } catch (const std::string& message) {
    return message;
  }
  return "";
}

}  // namespace

TEST_F(Loaders, LevelSpeedDefaultsGoIntoCurrentOnly) {
  folder.write("levels/plain.qel", level_without_speeds);
  folder.write("levels/fast.qel", level_without_speeds + "acceleration 0.7\nmax_speed 2500\n");
  data.load_level("plain.qel");
  EXPECT_DOUBLE_EQ(data.get_double("acceleration"), 0.2);
  EXPECT_DOUBLE_EQ(data.get_double("max_speed"), 1000.0);
  EXPECT_FALSE(data.level_table.at("acceleration").set);
  EXPECT_FALSE(data.level_table.at("max_speed").set);

  DataFile fast;
  fast.load_level("fast.qel");
  EXPECT_DOUBLE_EQ(fast.get_double("acceleration"), 0.7);
  EXPECT_DOUBLE_EQ(fast.get_double("max_speed"), 2500.0);
}

TEST_F(Loaders, FailedLoadKeepsCurrentAndSecondFileAddsToTheFirst) {
  folder.write("levels/first.qel", level_without_speeds + "lives 5\n");
  folder.write("levels/second.qel", "background dusk\nground 9 9 ground9 none\n");
  folder.write("levels/broken.qel", "type broken\nbogus line\n");
  data.load_level("first.qel");
  EXPECT_EQ(thrown_text([&] { data.load_level("missing.qel"); }), "levels/missing.qel could not be opened!");
  EXPECT_EQ(thrown_text([&] { data.load_level("broken.qel"); }), "Unknown keyword on line 2: bogus");
  EXPECT_EQ(data.get_string("type"), "normal") << "current must not see the failed file's lines";
  EXPECT_EQ(data.get_int("lives"), 5);

  data.load_level("second.qel");  // lacks "type", which the earlier reads set
  EXPECT_EQ(data.get_string("background"), "dusk");
  const auto grounds = data.get_grounds();
  ASSERT_EQ(grounds.size(), 2u);
  EXPECT_EQ(grounds.front().name, "ground1");
  EXPECT_EQ(grounds.back().name, "ground9");
}

TEST_F(Loaders, ProfilesAndCampaignsComeFromTheirFolders) {
  folder.write("profiles/anna.prf", "name Anna\nunlocked_level one.qel\nunlocked_level two.qel\n");
  folder.write("levels/tour.cmp", "lives 3\nevent start\n");
  data.load_profile("anna.prf");
  EXPECT_EQ(data.get_string("name"), "Anna");
  EXPECT_EQ(data.get_string_vector("unlocked_level"), (std::vector<std::string>{"one.qel", "two.qel"}));
  data.load_campaign("tour.cmp");
  EXPECT_EQ(data.get_int("lives"), 3);
  EXPECT_FALSE(data.current["name"].set) << "current holds only the campaign's keywords";
}

TEST(Getters, UnsetSlotsThrowTheirCStringMessages) {
  DataFile data;
  EXPECT_STREQ(thrown_text([&] { data.get_int("lives"); }).c_str(), "Requesting unset data: int!");
  EXPECT_EQ(thrown_text([&] { data.get_double("x"); }), "Requesting unset data: double!");
  EXPECT_EQ(thrown_text([&] { data.get_string("x"); }), "Requesting unset data: string s!");
  EXPECT_EQ(thrown_text([&] { data.get_string_vector("x"); }), "Requesting unset data: string vector!");
  EXPECT_EQ(thrown_text([&] { data.get_grounds(); }), "Requesting unset data: ground!");
  EXPECT_EQ(thrown_text([&] { data.get_items(); }), "Requesting unset data: item!");
  EXPECT_EQ(thrown_text([&] { data.get_itemdefs(); }), "Requesting unset data: itemdef!");
  EXPECT_THROW(data.get_int("lives"), const char*);
}
