#pragma once
// LuaScript: a script path and the names of its functions, as read from the entity file.

#include <string>
#include <vector>

#include "components/base_component.h"
#include "engine/type_name.h"

class LuaScript : public BaseComponent {
 public:
  std::string _scriptPath;
  std::vector<std::string> _functions;
};
DECLARE_TYPE_NAME(class, LuaScript);
