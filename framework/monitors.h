#pragma once
// The desktop's monitors. The full-screen saver covers all of them (the
// virtual screen); dialogs and the trace window belong on the primary one,
// which always has its top-left corner at (0, 0).
#include <windows.h>

#include <vector>

struct TScrMonitor {
  RECT Bounds;  // screen coordinates
  RECT Work;    // without the task bar and other docked bars
  bool Primary;
};

// Every monitor, the primary first; never empty (the primary screen when the
// system lists none).
std::vector<TScrMonitor> ScrMonitors();
// The monitor nearest to `p` (the one it lies on, when it lies on one).
TScrMonitor ScrMonitorAt(POINT p);
// The rectangle around every monitor; may begin left of or above (0, 0).
RECT ScrVirtualScreen();
// (0, 0, SM_CXSCREEN, SM_CYSCREEN).
RECT ScrPrimaryScreen();
// The highest refresh rate of the desktop's monitors, in hertz; 60 when no
// monitor tells its own (the system's "hardware default").
int ScrRefreshRate();
// The same choice from the rates the monitors tell: the highest, where 0 and
// 1 (the hardware's default, untold) count for nothing; 60 when none is told.
int ScrFastestRate(const std::vector<int>& rates);

// The part of each monitor that a window of `width` x `height` whose client
// area begins at `origin` (screen coordinates) shows, in client coordinates;
// monitors it does not reach are left out.
std::vector<RECT> ScrMonitorAreas(const std::vector<TScrMonitor>& monitors, POINT origin, int width, int height);
