#include "components/component_registration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "components/sequence.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "tests/support/engine_fixture.h"

namespace {

constexpr const char* kRegistrationOrder[] = {
    "Transform",       "Camera",      "Physics",         "Collider",           "Parent",
    "SpriteText",      "TTF",         "TagContainer",    "ModelList",          "TextureComponent",
    "MeshComponent",   "SoundBank",   "SoundEmitter",    "LuaScript",          "MaterialComponent",
    "Light",           "Tilemap",     "ParticleEmitter", "LuaScriptContainer", "Prefab",
    "SceneIdentifier", "WindEmitter", "AnimationGroup",  "RMLDocument",
};

class ComponentRegistrationTest : public testing_support::EngineFixture {
 protected:
  std::string Register() {
    testing::internal::CaptureStdout();
    RegisterAllComponents();
    return testing::internal::GetCapturedStdout();
  }
  ComponentManager& Components() { return *decs->GetManager<ComponentManager>(); }
};

TEST_F(ComponentRegistrationTest, RegistersThe24ClassesInOrderWithTheirLines) {
  std::string expected;
  for (const char* name : kRegistrationOrder) {
    expected += "Warning: No Lua state available for binding\n";
    expected += std::string("ComponentManager : 'class ") + name + "' registered\n";
  }
  EXPECT_EQ(Register(), expected);

  ASSERT_EQ(Components().componentArrays.size(), 24u);
  for (const char* name : kRegistrationOrder) {
    const auto entry = Components().componentArrays.find(std::string("class ") + name);
    ASSERT_NE(entry, Components().componentArrays.end()) << name;
    const auto& presence = entry->second->presence;
    EXPECT_TRUE(std::all_of(presence.begin(), presence.end(), [](auto byte) { return byte == 0; }))
        << name;
  }
  EXPECT_FALSE(Components().componentArrays.contains("class Sequence"));
}

TEST_F(ComponentRegistrationTest, SecondCallDoesNothing) {
  Register();
  Components().AddComponent(4, Transform({1, 2, 3}, {0, 0, 0}, {1, 1, 1}));
  EXPECT_EQ(Register(), "");
  EXPECT_EQ(Components().componentArrays.size(), 24u);
  EXPECT_TRUE(Components().HasComponent<Transform>(4));
  EXPECT_EQ(Components().GetComponent<Transform>(4)->_position, glm::vec3(1, 2, 3));
}

TEST_F(ComponentRegistrationTest, SequenceHasNoArrayAndIsRefusedSafely) {
  Register();
  testing::internal::CaptureStdout();
  Components().AddComponent(2, Sequence{});
  Components().RemoveComponent<Sequence>(2);
  const bool has = Components().HasComponent<Sequence>(2);
  const Sequence* slot = Components().GetComponent<Sequence>(2);
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_FALSE(has);
  EXPECT_EQ(slot, nullptr);
  EXPECT_NE(output.find("class Sequence"), std::string::npos);
  EXPECT_EQ(output.find("added"), std::string::npos);
  EXPECT_EQ(Components().componentArrays.size(), 24u);
}

}  // namespace
