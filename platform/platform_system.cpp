#include "platform/platform_system.h"

#include <glad/gl.h>
// glad first: GLFW must not pull in the system OpenGL header.
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "engine/decs.h"
#include "engine/image_file.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"
#include "platform/settings_system.h"

namespace {

constexpr const char* kWindowTitle = "Kelvaris";
constexpr const char* kIconPath = "GAME/Assets/Textures/logo_icon.png";

// GLFW's description of its last error, or a general text.
std::string LastGlfwError() {
  const char* description = nullptr;
  glfwGetError(&description);
  return description != nullptr ? description : "no reason given";
}

std::vector<GLFWmonitor*> Monitors() {
  int count = 0;
  GLFWmonitor** monitors = glfwGetMonitors(&count);
  if (monitors == nullptr || count <= 0) return {};
  return {monitors, monitors + count};
}

std::vector<ScreenRect> WorkAreas(const std::vector<GLFWmonitor*>& monitors) {
  std::vector<ScreenRect> areas;
  areas.reserve(monitors.size());
  for (GLFWmonitor* monitor : monitors) {
    ScreenRect area;
    glfwGetMonitorWorkarea(monitor, &area.x, &area.y, &area.width, &area.height);
    areas.push_back(area);
  }
  return areas;
}

// The largest width and height of any video mode of any monitor; nothing without a monitor.
std::optional<std::pair<int, int>> LargestVideoMode(const std::vector<GLFWmonitor*>& monitors) {
  std::optional<std::pair<int, int>> largest;
  for (GLFWmonitor* monitor : monitors) {
    int count = 0;
    const GLFWvidmode* modes = glfwGetVideoModes(monitor, &count);
    for (int i = 0; modes != nullptr && i < count; ++i) {
      if (!largest) largest.emplace(0, 0);
      largest->first = std::max(largest->first, modes[i].width);
      largest->second = std::max(largest->second, modes[i].height);
    }
  }
  return largest;
}

// Sets the window icon; a missing or unreadable icon file is skipped.
void SetWindowIcon(GLFWwindow* window) {
  // Four channels whatever the file holds: GLFW takes 8-bit RGBA.
  ImageFile image;
  if (!image.Load(kIconPath, /*flipRows=*/false)) {
    std::printf("PlatformSystem : window icon not loaded (%s); no icon\n", image.Error().c_str());
    return;
  }
  GLFWimage icon{};
  icon.width = image.Width();
  icon.height = image.Height();
  // GLFW copies the pixels and never writes them.
  icon.pixels = const_cast<unsigned char*>(image.Pixels());
  glfwSetWindowIcon(window, 1, &icon);
}

}  // namespace

PlatformSystem::PlatformSystem() : PlatformSystem(Options{}) {}

PlatformSystem::PlatformSystem(Options windowOptions, PlatformSystemLinks windowLinks)
    : options(windowOptions), links(std::move(windowLinks)) {
  // The window keeps working while the game is paused or frozen.
  pausable = false;
  freezable = false;
}

