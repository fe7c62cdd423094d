#include "physics/collision_shapes.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

using shapes::Box;
using shapes::Circle;
using shapes::Manifold;

// The box most cases meet: 1 x 1, centred on the origin.
constexpr Box kUnitBox{{0.0f, 0.0f}, {0.5f, 0.5f}};

void ExpectManifold(const Manifold& actual, bool touching, glm::vec2 normal, float depth) {
  EXPECT_EQ(actual.touching, touching);
  if (!touching) return;
  EXPECT_NEAR(actual.normal.x, normal.x, 1e-5f);
  EXPECT_NEAR(actual.normal.y, normal.y, 1e-5f);
  EXPECT_NEAR(actual.depth, depth, 1e-5f);
}

// A shape met by a fixed second shape, and the manifold expected (normal and depth only matter
// when touching).
template <typename Shape>
struct ManifoldCase {
  const char* name;
  Shape shape;
  bool touching;
  glm::vec2 normal;
  float depth;
};

// Runs every case through `test` (shape in, manifold out).
template <typename Shape, std::size_t N, typename Test>
void ExpectManifolds(const ManifoldCase<Shape> (&cases)[N], Test test) {
  for (const ManifoldCase<Shape>& each : cases) {
    SCOPED_TRACE(each.name);
    ExpectManifold(test(each.shape), each.touching, each.normal, each.depth);
  }
}

TEST(CollisionShapes, OverlapTestsCountTouching) {
  const shapes::Bounds unit = shapes::BoundsOf(kUnitBox);
  const struct {
    const char* name;
    Box other;
    bool overlap;
  } boxes[] = {
      {"overlapping", {{0.8f, 0.5f}, {0.5f, 0.5f}}, true},
      {"touching on x", {{1.0f, 0.0f}, {0.5f, 0.5f}}, true},
      {"touching at a corner", {{1.0f, 1.0f}, {0.5f, 0.5f}}, true},
      {"apart on x", {{1.01f, 0.0f}, {0.5f, 0.5f}}, false},
      {"apart on z only", {{0.0f, -1.5f}, {0.5f, 0.5f}}, false},
      {"a point inside", {{0.2f, 0.1f}, {0.0f, 0.0f}}, true},
  };
  for (const auto& test : boxes) {
    SCOPED_TRACE(test.name);
    const shapes::Bounds other = shapes::BoundsOf(test.other);
    EXPECT_EQ(shapes::Overlap(unit, other), test.overlap);
    EXPECT_EQ(shapes::Overlap(other, unit), test.overlap);
  }

  const struct {
    const char* name;
    glm::vec2 centre;
    float radius;
    bool meets;
  } circles[] = {
      {"centre inside", {0.1f, 0.1f}, 0.1f, true},
      {"touching a side", {1.0f, 0.0f}, 0.5f, true},
      {"apart from a side", {1.0f, 0.0f}, 0.49f, false},
      {"reaching a corner", {0.8f, 0.8f}, 0.43f, true},
      {"short of a corner: within each axis' reach, not the diagonal", {0.8f, 0.8f}, 0.4f, false},
      {"a point on the edge", {0.5f, 0.2f}, 0.0f, true},
  };
  for (const auto& test : circles) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(shapes::CircleMeets(test.centre, test.radius, unit), test.meets);
  }
}

