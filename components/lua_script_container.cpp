#include "components/lua_script_container.h"

void LuaScriptContainer::BuildScriptMap() {
  scriptMap.clear();
  for (const std::string& entry : _scriptList) {
    const auto blank = entry.find(' ');
    if (blank == std::string::npos) {
      scriptMap[entry] = pathPrefix + entry;
    } else {
      scriptMap[entry.substr(0, blank)] = pathPrefix + entry.substr(blank + 1);
    }
  }
}
