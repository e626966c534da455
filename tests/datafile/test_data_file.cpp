#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <functional>

#include "datafile/data_file.h"
#include "platform/seam.h"
#include "temp_folder.h"

namespace {

using Table = std::map<std::string, DataValue>;
using namespace std::string_literals;

const std::string good_level =
    "type normal\nbackground sky\nground 0 400 ground1 movefunc1\nitem 120 300 star\n"
    "itemdef star 10 2 cumulative notCrashable notDeadly\n";

// The message a call throws, or "" when it throws none. The reader throws
// std::string, the getters C-strings: a message of the other kind escapes.
template <typename Kind = std::string, typename Call>
std::string message_of(Call call) try {
  call();
  return "";
} catch (const Kind& message) {
  return message;
}

// A good level filled up with comment lines of up to 1 MiB to `size` bytes.
std::string level_of_size(std::size_t size) {
  std::string content = good_level;
  while (content.size() < size) {
    const std::size_t line = std::min<std::size_t>(size - content.size(), 1 << 20);
    content += line == 1 ? "\n" : "#" + std::string(line - 2, 'c') + "\n";
  }
  return content;
}

struct Reader : ::testing::Test {
  // Writes the text to a file of its own and reads it into one of the tables;
  // with `failing_after`, reads of the file fail with EIO past that many bytes.
  std::string read(const std::string& content, Table DataFile::*table = &DataFile::level_table,
                   long failing_after = -1) {
    const std::string name = "file" + std::to_string(++files);
    path = folder.write(name, content);
    if (failing_after >= 0) seam.fail_reads("/" + name, failing_after, EIO);
    return message_of([&] { data.read(path, &(data.*table)); });
  }
  DataValue& level(const std::string& keyword) { return data.level_table.at(keyword); }

  platform::VirtualSeam seam;
  platform::ScopedSeam scoped_seam{seam};
  TempFolder folder;
  DataFile data;
  std::string path;
  int files = 0;
};

}  // namespace

// "FILE" in a message stands for the path of the file read.
TEST_F(Reader, MessagesNameTheFirstMissingKeywordOrTheUnknownOnesLineOrWhyTheFileCouldNotBeRead) {
  const struct {
    std::string content, message;
    Table DataFile::*table = &DataFile::level_table;
    long failing_after = -1;
  } cases[] = {
      {"", "Obligatory keyword background not defined"},
      {"", "Obligatory keyword name not defined", &DataFile::profile_table},
      {"", "Obligatory keyword event not defined", &DataFile::campaign_table},
      {"", "Obligatory keyword background not defined", &DataFile::config_table},
      {"background b\nground 1 2 g f\nitem 1 2 i\nitemdef i 1 1 a b c\n", "Obligatory keyword type not defined"},
      {"#one\n#two\n\n lives 3\nx\n", "Unknown keyword on line 5: x"},  // every line counts
      {"lives 3\r\nfoo\r\n", "Unknown keyword on line 2: foo"},
      {"Lives 3\n", "Unknown keyword on line 1: Lives"},
      {"lives\t3\n", "Unknown keyword on line 1: lives\t3"},
      {std::string(1 << 20, 'x') + "\nfoo\n", "Unknown keyword on line 1: " + std::string(255, 'x')},
      {"background " + std::string((1 << 20) - 11, 'x') + "\nfoo\n", "Unknown keyword on line 2: foo"},
      {std::string("\0\0#\n", 4), std::string("Unknown keyword on line 1: \0\0#", 30)},
      // An editor's byte-order mark is named, not passed on invisible.
      {"\xEF\xBB\xBF# by an editor\n" + good_level, "Unknown keyword on line 1: <byte-order mark>#"},
      {" lives 3\n#lives 3\n\n" + good_level, ""},
      // A line is judged by its start: an unknown keyword is refused before
      // the rest of its line is read (the second file fails past 300 bytes).
      {"bogus " + std::string(2 << 20, 'v') + "\n", "Unknown keyword on line 1: bogus"},
      {std::string(1000, 'x'), "Unknown keyword on line 1: " + std::string(255, 'x'), &DataFile::level_table, 300},
      // Giant files and lines are refused, not read to their end.
      {good_level + "#" + std::string(1 << 20, 'c') + "\n", "FILE could not be read: line 6 is longer than 1 MiB"},
      {level_of_size(16 << 20), ""},
      {level_of_size((16 << 20) + 1), "FILE could not be read: it is larger than 16 MiB"},
      // A read error is no end of the file.
      {"background menu.png\n", "FILE could not be read: Input/output error", &DataFile::config_table, 0},
      {good_level, "FILE could not be read: Input/output error", &DataFile::level_table, 40},
  };
  for (const auto& test : cases) {
    data = DataFile();
    std::string message = read(test.content, test.table, test.failing_after);
    if (message.starts_with(path)) message.replace(0, path.size(), "FILE");
    EXPECT_EQ(message, test.message) << test.content.substr(0, 40);
  }
}

