#include "physics/tilemap_system.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <glm/gtc/matrix_transform.hpp>
#include <string_view>

#include "components/model_list.h"
#include "components/parent.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"

namespace {

constexpr const char* kMapAlias = "Tilemap";
constexpr const char* kPlayerAlias = "player";
constexpr const char* kDitherTexturePath = "./GAME/Assets/Textures/ditherPatternTest.png";
constexpr int kDrawLayer = 1;

// Tile codes a message may write: a code is stored as the character '0' + code.
constexpr int kMaxTileCode = ModelList::kMaxModels;

char TileChar(int code) { return static_cast<char>('0' + code); }

// The character of a layer at an index; '0' (empty) past the layer's end.
char CellAt(const std::vector<char>& layer, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < layer.size()
             ? layer[static_cast<std::size_t>(index)]
             : '0';
}

// (int) of a float, clamped to the range of int (a plain cast of a huge value is undefined).
int TruncateToInt(float value) {
  if (!(value > static_cast<float>(INT_MIN))) return INT_MIN;
  if (!(value < static_cast<float>(INT_MAX))) return INT_MAX;
  return static_cast<int>(value);
}

// A number argument truncated to a cell coordinate; false for a word that is no number or a
// value outside the range of int.
bool ReadCellCoordinate(std::string_view word, int& value) {
  float number = 0.0f;
  if (!ReadMessageFloat(word, number) || !(std::fabs(number) < 2.0e9f)) return false;
  value = static_cast<int>(number);
  return true;
}

bool ReadTileCode(std::string_view word, int& code) {
  return ReadMessageInt(word, code) && code >= 0 && code <= kMaxTileCode;
}

// The resources the tile world keeps in the caches for its editor views and tile art.
void LoadTileResources(ResourceProvider& resources) {
  constexpr int kNearest = texture_sampling::kNearest;
  constexpr int kRepeat = texture_sampling::kRepeat;
  resources.GetMaterial("./GAME/Assets/Materials/TilemapEditorLayer1Material.json");
  resources.GetMaterial("./GAME/Assets/Materials/TilemapEditorLayer2Material.json");
  resources.GetMaterial("./GAME/Assets/Materials/TilemapEditorSelectedMaterial.json");
  resources.GetTexture("./GAME/Assets/Textures/error-notexture.png", kNearest, kNearest, kRepeat);
  resources.GetMesh("./GAME/Assets/Meshes/TilemapFloorTile.txt");
  for (int palette = 1; palette <= 5; ++palette) {
    resources.GetTexture(
        "./GAME/Assets/Textures/Palettes/palette_test_16" + std::to_string(palette) + ".png",
        kNearest, kNearest, kRepeat);
  }
  for (int colour = 0; colour <= 15; ++colour) {
    resources.GetTexture("./GAME/Assets/Textures/SolidColors/" + std::to_string(colour) + ".png",
                         kNearest, kNearest, kRepeat);
  }
  resources.GetTexture(kDitherTexturePath, kNearest, kNearest, kRepeat);
}

}  // namespace

void TilemapSystem::Init() {
  level = 1;
  engine = &DECS::Instance();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<TilemapSystem>(),
                          {std::string(TypeName<Tilemap>()), std::string(TypeName<Parent>()),
                           std::string(TypeName<Transform>())});
  }
  if (ResourceProvider* resources = DECS::CurrentResources()) LoadTileResources(*resources);
}

const TileGroup* TilemapSystem::Group(int group) const {
  if (group < 0 || group >= kGroupCount) return nullptr;
  return &groups[static_cast<std::size_t>(group)];
}

bool TilemapSystem::IsGroupCollidable(int group) const {
  const TileGroup* record = Group(group);
  return record == nullptr || record->state != TileGroup::kLowered;
}

float TilemapSystem::GroupHeight(int group) const {
  const TileGroup* record = Group(group);
  if (record == nullptr) return 0.0f;
  if (record->state == TileGroup::kLowered) return loweredHeight;
  if (record->state == TileGroup::kRising && raiseDuration > 0.0f) {
    const float f = record->timer / raiseDuration;
    return loweredHeight * f * f;
  }
  return 0.0f;
}

MessagingManager* TilemapSystem::Messaging() const {
  return engine != nullptr ? engine->GetManager<MessagingManager>().get() : nullptr;
}

