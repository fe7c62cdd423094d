#pragma once
// The narrow phase: what two shapes on the floor plane have to do with each other, on plain
// values. Shapes and their placement go in, a manifold (whether they touch, which way the
// first one leaves the second and how far) or new velocities come out; nothing here knows
// entities or components. The collision system reads its bodies into these shapes, applies
// what comes back and owns the policy of who moves.
//
// The plane is x-z: a glm::vec2 (x, y) here is a world (x, z). Sizes are world units, half
// extents and radii are expected finite and non-negative; a zero-size box or a zero radius is
// a point, and touching (distance or overlap exactly 0) counts as meeting.

#include <glm/glm.hpp>

namespace shapes {

// An axis-aligned box: its centre and half its width (x) and depth (z).
struct Box {
  glm::vec2 centre{0.0f};
  glm::vec2 half{0.0f};
};

struct Circle {
  glm::vec2 centre{0.0f};
  float radius = 0.0f;
};

// The sides of a box, the form the overlap tests and the pair pass's records use.
struct Bounds {
  float minX = 0.0f, maxX = 0.0f, minZ = 0.0f, maxZ = 0.0f;
};

// How the first shape of a test meets the second: moving the first by `normal` * `depth`
// separates them. `normal` is a unit vector along the plane; `touching` is false when the
// shapes are apart (and then `normal` and `depth` mean nothing).
struct Manifold {
  bool touching = false;
  glm::vec2 normal{0.0f};
  float depth = 0.0f;
};

Bounds BoundsOf(const Box& box);

// Whether two boxes overlap or touch.
bool Overlap(const Bounds& a, const Bounds& b);
// Whether a circle at `centre` overlaps or touches the box.
bool CircleMeets(const glm::vec2& centre, float radius, const Bounds& box);

// Two boxes: out along the axis of smaller overlap (x on a tie), away from B's centre (+ when
// the centres are level on that axis). `depth` is the overlap on that axis.
Manifold BoxBox(const Box& a, const Box& b);

// A circle and a box: out along the normal from the box's nearest point. A centre strictly
// inside leaves through the nearest side (the z sides on a tie, then the far side of each
// axis); a centre on an edge leaves along +x by its radius. Touching is no contact.
Manifold CircleBox(const Circle& circle, const Box& box);

// A circle and a box, simpler: out along the normal from the box's nearest point, and along +z
// by the radius when the centre lies on or in the box. `depth` is the radius less the
// distance (negative for a circle that is apart); touching counts.
Manifold CircleBoxFromNearest(const Circle& circle, const Box& box);

// A body for an impulse: where it is, how it moves, and its mass (0: immovable).
struct Mover {
  glm::vec3 position{0.0f};
  glm::vec3 velocity{0.0f};
  float mass = 0.0f;
};

struct Velocities {
  glm::vec3 a{0.0f};
  glm::vec3 b{0.0f};
};

// Two bodies bouncing off each other with restitution 1 along the line between their
// positions (in 3D). Their velocities come back unchanged when they separate already, when
// they share a position, or when neither can move.
Velocities ElasticBounce(const Mover& a, const Mover& b);

}  // namespace shapes