TEST_F(Reader, RefusedVersionsAndFilesThatCannotBeOpened) {
  EXPECT_EQ(read("version 1.0\n" + good_level), "");
  // The refused version stays in the table and spoils the next file read into it.
  for (const std::string& content : {std::string("version 1.5\nfoo\n"), "#fine\n" + good_level}) {
    const std::string message = read(content);
    EXPECT_EQ(message, "Error opening file '" + path + "'. Incompatible version.");
  }
  // Folders, devices, pipes and missing files cannot be opened; a pipe
  // without a writer is refused without waiting for one.
  const std::string here = folder.path.string();
  ASSERT_EQ(mkfifo((here + "/pipe.qel").c_str(), 0600), 0);
  for (const std::string& bad : {here, here + "/missing.qel", std::string("/dev/zero"), here + "/pipe.qel"}) {
    EXPECT_EQ(message_of([&] { data.read(bad, &data.level_table); }), bad + " could not be opened!");
  }
  // A sparse file of 100 GB (a good start, then zero bytes) is refused
  // before a byte of it is read.
  const std::string giant = folder.write("giant.qel", good_level);
  std::filesystem::resize_file(giant, 100ull << 30);
  DataFile fresh;
  EXPECT_EQ(message_of([&] { fresh.read(giant, &fresh.level_table); }),
            giant + " could not be read: it is larger than 16 MiB");
}

TEST_F(Reader, NumbersParseLikeStreamExtractionAndBadOnesGiveZero) {
  const struct { std::string value; std::int32_t lives; double acceleration; } cases[] = {
      {"many", 0, 0.0}, {"4 more", 4, 4.0}, {"3.9", 3, 3.9}, {"  -7", -7, -7.0}, {"0.5x", 0, 0.5}, {"1e999", 1, 0.0},
      {"99999999999", 0, 99999999999.0}, {"-99999999999", 0, -99999999999.0}};
  for (const auto& test : cases) {
    ASSERT_EQ(read(good_level + "lives " + test.value + "\nacceleration " + test.value + "\n"), "");
    EXPECT_EQ(std::tuple(level("lives").set, level("acceleration").set, level("lives").int_value,
                         level("acceleration").double_value), std::tuple(true, true, test.lives, test.acceleration))
        << test.value;
  }
}

TEST_F(Reader, StringsKeepInnerBlanksAndOverlongLinesAreCutWithoutStoppingTheReading) {
  const std::pair<std::string, std::string> cases[] = {
      {"background  two # words \t\r\n", " two # words"},
      {"background\n", ""},
      {"background " + std::string(300, 'b') + "\n", std::string(244, 'b')},
      {"background " + std::string(244, 'c') + "\r\n", std::string(244, 'c')},  // the CR is not counted
      {"background " + std::string(243, 'c') + "\r\n", std::string(243, 'c')},  // nor as the 255th byte
  };
  for (const auto& [line, expected] : cases) {
    ASSERT_EQ(read(good_level + line + "type last\n"), "");
    // The last of repeated lines wins.
    EXPECT_EQ(std::pair(level("background").string_value, level("type").string_value), std::pair(expected, "last"s));
  }
}

TEST_F(Reader, RecordsAppendInFileOrderAndTheFirstItemDefinitionWins) {
  ASSERT_EQ(read(good_level + "ground 10 -20 ground2 none extra\nground x 5 ground3 none\nitem 7 8 moon\n" +
                 "itemdef star 99 9 x crashable deadly\nitemdef moon 5 0 x crashable deadly\n" +
                 "itemdef sun 3 x crashable deadly\nitemdef comet 4 1 crashable deadly cumulative\n"),
            "");
  std::string records;
  for (const GroundEntry& g : level("ground").grounds) {
    records += std::to_string(g.x) + ' ' + std::to_string(g.y) + ' ' + g.get_name() + ' ' + g.get_move_function() + '|';
  }
  for (const ItemEntry& i : level("item").items) records += std::to_string(i.x + i.y) + ' ' + i.get_name() + '|';
  for (const auto& [name, d] : level("itemdef").itemdefs) {
    records += name + ' ' + std::to_string(d.base_points) + ' ' + std::to_string(d.current_points) + ' ' +
               std::to_string(d.increment) + ' ' + std::to_string(d.cumulative * 100 + d.crashable * 10 + d.deadly);
    records += '|';
  }
  // A number that does not parse leaves the fields after it empty; each flag
  // needs its exact word in its own place.
  for (const char* near_miss : {"Cumulative", "cumulative ", "cumulativ", "crashable"}) {
    EXPECT_FALSE(ItemDef(1, 1, 0, near_miss, "deadly", "").cumulative) << '"' << near_miss << '"';
  }
  // Each flag word counts only in its own place: in another order, none is set.
  EXPECT_EQ(records, "0 400 ground1 movefunc1|10 -20 ground2 none|0 0  |420 star|15 moon|"
                     "comet 4 4 1 0|moon 5 5 0 11|star 10 10 2 100|sun 3 3 0 0|");
}

