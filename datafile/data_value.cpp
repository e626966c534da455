#include "datafile/data_value.h"

#include <utility>

GroundEntry::GroundEntry(std::int32_t x, std::int32_t y, std::string name, std::string move_function)
    : x(x), y(y), name(std::move(name)), move_function(std::move(move_function)) {}

std::string GroundEntry::get_name() const { return name; }

std::string GroundEntry::get_move_function() const { return move_function; }

ItemEntry::ItemEntry(std::int32_t x, std::int32_t y, std::string name)
    : x(x), y(y), name(std::move(name)) {}

std::string ItemEntry::get_name() const { return name; }

ItemDef::ItemDef()
    : base_points(0), current_points(0), increment(0), cumulative(false), crashable(false), deadly(false) {}

ItemDef::ItemDef(std::int32_t base_points, std::int32_t current_points, std::int32_t increment,
                 std::string first_word, std::string second_word, std::string third_word)
    : base_points(base_points),
      current_points(current_points),
      increment(increment),
      cumulative(first_word == "cumulative"),
      crashable(second_word == "crashable"),
      deadly(third_word == "deadly") {}

DataValue::DataValue() : DataValue(false, type_string) {}

DataValue::DataValue(ValueType type) : DataValue(false, type) {}

// The numbers start at zero so that copying an unset slot never reads an
// indeterminate value.
DataValue::DataValue(bool obligatory, ValueType type)
    : set(false), type(type), obligatory(obligatory), int_value(0), double_value(0.0) {}

std::string DataValue::get_string() const { return string_value; }

std::vector<GroundEntry> DataValue::get_grounds() const { return grounds; }

std::vector<ItemEntry> DataValue::get_items() const { return items; }

std::map<std::string, ItemDef> DataValue::get_itemdefs() const { return itemdefs; }

std::vector<std::string> DataValue::get_string_vector() const { return string_vector; }

void DataValue::set_string(std::string text) {
  string_value = std::move(text);
  set = true;
}

void DataValue::add_ground(GroundEntry entry) {
  grounds.push_back(std::move(entry));
  set = true;
}

void DataValue::add_itemdef(std::string name, ItemDef def) {
  itemdefs.emplace(std::move(name), def);  // keeps an existing definition
  set = true;
}
