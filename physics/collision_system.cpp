#include "physics/collision_system.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <glm/gtc/matrix_transform.hpp>

#include "components/collider.h"
#include "components/physics.h"
#include "components/tilemap.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "physics/collision_shapes.h"
#include "physics/debug_draw.h"

namespace {

constexpr int kLayerCount = 7;
// Which collider layers collide: DEFAULT, BULLET, PLAYER, ENEMY, PLAYER_DASHING,
// MEGA_BLOCK_ENEMY, PUSHER. Tiles count as DEFAULT.
constexpr int kLayerTable[kLayerCount][kLayerCount] = {
    {1, 1, 1, 1, 1, 0, 0}, {1, 0, 0, 1, 0, 1, 0}, {1, 0, 0, 1, 0, 1, 1}, {1, 1, 1, 1, 1, 0, 0},
    {1, 0, 0, 1, 0, 1, 0}, {0, 1, 1, 0, 1, 0, 0}, {0, 0, 1, 0, 0, 0, 0},
};
constexpr int kTileLayer = 0;

constexpr const char* kMapAlias = "Tilemap";
// Best floor height while none has been found.
constexpr float kNoFloor = -999.0f;
// A tile this much above the body's elevation is a wall.
constexpr float kStepHeight = 0.5f;
// Above this elevation a box body is pushed out of floor tiles as well.
constexpr float kAboveFloor = 0.9f;
// Cell coordinates beyond this count as outside any map (and keep the casts to int defined).
constexpr double kMaxCellCoordinate = 1.0e9;

using shapes::Bounds;

// A box body's box (position + offset, half its size) on the floor plane.
shapes::Box BoxOf(const CollisionBody& body) {
  const glm::vec3 centre = body.transform->_position + body.collider->_offset;
  return {{centre.x, centre.z}, {body.collider->_size.x * 0.5f, body.collider->_size.z * 0.5f}};
}

// A circle body's circle, centred at position + offset.
shapes::Circle CircleOf(const CollisionBody& body) {
  const glm::vec3 centre = body.transform->_position + body.collider->_offset;
  return {{centre.x, centre.z}, body.collider->_radius};
}

shapes::Box SquareOf(const TileCollider& tile, const glm::vec3& size) {
  return {{tile.x, tile.z}, {size.x * 0.5f, size.z * 0.5f}};
}

// The circle of `radius` at the body's world position; touching counts.
bool CircleMeets(const CollisionBody& body, float radius, const Bounds& rect) {
  const glm::vec3& world = body.collider->worldPosition;
  return shapes::CircleMeets({world.x, world.z}, radius, rect);
}

bool IsMoving(const Physics& body) {
  return body._velocity.x != 0.0f || body._velocity.y != 0.0f || body._velocity.z != 0.0f;
}

// The elevation of a box body in tile units (circles keep theirs). `_isGrounded` follows it.
void RefreshElevation(CollisionBody& body, float pitch) {
  Collider& collider = *body.collider;
  if (collider._type != ColliderType::AABB) return;
  if (pitch == 0.0f || !std::isfinite(pitch)) return;
  collider.elevation = body.transform->_position.y / pitch;
  if (collider.elevation > 0.0f) {
    collider._isGrounded = false;
  } else if (collider.elevation == 0.0f) {
    collider._isGrounded = true;
  }
}

// Moves the body by `normal` * `penetration` in x-z and takes the velocity into the normal
// away.
void PushOut(CollisionBody& body, const glm::vec2& normal, float penetration) {
  body.transform->_position.x += normal.x * penetration;
  body.transform->_position.z += normal.y * penetration;
  glm::vec3& velocity = body.physics->_velocity;
  const float into = velocity.x * normal.x + velocity.z * normal.y;
  if (into < 0.0f) {
    velocity.x -= into * normal.x;
    velocity.z -= into * normal.y;
  }
}

}  // namespace

bool CollidesWith(int layerA, int layerB) {
  if (layerA < 0 || layerA >= kLayerCount || layerB < 0 || layerB >= kLayerCount) return false;
  return kLayerTable[layerA][layerB] == 1;
}

