#pragma once
// LetterScramble: the hover effect of the menus' word buttons. A button shows its word as one
// <span> per letter; while an element scrambles, every 0.08 s its spans show random letters,
// more of them toward the end of the word, swelling until half of 1.1 s and fading after it,
// the last 30 per cent of the time in cyan; at the first frame at or after 1.1 s the spans
// settle on the word.
//
//   LetterScramble scramble(seed);
//   scramble.SetWord("play-button", "start");
//   scramble.BuildLetterSpans(document, "play-button", openingTag);   // markup of the word
//   scramble.Start(document, "play-button");      // on hover: first frame at once
//   scramble.Update(document, dt);                // every frame
//   scramble.Leave(document, element);            // on hover end: button's colour, word settled
//
// Elements are looked up by id at each use; a missing document or element, or an element whose
// span count differs from its word's length, changes nothing. Main thread only.

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>

namespace Rml {
class Element;
}  // namespace Rml

struct ScrambleState {
  float tick = 0.0f;     // seconds since the last scramble frame
  float elapsed = 0.0f;  // seconds since the effect started; negative while its start waits
};

class LetterScramble {
 public:
  static constexpr float kDurationSeconds = 1.1f;
  static constexpr float kFrameSeconds = 0.08f;
  static constexpr const char* kLateColour = "#00e5ff";

  // The opening <span> tag of letter `index` of the element with `id`.
  using OpeningTag = std::function<std::string(const std::string& id, std::size_t index)>;
  // A random lower-case letter; the C library's rand() by default.
  using LetterSource = std::function<char()>;

  explicit LetterScramble(std::uint32_t seed);

  // The low 32 bits of the steady clock's tick count: the menus' seed.
  static std::uint32_t ClockSeed();

  void SetLetterSource(LetterSource source) { letters = std::move(source); }

  void SetWord(const std::string& id, const std::string& word) { words[id] = word; }
  // The word of `id`; an id without one gets the empty word.
  const std::string& Word(const std::string& id) { return words[id]; }

  // Sets the inner markup of the element `id` (looked up under `root`) to its word, one
  // opening tag + letter + "</span>" per byte.
  void BuildLetterSpans(Rml::Element* root, const std::string& id, const OpeningTag& tag);

  // Adds an entry (replacing one with the same id); a negative elapsed delays its start.
  void Add(const std::string& id, float elapsed) { states[id] = ScrambleState{0.0f, elapsed}; }
  // Starts the element's effect unless it runs already, showing its first frame at once.
  void Start(Rml::Element* root, const std::string& id);
  bool IsRunning(const std::string& id) const { return states.count(id) != 0; }
  void Clear() { states.clear(); }
  const std::map<std::string, ScrambleState>& States() const { return states; }

  // Ends the pointer's visit of `element`: its spans go back to the resting colour and a
  // running effect settles and ends.
  void Leave(Rml::Element* root, Rml::Element* element);

  // Advances every entry in id order by dt seconds: at most one frame per entry per call.
  void Update(Rml::Element* root, float dt);

  // One scramble frame of the element `id` at the state's elapsed time.
  void ScrambleTick(Rml::Element* root, const std::string& id, const ScrambleState& state);
  // The element's spans show its word again; colours stay as they are.
  void SettleLetters(Rml::Element* root, const std::string& id);

  // A draw in [0, 1): the engine's next 32-bit output times 2^-32.
  float Draw();

 private:
  std::map<std::string, std::string> words;
  std::map<std::string, ScrambleState> states;
  std::mt19937 engine;
  LetterSource letters;
};