int TilemapSystem::FindMapEntity() const {
  if (engine == nullptr) return kNoEntity;
  const auto names = engine->GetManager<EntityManager>();
  const auto components = engine->GetManager<ComponentManager>();
  if (names == nullptr || components == nullptr) return kNoEntity;
  const int entity = names->FindEntity(kMapAlias);
  if (!IsValidEntityId(entity) || !components->HasComponent<Tilemap>(entity) ||
      !components->HasComponent<Transform>(entity)) {
    return kNoEntity;
  }
  return entity;
}

TilemapSystem::MapView TilemapSystem::MapOf(int entity) const {
  if (!IsValidEntityId(entity) || engine == nullptr) return {};
  const auto components = engine->GetManager<ComponentManager>();
  if (components == nullptr || !components->HasComponent<Tilemap>(entity) ||
      !components->HasComponent<Transform>(entity)) {
    return {};
  }
  return {entity, components->GetComponent<Tilemap>(entity),
          components->GetComponent<Transform>(entity)};
}

const ModelList* TilemapSystem::FindPalette(int mapEntity) const {
  if (!IsValidEntityId(mapEntity) || engine == nullptr) return nullptr;
  const auto components = engine->GetManager<ComponentManager>();
  const auto names = engine->GetManager<EntityManager>();
  if (components == nullptr || names == nullptr || !components->HasComponent<Parent>(mapEntity)) {
    return nullptr;
  }
  const int owner = names->FindEntity(components->GetComponent<Parent>(mapEntity)->_alias);
  if (!IsValidEntityId(owner) || !components->HasComponent<ModelList>(owner)) return nullptr;
  return components->GetComponent<ModelList>(owner);
}

std::optional<int> TilemapSystem::PaletteCode(const ModelList* palette, const std::string& name) {
  if (palette != nullptr) {
    if (const auto found = palette->namedModels.find(name); found != palette->namedModels.end()) {
      return found->second;
    }
  }
  if (reportedNames.insert(name).second) {
    std::printf("TilemapSystem : the palette '%s' names no tile '%s'; it matches no cell\n",
                palette != nullptr ? palette->_path.c_str() : "(none)", name.c_str());
  }
  return std::nullopt;
}

void TilemapSystem::UpdateBackup() {
  const MapView main = MainMap();
  if (main.map == nullptr) return;
  const auto [width, height] = main.map->GetDimensions();
  if (mapBackup != nullptr && backupEntity == main.entity && backupWidth == width &&
      backupHeight == height) {
    return;
  }
  mapBackup = std::make_shared<Tilemap>(*main.map);
  backupEntity = main.entity;
  backupWidth = width;
  backupHeight = height;
}

void TilemapSystem::AnimateHeights(Tilemap& map) const {
  const auto [width, height] = map.GetDimensions();
  const bool backupFits =
      mapBackup != nullptr && mapBackup->width == width && mapBackup->height == height;
  const std::size_t count = std::min(static_cast<std::size_t>(width) * height, map.heights.size());
  for (std::size_t index = 0; index < count; ++index) {
    const TileGroup* group = Group(map.GetTileValue(static_cast<int>(index)));
    if (group == nullptr) continue;
    if (group->state == TileGroup::kLowered) {
      map.heights[index] = loweredHeight;
    } else if (group->state == TileGroup::kRising && backupFits) {
      const float f = raiseDuration > 0.0f ? group->timer / raiseDuration : 0.0f;
      const float target = mapBackup->GetHeight(static_cast<int>(index));
      map.heights[index] = loweredHeight + (1.0f - f * f) * (target - loweredHeight);
    }
  }
}

void TilemapSystem::AdvanceGroups(float dt) {
  MessagingManager* messaging = Messaging();
  for (TileGroup& group : groups) {
    if (group.timer > 0.0f) {
      group.timer = std::max(group.timer - dt, 0.0f);
      if (group.timer < raiseDuration * 2.0f / 3.0f && !group.refreshSent) {
        group.refreshSent = true;
        if (messaging != nullptr) messaging->PostFormatted("calculate_tile_colliders", 1);
      }
    } else if (!group.settled) {
      group.timer = 0.0f;
      if (group.state != TileGroup::kLowered) group.state = TileGroup::kStanding;
      group.refreshSent = false;
      group.settled = true;
      if (messaging != nullptr) messaging->PostFormatted("calculate_tile_colliders", 1);
    }
  }
}

