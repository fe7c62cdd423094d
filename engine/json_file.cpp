#include "engine/json_file.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "engine/whole_file.h"
#include "platform/os/file_path.h"

namespace {

// Tries this many temporary names before giving up (each exists only while a save runs).
constexpr int kTemporaryNameAttempts = 64;

std::string ErrorText(int error) { return std::generic_category().message(error); }

// Makes a finished rename durable. A failure here cannot undo the save, so it is ignored.
void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  ::fsync(descriptor);
  ::close(descriptor);
}

// The prefix of the temporary files of saves to `path`: "<path>.tmp-"; each is followed by the
// saving process's id, '-' and an attempt number.
std::string TemporaryPrefix(const std::string& path) { return path + ".tmp-"; }

// Removes the temporary files that saves to `path` left behind when their process was killed:
// those of processes that no longer run, and this process's own (its saves run one at a time,
// so none of its own is in use once a save has finished). Failures are ignored; the next save
// tries again.
void RemoveStaleTemporaryFiles(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  const std::string prefix =
      TemporaryPrefix(slash == std::string::npos ? path : path.substr(slash + 1));
  std::error_code error;
  std::filesystem::directory_iterator entries(folder.empty() ? "/" : folder, error);
  if (error) return;
  for (const auto& entry : entries) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const char* digits = name.c_str() + prefix.size();
    char* end = nullptr;
    errno = 0;
    const long owner = std::strtol(digits, &end, 10);
    if (end == digits || *end != '-' || errno != 0 || owner <= 0) continue;
    const bool ownerGone = ::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH;
    if (ownerGone || owner == static_cast<long>(::getpid())) {
      std::filesystem::remove(entry.path(), error);
    }
  }
}

// Why `text` is refused for its nesting ("arrays and objects are nested deeper than 256 levels
// at byte N"), or nothing. Brackets inside strings do not count; a text the parser would refuse
// for other reasons may pass, and is then refused by the parser.
std::optional<std::string> NestingProblem(std::string_view text) {
  int depth = 0;
  bool inString = false;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (inString) {
      if (c == '\\') {
        ++at;  // the escaped character cannot end the string
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) {
        return "arrays and objects are nested deeper than " + std::to_string(kMaxJsonDepth) +
               " levels at byte " + std::to_string(at);
      }
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return std::nullopt;
}

nlohmann::json ParseWithoutComments(std::string_view text) {
  return nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/true,
                               /*ignore_comments=*/false);
}

}  // namespace

JsonFile::JsonFile(JsonFile&& other) noexcept
    : file(std::exchange(other.file, nullptr)), document(std::move(other.document)) {}

JsonFile& JsonFile::operator=(JsonFile&& other) noexcept {
  if (this != &other) {
    Close();
    file = std::exchange(other.file, nullptr);
    document = std::move(other.document);
  }
  return *this;
}

bool JsonFile::Open(std::string_view path, const char* mode) {
  Close();
  document = nullptr;
  file = std::fopen(os::NormalizePath(path).c_str(), mode);
  return file != nullptr;
}

void JsonFile::Close() {
  if (file != nullptr) {
    std::fclose(file);
    file = nullptr;
  }
}

void LoadJsonFile(JsonFile& target, std::string& path) {
  path = os::NormalizePath(path);
  std::string text;
  const WholeFileRead result = ReadWholeFile(path, text);
  if (result == WholeFileRead::kNotOpened) {
    throw std::runtime_error("Unable to open file for reading: " + path);
  }
  if (result == WholeFileRead::kTooLarge) {
    throw std::runtime_error("Unable to read file: " + path + " (it " +
                             DescribeWholeFileRead(result) + ")");
  }
  if (result != WholeFileRead::kRead) throw std::runtime_error("Unable to read file: " + path);
  if (const auto problem = NestingProblem(text)) {
    throw std::runtime_error("Unable to read file: " + path + " (" + *problem + ")");
  }

  // Parsed aside first, so a malformed file leaves the previous document in place.
  nlohmann::json parsed = ParseWithoutComments(text);
  target.document = std::move(parsed);
  std::cout << "\nSuccessfully loaded from " << path << "\n" << std::endl;
}

nlohmann::json ParseJsonText(std::string_view text) {
  if (const auto problem = NestingProblem(text)) throw std::runtime_error(*problem);
  return ParseWithoutComments(text);
}

void SaveJsonFile(const JsonFile& source, std::string& path) {
  path = os::NormalizePath(path);
  const std::string text = source.document.dump(4, ' ', /*ensure_ascii=*/false,
                                                nlohmann::json::error_handler_t::replace);
  WriteFileAtomically(path, text);
  std::cout << "\nSuccessfully saved to " << path << "\n" << std::endl;
}

void WriteFileAtomically(std::string_view targetPath, std::string_view contents) {
  const std::string path = os::NormalizePath(targetPath);

  // A fresh name in the target's folder, so the final rename stays on one file system.
  // "x" creates exclusively: a name left over from an earlier run is skipped, never reused.
  std::string temporaryPath;
  std::FILE* file = nullptr;
  for (int attempt = 0; attempt < kTemporaryNameAttempts && file == nullptr; ++attempt) {
    temporaryPath =
        TemporaryPrefix(path) + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    errno = 0;
    file = std::fopen(temporaryPath.c_str(), "wbx");
    if (file == nullptr && errno != EEXIST) break;
  }
  if (file == nullptr) {
    throw std::runtime_error("Unable to open file for writing: " + path + " (" + ErrorText(errno) +
                             ")");
  }

  auto fail = [&](const char* what) {
    const int error = errno;
    if (file != nullptr) std::fclose(file);
    std::remove(temporaryPath.c_str());
    throw std::runtime_error(what + path + " (" + ErrorText(error) + ")");
  };

  if (std::fwrite(contents.data(), 1, contents.size(), file) != contents.size() ||
      std::fflush(file) != 0 || ::fsync(::fileno(file)) != 0) {
    fail("Unable to write file: ");
  }
  const int closed = std::fclose(file);
  file = nullptr;
  if (closed != 0) fail("Unable to write file: ");
  if (std::rename(temporaryPath.c_str(), path.c_str()) != 0) fail("Unable to replace file: ");
  SyncFolderOf(path);
  RemoveStaleTemporaryFiles(path);
}

std::string KeepFileAside(std::string_view targetPath) {
  const std::string path = os::NormalizePath(targetPath);
  const std::string aside = path + ".bad";
  if (std::rename(path.c_str(), aside.c_str()) != 0) {
    throw std::runtime_error("Unable to keep file aside: " + path + " (" + ErrorText(errno) + ")");
  }
  SyncFolderOf(path);
  return aside;
}
