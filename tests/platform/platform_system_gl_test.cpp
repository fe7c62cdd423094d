#include <glad/gl.h>
// glad first: GLFW must not pull in the system OpenGL header.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "engine/user_folders.h"
#include "platform/platform_system.h"
#include "platform/settings_system.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

// Xlib last: its macros (None, Bool, Status...) break other headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern "C" Display* glfwGetX11Display(void);
extern "C" Window glfwGetX11Window(GLFWwindow* window);

namespace {

using testing_support::ScopedEnvironment;
using testing_support::TempFolder;

// A hidden game window from a settings file of the test's own; GLFW stays initialised for the
// test environment's window.
class PlatformSystemTest : public testing_support::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    std::filesystem::create_directories(GetSaveDataFolder());
  }

  void TearDown() override {
    EngineFixture::TearDown();  // shuts the systems down: the window is destroyed
  }

  void Start(const std::string& settingsText) {
    std::ofstream(SettingsSystem::SettingsPath()) << settingsText;
    testing::internal::CaptureStdout();
    const auto stored = systems->RegisterSystem<SettingsSystem>();
    settings = stored.get();
    platform = systems
                   ->RegisterSystem<PlatformSystem>(PlatformSystem::Options{false, false},
                                                    PlatformSystemLinks{stored})
                   .get();
    settings->SetLinks({.windowFullscreen = [this] { return platform->fullscreen; },
                        .windowRect = [this] { return platform->WindowRect(); }});
    startLog = testing::internal::GetCapturedStdout();
    ASSERT_NE(platform->window, nullptr);
  }

  // Lets the X server catch up with a move or resize.
  // Saves the settings quietly and reads back the file that was written.
  nlohmann::json SaveAndReadSettings() {
    testing::internal::CaptureStdout();
    const bool saved = settings->SaveSettings();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(saved);
    std::ifstream file(SettingsSystem::SettingsPath());
    return nlohmann::json::parse(file, nullptr, false);
  }

  static void Settle() {
    for (int i = 0; i < 5; ++i) glfwPollEvents();
  }

  TempFolder home;
  ScopedEnvironment homeVariable{"HOME", home.path.string()};
  ScopedEnvironment dataHome{"XDG_DATA_HOME", (home.path / "data").string()};
  SettingsSystem* settings = nullptr;
  PlatformSystem* platform = nullptr;
  std::string startLog;
};

constexpr const char* kWindowedSettings =
    R"({"Fullscreen": 0, "WindowedResolution.X": 320, "WindowedResolution.Y": 200,
        "WindowedPosition.X": 50, "WindowedPosition.Y": 60})";

TEST_F(PlatformSystemTest, OpensWindowedFromTheSettingsWithAnOpenGl45CoreContext) {
  Start(kWindowedSettings);
  Settle();
  EXPECT_FALSE(platform->fullscreen);
  EXPECT_EQ(glfwGetWindowMonitor(platform->window), nullptr);
  const auto rect = platform->WindowRect();
  ASSERT_TRUE(rect.has_value());
  EXPECT_EQ(rect->width, 320);
  EXPECT_EQ(rect->height, 200);
  EXPECT_EQ(rect->x, 50);
  EXPECT_EQ(rect->y, 60);

  EXPECT_EQ(glfwGetCurrentContext(), platform->window);
  EXPECT_EQ(glfwGetWindowAttrib(platform->window, GLFW_OPENGL_PROFILE), GLFW_OPENGL_CORE_PROFILE);
  GLint major = 0;
  GLint minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  EXPECT_GE(major * 10 + minor, 45);
  EXPECT_FALSE(platform->pausable);
  EXPECT_FALSE(platform->freezable);
}

// A 320 x 200 window stored at a position off every monitor.
std::string OffScreenSettings(int fullscreen) {
  return R"({"Fullscreen": )" + std::to_string(fullscreen) +
         R"(, "WindowedResolution.X": 320, "WindowedResolution.Y": 200,
            "WindowedPosition.X": 20000, "WindowedPosition.Y": 20000})";
}

TEST_F(PlatformSystemTest, StoredPositionOffEveryMonitorBecomes100By100) {
  Start(OffScreenSettings(0));
  Settle();
  EXPECT_EQ(settings->WindowedPosition, glm::ivec2(100, 100));
  const auto rect = platform->WindowRect();
  ASSERT_TRUE(rect.has_value());
  EXPECT_EQ(std::make_pair(rect->x, rect->y), std::make_pair(100, 100));
}

