#pragma once
// The text side of shader loading: the small preprocessor that runs on each stage file before it
// is compiled, and the scan that records the uniforms a stage declares. Nothing here touches GL,
// and files are read through a ShaderFileReader so callers (and tests) can supply their own.
//
// Steps for one stage (PrepareShaderStage does all three):
//   1. Include expansion: every `#include "path"` is replaced by the text of that file,
//      itself expanded; a file enters a stage at most once (the stage file included), so
//      repeats and cycles expand to nothing. Paths are relative to the working directory, not
//      to the including file. Included text is framed by `#line` directives: source number 0
//      is the stage, 1, 2, ... the included files in the order they came in, so the line
//      numbers of compile errors are those of the file the line is in.
//   2. StripDebugBlocks: every "#debug" ... "#enddebug" block is removed.
//   3. ParseShaderUniforms: every `uniform <type> <name>;` is recorded with its type code;
//      an array `<name>[n]` is recorded once per element ("name[0]" ... "name[n-1]").
//
// Errors: nothing here throws or stops. A malformed directive or declaration is dropped and a
// line "Shader : <file>: <what>" goes to stdout; a file that cannot be read, or is larger than
// kMaxWholeFileBytes (engine/whole_file.h), counts as empty text and is reported with its path.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "render/uniform_type.h"

// Every uniform name a program declares, with its type code.
using UniformDeclarations = std::unordered_map<std::string, UniformType>;

// Reads a whole file; nullopt when it cannot be opened. The path is given as written.
using ShaderFileReader = std::function<std::optional<std::string>(const std::string& path)>;

// Reads a file from disk after os::NormalizePath.
std::optional<std::string> ReadShaderFile(const std::string& path);

// Largest array size a declaration may give; larger sizes are refused as malformed.
constexpr int kMaxUniformArraySize = 4096;

// Most names (array elements counted one by one) recorded for one program, and most names one
// stage may enter, repeats included; declarations past either are reported once and not
// recorded, so a stage cannot make the game record millions, nor enter one array again and
// again.
constexpr std::size_t kMaxRecordedUniforms = 4096;

// Longest uniform name (without its array size) that is recorded, GLSL's own limit on
// identifiers; a longer one is reported and not recorded (each array element would copy it).
constexpr std::size_t kMaxUniformNameLength = 1024;

// Removes every "#debug" ... "#enddebug" block together with the character after "#enddebug"
// (normally the line break). A "#debug" without "#enddebug" removes the rest of the text.
void StripDebugBlocks(std::string& text, std::string_view fileName = "<shader text>");

// Adds every uniform declared in `text` to `declarations` (a name already present takes the new
// code). "uniform" is found anywhere, also inside comments.
void ParseShaderUniforms(std::string_view text, UniformDeclarations& declarations,
                         std::string_view fileName = "<shader text>");

// Reads the stage file at `path`, expands its includes, strips its debug blocks and records its
// uniforms into `declarations`. Returns the text to compile (empty when the file is missing).
// `sourceFiles`, when given, receives the files by source number (the stage first).
std::string PrepareShaderStage(const std::string& path, UniformDeclarations& declarations,
                               const ShaderFileReader& readFile = ReadShaderFile,
                               std::vector<std::string>* sourceFiles = nullptr);
