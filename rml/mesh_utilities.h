#pragma once
// Building meshes by hand: quads for backgrounds, borders, images and decorators.

#include "rml/types.h"

namespace Rml::MeshUtilities {

// Appends a quad (two triangles) at origin with size, one colour (premultiplied) and texture
// coordinates from top_left_uv to bottom_right_uv.
void GenerateQuad(Mesh& mesh, Vector2f origin, Vector2f size, Colourb colour,
                  Vector2f top_left_uv = {0, 0}, Vector2f bottom_right_uv = {1, 1});

}  // namespace Rml::MeshUtilities
