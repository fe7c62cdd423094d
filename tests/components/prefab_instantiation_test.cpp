#include "components/prefab_instantiation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>

#include "components/component_registration.h"
#include "components/entity_reader.h"
#include "components/scene_system.h"
#include "components/transform.h"
#include "engine/component_manager.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

// A system without a signature: it is told about every entity.
class WatchingSystem : public BaseSystem {};

}  // namespace
DECLARE_TYPE_NAME(class, WatchingSystem);

namespace {

// An engine with its components, a scene system holding "arena" (pushed first) and "lobby",
// run inside a fresh folder that holds the test's prefabs and scenes.
class PrefabInstantiationTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(folder.path);
    RegisterAllComponents();
    components = decs->GetManager<ComponentManager>().get();
    scenes = systems->RegisterSystem<SceneSystem>().get();
    decs->SetPrefabScenes(scenes);
    watcher = systems->RegisterSystem<WatchingSystem>().get();

    std::filesystem::create_directories("GAME/Scenes");
    std::ofstream("GAME/Scenes/arena.json") << "[]";
    std::ofstream("GAME/Scenes/lobby.json") << "[]";
    ASSERT_TRUE(scenes->PushScene("GAME/Scenes/arena.json", "arena"));
    ASSERT_TRUE(scenes->PushScene("GAME/Scenes/lobby.json", "lobby"));
    WritePrefab("Torch", R"({"class Transform": {"_position": {"x": 3}},
                             "class SceneIdentifier": {"_sceneName": "nowhere"}})");
    WritePrefab("Lamp", R"({"class Transform": {}})");
  }
  void TearDown() override {
    std::filesystem::current_path(previousFolder);
    EngineFixture::TearDown();
  }

  static void WritePrefab(const std::string& name, const std::string& text) {
    std::filesystem::create_directories(kPrefabFolder);
    std::ofstream(PrefabPath(name)) << text;
  }

  std::string SceneOf(int entity) const {
    return components->GetComponent<SceneIdentifier>(entity)->_sceneName;
  }

  testing_support::TempFolder folder;
  std::filesystem::path previousFolder;
  ComponentManager* components = nullptr;
  SceneSystem* scenes = nullptr;
  WatchingSystem* watcher = nullptr;
};

TEST_F(PrefabInstantiationTest, APrefabOutsideScenesDropsItsSceneIdentifierAndSurvivesPops) {
  testing::internal::CaptureStdout();
  const int torch = InstantiatePrefab("Torch", "");
  const std::string output = testing::internal::GetCapturedStdout();
  ASSERT_NE(torch, kNoEntity);
  EXPECT_THAT(output, HasSubstr("ComponentManager : 'class SceneIdentifier' removed from Entity '" +
                                std::to_string(torch) + "'"));
  EXPECT_FALSE(components->HasComponent<SceneIdentifier>(torch));
  EXPECT_THAT(entities->signaturesById[torch], ElementsAre("class Transform"));
  EXPECT_EQ(components->GetComponent<Transform>(torch)->_position.x, 3.0f);
  EXPECT_TRUE(watcher->entities.contains(torch)) << "the systems were told";
  EXPECT_FALSE(scenes->entities.contains(torch));

  scenes->PopAllScenes();
  EXPECT_TRUE(entities->IsAlive(torch));
}

TEST_F(PrefabInstantiationTest, UnnamedInstancesAreNamedAfterThePrefab) {
  const int first = InstantiatePrefab("Lamp", "");
  const int second = InstantiatePrefabInScene("Lamp", "arena", "");
  const int named = InstantiatePrefab("Lamp", "Porch light");
  EXPECT_EQ(entities->GetName(first), "Lamp");
  EXPECT_EQ(entities->GetName(second), "Lamp'");
  EXPECT_EQ(entities->GetName(named), "Porch light");
}