namespace collision {

void ResolveBoxTile(CollisionBody& body, const TileCollider& tile, const glm::vec3& tileSize) {
  const glm::vec3 centre = body.transform->_position + body.collider->_offset;
  glm::vec3& velocity = body.physics->_velocity;
  // Moving away from the tile: leave it. Only the motion across the floor counts: a wall is
  // far taller than the body, so a body sinking beside it would otherwise seem to leave it.
  const glm::vec2 fromTile(centre.x - tile.x, centre.z - tile.z);
  if (glm::dot(fromTile, glm::vec2(velocity.x, velocity.z)) > 1.0f) return;
  const shapes::Manifold contact = shapes::BoxBox(BoxOf(body), SquareOf(tile, tileSize));
  const bool alongX = contact.normal.x != 0.0f;
  const int axis = alongX ? 0 : 2;
  body.transform->_position[axis] += (alongX ? contact.normal.x : contact.normal.y) * contact.depth;
  velocity[axis] = 0.0f;
}

void ResolveCircleTile(CollisionBody& body, const TileCollider& tile, const glm::vec3& tileSize) {
  const shapes::Manifold contact =
      shapes::CircleBoxFromNearest(CircleOf(body), SquareOf(tile, tileSize));
  PushOut(body, contact.normal, contact.depth);
}

void ResolveBoxBox(CollisionBody& a, CollisionBody& b) {
  // The pair pass has found the boxes touching.
  const shapes::Manifold contact = shapes::BoxBox(BoxOf(a), BoxOf(b));
  const bool alongX = contact.normal.x != 0.0f;
  const int axis = alongX ? 0 : 2;
  const float push = (alongX ? contact.normal.x : contact.normal.y) * contact.depth;
  const bool aMoves = IsMoving(*a.physics);
  const bool bMoves = IsMoving(*b.physics);
  if (aMoves && bMoves) {
    a.transform->_position[axis] += push * 0.5f;
    b.transform->_position[axis] -= push * 0.5f;
  } else if (aMoves) {
    a.transform->_position[axis] += push;
  } else {
    b.transform->_position[axis] -= push;
  }
  a.physics->_velocity[axis] = 0.0f;
  b.physics->_velocity[axis] = 0.0f;
}

void ResolveCircleBox(CollisionBody& circle, const CollisionBody& box) {
  const shapes::Manifold contact = shapes::CircleBox(CircleOf(circle), BoxOf(box));
  if (contact.touching) PushOut(circle, contact.normal, contact.depth);
}

void CircleImpulse(CollisionBody& a, CollisionBody& b) {
  const shapes::Velocities after =
      shapes::ElasticBounce({a.transform->_position, a.physics->_velocity, a.physics->_mass},
                            {b.transform->_position, b.physics->_velocity, b.physics->_mass});
  a.physics->_velocity = after.a;
  b.physics->_velocity = after.b;
}

}  // namespace collision

void CollisionSystem::Init() {
  level = 1;
  engine = &DECS::Instance();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<CollisionSystem>(),
                          {std::string(TypeName<Collider>()), std::string(TypeName<Transform>()),
                           std::string(TypeName<Physics>())});
  }
  if (ResourceProvider* resources = DECS::CurrentResources()) {
    constexpr int kNearest = texture_sampling::kNearest;
    constexpr int kRepeat = texture_sampling::kRepeat;
    quadMesh = resources->GetMesh(kQuadMeshPath);
    debugMaterial = resources->GetMaterial(physics_debug::kMaterialPath);
    circleTexture = resources->GetTexture(kCircleTexturePath, kNearest, kNearest, kRepeat);
    squareTexture = resources->GetTexture(kSquareTexturePath, kNearest, kNearest, kRepeat);
    tileTexture = resources->GetTexture(kTileTexturePath, kNearest, kNearest, kRepeat);
  }
  tilesBuilt = false;
}

