#include "render/shader_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

// Readable failure output for declaration tables.
void PrintTo(UniformType type, std::ostream* out) { *out << static_cast<int>(type); }

namespace {

// Files by path; the stage under test is always "stage.glsl".
using FileMap = std::map<std::string, std::string>;

ShaderFileReader ReaderOf(const FileMap& files) {
  return [&files](const std::string& path) -> std::optional<std::string> {
    const auto found = files.find(path);
    if (found == files.end()) return std::nullopt;
    return found->second;
  };
}

void ExpectLog(const std::string& log, const std::string& expectedFragment) {
  if (expectedFragment.empty()) {
    EXPECT_EQ(log, "");
  } else {
    EXPECT_NE(log.find(expectedFragment), std::string::npos) << "log was: " << log;
    EXPECT_EQ(log.rfind("Shader : ", 0), 0u) << "log was: " << log;
  }
}

// The text with its "#line" directives taken out.
std::string WithoutLineDirectives(const std::string& text) {
  std::string kept;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
    if (text.compare(start, 6, "#line ") != 0) kept.append(text, start, end - start);
    start = end;
  }
  return kept;
}

// Where the compiler places each line of `text`, following its "#line" directives: "source:line"
// of every line that is not a directive, with the line's text.
std::vector<std::string> CompilerLines(const std::string& text) {
  std::vector<std::string> lines;
  int source = 0;
  int line = 1;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string content = text.substr(start, end - start);
    if (content.starts_with("#line ")) {
      std::sscanf(content.c_str(), "#line %d %d", &line, &source);
    } else {
      if (!content.empty()) {
        lines.push_back(std::to_string(source) + ":" + std::to_string(line) + " " + content);
      }
      ++line;
    }
    start = end + 1;
  }
  return lines;
}

struct PreprocessCase {
  const char* name;
  FileMap files;
  std::string expected;
  std::string expectedLog;  // a fragment of the log; empty: nothing may be logged
};

TEST(ShaderPreprocessor, ExpandsIncludesAndStripsDebugBlocks) {
  const PreprocessCase cases[] = {
      {"same file twice: the second directive becomes empty",
       {{"stage.glsl", "#include \"a.glsl\"\n#include \"a.glsl\"\nmain\n"}, {"a.glsl", "A\n"}},
       "A\n\n\nmain\n",
       ""},
      {"two files including each other: each once",
       {{"stage.glsl", "#include \"a.glsl\"\nS\n"},
        {"a.glsl", "a1\n#include \"b.glsl\"\n"},
        {"b.glsl", "b1\n#include \"a.glsl\"\n"}},
       "a1\nb1\n\n\n\nS\n",
       ""},
      {"an included file naming a file the stage already has",
       {{"stage.glsl", "#include \"a.glsl\"\n#include \"b.glsl\"\n"},
        {"a.glsl", "A\n"},
        {"b.glsl", "#include \"a.glsl\"\nB\n"}},
       "A\n\n\nB\n\n",
       ""},
      {"a stage including itself: the directive becomes empty",
       {{"stage.glsl", "S\n#include \"stage.glsl\"\n"}},
       "S\n\n",
       ""},
      {"a cycle leading back to the stage adds nothing more",
       {{"stage.glsl", "S\n#include \"a.glsl\"\n"}, {"a.glsl", "A\n#include \"./stage.glsl\"\n"}},
       "S\nA\n\n\n",
       ""},
      {"two spellings of one path are one file",
       {{"stage.glsl", "#include \"./a.glsl\"\n#include \"a.glsl\"\n"}, {"a.glsl", "A\n"}},
       "A\n\n\n",
       ""},
      {"missing include: empty text, path logged",
       {{"stage.glsl", "#include \"gone.glsl\"\nX\n"}},
       "\nX\n",
       "stage.glsl: cannot read include file 'gone.glsl'"},
      {"include without quotes: line dropped, the next directive still works",
       {{"stage.glsl", "#include a.glsl\n#include \"b.glsl\"\nX\n"}, {"b.glsl", "B\n"}},
       "\nB\n\nX\n",
       "stage.glsl: '#include a.glsl' has no quoted file name"},
      {"include whose closing quote is on a later line",
       {{"stage.glsl", "#include \"a.glsl\nX\"\n"}, {"a.glsl", "A\n"}},
       "\nX\"\n",
       "has no quoted file name"},
      {"include at the very end of the text",
       {{"stage.glsl", "X\n#include"}},
       "X\n",
       "has no quoted file name"},
      {"a malformed directive inside an include names that file",
       {{"stage.glsl", "#include \"a.glsl\"\n"}, {"a.glsl", "#include b\nA\n"}},
       "\nA\n\n",
       "a.glsl: '#include b' has no quoted file name"},
      {"debug block with its line break",
       {{"stage.glsl", "a\n#debug\nb\n#enddebug\nc\n"}},
       "a\nc\n",
       ""},
      {"several debug blocks",
       {{"stage.glsl", "#debug\n1\n#enddebug\nk\n#debug\n2\n#enddebug\n"}},
       "k\n",
       ""},
      {"#enddebug as the last characters", {{"stage.glsl", "a\n#debug\nb\n#enddebug"}}, "a\n", ""},
      {"#debug without #enddebug drops the rest",
       {{"stage.glsl", "a\n#debug\nb\nc\n"}},
       "a\n",
       "stage.glsl: #debug without #enddebug"},
      {"debug block brought in by an include",
       {{"stage.glsl", "#include \"a.glsl\"\nS\n"}, {"a.glsl", "#debug\nD\n#enddebug\nA\n"}},
       "A\n\nS\n",
       ""},
      {"missing stage file: empty text, path logged",
       {},
       "",
       "stage.glsl: cannot read the stage file"},
  };
  for (const PreprocessCase& test : cases) {
    SCOPED_TRACE(test.name);
    UniformDeclarations declarations;
    testing::internal::CaptureStdout();
    const std::string text = PrepareShaderStage("stage.glsl", declarations, ReaderOf(test.files));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(WithoutLineDirectives(text), test.expected);
    ExpectLog(log, test.expectedLog);
  }
}

