#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "lib/LIB_MovingWords.h"
#include "lib/LIB_Random.h"

namespace {

constexpr int W = 513, H = 377;

// The next n draws of the generator, leaving it where it was.
std::vector<int> Peek(const std::vector<int>& bounds, int skip = 0) {
  ResetRandom();
  for (int i = 0; i < skip; ++i) Random(2);
  std::vector<int> draws;
  for (int n : bounds) draws.push_back(Random(n));
  ResetRandom();
  for (int i = 0; i < skip; ++i) Random(2);
  return draws;
}

TEST(MovingWords, StartingMotionIsFourDrawsInOrder) {
  const auto d = Peek({2, 2, 5, 5});
  TMovingWord w{10, 10, 40, 24};
  DrawMotion(w);
  EXPECT_EQ(w.MovingUp, d[0] == 1);
  EXPECT_EQ(w.MovingLeft, d[1] == 1);
  EXPECT_EQ(w.VerticalStep, d[2] + 1);
  EXPECT_EQ(w.HorizontalStep, d[3] + 1);
}

TEST(MovingWords, StepsLieInOneToFiveAndBothDirectionsOccur) {
  ResetRandom();
  std::set<int> steps;
  std::set<bool> ups, lefts;
  for (int i = 0; i < 500; ++i) {
    TMovingWord w{100, 100, 40, 24};
    DrawMotion(w);
    steps.insert(w.VerticalStep);
    steps.insert(w.HorizontalStep);
    ups.insert(w.MovingUp);
    lefts.insert(w.MovingLeft);
    // Bounces draw their steps the same way.
    w.Left = 0;
    w.MovingLeft = true;
    MoveWord(w, W, H);
    for (int step : {w.VerticalStep, w.HorizontalStep}) {
      ASSERT_GE(step, 1);
      ASSERT_LE(step, 5);
    }
  }
  EXPECT_EQ(steps, (std::set<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(ups.size(), 2u);
  EXPECT_EQ(lefts.size(), 2u);
}

struct TEdgeCase {
  const char* Name;
  TMovingWord Start;
  int Left, Top;            // where the word stands after the tick
  bool MovingUp, MovingLeft;  // its directions afterwards, when not drawn
  bool DrawsUp;              // the vertical direction is drawn (else the horizontal)
};

TEST(MovingWords, WordPushedPastAnEdgeStopsThereAndTurns) {
  const TEdgeCase cases[] = {
      {"left", {2, 100, 94, 24, false, true, 2, 5}, 0, 0, false, false, true},
      {"right", {W - 94 - 1, 100, 94, 24, false, false, 2, 3}, W - 94, 0, false, true, true},
      {"top", {100, 1, 94, 24, true, false, 4, 2}, 0, 0, false, false, false},
      {"bottom", {100, H - 24 - 2, 94, 24, false, true, 5, 1}, 0, H - 24, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto d = Peek({2, 5, 5});
    TMovingWord w = c.Start;
    MoveWord(w, W, H);
    if (c.DrawsUp) {
      EXPECT_EQ(w.Left, c.Left);
      EXPECT_EQ(w.MovingLeft, c.MovingLeft);
      EXPECT_EQ(w.MovingUp, d[0] == 0);
    } else {
      EXPECT_EQ(w.Top, c.Top);
      EXPECT_EQ(w.MovingUp, c.MovingUp);
      EXPECT_EQ(w.MovingLeft, d[0] == 0);
    }
    int v = d[1] + 1, h = d[2] + 1;
    if (v + h < 3) ++v, ++h;
    EXPECT_EQ(w.VerticalStep, v);
    EXPECT_EQ(w.HorizontalStep, h);
  }
  // Next tick from the left edge goes right.
  TMovingWord w{2, 100, 94, 24, false, true, 2, 5};
  MoveWord(w, W, H);
  MoveWord(w, W, H);
  EXPECT_GT(w.Left, 0);
}

TEST(MovingWords, CornerMakesBothSetsOfDraws) {
  const auto d = Peek({2, 5, 5, 2, 5, 5, 2});
  TMovingWord w{1, 1, 40, 24, true, true, 3, 3};
  MoveWord(w, W, H);
  EXPECT_EQ(w.Left, 0);
  EXPECT_EQ(w.Top, 0);
  EXPECT_FALSE(w.MovingUp);    // set by the top edge after the left edge's draw
  EXPECT_EQ(w.MovingLeft, d[3] == 0);
  EXPECT_EQ(Random(2), d[6]);  // exactly six draws were made
}

TEST(MovingWords, StepsAwayFromEdges) {
  const struct {
    int v, h, vAfter, hAfter;
  } cases[] = {{1, 1, 2, 2}, {2, 1, 2, 1}, {1, 2, 1, 2}, {5, 5, 5, 5}};
  for (const auto& c : cases) {
    TMovingWord w{200, 150, 40, 24, true, false, c.v, c.h};
    ResetRandom();
    MoveWord(w, W, H);
    EXPECT_EQ(w.Top, 150 - c.v);
    EXPECT_EQ(w.Left, 200 + c.h);
    EXPECT_EQ(w.VerticalStep, c.vAfter);
    EXPECT_EQ(w.HorizontalStep, c.hAfter);
    EXPECT_EQ(Random(1000), Peek({1000})[0]);  // no draw in the middle of the picture
  }
}

}  // namespace
