#pragma once
// Tile colliders: one record per cell of the tile map, built from the map entity's Tilemap and
// Transform. A record holds the cell centre in the world (x, z), the cell's height from the map
// (1000 for a clip cell) and its kind:
//   TILE (2)    a wall or raised block: height above 0, or a clip cell ("1" in layer 3);
//   GROUND (3)  walkable floor: height 0 or below;
//   none (4)    no collider: an empty cell ("0" in layer 1) or a cell whose group is lowered.
// Cells are numbered row * width + column. Arrays of the map shorter than width * height read
// as empty cells ('0'), no clip, height 0 and group 0 past their end.

#include <cstddef>
#include <functional>
#include <glm/glm.hpp>
#include <vector>

class Tilemap;

enum class TileKind : int { TILE = 2, GROUND = 3, NONE = 4 };

struct TileCollider {
  float x = 0.0f;
  float h = 0.0f;
  float z = 0.0f;
  TileKind kind = TileKind::NONE;
};

// The height of a clip cell: more than any body steps over.
constexpr float kClipHeight = 1000.0f;

struct TileColliderList {
  std::vector<TileCollider> records;
  // The map entity's scale: the tile square is sizeX by sizeZ, pitch (its y scale) turns
  // positions into cells and heights into elevations. They keep their values when a build
  // finds no map.
  glm::vec3 size{0.0f};
  float pitch = 0.0f;
  int width = 0;
  int height = 0;

  // Record i's kind becomes GROUND or none; an index outside the list is ignored.
  void AddCollider(int index);
  void RemoveCollider(int index);
};

// Whether a group of cells (the Tilemap's tile values) currently collides.
using GroupCollidable = std::function<bool(int group)>;

// Replaces the list with the records of `map` placed by `model` (the map entity's matrix) and
// `scale` (its Transform scale). Empties the list when `map` is null.
void BuildTileColliders(TileColliderList& list, const Tilemap* map, const glm::mat4& model,
                        const glm::vec3& scale, const GroupCollidable& isGroupCollidable);
