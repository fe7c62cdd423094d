// The whole game replaying a recorded run again and again for a long time, to show that memory
// stays flat and nothing goes wrong on the way. Each replay starts the game as it starts for a
// player (window, systems, the splash), plays the recording back frame by frame on a clock that
// moves 1/60 s per pass, and shuts the game down; then the next replay begins, until the time is
// up. The recording is made here: a fixed pattern of presses, axis moves and cursor moves over
// every action, with fixed random seeds.
//
// Once a minute it prints a line to standard error:
//   minute  rss_mb  median_ms  p95_ms  replays  error_lines
// and after each replay a line of that replay alone:
//   replay  N  end_rss_mb  after_rss_mb  trimmed_rss_mb  median_ms  p95_ms
// where end_rss_mb is resident memory after the replay's last frame (the same moment of every
// replay, so replays compare like with like), after_rss_mb after the game shut down, and
// trimmed_rss_mb after that once the C library has handed its free pages back to the system
// (malloc_trim). The allocator keeps freed pages for reuse, so the first two grow over the first
// few replays until its pools reach their working size; what the game still holds after a
// shutdown is the trimmed figure, and a leak across replays shows there. A minute's sample falls
// wherever the replay happens to be (loading, a menu, a level), so the minute curve swings with
// the replay. At the end it reports, as benchmark counters, the replay-end and the trimmed
// resident memory of the first and of the last replay with their growth in percent, the frame
// medians of the first and the last replay and the number of error lines the game printed (lines
// holding "error" or "fail" in any case, except the sound back end's own "ALSA lib" lines on a
// machine without a sound card; the first few are shown).
//
//   xvfb-run -a -s "-screen 0 1280x720x24" build/release/bench/bench_soak --minutes=30
// The user's files are not touched: home, save and documents folders are temporary ones.

#include <benchmark/benchmark.h>
#include <glad/gl.h>
#include <malloc.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"
#include "bench/support/game_loop.h"
#include "engine/decs.h"
#include "engine/engine_clock.h"
#include "engine/json_file.h"
#include "platform/game_action.h"
#include "platform/input_recording.h"
#include "render/resource_cache.h"

namespace {

constexpr int kReplayFrames = 60 * 60;  // one minute of play per replay

double ResidentMegabytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// Every action pressed for a while at its own rhythm (triggered, held, released, idle), the
// axes swinging and the cursor drawing circles.
InputRecording MakeRecording() {
  InputRecording recording;
  recording.standardSeed = 1234;
  recording.gameplaySeed = 5678;
  for (int frame = 0; frame < kReplayFrames; ++frame) {
    RecordedFrame recorded;
    recorded.frameIndex = frame;
    for (int action = 0; action < kGameActionCount; ++action) {
      const int period = 90 + 17 * action;
      const int phase = frame % period;
      ButtonState state = ButtonState::FALSE;
      if (phase == 0)
        state = ButtonState::TRIGGERED;
      else if (phase < 10)
        state = ButtonState::TRUE;
      else if (phase == 10)
        state = ButtonState::RELEASED;
      recorded.states[static_cast<std::size_t>(action)] = state;
      recorded.ranges[static_cast<std::size_t>(action)] =
          static_cast<float>(((frame + 13 * action) % 120) - 60) / 60.0f;
    }
    recording.frames.push_back(recorded);
  }
  return recording;
}

// Points HOME, the save folder and the documents folder at a fresh temporary home holding the
// recording and a 1280 x 720 windowed settings file.
std::filesystem::path PrepareHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kelvaris-soak-XXXXXX").string();
  const std::filesystem::path home(mkdtemp(pattern.data()));
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  CreateUserFolders();
  std::ofstream(home / "data" / "Corvane" / "Kelvaris" / "settings.json")
      << "{\"Fullscreen\": 0, \"WindowedResolution.X\": 1280, \"WindowedResolution.Y\": 720}\n";
  std::filesystem::create_directories(RecordingFolder());
  JsonFile file;
  file.document = RecordingToJson(MakeRecording());
  std::string path = RecordingPath();
  SaveJsonFile(file, path);
  return home;
}

// Standard output and error go to a log file for the life of the object.
class OutputToLog {
 public:
  explicit OutputToLog(const std::filesystem::path& path) {
    std::fflush(stdout);
    std::fflush(stderr);
    savedOut = dup(STDOUT_FILENO);
    savedErr = dup(STDERR_FILENO);
    if (std::freopen(path.c_str(), "a", stdout) != nullptr) dup2(STDOUT_FILENO, STDERR_FILENO);
  }
  ~OutputToLog() {
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(savedOut, STDOUT_FILENO);
    dup2(savedErr, STDERR_FILENO);
    close(savedOut);
    close(savedErr);
  }
  OutputToLog(const OutputToLog&) = delete;
  OutputToLog& operator=(const OutputToLog&) = delete;

 private:
  int savedOut = -1;
  int savedErr = -1;
};

// Lines of the log from `offset` on that hold "error" or "fail" in any case; moves `offset`.
std::vector<std::string> NewErrorLines(const std::filesystem::path& log, std::streamoff& offset) {
  std::ifstream file(log);
  file.seekg(offset);
  std::vector<std::string> found;
  std::string line;
  while (std::getline(file, line)) {
    std::string lower = line;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // The sound library's back end prints its own complaints when the machine has no sound
    // card; they are not the game's.
    if (line.starts_with("ALSA lib ")) continue;
    if (lower.find("error") != std::string::npos || lower.find("fail") != std::string::npos) {
      found.push_back(line);
    }
  }
  file.clear();
  file.seekg(0, std::ios::end);
  offset = file.tellg();
  return found;
}

