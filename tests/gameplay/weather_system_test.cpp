#include "gameplay/weather_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "components/particle_emitter.h"
#include "components/prefab_instantiation.h"
#include "components/sound_bank.h"
#include "components/sound_emitter.h"
#include "tests/render/render_test_scene.h"

namespace {

constexpr float kRate = 10.0f;

class WeatherSystemTest : public testing_support::RenderTestScene {
 protected:
  void SetUp() override {
    RenderTestScene::SetUp();
    weather = systems->RegisterSystem<WeatherSystem>().get();
    WeatherSystemLinks links;
    links.currentSceneName = [this] { return scene; };
    links.instantiatePrefab = [this](const std::string& prefab) {
      spawned.push_back(prefab);
      const int entity = CreateEntity(prefab);
      if (prefab != "rainSFX") {
        ParticleEmitter emitter;
        emitter._emissionRate = kRate;
        emitter._startVelocityRange = {0.0f, -5.0f, 0.0f};
        Add<ParticleEmitter>(entity, emitter);
      }
      return entity;
    };
    links.setWindScrollStrength = [this](float strength) { wind.push_back(strength); };
    links.fadeOutChannels = [this](const std::string& alias) { faded.push_back(alias); };
    weather->SetLinks(std::move(links));
  }

  void Load(const std::string& name) {
    scene = name;
    spawned.clear();
    messaging->PostFormatted("now_loading_scene", 1);
  }

  float Background(const char* name) const { return decs->globalUniforms.floats.at(name); }
  int Count(const std::string& prefab) const {
    return static_cast<int>(std::count(spawned.begin(), spawned.end(), prefab));
  }
  ParticleEmitter* Emitter(const std::string& name) {
    return components->GetComponent<ParticleEmitter>(entities->FindEntity(name));
  }
  // Runs updates of `step` seconds until `seconds` have passed.
  void Run(float seconds, float step = 0.5f) {
    for (float t = 0.0f; t < seconds; t += step) weather->Update(step);
  }

