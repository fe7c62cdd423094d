#pragma once
// SoundEmitterSystem: sounds placed in the world. Every update it measures, for each entity with
// a Transform and a SoundEmitter, the distance and direction in the x-z plane from the listener
// (the entity "player", else "Main Camera") to the emitter, turns the distance into a volume
// through the emitter's power curve and the direction into a pan, and asks the sound system:
//   a one-shot emitter whose interval has elapsed, at a volume above 0:
//       "play_sfx <alias> 1.0 <volume> <pan> 1"
//   otherwise a looping emitter (also at volume 0): "play_emitted <alias> 1.0 <volume> <pan>"
// Pan: with a the direction's angle in whole degrees (0 along +x, 90 along +z), cos(a - 45°)
// times the emitter's panning multiplier; 0 for an emitter at the listener. Emitters without an
// alias are skipped; with no listener nothing is asked.
//
// "sound_emitter_debug" toggles a debug draw of each emitter's inner and outer radius; the
// highlighted emitter (red outer, blue inner circle) moves on to the next one every second.

#include <string>

#include "engine/base_system.h"
#include "engine/type_name.h"

class ComponentManager;
class DrawQueue;
class EntityManager;
class MessagingManager;

class SoundEmitterSystem : public BaseSystem {
 public:
  SoundEmitterSystem();

  // Registers the signature {Transform, SoundEmitter} and loads the debug-draw resources.
  void Init() override;
  void HandleMessage(const std::string& message) override;
  void Update(float dt) override;
  // The debug draw, while it is switched on.
  void Render() override;

  // Where the debug draw goes; without a queue nothing is drawn.
  void SetDrawQueue(DrawQueue* queue) { drawQueue = queue; }

  bool debugDraw = false;
  // Seconds since the highlight started over; its whole part is the highlighted emitter.
  float highlightTimer = 0.0f;

 private:
  // The listener entity, or kNoEntity.
  int FindListener() const;

  ComponentManager* components = nullptr;
  EntityManager* entityManager = nullptr;
  MessagingManager* messaging = nullptr;
  DrawQueue* drawQueue = nullptr;
  int quadMesh = -1;
  int debugMaterial = -1;
  int redCircle = -1;
  int blueCircle = -1;
  int plainCircle = -1;
};
DECLARE_TYPE_NAME(class, SoundEmitterSystem);
