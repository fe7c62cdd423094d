#include "app/startup.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>

#include "app/system_registration.h"
#include "components/component_registration.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "engine/random_engines.h"
#include "engine/user_folders.h"
#include "platform/os/crash_record.h"
#include "render/renderer.h"

std::string GetCrashFolder() { return GetSaveDataFolder() + "/CrashLogs"; }

void CreateUserFolders() {
  std::filesystem::create_directories(GetSaveDataFolder());
  std::filesystem::create_directories(GetDocumentsFolder());
  std::filesystem::create_directories(GetCrashFolder());
}

void PrepareProcess(const std::string& crashFolder) {
  os::InstallCrashRecorder(crashFolder, "KELVA_CrashDump_");
  const auto seed = static_cast<std::uint32_t>(std::time(nullptr));
  GetRandomEngines().Seed(seed, seed);
}

void StartEngine() {
  DECS::Instance();
  CreateManagers();
  RegisterAllComponents();
  RegisterAllSystems();
  DECS::Instance().GetManager<MessagingManager>()->PostFormatted("firstScene splash_scene", 1);
}

void RunMainLoop() {
  while (!DECS::Instance().quit) DECS::Instance().Update();
}

void StopEngine() {
  DECS::Instance().Shutdown();
  Renderer::DestroyInstance();
}

int RunGame() {
  try {
    PrepareProcess(GetCrashFolder());
    CreateUserFolders();
    StartEngine();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Kelvaris could not start: %s\n", error.what());
    return 1;
  }

  RunMainLoop();
  StopEngine();
  return 0;
}
