#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Which member of a DataValue a keyword uses, and how a line of that keyword
// is parsed.
enum ValueType : std::int32_t {
  type_int = 0,
  type_double = 1,
  type_string = 2,
  type_ground = 3,
  type_item = 4,
  type_itemdef = 5,
  type_string_vector = 6,
};

// One "ground" line of a level file.
struct GroundEntry {
  GroundEntry(std::int32_t x, std::int32_t y, std::string name, std::string move_function);

  std::string get_name() const;
  std::string get_move_function() const;

  std::int32_t x;
  std::int32_t y;
  std::string name;           // base name of "images/<name>.xml" and its outline
  std::string move_function;  // "movefunc1" animates the piece; anything else does not
};

// One "item" line of a level file.
struct ItemEntry {
  ItemEntry(std::int32_t x, std::int32_t y, std::string name);

  std::string get_name() const;

  std::int32_t x;
  std::int32_t y;
  std::string name;  // base name of the item's resource files and key of its ItemDef
};

// One item definition, keyed by item name.
struct ItemDef {
  ItemDef();
  // Each flag is true only when its own word is exactly "cumulative",
  // "crashable" or "deadly" respectively.
  ItemDef(std::int32_t base_points, std::int32_t current_points, std::int32_t increment,
          std::string first_word, std::string second_word, std::string third_word);

  std::int32_t base_points;
  std::int32_t current_points;
  std::int32_t increment;
  bool cumulative;
  bool crashable;
  bool deadly;
};

// One keyword's typed slot in a keyword table of DataFile. Only the member
// named by `type` is ever used.
struct DataValue {
  DataValue();  // type_string, not obligatory
  explicit DataValue(ValueType type);
  DataValue(bool obligatory, ValueType type);

  std::string get_string() const;
  std::vector<GroundEntry> get_grounds() const;
  std::vector<ItemEntry> get_items() const;
  std::map<std::string, ItemDef> get_itemdefs() const;
  std::vector<std::string> get_string_vector() const;

  void set_string(std::string text);
  void add_ground(GroundEntry entry);
  // The first definition of a name wins; later ones are dropped.
  void add_itemdef(std::string name, ItemDef def);

  bool set;
  ValueType type;
  bool obligatory;
  std::int32_t int_value;
  double double_value;
  std::string string_value;
  std::vector<GroundEntry> grounds;
  std::vector<ItemEntry> items;
  std::vector<std::string> string_vector;
  std::map<std::string, ItemDef> itemdefs;
};
