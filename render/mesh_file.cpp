#include "render/mesh_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "platform/os/file_path.h"

namespace {

// Lists are reserved up to this many entries before they are read: a short file that claims a
// large count fails after reading what it holds, without a large allocation first.
constexpr std::size_t kReserveLimit = 1 << 16;

// Reads the fields of one file and remembers the first thing that went wrong, with its line.
class MeshTextReader {
 public:
  explicit MeshTextReader(TextScanner& scanner) : scanner(scanner) {}

  // Fails with `what` (prefixed by the line, or by "the file ends early" at the end).
  bool Fail(const std::string& what) {
    if (problem.empty()) problem = "line " + std::to_string(scanner.Line()) + ": " + what;
    return false;
  }

  bool ReadFloat(float& value, const char* what) {
    if (scanner.AtEnd()) return Ended(what);
    return scanner.ReadFloat(value) || Fail(std::string(what) + " is not a number");
  }

  bool ReadInt(int& value, const char* what) {
    if (scanner.AtEnd()) return Ended(what);
    return scanner.ReadInt(value) || Fail(std::string(what) + " is not a whole number");
  }

  // A count in [minimum, maximum].
  bool ReadCount(int& count, int minimum, int maximum, const char* what) {
    if (!ReadInt(count, what)) return false;
    if (count < minimum || count > maximum) {
      return Fail(std::string(what) + " " + std::to_string(count) + " is outside " +
                  std::to_string(minimum) + " to " + std::to_string(maximum));
    }
    return true;
  }

  bool ReadWord(std::string& word, const char* what) {
    if (scanner.AtEnd()) return Ended(what);
    return scanner.ReadWord(word);
  }

  TextScanner& scanner;
  std::string problem;

