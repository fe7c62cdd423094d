#include "physics/collision_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "components/collider.h"
#include "components/physics.h"
#include "tests/physics/tile_world_fixture.h"
#include "tests/support/recording_draw_queue.h"

namespace {

using testing_support::RecordingReceiver;

TEST(CollisionLayers, TheTableIsSymmetricAndOnlyKnowsSevenLayers) {
  for (int a = 0; a < 7; ++a) {
    for (int b = 0; b < 7; ++b) EXPECT_EQ(CollidesWith(a, b), CollidesWith(b, a)) << a << b;
  }
  const struct {
    ColliderLayer a, b;
    bool collide;
  } pairs[] = {
      {ColliderLayer::PLAYER, ColliderLayer::ENEMY, true},
      {ColliderLayer::PLAYER, ColliderLayer::PLAYER, false},
      {ColliderLayer::BULLET, ColliderLayer::ENEMY, true},
      {ColliderLayer::BULLET, ColliderLayer::BULLET, false},
      {ColliderLayer::BULLET, ColliderLayer::MEGA_BLOCK_ENEMY, true},
      {ColliderLayer::PUSHER, ColliderLayer::PLAYER, true},
      {ColliderLayer::PUSHER, ColliderLayer::ENEMY, false},
      {ColliderLayer::MEGA_BLOCK_ENEMY, ColliderLayer::DEFAULT, false},  // ignores tiles
      {ColliderLayer::PLAYER_DASHING, ColliderLayer::DEFAULT, true},
  };
  for (const auto& pair : pairs) {
    EXPECT_EQ(CollidesWith(static_cast<int>(pair.a), static_cast<int>(pair.b)), pair.collide);
  }
  EXPECT_FALSE(CollidesWith(7, 0));
  EXPECT_FALSE(CollidesWith(0, -1));
}

// Bodies for the shape tests, held outside any engine.
struct LooseBody {
  explicit LooseBody(ColliderType type, glm::vec3 position, glm::vec3 velocity = glm::vec3(0.0f)) {
    collider._type = type;
    transform._position = position;
    physics._velocity = velocity;
  }
  CollisionBody Body() { return {0, &collider, &transform, &physics}; }
  Collider collider;
  Transform transform;
  Physics physics;
};

TEST(CollisionShapes, BoxesPushTheMovingBodyOrBothHalfway) {
  const struct {
    const char* name;
    glm::vec3 velocityA, velocityB;
    float expectedA, expectedB;
  } cases[] = {
      {"both move: 0.1 each", {1.0f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}, -0.1f, 0.9f},
      {"only A moves: A the whole overlap", {1.0f, 0.0f, 0.0f}, {}, -0.2f, 0.8f},
      {"only B moves: B", {}, {0.0f, 0.0f, 2.0f}, 0.0f, 1.0f},
      {"neither moves: B, the higher id", {}, {}, 0.0f, 1.0f},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    // Overlapping by 0.2 on x and 0.5 on z.
    LooseBody a(ColliderType::AABB, {0.0f, 0.0f, 0.0f}, test.velocityA);
    LooseBody b(ColliderType::AABB, {0.8f, 0.0f, 0.5f}, test.velocityB);
    CollisionBody bodyA = a.Body();
    CollisionBody bodyB = b.Body();
    collision::ResolveBoxBox(bodyA, bodyB);
    EXPECT_NEAR(a.transform._position.x, test.expectedA, 1e-6f);
    EXPECT_NEAR(b.transform._position.x, test.expectedB, 1e-6f);
    EXPECT_EQ(a.physics._velocity.x, 0.0f);
    EXPECT_EQ(b.physics._velocity.x, 0.0f);
    EXPECT_EQ(b.physics._velocity.z, test.velocityB.z);  // the other axis keeps its speed
  }
}

TEST(CollisionShapes, CirclesExchangeTheirNormalVelocities) {
  LooseBody a(ColliderType::CIRCLE, {0.0f, 0.0f, 0.0f}, {2.0f, 0.0f, 1.0f});
  LooseBody b(ColliderType::CIRCLE, {1.5f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f});
  CollisionBody bodyA = a.Body();
  CollisionBody bodyB = b.Body();
  collision::CircleImpulse(bodyA, bodyB);
  EXPECT_FLOAT_EQ(a.physics._velocity.x, -1.0f);
  EXPECT_FLOAT_EQ(a.physics._velocity.z, 1.0f);
  EXPECT_FLOAT_EQ(b.physics._velocity.x, 2.0f);
  EXPECT_EQ(a.transform._position, glm::vec3(0.0f));  // positions are not corrected

  // Separating, coincident or immovable pairs get no impulse and no NaN.
  const struct {
    glm::vec3 positionB;
    float massA, massB;
  } unchanged[] = {{{-1.5f, 0.0f, 0.0f}, 1.0f, 1.0f},
                   {{0.0f, 0.0f, 0.0f}, 1.0f, 1.0f},
                   {{1.5f, 0.0f, 0.0f}, 0.0f, 0.0f}};
  for (const auto& test : unchanged) {
    LooseBody c(ColliderType::CIRCLE, {0.0f, 0.0f, 0.0f}, {2.0f, 0.0f, 0.0f});
    LooseBody d(ColliderType::CIRCLE, test.positionB, {-1.0f, 0.0f, 0.0f});
    c.physics._mass = test.massA;
    d.physics._mass = test.massB;
    CollisionBody bodyC = c.Body();
    CollisionBody bodyD = d.Body();
    collision::CircleImpulse(bodyC, bodyD);
    EXPECT_EQ(c.physics._velocity.x, 2.0f);
    EXPECT_EQ(d.physics._velocity.x, -1.0f);
  }
}

TEST(CollisionShapes, CirclesArePushedOutOfBoxesAndTiles) {
  const struct {
    const char* name;
    glm::vec3 circle;
    glm::vec3 velocity;
    glm::vec3 expected;
    glm::vec3 expectedVelocity;
  } boxCases[] = {
      // The box spans -0.5..0.5 on x and z; the radius is 0.5.
      {"outside, overlapping the right side",
       {0.8f, 0.0f, 0.0f},
       {-1.0f, 0.0f, 1.0f},
       {1.0f, 0.0f, 0.0f},
       {0.0f, 0.0f, 1.0f}},
      {"outside, moving away keeps its speed",
       {0.8f, 0.0f, 0.0f},
       {1.0f, 0.0f, 0.0f},
       {1.0f, 0.0f, 0.0f},
       {1.0f, 0.0f, 0.0f}},
      {"inside, nearest the far z side", {0.1f, 0.0f, 0.3f}, {}, {0.1f, 0.0f, 1.0f}, {}},
      {"inside, nearest the near x side", {-0.4f, 0.0f, 0.0f}, {}, {-1.0f, 0.0f, 0.0f}, {}},
      {"on the edge: pushed along +x by the radius",
       {0.5f, 0.0f, 0.2f},
       {},
       {1.0f, 0.0f, 0.2f},
       {}},
      {"just touching: nothing", {1.0f, 0.0f, 0.0f}, {}, {1.0f, 0.0f, 0.0f}, {}},
  };
  for (const auto& test : boxCases) {
    SCOPED_TRACE(test.name);
    LooseBody circle(ColliderType::CIRCLE, test.circle, test.velocity);
    circle.collider._radius = 0.5f;
    LooseBody box(ColliderType::AABB, {0.0f, 0.0f, 0.0f});
    CollisionBody circleBody = circle.Body();
    collision::ResolveCircleBox(circleBody, box.Body());
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_NEAR(circle.transform._position[axis], test.expected[axis], 1e-6f) << axis;
      EXPECT_NEAR(circle.physics._velocity[axis], test.expectedVelocity[axis], 1e-6f) << axis;
    }
    EXPECT_EQ(box.transform._position, glm::vec3(0.0f));
  }