void PlatformSystem::Init() {
  level = 1;
  pausable = false;
  DECS::Instance().GetManager<SystemManager>()->SetSignature(TypeName<PlatformSystem>(), {});

  if (glfwInit() != GLFW_TRUE) {
    throw std::runtime_error("the window system could not be initialised (" + LastGlfwError() +
                             ")");
  }

  if (SettingsSystem* settings = Settings()) {
    settings->LoadSettings();
    fullscreen = settings->Fullscreen != 0;
    FitStoredSizeToMonitors(*settings);
  }
  ScreenRect stored = StoredWindowedRect();

  GLFWmonitor* primary = glfwGetPrimaryMonitor();
  const GLFWvidmode* primaryMode = primary != nullptr ? glfwGetVideoMode(primary) : nullptr;
  if (fullscreen && primaryMode == nullptr) {
    std::printf("PlatformSystem : no monitor for full screen; the window opens windowed\n");
    fullscreen = false;
  }

  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 5);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  glfwWindowHint(GLFW_VISIBLE, options.visible ? GLFW_TRUE : GLFW_FALSE);
  if (fullscreen) {
    window =
        glfwCreateWindow(primaryMode->width, primaryMode->height, kWindowTitle, primary, nullptr);
  } else {
    window = glfwCreateWindow(stored.width, stored.height, kWindowTitle, nullptr, nullptr);
  }
  if (window == nullptr) {
    const std::string reason = LastGlfwError();
    if (options.terminateGlfw) glfwTerminate();
    throw std::runtime_error(
        "the game window with an OpenGL 4.5 core context could not be created (" + reason + ")");
  }

  SetWindowIcon(window);

  glfwMakeContextCurrent(window);
  if (gladLoadGL(glfwGetProcAddress) == 0) {
    glfwDestroyWindow(window);
    window = nullptr;
    if (options.terminateGlfw) glfwTerminate();
    throw std::runtime_error("the OpenGL entry points could not be loaded");
  }
  glfwSwapInterval(1);
  glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_NORMAL);
  glfwSetWindowUserPointer(window, this);
  glfwSetWindowFocusCallback(window, &PlatformSystem::OnWindowFocus);
  freezable = false;

  // A stored position that lies mostly off every monitor is replaced in the settings too, so that
  // "windowed" after a full-screen start does not put the window where nobody can see it.
  const ScreenRect placed = PlaceStoredWindow(stored, WorkAreas(Monitors()));
  if (placed.x != stored.x || placed.y != stored.y) {
    StoreWindowedPosition(placed.x, placed.y);
    stored = placed;
  }

  if (fullscreen) {
    // At the primary monitor's size, on the monitor the windowed rectangle overlaps most.
    GLFWmonitor* best = FindBestMonitor(stored);
    glfwSetWindowMonitor(window, best != nullptr ? best : primary, 0, 0, primaryMode->width,
                         primaryMode->height, GLFW_DONT_CARE);
  } else {
    EnterWindowed(stored);
  }
}

void PlatformSystem::FitStoredSizeToMonitors(SettingsSystem& settings) {
  const auto largest = LargestVideoMode(Monitors());
  if (!largest) return;
  const struct {
    const char* key;
    int& value;
    int limit;
    int fallback;
  } sizes[] = {
      {"WindowedResolution.X", settings.WindowedResolution.x, largest->first, 1280},
      {"WindowedResolution.Y", settings.WindowedResolution.y, largest->second, 720},
  };
  for (const auto& size : sizes) {
    if (size.value <= size.limit) continue;
    std::printf("PlatformSystem : '%s' %d is larger than any monitor mode (%d); using %d\n",
                size.key, size.value, size.limit, size.fallback);
    size.value = size.fallback;
  }
}

ScreenRect PlatformSystem::StoredWindowedRect() const {
  if (const SettingsSystem* settings = Settings()) {
    return {settings->WindowedPosition.x, settings->WindowedPosition.y,
            settings->WindowedResolution.x, settings->WindowedResolution.y};
  }
  return fallbackWindowedRect;
}

void PlatformSystem::StoreWindowedPosition(int x, int y) {
  fallbackWindowedRect.x = x;
  fallbackWindowedRect.y = y;
  if (SettingsSystem* settings = Settings()) settings->WindowedPosition = {x, y};
}

GLFWmonitor* PlatformSystem::FindBestMonitor(const ScreenRect& rect) const {
  const std::vector<GLFWmonitor*> monitors = Monitors();
  const auto best = FindBestMonitorIndex(rect, WorkAreas(monitors));
  return best ? monitors[*best] : nullptr;
}

std::optional<ScreenRect> PlatformSystem::WindowRect() const {
  if (window == nullptr) return std::nullopt;
  ScreenRect rect;
  glfwGetWindowPos(window, &rect.x, &rect.y);
  glfwGetWindowSize(window, &rect.width, &rect.height);
  return rect;
}

bool PlatformSystem::EnterFullscreen(GLFWmonitor* monitor) {
  const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
  if (mode == nullptr) return false;
  glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, GLFW_DONT_CARE);
  fullscreen = true;
  return true;
}

void PlatformSystem::EnterWindowed(const ScreenRect& rect) {
  glfwSetWindowMonitor(window, nullptr, rect.x, rect.y, rect.width, rect.height, GLFW_DONT_CARE);
  fullscreen = false;
}

void PlatformSystem::HandleMessage(const std::string& message) {
  if (window == nullptr) return;
  if (IsMessage(message, "fullscreen")) {
    if (const auto rect = WindowRect(); !rect || !EnterFullscreen(FindBestMonitor(*rect))) {
      std::printf("PlatformSystem : no monitor for full screen; the window stays as it is\n");
    }
  } else if (IsMessage(message, "windowed")) {
    if (SettingsSystem* settings = Settings()) settings->LoadSettings();
    EnterWindowed(StoredWindowedRect());
  } else if (IsMessage(message, "set_resolution")) {
    SetResolution(message);
  }
}