TEST(ShaderPreprocessor, LinesKeepTheNumbersOfTheFileTheyComeFrom) {
  const FileMap files{
      {"stage.glsl", "#version 450\n#include \"a.glsl\"\nvoid main()\n#include \"b.glsl\"\nend"},
      {"a.glsl", "a1\n\n#include \"b.glsl\"\na4"},
      {"b.glsl", "b1\n#include \"a.glsl\"\nb3\n"},
  };
  UniformDeclarations declarations;
  std::vector<std::string> sources;
  const std::string text =
      PrepareShaderStage("stage.glsl", declarations, ReaderOf(files), &sources);
  EXPECT_EQ(sources, (std::vector<std::string>{"stage.glsl", "a.glsl", "b.glsl"}));
  EXPECT_EQ(CompilerLines(text),
            (std::vector<std::string>{"0:1 #version 450", "1:1 a1", "2:1 b1", "2:3 b3", "1:4 a4",
                                      "0:3 void main()", "0:5 end"}));
}

TEST(ShaderPreprocessor, RecordsAtMostTheUniformCapPerProgramAndSaysSo) {
  // 2000 arrays of 4096 elements would be 8 million names.
  std::string stage;
  for (int index = 0; index < 2000; ++index) {
    stage += "uniform float u" + std::to_string(index) + "[4096];\n";
  }
  const FileMap files{{"stage.glsl", stage}};
  UniformDeclarations declarations{{"earlier", UniformType::Int}};
  testing::internal::CaptureStdout();
  PrepareShaderStage("stage.glsl", declarations, ReaderOf(files));
  PrepareShaderStage("stage.glsl", declarations, ReaderOf(files));
  const std::string log = testing::internal::GetCapturedStdout();
  EXPECT_EQ(declarations.size(), kMaxRecordedUniforms);
  EXPECT_EQ(declarations.count("earlier"), 1u);
  EXPECT_EQ(declarations.count("u0[4094]"), 1u);
  EXPECT_EQ(declarations.count("u0[4095]"), 0u);
  EXPECT_EQ(log,
            "Shader : stage.glsl: the program declares more than 4096 uniform names; "
            "'u0[4096]' and later declarations are not recorded\n"
            "Shader : stage.glsl: the program declares more than 4096 uniform names; "
            "'u0[4096]' and later declarations are not recorded\n")
      << "once per stage, not once per declaration";
}

