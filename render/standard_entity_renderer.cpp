#include "render/standard_entity_renderer.h"

// It keeps running while the pause menu is open.
StandardEntityRenderer::StandardEntityRenderer() {
  pausable = false;
}
