#include "ui/hint_queue.h"

#include <algorithm>

#include "rml/rml.h"

namespace {

constexpr const char* kPriorityWords[] = {"normal", "high", "critical"};

constexpr float kTutorialHintSeconds = 3.0f;

struct TutorialHint {
  int code;
  const char* text;
};

// The quote marks belong to the shown text.
constexpr TutorialHint kTutorialHints[] = {
    {100, "\"Max blocks 6/6 reached!\""},
    {201, "\"Pick up a block to fire it!\""},
    {302, "\"Press E to move a ring to your SUNDREL hand!\""},
    {403, "\"Press Q to move a ring to your FLORETH hand!\""},
    {504, "\"Blocks can only be picked up inside the halo!\""},
    {605, "\"Press SHIFT to dash!\""},
    {706, "\"Press RIGHT CLICK to pick up a block!\""},
    {807, "\"Press LEFT CLICK to fire a block!\""},
    {908, "\"Move yourself over a hole to heal it with your halo!\""},
    {930, "\"Shoot the dummy to continue!\""},
    {1020, "\"Heal to full health by holding still to continue!\""},
    {1030, "\"Refill 4 blocks to continue!\""},
    {1040, "\"Continue to the portal!\""},
};

}  // namespace

HintQueue::HintQueue() {
  for (int i = 0; i < kSlotCount; ++i) {
    slots[i].dialogId = "hint-dialog-" + std::to_string(i + 1);
    slots[i].textId = "hint-text-" + std::to_string(i + 1);
  }
}

Rml::Element* HintQueue::Find(const std::string& id) const {
  return document != nullptr ? document->GetElementById(id) : nullptr;
}

void HintQueue::AttachDocument(Rml::ElementDocument* value) {
  if (value == nullptr) {
    // The document is gone (closed or about to be reloaded): nothing of it is reached again.
    document = nullptr;
    for (HintSlot& slot : slots) ResetSlot(slot);
    return;
  }
  document = value;
  for (const HintSlot& slot : slots) {
    if (Find(slot.dialogId) == nullptr || Find(slot.textId) == nullptr) return;
  }
  for (HintSlot& slot : slots) {
    HideSlot(slot);
    ResetSlot(slot);
  }
}

void HintQueue::Enqueue(const HintRequest& request) {
  if (request.text.empty()) return;
  const auto sameText = [&](const auto& held) { return held.text == request.text; };
  if (std::any_of(pending.begin(), pending.end(), sameText)) return;
  if (std::any_of(slots.begin(), slots.end(),
                  [&](const HintSlot& slot) { return slot.active && sameText(slot); })) {
    return;
  }
  pending.push_back(request);
}

void HintQueue::ShowText(const std::string& text, float seconds) {
  Enqueue(HintRequest{text, seconds, "normal"});
}

const char* HintQueue::TutorialText(int code) {
  for (const TutorialHint& hint : kTutorialHints) {
    if (hint.code == code) return hint.text;
  }
  return nullptr;
}

void HintQueue::ShowTutorialHint(int code) {
  // The boss level's hints wait until its boss exists.
  if (context.currentSceneName && context.currentSceneName() == "final_boss_test_scene" &&
      !(context.entityWithAliasExists && context.entityWithAliasExists("finalBossEnemy"))) {
    return;
  }
  if (const char* text = TutorialText(code)) ShowText(text, kTutorialHintSeconds);
}

void HintQueue::Clear() {
  pending.clear();
  for (HintSlot& slot : slots) {
    if (!slot.active) continue;
    HideSlot(slot);
    // A dialog whose element has gone missing is still freed.
    ResetSlot(slot);
  }
}

void HintQueue::Update(float dt) {
  if (document == nullptr) return;
  while (!pending.empty()) {
    auto freeSlot =
        std::find_if(slots.begin(), slots.end(), [](const HintSlot& slot) { return !slot.active; });
    if (freeSlot == slots.end()) break;
    // A request whose dialog elements are missing is dropped.
    const HintRequest request = std::move(pending.front());
    pending.pop_front();
    ShowInSlot(*freeSlot, request);
  }
  for (HintSlot& slot : slots) {
    if (!slot.active) continue;
    slot.remaining -= dt;
    if (slot.remaining <= 0.0f && Find(slot.dialogId) != nullptr) HideSlot(slot);
  }
}

void HintQueue::ShowInSlot(HintSlot& slot, const HintRequest& request) {
  Rml::Element* dialog = Find(slot.dialogId);
  Rml::Element* text = Find(slot.textId);
  if (dialog == nullptr || text == nullptr) return;
  slot.active = true;
  slot.remaining = request.duration;
  slot.text = request.text;
  slot.priority = request.priority;
  text->SetInnerRML(request.text);
  for (const char* word : kPriorityWords) {
    dialog->SetClass(std::string("priority-") + word, request.priority == word);
  }
  dialog->SetProperty("display", "flex");
}

void HintQueue::HideSlot(HintSlot& slot) {
  Rml::Element* dialog = Find(slot.dialogId);
  if (dialog == nullptr) return;
  dialog->SetProperty("display", "none");
  for (const char* word : kPriorityWords) dialog->SetClass(std::string("priority-") + word, false);
  ResetSlot(slot);
}

void HintQueue::ResetSlot(HintSlot& slot) {
  slot.active = false;
  slot.remaining = 0.0f;
  slot.text.clear();
  slot.priority.clear();
}
