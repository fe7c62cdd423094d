#include "render/shader_source.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <initializer_list>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/whole_file.h"
#include "platform/os/file_path.h"

namespace {

constexpr std::string_view kIncludeDirective = "#include";
constexpr std::string_view kDebugBegin = "#debug";
constexpr std::string_view kDebugEnd = "#enddebug";
constexpr std::string_view kUniformKeyword = "uniform";

void LogProblem(std::string_view fileName, std::string_view what) {
  std::printf("Shader : %.*s: %.*s\n", static_cast<int>(fileName.size()), fileName.data(),
              static_cast<int>(what.size()), what.data());
}

// The same with the text given in parts (joined here rather than with operator+, whose inlined
// copies draw false -Wrestrict warnings from g++ 12 at -O2).
void LogProblem(std::string_view fileName, std::initializer_list<std::string_view> parts) {
  std::string what;
  for (const std::string_view part : parts) what.append(part);
  LogProblem(fileName, std::string_view(what));
}

// A short, single-line excerpt of the text at `position`, for log lines.
std::string Excerpt(std::string_view text, std::size_t position) {
  std::string excerpt(text.substr(position, 40));
  const std::size_t lineEnd = excerpt.find_first_of("\r\n");
  if (lineEnd != std::string::npos) excerpt.resize(lineEnd);
  return excerpt;
}

bool IsIdentifierCharacter(char character) {
  return std::isalnum(static_cast<unsigned char>(character)) != 0 || character == '_';
}

// True when the "uniform" at `match` stands as a word of its own; an unfinished match inside a
// longer name ("uniformScale") is dropped without a log line.
bool IsKeyword(std::string_view text, std::size_t match) {
  const std::size_t end = match + kUniformKeyword.size();
  return (match == 0 || !IsIdentifierCharacter(text[match - 1])) &&
         (end >= text.size() || !IsIdentifierCharacter(text[end]));
}

// Reads an array size: optional leading blanks, an optional sign, at least one decimal digit, an
// optional unsigned suffix and trailing blanks. Anything else (a macro name, an expression, an
// empty size) is not a size. Values above kMaxUniformArraySize come back as one more than it.
std::optional<int> ParseArraySize(std::string_view text) {
  std::size_t at = 0;
  const auto skipBlanks = [&] {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  };
  skipBlanks();
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  const std::size_t digitsStart = at;
  int value = 0;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
    if (value <= kMaxUniformArraySize) value = value * 10 + (text[at] - '0');
    ++at;
  }
  if (at == digitsStart) return std::nullopt;
  if (at < text.size() && (text[at] == 'u' || text[at] == 'U')) ++at;
  skipBlanks();
  if (at != text.size()) return std::nullopt;
  if (value > kMaxUniformArraySize) value = kMaxUniformArraySize + 1;
  return negative ? -value : value;
}

// Enters one declared name (an array once per element) with the code of its type name;
// `entered` counts the names this stage entered so far. False when the program's names are at
// kMaxRecordedUniforms and a new one would go past it, or the stage entered that many already.
bool EnterDeclaration(std::string_view typeName, std::string_view name,
                      UniformDeclarations& declarations, std::size_t& entered,
                      std::string_view fileName) {
  const UniformType type = UniformTypeFromName(typeName);
  const auto enter = [&](std::string key) {
    if (entered >= kMaxRecordedUniforms) return false;
    if (declarations.size() >= kMaxRecordedUniforms && !declarations.contains(key)) return false;
    ++entered;
    declarations[std::move(key)] = type;
    return true;
  };
  const std::size_t open = name.find('[');
  if (std::min(open, name.size()) > kMaxUniformNameLength) {
    LogProblem(fileName, {"uniform name '", Excerpt(name, 0), "...' is longer than ",
                          std::to_string(kMaxUniformNameLength), " characters; nothing recorded"});
    return true;
  }
  if (open == std::string_view::npos) return enter(std::string(name));
  const std::size_t close = name.find(']', open + 1);
  const std::optional<int> size = close == std::string_view::npos
                                      ? std::nullopt
                                      : ParseArraySize(name.substr(open + 1, close - open - 1));
  if (!size) {
    LogProblem(fileName,
               {"array size of uniform '", name, "' is not a decimal integer; nothing recorded"});
    return true;
  }
  if (*size > kMaxUniformArraySize) {
    LogProblem(fileName, {"array size of uniform '", name, "' is above ",
                          std::to_string(kMaxUniformArraySize), "; nothing recorded"});
    return true;
  }
  const std::string prefix(name.substr(0, open + 1));
  for (int index = 0; index < *size; ++index) {
    if (!enter(prefix + std::to_string(index) + "]")) return false;
  }
  return true;
}

}  // namespace