  // Against a tile (a 2 x 2 square at the origin) a centre on the square goes out along +z.
  const TileCollider tile{0.0f, 1.0f, 0.0f, TileKind::TILE};
  const struct {
    glm::vec3 circle;
    glm::vec3 expected;
  } tileCases[] = {{{1.3f, 0.0f, 0.0f}, {1.5f, 0.0f, 0.0f}},
                   {{0.2f, 0.0f, 0.4f}, {0.2f, 0.0f, 0.9f}}};
  for (const auto& test : tileCases) {
    LooseBody circle(ColliderType::CIRCLE, test.circle, {0.0f, 0.0f, -1.0f});
    circle.collider._radius = 0.5f;
    CollisionBody body = circle.Body();
    collision::ResolveCircleTile(body, tile, glm::vec3(2.0f));
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_NEAR(circle.transform._position[axis], test.expected[axis], 1e-6f) << axis;
    }
    EXPECT_FALSE(std::isnan(circle.physics._velocity.z));
  }
}

// A 5 x 5 floor of 2 x 2 cells centred on the origin (cell centres -4, -2, 0, 2, 4).
class CollisionSystemTest : public testing_support::TileWorldFixture {
 protected:
  void SetUp() override {
    TileWorldFixture::SetUp();
    collision = systems->RegisterSystem<CollisionSystem>().get();
    decs->AddChild(&reports);
  }