void PlatformSystem::SetResolution(const std::string& message) {
  std::string widthText;
  std::string heightText;
  std::string fullscreenText;
  int width = 0;
  int height = 0;
  int wantsFullscreen = 0;
  if (!ParseMessageArguments(message, widthText, heightText, fullscreenText) ||
      !ReadMessageInt(widthText, width) || !ReadMessageInt(heightText, height) ||
      !ReadMessageInt(fullscreenText, wantsFullscreen) || width <= 0 || height <= 0 ||
      (wantsFullscreen != 0 && wantsFullscreen != 1)) {
    std::printf(
        "PlatformSystem : '%s' is not 'set_resolution WIDTH HEIGHT 0|1'; the window is "
        "unchanged\n",
        message.c_str());
    return;
  }
  auto messaging = DECS::Instance().GetManager<MessagingManager>();
  const auto reply = [&messaging](const char* word) {
    if (messaging) messaging->ReplyFormatted("%s", word);
  };
  if (const auto largest = LargestVideoMode(Monitors());
      largest && (width > largest->first || height > largest->second)) {
    std::printf(
        "PlatformSystem : a %d x %d window is larger than any monitor mode (%d x %d); the "
        "window is unchanged\n",
        width, height, largest->first, largest->second);
    reply(kResolutionRefused);
    return;
  }

  if (wantsFullscreen != 0) {
    if (const auto rect = WindowRect(); !rect || !EnterFullscreen(FindBestMonitor(*rect))) {
      std::printf("PlatformSystem : no monitor for full screen; the window stays as it is\n");
      reply(kResolutionRefused);
      return;
    }
  }
  // The size is the windowed one, kept for the way back from full screen and saved with the
  // other settings; full screen always takes the monitor's own mode.
  fallbackWindowedRect.width = width;
  fallbackWindowedRect.height = height;
  if (SettingsSystem* settings = Settings()) {
    settings->LoadSettings();
    settings->WindowedResolution = {width, height};
  }
  if (wantsFullscreen == 0) EnterWindowed(StoredWindowedRect());
  reply(kResolutionApplied);
}

void PlatformSystem::Update(float) {
  if (window == nullptr) return;
  if (glfwWindowShouldClose(window) != 0) {
    // The flag stays set, so this repeats on every update until the loop ends.
    if (auto messaging = DECS::Instance().GetManager<MessagingManager>()) {
      messaging->PostFormatted("decs_exit", 4);
    }
  }
  if (!fullscreen) {
    int x = 0;
    int y = 0;
    glfwGetWindowPos(window, &x, &y);
    StoreWindowedPosition(x, y);
  }
}

void PlatformSystem::BeginFrame() {
  if (window == nullptr) return;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  int width = 0;
  int height = 0;
  glfwGetFramebufferSize(window, &width, &height);
  // On X11 an iconified window keeps reporting its last size; it has no area all the same.
  if (glfwGetWindowAttrib(window, GLFW_ICONIFIED) == GLFW_TRUE) {
    width = 0;
    height = 0;
  }
  glViewport(0, 0, width, height);
  // A minimised window has no area and is passed on like any size: the renderer's targets
  // then have no area and it skips frames, keeping its queued draws, until the window is back.
  if (static_cast<float>(width) != viewportWidth || static_cast<float>(height) != viewportHeight) {
    if (onViewportResized) onViewportResized(width, height);
    viewportWidth = static_cast<float>(width);
    viewportHeight = static_cast<float>(height);
  }
}

void PlatformSystem::EndFrame() {
  if (window != nullptr) glfwSwapBuffers(window);
}

void PlatformSystem::Shutdown() {
  if (beforeWindowCloses) {
    // Once only: the callback may own what it releases.
    const std::function<void()> release = std::move(beforeWindowCloses);
    beforeWindowCloses = nullptr;
    release();
  }
  if (window != nullptr) glfwDestroyWindow(window);
  window = nullptr;
  if (options.terminateGlfw) glfwTerminate();
}

void PlatformSystem::OnWindowFocus(GLFWwindow* window, int hasFocus) {
  auto* platform = static_cast<PlatformSystem*>(glfwGetWindowUserPointer(window));
  if (platform != nullptr) platform->focused = hasFocus != 0;
}

std::vector<std::string> PlatformSystem::MissingLinks() const {
  if (links.settings.expired()) return {"settings"};
  return {};
}
