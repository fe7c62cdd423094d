// Settings files: any bytes as the player's settings.json, read by the settings system. The
// per-user data folder is pointed at this process's temporary folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_input_file.h"
#include "platform/settings_system.h"

namespace {
std::string settingsFile;  // relative to FuzzInputFolder()
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (setenv("XDG_DATA_HOME", FuzzInputFolder().c_str(), 1) != 0) std::abort();
  const std::filesystem::path path = SettingsSystem::SettingsPath();
  std::filesystem::create_directories(path.parent_path());
  settingsFile = std::filesystem::relative(path, FuzzInputFolder()).string();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  WriteFuzzInputFile(data, size, settingsFile);
  SettingsSystem settings;
  settings.LoadSettings();
  if (settings.WindowedResolution.x < 1 || settings.WindowedResolution.y < 1) __builtin_trap();
  return 0;
}