void TilemapSystem::Update(float dt) {
  UpdateBackup();
  // Changing heights sends no message, so the set is walked in place.
  for (const int entity : entities) {
    if (Tilemap* map = MapOf(entity).map) AnimateHeights(*map);
  }
  AdvanceGroups(dt);
}

void TilemapSystem::SetGroup(int group, bool lower) {
  if (group < 0 || group >= kGroupCount) return;
  TileGroup& record = groups[static_cast<std::size_t>(group)];
  record.settled = false;
  if (lower) {
    record.state = TileGroup::kLowered;
    if (MessagingManager* messaging = Messaging()) {
      messaging->PostFormatted("calculate_tile_colliders", 1);
    }
  } else {
    record.state = TileGroup::kRising;
    record.timer = raiseDuration;
  }
}

void TilemapSystem::TryLift(const std::string& message, MessagingManager& messaging) {
  std::string_view words[3];
  float range = 0.0f;
  glm::vec3 target(0.0f);
  if (!SplitMessageArguments(message, words, 3) || !ReadMessageFloat(words[0], range) ||
      !ReadMessageFloat(words[1], target.x) || !ReadMessageFloat(words[2], target.z)) {
    messaging.ReplyFormatted("%i %i %i", 0, 0, 0);
    return;
  }
  int liftable = 0;
  const MapView main = MainMap();
  const auto names = engine->GetManager<EntityManager>();
  const auto components = engine->GetManager<ComponentManager>();
  const int player = names != nullptr ? names->FindEntity(kPlayerAlias) : kNoEntity;
  if (main.map != nullptr && IsValidEntityId(player) &&
      components->HasComponent<Transform>(player)) {
    const glm::vec3 playerPosition = components->GetComponent<Transform>(player)->_position;
    const glm::mat4& model = main.transform->UpdateMatrix();
    const int cell = main.map->WorldToTileIndex(target, model);
    const float dx = playerPosition.x - target.x;
    const float dz = playerPosition.z - target.z;
    liftable = cell >= 0 && std::sqrt(dx * dx + dz * dz) <= range &&
               cell != main.map->WorldToTileIndex(playerPosition, model) &&
               CellAt(main.map->layer2, cell) == '0' &&
               IsGroupCollidable(main.map->GetTileValue(cell));
  }
  messaging.ReplyFormatted("%i %i %i", liftable, TruncateToInt(target.x), TruncateToInt(target.z));
}

void TilemapSystem::SetTileAt(const std::string& message, MessagingManager& messaging) {
  int changed = 0;
  glm::vec3 sample(-99999.0f);
  int index = kNoEntity;
  std::string_view words[3];
  glm::vec3 position(0.0f);
  int code = 0;
  const bool valid = SplitMessageArguments(message, words, 3) &&
                     ReadMessageFloat(words[0], position.x) &&
                     ReadMessageFloat(words[1], position.z) && ReadMessageInt(words[2], code);
  // A code no tile can hold changes nothing; the reply still describes the place asked about.
  const bool codeRefused = valid && !ReadTileCode(words[2], code);
  if (codeRefused) {
    std::printf(
        "TilemapSystem : tilemap_set_tile refuses the tile code %d (codes run from 0 to "
        "%d); no tile changes\n",
        code, kMaxTileCode);
  }

  const std::vector<int> maps(entities.begin(), entities.end());
  for (const int entity : maps) {
    const MapView view = MapOf(entity);
    if (!valid || view.map == nullptr) continue;
    const glm::mat4& model = view.transform->UpdateMatrix();
    sample = view.map->WorldToTileSample(position, model);
    index = view.map->WorldToTileIndex(position, model);
    if (index < 0) continue;
    if (codeRefused) {
      changed = 0;
      break;
    }
    const ModelList* palette = FindPalette(entity);
    const char cell = CellAt(view.map->layer1, index);
    const std::optional<int> unbreakable = PaletteCode(palette, "unbreakable");
    if (cell == TileChar(code) || (unbreakable && cell == TileChar(*unbreakable))) {
      changed = 0;
      break;
    }
    const int column = index % static_cast<int>(view.map->width);
    const int row = index / static_cast<int>(view.map->width);
    view.map->SetTile(index, 1, code);
    messaging.PostFormatted("remove_tile_collider %d", 1, index);
    const std::optional<int> pickup = PaletteCode(palette, "pickup_block");
    const std::optional<int> regenEdge = PaletteCode(palette, "regen_edge");
    if (pickup && regenEdge) {
      // TileIndex checks the cells against the map as it is now: a handler of the messages
      // above may have changed it.
      for (int y = row - 1; y <= row + 1; ++y) {
        for (int x = column - 1; x <= column + 1; ++x) {
          const int neighbour = view.map->TileIndex(x, y);
          if (neighbour >= 0 && CellAt(view.map->layer1, neighbour) == TileChar(*pickup)) {
            view.map->SetTile(neighbour, 1, *regenEdge);
          }
        }
      }
    }
    changed = 1;
  }
  messaging.ReplyFormatted("%i %i %i %i", changed, TruncateToInt(sample.x), TruncateToInt(sample.z),
                           index);
}