void CollisionSystem::BuildTiles() {
  const auto names = engine != nullptr ? engine->GetManager<EntityManager>() : nullptr;
  const auto components = engine != nullptr ? engine->GetManager<ComponentManager>() : nullptr;
  const Tilemap* map = nullptr;
  glm::mat4 model(1.0f);
  glm::vec3 scale(0.0f);
  if (names != nullptr && components != nullptr) {
    const int entity = names->FindEntity(kMapAlias);
    if (IsValidEntityId(entity) && components->HasComponent<Tilemap>(entity) &&
        components->HasComponent<Transform>(entity)) {
      map = components->GetComponent<Tilemap>(entity);
      Transform& transform = *components->GetComponent<Transform>(entity);
      model = transform.UpdateMatrix();
      scale = transform._scale;
    }
  }
  BuildTileColliders(tiles, map, model, scale, tileWorld.isGroupCollidable);
  tilesBuilt = true;
}

void CollisionSystem::RequestRebuild() {
  if (inPass) {
    rebuildPending = true;
  } else {
    BuildTiles();
  }
}

void CollisionSystem::EndPass() {
  inPass = false;
  if (rebuildPending) {
    rebuildPending = false;
    BuildTiles();
  }
}

bool CollisionSystem::GatherBodies() {
  bodies.clear();
  if (engine == nullptr) return false;
  const auto names = engine->GetManager<EntityManager>();
  const auto components = engine->GetManager<ComponentManager>();
  messaging = engine->GetManager<MessagingManager>().get();
  entityManager = names.get();
  componentManager = components.get();
  if (names == nullptr || components == nullptr) return false;
  auto* colliders = components->GetArray<Collider>();
  auto* transforms = components->GetArray<Transform>();
  auto* physics = components->GetArray<Physics>();
  if (colliders == nullptr || transforms == nullptr || physics == nullptr) return false;
  for (const int entity : entities) {
    bodies.push_back(
        {entity, &colliders->At(entity), &transforms->At(entity), &physics->At(entity)});
  }
  return true;
}

bool CollisionSystem::StillPresent(const CollisionBody& body) const {
  return entityManager->IsAlive(body.entity) &&
         componentManager->HasComponent<Collider>(body.entity) &&
         componentManager->HasComponent<Transform>(body.entity) &&
         componentManager->HasComponent<Physics>(body.entity);
}

void CollisionSystem::CollectCandidates(const glm::vec3& position, float scale) {
  candidates.clear();
  const float pitch = tiles.pitch;
  if (pitch == 0.0f || !std::isfinite(pitch) || !std::isfinite(scale) ||
      !(std::fabs(scale) < kMaxCellCoordinate)) {
    return;
  }
  const double cellX = (static_cast<double>(position.x) - tiles.records[0].x) / pitch;
  const double cellZ = (static_cast<double>(position.z) - tiles.records[0].z) / pitch;
  if (!(std::fabs(cellX) < kMaxCellCoordinate && std::fabs(cellZ) < kMaxCellCoordinate)) return;

  const long long width = tiles.width;
  const long long height = tiles.height;
  const auto column = static_cast<long long>(std::ceil(cellX));
  const auto row = static_cast<long long>(std::ceil(cellZ));
  const auto radius = static_cast<long long>(scale);
  // Cells within the radius, row by row, only those inside the map.
  for (long long j = std::max(-radius, -row); j <= std::min(radius, height - 1 - row); ++j) {
    for (long long k = std::max(-radius, -column); k <= std::min(radius, width - 1 - column); ++k) {
      if (j * j + k * k <= radius * radius) {
        candidates.push_back(static_cast<int>((row + j) * width + column + k));
      }
    }
  }
  // The cell the body stands in, which the neighbourhood above misses for small bodies in the
  // near half of a cell.
  const auto ownColumn = static_cast<long long>(std::round(cellX));
  const auto ownRow = static_cast<long long>(std::round(cellZ));
  if (ownColumn >= 0 && ownColumn < width && ownRow >= 0 && ownRow < height) {
    const int own = static_cast<int>(ownRow * width + ownColumn);
    if (std::find(candidates.begin(), candidates.end(), own) == candidates.end()) {
      candidates.push_back(own);
    }
  }
}

