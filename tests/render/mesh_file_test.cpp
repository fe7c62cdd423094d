#include "render/mesh_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

MeshReadResult Read(const std::string& text) {
  TextScanner scanner = TextScanner::FromText(text);
  return ReadMeshText(scanner);
}

void ExpectEmpty(const Mesh& mesh) {
  EXPECT_TRUE(mesh.attributeSizes.empty());
  EXPECT_TRUE(mesh.vertices.empty());
  EXPECT_EQ(mesh.vertexCount, 0);
  EXPECT_EQ(mesh.stride, 0u);
  EXPECT_TRUE(mesh.indices.empty());
}

TEST(MeshFile, ReadsStdMeshArraysAsWritten) {
  const MeshReadResult result = Read(
      "std_mesh 2  3 2  3\n"
      "0 0 0  0 0\n"
      "1 0 0  1 0\n"
      "0 1 0  0 1\n"
      "3  2 1 0\n");
  ASSERT_TRUE(result.Succeeded()) << result.problem;
  const Mesh& mesh = result.mesh;
  EXPECT_EQ(mesh.attributeSizes, (std::vector<std::int32_t>{3, 2}));
  EXPECT_EQ(mesh.stride, 20u);
  EXPECT_EQ(mesh.vertexCount, 3);
  EXPECT_EQ(mesh.vertices, (std::vector<float>{0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(mesh.indices, (std::vector<std::int32_t>{2, 1, 0}));
}

TEST(MeshFile, BuildsObjTrianglesFromPositionTextureNormalCorners) {
  // Two triangles; every corner picks a different position, coordinate and normal, so a swap of
  // the three index kinds shows in the vertices.
  const MeshReadResult result = Read(
      "# two triangles\n"
      "o shape\n"
      "v 1 2 3\nv 4 5 6\nv 7 8 9\nv 10 11 12\n"
      "vt 0.1 0.2\nvt 0.3 0.4\nvt 0.5 0.6\n"
      "vn 0 0 1\nvn 0 1 0\n"
      "usemtl plain\n"
      "f 1/3/2 2/2/1 3/1/2\n"
      "f 4/1/1 1/2/2 2/3/1\n");
  ASSERT_TRUE(result.Succeeded()) << result.problem;
  const Mesh& mesh = result.mesh;
  EXPECT_EQ(mesh.attributeSizes, (std::vector<std::int32_t>{3, 3, 2}));
  EXPECT_EQ(mesh.stride, 32u);
  EXPECT_EQ(mesh.vertexCount, 6);
  EXPECT_EQ(mesh.indices, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5}));
  ASSERT_EQ(mesh.vertices.size(), 48u);
  const std::vector<float> firstVertex(mesh.vertices.begin(), mesh.vertices.begin() + 8);
  EXPECT_EQ(firstVertex, (std::vector<float>{1, 2, 3, 0, 1, 0, 0.5f, 0.6f}));
  const std::vector<float> fourthVertex(mesh.vertices.begin() + 24, mesh.vertices.begin() + 32);
  EXPECT_EQ(fourthVertex, (std::vector<float>{10, 11, 12, 0, 0, 1, 0.1f, 0.2f}));
}

TEST(MeshFile, DropsTheFirstTokenOfAnObjFile) {
  // The "v" of the first line is taken for the format tag, so its numbers are skipped and the
  // face's position 3 does not exist.
  const MeshReadResult lost =
      Read("v 9 9 9\nv 0 0 0\nv 1 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n");
  EXPECT_FALSE(lost.Succeeded());
  EXPECT_NE(lost.problem.find("position 3, the file has 2"), std::string::npos) << lost.problem;

  // A first token longer than the token limit is read (and dropped) safely.
  const MeshReadResult longTag = Read(std::string(1000, 'x') +
                                      "\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n"
                                      "f 1/1/1 2/1/1 3/1/1\n");
  ASSERT_TRUE(longTag.Succeeded()) << longTag.problem;
  EXPECT_EQ(longTag.mesh.vertexCount, 3);
}

struct BadFileCase {
  const char* name;
  std::string text;
  std::string problem;  // a fragment of the reported problem
};

TEST(MeshFile, RejectsBadFilesWholeWithTheirProblem) {
  const std::string objHead = "# m\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n";
  const BadFileCase cases[] = {
      {"empty file", "", "the file is empty"},
      {"no attribute count", "std_mesh", "the file ends early: the attribute count is missing"},
      {"zero attributes", "std_mesh 0 0 0", "the attribute count 0 is outside 1 to 16"},
      {"too many attributes", "std_mesh 17", "the attribute count 17 is outside 1 to 16"},
      {"attribute of 5 components", "std_mesh 1 5 0 0", "an attribute size 5 is outside 1 to 4"},
      {"attribute of 0 components", "std_mesh 1 0 0 0", "an attribute size 0 is outside 1 to 4"},
      {"vertex count over the cap", "std_mesh 1 1 1048577",
       "the vertex count 1048577 is outside 0 to 1048576"},
      {"negative vertex count", "std_mesh 1 1 -1", "the vertex count -1 is outside"},
      {"vertices cut short", "std_mesh 1 3 2  0 0 0  1 1",
       "the file ends early: a vertex value is missing"},
      {"a vertex value that is not a number", "std_mesh 1 1 2 0.5 half 2 0 1",
       "line 1: a vertex value is not a number"},
      {"no index count", "std_mesh 1 1 1 0", "the file ends early: the index count is missing"},
      {"index count over the cap", "std_mesh 1 1 1 0 4194305", "the index count 4194305"},
      {"indices cut short", "std_mesh 1 1 3 0 1 2 3 0 1",
       "the file ends early: an index is missing"},
      {"index equal to the vertex count", "std_mesh 1 1 3 0 1 2\n3\n0 1 3",
       "line 3: index 3 is outside the 3 vertices"},
      {"negative index", "std_mesh 1 1 3 0 1 2 3 0 -1 2", "index -1 is outside the 3 vertices"},
      {"fractional index", "std_mesh 1 1 3 0 1 2 3 0 1.5 2", "an index is not a whole number"},
      {"face past the positions", objHead + "f 1/1/1 2/1/1 4/1/1",
       "face 1 uses position 4, the file has 3"},
      {"face past the normals", objHead + "f 1/1/1 2/1/1 3/1/2",
       "face 1 uses normal 2, the file has 1"},
      {"face past the coordinates", objHead + "f 1/1/1 2/2/1 3/1/1",
       "face 1 uses texture coordinate 2, the file has 1"},
      {"position-only corner", objHead + "f 1 2 3", "face corner \"1\" is not position/texture"},
      {"corner without a normal", objHead + "f 1/1 2/1 3/1", "face corner \"1/1\""},
      {"corner without a coordinate", objHead + "f 1//1 2//1 3//1", "face corner \"1//1\""},
      {"negative (relative) corner", objHead + "f -1/1/1 2/1/1 3/1/1", "face corner \"-1/1/1\""},
      {"zero index", objHead + "f 0/1/1 2/1/1 3/1/1", "face corner \"0/1/1\""},
      {"quad", objHead + "f 1/1/1 2/1/1 3/1/1 3/1/1", "after three corners"},
      {"face cut short", objHead + "f 1/1/1 2/1/1", "the file ends early: a face corner"},
      {"position cut short", "# m\nv 0 0", "the file ends early: position is missing"},
      {"normal that is not a number", "# m\nvn 0 up 1", "line 2: normal is not a number"},
      {"no faces", objHead, "no faces"},
  };
  for (const BadFileCase& testCase : cases) {
    SCOPED_TRACE(testCase.name);
    const MeshReadResult result = Read(testCase.text);
    EXPECT_NE(result.problem.find(testCase.problem), std::string::npos)
        << "problem was: " << result.problem;
    ExpectEmpty(result.mesh);
  }
}

TEST(MeshFile, LoadingLogsTheFileOfAMissingOrBadMesh) {
  testing_support::TempFolder folder;
  const std::string bad = (folder.path / "bad.txt").string();
  std::ofstream(bad) << "std_mesh 1 3 1 0 0 0 3 0 0 1\n";
  const std::string missing = (folder.path / "missing.txt").string();

  testing::internal::CaptureStdout();
  ExpectEmpty(LoadMeshFile(bad));
  ExpectEmpty(LoadMeshFile(missing));
  const std::string log = testing::internal::GetCapturedStdout();

  EXPECT_NE(log.find("MeshFile : " + bad +
                     ": line 1: index 1 is outside the 1 vertices; "
                     "using an empty mesh\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("MeshFile : " + missing + ": cannot be opened; using an empty mesh\n"),
            std::string::npos)
      << log;
}

TEST(MeshFile, EveryMeshOfTheDataTreeReads) {
  std::vector<std::filesystem::path> files;
  for (const char* folder : {"GAME/Assets/Meshes", "GAME/Assets/Models"}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() == ".txt") files.push_back(entry.path());
    }
  }
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    SCOPED_TRACE(file.string());
    TextScanner scanner(file.string());
    const MeshReadResult result = ReadMeshText(scanner);
    EXPECT_TRUE(result.Succeeded()) << result.problem;
    EXPECT_GT(result.mesh.IndexCount(), 0);
  }
}

}  // namespace
