// The title screen's clan choice as a state machine: which clicks are taken and what they
// choose, and the steps of the target cursor's three parts as time passes, including a choice
// that cuts a running move.

#include "ui/clan_choice.h"

#include <gmock/gmock.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

static void PrintTo(const ClanChoice::Step& step, std::ostream* out) {
  if (step.kind == ClanChoice::Step::Kind::StopAnimations) {
    *out << "stop animations";
    return;
  }
  *out << "start part " << step.part << " " << ClanWord(step.from) << " -> " << ClanWord(step.to);
}

namespace {

using testing::ElementsAreArray;
using Step = ClanChoice::Step;
using Kind = ClanChoice::Step::Kind;

constexpr Clan kNeutral = Clan::Neutral;
constexpr Clan kFloreth = Clan::Floreth;
constexpr Clan kSundrel = Clan::Sundrel;

Step Start(ClanChoice::Part part, Clan from, Clan to) { return {Kind::StartPart, part, from, to}; }
const Step kStopAnimations{Kind::StopAnimations};

TEST(ClanChoice, AnimationAndStateClasses) {
  const std::string expected[3][3] = {
      {"", "animate-to-floreth", "animate-to-sundrel"},
      {"animate-floreth-to-neutral", "", "animate-floreth-to-sundrel"},
      {"animate-sundrel-to-neutral", "animate-sundrel-to-floreth", ""}};
  for (int from = 0; from < 3; ++from) {
    for (int to = 0; to < 3; ++to) {
      EXPECT_EQ(ClanChoice::AnimationClass(static_cast<Clan>(from), static_cast<Clan>(to)),
                expected[from][to])
          << from << to;
    }
  }
  EXPECT_EQ(ClanChoice::AnimationClass(static_cast<Clan>(3), kFloreth), "");
  EXPECT_EQ(ClanChoice::AnimationClass(static_cast<Clan>(-1), kNeutral), "");
  EXPECT_EQ(ClanChoice::StateClass(kNeutral), "state-neutral");
  EXPECT_EQ(ClanChoice::StateClass(kSundrel), "state-sundrel");
}

// Clicks on the halves at steady seconds; hours into a run (a large clock) 0.1 s still counts.
TEST(ClanChoice, ClicksChooseToggleAndAreDebounced) {
  const struct {
    Clan half;
    double now;
    bool taken;
    Clan chosen;
  } clicks[] = {
      {kFloreth, 4.0e6, true, kFloreth},          // the first click is always taken
      {kFloreth, 4.0e6 + 0.05, false, kFloreth},  // within 0.1 s of the last taken one
      {kSundrel, 4.0e6 + 0.09, false, kFloreth},
      {kSundrel, 4.0e6 + 0.15, true, kSundrel},  // the other half takes over
      {kSundrel, 4.0e6 + 0.30, true, kNeutral},  // the chosen half again: back to neutral
      {kSundrel, 4.0e6 + 0.45, true, kSundrel},
  };
  ClanChoice choice;
  std::vector<Step> steps;
  for (const auto& click : clicks) {
    SCOPED_TRACE(click.now - 4.0e6);
    EXPECT_EQ(choice.Choose(click.half, click.now, steps), click.taken);
    EXPECT_EQ(choice.Chosen(), click.chosen);
  }
}

// One row per input: a click (half set) or a frame of dt seconds, and the steps it gives.
struct CursorRow {
  const char* what;
  std::optional<Clan> click;
  float dt;
  std::vector<Step> steps;
  Clan from;
  Clan to;
  bool running;
};

void RunCursorRows(ClanChoice& choice, double& now, const std::vector<CursorRow>& rows) {
  for (const CursorRow& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<Step> steps;
    if (row.click) {
      now += 1.0;
      ASSERT_TRUE(choice.Choose(*row.click, now, steps));
    } else {
      choice.Update(row.dt, steps);
    }
    EXPECT_THAT(steps, ElementsAreArray(row.steps));
    EXPECT_EQ(choice.CursorState().from, row.from);
    EXPECT_EQ(choice.CursorState().to, row.to);
    EXPECT_EQ(choice.CursorState().running, row.running);
  }
}

TEST(ClanChoice, TheCursorsPartsStartOneAfterAnotherAndAChoiceCutsTheMove) {
  using P = ClanChoice;
  ClanChoice choice;
  double now = 100.0;
  // clang-format off
  RunCursorRows(choice, now, {
      {"choose Floreth", kFloreth, 0, {Start(P::kSpinner, kNeutral, kFloreth)},
       kNeutral, kFloreth, true},
      {"0.375 s", {}, 0.375f, {}, kNeutral, kFloreth, true},
      {"0.5 s", {}, 0.125f, {Start(P::kHorizontalLine, kNeutral, kFloreth)},
       kNeutral, kFloreth, true},
      {"0.875 s", {}, 0.375f, {Start(P::kVerticalLine, kNeutral, kFloreth)},
       kNeutral, kFloreth, true},
      {"1.375 s", {}, 0.5f, {}, kNeutral, kFloreth, true},
      {"1.5 s: the move ends", {}, 0.125f, {kStopAnimations}, kFloreth, kFloreth, false},
      {"at rest", {}, 1.0f, {}, kFloreth, kFloreth, false},
      // A move to Sundrel, cut by Floreth: the next move starts where the cut one was heading.
      {"choose Sundrel", kSundrel, 0, {Start(P::kSpinner, kFloreth, kSundrel)},
       kFloreth, kSundrel, true},
      {"0.5 s", {}, 0.5f, {Start(P::kHorizontalLine, kFloreth, kSundrel)},
       kFloreth, kSundrel, true},
      {"choose Floreth", kFloreth, 0, {kStopAnimations, Start(P::kSpinner, kSundrel, kFloreth)},
       kSundrel, kFloreth, true},
      {"0.5 s into the new move", {}, 0.5f, {Start(P::kHorizontalLine, kSundrel, kFloreth)},
       kSundrel, kFloreth, true},
      // Neutral while neutral is the heading waits for the move, then runs it again.
      {"Floreth again: neutral", kFloreth, 0,
       {kStopAnimations, Start(P::kSpinner, kFloreth, kNeutral)}, kFloreth, kNeutral, true},
      {"neutral again", kNeutral, 0, {}, kFloreth, kNeutral, true},
      {"1.5 s: the move ends, the waiting one starts", {}, 1.5f,
       {Start(P::kHorizontalLine, kFloreth, kNeutral), Start(P::kVerticalLine, kFloreth, kNeutral),
        kStopAnimations, Start(P::kSpinner, kNeutral, kNeutral)},
       kNeutral, kNeutral, true},
  });
  // clang-format on
  choice.ResetCursor();
  EXPECT_FALSE(choice.CursorState().running);
  EXPECT_EQ(choice.CursorState().from, kNeutral);
  std::vector<Step> steps;
  choice.Update(2.0f, steps);
  EXPECT_TRUE(steps.empty()) << "a reset drops the waiting move";
}

}  // namespace
