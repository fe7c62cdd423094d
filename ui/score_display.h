#pragma once
// ScoreDisplay: the HUD's score as one span per character inside "score-value", each span
// popping (growing to 1.3 and settling back) for 0.15 s after the score changes.
//
//   display.Bind(document);            // forgets what was shown
//   display.SetScore(1205, clan);      // rebuilds the spans "digit-0".."digit-3" and pops them
//   display.Update(dt);                // every frame: writes the popping digits' "transform"
//
// Spans are rebuilt only when the shown score changes. Elements are looked up by id at each use,
// so a reloaded document is never reached through a freed element.

#include <optional>
#include <string>
#include <vector>

#include "ui/clan.h"

namespace Rml {
class ElementDocument;
}  // namespace Rml

struct DigitEntry {
  std::string id;  // "digit-<index>"
  char character = '0';
  float timer = 0.0f;  // seconds into the pop
  bool animating = false;
  bool first = false;  // the leftmost character
};

struct DigitPop {
  float scale = 1.0f;
  bool done = false;
};

// The pop at `timer` seconds. The first digit rests at 1.4, the others at 1.0.
DigitPop DigitPopAt(float timer, bool first);
// "scale(<s printed with %f>)".
std::string ScaleTransform(float scale);
// What a digit keeps after its pop: "scale(1.400000)" for the first, "scale(1.0)" for others.
std::string DigitRestTransform(bool first);

class ScoreDisplay {
 public:
  // Uses the document's "score-value"; forgets the shown score and the digits.
  void Bind(Rml::ElementDocument* document);
  // Stores the clan (Sundrel's spans for Sundrel, Floreth's for any other); rebuilds the spans when
  // the score differs from the shown one. Needs a bound document with a "score-value" element.
  void SetScore(int score, Clan clan);
  // Advances the popping digits by dt seconds.
  void Update(float dt);

  const std::vector<DigitEntry>& Digits() const { return digits; }
  std::optional<int> LastShown() const { return lastShown; }

 private:
  void Rebuild(int score);

  Rml::ElementDocument* document = nullptr;
  std::optional<int> lastShown;
  Clan clan = Clan::Sundrel;
  std::vector<DigitEntry> digits;
};
