#include "gameplay/weather_system.h"

#include <algorithm>
#include <cstdint>

#include "components/particle_emitter.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/message_text.h"
#include "engine/random_engines.h"
#include "engine/system_manager.h"

namespace {

// Rows by level, then weather.
constexpr WeatherRow kWeatherTable[WeatherSystem::kLevels][WeatherSystem::kWeathers] = {
    {
        {"Level1CalmParticles", nullptr, 0, 0.03f, 1.0f, 1.0f, false},
        {"Level1DustParticles", nullptr, 0, 0.05f, 1.0f, 1.0f, false},
        {"Level1HeavyDustParticles", nullptr, 0, 0.07f, 1.0f, 1.0f, false},
        {"Level1RainParticles", "RainSplash", 6, 0.05f, 0.4f, 0.9f, true},
    },
    {
        {"Level2CalmParticles", nullptr, 0, 0.03f, 1.0f, 1.0f, false},
        {"Level2DustParticles", nullptr, 0, 0.05f, 1.0f, 1.0f, false},
        {"Level2StormyParticles", "Level2RainSplash", 13, 0.1f, 0.7f, 0.8f, true},
        {"Level2Fireflies", nullptr, 0, 0.05f, 1.0f, 1.0f, false},
    },
    {
        {"Level3CalmParticles", "flowerDust", 1, 0.02f, 1.0f, 1.0f, false},
        {"Level3RainParticles", "Level3RainSplash", 6, 0.05f, 0.7f, 0.8f, true},
        {"Level3LanternParticles", "flowerDust", 1, 0.05f, 1.0f, 1.0f, false},
        {"Level3Fireflies", "flowerDust", 1, 0.05f, 1.0f, 1.0f, false},
    },
};

// The scene of each level, and the transition scene that leads into it.
constexpr const char* kLevelScenes[WeatherSystem::kLevels] = {"level1_scene", "level2_scene",
                                                              "final_boss_test_scene"};
constexpr const char* kTransitionScenes[WeatherSystem::kLevels] = {
    "level0ToLevel1Transition_scene", "level1ToLevel2Transition_scene",
    "level2ToLevel3Transition_scene"};

// An unbiased integer in [0, n) from one or more 32-bit draws: the high half of draw * n,
// drawing again while the low half falls in the biased sliver.
std::uint32_t BoundedDraw(std::mt19937& random, std::uint32_t n) {
  const std::uint32_t threshold = (0u - n) % n;
  while (true) {
    const std::uint64_t product = static_cast<std::uint64_t>(random()) * n;
    if (static_cast<std::uint32_t>(product) >= threshold) {
      return static_cast<std::uint32_t>(product >> 32);
    }
  }
}

}  // namespace

const WeatherRow& WeatherSystem::Row(int level, int weather) {
  const int l = std::clamp(level, 1, kLevels) - 1;
  const int w = std::clamp(weather, 0, kWeathers - 1);
  return kWeatherTable[l][w];
}

void WeatherSystem::Init() {
  level = 1;
  engine = &DECS::Instance();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<WeatherSystem>(), {});
  }
  SetBackground(1.0f, 1.0f);
}

void WeatherSystem::RollWeather() { RollWeather(DECS::Instance().randomEngines.standard); }

void WeatherSystem::RollWeather(std::mt19937& random) {
  for (int& weather : levelWeather) {
    weather = static_cast<int>(BoundedDraw(random, static_cast<std::uint32_t>(kWeathers)));
  }
}

int WeatherSystem::LevelWeather(int levelNumber) const {
  return levelWeather[static_cast<std::size_t>(std::clamp(levelNumber, 1, kLevels) - 1)];
}

void WeatherSystem::SetLevelWeather(int levelNumber, int weather) {
  if (levelNumber < 1 || levelNumber > kLevels) return;
  levelWeather[static_cast<std::size_t>(levelNumber - 1)] = std::clamp(weather, 0, kWeathers - 1);
}

void WeatherSystem::HandleMessage(const std::string& message) {
  if (!IsMessage(message, "now_loading_scene") || engine == nullptr) return;
  LoadScene(links.currentSceneName ? links.currentSceneName() : std::string());
}

void WeatherSystem::LoadScene(const std::string& scene) {
  for (int i = 0; i < kLevels; ++i) {
    const int levelNumber = i + 1;
    if (scene == kLevelScenes[i]) {
      EndTransition();
      LevelPreset(levelNumber, PresetMode::Normal, nullptr);
      if (Row(levelNumber, LevelWeather(levelNumber)).rain) SpawnRainOnce();
      return;
    }
    if (scene == kTransitionScenes[i]) {
      // The list of the level left is refilled from its weather, and is empty for the first
      // transition of a run, which leaves no level.
      outgoing.clear();
      if (levelNumber > 1) LevelPreset(levelNumber - 1, PresetMode::Transition, &outgoing);
      LevelPreset(levelNumber, PresetMode::Transition, &incoming);
      StartTransition(i);
      transitionScene = scene;
      return;
    }
  }
  // Any other scene: a transition left early (back to the main menu) ends here.
  EndTransition();
}

