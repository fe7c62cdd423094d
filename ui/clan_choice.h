#pragma once
// ClanChoice: the clan picked on the title screen and the target cursor that moves to it, as a
// state machine on plain values: choices and elapsed time go in, the chosen clan, the cursor's
// state and the steps the document has to take come out.
//
//   ClanChoice choice;
//   std::vector<ClanChoice::Step> steps;
//   if (choice.Choose(Clan::Floreth, nowSeconds, steps)) ShowLook(choice.Chosen());
//   choice.Update(dt, steps);                // every frame
//   for (const ClanChoice::Step& step : steps) Apply(step);
//
// A choice of a half picks its clan; a choice of the chosen half goes back to neutral. A choice
// less than 0.1 s (of a steady clock, in seconds) after the last one taken is dropped.
// The cursor has three parts (kParts) that each start their move toward the chosen clan in
// turn: the first at once, the second 0.4 s and the third 0.8 s into the move, which ends at
// 1.4 s. A choice of another clan during a move cuts it where it is heading and starts the next
// move from there; a choice of the clan it is heading for waits for the move's end and then
// runs it again (a move onto the same clan, without animation).

#include <optional>
#include <string>
#include <vector>

#include "ui/clan.h"

class ClanChoice {
 public:
  // The cursor's parts, in the order their moves start.
  enum Part { kSpinner = 0, kHorizontalLine = 1, kVerticalLine = 2, kParts = 3 };

  struct Step {
    enum class Kind {
      StartPart,       // `part` takes the state of `to` and animates the move from -> to
      StopAnimations,  // every part drops its move's animation, keeping its state
    };
    Kind kind = Kind::StartPart;
    Part part = kSpinner;
    Clan from = Clan::Neutral;
    Clan to = Clan::Neutral;
    bool operator==(const Step&) const = default;
  };

  struct Cursor {
    Clan from = Clan::Neutral;
    Clan to = Clan::Neutral;
    int stage = 0;         // 0 idle, else the number of parts started
    float elapsed = 0.0f;  // seconds into the move
    bool running = false;
  };

  static constexpr float kDebounceSeconds = 0.1f;

  // A click on the half of `half` at `now` (steady seconds). Returns whether it was taken (then
  // Chosen() may have changed); appends the cursor's steps.
  bool Choose(Clan half, double now, std::vector<Step>& steps);
  // dt in seconds; appends the cursor's steps.
  void Update(float dt, std::vector<Step>& steps);
  // Back to neutral with the cursor at rest on neutral; the debounce clock is kept.
  void ForgetChoice() { chosen = Clan::Neutral; }
  void ResetCursor();

  Clan Chosen() const { return chosen; }
  const Cursor& CursorState() const { return cursor; }

  // "animate-..." of a move between clans (for example "animate-floreth-to-sundrel",
  // "animate-to-floreth"), empty where nothing animates (no move, or a value outside the enum).
  static std::string AnimationClass(Clan from, Clan to);
  // "state-neutral", "state-floreth" or "state-sundrel".
  static std::string StateClass(Clan clan);

 private:
  void StartMove(std::vector<Step>& steps);
  void StartQueued(std::vector<Step>& steps);
  void Cut(std::vector<Step>& steps);
  void Finish(std::vector<Step>& steps);

  Clan chosen = Clan::Neutral;
  Cursor cursor;
  std::optional<Clan> queued;
  // No choice yet: the first one is always taken.
  double lastChoiceTime = -1.0e300;
};
