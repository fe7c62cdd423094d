// The title's idle logo flip as a state machine: the turns and their pauses, the second logo
// following the first, the pointer over the clan area freezing it and the hold after leaving
// it, and a title that is no longer idle stopping it.

#include "ui/logo_flip.h"

#include <gmock/gmock.h>

#include <ostream>
#include <vector>

static void PrintTo(const LogoFlip::Step& step, std::ostream* out) {
  if (step.kind == LogoFlip::Step::Kind::ClearBoth) {
    *out << "clear both";
    return;
  }
  *out << "flip " << (step.logo == LogoFlip::Logo::Floreth ? "floreth" : "sundrel")
       << (step.right ? " right" : " left");
}

namespace {

using testing::ElementsAreArray;
using Step = LogoFlip::Step;

const Step kClear{Step::Kind::ClearBoth};
Step Flip(LogoFlip::Logo logo, bool right) { return {Step::Kind::Flip, logo, right}; }
const Step kFlorethRight = Flip(LogoFlip::Logo::Floreth, true);
const Step kSundrelRight = Flip(LogoFlip::Logo::Sundrel, true);
const Step kSundrelLeft = Flip(LogoFlip::Logo::Sundrel, false);
const Step kFlorethLeft = Flip(LogoFlip::Logo::Floreth, false);

enum class Input { Frame, Leave, Stop };

struct Row {
  const char* what;
  Input input;
  float dt;
  bool idle;
  bool hovering;
  std::vector<Step> steps;
  bool turning;
};

void RunRows(LogoFlip& flip, const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<Step> steps;
    switch (row.input) {
      case Input::Frame:
        flip.Update(row.dt, row.idle, row.hovering, steps);
        break;
      case Input::Leave:
        flip.LeaveClanArea(steps);
        break;
      case Input::Stop:
        flip.Stop(steps);
        break;
    }
    EXPECT_THAT(steps, ElementsAreArray(row.steps));
    EXPECT_EQ(flip.Turning(), row.turning);
  }
}

// clang-format off
TEST(LogoFlip, TurnsAlternateWithTheSecondLogoFollowingTheFirst) {
  LogoFlip flip;
  RunRows(flip, {
      {"first frame: a right turn, Floreth first", Input::Frame, 0.0f, true, false,
       {kClear, kFlorethRight}, true},
      {"0.5 s", Input::Frame, 0.5f, true, false, {}, true},
      {"0.75 s: Sundrel follows", Input::Frame, 0.25f, true, false, {kSundrelRight}, true},
      {"2.5 s", Input::Frame, 1.75f, true, false, {}, true},
      {"2.75 s: the turn ends", Input::Frame, 0.25f, true, false, {kClear}, false},
      {"2.25 s of pause", Input::Frame, 2.25f, true, false, {}, false},
      {"2.5 s of pause: a left turn, Sundrel first", Input::Frame, 0.25f, true, false,
       {kClear, kSundrelLeft}, true},
      {"0.75 s: Floreth follows", Input::Frame, 0.75f, true, false, {kFlorethLeft}, true},
      {"the turn ends", Input::Frame, 2.0f, true, false, {kClear}, false},
      {"after the pause: right again", Input::Frame, 2.5f, true, false, {kClear, kFlorethRight},
       true},
  });
}

TEST(LogoFlip, ThePointerFreezesItAndLeavingHoldsBeforeAFreshTurn) {
  LogoFlip flip;
  RunRows(flip, {
      {"a right turn", Input::Frame, 0.0f, true, false, {kClear, kFlorethRight}, true},
      {"Sundrel follows and the turn ends", Input::Frame, 5.0f, true, false,
       {kSundrelRight, kClear}, false},
      {"pause over: a left turn", Input::Frame, 2.5f, true, false, {kClear, kSundrelLeft}, true},
      {"hovering: frozen, Floreth does not follow", Input::Frame, 10.0f, true, true, {}, true},
      {"leaving stops the turn", Input::Leave, 0.0f, true, false, {kClear}, false},
      {"held", Input::Frame, 2.25f, true, false, {}, false},
      {"the hold ends", Input::Frame, 0.25f, true, false, {}, false},
      {"a fresh turn, to the right", Input::Frame, 0.0f, true, false, {kClear, kFlorethRight},
       true},
  });
  EXPECT_EQ(flip.Hold(), 0.0f);
}

TEST(LogoFlip, ATitleThatIsNotIdleStopsItAndItStartsOverToTheRight) {
  LogoFlip flip;
  RunRows(flip, {
      {"a right turn", Input::Frame, 0.0f, true, false, {kClear, kFlorethRight}, true},
      {"ended", Input::Frame, 2.75f, true, false, {kSundrelRight, kClear}, false},
      {"a left turn", Input::Frame, 2.5f, true, false, {kClear, kSundrelLeft}, true},
      {"a clan chosen: cleared every frame", Input::Frame, 0.5f, false, false, {kClear}, false},
      {"still chosen", Input::Frame, 0.5f, false, false, {kClear}, false},
      {"idle again: right first", Input::Frame, 0.0f, true, false, {kClear, kFlorethRight}, true},
      {"a click stops it", Input::Stop, 0.0f, true, false, {kClear}, false},
      {"and the next frame turns right again", Input::Frame, 0.0f, true, false,
       {kClear, kFlorethRight}, true},
  });
}
// clang-format on

}  // namespace