// The loaders read paths relative to the working folder, so one test does it all there.
TEST(Loaders, DefaultsFailedLoadsAndRepeatedReadsIntoOneReader) {
  TempFolder folder;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path);
  folder.write("levels/first.qel", good_level + "lives 5\n");
  folder.write("levels/second.qel", "background dusk\nground 9 9 ground9 none\nmax_speed 2500\n");
  folder.write("levels/broken.qel", "type broken\nbogus line\n");
  folder.write("profiles/anna.prf", "name Anna\nunlocked_level one.qel\n");

  DataFile data;
  data.load_level("first.qel");
  EXPECT_EQ(std::pair(data.get_double("acceleration"), data.get_double("max_speed")), std::pair(0.2, 1000.0));
  EXPECT_FALSE(data.level_table.at("acceleration").set || data.level_table.at("max_speed").set);

  EXPECT_EQ(message_of([&] { data.load_level("missing.qel"); }), "levels/missing.qel could not be opened!");
  EXPECT_EQ(message_of([&] { data.load_level("broken.qel"); }), "Unknown keyword on line 2: bogus");
  EXPECT_EQ(data.get_string("type"), "normal") << "a failed load leaves current alone";

  data.load_level("second.qel");  // lacks "type", which the earlier reads set
  std::string grounds;
  for (const GroundEntry& ground : data.get_grounds()) grounds += ground.name + ' ';
  EXPECT_EQ(std::tuple(data.get_string("background"), data.get_int("lives"), data.get_double("max_speed"), grounds),
            std::tuple("dusk"s, 5, 2500.0, "ground1 ground9 "s));

  data.load_profile("anna.prf");
  EXPECT_EQ(data.get_string_vector("unlocked_level"), std::vector<std::string>{"one.qel"});

  // A file whose reads fail part-way is refused with its name and the
  // reason, never taken as ending where the reading stopped.
  platform::VirtualSeam seam;
  platform::ScopedSeam scoped_seam(seam);
  folder.write("levels/failing.qel", good_level);
  folder.write("levels/failing.cmp", "lives 3\nevent one\nevent two\n");
  folder.write("profiles/failing.prf", "name Failing\nunlocked_level one.qel\nunlocked_level two.qel\n");
  for (const char* file : {"levels/failing.qel", "levels/failing.cmp", "profiles/failing.prf"}) {
    seam.fail_reads(file, 12, EIO);
  }
  const std::pair<std::function<void()>, std::string> failing[] = {
      {[&] { data.load_level("failing.qel"); }, "levels/failing.qel"},
      {[&] { data.load_campaign("failing.cmp"); }, "levels/failing.cmp"},
      {[&] { data.load_profile("failing.prf"); }, "profiles/failing.prf"}};
  for (const auto& [load, file] : failing) {
    EXPECT_EQ(message_of(load), file + " could not be read: Input/output error");
  }
  EXPECT_EQ(data.get_string_vector("unlocked_level"), std::vector<std::string>{"one.qel"}) << "current is kept";
  std::filesystem::current_path(previous);
  // The getters of unset slots throw C-string messages.
  const std::pair<std::function<void()>, const char*> unset[] = {
      {[&] { data.get_int("lives"); }, "int"}, {[&] { data.get_double("x"); }, "double"},
      {[&] { data.get_string("x"); }, "string s"}, {[&] { data.get_string_vector("x"); }, "string vector"},
      {[&] { DataFile().get_grounds(); }, "ground"}, {[&] { DataFile().get_items(); }, "item"},
      {[&] { DataFile().get_itemdefs(); }, "itemdef"}};
  for (const auto& [call, kind] : unset) {
    EXPECT_EQ(message_of<const char*>(call), std::string("Requesting unset data: ") + kind + "!");
  }
}
