#include "render/material.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "render/resource_cache.h"
#include "tests/support/temp_folder.h"

namespace {

using nlohmann::json;

class MaterialTest : public ::testing::Test {
 protected:
  MaterialTest() {
    auto owned = std::make_unique<RecordingGpuBackend>();
    backend = owned.get();
    cache = std::make_unique<ResourceCache>(std::move(owned));
  }

  // Reads `document` and returns what was logged.
  std::string ReadLogged(const json& document, Material& material) {
    testing::internal::CaptureStdout();
    material = ReadMaterial(document, *cache, "m.json");
    return testing::internal::GetCapturedStdout();
  }

  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = (folder.path / name).string();
    std::ofstream(path) << text;
    return path;
  }

  testing_support::TempFolder folder;
  RecordingGpuBackend* backend = nullptr;
  std::unique_ptr<ResourceCache> cache;
};

void ExpectDefaultValues(const Material& material) {
  EXPECT_EQ(material.ambient, glm::vec3(1.0f));
  EXPECT_EQ(material.diffuse, glm::vec3(1.0f));
  EXPECT_EQ(material.specular, glm::vec3(1.0f));
  EXPECT_EQ(material.alpha, 1.0f);
  EXPECT_EQ(material.shininess, 32.0f);
}

TEST_F(MaterialTest, AnEmptyObjectGivesTheDefaultsAndTheProgramOfSixEmptyPaths) {
  Material material;
  EXPECT_EQ(ReadLogged(json::object(), material), "");
  ExpectDefaultValues(material);
  ASSERT_EQ(backend->builtShaders.size(), 1u);
  EXPECT_EQ(backend->builtShaders[0], ShaderStagePaths{});
  EXPECT_EQ(material.shader, cache->GetShader(ShaderStagePaths{}));
}

TEST_F(MaterialTest, ReadsColoursNumbersAndTheSixStagePaths) {
  const json document = json::parse(R"({
      "_ambient": {"x": 0.1, "y": 0.2, "z": 0.3},
      "_diffuse": {"x": 1, "y": 0, "z": 0.5, "w": 9},
      "_specular": {"x": 0, "y": 0, "z": 0},
      "_alpha": 0.25,
      "_shininess": 4,
      "vertexShaderPath": "./GAME/Shaders/Vertex/V.glsl",
      "fragmentShaderPath": "GAME\\Shaders\\Fragment\\F.glsl",
      "geometryShaderPath": "g.glsl",
      "computeShaderPath": "c.glsl",
      "tesselationEvaluationShaderPath": "te.glsl",
      "tesselationControlShaderPath": "tc.glsl",
      "tessellationEvaluationShaderPath": "not read.glsl",
      "tessellationControlShaderPath": "not read.glsl",
      "comment": "other keys are ignored"
  })");
  Material material;
  EXPECT_EQ(ReadLogged(document, material), "");
  EXPECT_EQ(material.ambient, glm::vec3(0.1f, 0.2f, 0.3f));
  EXPECT_EQ(material.diffuse, glm::vec3(1.0f, 0.0f, 0.5f));
  EXPECT_EQ(material.specular, glm::vec3(0.0f));
  EXPECT_EQ(material.alpha, 0.25f);
  EXPECT_EQ(material.shininess, 4.0f);
  ASSERT_EQ(backend->builtShaders.size(), 1u);
  EXPECT_EQ(backend->builtShaders[0],
            (ShaderStagePaths{"GAME/Shaders/Vertex/V.glsl", "GAME/Shaders/Fragment/F.glsl",
                              "g.glsl", "c.glsl", "te.glsl", "tc.glsl"}));
}

struct WrongTypeCase {
  const char* document;
  std::string log;  // the expected log line
};

