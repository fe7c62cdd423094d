#include "components/texture_component.h"

#include "engine/decs.h"

int TextureComponent::Filter(InterpolationMode mode) {
  return mode == InterpolationMode::NEAREST ? texture_sampling::kNearest
                                            : texture_sampling::kLinear;
}

int TextureComponent::Wrap(RepeatMode mode) {
  switch (mode) {
    case RepeatMode::MIRRORED_REPEAT:
      return texture_sampling::kMirroredRepeat;
    case RepeatMode::REPEAT:
      return texture_sampling::kRepeat;
    default:
      return texture_sampling::kClampToEdge;
  }
}

void TextureComponent::LoadTextures() {
  if (ResourceProvider* resources = DECS::CurrentResources()) LoadTextures(*resources);
}

void TextureComponent::LoadTextures(ResourceProvider& resources) {
  albedoTexture =
      resources.GetTexture(_albedoPath, Filter(_minAlbedoInterpolationMode),
                           Filter(_maxAlbedoInterpolationMode), Wrap(_albedoRepeatMode));
  normalTexture =
      resources.GetTexture(_normalPath, Filter(_minNormalInterpolationMode),
                           Filter(_maxNormalInterpolationMode), Wrap(_normalRepeatMode));
}
