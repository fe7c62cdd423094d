#pragma once
// SystemManager: owns one instance of each system, found by its type name, and keeps the
// component signature that decides which entities each system works on.
//
// Systems are kept in registration order, and every walk over them (update, render, shutdown,
// entity removal, signature changes, message delivery) uses that order.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/base_manager.h"
#include "engine/base_system.h"
#include "engine/entity.h"
#include "engine/type_name.h"

class SystemManager : public BaseManager {
 public:
  // Creates the system, stores it under its type name, runs its Init, links it into the message
  // tree and logs "SystemManager : '<type name>' registered". A second registration of the same
  // class returns the existing system.
  template <typename System, typename... Arguments>
  std::shared_ptr<System> RegisterSystem(Arguments&&... arguments) {
    const std::string name(TypeName<System>());
    if (auto existing = systems.find(name); existing != systems.end()) {
      return std::static_pointer_cast<System>(existing->second);
    }
    auto system = std::make_shared<System>(std::forward<Arguments>(arguments)...);
    systems.emplace(name, system);
    orderedSystems.push_back({name, system});
    system->Init();
    AddChild(system.get());
    std::printf("SystemManager : '%s' registered\n", name.c_str());
    return system;
  }

  // The registered system of a class, or an empty handle.
  template <typename System>
  std::shared_ptr<System> GetSystem() const {
    return std::static_pointer_cast<System>(FindSystemHandle(TypeName<System>()));
  }

  // The registered system under a type name ("class InputSystem"), or null.
  BaseSystem* FindSystem(std::string_view typeName) const;

  // Stores the component types an entity must all have to be in the system's entity set.
  void SetSignature(std::string_view systemTypeName, Signature signature);

  // Puts the entity into the set of every system whose signature its own covers and takes it out
  // of every other; a system without a signature receives every entity.
  void EntitySignatureChanged(int entity, const Signature& entitySignature);

  // Takes the entity out of every system's set.
  void EntityDestroyed(int entity);

  struct RegisteredSystem {
    std::string typeName;
    std::shared_ptr<BaseSystem> system;
  };

  // Every system, in registration order.
  const std::vector<RegisteredSystem>& Systems() const { return orderedSystems; }

  std::unordered_map<std::string, std::shared_ptr<BaseSystem>> systems;
  std::unordered_map<std::string, Signature> signatures;

 private:
  std::shared_ptr<BaseSystem> FindSystemHandle(std::string_view typeName) const;

  std::vector<RegisteredSystem> orderedSystems;
};
DECLARE_TYPE_NAME(class, SystemManager);
