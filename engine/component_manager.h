#pragma once
// ComponentManager: owns one ComponentArray per registered component type, filed under the
// type's name ("class Transform").
//
//   manager.RegisterComponent<Transform>();          // once per type, at start-up
//   manager.AddComponent(entity, Transform{});        // copy into the slot, mark present, log
//   if (manager.HasComponent<Transform>(entity)) ...
//   Transform* transform = manager.GetComponent<Transform>(entity);
//   manager.RemoveComponent<Transform>(entity);       // clear presence, keep the value, log
//
// Adding and removing touch only the array: the caller keeps the entity's signature in step
// (EntityManager::AddToSignature / RemoveFromSignature) and then tells the systems once
// (SystemManager::EntitySignatureChanged).
//
// Errors: every typed operation checks the entity id (0..1023) and that the type has an array.
// A bad id or a type without an array (such as Sequence, which is a component class but is
// never registered) logs a warning and does nothing; GetComponent then returns null and
// HasComponent false. Look-ups never insert into the registry.
//
// Speed: the typed operations find the array through a small per-type index rather than by
// hashing the type name on every call; `componentArrays` stays the registry by name.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/base_manager.h"
#include "engine/component_array.h"
#include "engine/component_binder.h"
#include "engine/entity.h"
#include "engine/type_name.h"

struct lua_State;

// A small integer per component type, handed out in order of first use (0, 1, 2, ...). It is a
// property of the type within this process, not engine state: every ComponentManager maps it
// to its own arrays.
int NextComponentTypeIndex();

template <typename Component>
int ComponentTypeIndex() {
  static const int index = NextComponentTypeIndex();
  return index;
}

class ComponentManager : public BaseManager {
 public:
  // Hashes type names given as std::string or std::string_view alike, so a look-up by name
  // needs no temporary string.
  struct TypeNameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const {
      return std::hash<std::string_view>{}(name);
    }
  };
  using ArrayRegistry =
      std::unordered_map<std::string, std::shared_ptr<BaseArray>, TypeNameHash, std::equal_to<>>;

  // Creates the component array of a class and files it under the class's type name; a name
  // that is already filed keeps its first array. Reports the Lua binding state ("Attempting to
  // bind component to Lua: <name>" and "Warning: Null binder found" per empty binder, or
  // "Warning: No Lua state available for binding"), then
  // "ComponentManager : '<name>' registered".
  template <typename Component>
  void RegisterComponent() {
    const std::string_view name = TypeName<Component>();
    auto entry = componentArrays.find(name);
    if (entry == componentArrays.end()) {
      auto array = std::make_shared<ComponentArray<Component>>();
      entry = componentArrays.emplace(std::string(name), std::move(array)).first;
    }
    if (auto* typed = dynamic_cast<ComponentArray<Component>*>(entry->second.get())) {
      IndexArray(ComponentTypeIndex<Component>(), typed);
    }
    ReportRegistration(name);
  }

  // Copies `value` (fromPrefab included) into the entity's slot, marks it present and logs
  // "ComponentManager : '<name>' added to Entity '<id>'". A present slot is overwritten.
  template <typename Component>
  void AddComponent(int entity, Component value) {
    ComponentArray<Component>* array = CheckedArray<Component>(entity, "AddComponent");
    if (array == nullptr) return;
    const Component& source = value;
    array->components[entity] = source;
    array->presence[entity] = 1;
    const std::string_view name = TypeName<Component>();
    std::printf("ComponentManager : '%.*s' added to Entity '%i'\n", static_cast<int>(name.size()),
                name.data(), entity);
  }

  // Clears the entity's presence byte (the slot keeps its value) and logs
  // "ComponentManager : '<name>' removed from Entity '<id>'", present or not.
  template <typename Component>
  void RemoveComponent(int entity) {
    ComponentArray<Component>* array = CheckedArray<Component>(entity, "RemoveComponent");
    if (array == nullptr) return;
    array->presence[entity] = 0;
    const std::string_view name = TypeName<Component>();
    std::printf("ComponentManager : '%.*s' removed from Entity '%i'\n",
                static_cast<int>(name.size()), name.data(), entity);
  }

  // True when the entity has the component.
  template <typename Component>
  bool HasComponent(int entity) const {
    const ComponentArray<Component>* array = CheckedArray<Component>(entity, "HasComponent");
    return array != nullptr && array->HasComponent(entity);
  }

  // The entity's slot, whether the component is present or not (an absent slot holds the
  // default value or the last removed one). The address stays valid while the manager lives.
  template <typename Component>
  Component* GetComponent(int entity) const {
    ComponentArray<Component>* array = CheckedArray<Component>(entity, "GetComponent");
    return array != nullptr ? &array->components[entity] : nullptr;
  }

  // The array of a class, or null when the class is not registered. Silent.
  template <typename Component>
  ComponentArray<Component>* GetArray() const {
    const auto index = static_cast<std::size_t>(ComponentTypeIndex<Component>());
    if (index < arraysByType.size() && arraysByType[index] != nullptr) {
      return static_cast<ComponentArray<Component>*>(arraysByType[index]);
    }
    // An array filed under the name by other means than RegisterComponent.
    const auto entry = componentArrays.find(TypeName<Component>());
    return entry != componentArrays.end()
               ? dynamic_cast<ComponentArray<Component>*>(entry->second.get())
               : nullptr;
  }

  // Clears the entity's presence byte in every array; the stored values stay.
  void EntityDestroyed(int entity);

  // One array per registered type, by type name.
  ArrayRegistry componentArrays;
  // Binders of the scripting system; registration reports the empty ones.
  std::vector<IComponentBinder*> luaBinders;
  // Set by the scripting system once its Lua state exists.
  lua_State* luaState = nullptr;

 private:
  template <typename Component>
  ComponentArray<Component>* CheckedArray(int entity, const char* operation) const {
    if (!IsValidEntityId(entity)) {
      ReportInvalidEntity(TypeName<Component>(), operation, entity);
      return nullptr;
    }
    ComponentArray<Component>* array = GetArray<Component>();
    if (array == nullptr) ReportMissingArray(TypeName<Component>(), operation, entity);
    return array;
  }

  void IndexArray(int typeIndex, BaseArray* array);
  void ReportRegistration(std::string_view name) const;
  static void ReportInvalidEntity(std::string_view name, const char* operation, int entity);
  static void ReportMissingArray(std::string_view name, const char* operation, int entity);

  // Indexed by ComponentTypeIndex; null where the type has no array here. The arrays are owned
  // by componentArrays.
  std::vector<BaseArray*> arraysByType;
};
DECLARE_TYPE_NAME(class, ComponentManager);