void TilemapSystem::ShapeWalls(Tilemap& map) {
  const int width = static_cast<int>(map.width);
  const int height = static_cast<int>(map.height);
  const auto isFloor = [&](int column, int row) {
    const char cell = CellAt(map.layer1, map.TileIndex(column, row));
    return map.TileIndex(column, row) >= 0 && cell >= '1' && cell <= '8';
  };
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      const int index = map.TileIndex(column, row);
      if (!(CellAt(map.layer1, index) > '8')) continue;
      const int mask = (isFloor(column, row - 1) ? 1 : 0) + (isFloor(column - 1, row) ? 2 : 0) +
                       (isFloor(column + 1, row) ? 4 : 0) + (isFloor(column, row + 1) ? 8 : 0);
      map.SetTile(index, 1, 24 - mask);
    }
  }
}

// Messages ------------------------------------------------------------------------------------

void TilemapSystem::HandleMessage(const std::string& message) {
  // Each word and the handler that answers it; a word not listed is not the tile world's.
  struct Command {
    std::string_view word;
    void (TilemapSystem::*handle)(const std::string& message, MessagingManager& messaging);
  };
  static constexpr Command kCommands[] = {
      {"scene_load", &TilemapSystem::PublishMapSize},
      {"tilemap_randomize", &TilemapSystem::RandomizeMaps},
      {"tilemap_try_lift", &TilemapSystem::TryLift},
      {"tilemap_regen_tile", &TilemapSystem::RegenerateTile},
      {"tilemap_set_tile", &TilemapSystem::SetTileAt},
      {"now_loading_scene", &TilemapSystem::RaiseAllGroups},
      {"tilemap_edge_detect_whole", &TilemapSystem::ShapeAllWalls},
      {"tedw", &TilemapSystem::ShapeAllWalls},
      {"tilemap_get_tile_at_pos", &TilemapSystem::ReplyTileAt},
      {"tilemap_psuedo_collision_at_pos", &TilemapSystem::SetCellTile},
      {"tilemap_get_pos", &TilemapSystem::ReplyCellOfPosition},
      {"tilemap_get_index", &TilemapSystem::ReplyCellIndex},
      {"tilemap_set_group", &TilemapSystem::SetGroupFromWord},
      {"tilemap_get_group_collidable", &TilemapSystem::ReplyGroupCollidable},
      {"level_reset", &TilemapSystem::LowerLevelGroup},
      {"level_end", &TilemapSystem::RaiseLevelGroup},
      {"get_tile_name", &TilemapSystem::ReplyTileName},
  };
  MessagingManager* messaging = Messaging();
  if (messaging == nullptr) return;
  for (const Command& command : kCommands) {
    if (!IsMessage(message, command.word)) continue;
    (this->*command.handle)(message, *messaging);
    return;
  }
}

void TilemapSystem::PublishMapSize(const std::string&, MessagingManager&) {
  const MapView main = MainMap();
  if (main.map == nullptr) return;
  engine->globalUniforms.floats["mapScale"] = main.transform->_scale.x;
  engine->globalUniforms.ints["mapWidth"] = static_cast<int>(main.map->width);
  engine->globalUniforms.ints["mapHeight"] = static_cast<int>(main.map->height);
}

