#include "app/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/user_folders.h"
#include "tests/support/temp_folder.h"

namespace {

using testing_support::ScopedEnvironment;
using testing_support::TempFolder;

TEST(Startup, FirstStartCreatesTheUserFoldersAndLaterStartsKeepThem) {
  TempFolder home;
  ScopedEnvironment homeVariable("HOME", home.path.string());
  ScopedEnvironment dataHome("XDG_DATA_HOME", (home.path / "data").string());
  ScopedEnvironment configHome("XDG_CONFIG_HOME", std::nullopt);

  EXPECT_EQ(GetSaveDataFolder(), (home.path / "data/Corvane/Kelvaris").string());
  EXPECT_EQ(GetDocumentsFolder(), (home.path / "Documents/Corvane/Kelvaris").string());

  CreateUserFolders();
  EXPECT_TRUE(std::filesystem::is_directory(home.path / "data/Corvane/Kelvaris"));
  EXPECT_TRUE(std::filesystem::is_directory(home.path / "data/Corvane/Kelvaris/CrashLogs"));
  EXPECT_TRUE(std::filesystem::is_directory(home.path / "Documents/Corvane/Kelvaris"));

  std::ofstream(home.path / "data/Corvane/Kelvaris/settings.json") << "{}";
  CreateUserFolders();
  EXPECT_TRUE(std::filesystem::exists(home.path / "data/Corvane/Kelvaris/settings.json"));
}

TEST(Startup, FolderThatCannotBeCreatedIsAnError) {
  TempFolder home;
  std::ofstream(home.path / "file") << "not a folder";
  ScopedEnvironment homeVariable("HOME", home.path.string());
  ScopedEnvironment dataHome("XDG_DATA_HOME", (home.path / "file").string());
  EXPECT_THROW(CreateUserFolders(), std::filesystem::filesystem_error);
}

}  // namespace

#include <csignal>

#include "app/system_registration.h"
#include "engine/decs.h"
#include "engine/messaging_manager.h"
#include "platform/os/close_request.h"
#include "render/renderer.h"

namespace {

TEST(Startup, GameRunsItsLoopUntilDecsExitAndTearsEverythingDown) {
  testing_support::ScopedTempHome home;
  CreateUserFolders();
  testing::internal::CaptureStdout();
  StartEngine();
  const std::string startOutput = testing::internal::GetCapturedStdout();
  EXPECT_NE(startOutput.find("SystemManager : 'class SettingsSystem' registered\n"),
            std::string::npos);
  EXPECT_NE(startOutput.find("SystemManager : 'class WeatherSystem' registered\n"),
            std::string::npos);
  // Start-up loads the splash scene.
  EXPECT_NE(
      startOutput.find("SceneSystem : Pushed scene from path './GAME/Scenes/splash_scene.json'\n"),
      std::string::npos);

  DECS::Instance().GetManager<MessagingManager>()->QueueFormatted("decs_exit", 4);
  RunMainLoop();
  EXPECT_TRUE(DECS::Instance().quit);
  StopEngine();
  EXPECT_FALSE(DECS::HasInstance());
  EXPECT_FALSE(Renderer::HasInstance());
  // Shutdown saved the settings into the player's folder.
  EXPECT_TRUE(
      std::filesystem::exists(home.folder.path / ".local/share/Corvane/Kelvaris/settings.json"));
}

// A termination signal closes the game as the window's close button does: the loop ends, the
// settings are saved, and everything of the engine and its window goes, so that a second game
// can be built in the same process.
TEST(Startup, TerminationSignalClosesTheGameAndAnotherGameCanStartAfterIt) {
  for (int game = 0; game < 2; ++game) {
    SCOPED_TRACE(game);
    testing_support::ScopedTempHome home;
    CreateUserFolders();
    testing::internal::CaptureStdout();
    StartEngine();
    os::InstallCloseRequestHandlers();
    ASSERT_NE(GameRenderContext(), nullptr);

    std::raise(SIGTERM);
    RunMainLoop();
    EXPECT_TRUE(DECS::Instance().quit);
    StopEngine();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(GameRenderContext(), nullptr);
    EXPECT_FALSE(Renderer::HasInstance());
    EXPECT_TRUE(
        std::filesystem::exists(home.folder.path / ".local/share/Corvane/Kelvaris/settings.json"));
  }
  std::signal(SIGTERM, SIG_DFL);
}

}  // namespace
