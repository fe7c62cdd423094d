#include "ui/results_board.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float kBoardSeconds = 0.75f;
constexpr float kRowSeconds = 0.33f;
constexpr float kGradeRowDelay = 0.05f;  // seconds before the grade row appears

constexpr const char* kGradeClasses[] = {"grade-c", "grade-b", "grade-a", "grade-s",
                                         "grade-s-plus"};
constexpr const char* kRowFinalTransform = "translateX(0) rotate(-16deg)";

// 1 at the start of a slide, 0 at its end, falling fast at first.
float Ease(float t) {
  const float rest = 1.0f - std::min(t, 1.0f);
  return rest * rest * rest;
}

std::string Printed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string ImageDecorator(const char* path) { return std::string("image(\"") + path + "\")"; }

// A row sliding in from the right while fading in; b runs from 1 to 0.
void SlideRow(const char* id, float b, HudElements& elements) {
  elements.SetProperty(id, "display", "flex");
  elements.SetProperty(
      id, "transform",
      "translateX(" + Printed("%f", 30.0f - (1.0f - b) * 30.0f) + "vh) rotate(-16deg)");
  elements.SetProperty(id, "opacity", Printed("%f", 1.0f - b));
}

void FinishRow(const char* id, HudElements& elements) {
  elements.SetProperty(id, "transform", kRowFinalTransform);
  elements.SetProperty(id, "opacity", "1.0");
}

void NextStage(ResultsBoard& board) {
  ++board.stage;
  board.timer = 0.0f;
}

// The board stages: the board's `side` ("top" or "bottom") runs from -100% to 0%.
void SlideBoard(ResultsBoard& board, const char* id, const char* side, HudElements& elements) {
  elements.SetProperty(id, "display", "block");
  elements.SetProperty(
      id, side, Printed("%f%%", (1.0f - Ease(board.timer / kBoardSeconds)) * 100.0f - 100.0f));
  if (board.timer >= kBoardSeconds) {
    elements.SetProperty(id, side, "0%");
    NextStage(board);
  }
}

void SetGradeValue(const std::string& grade, HudElements& elements) {
  elements.SetInnerRml("results-grade-value", grade);
  for (const char* name : kGradeClasses) elements.SetClass("results-grade", name, false);
  elements.SetClass("results-grade", ResultsGradeClass(grade), true);
}

// The score and time stages: the row's value, then its slide over kRowSeconds.
void AdvanceRow(ResultsBoard& board, const char* row, const char* valueId, const std::string& value,
                HudElements& elements) {
  elements.SetInnerRml(valueId, value);
  SlideRow(row, Ease(board.timer / kRowSeconds), elements);
  if (board.timer >= kRowSeconds) {
    FinishRow(row, elements);
    NextStage(board);
  }
}

// A row as it stands once its stage is over.
void PlaceFinishedRow(const char* row, HudElements& elements) {
  elements.SetProperty(row, "display", "flex");
  FinishRow(row, elements);
}

}  // namespace

const char* ResultsGradeClass(const std::string& grade) {
  if (grade == "S+") return "grade-s-plus";
  if (grade == "S") return "grade-s";
  if (grade == "A") return "grade-a";
  if (grade == "B") return "grade-b";
  return "grade-c";
}

std::string ResultsTimeText(float seconds) {
  // Whole seconds, held inside the int range so the conversion is defined for any float.
  const float clamped = std::isnan(seconds) ? 0.0f : std::clamp(seconds, 0.0f, 2147483520.0f);
  const int whole = static_cast<int>(clamped);
  char text[48];
  std::snprintf(text, sizeof text, "%02d min %02d sec", whole / 60, whole % 60);
  return text;
}

void StartResults(ResultsBoard& board, const ResultsRun& run, HudElements& elements) {
  board.shown = true;
  board.run = run;
  board.timer = 0.0f;
  board.stage = 0;

  elements.SetProperty("results-container", "display", "flex");
  elements.SetProperty("result-board", "decorator",
                       ImageDecorator(run.won ? "./GAME/Assets/RML/images/results/win_board.png"
                                              : "./GAME/Assets/RML/images/results/lose_board.png"));
  elements.SetProperty("result-board", "top", "-100%");
  elements.SetProperty("result-board", "display", "none");
  elements.SetProperty("clan-board", "decorator",
                       ImageDecorator(run.clan == Clan::Floreth
                                          ? "./GAME/Assets/RML/images/results/floreth_board.png"
                                          : "./GAME/Assets/RML/images/results/sundrel_board.png"));
  elements.SetProperty("clan-board", "bottom", "-100%");
  elements.SetProperty("clan-board", "display", "none");
  for (const char* row : {"results-grade", "results-score", "results-time"}) {
    elements.SetProperty(row, "display", "none");
    elements.SetProperty(row, "opacity", "0");
    elements.SetProperty(row, "left", "100%");
  }
}

void AdvanceResults(ResultsBoard& board, float dt, HudElements& elements) {
  if (!board.shown) return;
  board.timer += dt;
  switch (board.stage) {
    case 0:
      SlideBoard(board, "result-board", "top", elements);
      break;
    case 1:
      SlideBoard(board, "clan-board", "bottom", elements);
      break;
    case 2:
      if (board.timer >= kGradeRowDelay) {
        SetGradeValue(board.run.grade, elements);
        SlideRow("results-grade", Ease((board.timer - kGradeRowDelay) / kRowSeconds), elements);
      }
      if (board.timer >= kRowSeconds) {
        FinishRow("results-grade", elements);
        NextStage(board);
      }
      break;
    case 3:
      AdvanceRow(board, "results-score", "results-score-value", std::to_string(board.run.score),
                 elements);
      break;
    case 4:
      AdvanceRow(board, "results-time", "results-time-value", ResultsTimeText(board.run.seconds),
                 elements);
      break;
    default:
      break;
  }
}

void RestoreResults(const ResultsBoard& board, HudElements& elements) {
  if (!board.shown) return;
  ResultsBoard placed;
  StartResults(placed, board.run, elements);
  // The stages already over as they ended; the running one goes on at the next advance.
  if (board.stage > 0) {
    elements.SetProperty("result-board", "display", "block");
    elements.SetProperty("result-board", "top", "0%");
  }
  if (board.stage > 1) {
    elements.SetProperty("clan-board", "display", "block");
    elements.SetProperty("clan-board", "bottom", "0%");
  }
  if (board.stage > 2) {
    SetGradeValue(board.run.grade, elements);
    PlaceFinishedRow("results-grade", elements);
  }
  if (board.stage > 3) {
    elements.SetInnerRml("results-score-value", std::to_string(board.run.score));
    PlaceFinishedRow("results-score", elements);
  }
  if (board.stage > 4) {
    elements.SetInnerRml("results-time-value", ResultsTimeText(board.run.seconds));
    PlaceFinishedRow("results-time", elements);
  }
}
