#pragma once
// Which sleeping renderers' frames a window thread that is awake anyway draws now, ahead of their
// time. Each such frame saves a wake of the window thread, which under a host's message loop
// costs far more than the frame; drawn too early, it would shorten a period that the user sees.

#include <array>

// A renderer as the window thread finds it.
struct TWaitingFrame {
    bool Waiting = false;  // asleep towards a frame the window thread may draw
    int LatencyMs = 0;
    double DueInMs = 0;  // when that frame is due, from now (negative: overdue)
};

constexpr int MaxWaitingFrames = 3;
using TWaitingFrames = std::array<TWaitingFrame, MaxWaitingFrames>;
using TFramesToDraw = std::array<bool, MaxWaitingFrames>;

// The frames to draw now:
// - those due within earlyMs;
// - those due within earlyMs of one drawn now, up to twice earlyMs ahead: renderers whose frames
//   come close together (the bars and the meter share a latency) stay together, instead of one
//   being drawn by a render and the other just out of its reach waking the thread itself;
// - those of a renderer with the same latency as one drawn now, up to half a period ahead: a
//   pair that got apart all the same comes together again, one frame early once.
TFramesToDraw FramesToDrawNow(const TWaitingFrames& frames, double earlyMs);
