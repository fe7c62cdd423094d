#pragma once
// ModelList: the models a tile map places on its tiles, read from a model list file. Models are
// numbered from 1 in file order; each is four resource ids (mesh, first texture, second
// texture, material).
//
// File format (tokens separated by white space, each at most 254 characters):
//   unnamed U
//   U models of four tokens: mesh path, first texture, second texture, material path
//   named N
//   N models of a name and the same four tokens
// Unnamed models come first, then the named ones; a name maps to its model's number.

#include <array>
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "components/base_component.h"
#include "engine/type_name.h"

class ModelList : public BaseComponent {
 public:
  // Tile characters name models by number, so a file holds at most this many.
  static constexpr int kMaxModels = 127;
  static constexpr int kModelSlots = 256;
  // Largest count a section of the file may declare; a larger one rejects the file. Models past
  // kMaxModels are read and then dropped with a warning.
  static constexpr int kMaxSectionCount = 1024;
  static constexpr std::size_t kMaxTokenLength = 254;

  // Reads `_path` and resolves every model through the resource provider (ids stay -1 without
  // one). A missing path or a folder leaves the component as it was; a malformed file is
  // reported with its name and line and also leaves it as it was.
  void LoadModelFile();

  // Keeps the first kMaxModels entries of `modelLines`, with a warning naming `_path` when it
  // drops any. The loader calls it before resolving the lines.
  void LimitModelLines();

  // The four ids of model `number`, or an empty list when the number is below 1 or above
  // `modelCount`.
  std::vector<unsigned int> GetModel(int number) const;

  std::string _path;
  std::unordered_map<std::string, int> namedModels;
  std::vector<std::string> modelLines;
  std::array<std::vector<unsigned int>, kModelSlots> models;
  int modelCount = 0;
};
DECLARE_TYPE_NAME(class, ModelList);
