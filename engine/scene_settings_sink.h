#pragma once
// SceneSettingsSink: where the scene system hands each scene's post-processing settings. The
// renderer's post-processing chain implements it; the scene system holds it (not owned) and
// works without one.

#include <nlohmann/json.hpp>

class SceneSettingsSink {
 public:
  virtual ~SceneSettingsSink() = default;

  // Replaces the current pass lists with those of a scene settings document (its
  // "PostProcessingPipeline" member). Anything that pointed into the old lists is void.
  virtual void ApplySceneSettings(const nlohmann::json& settings) = 0;

  // The main-menu fade: the first float parameter of the first pass of list 2 of the lists
  // most recently applied. Called on every frame while the fade runs, and never after a later
  // ApplySceneSettings.
  virtual void SetMainMenuFade(float value) = 0;
};
