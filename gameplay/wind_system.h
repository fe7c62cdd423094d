#pragma once
// WindSystem: the wind field that bends grass and carries particles, and its debug view.

#include <string>

#include "engine/base_system.h"
#include "engine/type_name.h"

class WindSystem : public BaseSystem {
 public:
  WindSystem();

  // Handles "WindSystem_ToggleView".
  void HandleMessage(const std::string& message) override;

  // Draws the wind lines into the bound framebuffer while the view is on; called by the
  // renderer after the grass.
  void DrawVisualization();

  bool visualizationEnabled = false;
  // The line mesh the view draws.
  static constexpr const char* kLineMeshPath = "GAME/Assets/Meshes/lineMesh.txt";
};
DECLARE_TYPE_NAME(class, WindSystem);
