#include "components/entity_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/component_readers.h"
#include "components/component_registration.h"
#include "engine/component_manager.h"
#include "engine/resource_provider.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using nlohmann::json;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;

// Materials get ids from 1000 in call order; nothing else is asked of it here.
class FakeEntityResources final : public ResourceProvider {
 public:
  int GetTexture(const std::string&, int, int, int) override { return -1; }
  bool HasTexture(const std::string&) const override { return false; }
  int CreateTexture(int, int, const std::uint8_t*, const std::string&, int, int) override {
    return -1;
  }
  int GetMesh(const std::string&) override { return -1; }
  int GetMaterial(const std::string&) override { return 1000 + materials++; }
  int materials = 0;
};

// A registered engine, run inside a fresh folder so that prefab files are the test's own.
class EntityReaderTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    RegisterAllComponents();
    components = decs->GetManager<ComponentManager>().get();
    previousFolder = std::filesystem::current_path();
    std::filesystem::current_path(folder.path);
  }
  void TearDown() override {
    std::filesystem::current_path(previousFolder);
    EngineFixture::TearDown();
  }

  static void WritePrefab(const std::string& name, const std::string& text) {
    std::filesystem::create_directories(kPrefabFolder);
    std::ofstream(PrefabPath(name)) << text;
  }

  // Reads `document` as a scene file named "scene.json"; returns the ids and keeps what was
  // written to standard error.
  std::set<int> Read(const json& document) {
    testing::internal::CaptureStderr();
    std::set<int> ids = DeserializeEntities(document, "scene.json");
    errors = testing::internal::GetCapturedStderr();
    return ids;
  }

  std::vector<std::string> Names(const std::set<int>& ids) const {
    std::vector<std::string> names;
    for (const int id : ids) names.push_back(entities->GetName(id));
    return names;
  }

  ComponentManager* components = nullptr;
  testing_support::TempFolder folder;
  std::filesystem::path previousFolder;
  std::string errors;
};

TEST_F(EntityReaderTest, ArraysAreReadInOrderObjectsInKeyOrderAndNullHoldsNothing) {
  EXPECT_THAT(Names(Read(json::parse(R"([{"alias": "Zed"}, {"alias": "Amy"}])"))),
              ElementsAre("Zed", "Amy"));
  EXPECT_THAT(Names(Read(json::parse(R"({"b": {"alias": "Second"}, "a": {"alias": "First"}})"))),
              ElementsAre("First", "Second"));
  EXPECT_THAT(Read(json(nullptr)), IsEmpty());
  EXPECT_THAT(Read(json::array()), IsEmpty());
  EXPECT_EQ(entities->entityCount, 4);

  // Ids reused from destroyed entities still come back in ascending order.
  decs->DestroyEntity(0);
  decs->DestroyEntity(2);
  const std::set<int> ids = Read(json::parse(R"([{"alias": "Late"}, {"alias": "Later"}])"));
  EXPECT_THAT(ids, ElementsAre(0, 2));
  EXPECT_THAT(errors, IsEmpty());
}

TEST_F(EntityReaderTest, DocumentsOfOtherTypesAreRefusedBeforeAnythingIsCreated) {
  for (const json& document : {json("scene"), json(3), json(true)}) {
    EXPECT_THROW(DeserializeEntities(document, "scene.json"), std::invalid_argument) << document;
  }
  EXPECT_EQ(entities->entityCount, 0);
}

TEST_F(EntityReaderTest, DuplicateAliasesBecomeUniqueNames) {
  const std::set<int> ids = Read(json::parse(R"([{"alias": "Enemy"}, {"alias": "Enemy"}])"));
  EXPECT_THAT(Names(ids), ElementsAre("Enemy", "Enemy'"));
}

TEST_F(EntityReaderTest, ComponentsArriveWithTheirLoadStepsRunAndKeysInTheSignature) {
  FakeEntityResources resources;
  decs->SetResourceProvider(&resources);
  const std::set<int> ids = Read(json::parse(R"([{
      "alias": "Hero",
      "class Camera": {"_zoom": 2.0},
      "class MaterialComponent": {"_path": "GAME/Assets/Materials/StandardMaterial.json"},
      "class LuaScriptContainer": {"_scriptList": ["move player_move.lua", "idle.lua"]},
      "class LuaScript": {"_scriptPath": "hero.lua"},
      "ignored member": 5}])"));
  ASSERT_EQ(ids.size(), 1u);
  const int hero = *ids.begin();

  EXPECT_TRUE(components->GetComponent<Camera>(hero)->projectionDirty);
  EXPECT_EQ(components->GetComponent<Camera>(hero)->_zoom, 2.0f);
  EXPECT_EQ(components->GetComponent<MaterialComponent>(hero)->materialId, 1000);
  EXPECT_EQ(components->GetComponent<LuaScriptContainer>(hero)->scriptMap.at("move"),
            "./GAME/Scripts/player_move.lua");
  EXPECT_FALSE(components->GetComponent<Camera>(hero)->fromPrefab);
  // Without a script system the script is still added, with a note.
  EXPECT_TRUE(components->HasComponent<LuaScript>(hero));
  EXPECT_THAT(errors, HasSubstr("LuaScriptSystem not found when deserializing entity " +
                                std::to_string(hero)));
  EXPECT_THAT(entities->signaturesById[hero],
              ElementsAre("class Camera", "class LuaScript", "class LuaScriptContainer",
                          "class MaterialComponent"));
  decs->SetResourceProvider(nullptr);
}