void CollisionSystem::TileTest(CollisionBody& body) {
  Collider& collider = *body.collider;
  Transform& transform = *body.transform;
  Physics& physics = *body.physics;
  if (!CollidesWith(static_cast<int>(collider._layer), kTileLayer)) return;
  collider.worldPosition = transform._position;
  bool touched = false;
  float best = kNoFloor;
  CollectCandidates(transform._position, transform._scale.x);

  const auto reportWall = [&]() {
    messaging->PostFormatted("collision_tilemap %d", 0, body.entity);
    reportSent = true;
    return StillPresent(body);
  };

  for (const int index : candidates) {
    const TileCollider& tile = tiles.records[static_cast<std::size_t>(index)];
    if (tile.kind == TileKind::NONE) continue;
    const Bounds square = shapes::BoundsOf(SquareOf(tile, tiles.size));
    const bool wall = tile.h - collider.elevation > kStepHeight;
    if (collider._type == ColliderType::AABB) {
      if (tile.kind == TileKind::GROUND && !collider._isGrounded) continue;
      const bool meets =
          shapes::Overlap(shapes::BoundsOf(BoxOf(body)), square) && !physics._isFalling;
      if (tile.kind == TileKind::TILE) {
        if (!meets) continue;
        touched = true;
        if (wall) {
          if (!collider._trigger) collision::ResolveBoxTile(body, tile, tiles.size);
          if (!reportWall()) return;
        } else {
          best = std::max(best, tile.h);
        }
      } else if (meets) {
        touched = true;
        if (collider.elevation > kAboveFloor && !collider._trigger) {
          collision::ResolveBoxTile(body, tile, tiles.size);
        }
      } else {
        best = std::max(best, tile.h);
      }
    } else if (collider._type == ColliderType::CIRCLE) {
      if (tile.kind == TileKind::GROUND && !collider._isGrounded) continue;
      if (!CircleMeets(body, collider._radius, square)) continue;
      touched = true;
      const bool halfMeets = CircleMeets(body, collider._radius * 0.5f, square);
      if (tile.kind == TileKind::TILE) {
        if (wall) {
          if (!collider._trigger) collision::ResolveCircleTile(body, tile, tiles.size);
          if (!reportWall()) return;
        } else if (tile.h > best && halfMeets) {
          best = tile.h;
        }
      } else if (!(collider.elevation > kAboveFloor) && tile.h > best && halfMeets) {
        best = tile.h;
      }
    }
  }

  if (physics._velocity.y <= 0.5f && physics._gravityMultiplier != 0.0f && !physics._isFalling &&
      best > kNoFloor && touched && transform._position.y >= best - 5.0f) {
    transform._position.y = 0.0f;
  }
  if ((!touched || transform._position.y < best - 1.0f) && physics._gravityMultiplier != 0.0f) {
    physics._isFalling = true;
  }
}

void CollisionSystem::TilePass() {
  if (tiles.records.empty() || tiles.width <= 0 || tiles.height <= 0 ||
      tiles.records.size() != static_cast<std::size_t>(tiles.width) * tiles.height) {
    return;
  }
  inPass = true;
  reportSent = false;
  if (GatherBodies()) {
    const auto names = engine->GetManager<EntityManager>();
    const int map = names->FindEntity(kMapAlias);
    const bool mapExists = IsValidEntityId(map) && componentManager->HasComponent<Tilemap>(map) &&
                           componentManager->HasComponent<Transform>(map);
    for (CollisionBody& body : bodies) {
      if (!mapExists) break;
      if (reportSent && !StillPresent(body)) continue;
      TileTest(body);
    }
  }
  EndPass();
}

void CollisionSystem::ReadPairEntry(std::size_t index, bool checkPresence) {
  PairEntry& entry = pairEntries[index];
  const CollisionBody& body = bodies[index];
  entry.stamp = generation;
  entry.present = !checkPresence || StillPresent(body);
  if (!entry.present) return;
  const Collider& collider = *body.collider;
  entry.position = body.transform->_position;
  const Bounds box = shapes::BoundsOf(BoxOf(body));
  entry.minX = box.minX;
  entry.maxX = box.maxX;
  entry.minZ = box.minZ;
  entry.maxZ = box.maxZ;
  entry.centreX = entry.position.x + collider._offset.x;
  entry.centreZ = entry.position.z + collider._offset.z;
  entry.radius = collider._radius;
  // A layer outside the table collides with nothing: no bit and an empty mask.
  const int layer = static_cast<int>(collider._layer);
  entry.layerBit = 0;
  entry.layerMask = 0;
  if (layer >= 0 && layer < kLayerCount) {
    entry.layerBit = static_cast<std::uint8_t>(1u << layer);
    for (int other = 0; other < kLayerCount; ++other) {
      if (kLayerTable[layer][other] == 1) entry.layerMask |= static_cast<std::uint8_t>(1u << other);
    }
  }
  entry.type = collider._type;
  entry.active = collider._isActive;
  entry.trigger = collider._trigger;
  entry.falling = body.physics->_isFalling;
}

