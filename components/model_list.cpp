#include "components/model_list.h"

#include <cstdio>

void ModelList::LoadModelFile() {
  // The reader arrives with the model list file format.
}

void ModelList::LimitModelLines() {
  if (modelLines.size() <= static_cast<std::size_t>(kMaxModels)) return;
  std::printf("ModelList : Warning: '%s' lists %zu models; only the first %d are used\n",
              _path.c_str(), modelLines.size(), kMaxModels);
  modelLines.resize(kMaxModels);
}

std::vector<unsigned int> ModelList::GetModel(int number) const {
  if (number < 1 || number > modelCount || number > kModelSlots) return {};
  return models[static_cast<std::size_t>(number - 1)];
}
