// String messages into every receiver of the game: DECS, its managers, the renderer and every
// system the game registers. The whole game is started once, as it starts for a player (window
// and GL context included, so the target runs under Xvfb), and the tutorial level is loaded so
// that the systems have entities, tiles, scripts, sounds and menus to act on. Each input is
// split into lines; every line is posted at level 0, which reaches every receiver, and the
// messages the handlers queued are delivered after the last line. After every
// kInputsPerUpdate-th input every system runs one update of 1/60 s, as in a pass of the game
// loop: the systems act on what the messages left, and the UI frees the documents that a
// message closed (without updates, closed documents pile up until memory runs out).
//
// The engine lives on from one input to the next, as it does between messages in the game: a
// "scene" line changes the level for the inputs that follow. No frame is drawn per input: under
// the software rasteriser of Xvfb a frame can take over a second on its own. Every material of
// the game is loaded before the first input, so that its shaders are compiled then rather than
// inside an input (a compile under the sanitizer and the software renderer can take a second).
//
// Every finished run adds a record to the player's diary, which is saved and redrawn whole at
// each addition; the fuzzer ends thousands of runs a minute, and with a diary of a thousand
// records one input can take over a second. The diary is emptied (file and records) whenever it
// holds more than kMaxDiaryEntries after an input; a player's diary does not grow at that rate.
//
//   xvfb-run -a scripts/fuzz.sh message 600
// Memory is not checked for leaks: the engine keeps state from input to input, and it is not
// taken down at exit (see LLVMFuzzerInitialize).
// The user's files are not touched: home, save and documents folders are temporary ones.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "app/startup.h"
#include "engine/decs.h"
#include "engine/engine_clock.h"
#include "engine/messaging_manager.h"
#include "engine/resource_provider.h"
#include "engine/system_manager.h"
#include "fuzz_input_file.h"
#include "ui/main_menu.h"
#include "ui/menu_manager.h"
#include "ui/performance_diary.h"

namespace {

constexpr std::size_t kMaxMessagesPerInput = 64;
constexpr std::size_t kInputsPerUpdate = 16;
constexpr std::size_t kMaxDiaryEntries = 100;

class StepClock final : public EngineClock {
 public:
  double Now() const override { return now; }
  double now = 1000.0;
};

StepClock* stepClock = nullptr;

// Empties the main menu's diary once it holds more than kMaxDiaryEntries records.
void KeepDiarySmall() {
  const auto menus = DECS::Instance().GetManager<SystemManager>()->GetSystem<MenuManager>();
  const auto main =
      menus ? std::dynamic_pointer_cast<MainMenu>(menus->GetMenu(MenuManager::kMainMenu)) : nullptr;
  PerformanceDiary* diary = main ? main->Diary() : nullptr;
  if (diary == nullptr || diary->Entries().size() <= kMaxDiaryEntries) return;
  std::error_code ignored;
  std::filesystem::remove(diary->FilePath(), ignored);
  std::filesystem::remove(diary->BackupPath(), ignored);
  diary->DiaryEnsureLoaded();
  diary->DiaryResort();  // the diary table is redrawn empty
}

// One pass of the game loop, 1/60 s later.
void Step() {
  stepClock->now += 1.0 / 60.0;
  DECS::Instance().Update();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::filesystem::path home = FuzzInputFolder();
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  std::filesystem::current_path(KELVARIS_SOURCE_DIR);
  EnterDataFolder();
  CreateUserFolders();
  // The game reports what it does on standard output, many lines per message; the run's own
  // reports go to standard error.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();

  auto ownedClock = std::make_unique<StepClock>();
  stepClock = ownedClock.get();
  DECS::CreateInstance(std::move(ownedClock));
  StartEngine();
  // The game is left running at exit: the UI library creates its own static state on first use,
  // later than this handler could be registered, and destroys it before any handler registered
  // here would run, so a teardown at exit would reach state that is gone (the game itself stops
  // the engine before it returns from main). The run's output is flushed and the temporary
  // folder removed first (the folder's own exit handler, registered earlier, would not run).
  std::atexit([] {
    std::fflush(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(FuzzInputFolder(), ignored);
    std::_Exit(0);
  });
  ResourceProvider& resources = *DECS::Instance().Resources();
  for (const auto& entry : std::filesystem::directory_iterator("GAME/Assets/Materials")) {
    if (entry.path().extension() == ".json") resources.GetMaterial(entry.path().string());
  }
  DECS::Instance().GetManager<MessagingManager>()->PostFormatted("firstScene levelt_scene", 1);
  for (int pass = 0; pass < 120; ++pass) Step();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MessagingManager& messaging = *DECS::Instance().GetManager<MessagingManager>();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::size_t posted = 0; !text.empty() && posted < kMaxMessagesPerInput; ++posted) {
    const std::size_t end = text.find('\n');
    const std::string line(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    // As scripts and handlers post: through "%s", which cuts the text at a NUL and at 511
    // characters.
    messaging.PostFormatted("%s", 0, line.c_str());
  }
  messaging.DeliverQueued();
  KeepDiarySmall();

  static std::size_t inputs = 0;
  if (++inputs % kInputsPerUpdate != 0) return 0;
  // The update half of a pass (DECS::Update would also draw a frame), with the same skip flags.
  DECS& decs = DECS::Instance();
  const auto& systems = decs.GetManager<SystemManager>()->Systems();
  for (std::size_t i = 0; i < systems.size(); ++i) {
    BaseSystem& system = *systems[i].system;
    if ((decs.frozen && system.freezable) || (decs.paused && system.pausable)) continue;
    system.Update(decs.timeScale / 60.0f);
  }
  messaging.DeliverQueued();
  return 0;
}