CollisionSystem::PairEntry& CollisionSystem::FreshPairEntry(std::size_t index) {
  PairEntry& entry = pairEntries[index];
  if (entry.stamp != generation) ReadPairEntry(index, true);
  return entry;
}

void CollisionSystem::MarkDue(std::size_t index, bool world, bool elevation) {
  PairEntry& entry = pairEntries[index];
  entry.worldDue = entry.worldDue || world;
  entry.elevationDue = entry.elevationDue || elevation;
  if (!entry.queued) {
    entry.queued = true;
    dueEntries.push_back(index);
  }
}

void CollisionSystem::FlushDue() {
  for (const std::size_t index : dueEntries) {
    PairEntry& entry = pairEntries[index];
    CollisionBody& body = bodies[index];
    // The entry's position is the body's position at its last pair: it is read again only
    // after a report, and a report comes after this flush.
    if (entry.present && StillPresent(body)) {
      if (entry.worldDue) body.collider->worldPosition = entry.position;
      if (entry.elevationDue) RefreshElevation(body, tiles.pitch);
    }
    entry.worldDue = false;
    entry.elevationDue = false;
    entry.queued = false;
  }
  dueEntries.clear();
}

bool CollisionSystem::PairContact(const PairEntry& a, const PairEntry& b) {
  if (a.type == ColliderType::AABB && b.type == ColliderType::AABB) {
    return a.minX <= b.maxX && a.maxX >= b.minX && a.minZ <= b.maxZ && a.maxZ >= b.minZ;
  }
  if (a.type == ColliderType::CIRCLE && b.type == ColliderType::CIRCLE) {
    const float dx = a.centreX - b.centreX;
    const float dz = a.centreZ - b.centreZ;
    const float reach = a.radius + b.radius;
    return reach * reach >= dx * dx + dz * dz;
  }
  // A circle is tested at its position (without its offset) against the box.
  if (a.type == ColliderType::AABB && b.type == ColliderType::CIRCLE) {
    return shapes::CircleMeets({b.position.x, b.position.z}, b.radius,
                               Bounds{a.minX, a.maxX, a.minZ, a.maxZ});
  }
  if (a.type == ColliderType::CIRCLE && b.type == ColliderType::AABB) {
    return shapes::CircleMeets({a.position.x, a.position.z}, a.radius,
                               Bounds{b.minX, b.maxX, b.minZ, b.maxZ});
  }
  return false;
}

void CollisionSystem::ResolvePair(std::size_t i, std::size_t j) {
  const PairEntry& a = pairEntries[i];
  const PairEntry& b = pairEntries[j];
  if (a.trigger || b.trigger) return;
  if (a.type == ColliderType::AABB && b.type == ColliderType::AABB) {
    collision::ResolveBoxBox(bodies[i], bodies[j]);
  } else if (a.type == ColliderType::CIRCLE && b.type == ColliderType::CIRCLE) {
    collision::CircleImpulse(bodies[i], bodies[j]);
  } else if (a.type == ColliderType::CIRCLE) {
    collision::ResolveCircleBox(bodies[i], bodies[j]);
  } else {
    collision::ResolveCircleBox(bodies[j], bodies[i]);
  }
}

