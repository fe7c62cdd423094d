#pragma once
// The debug views of the physics systems (velocity arrows, collider outlines) share one look:
// the debug material drawn on the scene layer, tinted by a colour that replaces the material's
// diffuse colour while keeping its alpha.

#include <glm/glm.hpp>

#include "render/draw_queue.h"

namespace physics_debug {

constexpr const char* kMaterialPath = "./GAME/Assets/Materials/CollisionDebugMaterial.json";
// The debug material's own alpha, kept when the colour is replaced.
constexpr float kAlpha = 0.6f;
// The scene layer.
constexpr int kLayer = 1;

// Turns a quad or arrow lying in the x-y plane (pointing along +y) flat onto the ground plane
// (pointing along +z).
glm::mat4 LayFlat(const glm::mat4& model);

// One debug draw of `mesh` with `texture`, tinted `colour`.
DrawRequest Draw(int mesh, int material, int texture, const glm::mat4& model,
                 const glm::vec3& colour);

}  // namespace physics_debug
