#include "datafile/data_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <locale>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/input_file.h"

namespace {

// The reader handles at most this many characters of a line; the rest of a
// longer line is skipped.
constexpr std::size_t max_line_length = 255;

// Bounds far above anything the game writes, so that a giant file (a sparse
// one of 100 GB, say) is refused at once instead of read to its end.
constexpr std::uint64_t max_file_bytes = 16 << 20;
constexpr std::uint64_t max_line_bytes = 1 << 20;
constexpr const char* too_large_reason = "it is larger than 16 MiB";

// Splits a file into physical lines in two steps, so that a line already
// wrong by its start is refused without reading the rest of it: `next_head`
// gives the line cut to max_line_length characters, `skip_rest` passes over
// what is left of it. A carriage return right before the line feed is not
// part of the line, so files written on Windows read the same. A read error
// or a bound passed throws "PATH could not be read: REASON".
class LineReader {
 public:
  LineReader(platform::InputFile& file, const std::string& path) : file_(file), path_(path), buffer_(64 * 1024) {}

  // Gives the start of the next line, cut to max_line_length characters;
  // false at the end of the file.
  bool next_head(std::string& line) {
    line.clear();
    if (pos_ == end_ && !fill()) return false;
    ++line_number_;
    line_bytes_ = 0;
    rest_pending_ = true;
    // One byte beyond the cap is looked at: a carriage return that is the
    // cap's last byte is dropped only when a line feed follows it.
    while (line.size() <= max_line_length && (pos_ < end_ || fill())) {
      const char* start = buffer_.data() + pos_;
      const std::size_t wanted = std::min(end_ - pos_, max_line_length + 1 - line.size());
      const char* newline = static_cast<const char*>(std::memchr(start, '\n', wanted));
      const std::size_t count = newline ? static_cast<std::size_t>(newline - start) : wanted;
      line.append(start, count);
      line_bytes_ += count;
      pos_ += count;
      if (newline) {
        ++pos_;
        rest_pending_ = false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        break;
      }
    }
    if (line.size() > max_line_length) line.resize(max_line_length);
    return true;
  }

  // Passes over the rest of the line that next_head gave.
  void skip_rest() {
    while (rest_pending_ && (pos_ < end_ || fill())) {
      const char* start = buffer_.data() + pos_;
      const char* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - pos_));
      const std::size_t count = newline ? static_cast<std::size_t>(newline - start) : end_ - pos_;
      line_bytes_ += count;
      pos_ += count;
      if (line_bytes_ > max_line_bytes) {
        refuse("line " + std::to_string(line_number_) + " is longer than 1 MiB");
      }
      if (newline) {
        ++pos_;
        rest_pending_ = false;
      }
    }
  }

  std::uint64_t line_number() const { return line_number_; }

 private:
  bool fill() {
    pos_ = 0;
    end_ = 0;
    std::string reason;
    const long got = file_.read(buffer_.data(), buffer_.size(), reason);
    if (got < 0) refuse(reason);
    // The file may have grown since its size was checked.
    if (file_.position() > max_file_bytes) refuse(too_large_reason);
    end_ = static_cast<std::size_t>(got);
    return end_ > 0;
  }

  [[noreturn]] void refuse(const std::string& reason) const { throw path_ + " could not be read: " + reason; }

  platform::InputFile& file_;
  const std::string& path_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::uint64_t line_number_ = 0;
  std::uint64_t line_bytes_ = 0;
  bool rest_pending_ = false;
};

// Number fields use the standard stream extraction; a field that does not
// parse, or is out of range, counts as 0 and leaves the stream failed, so
// the fields after it on the line stay empty.
std::int32_t extract_int(std::istream& in) {
  std::int32_t number = 0;
  if (!(in >> number)) return 0;
  return number;
}

double extract_double(std::istream& in) {
  double number = 0.0;
  if (!(in >> number)) return 0.0;
  return number;
}

std::string extract_word(std::istream& in) {
  std::string word;
  in >> word;
  return word;
}

void trim_trailing_white_space(std::string& text) {
  const std::size_t end = text.find_last_not_of(" \t\n\v\f\r");
  text.erase(end == std::string::npos ? 0 : end + 1);
}

void store(DataValue& slot, const std::string& value, std::istringstream& fields) {
  fields.clear();
  fields.str(value);
  switch (slot.type) {
    case type_int:
      slot.int_value = extract_int(fields);
      break;
    case type_double:
      slot.double_value = extract_double(fields);
      break;
    case type_string:
      slot.set_string(value);
      break;
    case type_ground: {
      const std::int32_t x = extract_int(fields);
      const std::int32_t y = extract_int(fields);
      std::string name = extract_word(fields);
      std::string move_function = extract_word(fields);
      slot.add_ground(GroundEntry(x, y, std::move(name), std::move(move_function)));
      break;
    }
    case type_item: {
      const std::int32_t x = extract_int(fields);
      const std::int32_t y = extract_int(fields);
      slot.items.emplace_back(x, y, extract_word(fields));
      break;
    }
    case type_itemdef: {
      std::string name = extract_word(fields);
      const std::int32_t points = extract_int(fields);
      const std::int32_t increment = extract_int(fields);
      std::string first = extract_word(fields);
      std::string second = extract_word(fields);
      std::string third = extract_word(fields);
      slot.add_itemdef(std::move(name), ItemDef(points, points, increment, std::move(first),
                                                std::move(second), std::move(third)));
      break;
    }
    case type_string_vector:
      slot.string_vector.push_back(value);
      break;
  }
  slot.set = true;
}

