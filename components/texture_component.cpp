#include "components/texture_component.h"

void TextureComponent::LoadTextures() {
  // The loading arrives with the texture cache.
}
