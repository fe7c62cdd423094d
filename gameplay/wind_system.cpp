#include "gameplay/wind_system.h"

#include "engine/message_text.h"

// The wind keeps blowing behind the pause menu.
WindSystem::WindSystem() { pausable = false; }

void WindSystem::HandleMessage(const std::string& message) {
  if (IsMessage(message, "WindSystem_ToggleView")) visualizationEnabled = !visualizationEnabled;
}

void WindSystem::DrawVisualization() {
  if (!visualizationEnabled) return;
  // The lines are drawn once the renderer's meshes and shaders are available to this system.
}
