#include "physics/physics_system.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "components/physics.h"
#include "components/transform.h"
#include "tests/render/render_test_scene.h"
#include "tests/support/recording_draw_queue.h"

namespace {

struct IntegrationCase {
  const char* name;
  std::function<void(Physics&, Transform&)> setup;
  float dt;
  glm::vec3 velocity;
  glm::vec3 position;
};

// Bodies start at the origin, at rest, with the component's defaults unless the case says
// otherwise.
TEST(IntegrateBody, StepsTheBodyAsTheTableSays) {
  const auto noDragNoDamping = [](Physics& body) {
    body._dragCoefficient = 0.0f;
    body._linearDamping = 0.0f;
  };
  const IntegrationCase cases[] = {
      {"a push below static friction (W * 0.1 = 0.981) is held",
       [](Physics& b, Transform&) {
         b.forceAccumulator = {0.8f, 0.0f, 0.5f};
       },
       0.5f,
       {0.0f, 0.0f, 0.0f},
       {0.0f, 0.0f, 0.0f}},
      {"a push above static friction moves the body, damped by powf(0.5, dt)",
       [](Physics& b, Transform&) {
         b.forceAccumulator = {2.0f, 0.0f, 0.0f};
       },
       0.5f,
       {0.70710678f, 0.0f, 0.0f},
       {0.35355339f, 0.0f, 0.0f}},
      {"kinetic friction slows a moving body on the ground",
       [&](Physics& b, Transform&) {
         noDragNoDamping(b);
         b._velocity = {1.0f, 0.0f, 0.0f};
       },
       0.1f,
       {0.9019f, 0.0f, 0.0f},
       {0.09019f, 0.0f, 0.0f}},
      {"a falling body gets no friction and falls at m * 9.81 * 9 = 88.29",
       [&](Physics& b, Transform&) {
         noDragNoDamping(b);
         b._velocity = {1.0f, 0.0f, 0.0f};
         b._isFalling = true;
       },
       0.1f,
       {1.0f, -8.829f, 0.0f},
       {0.1f, -0.8829f, 0.0f}},
      {"the mass multiplies the fall: mass 2 falls at 176.58",
       [&](Physics& b, Transform&) {
         noDragNoDamping(b);
         b._mass = 2.0f;
         b._isFalling = true;
       },
       0.1f,
       {0.0f, -17.658f, 0.0f},
       {0.0f, -1.7658f, 0.0f}},
      {"drag pulls against the velocity on every axis",
       [](Physics& b, Transform&) {
         b._linearDamping = 0.0f;
         b._dragCoefficient = 1.0f;
         b._velocity = {0.0f, 2.0f, 0.0f};
       },
       0.1f,
       {0.0f, 1.8f, 0.0f},
       {0.0f, 0.18f, 0.0f}},
      {"a velocity below 0.001 stops exactly",
       [&](Physics& b, Transform&) {
         noDragNoDamping(b);
         b._isFalling = true;
         b._gravityMultiplier = 0.0f;
         b._velocity = {0.0006f, 0.0f, 0.0006f};
       },
       0.1f,
       {0.0f, 0.0f, 0.0f},
       {0.0f, 0.0f, 0.0f}},
      {"damping above 1 stops the body instead of making it NaN",
       [](Physics& b, Transform&) {
         b._linearDamping = 1.5f;
         b._dragCoefficient = 0.0f;
         b._isFalling = true;
         b._gravityMultiplier = 0.0f;
         b._velocity = {5.0f, 0.0f, 0.0f};
       },
       0.1f,
       {0.0f, 0.0f, 0.0f},
       {0.0f, 0.0f, 0.0f}},
  };
  for (const IntegrationCase& test : cases) {
    SCOPED_TRACE(test.name);
    Physics body;
    Transform transform;
    test.setup(body, transform);
    IntegrateBody(body, transform, test.dt);
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_NEAR(body._velocity[axis], test.velocity[axis], 1e-4f) << "velocity " << axis;
      EXPECT_NEAR(transform._position[axis], test.position[axis], 1e-4f) << "position " << axis;
    }
    EXPECT_EQ(body.forceAccumulator, glm::vec3(0.0f));
    EXPECT_EQ(body.torqueAccumulator, glm::vec3(0.0f));
    EXPECT_EQ(body._acceleration, glm::vec3(0.0f));
  }
}

