#include "galaxy/settings.h"

#include <cmath>

namespace {

using S = TGalaxySettings;
constexpr auto kNumber = TSettingKind::Number, kChoice = TSettingKind::Choice, kColor = TSettingKind::Color;

// A choice is stored as its figure; a stored figure anywhere in an option's
// span reads as that option.
constexpr TSettingChoice kSpeeds[] = {
    {"slow", "Slow", 100, 71, 120}, {"medium", "Medium", 40, 4, 70}, {"fast", "Fast", 1, 1, 3}};
constexpr int kPresent = static_cast<int>(TRotationLaw::Present), kPartial = static_cast<int>(TRotationLaw::Partial),
              kAbsent = static_cast<int>(TRotationLaw::Absent);
constexpr TSettingChoice kLaws[] = {{"present", "Present", kPresent, kPresent, kPresent},
                                    {"partial", "Partial", kPartial, kPartial, kPartial},
                                    {"absent", "Absent", kAbsent, kAbsent, kAbsent}};

constexpr TGalaxySettingInfo Number(const char* value, const char* option, const char* caption, double min,
                                    double max, int S::*field) {
  return {value, option, caption, kNumber, min, max, 1, nullptr, 0, field, nullptr, nullptr};
}
template <int N>
constexpr TGalaxySettingInfo Choice(const char* value, const char* option, const char* caption,
                                    const TSettingChoice (&choices)[N], int S::*field) {
  return {value, option, caption, kChoice, 0, 0, 1, choices, N, field, nullptr, nullptr};
}
constexpr TGalaxySettingInfo Color(const char* value, const char* option, const char* caption,
                                   TGalaxyColor S::*field) {
  return {value, option, caption, kColor, 0, 0xFFFFFF, 1, nullptr, 0, nullptr, nullptr, field};
}

}  // namespace

const TGalaxySettingInfo kGalaxySettings[kGalaxySettingCount] = {
    // Science
    Choice("Speed", "speed", "Speed of sim.", kSpeeds, &S::Speed),
    Number("Velocity", "velocity", "Galactic rotation", 0, 40, &S::Velocity),
    Number("Probability", "probability", "Triggering probability", 0, 100, &S::Probability),
    Number("nRings", "rings", "Number of rings", 2, 150, &S::Rings),
    {"Density", "density", "Initial star density", kNumber, 0, 0.05, kDensitySteps, nullptr, 0, nullptr,
     &S::Density, nullptr},
    Choice("DarkMatter", "dark-matter", "Dark Matter", kLaws, &S::DarkMatter),
    Number("Trails", "trails", "Time to replenish gases", 1, 150, &S::Trails),
    // Visuals
    Number("Eye", "eye", "Camera wander", 0, 150, &S::Eye),
    Number("Depth", "depth", "Depth of field", 0, 600, &S::Depth),
    Color("Explosion", "explosion", "Explosion", &S::Explosion),
    Color("Exhausted", "exhausted", "Exhausted", &S::Exhausted),
    Color("Replenished", "plenished", "Plenished", &S::Replenished),
    Color("Background", "background", "Background", &S::Background),
};

bool operator==(const TGalaxySettings& a, const TGalaxySettings& b) {
  for (const TGalaxySettingInfo& info : kGalaxySettings)
    if (GetGalaxySetting(a, info) != GetGalaxySetting(b, info)) return false;
  return true;
}

const TGalaxySettingInfo* FindGalaxySetting(const std::string& option) {
  for (const TGalaxySettingInfo& info : kGalaxySettings)
    if (option == info.Option) return &info;
  return nullptr;
}

double GetGalaxySetting(const TGalaxySettings& settings, const TGalaxySettingInfo& info) {
  if (info.Integer) return settings.*info.Integer;
  if (info.Real) return settings.*info.Real;
  return settings.*info.Color;
}

void SetGalaxySetting(TGalaxySettings& settings, const TGalaxySettingInfo& info, double value) {
  // A figure the field cannot hold (NaN, beyond its type: a colour below 0)
  // is no figure at all, and the default takes its place.
  if (info.Integer)
    settings.*info.Integer = static_cast<int>(value > -2147483649.0 && value < 2147483648.0 ? value
                                                                                           : GalaxySettingDefault(info));
  else if (info.Real)
    settings.*info.Real = value;
  else
    settings.*info.Color =
        static_cast<TGalaxyColor>(value > -1.0 && value < 4294967296.0 ? value : GalaxySettingDefault(info));
}

double GalaxySettingDefault(const TGalaxySettingInfo& info) { return GetGalaxySetting(TGalaxySettings(), info); }

int SliderPosition(const TGalaxySettingInfo& info, double value) {
  return static_cast<int>(std::lround(value * info.Steps));
}
int SliderMin(const TGalaxySettingInfo& info) { return SliderPosition(info, info.Min); }
int SliderMax(const TGalaxySettingInfo& info) { return SliderPosition(info, info.Max); }

double ClampGalaxySetting(const TGalaxySettingInfo& info, double value) {
  if (std::isnan(value)) return GalaxySettingDefault(info);
  switch (info.Kind) {
    case TSettingKind::Number:
      value = value < info.Min ? info.Min : value > info.Max ? info.Max : value;
      return info.Integer ? std::trunc(value) : value;
    case TSettingKind::Choice: {
      int least = info.Choices[0].Value;
      for (int i = 0; i < info.ChoiceCount; ++i) {
        if (value >= info.Choices[i].Min && value <= info.Choices[i].Max) return info.Choices[i].Value;
        if (info.Choices[i].Value < least) least = info.Choices[i].Value;
      }
      return least;
    }
    case TSettingKind::Color:
      if (!(value >= 0 && value <= 0xFFFFFFFFu)) return GalaxySettingDefault(info);
      return static_cast<TGalaxyColor>(value) & 0xFFFFFFu;
  }
  return value;
}

TGalaxySettings ClampGalaxySettings(TGalaxySettings settings) {
  for (const TGalaxySettingInfo& info : kGalaxySettings)
    SetGalaxySetting(settings, info, ClampGalaxySetting(info, GetGalaxySetting(settings, info)));
  return settings;
}
