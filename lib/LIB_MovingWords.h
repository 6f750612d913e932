// The welcome panel's drifting words: where each one stands and how it moves. Steps and
// directions come from the process-wide generator, in a fixed order of draws.
#pragma once

struct TMovingWord {
  int Left, Top, Width, Height;  // design pixels
  bool MovingUp = false;
  bool MovingLeft = false;
  int VerticalStep = 1;    // pixels per tick, 1..5
  int HorizontalStep = 1;  // pixels per tick, 1..5
};

// The starting motion, four draws: up, left, vertical step, horizontal step.
void DrawMotion(TMovingWord& word);

// One tick inside 0..limitWidth horizontally and 0..limitHeight vertically: a word that meets
// a limit stops at it, turns, and draws a new direction on the other axis and new steps.
void MoveWord(TMovingWord& word, int limitWidth, int limitHeight);
