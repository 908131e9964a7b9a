#pragma once
// The hack's command line: XScreenSaver's window switches, -delay and -fps,
// its recording switches, the seed, and one option for every setting of the
// galaxy's table, with the dialog's ranges, taking the galaxy's own words
// (galaxy/words.h).
// The grammar is data (a table of options), platform-free, so that it is
// tested without a display.
#include <cstdint>
#include <string>

#include "galaxy/pace.h"
#include "galaxy/presets.h"
#include "galaxy/settings.h"

// Where the hack draws.
enum class THackTarget {
  OwnWindow,  // a top-level window of its own (-window, or no switch)
  Root,       // the window named by XSCREENSAVER_WINDOW, else the root window
  WindowId,   // the window given by -window-id
};

// -delay, as XScreenSaver's hacks take it: the least time between two
// pictures, in microseconds (its settings program's "Frame rate" slider).
constexpr int kHackDelayMax = 100000;
constexpr int kHackDelayDefault = 30000;

// -record-file's default: a film in the current folder.
constexpr const char* kHackRecordFileDefault = "spiralis.mp4";

struct THackSettings {
  TGalaxySettings Galaxy;   // every setting, the saver's own defaults
  int Delay = kHackDelayDefault;  // microseconds; 0: no least time
  bool Fps = false;
  THackTarget Target = THackTarget::OwnWindow;
  unsigned long WindowId = 0;
  std::string Display;      // -display NAME; empty: $DISPLAY
  // -seed N: the galaxy's seedings repeat from N (SeededClock); without it
  // they follow the calendar.
  bool Seeded = false;
  std::uint32_t Seed = 0;
  // -record-animation FRAMES: that many pictures into a film, 1/30 s of the
  // galaxy's time apart, then the end; 0: no film, drawn as it runs.
  int RecordFrames = 0;
  std::string RecordFile = kHackRecordFileDefault;  // -record-file PATH
};

enum class THackParse { Run, Help, Error };

// Reads argv[1 ..]. A preset is applied first, whatever its place, so that
// options given beside it change it. On Error, `message` is one line naming
// the option and what it takes; on Help there is no message.
THackParse ParseHackOptions(int argc, const char* const* argv, THackSettings& settings,
                            std::string& message);

// The usage text: one line per option with its range and default.
std::string HackUsage();

// Pictures a second at most: one every `delayUs` microseconds, and no more
// than the monitor's `refreshHz` where it is known (above 0); 0 when
// neither limits them.
double HackPictureRate(int delayUs, double refreshHz);

// The hack's pace on a millisecond clock that may wrap: the galaxy's steps
// at their interval, and a picture of the latest step when one is due
// (-delay after the end of the last one, no oftener than the refresh rate).
// The main loop waits Until() there is something to do, takes the steps due
// and draws when a picture is.
struct THackPace {
  TStepClock Steps;
  TFramePace Pictures;
  void Start(int delayUs, double refreshHz, int stepIntervalMs, std::uint32_t nowMs) {
    Pictures.SetRate(HackPictureRate(delayUs, refreshHz));
    Steps.Start(stepIntervalMs, nowMs);
  }
  std::uint32_t Until(std::uint32_t nowMs) const {
    const std::uint32_t step = Steps.Until(nowMs), picture = Pictures.Until(nowMs);
    return step > picture ? step : picture;
  }
};

// A window id as XScreenSaver passes one: decimal, 0x hex or 0 octal, with
// nothing before or after it, above 0 and within the 29 bits an X resource
// id has (a larger number would name another window once the protocol cut
// it to 32 bits). `id` is untouched when the text is none.
constexpr unsigned long kHackWindowIdMax = 0x1FFFFFFF;
bool ParseHackWindowId(const std::string& text, unsigned long& id);
// The window XSCREENSAVER_WINDOW names, given its text (null when it is
// not set); 0 when it names none.
unsigned long HackEnvironmentWindow(const char* text);

// XScreenSaver's settings file for the hack (spiralis.xml), from the
// galaxy's table: what the build installs.
std::string HackSettingsFile();