TEST(ShaderPreprocessor, EnteringAnArrayAgainCountsTowardsTheStageCap) {
  // 1000 declarations of one array of 100 would enter 100,000 names, 100 of them distinct.
  std::string stage;
  for (int index = 0; index < 1000; ++index) stage += "uniform float a[100];\n";
  stage += "uniform int last;\n";
  const FileMap files{{"stage.glsl", stage}, {"other.glsl", "uniform int other;\n"}};
  UniformDeclarations declarations;
  testing::internal::CaptureStdout();
  PrepareShaderStage("stage.glsl", declarations, ReaderOf(files));
  const std::string log = testing::internal::GetCapturedStdout();
  EXPECT_EQ(declarations.size(), 100u);
  EXPECT_EQ(declarations.count("last"), 0u);
  EXPECT_EQ(log,
            "Shader : stage.glsl: the program declares more than 4096 uniform names; "
            "'a[100]' and later declarations are not recorded\n");

  // The count is the stage's own: the next stage of the program records its names.
  PrepareShaderStage("other.glsl", declarations, ReaderOf(files));
  EXPECT_EQ(declarations.count("other"), 1u);
}

TEST(ShaderPreprocessor, RecordsNoUniformNameLongerThanGlslAllows) {
  // Each element of the array would copy the name: 4096 copies of a long name add up.
  const std::string tooLong(kMaxUniformNameLength + 1, 'n');
  const std::string longest(kMaxUniformNameLength, 'k');
  const FileMap files{{"stage.glsl", "uniform float " + tooLong + "[4096];\nuniform float " +
                                         tooLong + ";\nuniform int " + longest + "[2];\n"}};
  UniformDeclarations declarations;
  testing::internal::CaptureStdout();
  PrepareShaderStage("stage.glsl", declarations, ReaderOf(files));
  const std::string log = testing::internal::GetCapturedStdout();
  EXPECT_EQ(declarations, (UniformDeclarations{{longest + "[0]", UniformType::Int},
                                               {longest + "[1]", UniformType::Int}}));
  const std::string refused = "Shader : stage.glsl: uniform name '" + std::string(40, 'n') +
                              "...' is longer than 1024 characters; nothing recorded\n";
  EXPECT_EQ(log, refused + refused);
}

TEST(ShaderPreprocessor, RecordsUniformsOfIncludesButNotOfDebugBlocks) {
  const FileMap files{
      {"stage.glsl",
       "#include \"common.glsl\"\n#debug\nuniform float debugOnly;\n#enddebug\n"
       "uniform float kept;\n"},
      {"common.glsl", "uniform mat4 projection;\n"},
  };
  UniformDeclarations declarations;
  PrepareShaderStage("stage.glsl", declarations, ReaderOf(files));
  EXPECT_EQ(declarations,
            (UniformDeclarations{{"kept", UniformType::Float}, {"projection", UniformType::Mat4}}));
}

TEST(ShaderPreprocessor, ReadsFilesFromDiskWhateverTheSlashes) {
  testing_support::TempFolder folder;
  const std::string path = (folder.path / "a.glsl").string();
  std::ofstream(path) << "line one\nline two\n";
  std::string backslashed = path;
  std::replace(backslashed.begin(), backslashed.end(), '/', '\\');

  EXPECT_EQ(ReadShaderFile(backslashed), "line one\nline two\n");
  EXPECT_EQ(ReadShaderFile((folder.path / "missing.glsl").string()), std::nullopt);

  // A file without end is refused after a few megabytes, not read until memory runs out.
  testing::internal::CaptureStdout();
  EXPECT_EQ(ReadShaderFile("/dev/zero"), std::nullopt);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Shader : /dev/zero: is larger than 8388608 bytes\n");
}

TEST(UniformTypeFromName, MapsEachGlslTypeToItsCodeCaseSensitively) {
  const std::pair<const char*, int> cases[] = {
      {"float", 0},
      {"vec2", 1},
      {"vec3", 2},
      {"vec4", 3},
      {"mat4", 4},
      {"sampler2D", 5},
      {"int", 6},
      {"image2D", 7},
      {"UniversalLightData", 8},
      {"AmbientLightData", 9},
      {"PointLightData", 10},
      {"ConeLightData", 11},
      {"WaveData", 12},
  };
  for (const auto& [name, code] : cases) {
    EXPECT_EQ(static_cast<int>(UniformTypeFromName(name)), code) << name;
  }
  for (const char* other : {"Float", "vec", "vec2 ", "sampler2DArray", "mat3", ""}) {
    EXPECT_EQ(UniformTypeFromName(other), UniformType::Unrecognised) << "'" << other << "'";
  }
}