TEST_F(MaterialTest, ValuesOfTheWrongTypeKeepTheirDefaultsAndAreLogged) {
  const WrongTypeCase cases[] = {
      {R"({"_alpha": "half"})",
       "Material : m.json: \"_alpha\" is string, not a number; keeping 1\n"},
      {R"({"_shininess": null})",
       "Material : m.json: \"_shininess\" is null, not a number; keeping 32\n"},
      {R"({"_ambient": [0, 0, 0]})",
       "Material : m.json: \"_ambient\" must be an object with numbers \"x\", \"y\" and \"z\"; "
       "keeping (1, 1, 1)\n"},
      {R"({"_diffuse": {"x": 0, "y": 0}})",
       "Material : m.json: \"_diffuse\" must be an object with numbers \"x\", \"y\" and \"z\"; "
       "keeping (1, 1, 1)\n"},
      {R"({"_specular": {"x": 0, "y": "0", "z": 0}})",
       "Material : m.json: \"_specular\" must be an object with numbers \"x\", \"y\" and \"z\"; "
       "keeping (1, 1, 1)\n"},
      {R"({"vertexShaderPath": 5})",
       "Material : m.json: \"vertexShaderPath\" is number, not a path; the stage is left out\n"},
      {R"([1, 2])",
       "Material : m.json: the document is array, not an object; using the "
       "defaults\n"},
  };
  for (const WrongTypeCase& testCase : cases) {
    SCOPED_TRACE(testCase.document);
    Material material;
    EXPECT_EQ(ReadLogged(json::parse(testCase.document), material), testCase.log);
    ExpectDefaultValues(material);
    EXPECT_EQ(backend->builtShaders.back(), ShaderStagePaths{});
  }

  // The fields of the right type around a bad one are still read.
  Material material;
  ReadLogged(json::parse(R"({"_alpha": "x", "_shininess": 8, "fragmentShaderPath": "f.glsl"})"),
             material);
  EXPECT_EQ(material.alpha, 1.0f);
  EXPECT_EQ(material.shininess, 8.0f);
  EXPECT_EQ(backend->builtShaders.back().fragment, "f.glsl");
}

TEST_F(MaterialTest, MaterialsWithTheSameStagesShareOneProgramButKeepTheirColours) {
  const std::string red =
      WriteFile("Red.json", R"({"_diffuse": {"x": 1, "y": 0, "z": 0}, "vertexShaderPath": "v.glsl",
                      "fragmentShaderPath": "f.glsl"})");
  const std::string blue = WriteFile(
      "Blue.json", R"({"_diffuse": {"x": 0, "y": 0, "z": 1}, "vertexShaderPath": "./v.glsl",
                       "fragmentShaderPath": "f.glsl"})");
  testing::internal::CaptureStdout();
  const int redIndex = cache->GetMaterial(red);
  const int blueIndex = cache->GetMaterial(blue);
  EXPECT_EQ(cache->GetMaterial(red), redIndex);
  testing::internal::GetCapturedStdout();

  EXPECT_NE(redIndex, blueIndex);
  EXPECT_EQ(cache->MaterialAt(redIndex).shader, cache->MaterialAt(blueIndex).shader);
  EXPECT_EQ(cache->MaterialAt(redIndex).diffuse, glm::vec3(1, 0, 0));
  EXPECT_EQ(cache->MaterialAt(blueIndex).diffuse, glm::vec3(0, 0, 1));
  EXPECT_EQ(backend->builtShaders.size(), 1u);
  EXPECT_EQ(cache->MaterialCount(), 2u);
}

TEST_F(MaterialTest, FilesThatDoNotLoadGiveTheDefaultMaterialAndALogLine) {
  const std::string missing = (folder.path / "Missing.json").string();
  const std::string broken = WriteFile("Broken.json", R"({"_alpha": 0.5,)");
  testing::internal::CaptureStdout();
  const int missingIndex = cache->GetMaterial(missing);
  const int brokenIndex = cache->GetMaterial(broken);
  const std::string log = testing::internal::GetCapturedStdout();

  for (const int index : {missingIndex, brokenIndex}) {
    ASSERT_GE(index, 0);
    ExpectDefaultValues(cache->MaterialAt(index));
    EXPECT_EQ(cache->MaterialAt(index).shader, cache->GetShader(ShaderStagePaths{}));
  }
  EXPECT_NE(log.find("Material : " + missing + ": "), std::string::npos) << log;
  EXPECT_NE(log.find("Material : " + broken + ": "), std::string::npos) << log;
  EXPECT_NE(log.find("using the default material"), std::string::npos) << log;
}

}  // namespace
