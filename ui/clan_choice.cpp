#include "ui/clan_choice.h"

namespace {

// Seconds into a move at which the second and third parts start, and the move ends.
constexpr float kSecondPartSeconds = 0.4f;
constexpr float kThirdPartSeconds = 0.8f;
constexpr float kMoveSeconds = 1.4000001f;

}  // namespace

std::string ClanChoice::AnimationClass(Clan from, Clan to) {
  const std::string fromWord = ClanWord(from);
  const std::string toWord = ClanWord(to);
  if (fromWord.empty() || toWord.empty() || from == to) return "";
  if (from == Clan::Neutral) return "animate-to-" + toWord;
  return "animate-" + fromWord + "-to-" + toWord;
}

std::string ClanChoice::StateClass(Clan clan) { return std::string("state-") + ClanWord(clan); }

bool ClanChoice::Choose(Clan half, double now, std::vector<Step>& steps) {
  if (now - lastChoiceTime < kDebounceSeconds) return false;
  lastChoiceTime = now;
  const Clan target = half == chosen ? Clan::Neutral : half;
  chosen = target;
  if (!cursor.running) {
    cursor.to = target;
    StartMove(steps);
    return true;
  }
  // The newest choice waits for the running move; another clan than its own cuts it now.
  queued = target;
  if (target != cursor.to) {
    Cut(steps);
    StartQueued(steps);
  }
  return true;
}

void ClanChoice::ResetCursor() {
  cursor = Cursor{};
  queued.reset();
}

void ClanChoice::StartMove(std::vector<Step>& steps) {
  cursor.stage = 1;
  cursor.elapsed = 0.0f;
  cursor.running = true;
  steps.push_back({Step::Kind::StartPart, kSpinner, cursor.from, cursor.to});
}

void ClanChoice::StartQueued(std::vector<Step>& steps) {
  if (!queued) return;
  cursor.to = *queued;
  queued.reset();
  StartMove(steps);
}

void ClanChoice::Cut(std::vector<Step>& steps) {
  if (!cursor.running) return;
  cursor.running = false;
  cursor.stage = 0;
  cursor.elapsed = 0.0f;
  steps.push_back({Step::Kind::StopAnimations});
  cursor.from = cursor.to;
}

void ClanChoice::Finish(std::vector<Step>& steps) {
  Cut(steps);
  StartQueued(steps);
}

void ClanChoice::Update(float dt, std::vector<Step>& steps) {
  if (!cursor.running) {
    StartQueued(steps);
    return;
  }
  cursor.elapsed += dt;
  if (cursor.stage == 1 && cursor.elapsed >= kSecondPartSeconds) {
    cursor.stage = 2;
    steps.push_back({Step::Kind::StartPart, kHorizontalLine, cursor.from, cursor.to});
  }
  if (cursor.stage == 2 && cursor.elapsed >= kThirdPartSeconds) {
    cursor.stage = 3;
    steps.push_back({Step::Kind::StartPart, kVerticalLine, cursor.from, cursor.to});
  }
  if (cursor.stage == 3 && cursor.elapsed >= kMoveSeconds) Finish(steps);
}