TEST_F(PrefabInstantiationTest, AnInstanceInASceneIsOwnedByThatSceneOrTheCurrentOne) {
  const int inArena = InstantiatePrefabInScene("Lamp", "arena", "");
  const int unknownScene = InstantiatePrefabInScene("Lamp", "volcano", "");
  const int noScene = InstantiatePrefabInScene("Lamp", "", "");
  const int retagged = InstantiatePrefabInScene("Torch", "arena", "");

  EXPECT_EQ(SceneOf(inArena), "arena");
  EXPECT_EQ(SceneOf(unknownScene), "lobby") << "the scene pushed last is the current one";
  EXPECT_EQ(SceneOf(noScene), "lobby");
  EXPECT_EQ(SceneOf(retagged), "arena") << "the prefab's own SceneIdentifier is retagged";
  EXPECT_THAT(entities->signaturesById[inArena],
              ElementsAre("class SceneIdentifier", "class Transform"));
  EXPECT_TRUE(scenes->entities.contains(inArena)) << "the systems were told";

  scenes->PopScene("arena");
  EXPECT_FALSE(entities->IsAlive(inArena));
  EXPECT_FALSE(entities->IsAlive(retagged));
  EXPECT_TRUE(entities->IsAlive(unknownScene));
}

TEST_F(PrefabInstantiationTest, UnusablePrefabsCreateNothing) {
  WritePrefab("Broken", "{\"class Transform\": ");
  WritePrefab("Listed", "[]");
  WritePrefab("BadSection", R"({"class Transform": {"_scale": 2}})");
  struct Case {
    const char* prefab;
    const char* reported;  // empty: nothing reported
  };
  const Case cases[] = {
      {"Missing", ""},
      {"Broken", "parse_error"},
      {"Listed", "holds array, not an object"},
      {"BadSection", "component 'class Transform'"},
      {"../Lamp", "refused prefab name"},
      {"Entity Prefabs/Lamp", "refused prefab name"},
      {"", "refused prefab name"},
  };
  const int before = entities->entityCount;
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(InstantiatePrefab(c.prefab, "x"), kNoEntity) << c.prefab;
    EXPECT_EQ(InstantiatePrefabInScene(c.prefab, "arena", "x"), kNoEntity) << c.prefab;
    const std::string errors = testing::internal::GetCapturedStderr();
    if (*c.reported == '\0') {
      EXPECT_THAT(errors, IsEmpty()) << c.prefab;
    } else {
      EXPECT_THAT(errors, HasSubstr(c.reported)) << c.prefab;
    }
  }
  EXPECT_EQ(entities->entityCount, before);
}

TEST_F(PrefabInstantiationTest, APrefabIsReadOnceAndAFullTableIsReportedOncePerScene) {
  const int first = InstantiatePrefab("Lamp", "");
  ASSERT_NE(first, kNoEntity);
  // Later instances come from the prefab as first read: the file is not read again.
  WritePrefab("Lamp", "{\"class Transform\": ");
  testing::internal::CaptureStderr();
  const int second = InstantiatePrefab("Lamp", "");
  EXPECT_THAT(testing::internal::GetCapturedStderr(), IsEmpty());
  EXPECT_NE(second, kNoEntity);

  // A script creating the prefab far past the entity limit gets one report, not one a call.
  const int free = kMaxEntities - entities->entityCount;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int refused = 0;
  for (int call = 0; call < 5000; ++call) {
    if (InstantiatePrefabInScene("Lamp", "arena", "") == kNoEntity) ++refused;
  }
  const std::string errors = testing::internal::GetCapturedStderr();
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(refused, 5000 - free);
  EXPECT_EQ(entities->entityCount, kMaxEntities);
  const auto count = [](const std::string& text, const std::string& line) {
    int found = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
      ++found;
    }
    return found;
  };
  EXPECT_EQ(count(output, "no free entity id"), 1);
  EXPECT_EQ(count(errors, "entity limit reached"), 1);

  testing::internal::CaptureStdout();
  messaging->PostFormatted("scene_load arena", 0);
  EXPECT_EQ(InstantiatePrefab("Lamp", ""), kNoEntity);
  EXPECT_EQ(count(testing::internal::GetCapturedStdout(), "no free entity id"), 1)
      << "reported again in the next scene";

  // A prefab that cannot be used is reported once too.
  WritePrefab("Broken", "{\"class Transform\": ");
  scenes->PopAllScenes();
  testing::internal::CaptureStderr();
  for (int call = 0; call < 3; ++call) EXPECT_EQ(InstantiatePrefab("Broken", ""), kNoEntity);
  EXPECT_EQ(count(testing::internal::GetCapturedStderr(), "parse_error"), 1);
}

}  // namespace
