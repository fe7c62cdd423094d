#include "engine/json_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <stdexcept>
#include <system_error>
#include <utility>

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
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw std::runtime_error("Unable to open file for reading: " + path);
  std::string text;
  char buffer[8192];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, count);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw std::runtime_error("Unable to read file: " + path);

  // Parsed aside first, so a malformed file leaves the previous document in place.
  nlohmann::json parsed = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/true,
                                                /*ignore_comments=*/false);
  target.document = std::move(parsed);
  std::cout << "\nSuccessfully loaded from " << path << "\n" << std::endl;
}

void SaveJsonFile(const JsonFile& source, std::string& path) {
  path = os::NormalizePath(path);
  const std::string text =
      source.document.dump(4, ' ', /*ensure_ascii=*/false, nlohmann::json::error_handler_t::replace);
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
    temporaryPath = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    errno = 0;
    file = std::fopen(temporaryPath.c_str(), "wbx");
    if (file == nullptr && errno != EEXIST) break;
  }
  if (file == nullptr) throw std::runtime_error("Unable to open file for writing: " + path);

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
}
