#pragma once
// CollisionSystem: keeps bodies (Collider + Transform + Physics) out of the tile world's walls
// and out of each other, decides when they stand and when they fall, and reports contacts.
//
// Each update, after the physics system:
//   1. the tile pass: every body whose layer meets DEFAULT is tested against the tile colliders
//      around its cell (a radius of (int) its Transform scale x, plus its own cell). Walls (TILE
//      records more than 0.5 above the body's elevation) push it out and report
//      "collision_tilemap <id>"; a body touching floor within reach stands (y := 0); a body
//      touching nothing, or more than 1 below the floor it touches, starts falling. The pass
//      sets `_isFalling` and never clears it. Without a map entity the pass is skipped.
//   2. the pair pass: every pair in ascending ids whose layers collide (CollidesWith) and whose
//      shapes meet is resolved (boxes push apart, circles exchange an impulse with restitution
//      1, a circle is pushed out of a box) and reported as "collision <lower id> <higher id>".
//      Triggers report and neither move nor push.
// Both reports go to every receiver (level 0) at once, every update a contact lasts. Scripts
// may react to them: the passes walk snapshots and skip bodies that lost a component or were
// destroyed, and a tile-collider rebuild asked for during a pass runs when the pass ends.
//
// A collider layer outside 0..6 collides with nothing and ignores the tiles.
//
// Messages: "physics_debug n" (outlines for n = 1 or 3), "add_tile_collider i",
// "remove_tile_collider i" (indices outside the list are ignored), "calculate_tile_colliders"
// and "scene_load" (rebuild the tile colliders from the map entity "Tilemap").

#include <cstdint>
#include <functional>
#include <glm/glm.hpp>
#include <string>
#include <vector>

#include "components/collider.h"
#include "engine/base_system.h"
#include "engine/type_name.h"
#include "physics/tile_colliders.h"
#include "render/draw_queue.h"

class ComponentManager;
class DECS;
class EntityManager;
class MessagingManager;
class Physics;
class Transform;

// Whether bodies of two collider layers collide; false for a layer outside 0..6.
bool CollidesWith(int layerA, int layerB);

// One body of a pass: its id and components.
struct CollisionBody {
  int entity = -1;
  Collider* collider = nullptr;
  Transform* transform = nullptr;
  Physics* physics = nullptr;
};

// Contact resolution between shapes (x-z plane), exposed for tests.
namespace collision {
// Pushes a box body out of a tile square (sx by sz, centred at the record) along the axis of
// smaller overlap, cutting the velocity on that axis, unless the body moves away from the tile
// across the floor (x-z; its vertical motion does not count).
void ResolveBoxTile(CollisionBody& body, const TileCollider& tile, const glm::vec3& tileSize);
// Pushes a circle body out of a tile square along the normal from the square (+z when the
// centre lies on or in it), cutting the velocity into the tile.
void ResolveCircleTile(CollisionBody& body, const TileCollider& tile, const glm::vec3& tileSize);
// Pushes two overlapping boxes apart: both halfway when both move, else the moving one (or B).
void ResolveBoxBox(CollisionBody& a, CollisionBody& b);
// Pushes the circle out of the box (+x when its centre lies on the box's edge).
void ResolveCircleBox(CollisionBody& circle, const CollisionBody& box);
// An impulse between two circles with restitution 1; nothing for coincident centres or two
// immovable (massless) bodies.
void CircleImpulse(CollisionBody& a, CollisionBody& b);
}  // namespace collision

class CollisionSystem : public BaseSystem {
 public:
  static constexpr const char* kQuadMeshPath = "./GAME/Assets/Meshes/DefaultQuad.txt";
  static constexpr const char* kCircleTexturePath =
      "./GAME/Assets/Textures/Debug/debug_collider_circle.png";
  static constexpr const char* kSquareTexturePath =
      "./GAME/Assets/Textures/Debug/debug_collider_square.png";
  static constexpr const char* kTileTexturePath =
      "./GAME/Assets/Textures/Debug/debug_collider_tile.png";

  // What the collision system needs of the tile world; filled by the composition root.
  struct TileWorld {
    // Whether the cells of a group collide; unset, every group does.
    GroupCollidable isGroupCollidable;
  };

  void HandleMessage(const std::string& message) override;
  void Init() override;
  void Update(float dt) override;
  void Render() override;

  void SetTileWorld(TileWorld world) { tileWorld = std::move(world); }
  // Where the debug outlines go; not owned. Unset, nothing is drawn.
  void SetDrawQueue(DrawQueue* queue) { drawQueue = queue; }

  // Rebuilds the tile colliders now, or at the end of the pass that is running.
  void RequestRebuild();
  const TileColliderList& TileColliders() const { return tiles; }

  // The two passes of an update, callable on their own (the benchmark times them).
  void TilePass();
  void PairPass();

  bool debugDraw = false;

 private:
  void BuildTiles();
  // Fills `bodies` with the entity set's bodies; false when a manager or array is missing.
  bool GatherBodies();
  // Whether a gathered body is still alive with its three components: a script reacting to a
  // report may have removed them.
  bool StillPresent(const CollisionBody& body) const;
  void TileTest(CollisionBody& body);
  void CollectCandidates(const glm::vec3& position, float scale);
  void EndPass();

  DECS* engine = nullptr;
  DrawQueue* drawQueue = nullptr;
  TileWorld tileWorld;
  TileColliderList tiles;
  bool tilesBuilt = false;
  bool inPass = false;
  bool rebuildPending = false;
  // Set once a report went out during a pass: from then on every body is checked for presence
  // before it is used.
  bool reportSent = false;
  std::vector<CollisionBody> bodies;

  // What the pair pass reads of a body, gathered once per pass and again, body by body, after
  // each report (a script may have changed anything): the pairs read these compact records
  // instead of three components each. The Collider values the pass writes for every pair
  // (`worldPosition`, `elevation`, `_isGrounded`) are written once per body before each report
  // and at the end of the pass, with the values the writes per pair would have left.
  struct PairEntry {
    float minX = 0.0f, maxX = 0.0f, minZ = 0.0f, maxZ = 0.0f;  // the box
    glm::vec3 position{0.0f};
    float centreX = 0.0f, centreZ = 0.0f;  // position + offset
    float radius = 0.0f;
    unsigned int stamp = 0;
    ColliderType type = ColliderType::AABB;
    // The body's own layer as a bit, and the bits of the layers it collides with.
    std::uint8_t layerBit = 0;
    std::uint8_t layerMask = 0;
    bool active = false, trigger = false, falling = false, present = false;
    bool worldDue = false, elevationDue = false, queued = false;
  };
  void ReadPairEntry(std::size_t index, bool checkPresence);
  PairEntry& FreshPairEntry(std::size_t index);
  void MarkDue(std::size_t index, bool world, bool elevation);
  void FlushDue();
  static bool PairContact(const PairEntry& a, const PairEntry& b);
  void ResolvePair(std::size_t i, std::size_t j);
  std::vector<PairEntry> pairEntries;
  std::vector<std::size_t> dueEntries;
  unsigned int generation = 0;
  std::vector<int> candidates;
  const EntityManager* entityManager = nullptr;
  const ComponentManager* componentManager = nullptr;
  MessagingManager* messaging = nullptr;
  int quadMesh = -1;
  int debugMaterial = -1;
  int circleTexture = -1;
  int squareTexture = -1;
  int tileTexture = -1;
};
DECLARE_TYPE_NAME(class, CollisionSystem);