TEST(CollisionShapes, BoxesLeaveAlongTheAxisOfSmallerOverlap) {
  const ManifoldCase<Box> cases[] = {
      {"deeper on z: out along -x", {{-0.8f, 0.5f}, {0.5f, 0.5f}}, true, {-1.0f, 0.0f}, 0.2f},
      {"deeper on x: out along +z", {{0.3f, 0.9f}, {0.5f, 0.5f}}, true, {0.0f, 1.0f}, 0.1f},
      {"out along +x", {{0.7f, 0.0f}, {0.5f, 0.5f}}, true, {1.0f, 0.0f}, 0.3f},
      {"out along -z", {{0.0f, -0.6f}, {0.5f, 0.5f}}, true, {0.0f, -1.0f}, 0.4f},
      {"equal overlaps: along x", {{-0.5f, -0.5f}, {0.5f, 0.5f}}, true, {-1.0f, 0.0f}, 0.5f},
      {"same centre: along +x by the whole width",
       {{0.0f, 0.0f}, {0.5f, 0.5f}},
       true,
       {1.0f, 0.0f},
       1.0f},
      {"touching: a contact of depth 0", {{1.0f, 0.2f}, {0.5f, 0.5f}}, true, {1.0f, 0.0f}, 0.0f},
      {"a wide flat box: along z", {{0.0f, 0.55f}, {3.0f, 0.1f}}, true, {0.0f, 1.0f}, 0.05f},
      {"a point inside is not pushed", {{0.2f, 0.1f}, {0.0f, 0.0f}}, true, {1.0f, 0.0f}, 0.0f},
      {"apart on x", {{1.2f, 0.0f}, {0.5f, 0.5f}}, false, {}, 0.0f},
      {"apart on z, overlapping on x", {{0.1f, -1.3f}, {0.5f, 0.5f}}, false, {}, 0.0f},
  };
  ExpectManifolds(cases, [](const Box& box) { return shapes::BoxBox(box, kUnitBox); });
}

TEST(CollisionShapes, CirclesLeaveBoxesFromTheNearestPointOrSide) {
  const ManifoldCase<Circle> cases[] = {
      {"outside, overlapping +x", {{0.8f, 0.0f}, 0.5f}, true, {1.0f, 0.0f}, 0.2f},
      {"outside, overlapping -z", {{0.1f, -0.7f}, 0.5f}, true, {0.0f, -1.0f}, 0.3f},
      {"at a corner: along the diagonal",
       {{0.8f, 0.8f}, 0.5f},
       true,
       {0.70710678f, 0.70710678f},
       0.5f - 0.42426407f},
      {"beyond a corner though within each axis' reach", {{0.9f, 0.9f}, 0.5f}, false, {}, 0.0f},
      {"touching a side: no contact", {{1.0f, 0.0f}, 0.5f}, false, {}, 0.0f},
      {"apart", {{2.0f, 0.0f}, 0.5f}, false, {}, 0.0f},
      {"inside, nearest +z", {{0.1f, 0.3f}, 0.5f}, true, {0.0f, 1.0f}, 0.7f},
      {"inside, nearest -z", {{0.1f, -0.3f}, 0.5f}, true, {0.0f, -1.0f}, 0.7f},
      {"inside, nearest -x", {{-0.4f, 0.0f}, 0.5f}, true, {-1.0f, 0.0f}, 0.6f},
      {"inside, nearest +x", {{0.35f, 0.1f}, 0.5f}, true, {1.0f, 0.0f}, 0.65f},
      {"at the centre: the z sides win, +z", {{0.0f, 0.0f}, 0.5f}, true, {0.0f, 1.0f}, 1.0f},
      {"a point inside still leaves", {{0.0f, 0.3f}, 0.0f}, true, {0.0f, 1.0f}, 0.2f},
      {"on an edge: along +x by the radius", {{-0.5f, 0.2f}, 0.5f}, true, {1.0f, 0.0f}, 0.5f},
      {"a point outside: no contact", {{0.6f, 0.0f}, 0.0f}, false, {}, 0.0f},
  };
  ExpectManifolds(cases, [](const Circle& circle) { return shapes::CircleBox(circle, kUnitBox); });

  // A zero-size box is a point the circle leaves by the distance it lacks.
  const Box point{{0.0f, 0.0f}, {0.0f, 0.0f}};
  ExpectManifold(shapes::CircleBox({{0.3f, 0.0f}, 0.5f}, point), true, {1.0f, 0.0f}, 0.2f);
  ExpectManifold(shapes::CircleBox({{0.0f, 0.0f}, 0.5f}, point), true, {1.0f, 0.0f}, 0.5f);
}

