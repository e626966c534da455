#pragma once
#include <map>
#include <string>
#include <vector>

#include "datafile/data_value.h"

// Reader and store of the game's keyword-per-line data files: the main
// configuration, profiles, levels and campaigns. Each file kind has its own
// keyword table; `current` holds the values of the file loaded last.
//
// The reader throws std::string messages; the getters throw C-string
// messages ("Requesting unset data: int!").
class DataFile {
 public:
  DataFile();

  // Reads the file at `path` into `table`, which must be one of this object's
  // four keyword tables. Never empties the table first: values of earlier
  // reads into the same table stay.
  void read(std::string path, std::map<std::string, DataValue>* table);

  // Each reads "profiles/" or "levels/" + file_name into its table and then
  // makes `current` a copy of it. On failure `current` is left untouched.
  void load_profile(std::string file_name);
  // Also puts "acceleration" 0.2 and "max_speed" 1000.0 into `current` (only
  // there) when the file does not give them.
  void load_level(std::string file_name);
  void load_campaign(std::string file_name);

  // Answer from `current`. Asking for a keyword that `current` lacks adds an
  // unset slot for it, so the getter then throws its unset message.
  std::int32_t get_int(std::string keyword);
  double get_double(std::string keyword);
  std::string get_string(std::string keyword);
  std::vector<std::string> get_string_vector(std::string keyword);

  // Answer from the level table.
  std::vector<GroundEntry> get_grounds();
  std::vector<ItemEntry> get_items();
  std::map<std::string, ItemDef> get_itemdefs();

  std::map<std::string, DataValue> config_table;
  std::map<std::string, DataValue> profile_table;
  std::map<std::string, DataValue> level_table;
  std::map<std::string, DataValue> campaign_table;
  std::map<std::string, DataValue> current;
};
