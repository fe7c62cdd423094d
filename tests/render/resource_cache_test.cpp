#include "render/resource_cache.h"

#include <glad/gl.h>
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/texture_component.h"
#include "render/texture_loading.h"
#include "tests/support/temp_folder.h"

namespace {

// A cache over a recording backend, and the files of one test.
class ResourceCacheTest : public ::testing::Test {
 protected:
  ResourceCacheTest() {
    auto owned = std::make_unique<RecordingGpuBackend>();
    backend = owned.get();
    cache = std::make_unique<ResourceCache>(std::move(owned));
  }

  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = (folder.path / name).string();
    std::ofstream(path) << text;
    return path;
  }

  // A PNG of `width` x `height` RGBA pixels, rows from the top of the picture down.
  std::string WritePng(const std::string& name, int width, int height,
                       const std::vector<std::uint8_t>& rows) {
    const std::string path = (folder.path / name).string();
    EXPECT_NE(stbi_write_png(path.c_str(), width, height, 4, rows.data(), width * 4), 0);
    return path;
  }

  testing_support::TempFolder folder;
  RecordingGpuBackend* backend = nullptr;
  std::unique_ptr<ResourceCache> cache;
};

// Runs `action` and returns what it printed.
std::string Printed(const std::function<void()>& action) {
  testing::internal::CaptureStdout();
  action();
  return testing::internal::GetCapturedStdout();
}

const char* const kQuadMesh =
    "std_mesh 3 3 3 2 3 0 0 0 0 0 1 0 0 1 0 0 0 0 1 1 0 1 0 0 1 0 1 3 0 1 2";

struct KeyCase {
  const char* first;
  const char* second;
  bool sameEntry;
};

// Path spellings that name one file share an entry; anything else does not.
const KeyCase kPathKeyCases[] = {
    {"GAME/x.png", "./GAME/x.png", true},   {"GAME\\Assets\\x.png", "GAME/Assets/x.png", true},
    {".\\GAME\\x.png", "GAME/x.png", true}, {"GAME/x.png", "GAME/X.png", false},
    {"GAME/x.png", "GAME/y.png", false},
};

TEST_F(ResourceCacheTest, PathKeysOfTexturesMeshesAndMaterialsAreNormalised) {
  for (const KeyCase& testCase : kPathKeyCases) {
    SCOPED_TRACE(std::string(testCase.first) + " vs " + testCase.second);
    ResourceCache fresh(std::make_unique<RecordingGpuBackend>());
    Printed([&] {
      EXPECT_EQ(fresh.GetTexture(testCase.first, GL_NEAREST, GL_NEAREST, GL_REPEAT) ==
                    fresh.GetTexture(testCase.second, GL_NEAREST, GL_NEAREST, GL_REPEAT),
                testCase.sameEntry);
      EXPECT_EQ(fresh.GetMesh(testCase.first) == fresh.GetMesh(testCase.second),
                testCase.sameEntry);
      EXPECT_EQ(fresh.GetMaterial(testCase.first) == fresh.GetMaterial(testCase.second),
                testCase.sameEntry);
    });
    EXPECT_EQ(fresh.TextureCount(), testCase.sameEntry ? 1u : 2u);
    EXPECT_EQ(fresh.MeshCount(), testCase.sameEntry ? 1u : 2u);
    EXPECT_EQ(fresh.MaterialCount(), testCase.sameEntry ? 1u : 2u);
  }
}

struct ShaderKeyCase {
  const char* name;
  ShaderStagePaths first;
  ShaderStagePaths second;
  bool sameProgram;
};

