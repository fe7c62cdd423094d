#pragma once
// ParticleSystem: simulates and draws the particles of every entity with a ParticleEmitter and a
// Transform, in ascending entity id. Scripts and other systems drive emitters by message:
//
//   "particle_burst <alias> [seconds]"   a burst; a positive duration replaces `_burstDuration`
//   "activate_particle <alias>"          emits again (a burst starts over)
//   "deactivate_particle <alias>"        stops emitting; live particles run out their life
//
// A burst that ends with `_destroyOnCompletion` sends "entity_destroy <id>" once, after all
// emitters were updated. At a graphics quality of 1 or lower the whole system rests: nothing
// moves, nothing is drawn and the messages do nothing. Each live particle is queued as one draw
// request; the renderer batches equal mesh, material and texture into instanced draws.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/transform.h"
#include "engine/base_system.h"
#include "engine/type_name.h"
#include "gameplay/particle_simulation.h"

class ComponentManager;
class DECS;
class EntityManager;
class DrawQueue;

// What the particle system asks of the systems around it; filled by the composition root.
struct ParticleSystemLinks {
  // The settings' graphics quality; unset reads as full quality.
  std::function<int()> graphicsQuality;
  // The scene camera's position, around which FoliageMap emitters scatter; unset reads as the
  // origin.
  std::function<glm::vec3()> cameraPosition;
};

class ParticleSystem : public BaseSystem {
 public:
  ParticleSystem();
  ~ParticleSystem() override;

  void HandleMessage(const std::string& message) override;
  // Registers the signature {ParticleEmitter, Transform} and seeds the random engine.
  void Init() override;
  void Update(float dt) override;
  // Queues one draw per live particle on the draw queue (nothing without one).
  void Render() override;

  void SetLinks(ParticleSystemLinks newLinks) { links = std::move(newLinks); }
  void SetDrawQueue(DrawQueue* queue) { drawQueue = queue; }
  // Replaces the random engine's seed (tests want the same particles every run).
  void Seed(std::uint32_t seed) { random = ParticleRandom(seed); }

  // The framebuffer layer particles are drawn on.
  int drawLayer = 1;

 private:
  bool Resting() const;
  // The tile map of the entity aliased "Tilemap" (none: a null map) and the camera position.
  FoliageSource FindFoliage() const;
  // Visits the entities of the set in ascending id, from a copy kept in `walkOrder`, so entities
  // that leave during the walk are skipped and a steady frame allocates nothing.
  template <typename Visitor>
  void WalkEmitters(Visitor&& visit) {
    walkOrder.assign(entities.begin(), entities.end());
    for (int entity : walkOrder) {
      if (entities.contains(entity)) visit(entity);
    }
  }

  DECS* engine = nullptr;
  // Kept from Init: looking a manager up by name costs an allocation per call.
  std::shared_ptr<ComponentManager> componentManager;
  std::shared_ptr<EntityManager> entityManager;
  DrawQueue* drawQueue = nullptr;
  ParticleSystemLinks links;
  ParticleRandom random{0u};
  std::vector<int> finishedBursts;
  std::vector<int> walkOrder;
  // Builds the model matrix of each Mode3D particle.
  Transform particlePose;
};
DECLARE_TYPE_NAME(class, ParticleSystem);
