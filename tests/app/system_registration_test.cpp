#include "app/system_registration.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "engine/system_manager.h"
#include "render/renderer.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

class SystemRegistrationTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    testing::internal::CaptureStdout();
    RegisterAllSystems();
    output = testing::internal::GetCapturedStdout();
  }
  void TearDown() override { EngineFixture::TearDown(); }
  testing_support::ScopedTempHome home;
  std::string output;
};

const char* const kRegistrationOrder[] = {
    "SettingsSystem",   "PlatformSystem",     "StandardEntityRenderer",
    "SpriteTextSystem", "TilemapSystem",      "PhysicsSystem",
    "CollisionSystem",  "SceneSystem",        "InputSystem",
    "SoundSystem",      "CameraSystem",       "LightSystem",
    "LuaScriptSystem",  "ParticleSystem",     "TTFSystem",
    "AnimationSystem",  "GrassSystem",        "ActionListSystem",
    "RingSystem",       "SoundEmitterSystem", "WindSystem",
    "RMLSystem",        "RMLEventHandler",    "MenuManager",
    "SlamAttackSystem", "WeatherSystem"};

TEST_F(SystemRegistrationTest, RegistersTheGameSystemsInOrderWithOneLineEach) {
  std::vector<std::string> registered;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("SystemManager : ")) registered.push_back(line);
  }
  ASSERT_EQ(registered.size(), std::size(kRegistrationOrder));
  for (std::size_t i = 0; i < registered.size(); ++i) {
    EXPECT_EQ(registered[i],
              "SystemManager : 'class " + std::string(kRegistrationOrder[i]) + "' registered");
  }
  // A second call changes nothing.
  testing::internal::CaptureStdout();
  RegisterAllSystems();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(SystemRegistrationTest, RendererSitsUnderDecsAfterTheManagers) {
  ASSERT_TRUE(Renderer::HasInstance());
  ASSERT_FALSE(decs->children.empty());
  EXPECT_EQ(decs->children.back(), &Renderer::Instance());
  EXPECT_EQ(Renderer::Instance().level, 3);
}

TEST_F(SystemRegistrationTest, SkipFlagsDecideWhoRunsWhilePausedOrFrozen) {
  // Systems that keep running behind the pause menu (the ring system moves the hands with the
  // camera); the first three also while frozen.
  const struct {
    const char* name;
    bool pausable;
    bool freezable;
  } expected[] = {
      {"PlatformSystem", false, false},    {"InputSystem", false, false},
      {"CameraSystem", false, false},      {"StandardEntityRenderer", false, true},
      {"RMLSystem", false, true},          {"TTFSystem", false, true},
      {"GrassSystem", false, true},        {"WindSystem", false, true},
      {"SoundEmitterSystem", false, true}, {"ActionListSystem", false, true},
      {"SoundSystem", false, true},        {"MenuManager", false, true},
      {"RingSystem", false, true},
  };
  for (const char* name : kRegistrationOrder) {
    bool pausable = true;
    bool freezable = true;
    for (const auto& row : expected) {
      if (std::string(row.name) == name) {
        pausable = row.pausable;
        freezable = row.freezable;
      }
    }
    const BaseSystem* system = systems->FindSystem("class " + std::string(name));
    ASSERT_NE(system, nullptr) << name;
    EXPECT_EQ(system->pausable, pausable) << name;
    EXPECT_EQ(system->freezable, freezable) << name;
    EXPECT_EQ(system->level, 1) << name;
  }
}

}  // namespace