UniformType UniformTypeFromName(std::string_view typeName) {
  static constexpr std::array<std::pair<std::string_view, UniformType>, 13> kTypes{{
      {"float", UniformType::Float},
      {"vec2", UniformType::Vec2},
      {"vec3", UniformType::Vec3},
      {"vec4", UniformType::Vec4},
      {"mat4", UniformType::Mat4},
      {"sampler2D", UniformType::Sampler2D},
      {"int", UniformType::Int},
      {"image2D", UniformType::Image2D},
      {"UniversalLightData", UniformType::UniversalLight},
      {"AmbientLightData", UniformType::AmbientLight},
      {"PointLightData", UniformType::PointLight},
      {"ConeLightData", UniformType::ConeLight},
      {"WaveData", UniformType::Wave},
  }};
  for (const auto& [name, type] : kTypes) {
    if (name == typeName) return type;
  }
  return UniformType::Unrecognised;
}

std::optional<std::string> ReadShaderFile(const std::string& path) {
  const std::string file = os::NormalizePath(path);
  std::string content;
  const WholeFileRead result = ReadWholeFile(file, content);
  if (result == WholeFileRead::kRead) return content;
  if (result == WholeFileRead::kTooLarge) LogProblem(file, DescribeWholeFileRead(result));
  return std::nullopt;
}

namespace {

// Expands the includes of `text`, which is source number `sourceNumber` in `sources`. Each
// included file is appended to `sources` and its text is framed by line directives, so that
// the compiler counts lines in the included file and, after it, in `text` again.
void ExpandIncludes(std::string& text, int sourceNumber, std::set<std::string>& includedPaths,
                    std::vector<std::string>& sources, const ShaderFileReader& readFile,
                    std::string_view fileName) {
  int line = 1;  // line of `text`'s own numbering at `scanned`
  std::size_t scanned = 0;
  for (std::size_t position = text.find(kIncludeDirective); position != std::string::npos;
       position = text.find(kIncludeDirective, scanned)) {
    line +=
        static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(scanned),
                                    text.begin() + static_cast<std::ptrdiff_t>(position), '\n'));
    scanned = position;
    const std::size_t lineEnd = std::min(text.find('\n', position), text.size());
    const std::size_t open = text.find('"', position + kIncludeDirective.size());
    const std::size_t close = open < lineEnd ? text.find('"', open + 1) : std::string::npos;
    if (close >= lineEnd) {
      // The file name must be quoted on the directive's own line; otherwise the directive would
      // swallow text up to a quote further down. Drop the rest of the line instead.
      LogProblem(fileName,
                 {"'", Excerpt(text, position), "' has no quoted file name; directive dropped"});
      text.erase(position, lineEnd - position);
      continue;
    }
    const std::string path = os::NormalizePath(text.substr(open + 1, close - open - 1));
    std::string replacement;
    if (includedPaths.insert(path).second) {
      if (std::optional<std::string> content = readFile(path)) {
        const int number = static_cast<int>(sources.size());
        sources.push_back(path);
        ExpandIncludes(*content, number, includedPaths, sources, readFile, path);
        if (!content->empty()) {
          replacement = "#line 1 " + std::to_string(number) + "\n" + *content;
          if (replacement.back() != '\n') replacement += '\n';
          replacement +=
              "#line " + std::to_string(line) + " " + std::to_string(sourceNumber) + "\n";
        }
      } else {
        LogProblem(fileName, {"cannot read include file '", path, "'; included as empty text"});
      }
    }
    text.replace(position, close + 1 - position, replacement);
    // The replacement is expanded already; the scan goes on in `text`'s own lines after it.
    scanned = position + replacement.size();
  }
}

}  // namespace

