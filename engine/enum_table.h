#pragma once
// Enum values named by text in component files.
//
// Each enum that a component file may name has one table: its run-time type name
// ("enum ColliderLayer"), its names as one comma-separated text (blanks around a name are
// allowed), and the int value of each name in list order. The same list text parses a name,
// lists the valid names in error messages and turns a value back into its name.
//
//   const EnumNameTable& ColliderLayerTable() {
//     static const EnumNameTable table("enum ColliderLayer",
//                                      "ColliderLayer::DEFAULT, ColliderLayer::BULLET", {0, 1});
//     return table;
//   }
//   ReadEnumField<ColliderLayer>(record["_layer"], ColliderLayerTable(), collider._layer);
//
// A name matches only when it equals a list entry exactly (case-sensitive, no extra blanks).
// Errors are std::runtime_error "Invalid enum string: <text>. Valid values are: <list>".

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class EnumNameTable {
 public:
  // `nameList` holds one entry per value; each entry is trimmed of white space. Throws
  // std::invalid_argument when the entry count differs from the value count or an entry is
  // empty: both are mistakes in the table's definition.
  EnumNameTable(std::string typeName, std::string nameList, std::vector<int> values);

  // The run-time type name, e.g. "enum Mode".
  const std::string& TypeName() const { return typeName; }

  // The whole name list exactly as given.
  const std::string& NameList() const { return nameList; }

  // The value of the entry equal to `text`; throws std::runtime_error when none is.
  int Parse(std::string_view text) const;

  // The name of the first entry with `value`, valid as long as the table; an empty view when
  // no entry has that value (entries are never empty, so empty always means "not found").
  std::string_view ValueName(int value) const;

 private:
  std::string typeName;
  std::string nameList;
  std::vector<std::string> names;  // trimmed entries, list order
  std::vector<int> values;
};

// Reads one enum field from a component record. The JSON value must be a string (another type
// throws nlohmann::json::type_error 302 "type must be string, but is ..." before anything is
// printed). Logs to standard output:
//   Deserializing <type name>. JSON value: '<text>'
//   Valid enum values: '<list>'
//   Successfully deserialized to: <name>          (on success)
// An unknown name writes "Error deserializing <type name>: <message>" to standard error and
// rethrows; `field` keeps its value.
void ReadEnumField(const nlohmann::json& value, const EnumNameTable& table, int& field);

// The same for a C++ enum with a 32-bit underlying type:
//   ReadEnumField<Camera::Mode>(record["_mode"], ModeTable(), camera._mode);
template <typename Enum>
requires std::is_enum_v<Enum> &&
    (sizeof(std::underlying_type_t<Enum>) ==
     sizeof(int)) void ReadEnumField(const nlohmann::json& value, const EnumNameTable& table,
                                     Enum& field) {
  int number = static_cast<int>(field);
  ReadEnumField(value, table, number);
  field = static_cast<Enum>(number);
}
