#include "gameplay/animation_system.h"

#include "components/animation_group.h"
#include "components/texture_component.h"
#include "engine/component_manager.h"
#include "engine/decs.h"
#include "engine/entity_manager.h"
#include "engine/message_text.h"
#include "engine/messaging_manager.h"
#include "engine/system_manager.h"

namespace {

// The animation group of the entity named `alias`, or null when there is none.
AnimationGroup* FindGroup(DECS& engine, const std::string& alias, int* entityOut = nullptr) {
  auto entities = engine.GetManager<EntityManager>();
  auto components = engine.GetManager<ComponentManager>();
  if (!entities || !components) return nullptr;
  const int entity = entities->FindEntity(alias);
  if (!components->HasComponent<AnimationGroup>(entity)) return nullptr;
  if (entityOut != nullptr) *entityOut = entity;
  return components->GetComponent<AnimationGroup>(entity);
}

}  // namespace

void AnimationSystem::Init() {
  level = 1;
  engine = &DECS::Instance();
  if (auto systems = engine->GetManager<SystemManager>()) {
    systems->SetSignature(TypeName<AnimationSystem>(), {std::string(TypeName<AnimationGroup>()),
                                                        std::string(TypeName<TextureComponent>())});
  }
}

void AnimationSystem::StoreDelayed(const std::string& message, std::string& name) {
  // A message with the wrong number of words keeps the stored strings but still arms the
  // command; releasing empty strings then posts nothing.
  std::string alias;
  std::string word;
  if (ParseMessageArguments(message, alias, word)) {
    delayedAlias = alias;
    name = word;
  }
  delayedPending = true;
}

void AnimationSystem::HandleMessage(const std::string& message) {
  if (engine == nullptr) return;
  if (IsMessage(message, "play_animation_delayed")) {
    StoreDelayed(message, delayedAnimation);
    return;
  }
  if (IsMessage(message, "set_animation_sheet_delayed")) {
    StoreDelayed(message, delayedSheet);
    return;
  }

  std::string alias;
  std::string word;
  if (IsMessage(message, "play_animation")) {
    if (!ParseMessageArguments(message, alias, word)) return;
    if (AnimationGroup* group = FindGroup(*engine, alias)) group->PlayAnimation(word);
  } else if (IsMessage(message, "pause_animation")) {
    if (!ParseMessageArguments(message, alias)) return;
    if (AnimationGroup* group = FindGroup(*engine, alias)) group->PauseAnimation();
  } else if (IsMessage(message, "animation_restart")) {
    if (!ParseMessageArguments(message, alias)) return;
    if (AnimationGroup* group = FindGroup(*engine, alias)) group->RestartAnimation();
  } else if (IsMessage(message, "animation_set_loop")) {
    int flag = 0;
    if (!ParseMessageArguments(message, alias, word) || !ReadMessageInt(word, flag)) return;
    if (AnimationGroup* group = FindGroup(*engine, alias)) group->loop = flag != 0;
  } else if (IsMessage(message, "set_animation_frame")) {
    int frame = 0;
    if (!ParseMessageArguments(message, alias, word) || !ReadMessageInt(word, frame)) return;
    if (AnimationGroup* group = FindGroup(*engine, alias)) {
      group->currentFrame = frame;
      group->ComputeFrameOffset();
    }
  } else if (IsMessage(message, "set_animation_sheet")) {
    if (!ParseMessageArguments(message, alias, word)) return;
    int entity = kNoEntity;
    AnimationGroup* group = FindGroup(*engine, alias, &entity);
    if (group == nullptr) return;
    const bool known = group->sheets.contains(word);
    group->SetAnimationSheet(word);  // reports an unknown name and keeps the current sheet
    if (!known) return;
    auto components = engine->GetManager<ComponentManager>();
    if (components->HasComponent<TextureComponent>(entity)) {
      components->GetComponent<TextureComponent>(entity)->albedoTexture =
          group->currentSheet.texture;
    }
  }
}

void AnimationSystem::ReleaseDelayed() {
  // Copied first: the posts below reach this system, and a handler may store a new command.
  const std::string alias = delayedAlias;
  const std::string sheet = delayedSheet;
  const std::string animation = delayedAnimation;
  delayedAlias.clear();
  delayedSheet.clear();
  delayedAnimation.clear();
  delayedPending = false;
  auto messaging = engine->GetManager<MessagingManager>();
  if (!messaging) return;
  if (!sheet.empty()) {
    messaging->PostFormatted("set_animation_sheet %s %s", 1, alias.c_str(), sheet.c_str());
  }
  if (!animation.empty()) {
    messaging->PostFormatted("play_animation %s %s", 1, alias.c_str(), animation.c_str());
  }
}

void AnimationSystem::Update(float dt) {
  if (engine == nullptr) return;
  auto components = engine->GetManager<ComponentManager>();
  if (!components) return;
  ForEachEntity([&](int entity) {
    if (!components->HasComponent<AnimationGroup>(entity)) return;
    AnimationGroup* group = components->GetComponent<AnimationGroup>(entity);
    group->UpdateAnimation(dt);
    // The event message may have removed the entity; its group is read again only if it stays.
    if (!components->HasComponent<AnimationGroup>(entity)) return;
    if (group->finished && delayedPending) ReleaseDelayed();
  });
}
