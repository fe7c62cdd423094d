#include "ui/logo_flip.h"

void LogoFlip::Update(float dt, bool idle, bool hovering, std::vector<Step>& steps) {
  if (!idle) {
    Stop(steps);
    side = 0;
    return;
  }
  if (hovering) return;
  if (hold > 0.0f) {
    hold -= dt;
    if (hold > 0.0f) return;
    // The hold over, a fresh turn starts on the next frame.
    hold = 0.0f;
    waiting = false;
    return;
  }
  if (secondPending) {
    secondDelay -= dt;
    if (secondDelay <= 0.0f) {
      steps.push_back({Step::Kind::Flip, secondLogo, secondRight});
      secondPending = false;
    }
  }
  if (running) {
    elapsed += dt;
    if (elapsed >= kTurnSeconds) EndTurn(steps);
    return;
  }
  if (!waiting) {
    side = 0;
    running = true;
    elapsed = 0.0f;
    interval = 0.0f;
    StartTurn(true, steps);
    return;
  }
  interval += dt;
  if (interval < kPauseSeconds) return;
  side = 1 - side;
  running = true;
  waiting = false;
  elapsed = 0.0f;
  interval = 0.0f;
  StartTurn(side == 0, steps);
}

void LogoFlip::StartTurn(bool right, std::vector<Step>& steps) {
  // A right turn starts with Floreth's logo, a left one with Sundrel's.
  const Logo first = right ? Logo::Floreth : Logo::Sundrel;
  steps.push_back({Step::Kind::ClearBoth});
  steps.push_back({Step::Kind::Flip, first, right});
  secondLogo = right ? Logo::Sundrel : Logo::Floreth;
  secondRight = right;
  secondDelay = kSecondLogoDelay;
  secondPending = true;
}

void LogoFlip::EndTurn(std::vector<Step>& steps) {
  Stop(steps);
  waiting = true;
}

void LogoFlip::Stop(std::vector<Step>& steps) {
  steps.push_back({Step::Kind::ClearBoth});
  const float keptHold = hold;
  const int keptSide = side;
  *this = LogoFlip{};
  hold = keptHold;
  side = keptSide;
}

void LogoFlip::LeaveClanArea(std::vector<Step>& steps) {
  Stop(steps);
  hold = kHoldSeconds;
}
