#pragma once
// Component storage: one array per component type with a slot for every entity id.
//
// Every slot always holds a whole value; `presence` alone says whether the entity has the
// component. Removing a component or destroying its entity clears the presence byte and keeps
// the value. Element addresses never change for the life of the array.

#include <array>
#include <cstdint>
#include <memory>

#include "engine/entity.h"

class BaseArray {
 public:
  virtual ~BaseArray() = default;
  // The caller has checked the id (IsValidEntityId).
  bool HasComponent(int entity) const { return presence[entity] != 0; }
  virtual void* GetComponent(int entity) = 0;
  // Resets the entity's element to the type's default value and marks it present.
  virtual void AddComponent(int entity) = 0;

  std::array<std::uint8_t, kMaxEntities> presence{};
};

template <typename Component>
class ComponentArray final : public BaseArray {
 public:
  void* GetComponent(int entity) override { return &components[entity]; }
  void AddComponent(int entity) override {
    components[entity] = Component{};
    presence[entity] = 1;
  }

  Component& At(int entity) { return components[entity]; }

 private:
  // On the heap: 1024 components are too large to live inside the object.
  std::unique_ptr<Component[]> components = std::make_unique<Component[]>(kMaxEntities);
};
