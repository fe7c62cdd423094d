#pragma once
// ModelList: the models a tile map places on its tiles, read from a model list file. Models are
// numbered from 1 in file order; each is four resource ids (mesh, first texture, second
// texture, material).

#include <array>
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

  // Reads `_path` and resolves every model through the resource caches. Does nothing yet: the
  // reader arrives with the model list file format.
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
