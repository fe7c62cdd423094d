#pragma once
// The scripts' view of the tile world: world positions to tiles and back, the two model layers
// of a tile, tile groups and their heights, tiles within a radius. RegisterLuaApi publishes
// these under their own names.
//
// The map is the entity aliased "Tilemap" (WorldPosToMapCoords and SnapWorldPosToGrid take the
// alias to use) with both a Tilemap and a Transform. A world position falls on the tile
//   column = round(x / M[0][0] - 0.5 + width / 2), row = round(z / M[1][1] - 0.5 + height / 2)
// of the map's model matrix M; index = column + row * width.
//
// Nothing here fails: without a map, with an empty map, or for a position or index outside it,
// the answers are the out-of-map ones: the byte 255 for a model, group 0, coordinates
// (x = -1, y = 0), a snapped position of -99999 on each axis, no tiles, and edits change
// nothing. Every look-up checks the length of the list it reads. Tile groups come through the
// system's links: without them every group stands (height 0) and collides.

#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "scripting/lua/stack.h"

class LuaScriptSystem;

// The tile of a world position on the map of the entity `alias`: x = column, y = row.
lua::Fields<int, 2> WorldPosToMapCoords(LuaScriptSystem& system, const std::string& alias, float x,
                                        float y, float z);
// The tile's column - width / 2, its height value, and its row - height / 2, in tiles.
lua::Fields<float, 3> SnapWorldPosToGrid(LuaScriptSystem& system, const std::string& alias, float x,
                                         float y, float z);
// The tile's layer-1 byte when `layer` is 1, else its layer-2 byte, as a one-byte string.
std::string GetTilemapModelAtWorldPosition(LuaScriptSystem& system, const glm::vec3& position,
                                           int layer);
std::string GetTilemapModelAtIndex(LuaScriptSystem& system, int index, int layer);
int GetTilemapGroupAtWorldPosition(LuaScriptSystem& system, const glm::vec3& position);
int GetTilemapGroupAtIndex(LuaScriptSystem& system, int index);
// The world height offset of a group's tiles: the group's offset times the map's y scale.
float GetTilemapGroupHeight(LuaScriptSystem& system, int group);
// Sets the tile's layer 1 (layer 1), layer 2 (2) or both (3) to the model `value`, taken as a
// signed 8-bit number; each changed layer is first announced with
// "tilemap_layer_N_modified index value previous-byte" at level 0.
void SetTilemapModelAtIndex(LuaScriptSystem& system, int index, int layer, int value);
// The same for the tile under the position, the model being the digit `text` names (its first
// byte - 48, as a signed 8-bit number; 0 for an empty text).
void SetTilemapModelAtWorldPosition(LuaScriptSystem& system, const glm::vec3& position, int layer,
                                    const std::string& text);
// Indices of the tiles within `radius` tiles (Euclidean) of the tile under the position, row by
// row, then by column.
std::vector<int> GetTileIndicesInRadius(LuaScriptSystem& system, const glm::vec3& position,
                                        int radius);
// False only while the tile's group (0 outside the map) is lowered.
bool IsIndexCollidable(LuaScriptSystem& system, int index);
// ((column - trunc(width / 2)) * 2, 0, (row - trunc(height / 2)) * 2): the tile's centre with
// tiles 2 units wide, before the map's transform; (0, 0, 0) without a map.
glm::vec3 TileIndexToWorldPos(LuaScriptSystem& system, int index);
// width * height - 1; -1 without a map.
long long GetMaxTilemapIndex(LuaScriptSystem& system);