int WeatherSystem::Spawn(const std::string& prefab) {
  return links.instantiatePrefab ? links.instantiatePrefab(prefab) : -1;
}

void WeatherSystem::SpawnRainOnce() {
  const auto entities = engine->GetManager<EntityManager>();
  if (entities && entities->FindEntity(kRainPrefab) >= 0) return;
  Spawn(kRainPrefab);
}

void WeatherSystem::SetBackground(float saturation, float brightness) {
  if (engine == nullptr) return;
  engine->globalUniforms.floats["backgroundSaturation"] = saturation;
  engine->globalUniforms.floats["backgroundBrightness"] = brightness;
}

ParticleEmitter* WeatherSystem::EmitterOf(const TrackedEmitter& tracked) const {
  const auto entities = engine->GetManager<EntityManager>();
  const auto components = engine->GetManager<ComponentManager>();
  if (!entities || !components || !entities->IsAlive(tracked.entity)) return nullptr;
  // An id that was freed and handed out again names another entity.
  if (entities->GetName(tracked.entity) != tracked.name) return nullptr;
  return components->GetComponent<ParticleEmitter>(tracked.entity);
}

void WeatherSystem::LevelPreset(int levelNumber, PresetMode mode,
                                std::vector<TrackedEmitter>* list) {
  const WeatherRow& row = Row(levelNumber, LevelWeather(levelNumber));
  if (mode == PresetMode::Transition) {
    list->clear();
    const int entity = Spawn(row.particles);
    const auto entities = engine->GetManager<EntityManager>();
    if (entity >= 0 && entities) {
      TrackedEmitter tracked{entity, entities->GetName(entity), 0.0f};
      if (ParticleEmitter* emitter = EmitterOf(tracked)) {
        emitter->_startVelocityRange.y -= kTransitionFall;
        emitter->_endVelocityRange.y -= kTransitionFall;
        tracked.rate = emitter->_emissionRate;
        list->push_back(std::move(tracked));
      }
    }
  } else {
    Spawn(row.particles);
    for (int i = 0; row.extra != nullptr && i < row.extraCount; ++i) Spawn(row.extra);
  }
  if (links.setWindScrollStrength) links.setWindScrollStrength(row.wind);
  SetBackground(row.saturation, row.brightness);
}

void WeatherSystem::StartTransition(int into) {
  transitioning = true;
  transitionTimer = 0.0f;
  for (const TrackedEmitter& tracked : incoming) {
    if (ParticleEmitter* emitter = EmitterOf(tracked)) emitter->_emissionRate = 0.0f;
  }
  fromSaturation = 1.0f;
  fromBrightness = 1.0f;
  if (into > 0) {
    const WeatherRow& left = Row(into, LevelWeather(into));
    fromSaturation = left.saturation;
    fromBrightness = left.brightness;
    if (left.rain) SpawnRainOnce();
  }
  const WeatherRow& entered = Row(into + 1, LevelWeather(into + 1));
  toSaturation = entered.saturation;
  toBrightness = entered.brightness;
  toRain = entered.rain;
}

void WeatherSystem::Update(float dt) {
  if (!transitioning || engine == nullptr) return;
  const float progress = transitionTimer / kBlendSeconds;
  const float f = std::clamp(progress, 0.0f, 1.0f);
  SetBackground((1.0f - f) * fromSaturation + f * toSaturation,
                (1.0f - f) * fromBrightness + f * toBrightness);
  if (progress > 0.5f) {
    HandOver();
    return;
  }
  transitionTimer += dt;
}

void WeatherSystem::HandOver() {
  const std::string scene = links.currentSceneName ? links.currentSceneName() : std::string();
  // Only inside the transition scene: its particles and ambience are the ones handed over.
  if (scene == transitionScene) {
    for (const TrackedEmitter& tracked : outgoing) {
      if (ParticleEmitter* emitter = EmitterOf(tracked)) emitter->_emissionRate = 0.0f;
    }
    for (const TrackedEmitter& tracked : incoming) {
      if (ParticleEmitter* emitter = EmitterOf(tracked)) emitter->_emissionRate = tracked.rate;
    }
    if (toRain) {
      SpawnRainOnce();
    } else if (const auto entities = engine->GetManager<EntityManager>()) {
      const int rain = entities->FindEntity(kRainPrefab);
      if (rain >= 0) {
        engine->DestroyEntity(rain);
        if (links.fadeOutChannels) links.fadeOutChannels(kRainSound);
      }
    }
  }
  EndTransition();
}

void WeatherSystem::EndTransition() {
  transitioning = false;
  outgoing.clear();
  incoming.clear();
  transitionScene.clear();
}
