#include "components/model_list.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/decs.h"
#include "engine/resource_provider.h"
#include "engine/text_scanner.h"
#include "platform/os/file_path.h"

namespace {

// Reads a section header: `keyword` and its count. A file that has ended reads as a count of 0;
// false (with a report) when the keyword or the count is wrong.
bool ReadSectionHeader(TextScanner& scanner, const std::string& file, const char* keyword,
                       int& count) {
  count = 0;
  if (scanner.AtEnd()) return true;
  std::string word;
  scanner.ReadWord(word);
  if (word != keyword) {
    std::printf("ModelList : '%s' line %d: expected '%s', found '%s'; the file is not loaded\n",
                file.c_str(), scanner.Line(), keyword, word.c_str());
    return false;
  }
  if (!scanner.ReadCount(count, ModelList::kMaxSectionCount)) {
    std::printf(
        "ModelList : '%s' line %d: the %s count is missing or not 0 to %d; the file is "
        "not loaded\n",
        file.c_str(), scanner.Line(), keyword, ModelList::kMaxSectionCount);
    return false;
  }
  return true;
}

// Reads the four tokens of a model. Tokens the file lacks stay empty.
std::string ReadModelLine(TextScanner& scanner) {
  std::string tokens[4];
  for (std::string& token : tokens) scanner.ReadWord(token);
  if (tokens[0].empty()) return {};
  return tokens[0] + ' ' + tokens[1] + ' ' + tokens[2] + ' ' + tokens[3];
}

void ReportShortFile(const std::string& file, int line, const char* section, int read, int count) {
  std::printf("ModelList : '%s' line %d: the file ends after %d of %d %s models\n", file.c_str(),
              line, read, count, section);
}

// The four tokens of a model line, split at every blank; missing tokens are empty.
std::array<std::string, 4> SplitModelLine(const std::string& line) {
  std::array<std::string, 4> tokens;
  std::size_t start = 0;
  for (std::string& token : tokens) {
    if (start > line.size()) break;
    const std::size_t blank = line.find(' ', start);
    const std::size_t end = blank == std::string::npos ? line.size() : blank;
    token = line.substr(start, end - start);
    start = end + 1;
  }
  return tokens;
}

}  // namespace

void ModelList::LoadModelFile() {
  const std::string file = os::NormalizePath(_path);
  std::error_code error;
  const bool exists = std::filesystem::exists(file, error);
  if (error) {
    std::printf("ModelList : '%s': exists: %s\n", file.c_str(), error.message().c_str());
    return;
  }
  if (!exists) return;
  const bool folder = std::filesystem::is_directory(file, error);
  if (error) {
    std::printf("ModelList : '%s': status: %s\n", file.c_str(), error.message().c_str());
    return;
  }
  if (folder) return;

  TextScanner scanner(file, kMaxTokenLength);
  if (!scanner.IsOpen()) {
    std::printf("ModelList : '%s' cannot be read; the file is not loaded\n", file.c_str());
    return;
  }

  std::vector<std::string> lines;
  std::unordered_map<std::string, int> names;
  int unnamedCount = 0;
  if (!ReadSectionHeader(scanner, file, "unnamed", unnamedCount)) return;
  for (int i = 0; i < unnamedCount; ++i) {
    if (scanner.AtEnd()) {
      ReportShortFile(file, scanner.Line(), "unnamed", i, unnamedCount);
      break;
    }
    std::string line = ReadModelLine(scanner);
    if (!line.empty()) lines.push_back(std::move(line));
  }
  int namedCount = 0;
  if (!ReadSectionHeader(scanner, file, "named", namedCount)) return;
  for (int i = 0; i < namedCount; ++i) {
    if (scanner.AtEnd()) {
      ReportShortFile(file, scanner.Line(), "named", i, namedCount);
      break;
    }
    std::string name;
    scanner.ReadWord(name);
    // The name gets the number of the next model, also when its own model part is empty.
    names[name] = static_cast<int>(lines.size()) + 1;
    std::string line = ReadModelLine(scanner);
    if (!line.empty()) lines.push_back(std::move(line));
  }

  // A reload replaces everything, names included.
  modelLines = std::move(lines);
  namedModels = std::move(names);
  for (std::vector<unsigned int>& slot : models) slot.clear();
  modelCount = 0;
  LimitModelLines();

  ResourceProvider* resources = DECS::CurrentResources();
  for (const std::string& line : modelLines) {
    const std::array<std::string, 4> tokens = SplitModelLine(line);
    int ids[4] = {-1, -1, -1, -1};
    if (resources != nullptr) {
      ids[0] = resources->GetMesh(tokens[0]);
      ids[1] = resources->GetTexture(tokens[1], texture_sampling::kNearest,
                                     texture_sampling::kNearest, texture_sampling::kRepeat);
      ids[2] = resources->GetTexture(tokens[2], texture_sampling::kNearest,
                                     texture_sampling::kNearest, texture_sampling::kRepeat);
      ids[3] = resources->GetMaterial(tokens[3]);
    }
    std::vector<unsigned int>& slot = models[static_cast<std::size_t>(modelCount)];
    for (const int id : ids) slot.push_back(static_cast<unsigned int>(id));
    ++modelCount;
  }
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
