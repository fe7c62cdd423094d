// Every shader program the data tree holds compiles and links without a word from the driver:
// the programs of every material under GAME/Assets/Materials, every compute shader under
// GAME/Shaders/Compute, and the programs the engine builds from fixed stage paths. New data is
// picked up by the globs; a new fixed program gets a line in kNamedPrograms.

#include <glad/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "render/mesh_file.h"
#include "render/resource_cache.h"
#include "render/shader_source.h"
#include "tests/support/gl_test_environment.h"

namespace {

struct DataProgram {
  std::string name;
  ShaderStagePaths stages;
};

// Programs built from stage paths fixed in code.
const DataProgram kNamedPrograms[] = {
    {"renderer layer composite",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl",
      "GAME/Shaders/Fragment/FramebufferFragmentShader.glsl"}},
    {"renderer depth view",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl",
      "GAME/Shaders/Fragment/DepthBufferShader.glsl"}},
    {"sprite text",
     {"GAME/Shaders/Vertex/TextVertexShader.glsl", "GAME/Shaders/Fragment/TextShader.glsl"}},
    {"post-processing glow mask",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl",
      "GAME/Shaders/Fragment/FlorethMaskShader.glsl"}},
    {"post-processing glow downsampling",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl",
      "GAME/Shaders/Fragment/FlorethDownsamplingShader.glsl"}},
    {"post-processing kernel blur",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl",
      "GAME/Shaders/Fragment/KernelShader.glsl"}},
    {"post-processing sobel edges",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl",
      "GAME/Shaders/Fragment/KernelShaderEdge.glsl"}},
    {"post-processing posterization",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl",
      "GAME/Shaders/Fragment/PosterizationShader.glsl"}},
    {"post-processing tone mapping",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl",
      "GAME/Shaders/Fragment/ToneMappingShader.glsl"}},
    {"post-processing fade",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl", "GAME/Shaders/Fragment/FadeShader.glsl"}},
    {"post-processing screentone",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl",
      "GAME/Shaders/Fragment/ScreentoneShader.glsl"}},
    {"post-processing fxaa",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl", "GAME/Shaders/Fragment/FXAAShader.glsl"}},
    {"post-processing noir",
     {"GAME/Shaders/Vertex/FramebufferVertexShader.glsl", "GAME/Shaders/Fragment/NoirShader.glsl"}},
    {"grass",
     {"GAME/Shaders/Vertex/GrassVertexShader.glsl",
      "GAME/Shaders/Fragment/GrassFragmentShader.glsl"}},
    {"wind view",
     {"GAME/Shaders/Vertex/WindVisualizationVertexShader.glsl",
      "GAME/Shaders/Fragment/WindVisualizationFragmentShader.glsl"}},
};

// The files of a data folder with the extension, sorted. A missing folder or one without
// such files fails the test: a loop over nothing would check nothing.
std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder,
                                           const std::string& extension) {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::is_directory(folder)) {
    ADD_FAILURE() << "no data folder " << folder;
    return files;
  }
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == extension) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  EXPECT_FALSE(files.empty()) << "no " << extension << " file in " << folder;
  return files;
}

// The stage paths of every material file, read by the material reader itself.
std::vector<DataProgram> MaterialPrograms() {
  std::vector<DataProgram> programs;
  for (const auto& file : FilesIn("GAME/Assets/Materials", ".json")) {
    auto owned = std::make_unique<RecordingGpuBackend>();
    RecordingGpuBackend& backend = *owned;
    ResourceCache cache(std::move(owned));
    testing::internal::CaptureStdout();
    cache.GetMaterial(file.string());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("Material : "), std::string::npos) << log;
    programs.push_back({file.string(), backend.builtShaders.at(0)});
  }
  return programs;
}

std::string InfoLog(GLuint object, bool isProgram) {
  GLint length = 0;
  (isProgram ? glGetProgramiv : glGetShaderiv)(object, GL_INFO_LOG_LENGTH, &length);
  std::string log(static_cast<std::size_t>(std::max(length, 0)), '\0');
  GLsizei written = 0;
  if (length > 0)
    (isProgram ? glGetProgramInfoLog : glGetShaderInfoLog)(object, length, &written, log.data());
  log.resize(static_cast<std::size_t>(written));
  return log;
}