TEST_F(ResourceCacheTest, ShaderKeysTellEverySetOfStagePathsApart) {
  const ShaderKeyCase cases[] = {
      {"same paths", {"v.glsl", "f.glsl"}, {"v.glsl", "f.glsl"}, true},
      {"spellings of the same files",
       {"./S/v.glsl", "S\\f.glsl"},
       {"S/v.glsl", "./S/f.glsl"},
       true},
      {"text moved across the vertex/fragment border", {"ab", "c"}, {"a", "bc"}, false},
      {"vertex and fragment swapped", {"a", "b"}, {"b", "a"}, false},
      {"a path moved to another stage", {"a", ""}, {"", "a"}, false},
      {"geometry joined onto the vertex path", {"v", "f", "g"}, {"vg", "f"}, false},
      {"line breaks inside paths", {"a\nb", "c"}, {"a", "b\nc"}, false},
      {"tessellation stages swapped",
       {"v", "f", "", "", "e", "c"},
       {"v", "f", "", "", "c", "e"},
       false},
  };
  for (const ShaderKeyCase& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    ResourceCache fresh(std::make_unique<RecordingGpuBackend>());
    const int first = fresh.GetShader(testCase.first);
    const int second = fresh.GetShader(testCase.second);
    EXPECT_EQ(first == second, testCase.sameProgram);
    EXPECT_EQ(fresh.ShaderCount(), testCase.sameProgram ? 1u : 2u);
  }
}

TEST_F(ResourceCacheTest, BuildsEachProgramOnceFromNormalisedPathsInStageOrder) {
  const int program =
      cache->GetShader("./S\\v.glsl", "./f.glsl", "g.glsl", "c.glsl", "e.glsl", "t.glsl");
  EXPECT_EQ(cache->GetShader("S/v.glsl", "f.glsl", "g.glsl", "c.glsl", "e.glsl", "t.glsl"),
            program);
  ASSERT_EQ(backend->builtShaders.size(), 1u);
  EXPECT_EQ(backend->builtShaders[0],
            (ShaderStagePaths{"S/v.glsl", "f.glsl", "g.glsl", "c.glsl", "e.glsl", "t.glsl"}));
  // The recording backend builds no Shader objects, and unknown names have none either.
  EXPECT_EQ(cache->GetShaderById(program), nullptr);
  EXPECT_EQ(cache->GetShaderById(-1), nullptr);
}

TEST_F(ResourceCacheTest, EmptyPathsAndNamesGiveMinusOneAndTouchNothing) {
  const std::uint8_t pixel[4] = {1, 2, 3, 4};
  const Mesh mesh(nullptr, 0, nullptr, 0, 0, nullptr, 0);
  EXPECT_EQ(cache->GetTexture("", GL_NEAREST, GL_NEAREST, GL_REPEAT), -1);
  EXPECT_EQ(cache->GetTexture("./", GL_NEAREST, GL_NEAREST, GL_REPEAT), -1);
  EXPECT_EQ(cache->CreateTexture(1, 1, pixel, ""), -1);
  EXPECT_EQ(cache->GetMesh(""), -1);
  EXPECT_EQ(cache->AddMesh("", mesh), -1);
  EXPECT_EQ(cache->GetMaterial(""), -1);
  EXPECT_TRUE(backend->calls.empty());
  EXPECT_EQ(cache->TextureCount() + cache->MeshCount() + cache->MaterialCount(), 0u);
}

TEST_F(ResourceCacheTest, OutOfRangeHandlesResolveToHarmlessDefaults) {
  for (const int index : {-1, 0, 7}) {
    EXPECT_EQ(cache->MeshAt(index).vertexCount, 0);
    EXPECT_TRUE(cache->MeshAt(index).indices.empty());
    EXPECT_EQ(cache->MaterialAt(index).shader, -1);
  }
}

// Textures ----------------------------------------------------------------------------------

