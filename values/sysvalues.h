#pragma once
// The screen-saver settings shared by every saver of the user, as value
// components a dialog can edit. They keep their settings at fixed entries of
// the system's keys (framework/sysregistry.h) instead of a RegistryPath, and
// publish only Name and Tag.
//
// The same module answers GetSysValue for the main form: the first query for
// a setting with an owner looks among the owner's components for the value
// that stands for it and remembers what it found for the rest of the process.
#include <cstdint>
#include <string>

#include "framework/valuehooks.h"
#include "values/typed.h"

// Seconds after the saver starts during which no password is asked.
// Ranges "seconds" 0..60 (15) and "minutes" 61..3600 (120). The stored number
// is taken as it is, inside the ranges or not.
class TScrVSysPasswordDelay : public TScrVCustomInteger {
  TK_CLASS(TScrVSysPasswordDelay)
  explicit TScrVSysPasswordDelay(TComponent* owner);
  void LoadFromRegistry() override;
  // "Password Delay", then "Password Delay Index" (1 from a minute on).
  void SaveToRegistry() override;
};

// How far the mouse may move before the saver ends, as one of the ranges
// "High" 0..50 (0), "Normal" 51..300 (200), "Low" 301..10000 (400) and
// "Ignore mouse movement" 10001..999999 (999999). A stored number no range
// holds reads as "High"; a save writes the chosen range's pixels and index.
class TScrVSysMouseThreshold : public TScrVCustomIndex {
  TK_CLASS(TScrVSysMouseThreshold)
  explicit TScrVSysMouseThreshold(TComponent* owner);
  void LoadFromRegistry() override;
  // Writes nothing while the index names no range.
  void SaveToRegistry() override;
};

// Savers play no sound. Kept in "Mute"; true when that is missing.
class TScrVSysMute : public TScrVCustomBoolean {
  TK_CLASS(TScrVSysMute)
  explicit TScrVSysMute(TComponent* owner) : TScrVCustomBoolean(owner) {}
  void LoadFromRegistry() override;
  void SaveToRegistry() override;
};

// The running saver may not open its options: "Active Config" is 0.
class TScrVSysDisableActiveConfig : public TScrVCustomBoolean {
  TK_CLASS(TScrVSysDisableActiveConfig)
  explicit TScrVSysDisableActiveConfig(TComponent* owner) : TScrVCustomBoolean(owner) {}
  void LoadFromRegistry() override;
  void SaveToRegistry() override;
};

// A password protects the saver: the desktop's "ScreenSaveUsePassword".
class TScrVSysUsePassword : public TScrVCustomBoolean {
  TK_CLASS(TScrVSysUsePassword)
  explicit TScrVSysUsePassword(TComponent* owner) : TScrVCustomBoolean(owner) {}
  void LoadFromRegistry() override;
  void SaveToRegistry() override;
};

// The screen corners, in the order of the corner string.
enum TScrCorner : int { ccTopLeft, ccTopRight, ccBotRight, ccBotLeft };
// What a corner does: 'Y' starts the saver at once, 'N' keeps it from
// starting, '-' nothing.
enum TScrCornerMode : int { cmNone, cmImmediate, cmNever };

// The corner string in "Mouse Corners": four characters, each 'Y', 'N' or '-'.
// Saving it tells the corner services (NotifyHots).
class TScrVSysCorners : public TScrVCustomString {
  TK_CLASS(TScrVSysCorners)
  explicit TScrVSysCorners(TComponent* owner) : TScrVCustomString(owner) {}
  void LoadFromRegistry() override;
  void SaveToRegistry() override;

  // Stores the cleaned text; notifies only when that differs.
  void SetValue(const std::string& text);
  using TScrVCustomString::GetValue;
  // The first four characters of `text` padded with '-', every one that is
  // not 'Y' or 'N' made '-'.
  static std::string CleanString(const std::string& text);
  // cmNone for a corner outside the four.
  TScrCornerMode GetCorner(TScrCorner corner);
  // Does nothing for a corner outside the four.
  void SetCorner(TScrCorner corner, TScrCornerMode mode);
};

// Which value components answer GetSysValue. The first question for a
// setting with an owner searches the owner's components in order for the
// first of that setting's class (descendants included) and remembers the
// answer, found or not, whatever owners later questions name. A remembered
// component that is destroyed is forgotten: the registry answers again.
class TScrSysValueLookup {
 public:
  TScrSysValueLookup();
  ~TScrSysValueLookup();
  TScrSysValueLookup(const TScrSysValueLookup&) = delete;
  TScrSysValueLookup& operator=(const TScrSysValueLookup&) = delete;

  // False (no answer) for no owner, no component, or a mouse threshold whose
  // index names no range.
  bool Answer(TScrSysValue which, TComponent* owner, std::int32_t& value);
  // The component remembered for `which` (null before the search or if none).
  TScrValue* Found(TScrSysValue which) const;
  bool Searched(TScrSysValue which) const;

 private:
  class TWatcher;
  TWatcher* watcher_;
};

// The process's lookup, behind GetSysValueProc.
bool ScrGetSysValue(TScrSysValue which, TComponent* owner, std::int32_t& value);

// Registers the six classes for form resources and fills GetSysValueProc.
void ScrInstallSysValues();