// One replay of the recording from start-up to shutdown; the wall time of each frame is added
// to `frames`, and `afterFrame` runs after each. Returns the resident memory after the last
// frame, before the game shuts down.
template <typename AfterFrame>
double Replay(std::vector<double>& frames, AfterFrame&& afterFrame) {
  auto ownedClock = std::make_unique<StepClock>();
  StepClock& clock = *ownedClock;
  DECS::CreateInstance(std::move(ownedClock));
  StartEngine();
  DECS& decs = DECS::Instance();
  for (int frame = 0; frame < kReplayFrames && !decs.quit; ++frame) {
    const double before = WallSeconds();
    clock.now += 1.0 / 60.0;
    decs.Update();
    glFinish();
    frames.push_back(WallSeconds() - before);
    afterFrame();
  }
  const double endRss = ResidentMegabytes();
  StopEngine();
  return endRss;
}

void BM_Soak(benchmark::State& state, double minutes) {
  const std::filesystem::path home = PrepareHome();
  const std::filesystem::path log = home / "game.log";
  std::streamoff logOffset = 0;
  std::vector<std::string> errors;
  double firstRss = 0.0;
  double lastRss = 0.0;
  double firstTrimmedRss = 0.0;
  double lastTrimmedRss = 0.0;
  double firstMedian = 0.0;
  double lastMedian = 0.0;
  std::vector<double> replayFrames;
  // The curve goes to the standard error the program started with: the game's output is
  // redirected to the log while it runs.
  std::FILE* report = fdopen(dup(STDERR_FILENO), "w");
  for (auto _ : state) {
    const double start = WallSeconds();
    double nextSample = start + 60.0;
    int minute = 0;
    int replays = 0;
    std::vector<double> frames;
    std::fprintf(report, "minute  rss_mb  median_ms  p95_ms  replays  error_lines\n");
    std::fflush(report);
    const auto sample = [&] {
      if (WallSeconds() < nextSample) return;
      nextSample += 60.0;
      ++minute;
      std::fprintf(report, "%6d  %6.1f  %9.2f  %6.2f  %7d  %11zu\n", minute, ResidentMegabytes(),
                   Percentile(frames, 0.5) * 1e3, Percentile(frames, 0.95) * 1e3, replays,
                   errors.size());
      std::fflush(report);
      frames.clear();
    };
    while (WallSeconds() - start < minutes * 60.0) {
      double endRss = 0.0;
      {
        OutputToLog quiet(log);
        endRss = Replay(frames, [&] {
          replayFrames.push_back(frames.back());
          sample();
        });
      }
      ++replays;
      const double afterRss = ResidentMegabytes();
      malloc_trim(0);
      const double trimmedRss = ResidentMegabytes();
      const double median = Percentile(replayFrames, 0.5) * 1e3;
      if (replays == 1) {
        firstRss = endRss;
        firstTrimmedRss = trimmedRss;
        firstMedian = median;
      }
      lastRss = endRss;
      lastTrimmedRss = trimmedRss;
      lastMedian = median;
      std::fprintf(report, "replay %3d  %6.1f  %6.1f  %6.1f  %9.2f  %6.2f\n", replays, endRss,
                   afterRss, trimmedRss, median, Percentile(replayFrames, 0.95) * 1e3);
      std::fflush(report);
      replayFrames.clear();
      for (std::string& line : NewErrorLines(log, logOffset)) errors.push_back(std::move(line));
    }
  }
  std::fclose(report);
  for (std::size_t index = 0; index < errors.size() && index < 5; ++index) {
    std::fprintf(stderr, "error line: %s\n", errors[index].c_str());
  }
  state.counters["rss_first_replay_mb"] = firstRss;
  state.counters["rss_last_replay_mb"] = lastRss;
  const auto growth = [](double first, double last) {
    return first > 0.0 ? (last - first) / first * 100.0 : 0.0;
  };
  state.counters["rss_growth_pct"] = growth(firstRss, lastRss);
  state.counters["rss_trimmed_first_replay_mb"] = firstTrimmedRss;
  state.counters["rss_trimmed_last_replay_mb"] = lastTrimmedRss;
  state.counters["rss_trimmed_growth_pct"] = growth(firstTrimmedRss, lastTrimmedRss);
  state.counters["median_first_replay_ms"] = firstMedian;
  state.counters["median_last_replay_ms"] = lastMedian;
  state.counters["error_lines"] = static_cast<double>(errors.size());
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
}

}  // namespace

int main(int argc, char** argv) {
  double minutes = 30.0;
  std::vector<char*> remaining;
  for (int index = 0; index < argc; ++index) {
    const std::string_view argument(argv[index]);
    if (argument.starts_with("--minutes=")) {
      minutes = std::stod(std::string(argument.substr(10)));
    } else {
      remaining.push_back(argv[index]);
    }
  }
  if (!EnterGameData(KELVARIS_SOURCE_DIR)) return 1;
  benchmark::RegisterBenchmark(
      ("Soak/minutes:" + std::to_string(static_cast<int>(minutes))).c_str(), BM_Soak, minutes)
      ->Iterations(1)
      ->Unit(benchmark::kSecond);
  int remainingCount = static_cast<int>(remaining.size());
  benchmark::Initialize(&remainingCount, remaining.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