TEST(IntegrateBody, TurnsByTorqueAndKeepsRotationInOneTurn) {
  const struct {
    glm::vec3 rotation;
    glm::vec3 torque;
    glm::vec3 expected;
  } cases[] = {
      {{370.0f, -30.0f, 720.0f}, {0.0f, 0.0f, 0.0f}, {10.0f, 330.0f, 0.0f}},
      {{359.95f, 0.0f, 0.0f}, {10.0f, 0.0f, 0.0f}, {0.05f, 0.0f, 0.0f}},
  };
  for (const auto& test : cases) {
    Physics body;
    body._angularDamping = 0.0f;
    body.torqueAccumulator = test.torque;
    Transform transform;
    transform._rotation = test.rotation;
    IntegrateBody(body, transform, 0.1f);
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_NEAR(transform._rotation[axis], test.expected[axis], 1e-3f) << axis;
    }
  }
}

using testing_support::RecordingDrawQueue;

class PhysicsSystemTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    physics = systems->RegisterSystem<PhysicsSystem>().get();
    physics->SetDrawQueue(&queue);
  }

  int AddBody(const Physics& body = Physics{}, const glm::vec3& position = glm::vec3(0.0f)) {
    const int entity = CreateEntity("body");
    Add<Physics>(entity, body);
    Add<Transform>(entity, Transform(position, {}, {1.0f, 1.0f, 1.0f}));
    return entity;
  }

  Physics& BodyOf(int entity) { return *components->GetComponent<Physics>(entity); }
  Transform& TransformOf(int entity) { return *components->GetComponent<Transform>(entity); }

  PhysicsSystem* physics = nullptr;
  RecordingDrawQueue queue;
};

TEST_F(PhysicsSystemTest, KinematicAndMasslessBodies) {
  Physics kinematic;
  kinematic._isKinematic = true;
  kinematic._isFalling = true;
  kinematic._velocity = {1.0f, 0.0f, 2.0f};
  kinematic._angularVelocity = {0.0f, 4000.0f, 0.0f};
  const int mover = AddBody(kinematic);
  Physics massless;
  massless._mass = 0.0f;
  massless._velocity = {3.0f, 0.0f, 0.0f};
  const int frozen = AddBody(massless, {5.0f, 0.0f, 0.0f});

  physics->Update(0.5f);
  // Moved by velocity alone, falling or not; the rotation is not wrapped.
  EXPECT_EQ(TransformOf(mover)._position, glm::vec3(0.5f, 0.0f, 1.0f));
  EXPECT_EQ(TransformOf(mover)._rotation.y, 2000.0f);
  EXPECT_EQ(BodyOf(mover)._velocity, kinematic._velocity);
  EXPECT_EQ(BodyOf(mover)._mass, PhysicsSystem::kKinematicMass);
  EXPECT_EQ(TransformOf(frozen)._position, glm::vec3(5.0f, 0.0f, 0.0f));
  EXPECT_EQ(BodyOf(frozen).previousPosition, glm::vec3(5.0f, 0.0f, 0.0f));

  // Only the first update makes kinematic bodies heavy.
  const int later = AddBody(kinematic);
  physics->Update(0.5f);
  EXPECT_EQ(BodyOf(later)._mass, 1.0f);
  EXPECT_EQ(BodyOf(mover).previousPosition, glm::vec3(0.5f, 0.0f, 1.0f));
}

