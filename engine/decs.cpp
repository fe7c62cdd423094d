#include "engine/decs.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "engine/component_manager.h"
#include "engine/entity_manager.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"

namespace {

std::unique_ptr<DECS>& InstanceSlot() {
  static std::unique_ptr<DECS> instance;
  return instance;
}

}  // namespace

DECS::DECS(std::unique_ptr<EngineClock> engineClock) : clock(std::move(engineClock)) {
  const double now = clock->Now();
  timeOrigin = now;
  gameClock = now;
  lastRenderTime = now;
  lastUpdateTime = now;
}

DECS::~DECS() = default;

DECS& DECS::Instance() {
  if (!InstanceSlot()) {
    std::fprintf(stderr, "DECS : used while no engine exists\n");
    std::abort();
  }
  return *InstanceSlot();
}

DECS& DECS::CreateInstance(std::unique_ptr<EngineClock> engineClock) {
  if (InstanceSlot()) {
    std::printf("DECS : CreateInstance called while an engine exists; keeping the existing one\n");
    return *InstanceSlot();
  }
  InstanceSlot() = std::make_unique<DECS>(std::move(engineClock));
  return *InstanceSlot();
}

DECS& DECS::CreateInstance() { return CreateInstance(std::make_unique<SteadyEngineClock>()); }

bool DECS::HasInstance() { return InstanceSlot() != nullptr; }

void DECS::AddManager(std::string typeName, std::shared_ptr<BaseManager> manager) {
  if (auto* systems = dynamic_cast<SystemManager*>(manager.get())) systemManager = systems;
  if (auto* messaging = dynamic_cast<MessagingManager*>(manager.get())) {
    messagingManager = messaging;
  }
  managers[std::move(typeName)] = std::move(manager);
}

void DECS::Update() {
  globalUniforms.floats["time"] = static_cast<float>(gameClock - timeOrigin);

  const double updateNow = clock->Now();
  if (updateNow - lastUpdateTime > static_cast<double>(1.0f / ups)) RunUpdate(updateNow);

  const double renderNow = clock->Now();
  if (renderNow - lastRenderTime > static_cast<double>(1.0f / fps)) RunRender(renderNow);

  if (messagingManager != nullptr) messagingManager->DeliverQueued();
}

void DECS::RunUpdate(double now) {
  deltaTime = now - lastUpdateTime;
  if (!(deltaTime < kMaxDeltaTime)) deltaTime = kMaxDeltaTime;
  if (inputReplay != nullptr && inputReplay->IsRecordingOrReplaying()) {
    deltaTime = kFixedStep;
    fps = 60.0f;
    ups = 60.0f;
  }
  globalUniforms.floats["dt"] = static_cast<float>(deltaTime);
  lastUpdateTime = now;

  const float systemDt = static_cast<float>(deltaTime) * timeScale;
  if (systemManager != nullptr) {
    // Indexed: a system may be registered while others update.
    const auto& systems = systemManager->Systems();
    for (std::size_t i = 0; i < systems.size(); ++i) {
      BaseSystem& system = *systems[i].system;
      if ((frozen && system.freezable) || (paused && system.pausable)) continue;
      system.Update(systemDt);
    }
  }
  gameClock += deltaTime;
  totalTime += deltaTime;
}

void DECS::RunRender(double now) {
  lastRenderTime = now;
  if (frameHost != nullptr) frameHost->BeginFrame();
  if (systemManager != nullptr) {
    const auto& systems = systemManager->Systems();
    for (std::size_t i = 0; i < systems.size(); ++i) systems[i].system->Render();
  }
  if (frameRenderer != nullptr) frameRenderer->RenderFrame();
  if (frameHost != nullptr) frameHost->EndFrame();
}

void DECS::HandleMessage(const std::string& message) {
  const auto readFloatArgument = [&message](float& value) {
    std::string argument;
    return ParseMessageArguments(message, argument) && ReadMessageFloat(argument, value);
  };

  float number = 0.0f;
  if (IsMessage(message, "decs_exit")) {
    quit = true;
  } else if (IsMessage(message, "decs_pause") || IsMessage(message, "decs_unpause") ||
             IsMessage(message, "decs_step")) {
    // Accepted and deliberately without effect: pausing belongs to the user interface.
  } else if (IsMessage(message, "decs_timescale")) {
    if (readFloatArgument(number)) timeScale = number;
  } else if (IsMessage(message, "decs_timescale_add")) {
    if (readFloatArgument(number)) timeScale += number;
  } else if (IsMessage(message, "decs_set_fps")) {
    if (readFloatArgument(number)) fps = number;
  } else if (IsMessage(message, "decs_set_ups")) {
    if (readFloatArgument(number)) ups = number;
  } else if (IsMessage(message, "decs_get_dt")) {
    if (messagingManager != nullptr) messagingManager->ReplyFormatted("%f", deltaTime);
  } else if (IsMessage(message, "scene_load")) {
    // From the game clock, so that "time" restarts at 0 and never goes negative.
    timeOrigin = gameClock;
    if (auto entities = GetManager<EntityManager>()) entities->StartNewScene();
  } else if (IsMessage(message, "decs_get")) {
    if (messagingManager != nullptr) {
      messagingManager->ReplyFormatted("%" PRIuPTR, reinterpret_cast<std::uintptr_t>(this));
    }
  } else if (IsMessage(message, "entity_destroy")) {
    std::string argument;
    int entity = kNoEntity;
    if (ParseMessageArguments(message, argument) && ReadMessageInt(argument, entity)) {
      DestroyEntity(entity);
    }
  }
}

void DECS::DestroyEntity(int entity) {
  if (!IsValidEntityId(entity)) return;
  if (auto components = GetManager<ComponentManager>()) components->EntityDestroyed(entity);
  if (systemManager != nullptr) systemManager->EntityDestroyed(entity);
  if (auto entities = GetManager<EntityManager>()) entities->DestroyEntity(entity);
  if (scriptEraser != nullptr) scriptEraser->EraseEntityScripts(entity);
}

void DECS::Shutdown() {
  if (systemManager != nullptr) {
    for (const auto& registered : systemManager->Systems()) registered.system->Shutdown();
  }
  if (InstanceSlot().get() == this) InstanceSlot().reset();  // destroys this object
}

void CreateManagers() {
  DECS& decs = DECS::Instance();
  if (!decs.managers.empty()) return;

  auto systems = std::make_shared<SystemManager>();
  auto entities = std::make_shared<EntityManager>();
  auto components = std::make_shared<ComponentManager>();
  auto messaging = std::make_shared<MessagingManager>(&decs, &decs.Clock());
  decs.AddManager(std::string(TypeName<SystemManager>()), systems);
  decs.AddManager(std::string(TypeName<EntityManager>()), entities);
  decs.AddManager(std::string(TypeName<ComponentManager>()), components);
  decs.AddManager(std::string(TypeName<MessagingManager>()), messaging);

  decs.level = 4;
  decs.AddChild(systems.get());
  decs.AddChild(components.get());
  decs.AddChild(entities.get());
  decs.AddChild(messaging.get());
}