TEST_F(PlatformSystemTest, OffScreenPositionIsNotRestoredByWindowedAfterAFullScreenStart) {
  Start(OffScreenSettings(1));
  Settle();
  platform->HandleMessage("windowed");
  Settle();
  const auto rect = platform->WindowRect();
  ASSERT_TRUE(rect.has_value());
  EXPECT_EQ(std::make_pair(rect->x, rect->y), std::make_pair(100, 100));
}

TEST_F(PlatformSystemTest, WindowSizesLargerThanEveryMonitorModeTakeTheDefaultAndAreNotSaved) {
  // The test screen is 1280 x 720.
  Start(R"({"Fullscreen": 0, "WindowedResolution.X": 99999, "WindowedResolution.Y": 200,
            "WindowedPosition.X": 0, "WindowedPosition.Y": 0})");
  Settle();
  EXPECT_NE(startLog.find("'WindowedResolution.X' 99999 is larger than any monitor mode"),
            std::string::npos)
      << startLog;
  EXPECT_EQ(startLog.find("WindowedResolution.Y"), std::string::npos) << startLog;
  const auto rect = platform->WindowRect();
  ASSERT_TRUE(rect.has_value());
  EXPECT_EQ(rect->width, 1280);
  EXPECT_EQ(rect->height, 200);
  const nlohmann::json document = SaveAndReadSettings();
  EXPECT_EQ(document["WindowedResolution.X"], 1280);
}

TEST_F(PlatformSystemTest, FullscreenThenWindowedRestoresSizeAndPosition) {
  Start(kWindowedSettings);
  Settle();
  platform->HandleMessage("fullscreen");
  Settle();
  EXPECT_TRUE(platform->fullscreen);
  EXPECT_NE(glfwGetWindowMonitor(platform->window), nullptr);
  platform->Update(0.0f);  // no position tracking in full screen
  EXPECT_EQ(settings->WindowedPosition, glm::ivec2(50, 60));

  // Saving in full screen keeps the windowed values for the way back.
  const nlohmann::json document = SaveAndReadSettings();
  EXPECT_EQ(document["Fullscreen"], 1);
  EXPECT_EQ(document["WindowedResolution.X"], 320);
  EXPECT_EQ(document["WindowedPosition.Y"], 60);

  platform->HandleMessage("windowed");
  Settle();
  EXPECT_FALSE(platform->fullscreen);
  EXPECT_EQ(glfwGetWindowMonitor(platform->window), nullptr);
  const auto rect = platform->WindowRect();
  ASSERT_TRUE(rect.has_value());
  EXPECT_EQ(rect->width, 320);
  EXPECT_EQ(rect->height, 200);
  EXPECT_EQ(rect->x, 50);
  EXPECT_EQ(rect->y, 60);
}

TEST_F(PlatformSystemTest, SetResolutionSizesTheWindowAndTheSettingsSaveIt) {
  Start(kWindowedSettings);
  Settle();
  EXPECT_EQ(messaging->PostFormatted("set_resolution 640 360 0", 1), "applied");
  Settle();
  auto rect = platform->WindowRect();
  ASSERT_TRUE(rect.has_value());
  EXPECT_EQ(std::make_pair(rect->width, rect->height), std::make_pair(640, 360));
  EXPECT_EQ(std::make_pair(rect->x, rect->y), std::make_pair(50, 60));
  nlohmann::json document = SaveAndReadSettings();
  EXPECT_EQ(document["Fullscreen"], 0);
  EXPECT_EQ(document["WindowedResolution.X"], 640);
  EXPECT_EQ(document["WindowedResolution.Y"], 360);

  // Full screen takes the monitor's mode; the size is kept for the way back.
  EXPECT_EQ(messaging->PostFormatted("set_resolution 480 320 1", 1), "applied");
  Settle();
  EXPECT_TRUE(platform->fullscreen);
  EXPECT_NE(glfwGetWindowMonitor(platform->window), nullptr);
  document = SaveAndReadSettings();
  EXPECT_EQ(document["Fullscreen"], 1);
  EXPECT_EQ(document["WindowedResolution.X"], 480);
  EXPECT_EQ(document["WindowedResolution.Y"], 320);
  platform->HandleMessage("windowed");
  Settle();
  rect = platform->WindowRect();
  ASSERT_TRUE(rect.has_value());
  EXPECT_EQ(std::make_pair(rect->width, rect->height), std::make_pair(480, 320));
}

