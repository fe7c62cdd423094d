// The whole game drawing a scene in its 1280 x 720 window: start-up as the game does it, then the
// named scene, then frames of the game loop (DECS::Update, which updates every system, renders
// and swaps). The loop runs on a clock that moves 1/60 s per pass, so every pass is one update
// and one frame, as at sixty frames a second; glFinish after each pass keeps the driver from
// queueing frames, so a frame's time includes its rasterising. Timing starts once the scene has
// faded in.
//
// Reported per scene, over the timed frames:
//   median_ms, p95_ms     wall time of a frame
//   main_cpu_ms           CPU time of the main thread per frame (the engine and the driver's
//                         work on the calling thread)
//   other_cpu_ms          CPU time of every other thread of the process per frame (the GL
//                         driver's rasterising threads, the audio mixer)
//
//   xvfb-run -a -s "-screen 0 1280x720x24" build/release/bench/bench_frame_time
//   ... bench_frame_time --scene=level_one        # another scene (repeatable); replaces the list
//   ... bench_frame_time --mode=2                 # a graphics mode (settings "GraphicsMode")
// Started in a folder that holds a GAME/ data tree, it reads that one, else the repository's.
// The user's settings are not touched: the game's save folder is a temporary one.

#include <benchmark/benchmark.h>
#include <glad/gl.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"
#include "bench/support/game_loop.h"
#include "bench/support/quiet_stdout.h"
#include "engine/decs.h"
#include "engine/engine_clock.h"
#include "engine/messaging_manager.h"
#include "render/resource_cache.h"

namespace {

constexpr int kTimedFrames = 300;
constexpr int kMaxFadeFrames = 600;

// A fresh save folder holding settings.json for a 1280 x 720 window in the given mode.
void PrepareSaveFolder(int graphicsMode) {
  static const std::filesystem::path home = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kelvaris-frame-time-XXXXXX").string();
    return std::filesystem::path(mkdtemp(pattern.data()));
  }();
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  std::filesystem::remove_all(home / "Corvane");
  CreateUserFolders();
  std::ofstream(home / "Corvane" / "Kelvaris" / "settings.json")
      << "{\"Fullscreen\": 0, \"GraphicsMode\": " << graphicsMode
      << ", \"WindowedResolution.X\": 1280, \"WindowedResolution.Y\": 720}\n";
}

void BM_FrameTime(benchmark::State& state, const std::string& scene, int graphicsMode) {
  PrepareSaveFolder(graphicsMode);
  auto ownedClock = std::make_unique<StepClock>();
  StepClock& clock = *ownedClock;
  std::vector<double> frames;
  frames.reserve(kTimedFrames);
  double mainCpu = 0.0;
  double processCpu = 0.0;
  {
    QuietStdout quiet;
    DECS::CreateInstance(std::move(ownedClock));
    StartEngine();
    DECS& decs = DECS::Instance();
    MessagingManager& messaging = *decs.GetManager<MessagingManager>();
    if (scene != "splash_scene") messaging.PostFormatted("firstScene %s", 1, scene.c_str());
    const auto pass = [&] {
      clock.now += 1.0 / 60.0;
      decs.Update();
      glFinish();
    };
    for (int frame = 0; frame < kMaxFadeFrames; ++frame) {
      if (std::stof(messaging.PostFormatted("get_scene_timer", 1)) <= 0.0f) break;
      pass();
    }
    for (int frame = 0; frame < 10; ++frame) pass();

    for (auto _ : state) {
      const double mainBefore = ClockSeconds(CLOCK_THREAD_CPUTIME_ID);
      const double processBefore = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
      const double wallBefore = WallSeconds();
      pass();
      const double wall = WallSeconds() - wallBefore;
      mainCpu += ClockSeconds(CLOCK_THREAD_CPUTIME_ID) - mainBefore;
      processCpu += ClockSeconds(CLOCK_PROCESS_CPUTIME_ID) - processBefore;
      frames.push_back(wall);
      state.SetIterationTime(wall);
    }
    StopEngine();
  }
  const double count = static_cast<double>(frames.size());
  state.counters["median_ms"] = Percentile(frames, 0.5) * 1e3;
  state.counters["p95_ms"] = Percentile(frames, 0.95) * 1e3;
  state.counters["main_cpu_ms"] = mainCpu / count * 1e3;
  state.counters["other_cpu_ms"] = (processCpu - mainCpu) / count * 1e3;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> scenes;
  int graphicsMode = 0;
  std::vector<char*> remaining;
  for (int index = 0; index < argc; ++index) {
    const std::string_view argument(argv[index]);
    if (argument.starts_with("--scene=")) {
      scenes.emplace_back(argument.substr(8));
    } else if (argument.starts_with("--mode=")) {
      graphicsMode = std::stoi(std::string(argument.substr(7)));
    } else {
      remaining.push_back(argv[index]);
    }
  }
  if (scenes.empty()) scenes = {"splash_scene", "main_menu_scene"};
  if (!EnterGameData(KELVARIS_SOURCE_DIR)) return 1;
  for (const std::string& scene : scenes) {
    benchmark::RegisterBenchmark(
        ("FrameTime/" + scene + "/mode:" + std::to_string(graphicsMode)).c_str(), BM_FrameTime,
        scene, graphicsMode)
        ->Iterations(kTimedFrames)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
  int remainingCount = static_cast<int>(remaining.size());
  benchmark::Initialize(&remainingCount, remaining.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