void TilemapSystem::RandomizeMaps(const std::string& message, MessagingManager&) {
  std::string_view words[2];
  int seed = 0;
  int count = 0;
  if (!SplitMessageArguments(message, words, 2) || !ReadMessageInt(words[0], seed) ||
      !ReadMessageInt(words[1], count) || count < 0) {
    return;
  }
  for (const int entity : std::vector<int>(entities.begin(), entities.end())) {
    if (Tilemap* map = MapOf(entity).map) map->RandomFill(seed, static_cast<unsigned int>(count));
  }
}

void TilemapSystem::RegenerateTile(const std::string& message, MessagingManager& messaging) {
  std::string_view word;
  int index = 0;
  if (!SplitMessageArguments(message, &word, 1) || !ReadMessageInt(word, index)) return;
  for (const int entity : std::vector<int>(entities.begin(), entities.end())) {
    const MapView view = MapOf(entity);
    if (view.map == nullptr) continue;
    const std::optional<int> opal = PaletteCode(FindPalette(entity), "opal");
    if (!opal) continue;
    view.map->SetTile(index, 1, *opal);
    messaging.PostFormatted("add_tile_collider %d", 1, index);
  }
}

void TilemapSystem::RaiseAllGroups(const std::string&, MessagingManager&) {
  for (int group = 0; group < kLevelGroup; ++group) {
    TileGroup& record = groups[static_cast<std::size_t>(group)];
    record.state = TileGroup::kRising;
    record.timer = 0.0f;
    record.settled = false;
  }
}

void TilemapSystem::ShapeAllWalls(const std::string&, MessagingManager&) {
  for (const int entity : std::vector<int>(entities.begin(), entities.end())) {
    if (Tilemap* map = MapOf(entity).map) ShapeWalls(*map);
  }
}

void TilemapSystem::ReplyTileAt(const std::string& message, MessagingManager& messaging) {
  std::string_view words[2];
  int column = 0;
  int row = 0;
  const MapView main = MainMap();
  const int index = main.map != nullptr && SplitMessageArguments(message, words, 2) &&
                            ReadCellCoordinate(words[0], column) &&
                            ReadCellCoordinate(words[1], row)
                        ? main.map->TileIndex(column, row)
                        : -1;
  if (index < 0) {
    messaging.ReplyFormatted("%i %i %i", -1, -49, -49);
  } else {
    messaging.ReplyFormatted("%i %i %i", index, CellAt(main.map->layer1, index) - '0',
                             CellAt(main.map->layer2, index) - '0');
  }
}

void TilemapSystem::SetCellTile(const std::string& message, MessagingManager&) {
  std::string_view words[4];
  int column = 0;
  int row = 0;
  int code = 0;
  int layers = 0;
  if (!SplitMessageArguments(message, words, 4) || !ReadCellCoordinate(words[0], column) ||
      !ReadCellCoordinate(words[1], row) || !ReadTileCode(words[2], code) ||
      !ReadMessageInt(words[3], layers) || layers < 1 || layers > 3) {
    return;
  }
  for (const int entity : std::vector<int>(entities.begin(), entities.end())) {
    if (Tilemap* map = MapOf(entity).map) {
      map->SetTile(map->TileIndex(column, row), static_cast<unsigned int>(layers), code);
    }
  }
}

void TilemapSystem::ReplyCellOfPosition(const std::string& message, MessagingManager& messaging) {
  std::string_view words[2];
  glm::vec3 position(0.0f);
  const MapView main = MainMap();
  glm::vec2 cell(-1.0f, -1.0f);
  if (main.map != nullptr) {
    cell = {-1.0f, 0.0f};
    if (SplitMessageArguments(message, words, 2) && ReadMessageFloat(words[0], position.x) &&
        ReadMessageFloat(words[1], position.z)) {
      cell = main.map->WorldToTileCoords(position, main.transform->UpdateMatrix());
    }
  }
  messaging.ReplyFormatted("%f %f", static_cast<double>(cell.x), static_cast<double>(cell.y));
}

void TilemapSystem::ReplyCellIndex(const std::string& message, MessagingManager& messaging) {
  std::string_view words[2];
  int column = 0;
  int row = 0;
  const MapView main = MainMap();
  const int index = main.map != nullptr && SplitMessageArguments(message, words, 2) &&
                            ReadMessageInt(words[0], column) && ReadMessageInt(words[1], row)
                        ? main.map->TileIndex(column, row)
                        : -1;
  messaging.ReplyFormatted("%d", index);
}

