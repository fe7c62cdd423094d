#include "render/shader.h"

#include <glad/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/decs.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/gl_test_environment.h"

namespace {

const std::string kData = "tests/render/data/";

std::vector<float> UniformFloats(GLuint program, const std::string& name, std::size_t count) {
  const GLint location = glGetUniformLocation(program, name.c_str());
  EXPECT_GE(location, 0) << name;
  std::vector<float> values(16, -1.0f);
  if (location >= 0) glGetUniformfv(program, location, values.data());
  values.resize(count);
  return values;
}

void ClearGlErrors() {
  while (glGetError() != GL_NO_ERROR) {
  }
}

TEST(Shader, BuildsAVertexFragmentProgramFromPreprocessedStages) {
  testing::internal::CaptureStdout();
  Shader shader(kData + "globals.vert", kData + "globals.frag");
  const std::string log = testing::internal::GetCapturedStdout();

  // The fragment stage includes one file twice and hides an #error in a debug block: it only
  // compiles when both are handled.
  EXPECT_TRUE(shader.IsLinked());
  EXPECT_EQ(log, "");
  GLint attached = 0;
  glGetProgramiv(shader.program, GL_ATTACHED_SHADERS, &attached);
  EXPECT_EQ(attached, 2);

  for (const char* name : {"model", "weights[0]", "weights[8]", "pointLights[0]", "pointLights[1]",
                           "waveData", "tint", "inTexture"}) {
    EXPECT_TRUE(shader.declarations.contains(name)) << name;
  }
  for (const char* name : {"weights", "weights[9]", "pointLights", "debugOnly"}) {
    EXPECT_FALSE(shader.declarations.contains(name)) << name;
  }
  EXPECT_EQ(shader.declarations.at("pointLights[1]"), UniformType::PointLight);
  EXPECT_EQ(shader.declarations.at("inTexture"), UniformType::Sampler2D);
}

TEST(Shader, AppliesGlobalsToPlainUniformsStructMembersAndArrayElements) {
  Shader shader(kData + "globals.vert", kData + "globals.frag");
  ASSERT_TRUE(shader.IsLinked());

  GlobalUniforms globals;
  const std::array<float, 9> weights{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
  SetGlobalFloatArray(globals.floats, "weights", weights.data(), 9);
  globals.pointLights["pointLights[1]"] = {{1, 2, 3}, {0.5f, 0.25f, 1}, 2.0f, {4, 5}};
  globals.waves["waveData"] = {{6, 7}, 1.5f, 2.5f, 3.5f, 4.5f, 5.5f};
  globals.vec4Values["tint"] = {0.1f, 0.2f, 0.3f, 0.4f};
  globals.ints["inTexture"] = 3;
  glm::mat4 model(0.0f);
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) model[column][row] = static_cast<float>(column * 4 + row);
  }
  globals.mat4Values["model"] = model;
  globals.floats["notDeclared"] = 1.0f;

  ClearGlErrors();
  shader.Use();
  shader.ApplyGlobalUniforms(globals);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  struct Expected {
    std::string name;
    std::vector<float> values;
  };
  std::vector<Expected> expected{
      {"pointLights[1].position", {1, 2, 3}},
      {"pointLights[1].color", {0.5f, 0.25f, 1}},
      {"pointLights[1].strength", {2}},
      {"pointLights[1].radii", {4, 5}},
      {"pointLights[0].color", {0, 0, 0}},  // no global value: left alone
      {"waveData.origin", {6, 7}},
      {"waveData.time", {1.5f}},
      {"waveData.dist", {2.5f}},
      {"waveData.height", {3.5f}},
      {"waveData.width", {4.5f}},
      {"waveData.speed", {5.5f}},
      {"tint", {0.1f, 0.2f, 0.3f, 0.4f}},
      {"model", std::vector<float>(&model[0][0], &model[0][0] + 16)},
  };
  for (int index = 0; index < 9; ++index) {
    expected.push_back({"weights[" + std::to_string(index) + "]", {weights[index]}});
  }
  for (const Expected& uniform : expected) {
    EXPECT_EQ(UniformFloats(shader.program, uniform.name, uniform.values.size()), uniform.values)
        << uniform.name;
  }
  GLint unit = -1;
  glGetUniformiv(shader.program, glGetUniformLocation(shader.program, "inTexture"), &unit);
  EXPECT_EQ(unit, 3);

