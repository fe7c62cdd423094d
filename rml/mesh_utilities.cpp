#include "rml/mesh_utilities.h"

namespace Rml::MeshUtilities {

void GenerateQuad(Mesh& mesh, Vector2f origin, Vector2f size, Colourb colour, Vector2f uv0,
                  Vector2f uv1) {
  const int base = int(mesh.vertices.size());
  mesh.vertices.push_back({origin, colour, uv0});
  mesh.vertices.push_back({{origin.x + size.x, origin.y}, colour, {uv1.x, uv0.y}});
  mesh.vertices.push_back({origin + size, colour, uv1});
  mesh.vertices.push_back({{origin.x, origin.y + size.y}, colour, {uv0.x, uv1.y}});
  for (int index : {0, 1, 2, 0, 2, 3}) mesh.indices.push_back(base + index);
}

}  // namespace Rml::MeshUtilities