  void MakeFloor() { MakeMap(5, 5, glm::vec3(2.0f)); }

  std::size_t Cell(int column, int row) { return static_cast<std::size_t>(Index(column, row)); }

  int AddBody(ColliderType type, const glm::vec3& position, float scale = 1.0f,
              ColliderLayer layer = ColliderLayer::DEFAULT) {
    const int entity = CreateEntity("body");
    Collider collider;
    collider._type = type;
    collider._layer = layer;
    collider._radius = 0.5f;
    Add<Collider>(entity, collider);
    Add<Transform>(entity, Transform(position, {}, glm::vec3(scale)));
    Add<Physics>(entity);
    return entity;
  }

  Physics& BodyOf(int entity) { return *components->GetComponent<Physics>(entity); }
  Collider& ColliderOf(int entity) { return *components->GetComponent<Collider>(entity); }
  glm::vec3& PositionOf(int entity) {
    return components->GetComponent<Transform>(entity)->_position;
  }

  // Runs `updates` updates and returns the reports sent.
  std::vector<std::string> Run(int updates = 1) {
    log.clear();
    for (int i = 0; i < updates; ++i) collision->Update(1.0f / 60.0f);
    return log;
  }

  CollisionSystem* collision = nullptr;
  std::vector<std::string> log;
  RecordingReceiver reports{"", 0, &log};
};

TEST_F(CollisionSystemTest, BodiesStandOnFloorAndFallThroughHoles) {
  MakeFloor();
  // A hole: the centre cell of row 0 and its neighbours are empty.
  for (const std::size_t cell : {Cell(2, 0), Cell(1, 0), Cell(3, 0), Cell(2, 1)}) {
    Map().layer1[cell] = '0';
  }
  const int standing = AddBody(ColliderType::AABB, {0.0f, 0.3f, 0.0f});
  const int overHole = AddBody(ColliderType::AABB, {0.0f, 0.0f, -4.0f});
  // A small body (radius 0) in the near quarter of its cell: its own cell holds it.
  const int small = AddBody(ColliderType::AABB, {2.3f, 0.2f, 2.3f}, 0.5f);
  ColliderOf(small)._size = glm::vec3(0.5f);
  const int circle = AddBody(ColliderType::CIRCLE, {-2.0f, 0.1f, 2.0f});
  const int ignoresTiles =
      AddBody(ColliderType::AABB, {0.0f, 0.0f, -4.0f}, 1.0f, ColliderLayer::MEGA_BLOCK_ENEMY);

  for (int update = 0; update < 3; ++update) {
    Run();
    SCOPED_TRACE(update);
    for (const int body : {standing, small, circle}) {
      EXPECT_EQ(PositionOf(body).y, 0.0f) << body;
      EXPECT_FALSE(BodyOf(body)._isFalling) << body;
    }
    EXPECT_TRUE(BodyOf(overHole)._isFalling);
    EXPECT_FALSE(BodyOf(ignoresTiles)._isFalling);
  }

  // A body whose gravity is off never starts falling.
  const int floating = AddBody(ColliderType::AABB, {0.0f, 0.0f, -4.0f});
  BodyOf(floating)._gravityMultiplier = 0.0f;
  Run();
  EXPECT_FALSE(BodyOf(floating)._isFalling);
}

