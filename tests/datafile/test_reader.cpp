#include <gtest/gtest.h>

#include "datafile/data_file.h"
#include "temp_folder.h"

namespace {

using Table = std::map<std::string, DataValue>;

const std::string good_level =
    "type normal\nbackground sky\nground 0 400 ground1 movefunc1\nitem 120 300 star\n"
    "itemdef star 10 2 cumulative notCrashable notDeadly\n";

class Reader : public ::testing::Test {
 protected:
  // Reads the text as a file into one of the reader's tables; gives the
  // message thrown, or "" when the read succeeds.
  std::string read(const std::string& content, Table DataFile::*table = &DataFile::level_table) {
    path = folder.write("file" + std::to_string(++files), content);
    return read_path(path, table);
  }
  std::string read_path(const std::string& file, Table DataFile::*table = &DataFile::level_table) {
    try {
      data.read(file, &(data.*table));
    } catch (const std::string& message) {
      return message;
    }
    return "";
  }
  DataValue& level(const std::string& keyword) { return data.level_table.at(keyword); }

  TempFolder folder;
  DataFile data;
  std::string path;
  int files = 0;
};

}  // namespace

TEST_F(Reader, MessagesNameTheFirstMissingKeywordOrTheUnknownOnesLine) {
  const struct {
    std::string content;
    Table DataFile::*table;
    std::string message;
  } cases[] = {
      {"", &DataFile::level_table, "Obligatory keyword background not defined"},
      {"", &DataFile::profile_table, "Obligatory keyword name not defined"},
      {"", &DataFile::campaign_table, "Obligatory keyword event not defined"},
      {"", &DataFile::config_table, "Obligatory keyword background not defined"},
      {"background b\nground 1 2 g f\nitem 1 2 i\nitemdef i 1 1 a b c\n", &DataFile::level_table,
       "Obligatory keyword type not defined"},
      {"#one\n#two\nfoo 1\n", &DataFile::level_table, "Unknown keyword on line 3: foo"},
      {"lives 3\r\nfoo\r\n", &DataFile::level_table, "Unknown keyword on line 2: foo"},
      {"Lives 3\n", &DataFile::level_table, "Unknown keyword on line 1: Lives"},
      {"lives\t3\n", &DataFile::level_table, "Unknown keyword on line 1: lives\t3"},
      {std::string(1 << 20, 'x') + "\nfoo\n", &DataFile::level_table,
       "Unknown keyword on line 1: " + std::string(255, 'x')},
      {"background " + std::string(1 << 20, 'x') + "\nfoo\n", &DataFile::level_table,
       "Unknown keyword on line 2: foo"},
      {std::string("\0\0#\n", 4), &DataFile::level_table, std::string("Unknown keyword on line 1: \0\0#", 30)},
      {" lives 3\n#lives 3\n\n" + good_level, &DataFile::level_table, ""},
  };
  for (const auto& test : cases) {
    data = DataFile();
    EXPECT_EQ(read(test.content, test.table), test.message) << test.content.substr(0, 40);
  }
}

TEST_F(Reader, VersionAboveOneIsRefusedRightAfterItsLineAndStaysInTheTable) {
  EXPECT_EQ(read("version 1.0\n" + good_level), "");
  const std::string refused = read("version 1.5\nfoo\n");
  EXPECT_EQ(refused, "Error opening file '" + path + "'. Incompatible version.");
  const std::string spoiled = read("#fine\n" + good_level);
  EXPECT_EQ(spoiled, "Error opening file '" + path + "'. Incompatible version.");
}

TEST_F(Reader, ValuesParseLikeStreamExtractionAndBadNumbersGiveZero) {
  const std::pair<std::string, std::int32_t> ints[] = {
      {"many", 0}, {"4 more", 4}, {"3.9", 3}, {"  -7", -7}, {"99999999999", 0}, {"-99999999999", 0}};
  for (const auto& [value, expected] : ints) {
    ASSERT_EQ(read(good_level + "lives " + value + "\n"), "");
    EXPECT_TRUE(level("lives").set);
    EXPECT_EQ(level("lives").int_value, expected) << value;
  }
  const std::pair<std::string, double> doubles[] = {{"0.5x", 0.5}, {"1e999", 0.0}, {"fast", 0.0}};
  for (const auto& [value, expected] : doubles) {
    ASSERT_EQ(read(good_level + "acceleration " + value + "\n"), "");
    EXPECT_EQ(level("acceleration").double_value, expected) << value;
  }
  ASSERT_EQ(read("name  Anna # Lee  \t\r\n", &DataFile::profile_table), "");
  EXPECT_EQ(data.profile_table.at("name").string_value, " Anna # Lee");
  ASSERT_EQ(read(good_level + "background\n"), "");
  EXPECT_TRUE(level("background").set);
  EXPECT_EQ(level("background").string_value, "");
}

TEST_F(Reader, RecordsAppendInFileOrderAndTheFirstItemDefinitionWins) {
  ASSERT_EQ(read(good_level + "ground 10 -20 ground2 none extra\nground x 5 ground3 none\nitem 7 8 moon\n"
                 "itemdef star 99 9 x crashable deadly\nitemdef moon 5 0 x crashable deadly\n"),
            "");
  const auto& grounds = level("ground").grounds;
  ASSERT_EQ(grounds.size(), 3u);
  EXPECT_EQ(grounds[1].x + grounds[1].y, -10);
  EXPECT_EQ(grounds[1].get_name() + grounds[1].get_move_function(), "ground2none");
  EXPECT_EQ(grounds[2].name, "") << "fields after a failed number stay empty";
  ASSERT_EQ(level("item").items.size(), 2u);
  EXPECT_EQ(level("item").items[1].name, "moon");
  const auto& defs = level("itemdef").itemdefs;
  EXPECT_EQ(defs.at("star").base_points + defs.at("star").current_points, 20);
  EXPECT_TRUE(defs.at("star").cumulative && !defs.at("star").deadly);
  EXPECT_TRUE(defs.at("moon").crashable && defs.at("moon").deadly);
}

TEST_F(Reader, OverlongLinesAreCutToTheirFirst255CharactersAndReadingGoesOn) {
  ASSERT_EQ(read(good_level + "background " + std::string(300, 'b') + "\ntype after\n"), "");
  EXPECT_EQ(level("background").string_value, std::string(244, 'b'));
  EXPECT_EQ(level("type").string_value, "after");
  // A carriage return before the line feed does not count against the cap.
  ASSERT_EQ(read("background " + std::string(244, 'c') + "\r\n"), "");
  EXPECT_EQ(level("background").string_value, std::string(244, 'c'));
}

TEST_F(Reader, FoldersDevicesAndMissingFilesCannotBeOpened) {
  const std::string folder_path = (folder.path / "levels").string();
  std::filesystem::create_directories(folder_path);
  for (const std::string& bad : {folder_path, folder_path + "/missing.qel", std::string("/dev/zero")}) {
    EXPECT_EQ(read_path(bad), bad + " could not be opened!");
  }
}