struct UniformCase {
  const char* name;
  std::string text;
  UniformDeclarations expected;
  std::string expectedLog;  // a fragment of the log; empty: nothing may be logged
};

UniformDeclarations Elements(const std::string& base, int count, UniformType type) {
  UniformDeclarations elements;
  for (int index = 0; index < count; ++index) {
    elements[base + "[" + std::to_string(index) + "]"] = type;
  }
  return elements;
}

TEST(ShaderUniformParser, RecordsDeclaredNamesWithTheirTypes) {
  const UniformCase cases[] = {
      {"every type, and one it does not know",
       "uniform float f;\nuniform vec2 v2;\nuniform vec3 v3;\nuniform vec4 v4;\n"
       "uniform mat4 m;\nuniform sampler2D tex;\nuniform int i;\nuniform image2D img;\n"
       "uniform UniversalLightData sun;\nuniform AmbientLightData ambient;\n"
       "uniform PointLightData lamp;\nuniform ConeLightData cone;\nuniform WaveData wave;\n"
       "uniform Mystery m2;\n",
       {{"f", UniformType::Float},
        {"v2", UniformType::Vec2},
        {"v3", UniformType::Vec3},
        {"v4", UniformType::Vec4},
        {"m", UniformType::Mat4},
        {"tex", UniformType::Sampler2D},
        {"i", UniformType::Int},
        {"img", UniformType::Image2D},
        {"sun", UniformType::UniversalLight},
        {"ambient", UniformType::AmbientLight},
        {"lamp", UniformType::PointLight},
        {"cone", UniformType::ConeLight},
        {"wave", UniformType::Wave},
        {"m2", UniformType::Unrecognised}},
       ""},
      {"struct array: one entry per element, none for the bare name",
       "uniform PointLightData pointLights[4];\n",
       Elements("pointLights", 4, UniformType::PointLight), ""},
      {"float array of nine", "uniform float weights[9];",
       Elements("weights", 9, UniformType::Float), ""},
      {"size with blanks and an unsigned suffix", "uniform int ids[ 3u ];",
       Elements("ids", 3, UniformType::Int), ""},
      {"zero and negative sizes enter nothing",
       "uniform float a[0];\nuniform float b[-2];",
       {},
       ""},
      {"size that is not a decimal integer",
       "uniform float a[N];",
       {},
       "array size of uniform 'a[N]' is not a decimal integer"},
      {"size that is an expression", "uniform float a[3+1];", {}, "is not a decimal integer"},
      {"empty size", "uniform float a[];", {}, "is not a decimal integer"},
      {"size without its closing bracket", "uniform float a[2;", {}, "is not a decimal integer"},
      {"size above the cap", "uniform float a[100000];", {}, "is above 4096"},
      {"declaration inside a comment is still read",
       "// uniform float hidden;\nuniform float shown;",
       {{"hidden", UniformType::Float}, {"shown", UniformType::Float}},
       ""},
      {"a later declaration of a name replaces its type",
       "uniform float x;\nuniform int x;",
       {{"x", UniformType::Int}},
       ""},
      {"keyword inside a longer name at the end of the text",
       "uniform vec2 uniformScale;",
       {{"uniformScale", UniformType::Vec2}},
       ""},
      {"no space after the type",
       "uniform float",
       {},
       "'uniform float' has no space after the type"},
      {"no closing semicolon",
       "uniform float x\nvoid main() {}",
       {},
       "'uniform float x' has no closing ';'"},
      {"keyword as the last word of a comment",
       "uniform float x;\n// set as a uniform",
       {{"x", UniformType::Float}},
       "'uniform' has no space after the type"},
  };
  for (const UniformCase& test : cases) {
    SCOPED_TRACE(test.name);
    UniformDeclarations declarations;
    testing::internal::CaptureStdout();
    ParseShaderUniforms(test.text, declarations, "parsed.glsl");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(declarations, test.expected);
    ExpectLog(log, test.expectedLog);
    if (!test.expectedLog.empty()) {
      EXPECT_NE(log.find("Shader : parsed.glsl: "), std::string::npos);
    }
  }
}

}  // namespace