TEST_F(CollisionSystemTest, WallsStopBodiesAndReportEveryUpdate) {
  const struct {
    const char* name;
    int axis;  // 0: the wall lies along +x, 2: along +z
    float height;
    char clip;
    bool trigger;
    float fallSpeed;  // downward velocity while the body walks into the wall
    bool stopped;
    bool reported;
  } cases[] = {
      {"a step of 0.6 is a wall", 0, 0.6f, '0', false, 0.0f, true, true},
      {"a wall along z stops as one along x", 2, 0.6f, '0', false, 0.0f, true, true},
      {"a step of 0.5 is walked onto", 0, 0.5f, '0', false, 0.0f, false, false},
      {"a clip cell is a wall at any height", 0, 0.0f, '1', false, 0.0f, true, true},
      {"sinking does not carry a body through a wall", 0, 0.0f, '1', false, 0.01f, true, true},
      {"nor along z", 2, 0.0f, '1', false, 0.01f, true, true},
      {"a trigger reports but is not moved", 0, 0.6f, '0', true, 0.0f, false, true},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    MakeFloor();
    // The wall cell spans 1..3 on its axis; the box starts at 0.1..1.1 on it.
    const std::size_t wall = test.axis == 0 ? Cell(3, 2) : Cell(2, 3);
    Map().heights[wall] = test.height;
    Map().layer3[wall] = test.clip;
    messaging->PostFormatted("calculate_tile_colliders", 1);
    glm::vec3 start(0.0f), velocity(0.0f);
    start[test.axis] = 0.6f;
    velocity[test.axis] = 3.0f;
    velocity.y = -test.fallSpeed;
    const int body = AddBody(ColliderType::AABB, start);
    ColliderOf(body)._trigger = test.trigger;
    int reportsSeen = 0;
    for (int update = 0; update < 3; ++update) {
      PositionOf(body) = start;
      BodyOf(body)._velocity = velocity;
      for (const std::string& line : Run()) {
        reportsSeen += line == ":collision_tilemap " + std::to_string(body) ? 1 : 0;
      }
      EXPECT_NEAR(PositionOf(body)[test.axis], test.stopped ? 0.5f : 0.6f, 1e-6f);
      EXPECT_EQ(BodyOf(body)._velocity[test.axis], test.stopped ? 0.0f : 3.0f);
    }
    EXPECT_EQ(reportsSeen, test.reported ? 3 : 0);
    decs->DestroyEntity(body);
    decs->DestroyEntity(mapEntity);
    decs->DestroyEntity(entities->FindEntity("Palette"));
  }
}

TEST_F(CollisionSystemTest, PairsReportLowerIdFirstWhileTheyTouch) {
  const int player = AddBody(ColliderType::AABB, {0.0f, 0.0f, 0.0f}, 1.0f, ColliderLayer::PLAYER);
  const int enemy = AddBody(ColliderType::CIRCLE, {0.9f, 0.0f, 0.0f}, 1.0f, ColliderLayer::ENEMY);
  const int otherPlayer =
      AddBody(ColliderType::AABB, {0.0f, 0.0f, 0.2f}, 1.0f, ColliderLayer::PLAYER);
  const int trigger = AddBody(ColliderType::CIRCLE, {-0.5f, 0.0f, 0.0f}, 1.0f);
  ColliderOf(trigger)._trigger = true;
  ColliderOf(trigger)._radius = 0.1f;

  const std::string playerEnemy =
      ":collision " + std::to_string(player) + " " + std::to_string(enemy);
  for (int update = 0; update < 2; ++update) {
    const std::vector<std::string> sent = Run();
    const std::vector<std::string> expected = {
        playerEnemy, ":collision " + std::to_string(player) + " " + std::to_string(trigger),
        ":collision " + std::to_string(enemy) + " " + std::to_string(otherPlayer),
        ":collision " + std::to_string(otherPlayer) + " " + std::to_string(trigger)};
    EXPECT_EQ(sent, expected) << update;
  }
  // The circle was pushed out of the player's box and the two players overlap untouched.
  EXPECT_NEAR(PositionOf(enemy).x, 1.0f, 1e-6f);
  EXPECT_EQ(PositionOf(otherPlayer), glm::vec3(0.0f, 0.0f, 0.2f));
  EXPECT_EQ(PositionOf(trigger), glm::vec3(-0.5f, 0.0f, 0.0f));

  ColliderOf(enemy)._isActive = false;
  const std::vector<std::string> inactive = Run();
  EXPECT_EQ(std::count(inactive.begin(), inactive.end(), playerEnemy), 0);
  ColliderOf(enemy)._isActive = true;
  ColliderOf(enemy)._layer = static_cast<ColliderLayer>(9);  // written by a script
  for (const std::string& line : Run()) {
    EXPECT_EQ(line.find(" " + std::to_string(enemy)), std::string::npos) << line;
  }
}

