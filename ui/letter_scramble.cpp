#include "ui/letter_scramble.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "rml/rml.h"

namespace {

Rml::Element* Find(Rml::Element* root, const std::string& id) {
  return root != nullptr && !id.empty() ? root->GetElementById(id) : nullptr;
}

// The element's <span> descendants in document order.
std::vector<Rml::Element*> Spans(Rml::Element* element) {
  Rml::ElementList spans;
  element->GetElementsByTagName(spans, "span");
  return spans;
}

}  // namespace

LetterScramble::LetterScramble(std::uint32_t seed)
    : engine(seed), letters([] { return static_cast<char>('a' + std::rand() % 26); }) {}

std::uint32_t LetterScramble::ClockSeed() {
  return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() &
                                    0xffffffffu);
}

float LetterScramble::Draw() {
  return static_cast<float>(static_cast<double>(engine()) * (1.0 / 4294967296.0));
}

void LetterScramble::BuildLetterSpans(Rml::Element* root, const std::string& id,
                                      const OpeningTag& tag) {
  Rml::Element* element = Find(root, id);
  if (element == nullptr) return;
  const std::string& word = Word(id);
  std::string markup;
  for (std::size_t i = 0; i < word.size(); ++i) {
    markup += tag(id, i);
    markup += word[i];
    markup += "</span>";
  }
  element->SetInnerRML(markup);
}

void LetterScramble::Start(Rml::Element* root, const std::string& id) {
  if (IsRunning(id)) return;
  ScrambleState& state = states[id];
  state = ScrambleState{};
  ScrambleTick(root, id, state);
}

void LetterScramble::Leave(Rml::Element* root, Rml::Element* element) {
  if (element == nullptr) return;
  // The letters take their button's own colour again, whatever the scramble gave them.
  for (Rml::Element* span : Spans(element)) span->RemoveProperty("color");
  const std::string& id = element->GetId();
  if (!IsRunning(id)) return;
  SettleLetters(root, id);
  states.erase(id);
}

void LetterScramble::Update(Rml::Element* root, float dt) {
  std::vector<std::string> finished;
  for (auto& [id, state] : states) {
    const float previous = state.elapsed;
    state.elapsed += dt;
    if (previous < 0.0f && state.elapsed < 0.0f) continue;
    state.tick = previous < 0.0f ? state.elapsed : state.tick + dt;
    if (state.tick < kFrameSeconds) continue;
    state.tick = 0.0f;
    if (state.elapsed < kDurationSeconds) {
      ScrambleTick(root, id, state);
    } else {
      SettleLetters(root, id);
      finished.push_back(id);
    }
  }
  for (const std::string& id : finished) states.erase(id);
}

void LetterScramble::ScrambleTick(Rml::Element* root, const std::string& id,
                                  const ScrambleState& state) {
  Rml::Element* element = Find(root, id);
  if (element == nullptr) return;
  const std::string& word = Word(id);
  const std::vector<Rml::Element*> spans = Spans(element);
  if (spans.size() != word.size()) return;
  const float progress = std::min(state.elapsed / kDurationSeconds, 1.0f);
  const bool late = progress > 0.7f;
  const float wave = progress <= 0.5f ? 2.0f * progress : 2.0f * (1.0f - progress);
  const float count = static_cast<float>(spans.size());
  for (std::size_t i = 0; i < spans.size(); ++i) {
    const float chance = (static_cast<float>(i) / count * 0.3f + 0.7f) * wave;
    const char letter = chance > Draw() ? letters() : word[i];
    spans[i]->SetInnerRML(std::string(1, letter));
    if (late) spans[i]->SetProperty("color", kLateColour);
  }
}

void LetterScramble::SettleLetters(Rml::Element* root, const std::string& id) {
  Rml::Element* element = Find(root, id);
  if (element == nullptr) return;
  const std::string& word = Word(id);
  const std::vector<Rml::Element*> spans = Spans(element);
  if (spans.size() != word.size()) return;
  for (std::size_t i = 0; i < spans.size(); ++i) spans[i]->SetInnerRML(std::string(1, word[i]));
}
