#include "physics/collision_shapes.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace shapes {

namespace {

glm::vec2 NearestPoint(const glm::vec2& point, const Bounds& box) {
  return {std::clamp(point.x, box.minX, box.maxX), std::clamp(point.y, box.minZ, box.maxZ)};
}

// A centre strictly inside the box leaves through the nearest side, past it by the radius.
Manifold CircleInsideBox(const glm::vec2& centre, float radius, const Bounds& box) {
  const float toMinX = centre.x - box.minX;
  const float toMaxX = box.maxX - centre.x;
  const float toMinZ = centre.y - box.minZ;
  const float toMaxZ = box.maxZ - centre.y;
  Manifold out;
  if (std::min(toMinZ, toMaxZ) <= std::min(toMinX, toMaxX)) {
    if (toMinZ < toMaxZ) {
      out.normal = {0.0f, -1.0f};
      out.depth = toMinZ + radius;
    } else {
      out.normal = {0.0f, 1.0f};
      out.depth = toMaxZ + radius;
    }
  } else if (toMaxX > toMinX) {
    out.normal = {-1.0f, 0.0f};
    out.depth = toMinX + radius;
  } else {
    out.normal = {1.0f, 0.0f};
    out.depth = toMaxX + radius;
  }
  return out;
}

}  // namespace

Bounds BoundsOf(const Box& box) {
  return {box.centre.x - box.half.x, box.centre.x + box.half.x, box.centre.y - box.half.y,
          box.centre.y + box.half.y};
}

bool Overlap(const Bounds& a, const Bounds& b) {
  return a.minX <= b.maxX && a.maxX >= b.minX && a.minZ <= b.maxZ && a.maxZ >= b.minZ;
}

bool CircleMeets(const glm::vec2& centre, float radius, const Bounds& box) {
  const glm::vec2 away = centre - NearestPoint(centre, box);
  return radius * radius >= away.x * away.x + away.y * away.y;
}

Manifold BoxBox(const Box& a, const Box& b) {
  const Bounds boundsA = BoundsOf(a);
  const Bounds boundsB = BoundsOf(b);
  const float overlapX =
      std::min(boundsA.maxX, boundsB.maxX) - std::max(boundsA.minX, boundsB.minX);
  const float overlapZ =
      std::min(boundsA.maxZ, boundsB.maxZ) - std::max(boundsA.minZ, boundsB.minZ);
  Manifold out;
  out.touching = overlapX >= 0.0f && overlapZ >= 0.0f;
  if (overlapX <= overlapZ) {
    out.normal = {a.centre.x < b.centre.x ? -1.0f : 1.0f, 0.0f};
    out.depth = overlapX;
  } else {
    out.normal = {0.0f, a.centre.y < b.centre.y ? -1.0f : 1.0f};
    out.depth = overlapZ;
  }
  return out;
}

Manifold CircleBox(const Circle& circle, const Box& box) {
  const Bounds bounds = BoundsOf(box);
  const glm::vec2& centre = circle.centre;
  Manifold out;
  if (centre.x > bounds.minX && centre.x < bounds.maxX && centre.y > bounds.minZ &&
      centre.y < bounds.maxZ) {
    out = CircleInsideBox(centre, circle.radius, bounds);
  } else {
    const glm::vec2 away = centre - NearestPoint(centre, bounds);
    const float distance = glm::length(away);
    // On the edge there is no direction away from the box: +x.
    out.normal = {1.0f, 0.0f};
    out.depth = circle.radius;
    if (distance > FLT_EPSILON) {
      out.normal = away / distance;
      out.depth = circle.radius - distance;
    }
  }
  // NaN depths (from non-finite input) are no contact either.
  out.touching = out.depth > 0.0f;
  return out;
}

Manifold CircleBoxFromNearest(const Circle& circle, const Box& box) {
  const glm::vec2 away = circle.centre - NearestPoint(circle.centre, BoundsOf(box));
  const float distance = glm::length(away);
  Manifold out;
  out.normal = distance > 0.0f ? away / distance : glm::vec2(0.0f, 1.0f);
  out.depth = circle.radius - distance;
  out.touching = out.depth >= 0.0f;
  return out;
}

Velocities ElasticBounce(const Mover& a, const Mover& b) {
  Velocities out{a.velocity, b.velocity};
  const glm::vec3 between = b.position - a.position;
  const float distance = glm::length(between);
  if (!(distance > 0.0f) || !std::isfinite(distance)) return out;
  const glm::vec3 normal = between / distance;
  const float approach = glm::dot(b.velocity - a.velocity, normal);
  if (approach > 0.0f) return out;
  const float inverseA = a.mass == 0.0f ? 0.0f : 1.0f / a.mass;
  const float inverseB = b.mass == 0.0f ? 0.0f : 1.0f / b.mass;
  const float inverseSum = inverseA + inverseB;
  if (!(inverseSum > 0.0f) || !std::isfinite(inverseSum)) return out;
  const float restitution = 1.0f;
  const float impulse = -(1.0f + restitution) * approach / inverseSum;
  out.a -= normal * impulse * inverseA;
  out.b += normal * impulse * inverseB;
  return out;
}

}  // namespace shapes
