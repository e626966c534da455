#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "datafile/data_file.h"
#include "temp_folder.h"

namespace {

const std::string good_level =
    "type normal\n"
    "background sky\n"
    "ground 0 400 ground1 movefunc1\n"
    "item 120 300 star\n"
    "itemdef star 10 2 cumulative notCrashable notDeadly\n";

class Reader : public ::testing::Test {
 protected:
  // Reads the text as a file into one of the tables; gives the message
  // thrown, or "" when the read succeeds.
  std::string read(const std::string& content, std::map<std::string, DataValue>& table) {
    path = folder.write("file" + std::to_string(++files), content);
    try {
      data.read(path, &table);
    } catch (const std::string& message) {
      return message;
    }
    return "";
  }
  std::string read_level(const std::string& content) { return read(content, data.level_table); }
  std::string read_new_level(const std::string& content) {
    data = DataFile();
    return read_level(content);
  }
  std::string read_level_at(const std::string& file) {
    try {
      data.read(file, &data.level_table);
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

TEST_F(Reader, FirstMissingObligatoryKeywordInKeyOrderIsReported) {
  EXPECT_EQ(read_level(""), "Obligatory keyword background not defined");
  EXPECT_EQ(read("", data.profile_table), "Obligatory keyword name not defined");
  EXPECT_EQ(read("", data.campaign_table), "Obligatory keyword event not defined");
  EXPECT_EQ(read("", data.config_table), "Obligatory keyword background not defined");
  EXPECT_EQ(read_new_level("background sky\nitemdef a 1 1 x y z\n"), "Obligatory keyword ground not defined");
  EXPECT_EQ(read_new_level("background b\nground 1 2 g f\nitem 1 2 i\nitemdef i 1 1 a b c\n"),
            "Obligatory keyword type not defined");
}

TEST_F(Reader, UnknownKeywordNamesItsPhysicalLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"#one\n#two\nfoo 1\n", "Unknown keyword on line 3: foo"},
      {"lives 3\r\nfoo\r\n", "Unknown keyword on line 2: foo"},
      {"Lives 3\n", "Unknown keyword on line 1: Lives"},
      {"lives\t3\n", "Unknown keyword on line 1: lives\t3"},
      {"background " + std::string(1 << 20, 'x') + "\nfoo\n", "Unknown keyword on line 2: foo"},
      {" lives 3\n#lives 3\n\n" + good_level, ""},
  };
  for (const auto& [content, message] : cases) {
    EXPECT_EQ(read_new_level(content), message) << content.substr(0, 40);
  }
}

TEST_F(Reader, VersionAboveOneIsRefusedRightAfterItsLine) {
  EXPECT_EQ(read_level("version 1.0\n" + good_level), "");
  const std::string refused = read_level("version 1.5\nfoo\n");
  EXPECT_EQ(refused, "Error opening file '" + path + "'. Incompatible version.");
  // The refused version stays in the table and spoils the next read too.
  const std::string spoiled = read_level("#fine\n" + good_level);
  EXPECT_EQ(spoiled, "Error opening file '" + path + "'. Incompatible version.");
}

TEST_F(Reader, NumbersReadLikeStreamExtractionAndFailuresGiveZero) {
  const std::pair<std::string, std::int32_t> ints[] = {
      {"many", 0}, {"4 more", 4}, {"3.9", 3}, {"  -7", -7},
      {"99999999999", 0}, {"-99999999999", 0}, {"2147483647", 2147483647},
  };
  for (const auto& [value, expected] : ints) {
    ASSERT_EQ(read_level(good_level + "lives " + value + "\n"), "");
    EXPECT_EQ(level("lives").int_value, expected) << value;
    EXPECT_TRUE(level("lives").set);
  }
  const std::pair<std::string, double> doubles[] = {{"0.5x", 0.5}, {"1e999", 0.0}, {"fast", 0.0}, {"-2e3", -2000.0}};
  for (const auto& [value, expected] : doubles) {
    ASSERT_EQ(read_level(good_level + "acceleration " + value + "\n"), "");
    EXPECT_EQ(level("acceleration").double_value, expected) << value;
  }
}

TEST_F(Reader, TextValuesKeepInnerAndLeadingBlanksButNotTrailingOnes) {
  ASSERT_EQ(read("name Anna Lee  \t\r\n", data.profile_table), "");
  EXPECT_EQ(data.profile_table.at("name").string_value, "Anna Lee");
  ASSERT_EQ(read("name  a # b\n", data.profile_table), "");
  EXPECT_EQ(data.profile_table.at("name").string_value, " a # b");
  ASSERT_EQ(read_level("background\ntype x\nground 1 2 g f\nitem 1 2 i\nitemdef i 1 1 a b c\n"), "");
  EXPECT_TRUE(level("background").set);
  EXPECT_EQ(level("background").string_value, "");
}

TEST_F(Reader, LevelRecordsAreAppendedAndTheFirstItemDefinitionWins) {
  ASSERT_EQ(read_level(good_level +
                       "ground 10 -20 ground2 none extra\n"
                       "ground x 5 ground3 none\n"
                       "item 7 8 moon\n"
                       "itemdef star 99 9 x crashable deadly\n"
                       "itemdef moon 5 0 x crashable deadly\n"),
            "");
  const auto grounds = level("ground").grounds;
  ASSERT_EQ(grounds.size(), 3u);
  EXPECT_EQ(grounds[1].x, 10);
  EXPECT_EQ(grounds[1].y, -20);
  EXPECT_EQ(grounds[1].name, "ground2");
  EXPECT_EQ(grounds[1].move_function, "none");
  EXPECT_EQ(grounds[2].name, "") << "fields after a failed number stay empty";
  ASSERT_EQ(level("item").items.size(), 2u);
  EXPECT_EQ(level("item").items[1].name, "moon");
  const auto& defs = level("itemdef").itemdefs;
  EXPECT_EQ(defs.at("star").base_points, 10);
  EXPECT_EQ(defs.at("star").current_points, 10);
  EXPECT_TRUE(defs.at("star").cumulative);
  EXPECT_TRUE(defs.at("moon").crashable && defs.at("moon").deadly);
}

TEST_F(Reader, OverlongLinesAreCutAndReadingGoesOn) {
  ASSERT_EQ(read_level(good_level + "background " + std::string(300, 'b') + "\ntype after\n"), "");
  EXPECT_EQ(level("background").string_value, std::string(244, 'b'));
  EXPECT_EQ(level("type").string_value, "after");
  // A carriage return before the line feed does not count against the cap.
  ASSERT_EQ(read_level("background " + std::string(244, 'c') + "\r\n"), "");
  EXPECT_EQ(level("background").string_value, std::string(244, 'c'));
}

TEST_F(Reader, BadBytesAndBadPathsGiveMessagesNotCrashes) {
  EXPECT_EQ(read_level(std::string("\0\0#\n", 4)), std::string("Unknown keyword on line 1: \0\0#", 30));
  ASSERT_EQ(read_level(good_level + std::string("type a\0b\n", 9)), "");
  EXPECT_EQ(level("type").string_value, std::string("a\0b", 3));

  std::mt19937 random(7);
  std::string garbage(1 << 16, '\0');
  for (char& byte : garbage) byte = static_cast<char>(random());
  const std::string message = read_new_level(garbage);
  EXPECT_TRUE(message.rfind("Unknown keyword on line ", 0) == 0 || message.rfind("Obligatory", 0) == 0) << message;

  const std::string folder_path = (folder.path() / "levels").string();
  std::filesystem::create_directories(folder_path);
  for (const std::string& bad : {folder_path, folder_path + "/missing.qel", std::string("/dev/zero")}) {
    EXPECT_EQ(read_level_at(bad), bad + " could not be opened!");
  }
  if (geteuid() != 0) {  // the superuser reads any file
    const std::string locked = folder.write("locked.qel", good_level);
    chmod(locked.c_str(), 0);
    EXPECT_EQ(read_level_at(locked), locked + " could not be opened!");
  }
}
