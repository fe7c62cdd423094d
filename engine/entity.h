#pragma once
// Entity ids: a signed 32-bit id from 0 to kMaxEntities - 1; kNoEntity (-1) stands for none.
// Every boundary that takes an id from outside (messages, scripts, files) checks it here.

#include <set>
#include <string>

constexpr int kMaxEntities = 1024;
constexpr int kNoEntity = -1;

constexpr bool IsValidEntityId(int entity) { return entity >= 0 && entity < kMaxEntities; }

// The component type names ("class Transform") an entity has, or that a system needs.
using Signature = std::set<std::string, std::less<>>;
