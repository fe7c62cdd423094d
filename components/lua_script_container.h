#pragma once
// LuaScriptContainer: the scripts an entity runs, as "name file" entries, and the map from
// script name to script path built from them.

#include <string>
#include <unordered_map>
#include <vector>

#include "components/base_component.h"
#include "engine/type_name.h"

class LuaScriptContainer : public BaseComponent {
 public:
  // Rebuilds `scriptMap` from `_scriptList`: each entry is split at its first blank into a name
  // and a file name (an entry without a blank is both); the path is `pathPrefix` + the file
  // name. A later entry with the same name replaces an earlier one.
  void BuildScriptMap();

  std::string pathPrefix = "./GAME/Scripts/";
  std::vector<std::string> _scriptList;
  std::unordered_map<std::string, std::string> scriptMap;
};
DECLARE_TYPE_NAME(class, LuaScriptContainer);