TEST_F(ResourceCacheTest, DecodedTexturesAreFlippedSoTheFirstRowIsTheBottomOfThePicture) {
  // Top row red, bottom row blue.
  const std::string path = WritePng("rows.png", 1, 2, {255, 0, 0, 255, 0, 0, 255, 255});
  const int texture = cache->GetTexture(path, GL_LINEAR, GL_NEAREST, GL_CLAMP_TO_EDGE);
  ASSERT_EQ(backend->createdTextures.size(), 1u);
  const auto& created = backend->createdTextures[0];
  EXPECT_EQ(static_cast<int>(created.texture), texture);
  EXPECT_EQ(created.width, 1);
  EXPECT_EQ(created.height, 2);
  EXPECT_EQ(created.pixels, (std::vector<std::uint8_t>{0, 0, 255, 255, 255, 0, 0, 255}));
  EXPECT_EQ(created.sampling.minFilter, GL_LINEAR);
  EXPECT_EQ(created.sampling.magFilter, GL_NEAREST);
  EXPECT_EQ(created.sampling.wrap, GL_CLAMP_TO_EDGE);
}

TEST_F(ResourceCacheTest, LaterRequestsGetTheFirstTextureWhateverTheirFilters) {
  const std::string path = WritePng("one.png", 1, 1, {9, 9, 9, 255});
  const int first = cache->GetTexture(path, GL_NEAREST, GL_NEAREST, GL_REPEAT);
  EXPECT_EQ(cache->GetTexture(path, GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE), first);
  EXPECT_EQ(backend->createdTextures.size(), 1u);
  const CachedTexture* record = cache->FindTexture(path);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->sampling.minFilter, GL_NEAREST);
  EXPECT_EQ(record->sampling.wrap, GL_REPEAT);
}