void TilemapSystem::SetGroupFromWord(const std::string& message, MessagingManager&) {
  std::string_view words[2];
  int group = 0;
  if (!SplitMessageArguments(message, words, 2) || !ReadMessageInt(words[0], group)) return;
  if (words[1] == "lower" || words[1] == "raise") SetGroup(group, words[1] == "lower");
}

void TilemapSystem::ReplyGroupCollidable(const std::string& message, MessagingManager& messaging) {
  std::string_view word;
  int group = -1;
  const bool read = SplitMessageArguments(message, &word, 1) && ReadMessageInt(word, group);
  messaging.ReplyFormatted("%i", !read || IsGroupCollidable(group) ? 1 : 0);
}

void TilemapSystem::LowerLevelGroup(const std::string&, MessagingManager& messaging) {
  messaging.PostFormattedTo(this, "tilemap_set_group %d lower", 1, kLevelGroup);
  mapBackup.reset();
}

void TilemapSystem::RaiseLevelGroup(const std::string&, MessagingManager& messaging) {
  messaging.PostFormattedTo(this, "tilemap_set_group %d raise", 1, kLevelGroup);
}

void TilemapSystem::ReplyTileName(const std::string& message, MessagingManager& messaging) {
  std::string_view word;
  int code = 0;
  if (!SplitMessageArguments(message, &word, 1) || !ReadMessageInt(word, code)) return;
  std::string name;
  if (const ModelList* palette = FindPalette(FindMapEntity())) {
    for (const auto& [tileName, tileCode] : palette->namedModels) {
      if (tileCode == code) name = tileName;
    }
  }
  std::printf("%s\n", name.c_str());
  messaging.ReplyFormatted("%s", name.c_str());
}

void TilemapSystem::DrawMap(const MapView& view) {
  const ModelList* palette = FindPalette(view.entity);
  if (palette == nullptr) return;
  const Tilemap& map = *view.map;
  const glm::mat4& model = view.transform->UpdateMatrix();
  const std::optional<int> playerClip = PaletteCode(palette, "player_clip");
  const float halfWidth = static_cast<float>(map.width) * 0.5f - 0.5f;
  const float halfHeight = static_cast<float>(map.height) * 0.5f - 0.5f;

  const auto queueCell = [&](char cell, const glm::mat4& cellModel) {
    const int code = cell - '0';
    if (code < 1 || code > palette->modelCount || code > ModelList::kModelSlots) return;
    const std::vector<unsigned int>& slot = palette->models[static_cast<std::size_t>(code - 1)];
    if (slot.size() < 4) return;
    DrawRequest draw;
    draw.mesh = static_cast<int>(slot[0]);
    draw.textureA = static_cast<int>(slot[1]);
    draw.textureB = static_cast<int>(slot[2]);
    draw.material = static_cast<int>(slot[3]);
    draw.model = cellModel;
    draw.layer = kDrawLayer;
    drawQueue->QueueDraw(draw);
  };

  for (unsigned int row = 0; row < map.height; ++row) {
    for (unsigned int column = 0; column < map.width; ++column) {
      const int index = map.TileIndex(static_cast<int>(column), static_cast<int>(row));
      const char first = CellAt(map.layer1, index);
      const char second = CellAt(map.layer2, index);
      const bool drawFirst = first != '0' && first != '\n';
      const bool drawSecond =
          second != '0' && second != '\n' && !(playerClip && second == TileChar(*playerClip));
      if (!drawFirst && !drawSecond) continue;
      const glm::mat4 cellModel = glm::translate(
          model, glm::vec3(static_cast<float>(column) - halfWidth, map.GetHeight(index),
                           static_cast<float>(row) - halfHeight));
      if (drawFirst) queueCell(first, cellModel);
      if (drawSecond) queueCell(second, cellModel);
    }
  }
}

void TilemapSystem::Render() {
  if (engine == nullptr) return;
  for (const int entity : entities) {
    const MapView view = MapOf(entity);
    if (view.map == nullptr) continue;
    engine->globalUniforms.vec2Values["tilemapDimensions"] =
        glm::vec2(static_cast<float>(view.map->width), static_cast<float>(view.map->height));
    if (drawQueue != nullptr) DrawMap(view);
  }
}