TEST_F(CollisionSystemTest, PairsRefreshWorldPositionAndElevation) {
  MakeFloor();  // pitch 2
  const int raised = AddBody(ColliderType::AABB, {-4.0f, 2.0f, -4.0f});
  const int onGround = AddBody(ColliderType::AABB, {4.0f, 0.0f, 4.0f});
  const int inactive = AddBody(ColliderType::AABB, {0.0f, 3.0f, 0.0f});
  ColliderOf(inactive)._isActive = false;
  ColliderOf(onGround)._isGrounded = false;
  BodyOf(raised)._gravityMultiplier = 0.0f;  // stays where it is
  messaging->PostFormatted("calculate_tile_colliders", 1);
  collision->PairPass();
  EXPECT_FLOAT_EQ(ColliderOf(raised).elevation, 1.0f);
  EXPECT_FALSE(ColliderOf(raised)._isGrounded);
  EXPECT_TRUE(ColliderOf(onGround)._isGrounded);
  EXPECT_EQ(ColliderOf(raised).worldPosition, glm::vec3(-4.0f, 2.0f, -4.0f));
  EXPECT_EQ(ColliderOf(inactive).worldPosition, glm::vec3(0.0f));
  EXPECT_FLOAT_EQ(ColliderOf(inactive).elevation, 0.0f);
}

// Scripts react to the reports while the passes run: a receiver that runs a reaction once for
// the first message beginning with its word.
class ReactingReceiver final : public MessageReciever {
 public:
  ReactingReceiver(std::string word, std::function<void()> react)
      : word(std::move(word)), react(std::move(react)) {
    level = 0;
  }
  void HandleMessage(const std::string& message) override {
    if (reacted || message.rfind(word, 0) != 0) return;
    reacted = true;
    react();
  }
  std::string word;
  std::function<void()> react;
  bool reacted = false;
};

TEST_F(CollisionSystemTest, ScriptsMayDestroyBodiesAndRebuildTilesDuringThePasses) {
  MakeFloor();
  Map().heights[Cell(3, 2)] = 2.0f;
  const int walker = AddBody(ColliderType::AABB, {0.6f, 0.0f, 0.0f});
  const int first = AddBody(ColliderType::AABB, {-4.0f, 0.0f, 4.0f});
  const int second = AddBody(ColliderType::AABB, {-4.0f, 0.0f, 4.5f});
  const int third = AddBody(ColliderType::AABB, {-4.0f, 0.0f, 4.2f});
  BodyOf(walker)._velocity = {1.0f, 0.0f, 0.0f};
  collision->Update(0.0f);

  // The wall report empties the wall's cell and asks for new colliders, which wait for the end
  // of the pass; the first pair report destroys the third body.
  ReactingReceiver onWall("collision_tilemap", [&] {
    Map().layer1[Cell(3, 2)] = '0';
    messaging->PostFormatted("calculate_tile_colliders", 1);
    EXPECT_EQ(collision->TileColliders().records[Cell(3, 2)].kind, TileKind::TILE);
  });
  ReactingReceiver onPair("collision ", [&] { decs->DestroyEntity(third); });
  decs->AddChild(&onWall);
  decs->AddChild(&onPair);
  PositionOf(walker) = {0.6f, 0.0f, 0.0f};
  const std::vector<std::string> sent = Run();
  EXPECT_TRUE(onWall.reacted);
  EXPECT_EQ(collision->TileColliders().records[Cell(3, 2)].kind, TileKind::NONE);
  EXPECT_EQ(sent, (std::vector<std::string>{
                      ":collision_tilemap " + std::to_string(walker),
                      ":collision " + std::to_string(first) + " " + std::to_string(second)}));
}