 private:
  bool Ended(const char* what) {
    if (problem.empty()) problem = std::string("the file ends early: ") + what + " is missing";
    return false;
  }
};

MeshReadResult Failed(std::string problem) { return {Mesh{}, std::move(problem)}; }

MeshReadResult ReadStdMesh(MeshTextReader& reader) {
  Mesh mesh;
  int attributeCount = 0;
  if (!reader.ReadCount(attributeCount, 1, kMaxMeshAttributes, "the attribute count")) {
    return Failed(reader.problem);
  }
  int floatsPerVertex = 0;
  for (int attribute = 0; attribute < attributeCount; ++attribute) {
    int size = 0;
    if (!reader.ReadCount(size, 1, 4, "an attribute size")) return Failed(reader.problem);
    mesh.attributeSizes.push_back(size);
    floatsPerVertex += size;
  }
  if (!reader.ReadCount(mesh.vertexCount, 0, kMaxMeshVertices, "the vertex count")) {
    return Failed(reader.problem);
  }
  const std::size_t floatCount = static_cast<std::size_t>(mesh.vertexCount) * floatsPerVertex;
  mesh.vertices.reserve(std::min(floatCount, kReserveLimit));
  for (std::size_t index = 0; index < floatCount; ++index) {
    float value = 0.0f;
    if (!reader.ReadFloat(value, "a vertex value")) return Failed(reader.problem);
    mesh.vertices.push_back(value);
  }
  mesh.stride = static_cast<std::uint64_t>(floatsPerVertex) * sizeof(float);

  int indexCount = 0;
  if (!reader.ReadCount(indexCount, 0, kMaxMeshIndices, "the index count")) {
    return Failed(reader.problem);
  }
  mesh.indices.reserve(std::min(static_cast<std::size_t>(indexCount), kReserveLimit));
  for (int index = 0; index < indexCount; ++index) {
    int value = 0;
    if (!reader.ReadInt(value, "an index")) return Failed(reader.problem);
    if (value < 0 || value >= mesh.vertexCount) {
      reader.Fail("index " + std::to_string(value) + " is outside the " +
                  std::to_string(mesh.vertexCount) + " vertices");
      return Failed(reader.problem);
    }
    mesh.indices.push_back(value);
  }
  return {std::move(mesh), {}};
}

// A face corner "p/t/n" of three 1-based indices; nullopt for any other form.
std::optional<std::array<int, 3>> ParseCorner(std::string_view corner) {
  std::array<int, 3> indices{};
  const char* position = corner.data();
  const char* const end = corner.data() + corner.size();
  for (std::size_t part = 0; part < indices.size(); ++part) {
    if (part > 0) {
      if (position == end || *position != '/') return std::nullopt;
      ++position;
    }
    // from_chars takes no '+' and, for a '-' sign, gives a value the check below refuses.
    const auto [next, error] = std::from_chars(position, end, indices[part]);
    if (error != std::errc() || indices[part] < 1) return std::nullopt;
    position = next;
  }
  if (position != end) return std::nullopt;
  return indices;
}

// A token that only a face corner would be: digits and slashes, with at least one slash.
bool LooksLikeCorner(std::string_view token) {
  if (token.find('/') == std::string_view::npos) return false;
  for (const char character : token) {
    if (character != '/' && character != '-' && (character < '0' || character > '9')) return false;
  }
  return true;
}

template <std::size_t Size>
bool ReadValues(MeshTextReader& reader, std::vector<std::array<float, Size>>& list,
                const char* what) {
  if (list.size() >= static_cast<std::size_t>(kMaxMeshVertices)) {
    return reader.Fail(std::string("more than ") + std::to_string(kMaxMeshVertices) + " " + what +
                       "s");
  }
  std::array<float, Size> value{};
  for (float& component : value) {
    if (!reader.ReadFloat(component, what)) return false;
  }
  list.push_back(value);
  return true;
}

MeshReadResult ReadObjSubset(MeshTextReader& reader) {
  std::vector<std::array<float, 3>> positions;
  std::vector<std::array<float, 3>> normals;
  std::vector<std::array<float, 2>> textureCoordinates;
  // Per output vertex: position, texture-coordinate and normal index, 1-based.
  std::vector<std::array<int, 3>> corners;

  std::string token;
  while (reader.scanner.ReadWord(token)) {
    bool read = true;
    if (token == "v") {
      read = ReadValues(reader, positions, "position");
    } else if (token == "vn") {
      read = ReadValues(reader, normals, "normal");
    } else if (token == "vt") {
      read = ReadValues(reader, textureCoordinates, "texture coordinate");
    } else if (token == "f") {
      if (corners.size() + 3 > static_cast<std::size_t>(kMaxMeshVertices)) {
        read = reader.Fail("more than " + std::to_string(kMaxMeshVertices / 3) + " faces");
      }
      for (int corner = 0; read && corner < 3; ++corner) {
        std::string text;
        read = reader.ReadWord(text, "a face corner");
        if (!read) break;
        const auto indices = ParseCorner(text);
        if (!indices) {
          read = reader.Fail("face corner \"" + text +
                             "\" is not position/texture/normal (three indices from 1)");
        } else {
          corners.push_back(*indices);
        }
      }
    } else if (LooksLikeCorner(token)) {
      read =
          reader.Fail("face corner \"" + token + "\" after three corners: only triangles are read");
    }
    if (!read) return Failed(reader.problem);
  }

  Mesh mesh;
  mesh.attributeSizes = {3, 3, 2};
  mesh.stride = 8 * sizeof(float);
  mesh.vertexCount = static_cast<std::int32_t>(corners.size());
  mesh.vertices.reserve(corners.size() * 8);
  mesh.indices.reserve(corners.size());
  for (std::size_t vertex = 0; vertex < corners.size(); ++vertex) {
    const auto [positionIndex, textureIndex, normalIndex] = corners[vertex];
    const auto outside = [&](const char* what, int index, std::size_t count) {
      return Failed("face " + std::to_string(vertex / 3 + 1) + " uses " + what + " " +
                    std::to_string(index) + ", the file has " + std::to_string(count));
    };
    if (static_cast<std::size_t>(positionIndex) > positions.size()) {
      return outside("position", positionIndex, positions.size());
    }
    if (static_cast<std::size_t>(normalIndex) > normals.size()) {
      return outside("normal", normalIndex, normals.size());
    }
    if (static_cast<std::size_t>(textureIndex) > textureCoordinates.size()) {
      return outside("texture coordinate", textureIndex, textureCoordinates.size());
    }
    const auto& position = positions[positionIndex - 1];
    const auto& normal = normals[normalIndex - 1];
    const auto& coordinate = textureCoordinates[textureIndex - 1];
    mesh.vertices.insert(mesh.vertices.end(), position.begin(), position.end());
    mesh.vertices.insert(mesh.vertices.end(), normal.begin(), normal.end());
    mesh.vertices.insert(mesh.vertices.end(), coordinate.begin(), coordinate.end());
    mesh.indices.push_back(static_cast<std::int32_t>(vertex));
  }
  if (corners.empty()) return Failed("no faces (\"f p/t/n p/t/n p/t/n\") in the file");
  return {std::move(mesh), {}};
}

}  // namespace

MeshReadResult ReadMeshText(TextScanner& scanner) {
  MeshTextReader reader(scanner);
  std::string format;
  if (!scanner.ReadWord(format)) return Failed("the file is empty");
  return format == "std_mesh" ? ReadStdMesh(reader) : ReadObjSubset(reader);
}

Mesh LoadMeshFile(std::string_view path) {
  const std::string file = os::NormalizePath(path);
  TextScanner scanner(file);
  if (!scanner.IsOpen()) {
    std::printf("MeshFile : %s: cannot be opened; using an empty mesh\n", file.c_str());
    return {};
  }
  MeshReadResult result = ReadMeshText(scanner);
  if (!result.Succeeded()) {
    std::printf("MeshFile : %s: %s; using an empty mesh\n", file.c_str(), result.problem.c_str());
  }
  return std::move(result.mesh);
}