TEST_F(ResourceCacheTest, UnreadableTexturesBecomeAOnePixelPlaceholderLoggedOnce) {
  const std::string missing = (folder.path / "missing.png").string();
  const std::string garbage = WriteFile("garbage.png", "not an image at all");
  std::string log = Printed([&] {
    for (int request = 0; request < 2; ++request) {
      cache->GetTexture(missing, GL_NEAREST, GL_NEAREST, GL_REPEAT);
      cache->GetTexture(garbage, GL_NEAREST, GL_NEAREST, GL_REPEAT);
    }
  });
  ASSERT_EQ(backend->createdTextures.size(), 2u);
  for (const auto& created : backend->createdTextures) {
    EXPECT_EQ(created.width, 1);
    EXPECT_EQ(created.height, 1);
    EXPECT_EQ(created.pixels, PlaceholderTexture().pixels);
  }
  EXPECT_EQ(log.find("Texture : " + missing + ": "), 0u) << log;
  EXPECT_NE(log.find("Texture : " + garbage + ": "), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
}

TEST_F(ResourceCacheTest, CreatesNamedTexturesOnceAndPlaceholdersForBadPixels) {
  const std::vector<std::uint8_t> pixels(2 * 3 * 4, 7);
  const int texture = cache->CreateTexture(2, 3, pixels.data(), "GENERATED_1");
  EXPECT_EQ(cache->CreateTexture(5, 5, nullptr, "GENERATED_1"), texture);
  EXPECT_TRUE(cache->HasTexture("GENERATED_1"));
  EXPECT_FALSE(cache->HasTexture("GENERATED_2"));
  ASSERT_EQ(backend->createdTextures.size(), 1u);
  EXPECT_EQ(backend->createdTextures[0].pixels, pixels);
  EXPECT_EQ(backend->createdTextures[0].sampling.minFilter, GL_NEAREST);
  EXPECT_EQ(backend->createdTextures[0].sampling.magFilter, GL_NEAREST);
  EXPECT_EQ(backend->createdTextures[0].sampling.wrap, GL_REPEAT);

  const std::string log = Printed([&] {
    cache->CreateTexture(4, 4, nullptr, "no pixels", GL_LINEAR, GL_LINEAR);
    cache->CreateTexture(0, 4, pixels.data(), "no width");
    cache->CreateTexture(kMaxTextureSize + 1, 1, pixels.data(), "too wide");
  });
  ASSERT_EQ(backend->createdTextures.size(), 4u);
  for (std::size_t index = 1; index < 4; ++index) {
    EXPECT_EQ(backend->createdTextures[index].width, 1);
    EXPECT_EQ(backend->createdTextures[index].pixels, PlaceholderTexture().pixels);
  }
  EXPECT_EQ(backend->createdTextures[1].sampling.minFilter, GL_LINEAR);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;
}

TEST_F(ResourceCacheTest, DeletesATextureByItsNameAndForgetsIt) {
  const std::uint8_t pixel[4] = {1, 2, 3, 4};
  const int kept = cache->CreateTexture(1, 1, pixel, "kept");
  const int dropped = cache->CreateTexture(1, 1, pixel, "dropped");
  cache->DeleteTexture(dropped);
  cache->DeleteTexture(12345);
  cache->DeleteTexture(-1);
  EXPECT_EQ(backend->deletedTextures, (std::vector<unsigned int>{static_cast<unsigned>(dropped)}));
  EXPECT_FALSE(cache->HasTexture("dropped"));
  EXPECT_TRUE(cache->HasTexture("kept"));
  // A later request makes a new texture under the name.
  EXPECT_NE(cache->CreateTexture(1, 1, pixel, "dropped"), dropped);
  EXPECT_NE(kept, dropped);
}

struct ComponentTextureCase {
  const char* name;
  TextureComponent::InterpolationMode minMode;
  TextureComponent::InterpolationMode magMode;
  TextureComponent::RepeatMode repeat;
  TextureSampling expected;
};

TEST_F(ResourceCacheTest, ComponentTexturesAskTheCacheWithTheModesFiltersAndWrap) {
  using Mode = TextureComponent::InterpolationMode;
  using Repeat = TextureComponent::RepeatMode;
  const ComponentTextureCase cases[] = {
      {"defaults",
       Mode::NEAREST,
       Mode::NEAREST,
       Repeat::REPEAT,
       {GL_NEAREST, GL_NEAREST, GL_REPEAT}},
      {"linear minification",
       Mode::LINEAR,
       Mode::NEAREST,
       Repeat::MIRRORED_REPEAT,
       {GL_LINEAR, GL_NEAREST, GL_MIRRORED_REPEAT}},
      {"clamped",
       Mode::NEAREST,
       Mode::LINEAR,
       Repeat::CLAMP_TO_EDGE,
       {GL_NEAREST, GL_LINEAR, GL_CLAMP_TO_EDGE}},
      {"unknown values",
       static_cast<Mode>(7),
       Mode::LINEAR,
       static_cast<Repeat>(9),
       {GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE}},
  };
  for (const ComponentTextureCase& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    auto owned = std::make_unique<RecordingGpuBackend>();
    RecordingGpuBackend& recorder = *owned;
    ResourceCache fresh(std::move(owned));
    TextureComponent component;
    component._albedoPath = (folder.path / "albedo.png").string();
    component._normalPath = (folder.path / "normal.png").string();
    component._minAlbedoInterpolationMode = testCase.minMode;
    component._maxAlbedoInterpolationMode = testCase.magMode;
    component._albedoRepeatMode = testCase.repeat;
    component._minNormalInterpolationMode = testCase.minMode;
    component._maxNormalInterpolationMode = testCase.magMode;
    component._normalRepeatMode = testCase.repeat;
    Printed([&] { component.LoadTextures(fresh); });

    ASSERT_EQ(recorder.createdTextures.size(), 2u);
    EXPECT_EQ(component.albedoTexture, static_cast<int>(recorder.createdTextures[0].texture));
    EXPECT_EQ(component.normalTexture, static_cast<int>(recorder.createdTextures[1].texture));
    for (const auto& created : recorder.createdTextures) {
      EXPECT_EQ(created.sampling.minFilter, testCase.expected.minFilter);
      EXPECT_EQ(created.sampling.magFilter, testCase.expected.magFilter);
      EXPECT_EQ(created.sampling.wrap, testCase.expected.wrap);
    }
  }

  TextureComponent withoutNormalMap;
  withoutNormalMap._albedoPath = (folder.path / "albedo.png").string();
  Printed([&] { withoutNormalMap.LoadTextures(*cache); });
  EXPECT_GT(withoutNormalMap.albedoTexture, 0);
  EXPECT_EQ(withoutNormalMap.normalTexture, -1);
}

// Meshes ------------------------------------------------------------------------------------

TEST_F(ResourceCacheTest, LoadsEachMeshFileOnceAndKeepsMissingOnesAsEmptyMeshes) {
  const std::string quad = WriteFile("quad.txt", kQuadMesh);
  const std::string missing = (folder.path / "missing.txt").string();
  int quadIndex = -1;
  int missingIndex = -1;
  const std::string log = Printed([&] {
    quadIndex = cache->GetMesh(quad);
    missingIndex = cache->GetMesh(missing);
    EXPECT_EQ(cache->GetMesh(quad), quadIndex);
    EXPECT_EQ(cache->GetMesh(missing), missingIndex);
  });
  EXPECT_EQ(cache->MeshAt(quadIndex).vertexCount, 3);
  EXPECT_EQ(cache->MeshAt(quadIndex).stride, 32u);
  EXPECT_NE(missingIndex, quadIndex);
  EXPECT_EQ(cache->MeshAt(missingIndex).vertexCount, 0);
  EXPECT_EQ(log, "MeshFile : " + missing + ": cannot be opened; using an empty mesh\n");
}

TEST_F(ResourceCacheTest, RefusesMeshesWhoseAttributesLeaveNoRoomForTheInstanceData) {
  const std::string quad = WriteFile("quad.txt", kQuadMesh);  // 3 attributes
  const std::int32_t sizes[] = {2, 4, 2};
  const float vertices[24] = {};
  const std::int32_t indices[] = {0, 1, 2};
  const Mesh generated(sizes, 3, vertices, 3, 32, indices, 3);

  backend->maxVertexAttributes = 3 + kRendererInstanceAttributeCount - 1;
  std::string log = Printed([&] {
    EXPECT_EQ(cache->MeshAt(cache->GetMesh(quad)).vertexCount, 0);
    EXPECT_EQ(cache->MeshAt(cache->AddMesh("GENERATED", generated)).vertexCount, 0);
  });
  EXPECT_NE(log.find("ResourceCache : mesh " + quad +
                     ": its 3 vertex attributes and the 11 instance attributes exceed the "
                     "context's limit of 13; using an empty mesh\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("mesh GENERATED: its 3"), std::string::npos) << log;

  ResourceCache roomy(std::make_unique<RecordingGpuBackend>());  // 16 attributes
  log = Printed([&] {
    EXPECT_EQ(roomy.MeshAt(roomy.GetMesh(quad)).vertexCount, 3);
    EXPECT_EQ(roomy.MeshAt(roomy.AddMesh("GENERATED", generated)).vertexCount, 3);
  });
  EXPECT_EQ(log, "");
}

TEST_F(ResourceCacheTest, AddsGeneratedMeshesUnderTheirNameOnceAndReusesReleasedIndices) {
  const std::int32_t sizes[] = {2};
  const float vertices[] = {0, 0, 1, 0, 0, 1};
  const std::int32_t indices[] = {0, 1, 2};
  const Mesh first(sizes, 1, vertices, 3, 8, indices, 3);
  const Mesh second(sizes, 1, vertices, 2, 8, indices, 2);

  int found = -1;
  EXPECT_FALSE(cache->FindMesh("GENERATED_RML_MESH_1", found));
  const int index = cache->AddMesh("GENERATED_RML_MESH_1", first);
  EXPECT_EQ(cache->AddMesh("GENERATED_RML_MESH_1", second), index);
  ASSERT_TRUE(cache->FindMesh("GENERATED_RML_MESH_1", found));
  EXPECT_EQ(found, index);
  EXPECT_EQ(cache->MeshAt(index).vertexCount, 3);
  EXPECT_EQ(cache->MeshCount(), 1u);

  // Released: the name and data go, and the next mesh stored takes the index.
  cache->ReleaseMesh(index);
  EXPECT_FALSE(cache->FindMesh("GENERATED_RML_MESH_1", found));
  EXPECT_EQ(cache->MeshAt(index).vertexCount, 0);
  cache->ReleaseMesh(index);  // twice: nothing
  EXPECT_EQ(cache->AddMesh("GENERATED_RML_MESH_2", second), index);
  EXPECT_EQ(cache->MeshAt(index).vertexCount, 2);
  EXPECT_EQ(cache->MeshCount(), 1u);
}

// Clearing ----------------------------------------------------------------------------------

TEST_F(ResourceCacheTest, ClearAllEmptiesEveryKindAndDeletesTexturesBeforePrograms) {
  const std::uint8_t pixel[4] = {1, 2, 3, 4};
  const std::string material =
      WriteFile("m.json", R"({"vertexShaderPath": "v.glsl", "fragmentShaderPath": "f.glsl"})");
  int materialIndex = -1;
  Printed([&] { materialIndex = cache->GetMaterial(material); });
  const int program = cache->MaterialAt(materialIndex).shader;
  const int texture = cache->CreateTexture(1, 1, pixel, "t");
  cache->AddMesh("m", Mesh(nullptr, 0, nullptr, 0, 0, nullptr, 0));
  backend->calls.clear();

  cache->ClearAll();

  EXPECT_EQ(backend->calls, (std::vector<std::string>{"DeleteTexture " + std::to_string(texture),
                                                      "DestroyShader " + std::to_string(program)}));
  EXPECT_EQ(
      cache->MaterialCount() + cache->MeshCount() + cache->TextureCount() + cache->ShaderCount(),
      0u);
  EXPECT_EQ(cache->MaterialAt(materialIndex).shader, -1);
  int found = -1;
  EXPECT_FALSE(cache->FindMesh("m", found));
  // Everything loads again afterwards.
  Printed([&] { EXPECT_EQ(cache->GetMaterial(material), 0); });
  EXPECT_EQ(backend->builtShaders.size(), 2u);
}

// A backend that writes its texture deletions to a list outside the cache that owns it.
class DeletionLogBackend final : public GpuBackend {
 public:
  explicit DeletionLogBackend(std::vector<unsigned int>* deleted) : deleted(deleted) {}
  unsigned int CreateTexture(const TextureImage&, const TextureSampling&) override { return 5; }
  void DeleteTexture(unsigned int texture) override { deleted->push_back(texture); }
  BuiltShader BuildShader(const ShaderStagePaths&) override { return {}; }
  void DestroyShader(BuiltShader) override {}
  int MaxVertexAttributes() override { return 16; }

 private:
  std::vector<unsigned int>* deleted;
};

// The game's cache belongs to its render context: with none alive there is no cache to ask
// for, and a cache built directly (as here) is not one. Asking is a fault, not a reason to make
// a cache with no GL context behind it.
TEST(ResourceCacheInstance, ThereIsNoneOutsideARenderContext) {
  std::vector<unsigned int> deleted;
  {
    ResourceCache cache(std::make_unique<DeletionLogBackend>(&deleted));
    const std::uint8_t pixel[4] = {1, 2, 3, 4};
    EXPECT_EQ(cache.CreateTexture(1, 1, pixel, "t"), 5);
    EXPECT_FALSE(ResourceCache::HasInstance());
  }
  // Destroying the cache deleted what it held.
  EXPECT_EQ(deleted, (std::vector<unsigned int>{5}));
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(ResourceCache::Instance(), "ResourceCache : used outside a living render context");
}

}  // namespace