TEST(CollisionShapes, CirclesLeaveFromTheNearestPointOrAlongZ) {
  // A 2 x 2 square, as a tile of that size is.
  const Box square{{0.0f, 0.0f}, {1.0f, 1.0f}};
  const ManifoldCase<Circle> cases[] = {
      {"overlapping +x", {{1.3f, 0.0f}, 0.5f}, true, {1.0f, 0.0f}, 0.2f},
      {"overlapping -z", {{0.4f, -1.1f}, 0.5f}, true, {0.0f, -1.0f}, 0.4f},
      {"at a corner", {{1.3f, 1.4f}, 0.6f}, true, {0.6f, 0.8f}, 0.1f},
      {"inside: +z by the radius, not the nearest side",
       {{0.9f, -0.8f}, 0.5f},
       true,
       {0.0f, 1.0f},
       0.5f},
      {"on an edge: +z", {{1.0f, 0.3f}, 0.5f}, true, {0.0f, 1.0f}, 0.5f},
      {"touching", {{0.0f, 1.5f}, 0.5f}, true, {0.0f, 1.0f}, 0.0f},
      {"apart", {{2.0f, 0.0f}, 0.5f}, false, {}, 0.0f},
  };
  ExpectManifolds(
      cases, [&](const Circle& circle) { return shapes::CircleBoxFromNearest(circle, square); });
  // Apart, the depth says by how much.
  EXPECT_NEAR(shapes::CircleBoxFromNearest({{2.0f, 0.0f}, 0.5f}, square).depth, -0.5f, 1e-6f);
}

TEST(CollisionShapes, ElasticBouncesKeepMomentumAndEnergy) {
  const struct {
    const char* name;
    shapes::Mover a, b;
    glm::vec3 expectedA, expectedB;
  } cases[] = {
      {"equal masses head-on swap their normal speeds; the tangent speed stays",
       {{0.0f, 0.0f, 0.0f}, {2.0f, 0.0f, 1.0f}, 1.0f},
       {{1.5f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}, 1.0f},
       {-1.0f, 0.0f, 1.0f},
       {2.0f, 0.0f, 0.0f}},
      {"a light body hitting a heavy one comes back",
       {{0.0f, 0.0f, 0.0f}, {4.0f, 0.0f, 0.0f}, 1.0f},
       {{1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, 3.0f},
       {-2.0f, 0.0f, 0.0f},
       {2.0f, 0.0f, 0.0f}},
      {"an immovable body (mass 0) reflects the other",
       {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, 0.0f},
       {{0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, -3.0f}, 1.0f},
       {0.0f, 0.0f, 0.0f},
       {0.0f, 0.0f, 3.0f}},
      {"the line between them is 3D: a height difference tilts the normal",
       {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, 1.0f},
       {{1.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, 1.0f},
       {0.5f, -0.5f, 0.0f},
       {0.5f, 0.5f, 0.0f}},
      {"already separating: unchanged",
       {{0.0f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}, 1.0f},
       {{1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, 1.0f},
       {-1.0f, 0.0f, 0.0f},
       {1.0f, 0.0f, 0.0f}},
      {"the same position: unchanged",
       {{2.0f, 0.0f, 2.0f}, {1.0f, 0.0f, 0.0f}, 1.0f},
       {{2.0f, 0.0f, 2.0f}, {-1.0f, 0.0f, 0.0f}, 1.0f},
       {1.0f, 0.0f, 0.0f},
       {-1.0f, 0.0f, 0.0f}},
      {"both immovable: unchanged",
       {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, 0.0f},
       {{1.0f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}, 0.0f},
       {1.0f, 0.0f, 0.0f},
       {-1.0f, 0.0f, 0.0f}},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const shapes::Velocities after = shapes::ElasticBounce(test.a, test.b);
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_NEAR(after.a[axis], test.expectedA[axis], 1e-5f) << axis;
      EXPECT_NEAR(after.b[axis], test.expectedB[axis], 1e-5f) << axis;
    }
  }
}

}  // namespace