TEST_F(PlatformSystemTest, SetResolutionThatCannotBeHadChangesNothing) {
  Start(kWindowedSettings);
  Settle();
  // The test screen is 1280 x 720. Malformed words get no reply at all.
  const std::pair<const char*, const char*> cases[] = {
      {"set_resolution 1920 1080 0", "refused"},
      {"set_resolution 1280 99999 1", "refused"},
      {"set_resolution 640 360", ""},
      {"set_resolution 640 360 2", ""},
      {"set_resolution -640 360 0", ""},
      {"set_resolution 0 360 0", ""},
      {"set_resolution wide 360 0", ""},
      {"set_resolution 640 360 0 1", ""},
  };
  for (const auto& [message, reply] : cases) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(messaging->PostFormatted("%s", 1, message), reply) << message;
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("the window is unchanged"), std::string::npos) << message << output;
    Settle();
    const auto rect = platform->WindowRect();
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(std::make_pair(rect->width, rect->height), std::make_pair(320, 200)) << message;
    EXPECT_FALSE(platform->fullscreen) << message;
    EXPECT_EQ(settings->WindowedResolution, glm::ivec2(320, 200)) << message;
  }
}

TEST_F(PlatformSystemTest, WindowedPositionIsTrackedAndSaved) {
  Start(kWindowedSettings);
  glfwSetWindowPos(platform->window, 70, 80);
  Settle();
  platform->Update(0.0f);
  EXPECT_EQ(settings->WindowedPosition, glm::ivec2(70, 80));

  const nlohmann::json document = SaveAndReadSettings();
  EXPECT_EQ(document["Fullscreen"], 0);
  EXPECT_EQ(document["WindowedPosition.X"], 70);
  EXPECT_EQ(document["WindowedPosition.Y"], 80);
  EXPECT_EQ(document["WindowedResolution.X"], 320);
}

TEST_F(PlatformSystemTest, CloseRequestPostsDecsExitOnEveryUpdate) {
  Start(kWindowedSettings);
  platform->Update(0.0f);
  EXPECT_FALSE(decs->quit);
  glfwSetWindowShouldClose(platform->window, GLFW_TRUE);
  platform->Update(0.0f);
  EXPECT_TRUE(decs->quit);  // DECS is the only receiver at level 4
  decs->quit = false;
  platform->Update(0.0f);
  EXPECT_TRUE(decs->quit);
}

TEST_F(PlatformSystemTest, FirstFrameReportsTheViewportSizeAndLaterFramesOnlyChanges) {
  Start(kWindowedSettings);
  Settle();
  std::vector<std::pair<int, int>> resizes;
  platform->onViewportResized = [&](int width, int height) { resizes.emplace_back(width, height); };
  platform->BeginFrame();
  platform->EndFrame();
  platform->BeginFrame();
  platform->EndFrame();
  ASSERT_EQ(resizes.size(), 1u);
  EXPECT_EQ(resizes[0], std::make_pair(320, 200));
  EXPECT_FLOAT_EQ(platform->viewportWidth, 320.0f);

  glfwSetWindowSize(platform->window, 400, 240);
  Settle();
  platform->BeginFrame();
  ASSERT_EQ(resizes.size(), 2u);
  EXPECT_EQ(resizes[1], std::make_pair(400, 240));
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 400);
  EXPECT_EQ(viewport[3], 240);
}

// Sets the window's WM_STATE as a window manager does when it iconifies or restores it (the
// test's X server runs none).
void SetWindowManagerState(GLFWwindow* window, long state) {
  Display* display = glfwGetX11Display();
  const Atom wmState = XInternAtom(display, "WM_STATE", False);
  const long value[2] = {state, 0};
  XChangeProperty(display, glfwGetX11Window(window), wmState, wmState, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(value), 2);
  XSync(display, False);
}

TEST_F(PlatformSystemTest, AnIconifiedWindowHasNoAreaUntilItIsRestored) {
  Start(kWindowedSettings);
  Settle();
  std::vector<std::pair<int, int>> resizes;
  platform->onViewportResized = [&](int width, int height) { resizes.emplace_back(width, height); };
  platform->BeginFrame();
  constexpr long kIconicState = 3;
  constexpr long kNormalState = 1;
  SetWindowManagerState(platform->window, kIconicState);
  platform->BeginFrame();
  SetWindowManagerState(platform->window, kNormalState);
  platform->BeginFrame();
  EXPECT_EQ(resizes, (std::vector<std::pair<int, int>>{{320, 200}, {0, 0}, {320, 200}}));
}

}  // namespace