// A UTF-8 byte-order mark, which an editor may put at the start of a file,
// is invisible on the terminal: a keyword that holds one shows it by name.
// (The console shows control bytes as "\xNN" itself.)
std::string shown_keyword(const std::string& keyword) {
  static const std::string byte_order_mark = "\xEF\xBB\xBF";
  std::string shown = keyword;
  for (std::size_t at = 0; (at = shown.find(byte_order_mark, at)) != std::string::npos;) {
    shown.replace(at, byte_order_mark.size(), "<byte-order mark>");
  }
  return shown;
}

}  // namespace

DataFile::DataFile() {
  config_table = {
      {"version", DataValue(type_double)},
      {"menu_music", DataValue(type_string)},
      {"background", DataValue(true, type_string)},
      {"hiscore", DataValue(type_string)},
      {"level", DataValue(type_string)},
  };
  profile_table = {
      {"version", DataValue(type_double)},
      {"name", DataValue(true, type_string)},
      {"unlocked_level", DataValue(type_string_vector)},
  };
  level_table = {
      {"version", DataValue(type_double)},
      {"game_music", DataValue(type_string)},
      {"lives", DataValue(type_int)},
      {"ground", DataValue(true, type_ground)},
      {"item", DataValue(true, type_item)},
      {"itemdef", DataValue(true, type_itemdef)},
      {"background", DataValue(true, type_string)},
      {"lightsource", DataValue(type_string)},
      {"end", DataValue(type_int)},
      {"type", DataValue(true, type_string)},
      {"dash_sound", DataValue(type_string)},
      {"jump_sound", DataValue(type_string)},
      {"run_sound", DataValue(type_string)},
      {"star_smash_sound", DataValue(type_string)},
      {"crash_sound", DataValue(type_string)},
      {"fairy_sound", DataValue(type_string)},
      {"acceleration", DataValue(type_double)},
      {"max_speed", DataValue(type_double)},
  };
  campaign_table = {
      {"version", DataValue(type_double)},
      {"lives", DataValue(true, type_int)},
      {"event", DataValue(true, type_string_vector)},
  };
}

void DataFile::read(std::string path, std::map<std::string, DataValue>* table) {
  // Opened without blocking and checked on the descriptor: a pipe or a folder
  // in the file's place, even one swapped in after a look at the name, is a
  // file that cannot be opened.
  platform::InputFile file;
  std::string reason;
  if (!file.open(path, reason)) throw path + " could not be opened!";
  if (file.size() > max_file_bytes) throw path + " could not be read: " + too_large_reason;

  std::istringstream fields;
  fields.imbue(std::locale::classic());
  LineReader lines(file, path);
  std::string line;
  std::string value;
  while (lines.next_head(line)) {
    const bool comment = !line.empty() && line[0] == '#';
    const std::size_t space = line.find(' ');
    const std::string keyword = comment ? std::string() : line.substr(0, space);
    if (keyword.empty()) {
      lines.skip_rest();
      continue;
    }
    const auto slot = table->find(keyword);
    if (slot == table->end()) {
      throw "Unknown keyword on line " + std::to_string(lines.line_number()) + ": " + shown_keyword(keyword);
    }
    lines.skip_rest();
    value = space == std::string::npos ? std::string() : line.substr(space + 1);
    trim_trailing_white_space(value);
    store(slot->second, value, fields);

    const auto version = table->find("version");
    if (version != table->end() && version->second.set && version->second.double_value > 1.0) {
      throw "Error opening file '" + path + "'. Incompatible version.";
    }
  }

  for (const auto& [keyword, slot] : *table) {
    if (slot.obligatory && !slot.set) throw "Obligatory keyword " + keyword + " not defined";
  }
}

void DataFile::load_profile(std::string file_name) {
  read("profiles/" + file_name, &profile_table);
  current = profile_table;
}

void DataFile::load_level(std::string file_name) {
  read("levels/" + file_name, &level_table);
  current = level_table;
  const std::pair<const char*, double> defaults[] = {{"acceleration", 0.2}, {"max_speed", 1000.0}};
  for (const auto& [keyword, number] : defaults) {
    DataValue& slot = current[keyword];
    if (!slot.set) {
      slot.type = type_double;
      slot.double_value = number;
      slot.set = true;
    }
  }
}

void DataFile::load_campaign(std::string file_name) {
  read("levels/" + file_name, &campaign_table);
  current = campaign_table;
}

std::int32_t DataFile::get_int(std::string keyword) {
  const DataValue& slot = current[keyword];
  if (!slot.set) throw "Requesting unset data: int!";
  return slot.int_value;
}

double DataFile::get_double(std::string keyword) {
  const DataValue& slot = current[keyword];
  if (!slot.set) throw "Requesting unset data: double!";
  return slot.double_value;
}

std::string DataFile::get_string(std::string keyword) {
  const DataValue& slot = current[keyword];
  if (!slot.set) throw "Requesting unset data: string s!";
  return slot.get_string();
}

std::vector<std::string> DataFile::get_string_vector(std::string keyword) {
  const DataValue& slot = current[keyword];
  if (!slot.set) throw "Requesting unset data: string vector!";
  return slot.get_string_vector();
}

std::vector<GroundEntry> DataFile::get_grounds() {
  const DataValue& slot = level_table["ground"];
  if (!slot.set) throw "Requesting unset data: ground!";
  return slot.get_grounds();
}

std::vector<ItemEntry> DataFile::get_items() {
  const DataValue& slot = level_table["item"];
  if (!slot.set) throw "Requesting unset data: item!";
  return slot.get_items();
}

std::map<std::string, ItemDef> DataFile::get_itemdefs() {
  const DataValue& slot = level_table["itemdef"];
  if (!slot.set) throw "Requesting unset data: itemdef!";
  return slot.get_itemdefs();
}