void CollisionSystem::PairPass() {
  inPass = true;
  if (!GatherBodies()) {
    EndPass();
    return;
  }
  const std::size_t count = bodies.size();
  pairEntries.assign(count, PairEntry{});
  dueEntries.clear();
  ++generation;
  for (std::size_t i = 0; i < count; ++i) ReadPairEntry(i, false);

  PairEntry* const entries = pairEntries.data();
  for (std::size_t i = 0; i < count; ++i) {
    const PairEntry* a = &FreshPairEntry(i);
    if (!a->present || !a->active) continue;
    // What A's pairs ask of A, handed to its entry before each report and after its loop.
    bool aWorld = false;
    bool aElevation = false;
    for (std::size_t j = i + 1; j < count; ++j) {
      PairEntry& b = entries[j].stamp == generation ? entries[j] : FreshPairEntry(j);
      if (!b.present || !b.active) continue;
      const bool collide = (a->layerMask & b.layerBit) != 0;
      bool contact = false;
      if (collide) {
        contact =
            a->type == ColliderType::AABB && b.type == ColliderType::AABB
                ? a->minX <= b.maxX && a->maxX >= b.minX && a->minZ <= b.maxZ && a->maxZ >= b.minZ
                : PairContact(*a, b);
      }
      // Every active pair refreshes both world positions, and both elevations when either body
      // falls (before the report) and when the layers collide (after it).
      const bool elevation = a->falling || b.falling || (collide && !contact);
      aWorld = true;
      aElevation = aElevation || elevation;
      b.worldDue = true;
      b.elevationDue = b.elevationDue || elevation;
      if (!b.queued) {
        b.queued = true;
        dueEntries.push_back(j);
      }
      if (!contact) continue;

      ResolvePair(i, j);
      MarkDue(i, aWorld, aElevation);
      aWorld = false;
      aElevation = false;
      // Scripts see every value as the pass has left it so far, and may change any of them.
      FlushDue();
      messaging->PostFormatted("collision %d %d", 0, bodies[i].entity, bodies[j].entity);
      ++generation;
      a = &FreshPairEntry(i);
      if (!a->present || !a->active) break;
      if (FreshPairEntry(j).present) MarkDue(j, false, true);
      aElevation = true;
    }
    if (aWorld || aElevation) MarkDue(i, aWorld, aElevation);
  }
  FlushDue();
  EndPass();
}

void CollisionSystem::Update(float) {
  if (!tilesBuilt) BuildTiles();
  TilePass();
  PairPass();
}

void CollisionSystem::Render() {
  if (!debugDraw || drawQueue == nullptr || engine == nullptr) return;
  const auto components = engine->GetManager<ComponentManager>();
  const auto* colliders = components != nullptr ? components->GetArray<Collider>() : nullptr;
  const auto* transforms = components != nullptr ? components->GetArray<Transform>() : nullptr;
  if (colliders == nullptr || transforms == nullptr) return;
  const glm::vec3 white(1.0f);
  const auto outline = [&](const glm::vec3& position, const glm::vec3& scale, int texture) {
    const glm::mat4 model = glm::scale(glm::translate(glm::mat4(1.0f), position), scale);
    drawQueue->QueueDraw(physics_debug::Draw(quadMesh, debugMaterial, texture,
                                             physics_debug::LayFlat(model), white));
  };
  for (const int entity : entities) {
    const Collider& collider = colliders->At(entity);
    const glm::vec3& position = transforms->At(entity)._position;
    const glm::vec3 centre(position.x + collider._offset.x, collider._offset.y,
                           position.z + collider._offset.z);
    if (collider._type == ColliderType::CIRCLE) {
      outline(centre, glm::vec3(2.0f * collider._radius), circleTexture);
    } else {
      outline(centre, collider._size, squareTexture);
    }
  }
  for (const TileCollider& tile : tiles.records) {
    if (tile.kind == TileKind::NONE) continue;
    outline({tile.x, 0.0f, tile.z}, tiles.size, tile.h < kClipHeight ? tileTexture : squareTexture);
  }
}

void CollisionSystem::HandleMessage(const std::string& message) {
  const auto readIndex = [&](int& value) {
    std::string_view word;
    return SplitMessageArguments(message, &word, 1) && ReadMessageInt(word, value);
  };
  int value = 0;
  if (IsMessage(message, "physics_debug")) {
    if (readIndex(value)) debugDraw = value == 1 || value == 3;
  } else if (IsMessage(message, "remove_tile_collider")) {
    if (readIndex(value)) tiles.RemoveCollider(value);
  } else if (IsMessage(message, "add_tile_collider")) {
    if (readIndex(value)) tiles.AddCollider(value);
  } else if (IsMessage(message, "calculate_tile_colliders") || IsMessage(message, "scene_load")) {
    RequestRebuild();
  }
}
