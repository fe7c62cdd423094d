#pragma once
// RMLSystem: the user-interface documents (menus and HUD) and the pause menu.

#include "engine/base_system.h"
#include "engine/type_name.h"

class RMLSystem : public BaseSystem {
 public:
  RMLSystem();

  void SetPauseMenuEnabled(bool enabled) { pauseMenuEnabled = enabled; }
  bool PauseMenuEnabled() const { return pauseMenuEnabled; }

  // While true, the update opens and closes the pause menu; scene changes switch it off until
  // the new scene has faded in.
  bool pauseMenuEnabled = true;
};
DECLARE_TYPE_NAME(class, RMLSystem);
