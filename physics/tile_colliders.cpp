#include "physics/tile_colliders.h"

#include "components/tilemap.h"

namespace {

template <typename Value>
Value ValueAt(const std::vector<Value>& values, std::size_t index, Value missing) {
  return index < values.size() ? values[index] : missing;
}

}  // namespace

void TileColliderList::AddCollider(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= records.size()) return;
  records[static_cast<std::size_t>(index)].kind = TileKind::GROUND;
}

void TileColliderList::RemoveCollider(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= records.size()) return;
  records[static_cast<std::size_t>(index)].kind = TileKind::NONE;
}

void BuildTileColliders(TileColliderList& list, const Tilemap* map, const glm::mat4& model,
                        const glm::vec3& scale, const GroupCollidable& isGroupCollidable) {
  list.records.clear();
  if (map == nullptr) return;
  list.size = scale;
  list.pitch = scale.y;
  const auto [width, height] = map->GetDimensions();
  list.width = static_cast<int>(width);
  list.height = static_cast<int>(height);
  list.records.reserve(static_cast<std::size_t>(width) * height);

  const float halfWidth = static_cast<float>(width) * 0.5f - 0.5f;
  const float halfHeight = static_cast<float>(height) * 0.5f - 0.5f;
  for (unsigned int row = 0; row < height; ++row) {
    for (unsigned int column = 0; column < width; ++column) {
      const std::size_t index = static_cast<std::size_t>(row) * width + column;
      const float cellHeight = ValueAt(map->heights, index, 0.0f);
      const glm::vec4 local(static_cast<float>(column) - halfWidth, cellHeight,
                            static_cast<float>(row) - halfHeight, 1.0f);
      const glm::vec4 world = model * local;

      TileCollider record;
      record.x = world.x;
      record.z = world.z;
      const bool empty = ValueAt(map->layer1, index, '0') == '0';
      const int group = ValueAt(map->tileValues, index, 0);
      const bool clip = ValueAt(map->layer3, index, '0') == '1';
      if (empty || (isGroupCollidable && !isGroupCollidable(group))) {
        record.kind = TileKind::NONE;
        record.h = 0.0f;
      } else if (cellHeight > 0.0f || clip) {
        record.kind = TileKind::TILE;
        record.h = clip ? kClipHeight : cellHeight;
      } else {
        record.kind = TileKind::GROUND;
        record.h = cellHeight;
      }
      list.records.push_back(record);
    }
  }
}
