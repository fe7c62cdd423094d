#pragma once
// For loaders that read a path rather than text: each input is written to one file in a
// temporary folder of this process, made on first use and removed at exit. The folder is in
// /dev/shm: rewriting a file on disk for every input makes the run wait on the disk.
//
//   const std::string path = WriteFuzzInputFile(data, size);  //
//   "/dev/shm/kelvaris-fuzz-XXXXXX/input" tilemap._path = path; tilemap.LoadTileFile();

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// The process's temporary folder (created on the first call). The name lives in a plain array
// so that it is still there when the exit handler removes the folder.
inline std::string FuzzInputFolder() {
  static char folder[] = "/dev/shm/kelvaris-fuzz-XXXXXX";
  static const bool made = [] {
    if (mkdtemp(folder) == nullptr) std::abort();
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
    });
    return true;
  }();
  (void)made;
  return folder;
}

// Replaces the file `name` of the folder with the input and returns its path.
inline std::string WriteFuzzInputFile(const std::uint8_t* data, std::size_t size,
                                      const std::string& name = "input") {
  const std::string path = FuzzInputFolder() + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  if (std::fclose(file) != 0) std::abort();
  return path;
}