TEST_F(PhysicsSystemTest, MessagesSetAndReadBodies) {
  const int body = AddBody();
  const int bare = CreateEntity("no physics");
  Add<Transform>(bare);
  const std::string id = std::to_string(body);

  messaging->PostFormatted("physics_set_velocity %s 1 2 3", 1, id.c_str());
  messaging->PostFormatted("physics_set_position %s 4 5 6", 1, id.c_str());
  messaging->PostFormatted("physics_set_angular_velocity %s 7 8 9", 1, id.c_str());
  messaging->PostFormatted("physics_set_acceleration %s 1 1 1", 1, id.c_str());
  messaging->PostFormatted("physics_apply_force %s 1 0 0", 1, id.c_str());
  messaging->PostFormatted("physics_apply_force %s 2 0 0.5", 1, id.c_str());
  messaging->PostFormatted("physics_apply_torque %s 0 1 0", 1, id.c_str());
  EXPECT_EQ(BodyOf(body)._velocity, glm::vec3(1.0f, 2.0f, 3.0f));
  EXPECT_EQ(TransformOf(body)._position, glm::vec3(4.0f, 5.0f, 6.0f));
  EXPECT_EQ(BodyOf(body)._angularVelocity, glm::vec3(7.0f, 8.0f, 9.0f));
  EXPECT_EQ(BodyOf(body)._acceleration, glm::vec3(1.0f));
  EXPECT_EQ(BodyOf(body).forceAccumulator, glm::vec3(3.0f, 0.0f, 0.5f));
  EXPECT_EQ(BodyOf(body).torqueAccumulator, glm::vec3(0.0f, 1.0f, 0.0f));

  const struct {
    std::string message;
    std::string reply;
  } queries[] = {
      {"physics_get_velocity " + id, "1.000000 2.000000 3.000000"},
      {"physics_get_position " + id, "4.000000 5.000000 6.000000"},
      {"physics_get_velocity " + std::to_string(bare), "0.000000 0.000000 0.000000"},
      {"physics_get_position 1023", "0.000000 0.000000 0.000000"},
      {"physics_get_position -7", "0.000000 0.000000 0.000000"},
      {"physics_get_velocity many words", "0.000000 0.000000 0.000000"},
  };
  for (const auto& query : queries) {
    EXPECT_EQ(messaging->PostFormatted("%s", 1, query.message.c_str()), query.reply)
        << query.message;
  }

  // Malformed or misdirected commands change nothing.
  const std::string ignored[] = {
      "physics_set_velocity " + id + " x 0 0",
      "physics_set_velocity " + id + " 1 2",
      "physics_set_velocity " + id + " 9 9 9 9",
      "physics_set_velocity 99999999999 1 1 1",
      "physics_set_velocity " + std::to_string(bare) + " 9 9 9",
      "physics_set_velocityx " + id + " 9 9 9",
  };
  for (const std::string& message : ignored) {
    messaging->PostFormatted("%s", 1, message.c_str());
    EXPECT_EQ(BodyOf(body)._velocity, glm::vec3(1.0f, 2.0f, 3.0f)) << message;
  }

  // A set acceleration is replaced by force / mass in the next step.
  physics->Update(0.0f);
  EXPECT_EQ(BodyOf(body)._acceleration, glm::vec3(0.0f));
  EXPECT_EQ(BodyOf(body).forceAccumulator, glm::vec3(0.0f));
}

TEST_F(PhysicsSystemTest, DebugArrowsFollowTheHorizontalVelocityAndForce) {
  Physics moving;
  moving._velocity = {20.0f, 5.0f, 0.0f};
  moving.forceAccumulator = {0.0f, 0.0f, -10.0f};
  moving._mass = 2.0f;
  AddBody(moving, {1.0f, 2.0f, 3.0f});
  Physics upward;
  upward._velocity = {0.0f, 7.0f, 0.0f};
  AddBody(upward);
  Physics massless;
  massless._mass = 0.0f;
  massless._velocity = {1.0f, 0.0f, 0.0f};
  AddBody(massless);

  const struct {
    int mode;
    bool drawn;
  } modes[] = {{1, false}, {2, true}, {0, false}, {3, true}};
  for (const auto& mode : modes) {
    queue.draws.clear();
    messaging->PostFormatted("physics_debug %d", 1, mode.mode);
    physics->Render();
    EXPECT_EQ(queue.draws.size(), mode.drawn ? 2u : 0u) << mode.mode;
  }

  // The arrow mesh points along +y; the model turns it along the vector, a tenth as long.
  ASSERT_EQ(queue.draws.size(), 2u);
  const struct {
    glm::vec3 colour;
    glm::vec3 tip;
  } expected[] = {{{0.0f, 1.0f, 0.0f}, {3.0f, 2.0f, 3.0f}},
                  {{1.0f, 0.0f, 0.0f}, {1.0f, 2.0f, 2.5f}}};
  for (std::size_t i = 0; i < 2; ++i) {
    const DrawRequest& draw = queue.draws[i];
    EXPECT_EQ(draw.diffuseOverride, expected[i].colour);
    EXPECT_TRUE(draw.overrideDiffuse);
    EXPECT_FLOAT_EQ(draw.alphaOverride, 0.6f);
    EXPECT_EQ(draw.layer, 1);
    const glm::vec4 tip = draw.model * glm::vec4(0.0f, 1.0f, 0.0f, 1.0f);
    for (int axis = 0; axis < 3; ++axis) EXPECT_NEAR(tip[axis], expected[i].tip[axis], 1e-5f);
  }

  glm::mat4 model;
  EXPECT_FALSE(DebugArrowModel({}, {NAN, 0.0f, 1.0f}, model));
  EXPECT_FALSE(DebugArrowModel({}, {INFINITY, 0.0f, 0.0f}, model));
}

}  // namespace
