#pragma once
// HintQueue: the HUD's three hint dialogs and the requests waiting for them.
//
// Requests are shown first in, first out in the first free dialog ("hint-dialog-1" to
// "hint-dialog-3", their text in "hint-text-1" to "hint-text-3") for their duration, then
// hidden. A text already waiting or shown is not queued again. The priority word only picks the
// dialog's class ("priority-normal", "priority-high", "priority-critical"); it never reorders.
// Missing elements make the step that needs them do nothing; nothing here throws.

#include <array>
#include <deque>
#include <functional>
#include <string>

namespace Rml {
class Element;
class ElementDocument;
}  // namespace Rml

struct HintSlot {
  std::string dialogId;
  std::string textId;
  bool active = false;
  float remaining = 0.0f;  // seconds
  std::string text;
  std::string priority;
};

struct HintRequest {
  std::string text;
  float duration = 4.5f;  // seconds
  std::string priority = "normal";
};

// What the tutorial hints need to know about the running game.
struct HintQueueContext {
  std::function<std::string()> currentSceneName;
  std::function<bool(const std::string& alias)> entityWithAliasExists;
};

class HintQueue {
 public:
  static constexpr int kSlotCount = 3;

  HintQueue();

  void SetContext(HintQueueContext value) { context = std::move(value); }

  // Takes the HUD document; when all six elements exist, hides every dialog and resets the slots.
  // Null forgets the document and frees every slot; the waiting requests stay.
  void AttachDocument(Rml::ElementDocument* document);
  void Enqueue(const HintRequest& request);
  void ShowText(const std::string& text, float seconds);
  // Shows the fixed tutorial text of code for 3 seconds; unknown codes show nothing.
  void ShowTutorialHint(int code);
  // Drops every waiting request and hides every shown dialog.
  void Clear();
  // Fills free dialogs from the queue, then counts down the shown ones (dt in seconds).
  void Update(float dt);

  const std::array<HintSlot, kSlotCount>& Slots() const { return slots; }
  const std::deque<HintRequest>& Pending() const { return pending; }

  // The tutorial text of code, or nullptr for an unknown code.
  static const char* TutorialText(int code);

 private:
  Rml::Element* Find(const std::string& id) const;
  void ShowInSlot(HintSlot& slot, const HintRequest& request);
  void HideSlot(HintSlot& slot);
  static void ResetSlot(HintSlot& slot);

  Rml::ElementDocument* document = nullptr;
  std::array<HintSlot, kSlotCount> slots;
  std::deque<HintRequest> pending;
  HintQueueContext context;
};
