#pragma once
// TextureComponent: an entity's albedo and normal textures, by path, with their filter and wrap
// modes; the ids come from the texture cache.

#include <string>

#include "components/base_component.h"
#include "engine/resource_provider.h"
#include "engine/type_name.h"

class TextureComponent : public BaseComponent {
 public:
  enum class InterpolationMode : int {
    NEAREST = 0,
    LINEAR = 1,
  };
  enum class RepeatMode : int {
    CLAMP_TO_EDGE = 0,
    MIRRORED_REPEAT = 1,
    REPEAT = 2,
  };

  // Fetches both textures from the engine's resource provider with the component's modes (an
  // empty path gives -1). Without an engine or provider the ids stay as they are.
  void LoadTextures();
  void LoadTextures(ResourceProvider& resources);

  // The GL filter of a mode: NEAREST gives GL_NEAREST, every other value GL_LINEAR.
  static int Filter(InterpolationMode mode);
  // The GL wrap of a mode: MIRRORED_REPEAT and REPEAT map to theirs, every other value to
  // GL_CLAMP_TO_EDGE.
  static int Wrap(RepeatMode mode);

  int albedoTexture = -1;
  int normalTexture = -1;
  std::string _albedoPath;
  std::string _normalPath;
  InterpolationMode _minAlbedoInterpolationMode = InterpolationMode::NEAREST;
  InterpolationMode _maxAlbedoInterpolationMode = InterpolationMode::NEAREST;
  InterpolationMode _minNormalInterpolationMode = InterpolationMode::NEAREST;
  InterpolationMode _maxNormalInterpolationMode = InterpolationMode::NEAREST;
  RepeatMode _albedoRepeatMode = RepeatMode::REPEAT;
  RepeatMode _normalRepeatMode = RepeatMode::REPEAT;
};
DECLARE_TYPE_NAME(class, TextureComponent);
DECLARE_TYPE_NAME(enum, TextureComponent::InterpolationMode);
DECLARE_TYPE_NAME(enum, TextureComponent::RepeatMode);
