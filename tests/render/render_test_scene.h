#pragma once
// Entities for the render tests: an engine with every component type registered, and a helper
// that gives an entity components and tells the systems, as the entity reader does.
//
//   class MyTest : public testing_support::RenderTestScene {};
//   const int camera = CreateEntity("camera");
//   Add<Transform>(camera)._position = {0, 0, 10};   // returns the stored component

#include <string>
#include <utility>

#include "components/component_registration.h"
#include "engine/component_manager.h"
#include "engine/entity_manager.h"
#include "engine/system_manager.h"
#include "tests/support/engine_fixture.h"

namespace testing_support {

class RenderTestScene : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    testing::internal::CaptureStdout();
    RegisterAllComponents();
    testing::internal::GetCapturedStdout();
    components = decs->GetManager<ComponentManager>().get();
  }

  int CreateEntity(std::string name) { return entities->CreateEntity(std::move(name)); }

  // Stores the component (a copy of `value`) and updates the entity's systems.
  template <typename Component>
  Component& Add(int entity, Component value = Component{}) {
    components->AddComponent(entity, std::move(value));
    entities->AddToSignature<Component>(entity);
    systems->EntitySignatureChanged(entity, entities->signaturesById[entity]);
    return *components->GetComponent<Component>(entity);
  }

  ComponentManager* components = nullptr;
};

}  // namespace testing_support