TEST_F(CollisionSystemTest, WithoutAMapTheTilePassLeavesBodiesAlone) {
  const int body = AddBody(ColliderType::AABB, {0.0f, 3.0f, 0.0f});
  Run(2);
  EXPECT_FALSE(BodyOf(body)._isFalling);
  EXPECT_EQ(PositionOf(body).y, 3.0f);
  // Positions that cannot be cells count as outside a map: no tile, so the body falls.
  MakeFloor();
  messaging->PostFormatted("scene_load", 0);
  for (const glm::vec3 position : {glm::vec3(NAN, 0.0f, 0.0f), glm::vec3(1e30f, 0.0f, 0.0f)}) {
    PositionOf(body) = position;
    BodyOf(body)._isFalling = false;
    Run();
    EXPECT_TRUE(BodyOf(body)._isFalling);
  }
}

TEST_F(CollisionSystemTest, TileCollidersFollowTheMessages) {
  MakeFloor();
  messaging->PostFormatted("calculate_tile_colliders", 1);
  const auto kind = [&](int index) {
    return collision->TileColliders().records[static_cast<std::size_t>(index)].kind;
  };
  messaging->PostFormatted("remove_tile_collider %d", 1, 7);
  EXPECT_EQ(kind(7), TileKind::NONE);
  messaging->PostFormatted("add_tile_collider %d", 1, 7);
  EXPECT_EQ(kind(7), TileKind::GROUND);
  messaging->PostFormatted("remove_tile_collider %d", 1, 7);
  messaging->PostFormatted("remove_tile_collider %d", 1, 25);
  messaging->PostFormatted("add_tile_collider %s", 1, "x");
  messaging->PostFormatted("scene_load %s", 0, "level");
  EXPECT_EQ(kind(7), TileKind::GROUND);
}

TEST_F(CollisionSystemTest, DebugOutlinesLieFlatUnderEveryColliderAndTile) {
  testing_support::RecordingDrawQueue queue;
  collision->SetDrawQueue(&queue);
  MakeMap(1, 1, glm::vec3(2.0f));
  const int box = AddBody(ColliderType::AABB, {1.0f, 5.0f, 2.0f});
  ColliderOf(box)._size = {3.0f, 1.0f, 4.0f};
  const int circle = AddBody(ColliderType::CIRCLE, {-1.0f, 0.0f, 0.0f});
  ColliderOf(circle)._offset = {0.0f, 0.5f, 1.0f};
  collision->Update(0.0f);

  const struct {
    int mode;
    bool drawn;
  } modes[] = {{2, false}, {1, true}, {0, false}, {3, true}};
  for (const auto& mode : modes) {
    queue.draws.clear();
    messaging->PostFormatted("physics_debug %d", 1, mode.mode);
    collision->Render();
    EXPECT_EQ(queue.draws.size(), mode.drawn ? 3u : 0u) << mode.mode;
  }
  // The quad's corner (0.5, 0.5) in its own plane lands on the ground.
  const glm::vec4 corner(0.5f, 0.5f, 0.0f, 1.0f);
  const glm::vec3 expected[] = {{2.5f, 0.0f, 4.0f}, {-0.5f, 0.5f, 1.5f}, {1.0f, 0.0f, 1.0f}};
  for (std::size_t i = 0; i < 3; ++i) {
    const glm::vec4 placed = queue.draws[i].model * corner;
    for (int axis = 0; axis < 3; ++axis) EXPECT_NEAR(placed[axis], expected[i][axis], 1e-5f);
    EXPECT_EQ(queue.draws[i].layer, 1);
  }
}

}  // namespace
