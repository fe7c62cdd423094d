#pragma once
// TilemapSystem: the tile world of a level. Its entities have a Tilemap, a Parent and a
// Transform (in practice the one map entity, aliased "Tilemap"); the Parent names the entity
// whose ModelList is the map's palette (tile code <-> name, and the models that draw a code).
//
// Tile groups: every cell belongs to the group of its Tilemap tile value, 0..15. A group is
// standing (0), lowered (1) or rising (2). Update sinks the cells of lowered groups to
// `loweredHeight` and lifts the cells of rising groups back to the heights of the map backup
// over `raiseDuration` seconds (fast at first), asking the collision system to rebuild the tile
// colliders ("calculate_tile_colliders", level 1) a third of the way into a rise and whenever
// a group settles. Cells of a group outside 0..15 never move and always collide. The backup is
// a copy of the map entity's Tilemap, taken when there is none yet, when the map entity or its
// size changes, and again after "level_reset".
//
// Render queues the palette model of every non-empty cell of layer 1 and layer 2 (except the
// "player_clip" code) on layer 1, and publishes the vec2 "tilemapDimensions".
//
// Messages, dispatched from a table of word -> handler (a malformed number makes a message do
// nothing, queries then answer as for a cell outside the map):
//   scene_load                      publishes "mapScale", "mapWidth", "mapHeight"
//   tilemap_randomize seed n        random fill of each map
//   tilemap_try_lift range x z      "%i %i %i": liftable, (int) x, (int) z
//   tilemap_regen_tile index        layer 1 := "opal"; "add_tile_collider index" (level 1)
//   tilemap_set_tile x z code       "%i %i %i %i": changed, sample x and z, index
//   now_loading_scene               groups 0..14 rise from nothing and settle
//   tilemap_edge_detect_whole, tedw wall shaping by the floor neighbours
//   tilemap_get_tile_at_pos c r     "%i %i %i": index, layer 1 and layer 2 codes; "-1 -49 -49"
//   tilemap_psuedo_collision_at_pos c r code layers   sets the cell's tile
//   tilemap_get_pos x z             "%f %f": column and row ("-1 0" outside, "-1 -1" no map)
//   tilemap_get_index c r           "%d": index or -1
//   tilemap_set_group g lower|raise
//   tilemap_get_group_collidable g  "%i"
//   level_reset, level_end          lower / raise group 15
//   get_tile_name code              "%s": the palette name of the code (also printed)
// A palette name the ModelList lacks has no code: it matches no cell and is logged once.

#include <array>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "engine/base_system.h"
#include "engine/type_name.h"
#include "render/draw_queue.h"

class DECS;
class MessagingManager;
class ModelList;
class Tilemap;
class Transform;

struct TileGroup {
  static constexpr int kStanding = 0;
  static constexpr int kLowered = 1;
  static constexpr int kRising = 2;

  int state = kStanding;
  bool refreshSent = false;
  bool settled = false;
  // Seconds left of the rise.
  float timer = 0.0f;
};

class TilemapSystem : public BaseSystem {
 public:
  static constexpr int kGroupCount = 16;
  // The group "level_reset" lowers and "level_end" raises.
  static constexpr int kLevelGroup = 15;

  void HandleMessage(const std::string& message) override;
  void Init() override;
  void Update(float dt) override;
  void Render() override;

  // Where the tiles go; not owned. Unset, nothing is drawn.
  void SetDrawQueue(DrawQueue* queue) { drawQueue = queue; }

  // The group record of an id 0..15; null for any other id.
  const TileGroup* Group(int group) const;
  // False only for a lowered group 0..15.
  bool IsGroupCollidable(int group) const;
  // The offset of a group's cells from their own heights, before the map's scale: the lowered
  // height while lowered, lowered height * f^2 while rising (f: the share of the rise still to
  // go), else 0; 0 for a group outside 0..15.
  float GroupHeight(int group) const;
  float LoweredHeight() const { return loweredHeight; }
  float RaiseDuration() const { return raiseDuration; }
  // The backup the rising cells return to; null before the first update with a map.
  const Tilemap* MapBackup() const { return mapBackup.get(); }

  // The map entity ("Tilemap" with a Tilemap and a Transform), or -1.
  int FindMapEntity() const;
  // The palette of a map entity (its Parent's ModelList), or null.
  const ModelList* FindPalette(int mapEntity) const;
  // The tile code of a palette name, or nothing (logged once per name).
  std::optional<int> PaletteCode(const ModelList* palette, const std::string& name);

 private:
  struct MapView {
    int entity = -1;
    Tilemap* map = nullptr;
    Transform* transform = nullptr;
  };
  MapView MapOf(int entity) const;
  MapView MainMap() const { return MapOf(FindMapEntity()); }

  void UpdateBackup();
  void AnimateHeights(Tilemap& map) const;
  void AdvanceGroups(float dt);
  void SetGroup(int group, bool lower);

  // The handlers of the words listed above, one per word; each reads its own arguments.
  void PublishMapSize(const std::string& message, MessagingManager& messaging);
  void RandomizeMaps(const std::string& message, MessagingManager& messaging);
  void TryLift(const std::string& message, MessagingManager& messaging);
  void RegenerateTile(const std::string& message, MessagingManager& messaging);
  void SetTileAt(const std::string& message, MessagingManager& messaging);
  void RaiseAllGroups(const std::string& message, MessagingManager& messaging);
  void ShapeAllWalls(const std::string& message, MessagingManager& messaging);
  void ReplyTileAt(const std::string& message, MessagingManager& messaging);
  void SetCellTile(const std::string& message, MessagingManager& messaging);
  void ReplyCellOfPosition(const std::string& message, MessagingManager& messaging);
  void ReplyCellIndex(const std::string& message, MessagingManager& messaging);
  void SetGroupFromWord(const std::string& message, MessagingManager& messaging);
  void ReplyGroupCollidable(const std::string& message, MessagingManager& messaging);
  void LowerLevelGroup(const std::string& message, MessagingManager& messaging);
  void RaiseLevelGroup(const std::string& message, MessagingManager& messaging);
  void ReplyTileName(const std::string& message, MessagingManager& messaging);

  void ShapeWalls(Tilemap& map);
  void DrawMap(const MapView& view);
  MessagingManager* Messaging() const;

  DECS* engine = nullptr;
  DrawQueue* drawQueue = nullptr;
  std::array<TileGroup, kGroupCount> groups{};
  float loweredHeight = -7.0f;
  float raiseDuration = 2.0f;
  std::shared_ptr<Tilemap> mapBackup;
  int backupEntity = -1;
  unsigned int backupWidth = 0;
  unsigned int backupHeight = 0;
  std::set<std::string> reportedNames;
};
DECLARE_TYPE_NAME(class, TilemapSystem);
