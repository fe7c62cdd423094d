#include "gameplay/slam_attack_system.h"

#include "engine/decs.h"
#include "engine/message_text.h"
#include "engine/system_manager.h"

std::string SlamAttackSystem::UniformName(int index) {
  return "waveData[" + std::to_string(index) + "]";
}

namespace {

// The nine uniform names, built once so the update allocates nothing once the entries exist.
const std::array<std::string, SlamAttackSystem::kMaxWaves>& UniformNames() {
  static const std::array<std::string, SlamAttackSystem::kMaxWaves> names = [] {
    std::array<std::string, SlamAttackSystem::kMaxWaves> built;
    for (int i = 0; i < SlamAttackSystem::kMaxWaves; ++i) {
      built[static_cast<std::size_t>(i)] = SlamAttackSystem::UniformName(i);
    }
    return built;
  }();
  return names;
}

}  // namespace

void SlamAttackSystem::Init() {
  level = 1;
  engine = &DECS::Instance();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<SlamAttackSystem>(), {});
  }
}

void SlamAttackSystem::HandleMessage(const std::string& message) {
  if (!IsMessage(message, "StartWave")) return;
  constexpr std::size_t kFields = 6;
  std::array<std::string_view, kFields> words{};
  if (!SplitMessageArguments(message, words.data(), kFields)) return;
  std::array<float, kFields> numbers{};
  for (std::size_t i = 0; i < kFields; ++i) {
    if (!ReadMessageFloat(words[i], numbers[i])) return;
  }
  for (Wave& wave : waves) {
    if (wave.active) continue;
    wave.data.origin = {numbers[0], numbers[1]};
    wave.data.time = 0.0f;
    wave.data.dist = numbers[2];
    wave.data.height = numbers[3];
    wave.data.width = numbers[4];
    wave.data.speed = numbers[5];
    wave.active = true;
    return;
  }
}

void SlamAttackSystem::Update(float dt) {
  for (Wave& wave : waves) {
    if (!wave.active) continue;
    wave.data.time += dt;
    if (wave.data.time > kWaveLifetime) {
      wave.active = false;
      wave.data.time = 0.0f;
    }
  }
  if (engine == nullptr) return;
  for (int i = 0; i < kMaxWaves; ++i) {
    engine->globalUniforms.waves[UniformNames()[static_cast<std::size_t>(i)]] =
        waves[static_cast<std::size_t>(i)].data;
  }
}
