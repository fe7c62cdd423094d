#pragma once
// WeatherSystem: the weather of the three levels of a run.
//
// RollWeather gives each level one of four weathers (0..3) when a run starts. When a level
// scene loads ("now_loading_scene"), the level's weather spawns its particle prefabs, sets the
// wind's scroll strength, the shader values "backgroundSaturation" and "backgroundBrightness",
// and, for rain, the rain ambience "rainSFX". A transition scene between two levels spawns the
// particles of both weathers (falling 40 units faster), starts the new one silent and blends the
// background from the old level's values toward the new one's over 18 seconds; after 9 seconds
// the old particles stop, the new ones take their own emission rate, and the rain ambience
// starts or fades out ("AMBrain"). The blend ends there; the next level scene sets the final
// values.
//
// Prefabs are spawned into the current scene, so they go with it. The system keeps entity ids
// (with the name each had) rather than component pointers and checks each id before writing to
// it; both lists empty whenever a transition ends or a scene loads. Loading any other scene
// during a transition ends the transition.

#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/base_system.h"
#include "engine/type_name.h"

class DECS;

// What the weather asks of the systems around it; filled by the composition root. Unset links
// do nothing (and a missing scene name matches no scene).
struct WeatherSystemLinks {
  // The name of the scene being loaded or shown.
  std::function<std::string()> currentSceneName;
  // Creates the prefab in the current scene; returns its entity id, or -1.
  std::function<int(const std::string& prefab)> instantiatePrefab;
  // The wind's gust scroll strength.
  std::function<void(float)> setWindScrollStrength;
  // Fades out every sound channel playing the alias.
  std::function<void(const std::string& alias)> fadeOutChannels;
};

// One weather of one level.
struct WeatherRow {
  const char* particles;
  // Spawned `extraCount` times after the particles, in a level scene only.
  const char* extra;
  int extraCount;
  float wind;
  float saturation;
  float brightness;
  bool rain;
};

class WeatherSystem : public BaseSystem {
 public:
  static constexpr int kLevels = 3;
  static constexpr int kWeathers = 4;
  // Seconds of the whole blend; the hand-over happens at its middle.
  static constexpr float kBlendSeconds = 18.0f;
  // How much faster transition particles fall (units per second, subtracted from y).
  static constexpr float kTransitionFall = 40.0f;
  static constexpr const char* kRainPrefab = "rainSFX";
  static constexpr const char* kRainSound = "AMBrain";

  // The row of `weather` (0..3) for `level` (1..3); out-of-range values are clamped.
  static const WeatherRow& Row(int level, int weather);

  void HandleMessage(const std::string& message) override;
  // Registers the empty signature; the background values start at 1.
  void Init() override;
  void Update(float dt) override;

  // Three draws of 0..3 from the standard random engine, for levels 1, 2 and 3.
  void RollWeather();
  void RollWeather(std::mt19937& random);

  void SetLinks(WeatherSystemLinks newLinks) { links = std::move(newLinks); }

  // Weather (0..3) of level 1..3.
  int LevelWeather(int level) const;
  void SetLevelWeather(int level, int weather);
  bool Transitioning() const { return transitioning; }
  float TransitionTimer() const { return transitionTimer; }
  std::size_t OutgoingCount() const { return outgoing.size(); }
  std::size_t IncomingCount() const { return incoming.size(); }

 private:
  // An emitter entity of a transition and the emission rate it had when it was spawned.
  struct TrackedEmitter {
    int entity = -1;
    std::string name;
    float rate = 0.0f;
  };
  enum class PresetMode { Normal, Transition };

  void LoadScene(const std::string& scene);
  void LevelPreset(int level, PresetMode mode, std::vector<TrackedEmitter>* list);
  void StartTransition(int into);
  void HandOver();
  void EndTransition();
  // The ParticleEmitter of a tracked entity, if it is still that entity and still has one.
  class ParticleEmitter* EmitterOf(const TrackedEmitter& tracked) const;
  int Spawn(const std::string& prefab);
  void SpawnRainOnce();
  void SetBackground(float saturation, float brightness);

  DECS* engine = nullptr;
  WeatherSystemLinks links;
  std::array<int, kLevels> levelWeather{};
  float fromSaturation = 0.0f;
  float toSaturation = 0.0f;
  float fromBrightness = 0.0f;
  float toBrightness = 0.0f;
  std::vector<TrackedEmitter> outgoing;
  std::vector<TrackedEmitter> incoming;
  float transitionTimer = 0.0f;
  bool transitioning = false;
  bool toRain = false;
  std::string transitionScene;
};
DECLARE_TYPE_NAME(class, WeatherSystem);
