#include "app/startup.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <stdexcept>

#include "app/display_loss.h"
#include "app/system_registration.h"
#include "components/component_registration.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "engine/user_folders.h"
#include "platform/os/close_request.h"
#include "platform/os/crash_record.h"
#include "platform/os/known_folders.h"
#include "platform/settings_system.h"

std::string GetCrashFolder() { return GetSaveDataFolder() + "/CrashLogs"; }

void CreateUserFolders() {
  std::filesystem::create_directories(GetSaveDataFolder());
  std::filesystem::create_directories(GetDocumentsFolder());
  std::filesystem::create_directories(GetCrashFolder());
}

void EnterDataFolder() {
  if (std::filesystem::is_directory("GAME")) return;
  const std::string executableFolder = os::ExecutableFolder();
  if (!executableFolder.empty() &&
      std::filesystem::is_directory(std::filesystem::path(executableFolder) / "GAME")) {
    std::filesystem::current_path(executableFolder);
    return;
  }
  throw std::runtime_error("cannot find the GAME data folder in " +
                           std::filesystem::current_path().string() +
                           " or beside the executable in " + executableFolder);
}

void PrepareProcess(const std::string& crashFolder) {
  os::InstallCrashRecorder(crashFolder, "KELVA_CrashDump_");
  os::InstallCloseRequestHandlers();
  InstallDisplayLossHandler();
}

void StartEngine() {
  // A test may have made the engine with a clock of its own.
  if (!DECS::HasInstance()) DECS::CreateInstance();
  const auto seed = static_cast<std::uint32_t>(std::time(nullptr));
  DECS::Instance().randomEngines.Seed(seed, seed);
  CreateManagers();
  RegisterAllComponents();
  RegisterAllSystems();
  DECS::Instance().GetManager<MessagingManager>()->PostFormatted("firstScene splash_scene", 1);
}

void RunMainLoop() {
  while (!DECS::Instance().quit) {
    // Ctrl+C or a termination request closes the game as the window's close button does.
    if (os::TakeCloseRequest()) {
      DECS::Instance().GetManager<MessagingManager>()->PostFormatted("decs_exit", 4);
    }
    DECS::Instance().Update();
  }
}

void StopEngine() {
  DECS& decs = DECS::Instance();
  if (auto settings = decs.GetSystem<SettingsSystem>()) settings->SaveSettings();
  // The caches, the renderer and the chain free GL objects, so they go while the window's
  // context still exists.
  DestroyRenderContext();
  decs.Shutdown();
}

void AbandonStart() {
  DestroyRenderContext();
  if (DECS::HasInstance()) DECS::Instance().Shutdown();
}

int RunGame() {
  try {
    EnterDataFolder();
    PrepareProcess(GetCrashFolder());
    CreateUserFolders();
    StartEngine();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Kelvaris could not start: %s\n", error.what());
    // Left to the destructors of static objects at exit, the engine and the render context
    // would go in no set order, and the documents' library after state it still uses.
    AbandonStart();
    return 1;
  }

  RunMainLoop();
  StopEngine();
  return 0;
}