TEST_F(EntityReaderTest, OwnSectionsWinWholeAndThePrefabFillsTheRest) {
  WritePrefab("Guard", R"({
      "class Transform": {"_position": {"x": 9}, "_scale": {"x": 3, "y": 3, "z": 3}},
      "class Collider": {"_radius": 4.5},
      "class Sequence": {"_BPM": 120},
      "class Prefab": {"_prefabAlias": "Other"},
      "class SceneIdentifier": {"_sceneName": "from_prefab"}})");
  const std::set<int> ids = Read(json::parse(R"([{
      "alias": "Guard",
      "class Prefab": {"_prefabAlias": "Guard"},
      "class Transform": {"_position": {"x": 1}}}])"));
  ASSERT_EQ(ids.size(), 1u);
  const int guard = *ids.begin();

  const Transform& transform = *components->GetComponent<Transform>(guard);
  EXPECT_EQ(transform._position.x, 1.0f);
  EXPECT_EQ(transform._scale, glm::vec3(1.0f)) << "no merging of single keys";
  EXPECT_FALSE(transform.fromPrefab);
  EXPECT_EQ(components->GetComponent<Collider>(guard)->_radius, 4.5f);
  EXPECT_TRUE(components->GetComponent<Collider>(guard)->fromPrefab);
  EXPECT_EQ(components->GetComponent<Prefab>(guard)->_prefabAlias, "Guard");
  EXPECT_FALSE(components->HasComponent<SceneIdentifier>(guard));
  // The Sequence section is read; having no array it adds nothing, not even its key.
  EXPECT_THAT(entities->signaturesById[guard],
              ElementsAre("class Collider", "class Prefab", "class Transform"));
  EXPECT_THAT(errors, IsEmpty());
}

TEST_F(EntityReaderTest, AnUnusablePrefabLeavesTheEntityItsOwnComponents) {
  struct Case {
    const char* label;
    const char* prefabName;
    const char* prefabText;  // null: no file
    const char* reported;
  };
  const Case cases[] = {
      {"missing file", "Nowhere", nullptr, "Unable to open file for reading"},
      {"malformed JSON", "Broken", "{\"class Collider\": ", "parse_error"},
      {"an array", "Listed", "[1, 2]", "holds array, not an object"},
      {"null", "Empty", "null", "holds null, not an object"},
      {"a bad section after a good one", "HalfBad",
       R"({"class Collider": {"_radius": 2}, "class Light": {"_strength": "bright"}})",
       "component 'class Light'"},
      {"a name that leaves the folder", "../Guard", nullptr, "no '/'"},
  };
  for (const Case& c : cases) {
    if (c.prefabText != nullptr) WritePrefab(c.prefabName, c.prefabText);
    json entity =
        json::parse(R"({"alias": "Soldier", "class Transform": {"_position": {"y": 2}}})");
    entity["class Prefab"]["_prefabAlias"] = c.prefabName;
    const std::set<int> ids = Read(json::array({entity}));
    ASSERT_EQ(ids.size(), 1u) << c.label;
    const int soldier = *ids.begin();
    EXPECT_THAT(entities->signaturesById[soldier], ElementsAre("class Prefab", "class Transform"))
        << c.label;
    EXPECT_EQ(components->GetComponent<Transform>(soldier)->_position.y, 2.0f) << c.label;
    EXPECT_THAT(errors, HasSubstr("prefab '" + std::string(c.prefabName) + "' of entity 'Soldier'"))
        << c.label;
    EXPECT_THAT(errors, HasSubstr(c.reported)) << c.label;
    decs->DestroyEntity(soldier);
  }
}

