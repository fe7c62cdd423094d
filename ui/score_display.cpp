#include "ui/score_display.h"

#include <cstdio>

#include "rml/rml.h"

namespace {

constexpr float kPopSeconds = 0.15f;
constexpr float kPeakScale = 1.3f;

float EaseOutBack(float x) {
  const float back = x - 1.0f;
  return 1.0f + 2.70158f * back * back * back + 1.70158f * back * back;
}

float RestScale(bool first) { return first ? 1.4f : 1.0f; }

}  // namespace

DigitPop DigitPopAt(float timer, bool first) {
  const float t = timer / kPopSeconds;
  const float rest = RestScale(first);
  if (t >= 1.0f) return {rest, true};
  if (t <= 0.5f) return {rest + (kPeakScale - rest) * EaseOutBack(2.0f * t), false};
  return {kPeakScale - (kPeakScale - rest) * EaseOutBack(2.0f * t - 1.0f), false};
}

std::string ScaleTransform(float scale) {
  char text[64];
  std::snprintf(text, sizeof text, "scale(%f)", scale);
  return text;
}

std::string DigitRestTransform(bool first) {
  return first ? ScaleTransform(RestScale(true)) : "scale(1.0)";
}

void ScoreDisplay::Bind(Rml::ElementDocument* value) {
  document = value;
  lastShown.reset();
  digits.clear();
}

void ScoreDisplay::SetScore(int score, Clan newClan) {
  Rml::Element* element = document != nullptr ? document->GetElementById("score-value") : nullptr;
  if (element == nullptr) return;
  clan = newClan;
  if (lastShown == score) return;
  lastShown = score;
  Rebuild(score);
}

void ScoreDisplay::Rebuild(int score) {
  Rml::Element* element = document->GetElementById("score-value");
  element->SetInnerRML("");
  digits.clear();

  const std::string text = std::to_string(score);
  const char* clanClass = clan == Clan::Sundrel ? " sundrel" : " floreth";
  std::string spans;
  for (std::size_t i = 0; i < text.size(); ++i) {
    spans += "<span class=\"score-digit";
    if (i == 0) spans += " first-digit";
    spans += clanClass;
    spans += "\" id=\"digit-" + std::to_string(i) + "\">";
    spans += text[i];
    spans += "</span>";
  }
  element->SetInnerRML(spans);

  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::string id = "digit-" + std::to_string(i);
    if (document->GetElementById(id) == nullptr) continue;
    // Every digit pops after a change of score.
    digits.push_back({id, text[i], 0.0f, true, i == 0});
  }
}

void ScoreDisplay::Update(float dt) {
  for (DigitEntry& digit : digits) {
    if (!digit.animating) continue;
    digit.timer += dt;
    const DigitPop pop = DigitPopAt(digit.timer, digit.first);
    Rml::Element* element = document != nullptr ? document->GetElementById(digit.id) : nullptr;
    if (pop.done) {
      digit.animating = false;
      if (element != nullptr) element->SetProperty("transform", DigitRestTransform(digit.first));
    } else if (element != nullptr) {
      element->SetProperty("transform", ScaleTransform(pop.scale));
    }
  }
}
