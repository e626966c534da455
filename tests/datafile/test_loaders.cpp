#include <gtest/gtest.h>

#include "datafile/data_file.h"
#include "temp_folder.h"

namespace {

const std::string level_body =
    "type normal\nbackground sky\nground 0 400 ground1 none\nitem 1 2 star\nitemdef star 1 0 a b c\n";

template <typename Call>
std::string message_of(Call call) {
  try {
    call();
  } catch (const char* message) {  // the getters' kind
    return message;
  } catch (const std::string& message) {  // the reader's kind
    return message;
  }
  return "";
}

}  // namespace

// The loaders read paths relative to the working folder, so one test does it all there.
TEST(Loaders, DefaultsFailedLoadsAndRepeatedReadsIntoOneReader) {
  TempFolder folder;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path);
  folder.write("levels/first.qel", level_body + "lives 5\n");
  folder.write("levels/second.qel", "background dusk\nground 9 9 ground9 none\nmax_speed 2500\n");
  folder.write("levels/broken.qel", "type broken\nbogus line\n");
  folder.write("profiles/anna.prf", "name Anna\nunlocked_level one.qel\n");

  DataFile data;
  data.load_level("first.qel");
  EXPECT_DOUBLE_EQ(data.get_double("acceleration"), 0.2);
  EXPECT_DOUBLE_EQ(data.get_double("max_speed"), 1000.0);
  EXPECT_FALSE(data.level_table.at("acceleration").set || data.level_table.at("max_speed").set);

  EXPECT_EQ(message_of([&] { data.load_level("missing.qel"); }), "levels/missing.qel could not be opened!");
  EXPECT_EQ(message_of([&] { data.load_level("broken.qel"); }), "Unknown keyword on line 2: bogus");
  EXPECT_EQ(data.get_string("type"), "normal") << "a failed load leaves current alone";

  data.load_level("second.qel");  // lacks "type", which the earlier reads set
  EXPECT_EQ(data.get_string("background"), "dusk");
  EXPECT_EQ(data.get_int("lives"), 5);
  EXPECT_DOUBLE_EQ(data.get_double("max_speed"), 2500.0);
  ASSERT_EQ(data.get_grounds().size(), 2u);
  EXPECT_EQ(data.get_grounds()[1].name, "ground9");

  data.load_profile("anna.prf");
  EXPECT_EQ(data.get_string_vector("unlocked_level"), std::vector<std::string>{"one.qel"});
  EXPECT_EQ(message_of([&] { data.get_int("lives"); }), "Requesting unset data: int!");
  std::filesystem::current_path(previous);
}

TEST(Getters, UnsetSlotsThrowCStringMessages) {
  DataFile data;
  EXPECT_THROW(data.get_int("lives"), const char*);
  EXPECT_EQ(message_of([&] { data.get_double("x"); }), "Requesting unset data: double!");
  EXPECT_EQ(message_of([&] { data.get_string("x"); }), "Requesting unset data: string s!");
  EXPECT_EQ(message_of([&] { data.get_string_vector("x"); }), "Requesting unset data: string vector!");
  EXPECT_EQ(message_of([&] { data.get_grounds(); }), "Requesting unset data: ground!");
  EXPECT_EQ(message_of([&] { data.get_items(); }), "Requesting unset data: item!");
  EXPECT_EQ(message_of([&] { data.get_itemdefs(); }), "Requesting unset data: itemdef!");
}