  // Struct members are cached under their full names; absent globals look nothing up.
  EXPECT_TRUE(shader.locations.contains("pointLights[1].radii"));
  EXPECT_FALSE(shader.locations.contains("pointLights[0].color"));
}

class ShaderWithEngine : public testing_support::EngineFixture {};

TEST_F(ShaderWithEngine, AppliesTheEngineGlobalsWhenGivenNoTables) {
  Shader shader(kData + "globals.vert", kData + "globals.frag");
  decs->globalUniforms.floats["weights[4]"] = 0.75f;
  shader.Use();
  shader.ApplyGlobalUniforms();
  EXPECT_EQ(UniformFloats(shader.program, "weights[4]", 1), std::vector<float>{0.75f});
}

TEST(Shader, ReportsTheStageFilesAndTheDriverLogWhenABuildFails) {
  struct FailureCase {
    const char* name;
    std::string vertex;
    std::string fragment;
    std::vector<std::string> logFragments;
  };
  const FailureCase cases[] = {
      {"syntax error",
       kData + "globals.vert",
       kData + "syntax_error.frag",
       {"Shader : " + kData + "syntax_error.frag: compile failed:\n", "error", "link failed"}},
      {"missing stage file",
       kData + "missing.vert",
       kData + "globals.frag",
       {"Shader : " + kData + "missing.vert: cannot read the stage file", "link failed"}},
      {"stages that do not fit together",
       kData + "globals.vert",
       kData + "needs_normal.frag",
       {"Shader : program of " + kData + "globals.vert, " + kData +
            "needs_normal.frag: link failed:\n",
        "normal"}},
  };
  for (const FailureCase& test : cases) {
    SCOPED_TRACE(test.name);
    testing::internal::CaptureStdout();
    Shader shader(test.vertex, test.fragment);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(shader.IsLinked());
    for (const std::string& fragment : test.logFragments) {
      EXPECT_NE(log.find(fragment), std::string::npos) << "missing '" << fragment << "' in:\n"
                                                       << log;
    }
    EXPECT_EQ(log.find("(the driver gave no log)"), std::string::npos) << log;

    // A failed program is never left current, and its setters touch nothing.
    ClearGlErrors();
    shader.Use();
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    shader.SetFloat("weights[0]", 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
}

TEST(Shader, LinksAndRunsAComputeOnlyProgram) {
  Shader shader("", "", "", kData + "fill.comp");
  ASSERT_TRUE(shader.IsLinked());
  GLint attached = 0;
  glGetProgramiv(shader.program, GL_ATTACHED_SHADERS, &attached);
  EXPECT_EQ(attached, 1);
  EXPECT_EQ(shader.declarations,
            (UniformDeclarations{{"target", UniformType::Image2D}, {"level", UniformType::Float}}));

  GLuint texture = 0;
  glCreateTextures(GL_TEXTURE_2D, 1, &texture);
  glTextureStorage2D(texture, 1, GL_RGBA8, 1, 1);
  glBindImageTexture(2, texture, 0, GL_FALSE, 0, GL_WRITE_ONLY, GL_RGBA8);
  GlobalUniforms globals;
  globals.floats["level"] = 0.5f;
  globals.ints["target"] = 2;
  shader.Use();
  shader.ApplyGlobalUniforms(globals);
  glDispatchCompute(1, 1, 1);
  glMemoryBarrier(GL_TEXTURE_UPDATE_BARRIER_BIT);
  std::array<std::uint8_t, 4> pixel{};
  glGetTextureImage(texture, 0, GL_RGBA, GL_UNSIGNED_BYTE, 4, pixel.data());
  glDeleteTextures(1, &texture);
  for (const std::uint8_t channel : pixel) EXPECT_NEAR(channel, 128, 1);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
