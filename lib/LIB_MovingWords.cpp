#include "lib/LIB_MovingWords.h"

#include "lib/LIB_Random.h"

namespace {
void Bounce(TMovingWord& word, bool& otherDirection) {
  otherDirection = Random(2) == 0;
  word.VerticalStep = Random(5) + 1;
  word.HorizontalStep = Random(5) + 1;
}
}  // namespace

void DrawMotion(TMovingWord& word) {
  word.MovingUp = Random(2) == 1;
  word.MovingLeft = Random(2) == 1;
  word.VerticalStep = Random(5) + 1;
  word.HorizontalStep = Random(5) + 1;
}

void MoveWord(TMovingWord& word, int limitWidth, int limitHeight) {
  word.Top += word.MovingUp ? -word.VerticalStep : word.VerticalStep;
  word.Left += word.MovingLeft ? -word.HorizontalStep : word.HorizontalStep;
  if (word.Left < 0) {
    word.Left = 0;
    word.MovingLeft = false;
    Bounce(word, word.MovingUp);
  }
  if (word.Left + word.Width > limitWidth) {
    word.Left = limitWidth - word.Width;
    word.MovingLeft = true;
    Bounce(word, word.MovingUp);
  }
  if (word.Top < 0) {
    word.Top = 0;
    word.MovingUp = false;
    Bounce(word, word.MovingLeft);
  }
  if (word.Top + word.Height > limitHeight) {
    word.Top = limitHeight - word.Height;
    word.MovingUp = true;
    Bounce(word, word.MovingLeft);
  }
  // Never crawl: the slowest pair of steps speeds up.
  if (word.VerticalStep + word.HorizontalStep < 3) {
    ++word.VerticalStep;
    ++word.HorizontalStep;
  }
}
