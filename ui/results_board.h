#pragma once
// The results board at the end of a run: the won or lost board slides down, the clan board
// slides up, then the grade, score and time rows slide in one after the other.
//
//   ResultsBoard board;
//   StartResults(board, {won, clan, "A", 1205, 125.9f}, elements);  // everything hidden, placed
//   AdvanceResults(board, dt, elements);                            // every frame
//
// Stages: 0 result board (0.75 s), 1 clan board (0.75 s), 2 grade row (shown from 0.05 s,
// 0.33 s), 3 score row (0.33 s), 4 time row (0.33 s), 5 done. Each stage ends by writing its
// final values, so a long frame never leaves a row half way.

#include <string>

#include "ui/clan.h"
#include "ui/hud_elements.h"

struct ResultsRun {
  bool won = false;
  Clan clan = Clan::Sundrel;  // Floreth's board for Floreth, Sundrel's for any other
  std::string grade = "C";
  int score = 0;
  float seconds = 0.0f;
};

struct ResultsBoard {
  bool shown = false;
  ResultsRun run;
  float timer = 0.0f;  // seconds in the current stage
  int stage = 0;       // 0..5
};

// Shows "results-container", sets the two board images and hides and places every part.
void StartResults(ResultsBoard& board, const ResultsRun& run, HudElements& elements);
// Advances the animation by dt seconds; does nothing once done or while not shown.
void AdvanceResults(ResultsBoard& board, float dt, HudElements& elements);
// Puts a board that is shown onto fresh elements (a reloaded document) as it stands: the stages
// that are over in their final places, the running one where the next advance takes it on.
// Does nothing while the board is not shown.
void RestoreResults(const ResultsBoard& board, HudElements& elements);

// "grade-s-plus" for "S+", "grade-s", "grade-a", "grade-b" for "S", "A", "B", "grade-c" for any
// other text (the plus grades below S included).
const char* ResultsGradeClass(const std::string& grade);
// "%02d min %02d sec" of the whole seconds; negative or not-a-number times read as 0.
std::string ResultsTimeText(float seconds);
