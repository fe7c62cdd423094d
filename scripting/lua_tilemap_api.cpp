#include "scripting/lua_tilemap_api.h"

#include <cstdint>

#include "components/tilemap.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/entity.h"
#include "engine/entity_manager.h"
#include "scripting/lua_script_system.h"

namespace {

constexpr const char* kMapAlias = "Tilemap";
constexpr char kNoModel = static_cast<char>(255);
constexpr float kOffMap = -99999.0f;

// A map entity's two components; both null when the entity lacks either.
struct MapView {
  Tilemap* map = nullptr;
  Transform* transform = nullptr;
};

MapView FindMap(const LuaScriptSystem& system, const std::string& alias) {
  if (system.entityManager == nullptr || system.componentManager == nullptr) return {};
  const int entity = system.entityManager->FindEntity(alias);
  if (!IsValidEntityId(entity)) return {};
  ComponentManager& components = *system.componentManager;
  if (!components.HasComponent<Tilemap>(entity) || !components.HasComponent<Transform>(entity)) {
    return {};
  }
  return {components.GetComponent<Tilemap>(entity), components.GetComponent<Transform>(entity)};
}

MapView MainMap(const LuaScriptSystem& system) { return FindMap(system, kMapAlias); }

// The tile index under a world position, -1 off the map (or without one). The model matrix is
// rebuilt first, so a script that just moved the map sees it where it is.
int IndexAt(const MapView& view, const glm::vec3& position) {
  if (view.map == nullptr) return -1;
  return view.map->WorldToTileIndex(position, view.transform->UpdateMatrix());
}

// True when `index` is a tile of the map and `list` has an entry for it.
template <typename List>
bool HasEntry(const Tilemap& map, const List& list, long long index) {
  const long long tiles = static_cast<long long>(map.width) * map.height;
  return index >= 0 && index < tiles && static_cast<unsigned long long>(index) < list.size();
}

std::string ModelAt(const MapView& view, long long index, int layer) {
  if (view.map == nullptr) return std::string(1, kNoModel);
  const std::vector<char>& bytes = layer == 1 ? view.map->layer1 : view.map->layer2;
  if (!HasEntry(*view.map, bytes, index)) return std::string(1, kNoModel);
  return std::string(1, bytes[static_cast<std::size_t>(index)]);
}

int GroupAt(const MapView& view, long long index) {
  if (view.map == nullptr || !HasEntry(*view.map, view.map->tileValues, index)) return 0;
  return view.map->tileValues[static_cast<std::size_t>(index)];
}

// Layers other than 1, 2 and 3 (negative ones included) change nothing.
void SetModel(const MapView& view, int index, int layer, std::int8_t value) {
  if (view.map == nullptr) return;
  view.map->SetTile(index, static_cast<unsigned int>(layer), value);
}

}  // namespace

lua::Fields<int, 2> WorldPosToMapCoords(LuaScriptSystem& system, const std::string& alias, float x,
                                        float y, float z) {
  const MapView view = FindMap(system, alias);
  const int index = IndexAt(view, {x, y, z});
  if (index < 0) return {{{"x", -1}, {"y", 0}}};
  const auto tile = static_cast<unsigned int>(index);
  return {{{"x", static_cast<int>(tile % view.map->width)},
           {"y", static_cast<int>(tile / view.map->width)}}};
}

lua::Fields<float, 3> SnapWorldPosToGrid(LuaScriptSystem& system, const std::string& alias, float x,
                                         float y, float z) {
  const MapView view = FindMap(system, alias);
  if (IndexAt(view, {x, y, z}) < 0) return {{{"x", kOffMap}, {"y", kOffMap}, {"z", kOffMap}}};
  const glm::vec3 sample = view.map->WorldToTileSample({x, y, z}, view.transform->modelMatrix);
  return {{{"x", sample.x}, {"y", sample.y}, {"z", sample.z}}};
}

std::string GetTilemapModelAtWorldPosition(LuaScriptSystem& system, const glm::vec3& position,
                                           int layer) {
  const MapView view = MainMap(system);
  return ModelAt(view, IndexAt(view, position), layer);
}

std::string GetTilemapModelAtIndex(LuaScriptSystem& system, int index, int layer) {
  return ModelAt(MainMap(system), index, layer);
}

int GetTilemapGroupAtWorldPosition(LuaScriptSystem& system, const glm::vec3& position) {
  const MapView view = MainMap(system);
  return GroupAt(view, IndexAt(view, position));
}

int GetTilemapGroupAtIndex(LuaScriptSystem& system, int index) {
  return GroupAt(MainMap(system), index);
}

float GetTilemapGroupHeight(LuaScriptSystem& system, int group) {
  const MapView view = MainMap(system);
  if (view.map == nullptr || !system.apiLinks.tileGroupHeight) return 0.0f;
  return system.apiLinks.tileGroupHeight(group) * view.transform->_scale.y;
}

void SetTilemapModelAtIndex(LuaScriptSystem& system, int index, int layer, int value) {
  SetModel(MainMap(system), index, layer, static_cast<std::int8_t>(value));
}

void SetTilemapModelAtWorldPosition(LuaScriptSystem& system, const glm::vec3& position, int layer,
                                    const std::string& text) {
  const MapView view = MainMap(system);
  const int index = IndexAt(view, position);
  if (index < 0) return;
  const int digit = text.empty() ? 0 : static_cast<unsigned char>(text[0]) - '0';
  SetModel(view, index, layer, static_cast<std::int8_t>(digit));
}

std::vector<int> GetTileIndicesInRadius(LuaScriptSystem& system, const glm::vec3& position,
                                        int radius) {
  const MapView view = MainMap(system);
  const int centre = IndexAt(view, position);
  if (centre < 0) return {};
  return view.map->GetTilesInRadius(centre, radius);
}

bool IsIndexCollidable(LuaScriptSystem& system, int index) {
  const int group = GroupAt(MainMap(system), index);
  const auto& collidable = system.apiLinks.isTileGroupCollidable;
  return !collidable || collidable(group);
}

glm::vec3 TileIndexToWorldPos(LuaScriptSystem& system, int index) {
  const MapView view = MainMap(system);
  return view.map != nullptr ? view.map->TileToWorld(index) : glm::vec3(0.0f);
}

long long GetMaxTilemapIndex(LuaScriptSystem& system) {
  const MapView view = MainMap(system);
  if (view.map == nullptr) return -1;
  return static_cast<long long>(view.map->width) * view.map->height - 1;
}
