#pragma once
// LogoFlip: the title screen's idle animation of the two clan logos, as a state machine on plain
// values: elapsed time and whether the title is idle go in, the steps the document has to take
// come out.
//
//   LogoFlip flip;
//   std::vector<LogoFlip::Step> steps;
//   flip.Update(dt, titleIdle, pointerOverClanArea, steps);   // every frame
//   flip.Stop(steps);                                          // a clan was clicked
//   flip.LeaveClanArea(steps);                                 // the pointer left the halves
//   for (const LogoFlip::Step& step : steps) Apply(step);
//
// While the title is idle (no clan chosen, the title panel shown) the logos flip in turns: a
// turn flips one logo, then 0.6 s later the other the same way, and lasts 2.7 s; 2.3 s after a
// turn ends the next turn flips the other way, starting with the other logo. The first turn
// flips to the right, Floreth's logo first. Nothing moves while the pointer is over the clan
// area; leaving it stops the turn and holds still for 2.5 s, after which a fresh turn starts at
// once. A title that is not idle stops everything and starts over with a right turn.

#include <vector>

class LogoFlip {
 public:
  enum class Logo { Floreth, Sundrel };

  struct Step {
    enum class Kind {
      ClearBoth,  // both logos drop every flip
      Flip,       // `logo` drops every flip and flips to the right or to the left
    };
    Kind kind = Kind::ClearBoth;
    Logo logo = Logo::Floreth;
    bool right = true;
    bool operator==(const Step&) const = default;
  };

  static constexpr float kTurnSeconds = 2.7f;
  static constexpr float kPauseSeconds = 2.3f;
  static constexpr float kSecondLogoDelay = 0.6f;
  static constexpr float kHoldSeconds = 2.5f;

  // dt in seconds. `idle`: no clan chosen and the title panel shown. `hovering`: the pointer is
  // over a clan half or logo.
  void Update(float dt, bool idle, bool hovering, std::vector<Step>& steps);
  // Ends the turn now; the hold and the side of the last turn are kept.
  void Stop(std::vector<Step>& steps);
  // Stop, then hold still for kHoldSeconds.
  void LeaveClanArea(std::vector<Step>& steps);

  bool Turning() const { return running; }
  float Hold() const { return hold; }

 private:
  void StartTurn(bool right, std::vector<Step>& steps);
  void EndTurn(std::vector<Step>& steps);

  bool running = false;   // a turn is under way
  bool waiting = false;   // between turns
  float elapsed = 0.0f;   // seconds into the turn
  float interval = 0.0f;  // seconds since the last turn ended
  int side = 0;           // 0: the last turn flipped right, 1: left
  bool secondPending = false;
  float secondDelay = 0.0f;
  Logo secondLogo = Logo::Sundrel;
  bool secondRight = true;
  float hold = 0.0f;  // seconds to hold still
};