TEST_F(EntityReaderTest, AParticlePoolLargerThanTheCapIsCappedAndNamed) {
  // A pool of a billion grew until the allocation failed and the game aborted.
  struct Case {
    const char* label;
    bool fromPrefab;
    double maxParticles;
    unsigned int read;
    const char* reported;  // null: nothing reported
  };
  const Case cases[] = {
      {"own section", false, 1e9, ParticleEmitter::kMaxPoolSize,
       "'scene.json', entity 'Sparks', component 'class ParticleEmitter': \"_maxParticles\" "
       "1000000000 is more than a pool may hold; the pool holds 100000"},
      {"from the prefab", true, 1e9, ParticleEmitter::kMaxPoolSize,
       "'GAME/Assets/Entity Prefabs/Fountain.json', entity 'Sparks'"},
      {"at the cap", false, 100000, 100000, nullptr},
  };
  for (const Case& c : cases) {
    json emitter = {{"_maxParticles", c.maxParticles}};
    json entity = {{"alias", "Sparks"}};
    if (c.fromPrefab) {
      WritePrefab("Fountain", json{{"class ParticleEmitter", emitter}}.dump());
      entity["class Prefab"]["_prefabAlias"] = "Fountain";
    } else {
      entity["class ParticleEmitter"] = emitter;
    }
    const std::set<int> ids = Read(json::array({entity}));
    ASSERT_EQ(ids.size(), 1u) << c.label;
    const ParticleEmitter* read = components->GetComponent<ParticleEmitter>(*ids.begin());
    ASSERT_NE(read, nullptr) << c.label;
    EXPECT_EQ(read->_maxParticles, c.read) << c.label;
    if (c.reported == nullptr) {
      EXPECT_THAT(errors, testing::Not(HasSubstr("_maxParticles"))) << c.label;
    } else {
      EXPECT_THAT(errors, HasSubstr(c.reported)) << c.label;
    }
    decs->DestroyEntity(*ids.begin());
  }
}

TEST_F(EntityReaderTest, ABadEntityIsSkippedWholeAndReadingGoesOn) {
  struct Case {
    const char* label;
    const char* element;
    std::vector<std::string> reported;
  };
  const Case cases[] = {
      {"wrong JSON type",
       R"({"alias": "Bad", "class Transform": {"_scale": {"x": "wide"}}})",
       {"entity 'Bad', component 'class Transform'", "type must be number, but is string"}},
      {"vector given as an array",
       R"({"alias": "Bad", "class Transform": {"_scale": [1, 2]}})",
       {"entity 'Bad', component 'class Transform'", "cannot use operator[]"}},
      {"unknown enum name, after a good section",
       R"({"alias": "Bad", "class Transform": {}, "class Camera": {"_mode": "FISHEYE"}})",
       {"entity 'Bad', component 'class Camera'", "Invalid enum string: FISHEYE"}},
      {"element that is not an object", "42", {"element 1", "not number"}},
      {"alias that is not a string",
       R"({"alias": 7, "class Transform": {}})",
       {"element 1", "type must be string, but is number"}},
      {"no alias", R"({"class Transform": {}})", {"element 1", "no \"alias\""}},
  };
  for (const Case& c : cases) {
    const json document =
        json::parse(std::string(R"([{"alias": "Before", "class Transform": {}},)") + c.element +
                    R"(, {"alias": "After", "class TagContainer": {}}])");
    const std::set<int> ids = Read(document);
    EXPECT_THAT(Names(ids), ElementsAre("Before", "After")) << c.label;
    EXPECT_EQ(entities->entityCount, 2) << c.label;
    // "After" takes the id a refused entity had: nothing of that entity may linger there.
    const int after = *ids.rbegin();
    EXPECT_THAT(entities->signaturesById[after], ElementsAre("class TagContainer")) << c.label;
    EXPECT_FALSE(components->HasComponent<Transform>(after)) << c.label;
    EXPECT_FALSE(components->HasComponent<Camera>(after)) << c.label;
    EXPECT_THAT(errors, HasSubstr("'scene.json'")) << c.label;
    for (const std::string& part : c.reported) EXPECT_THAT(errors, HasSubstr(part)) << c.label;
    for (const int id : ids) decs->DestroyEntity(id);
  }
}

TEST_F(EntityReaderTest, ReadingStopsAtTheEntityLimit) {
  for (int i = 0; i < kMaxEntities - 1; ++i) entities->CreateEntity("Filler");
  testing::internal::CaptureStdout();
  const std::set<int> ids =
      Read(json::parse(R"([{"alias": "Last"}, {"alias": "OneTooMany"}, {"alias": "Unread"}])"));
  testing::internal::GetCapturedStdout();
  EXPECT_THAT(Names(ids), ElementsAre("Last"));
  EXPECT_THAT(errors, HasSubstr("entity limit"));
  EXPECT_THAT(errors, HasSubstr("2 entities not read"));

  // Once a scene has reported the full table, later refusals in it are only counted.
  const json single = json::object({{"class Transform", json::object()}});
  testing::internal::CaptureStderr();
  EXPECT_EQ(DeserializeEntity(single, "Single"), kNoEntity);
  EXPECT_THAT(testing::internal::GetCapturedStderr(), Not(HasSubstr("entity limit")));
  testing::internal::CaptureStdout();
  entities->StartNewScene();
  testing::internal::GetCapturedStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(DeserializeEntity(single, "Single"), kNoEntity);
  EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("entity limit"));
}

TEST(DataNames, OnlyNamesThatStayInTheirFolderAreSafe) {
  for (const char* name : {"splash_scene", "Enemy Drone", "v1.2"}) {
    EXPECT_TRUE(IsSafeDataName(name)) << name;
  }
  for (const char* name : {"", "a/b", "a\\b", "..", "../scene", "up..down"}) {
    EXPECT_FALSE(IsSafeDataName(name)) << name;
  }
}

}  // namespace