  WeatherSystem* weather = nullptr;
  std::string scene;
  std::vector<std::string> spawned;
  std::vector<float> wind;
  std::vector<std::string> faded;
};

TEST_F(WeatherSystemTest, RollDrawsThreeWeathersFromTheGivenEngine) {
  std::mt19937 random;  // default seed: the draws 3499211612, 581869302, 3890346734
  weather->RollWeather(random);
  EXPECT_EQ(weather->LevelWeather(1), 3);
  EXPECT_EQ(weather->LevelWeather(2), 0);
  EXPECT_EQ(weather->LevelWeather(3), 3);

  std::vector<int> seen(4, 0);
  for (int i = 0; i < 100; ++i) {
    weather->RollWeather(random);
    for (int level = 1; level <= 3; ++level)
      ++seen.at(static_cast<std::size_t>(weather->LevelWeather(level)));
  }
  for (int count : seen) EXPECT_GT(count, 30);
  EXPECT_FLOAT_EQ(Background("backgroundSaturation"), 1.0f) << "Init sets both to 1";
  EXPECT_FLOAT_EQ(Background("backgroundBrightness"), 1.0f);
}

TEST_F(WeatherSystemTest, LevelScenesSpawnTheirWeatherAndSetWindAndBackground) {
  struct Case {
    const char* scene;
    int level;
    int weather;
    std::vector<std::string> prefabs;  // each once unless counted below
    const char* extra;
    int extraCount;
    float wind;
    float saturation;
    float brightness;
  };
  const Case cases[] = {
      {"level1_scene",
       1,
       3,
       {"Level1RainParticles", "rainSFX"},
       "RainSplash",
       6,
       0.05f,
       0.4f,
       0.9f},
      {"level1_scene", 1, 2, {"Level1HeavyDustParticles"}, nullptr, 0, 0.07f, 1.0f, 1.0f},
      {"level2_scene",
       2,
       2,
       {"Level2StormyParticles", "rainSFX"},
       "Level2RainSplash",
       13,
       0.1f,
       0.7f,
       0.8f},
      {"level2_scene", 2, 3, {"Level2Fireflies"}, nullptr, 0, 0.05f, 1.0f, 1.0f},
      {"final_boss_test_scene",
       3,
       1,
       {"Level3RainParticles", "rainSFX"},
       "Level3RainSplash",
       6,
       0.05f,
       0.7f,
       0.8f},
      {"final_boss_test_scene", 3, 0, {"Level3CalmParticles"}, "flowerDust", 1, 0.02f, 1.0f, 1.0f},
  };
  for (const Case& test : cases) {
    weather->SetLevelWeather(test.level, test.weather);
    Load(test.scene);
    for (const std::string& prefab : test.prefabs) EXPECT_EQ(Count(prefab), 1) << prefab;
    if (test.extra != nullptr) {
      EXPECT_EQ(Count(test.extra), test.extraCount) << test.extra;
    }
    EXPECT_EQ(spawned.size(), test.prefabs.size() + static_cast<std::size_t>(test.extraCount))
        << test.scene << " " << test.weather;
    EXPECT_FLOAT_EQ(wind.back(), test.wind) << test.scene;
    EXPECT_FLOAT_EQ(Background("backgroundSaturation"), test.saturation) << test.scene;
    EXPECT_FLOAT_EQ(Background("backgroundBrightness"), test.brightness) << test.scene;
    // The scene goes with its entities before the next one loads.
    for (int entity = 0; entity < kMaxEntities; ++entity) decs->DestroyEntity(entity);
  }

  Load("options_scene");
  EXPECT_TRUE(spawned.empty()) << "other scenes spawn nothing";
}

TEST_F(WeatherSystemTest, TransitionBlendsTheBackgroundAndHandsOverHalfway) {
  weather->SetLevelWeather(1, 3);  // rain
  weather->SetLevelWeather(2, 0);  // calm
  Load("level1ToLevel2Transition_scene");
  ASSERT_TRUE(weather->Transitioning());
  EXPECT_EQ(Count("Level1RainParticles"), 1);
  EXPECT_EQ(Count("Level2CalmParticles"), 1);
  EXPECT_EQ(Count("rainSFX"), 1) << "the rain of the level left goes on";
  EXPECT_EQ(Count("RainSplash"), 0) << "no extras in a transition";
  ParticleEmitter* old = Emitter("Level1RainParticles");
  ParticleEmitter* fresh = Emitter("Level2CalmParticles");
  EXPECT_FLOAT_EQ(fresh->_startVelocityRange.y, -45.0f);
  EXPECT_EQ(fresh->_emissionRate, 0.0f);
  EXPECT_EQ(old->_emissionRate, kRate);

  const struct {
    float seconds;  // total time passed
    float saturation;
    float brightness;
  } blend[] = {{0.0f, 0.4f, 0.9f}, {4.5f, 0.55f, 0.925f}, {9.0f, 0.7f, 0.95f}};
  float passed = 0.0f;
  for (const auto& step : blend) {
    Run(step.seconds - passed);
    passed = step.seconds;
    weather->Update(0.0f);
    EXPECT_NEAR(Background("backgroundSaturation"), step.saturation, 1e-5f) << step.seconds;
    EXPECT_NEAR(Background("backgroundBrightness"), step.brightness, 1e-5f) << step.seconds;
    EXPECT_TRUE(weather->Transitioning()) << "not past the middle at " << step.seconds;
  }
  EXPECT_FLOAT_EQ(fresh->_emissionRate, 0.0f);

  weather->Update(0.5f);
  weather->Update(0.0f);  // past 9 s
  EXPECT_FALSE(weather->Transitioning());
  EXPECT_EQ(old->_emissionRate, 0.0f);
  EXPECT_EQ(fresh->_emissionRate, kRate) << "the new weather takes its own rate back";
  EXPECT_LT(entities->FindEntity("rainSFX"), 0) << "into a dry level the rain entity goes";
  EXPECT_EQ(faded, std::vector<std::string>{"AMBrain"});
  EXPECT_EQ(weather->OutgoingCount() + weather->IncomingCount(), 0u);
}

TEST_F(WeatherSystemTest, RainIntoRainKeepsOneAmbience) {
  weather->SetLevelWeather(1, 3);
  weather->SetLevelWeather(2, 2);
  Load("level1ToLevel2Transition_scene");
  Run(10.0f);
  EXPECT_FALSE(weather->Transitioning());
  EXPECT_EQ(Count("rainSFX"), 1);
  EXPECT_TRUE(faded.empty());
}

TEST_F(WeatherSystemTest, LeavingATransitionEarlyEndsIt) {
  weather->SetLevelWeather(1, 0);
  weather->SetLevelWeather(2, 2);  // the midpoint would start the rain
  Load("level1ToLevel2Transition_scene");
  Run(3.0f);
  Load("main_menu_scene");
  EXPECT_FALSE(weather->Transitioning());
  Run(10.0f);
  EXPECT_EQ(Count("rainSFX"), 0) << "no rain ambience spawned into the main menu";

  // The scene changed under a transition without a message: the midpoint does nothing.
  Load("level1ToLevel2Transition_scene");
  scene = "main_menu_scene";
  Run(10.0f);
  EXPECT_EQ(Count("rainSFX"), 0);
  EXPECT_FALSE(weather->Transitioning());
}

TEST_F(WeatherSystemTest, TransitionNeverWritesToEntitiesThatWentAway) {
  Load("level0ToLevel1Transition_scene");
  EXPECT_EQ(weather->OutgoingCount(), 0u) << "the first transition leaves no level";
  ASSERT_EQ(weather->IncomingCount(), 1u);
  const int incoming = entities->FindEntity("Level1CalmParticles");
  decs->DestroyEntity(incoming);
  // The freed id goes to another emitter, which the hand-over must leave alone.
  const int other = CreateEntity("sparks");
  ASSERT_EQ(other, incoming);
  ParticleEmitter sparks;
  sparks._emissionRate = 3.0f;
  Add<ParticleEmitter>(other, sparks);
  Run(10.0f);
  EXPECT_FALSE(weather->Transitioning());
  EXPECT_EQ(components->GetComponent<ParticleEmitter>(other)->_emissionRate, 3.0f);

  // A prefab that does not load (-1) is skipped.
  WeatherSystemLinks failing;
  failing.currentSceneName = [this] { return scene; };
  failing.instantiatePrefab = [](const std::string&) { return -1; };
  weather->SetLinks(std::move(failing));
  Load("level1ToLevel2Transition_scene");
  EXPECT_TRUE(weather->Transitioning());
  EXPECT_EQ(weather->IncomingCount(), 0u);
  Run(10.0f);
  EXPECT_FALSE(weather->Transitioning());
}

TEST_F(WeatherSystemTest, EveryPrefabOfTheTableReadsWithItsComponents) {
  testing::internal::CaptureStdout();
  for (int level = 1; level <= WeatherSystem::kLevels; ++level) {
    for (int kind = 0; kind < WeatherSystem::kWeathers; ++kind) {
      const WeatherRow& row = WeatherSystem::Row(level, kind);
      for (const char* prefab : {row.particles, row.extra}) {
        if (prefab == nullptr) continue;
        const int entity = InstantiatePrefabInScene(prefab, "", "");
        EXPECT_NE(components->GetComponent<ParticleEmitter>(entity), nullptr) << prefab;
        decs->DestroyEntity(entity);
      }
    }
  }
  const int rain = InstantiatePrefabInScene(WeatherSystem::kRainPrefab, "", "");
  testing::internal::GetCapturedStdout();
  ASSERT_NE(components->GetComponent<SoundBank>(rain), nullptr);
  EXPECT_TRUE(components->GetComponent<SoundBank>(rain)->_loop);
  ASSERT_NE(components->GetComponent<SoundEmitter>(rain), nullptr);
  EXPECT_EQ(components->GetComponent<SoundEmitter>(rain)->_soundAlias, WeatherSystem::kRainSound);
}

}  // namespace