const std::regex kDeclaredName("[A-Za-z_][A-Za-z0-9_]*(\\[[0-9]+\\])?");

// Compiles and links the stages as the Shader class does, expecting silence all the way.
void ExpectCleanProgram(const DataProgram& program) {
  SCOPED_TRACE(program.name);
  const std::array<std::pair<std::string, GLenum>, 6> stages{{
      {program.stages.vertex, GL_VERTEX_SHADER},
      {program.stages.fragment, GL_FRAGMENT_SHADER},
      {program.stages.geometry, GL_GEOMETRY_SHADER},
      {program.stages.compute, GL_COMPUTE_SHADER},
      {program.stages.tessEvaluation, GL_TESS_EVALUATION_SHADER},
      {program.stages.tessControl, GL_TESS_CONTROL_SHADER},
  }};
  const GLuint linked = glCreateProgram();
  std::vector<GLuint> shaders;
  for (const auto& [path, type] : stages) {
    if (path.empty()) continue;
    SCOPED_TRACE(path);
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    UniformDeclarations declarations;
    testing::internal::CaptureStdout();
    const std::string text = PrepareShaderStage(path, declarations);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    // The scan finds the word anywhere (comments too): every record must be a real declaration.
    for (const auto& [name, type] : declarations) {
      EXPECT_TRUE(std::regex_match(name, kDeclaredName)) << "declared name '" << name << "'";
      EXPECT_NE(type, UniformType::Unrecognised) << "type of '" << name << "'";
    }

    const GLuint shader = glCreateShader(type);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    EXPECT_EQ(compiled, GL_TRUE);
    EXPECT_EQ(InfoLog(shader, false), "");
    glAttachShader(linked, shader);
    shaders.push_back(shader);
  }
  ASSERT_FALSE(shaders.empty()) << "a program without stages";
  glLinkProgram(linked);
  GLint status = GL_FALSE;
  glGetProgramiv(linked, GL_LINK_STATUS, &status);
  EXPECT_EQ(status, GL_TRUE);
  EXPECT_EQ(InfoLog(linked, true), "");
  for (const GLuint shader : shaders) glDeleteShader(shader);
  glDeleteProgram(linked);
}

TEST(DataShaders, EveryMaterialProgramCompilesAndLinksWithAnEmptyLog) {
  const std::vector<DataProgram> programs = MaterialPrograms();
  ASSERT_FALSE(programs.empty());
  for (const DataProgram& program : programs) ExpectCleanProgram(program);
}

TEST(DataShaders, EveryNamedAndComputeProgramCompilesAndLinksWithAnEmptyLog) {
  for (const DataProgram& program : kNamedPrograms) ExpectCleanProgram(program);
  // The data tree has no compute shaders yet; once their folder exists, each must build.
  if (std::filesystem::exists("GAME/Shaders/Compute")) {
    for (const auto& file : FilesIn("GAME/Shaders/Compute", ".glsl")) {
      ExpectCleanProgram({file.string(), {.compute = file.string()}});
    }
  }
}

TEST(DataShaders, MaterialsBuiltThroughTheCacheAreLinkedShaders) {
  ResourceCache cache(MakeGlBackend());
  for (const auto& file : FilesIn("GAME/Assets/Materials", ".json")) {
    SCOPED_TRACE(file.string());
    testing::internal::CaptureStdout();
    const int material = cache.GetMaterial(file.string());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("Shader : "), std::string::npos) << log;
    const Shader* shader = cache.GetShaderById(cache.MaterialAt(material).shader);
    ASSERT_NE(shader, nullptr);
    EXPECT_TRUE(shader->IsLinked());
  }
}

TEST(DataShaders, EveryDataMeshLeavesRoomForTheRendererInstanceAttributes) {
  GLint limit = 0;
  glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &limit);
  for (const char* folder : {"GAME/Assets/Meshes", "GAME/Assets/Models"}) {
    for (const auto& file : FilesIn(folder, ".txt")) {
      SCOPED_TRACE(file.string());
      const Mesh mesh = LoadMeshFile(file.string());
      EXPECT_LE(mesh.AttributeCount() + kRendererInstanceAttributeCount, limit);
    }
  }
}

}  // namespace
