#pragma once
// Component storage: one array per component type with a slot for every entity id.
//
// Every slot always holds a whole value of its type, value-initialised when the array is made;
// `presence` alone says whether the entity has the component. Removing a component or
// destroying its entity clears the presence byte and keeps the value until the slot is written
// again. The 1024 elements are one heap block allocated at run time (a fixed-size member array
// would make the compiler build every element's initialiser at compile time, minutes per type
// at -O2); the block never grows, shrinks or moves, so an element's address stays valid for
// the life of the array.
//
// The array checks nothing: callers pass ids for which IsValidEntityId holds (the
// ComponentManager checks them at its boundary).

#include <array>
#include <cstdint>
#include <memory>

#include "engine/entity.h"

class BaseArray {
 public:
  virtual ~BaseArray() = default;

  // True when the entity's presence byte is set.
  bool HasComponent(int entity) const { return presence[entity] != 0; }
  // The entity's element, present or not.
  virtual void* GetComponent(int entity) = 0;
  // Resets the entity's element to the type's default value and marks it present.
  virtual void AddComponent(int /*entity*/) {}

  // 1 = the entity has the component; one byte per entity id, all 0 at creation.
  std::array<std::uint8_t, kMaxEntities> presence{};
};

template <typename Component>
class ComponentArray final : public BaseArray {
 public:
  void* GetComponent(int entity) override { return &components[entity]; }

  void AddComponent(int entity) override {
    // Assign over the element rather than rebuilding it, so the slot keeps its address.
    const Component fresh{};
    components[entity] = fresh;
    presence[entity] = 1;
  }

  Component& At(int entity) { return components[entity]; }
  const Component& At(int entity) const { return components[entity]; }

  // kMaxEntities value-initialised elements.
  const std::unique_ptr<Component[]> components = std::make_unique<Component[]>(kMaxEntities);
};
