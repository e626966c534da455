#include "datafile/data_file.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>
#include <utility>

namespace {

// The reader handles at most this many characters of a line; the rest of a
// longer line is skipped.
constexpr std::size_t max_line_length = 255;

// Splits a file into physical lines. A carriage return right before the line
// feed is not part of the line, so files written on Windows read the same.
class LineReader {
 public:
  explicit LineReader(std::istream& in) : in_(in), buffer_(64 * 1024) {}

  // Gives the next line cut to max_line_length characters; false at the end
  // of the file.
  bool next(std::string& line) {
    line.clear();
    bool found_any = false;
    bool ended_by_newline = false;
    std::size_t length = 0;
    char last = '\0';
    while (pos_ < end_ || fill()) {
      found_any = true;
      const char* start = buffer_.data() + pos_;
      const std::size_t available = end_ - pos_;
      const char* newline = static_cast<const char*>(std::memchr(start, '\n', available));
      const std::size_t count = newline ? static_cast<std::size_t>(newline - start) : available;
      if (count > 0) {
        // One character beyond the cap is kept so that a "\r\n" ending can
        // still be dropped from a line of exactly the cap's length.
        if (line.size() <= max_line_length) {
          line.append(start, std::min(count, max_line_length + 1 - line.size()));
        }
        length += count;
        last = start[count - 1];
      }
      pos_ += count;
      if (newline) {
        ++pos_;
        ended_by_newline = true;
        break;
      }
    }
    if (!found_any) return false;
    if (ended_by_newline && length > 0 && last == '\r') --length;
    line.resize(std::min(length, max_line_length));
    return true;
  }

 private:
  bool fill() {
    pos_ = 0;
    end_ = 0;
    if (!in_) return false;
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    end_ = static_cast<std::size_t>(in_.gcount());
    return end_ > 0;
  }

  std::istream& in_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
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

// Only regular files are read: a folder or a device in place of a data file
// counts as a file that cannot be opened.
bool is_readable_file(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::status(path, error));
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
  std::ifstream file;
  if (is_readable_file(path)) file.open(path, std::ios::binary);
  if (!file.is_open()) throw path + " could not be opened!";

  std::istringstream fields;
  fields.imbue(std::locale::classic());
  LineReader lines(file);
  std::string line;
  std::string value;
  std::uint64_t line_number = 0;
  while (lines.next(line)) {
    ++line_number;
    if (!line.empty() && line[0] == '#') continue;
    const std::size_t space = line.find(' ');
    const std::string keyword = line.substr(0, space);
    if (keyword.empty()) continue;

    const auto slot = table->find(keyword);
    if (slot == table->end()) {
      throw "Unknown keyword on line " + std::to_string(line_number) + ": " + keyword;
    }
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
