#pragma once
// The galaxy's settings, each defined once for every front end: its names,
// the dialog's caption, its range and its default, and how it is read from
// and written to TGalaxySettings. The model clamps by this table; the Linux
// hack's options are made from it; the Windows saver's settings module and
// options dialog, and the hack's settings file, are checked against it.
#include <cstdint>
#include <string>

// A colour as the toolkit's TColor: red in the low byte, then green, then blue.
using TGalaxyColor = std::uint32_t;

// How the rings turn, as the DarkMatter setting holds it: every ring by the
// same number of cells a step (Present), more the further out the ring
// (Partial, linearly), or with the square of its number (Absent).
enum class TRotationLaw { Present = 1, Partial = 2, Absent = 3 };

// The galaxy's settings, in the units the saver acts on. A new one holds the
// defaults of a fresh installation: these initialisers are the defaults
// every front end uses.
struct TGalaxySettings {
  int Rings = 60;                       // number of rings
  int Velocity = 23;                    // galactic rotation
  int Probability = 38;                 // triggering probability, percent
  int Trails = 45;                      // full trail length, in steps
  TGalaxyColor Explosion = 0xFFFF00;    // Aqua
  TGalaxyColor Exhausted = 0x808000;    // Teal
  TGalaxyColor Background = 0x000000;   // Black
  TGalaxyColor Replenished = 0x000000;  // Black
  double Density = 0.005;               // fraction of cells seeded
  int DarkMatter = 2;                   // a TRotationLaw
  int Depth = 500;                      // the picture: depth of the cone
  int Speed = 1;                        // step interval in ms
  int Eye = 50;                         // the picture: camera wander
};

bool operator==(const TGalaxySettings& a, const TGalaxySettings& b);
inline bool operator!=(const TGalaxySettings& a, const TGalaxySettings& b) { return !(a == b); }

enum class TSettingKind {
  Number,  // a figure between Min and Max
  Choice,  // one of Choices' values
  Color,   // a TGalaxyColor
};

// One option of a choice setting.
struct TSettingChoice {
  const char* Word;     // the hack's word: "medium"
  const char* Caption;  // the dialog's: "Medium"
  int Value;            // what the galaxy acts on: 40 (ms)
  int Min, Max;         // the figures that count as this option: 4 to 70
};

struct TGalaxySettingInfo {
  const char* ValueName;  // the Windows settings module's value and registry entry: "nRings"
  const char* Option;     // the hack's option: "rings"
  const char* Caption;    // the dialog's caption: "Number of rings"
  TSettingKind Kind;
  double Min, Max;  // a Number's range, in the galaxy's units
  // A slider's positions per unit: the dialog's track bar, the hack's option
  // and its settings file count in them. 1, but for the density.
  double Steps;
  // A Choice's options, in the order of the dialog's slider; else null. A
  // figure that no option holds counts as the option of the least figure
  // (Fast's 1 ms, Present).
  const TSettingChoice* Choices;
  int ChoiceCount;
  // Where the setting lives in TGalaxySettings: one of these is set.
  int TGalaxySettings::*Integer;
  double TGalaxySettings::*Real;
  TGalaxyColor TGalaxySettings::*Color;
};

// The dialog's slider for the density has 100 positions up to its largest
// value, 0.05.
constexpr double kDensitySteps = 2000;

constexpr int kGalaxySettingCount = 13;
// In the order of the options dialog's pages.
extern const TGalaxySettingInfo kGalaxySettings[kGalaxySettingCount];

// The setting of that option (exactly as the table writes it), or null.
const TGalaxySettingInfo* FindGalaxySetting(const std::string& option);

double GetGalaxySetting(const TGalaxySettings& settings, const TGalaxySettingInfo& info);
// Stores `value` as it is (see ClampGalaxySetting), but for one its field
// cannot hold (NaN or beyond the field's type), which stores the default.
void SetGalaxySetting(TGalaxySettings& settings, const TGalaxySettingInfo& info, double value);
// A fresh installation's value of the setting.
double GalaxySettingDefault(const TGalaxySettingInfo& info);

// A Number's slider: its ends, and the position of a value (rounded).
int SliderMin(const TGalaxySettingInfo& info);
int SliderMax(const TGalaxySettingInfo& info);
int SliderPosition(const TGalaxySettingInfo& info, double value);

// A value the galaxy can act on: a number is brought into its range, a
// choice becomes the value of the option that holds it (the least option's
// when none does), a colour
// keeps its low three bytes; what is no number at all (NaN, a colour out of
// 32 bits) becomes the default.
double ClampGalaxySetting(const TGalaxySettingInfo& info, double value);
// Every setting clamped.
TGalaxySettings ClampGalaxySettings(TGalaxySettings settings);