void StripDebugBlocks(std::string& text, std::string_view fileName) {
  for (std::size_t begin = text.find(kDebugBegin); begin != std::string::npos;
       begin = text.find(kDebugBegin)) {
    const std::size_t end = text.find(kDebugEnd, begin + kDebugBegin.size());
    if (end == std::string::npos) {
      LogProblem(fileName, "#debug without #enddebug; the rest of the text is dropped");
      text.erase(begin);
      return;
    }
    // The block goes with the character after "#enddebug", normally its line break.
    const std::size_t blockEnd = std::min(end + kDebugEnd.size() + 1, text.size());
    text.erase(begin, blockEnd - begin);
  }
}

void ParseShaderUniforms(std::string_view text, UniformDeclarations& declarations,
                         std::string_view fileName) {
  std::size_t entered = 0;
  for (std::size_t match = text.find(kUniformKeyword); match != std::string_view::npos;
       match = text.find(kUniformKeyword, match + 4)) {
    // The keyword, exactly one separator, the type up to the next space, then the name (which
    // may hold an array size) up to the next ';'.
    const std::size_t typeStart = match + kUniformKeyword.size() + 1;
    const std::size_t typeEnd =
        typeStart < text.size() ? text.find(' ', typeStart) : std::string_view::npos;
    if (typeEnd == std::string_view::npos) {
      if (IsKeyword(text, match)) {
        LogProblem(fileName, {"'", Excerpt(text, match),
                              "' has no space after the type; declaration dropped"});
      }
      continue;
    }
    const std::size_t nameStart = typeEnd + 1;
    const std::size_t nameEnd = text.find(';', nameStart);
    if (nameEnd == std::string_view::npos) {
      if (IsKeyword(text, match)) {
        LogProblem(fileName,
                   {"'", Excerpt(text, match), "' has no closing ';'; declaration dropped"});
      }
      continue;
    }
    const std::string_view name = text.substr(nameStart, nameEnd - nameStart);
    if (!EnterDeclaration(text.substr(typeStart, typeEnd - typeStart), name, declarations, entered,
                          fileName)) {
      LogProblem(fileName,
                 {"the program declares more than ", std::to_string(kMaxRecordedUniforms),
                  " uniform names; '", name, "' and later declarations are not recorded"});
      return;
    }
  }
}

std::string PrepareShaderStage(const std::string& path, UniformDeclarations& declarations,
                               const ShaderFileReader& readFile,
                               std::vector<std::string>* sourceFiles) {
  const std::string normalized = os::NormalizePath(path);
  std::vector<std::string> sources{normalized};
  if (sourceFiles != nullptr) *sourceFiles = sources;
  std::optional<std::string> text = readFile(normalized);
  if (!text) {
    LogProblem(normalized, "cannot read the stage file; compiled as empty text");
    return {};
  }
  // The stage is among the included files, so an include leading back to it adds nothing.
  std::set<std::string> includedPaths{normalized};
  ExpandIncludes(*text, 0, includedPaths, sources, readFile, normalized);
  if (sourceFiles != nullptr) *sourceFiles = std::move(sources);
  StripDebugBlocks(*text, normalized);
  ParseShaderUniforms(*text, declarations, normalized);
  return std::move(*text);
}
