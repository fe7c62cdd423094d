// Cost of a string message through the engine's receiver tree, and of one main-loop pass.
// The tree is the game's shape: DECS over the four managers, 26 systems under the
// SystemManager, each checking a few command words of its own.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string_view>
#include <utility>

#include "bench/support/quiet_stdout.h"
#include "engine/decs.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"

namespace {

constexpr int kSystemCount = 26;

constexpr std::array<std::string_view, kSystemCount> kSystemNames = {
    "class BenchSystem0",  "class BenchSystem1",  "class BenchSystem2",  "class BenchSystem3",
    "class BenchSystem4",  "class BenchSystem5",  "class BenchSystem6",  "class BenchSystem7",
    "class BenchSystem8",  "class BenchSystem9",  "class BenchSystem10", "class BenchSystem11",
    "class BenchSystem12", "class BenchSystem13", "class BenchSystem14", "class BenchSystem15",
    "class BenchSystem16", "class BenchSystem17", "class BenchSystem18", "class BenchSystem19",
    "class BenchSystem20", "class BenchSystem21", "class BenchSystem22", "class BenchSystem23",
    "class BenchSystem24", "class BenchSystem25"};

// A system that knows three words, none of which the benchmark sends.
template <int Index>
class BenchSystem : public BaseSystem {
 public:
  void HandleMessage(const std::string& message) override {
    if (IsMessage(message, "bench_first")) {
      ++handled;
    } else if (IsMessage(message, "bench_second")) {
      ++handled;
    } else if (IsMessage(message, "bench_third")) {
      ++handled;
    }
  }
  int handled = 0;
};

}  // namespace

template <int Index>
struct TypeNameOf<BenchSystem<Index>> {
  static constexpr std::string_view value = kSystemNames[Index];
};

namespace {

template <int... Indices>
void RegisterBenchSystems(SystemManager& systems, std::integer_sequence<int, Indices...>) {
  (systems.RegisterSystem<BenchSystem<Indices>>(), ...);
}

// An engine with 26 systems, built quietly and torn down at the end of the benchmark.
class BenchEngine {
 public:
  BenchEngine() {
    const QuietStdout quiet;
    DECS::CreateInstance();
    CreateManagers();
    RegisterBenchSystems(*DECS::Instance().GetManager<SystemManager>(),
                         std::make_integer_sequence<int, kSystemCount>());
  }
  ~BenchEngine() { DECS::Instance().Shutdown(); }
  MessagingManager& Messaging() { return *DECS::Instance().GetManager<MessagingManager>(); }
};

void BM_PostToSystemsNoneKnowsTheWord(benchmark::State& state) {
  BenchEngine engine;
  MessagingManager& messaging = engine.Messaging();
  for (auto _ : state) benchmark::DoNotOptimize(messaging.PostFormatted("unknown_word 1", 1));
}
BENCHMARK(BM_PostToSystemsNoneKnowsTheWord);

void BM_PostToEveryReceiver(benchmark::State& state) {
  BenchEngine engine;
  MessagingManager& messaging = engine.Messaging();
  for (auto _ : state) benchmark::DoNotOptimize(messaging.PostFormatted("unknown_word 1", 0));
}
BENCHMARK(BM_PostToEveryReceiver);

void BM_UpdatePassWith26EmptySystems(benchmark::State& state) {
  BenchEngine engine;
  DECS& decs = DECS::Instance();
  decs.ups = -1.0f;  // a negative rate opens both gates on every pass
  decs.fps = -1.0f;
  for (auto _ : state) decs.Update();
}
BENCHMARK(BM_UpdatePassWith26EmptySystems);

}  // namespace
