#pragma once
// PlatformSystem: the game window and its OpenGL 4.5 core context, through GLFW.
//
// Registered second, right after SettingsSystem. Init creates the window titled "Kelvaris" from
// the stored settings (full screen on the monitor the stored windowed rectangle overlaps most,
// or windowed at the stored position and size), sets the icon, makes the context current with
// vertical sync and loads the OpenGL entry points. If GLFW or the window cannot be created, Init
// throws std::runtime_error saying so; start-up reports it and the program exits non-zero.
//
// Messages: "fullscreen" moves the window to full screen on the monitor it overlaps most (with
// no monitor it stays windowed); "windowed" puts it back at the stored windowed position and
// size. "set_resolution W H F" makes W x H the stored windowed size (saved with the settings)
// and puts the window in full screen at the monitor's own mode (F 1) or windowed at that size
// (F 0); it replies "applied", or "refused" with a line saying why when W x H is larger than
// every monitor mode or full screen has no monitor (the window is then unchanged). A message
// whose arguments do not read is reported and changes nothing. Update turns a close request into
// "decs_exit" (level 4, on every update while the close flag is set) and, while windowed, keeps the
// stored windowed position up to date. DECS brackets each rendered frame with BeginFrame (clear,
// viewport, resize notice) and EndFrame (swap).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/base_system.h"
#include "engine/engine_hooks.h"
#include "engine/type_name.h"
#include "platform/monitor_layout.h"

struct GLFWwindow;
struct GLFWmonitor;
class SettingsSystem;

// What the platform system needs of others. Given at construction by the composition root (app/):
// Init opens the window from the stored settings, before the systems are linked.
struct PlatformSystemLinks {
  // The player's settings: the window's stored size, position and full-screen flag, which the
  // window keeps up to date. Empty: full screen, else windowed at a rectangle this system keeps.
  std::weak_ptr<SettingsSystem> settings;
};

class PlatformSystem : public BaseSystem, public FrameHost {
 public:
  struct Options {
    // False opens the window hidden (tests).
    bool visible = true;
    // False leaves GLFW initialised at Shutdown, for a host that initialised it itself (tests).
    bool terminateGlfw = true;
  };

  // The replies to "set_resolution".
  static constexpr const char* kResolutionApplied = "applied";
  static constexpr const char* kResolutionRefused = "refused";

  PlatformSystem();
  explicit PlatformSystem(Options options, PlatformSystemLinks links = {});

  void HandleMessage(const std::string& message) override;
  void Init() override;
  void Update(float dt) override;
  void Shutdown() override;
  void BeginFrame() override;
  void EndFrame() override;
  // "settings" while no settings are linked.
  std::vector<std::string> MissingLinks() const override;

  // The monitor whose work area overlaps the rectangle (screen pixels) most; the first monitor
  // when none overlaps; null when GLFW reports no monitor.
  GLFWmonitor* FindBestMonitor(const ScreenRect& rect) const;

  // The window's position and size; empty without a window.
  std::optional<ScreenRect> WindowRect() const;

  // The GLFW focus callback: sets `focused` of the PlatformSystem that opened the window (the
  // window's user pointer).
  static void OnWindowFocus(GLFWwindow* window, int hasFocus);

  GLFWwindow* window = nullptr;
  float referenceWidth = 1280.0f;
  float referenceHeight = 720.0f;
  // The client size seen at the last BeginFrame. 16/9 at first, so the first frame always
  // reports a size.
  float viewportWidth = 1.7777778f;
  float viewportHeight = 1.7777778f;
  bool focused = true;
  bool fullscreen = true;

  // Called from BeginFrame with the new size when the window's framebuffer size changed; the
  // renderer resizes its targets here.
  std::function<void(int width, int height)> onViewportResized;
  // Runs at Shutdown while the window and its GL context still exist, before the window
  // closes: whatever holds GPU objects lets go of them here.
  std::function<void()> beforeWindowCloses;

 private:
  // A stored windowed width or height larger than every monitor's largest mode takes its
  // default, with a line naming the key; the value is replaced in the settings, so it is never
  // saved again.
  static void FitStoredSizeToMonitors(SettingsSystem& settings);
  // The windowed rectangle kept in the settings (defaults without a SettingsSystem).
  ScreenRect StoredWindowedRect() const;
  void StoreWindowedPosition(int x, int y);
  // Puts the window on `monitor` in full screen at the monitor's current video mode size;
  // false, changing nothing, when the monitor or its mode is missing.
  bool EnterFullscreen(GLFWmonitor* monitor);
  void EnterWindowed(const ScreenRect& rect);
  void SetResolution(const std::string& message);
  SettingsSystem* Settings() const { return links.settings.lock().get(); }

  Options options;
  PlatformSystemLinks links;
  // Used when no SettingsSystem is registered.
  ScreenRect fallbackWindowedRect{kFallbackWindowPosition, kFallbackWindowPosition, 1280, 720};
};
DECLARE_TYPE_NAME(class, PlatformSystem);
