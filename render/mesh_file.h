#pragma once
// Mesh files: the two text formats the mesh cache reads into a Mesh.
//
// "std_mesh" (first token exactly "std_mesh"), then whitespace-separated:
//   A                     attribute count (1 to kMaxMeshAttributes)
//   A sizes               component count of each attribute (1 to 4); S = their sum
//   V                     vertex count (up to kMaxMeshVertices)
//   S x V floats          the vertices, interleaved, attributes in the listed order
//   I                     index count (up to kMaxMeshIndices)
//   I integers            the indices, each in 0..V-1
// The mesh gets those arrays as read, with stride S x 4.
//
// Anything else is read as a subset of the Wavefront OBJ format. The first token is dropped (it
// is the format tag of "std_mesh" files), then tokens are read one by one:
//   v x y z  |  vn x y z  |  vt u v  |  f p/t/n p/t/n p/t/n   (1-based indices)
// Every other token is skipped on its own (comments, groups, material names, their words).
// Each face gives three new vertices of 8 floats (position, normal, texture coordinate), with
// attribute sizes 3, 3, 2, stride 32 and indices 0, 1, 2, ... in order; vertices are not shared.
//
// Errors: a file is taken whole or not at all. A count over its cap, a bad or missing number, an
// attribute size outside 1..4, an index outside the vertices, a face corner of another form
// (p, p/t, p//n, negative numbers) or a face with more than three corners gives an empty mesh;
// LoadMeshFile then logs "MeshFile : <path>: <what is wrong>; using an empty mesh". A file that
// does not open gives an empty mesh and a log line too. Nothing here throws except
// std::bad_alloc.

#include <string>
#include <string_view>

#include "engine/text_scanner.h"
#include "render/mesh.h"

constexpr int kMaxMeshAttributes = 16;
constexpr int kMaxMeshVertices = 1 << 20;
constexpr int kMaxMeshIndices = 1 << 22;

// A mesh read from text, or an empty mesh and what is wrong with the text.
struct MeshReadResult {
  Mesh mesh;
  std::string problem;  // empty when the text was read

  bool Succeeded() const { return problem.empty(); }
};

// Reads one mesh from the scanner's text (either format).
MeshReadResult ReadMeshText(TextScanner& scanner);

// Reads the mesh file at `path` (normalised before it is opened); see above for the failures.
Mesh LoadMeshFile(std::string_view path);
