#pragma once
// The saver's invisible main module: the control component that runs the
// mode, and every setting of the saver. Everything else reads and writes
// settings through `MainForm`, never through the registry.
#include "framework/scrcontrol.h"
#include "galaxy/settings.h"
#include "toolkit/datamodule.h"
#include "values/screenmode.h"
#include "values/sysvalues.h"
#include "values/typed.h"

class TMainForm : public TDataModule {
  TK_CLASS(TMainForm)
  explicit TMainForm(TComponent* owner);
  void AfterConstruction() override;

  // Bound by name when the module's resource is read.
  TScrControl* ScrControl = nullptr;
  TScrVString* DriverPath = nullptr;
  TScrVString* Driver = nullptr;
  TScrVSysCorners* Corners = nullptr;
  TScrVSysPasswordDelay* PasswordDelay = nullptr;
  TScrVSysMute* Mute = nullptr;
  TScrVSysDisableActiveConfig* DisableActiveConfig = nullptr;
  TScrVSysMouseThreshold* MouseThreshold = nullptr;
  TScrVInteger* nRings = nullptr;
  TScrVInteger* Velocity = nullptr;
  TScrVInteger* Probability = nullptr;
  TScrVInteger* Trails = nullptr;
  TScrVColor* Explosion = nullptr;
  TScrVColor* Exhausted = nullptr;
  TScrVColor* Background = nullptr;
  TScrVColor* Replenished = nullptr;
  TScrVBoolean* ReStart = nullptr;
  TScrVDouble* Density = nullptr;
  TScrVIndex* DarkMatter = nullptr;
  TScrVInteger* Depth = nullptr;
  TScrVIndex* Speed = nullptr;
  TScrVInteger* Eye = nullptr;
  TScrVBoolean* Told3dfx = nullptr;
  TScrVBoolean* ToldActive = nullptr;
  TScrVScreenMode* Mode = nullptr;
  TScrVInteger* FrameRate = nullptr;
  TScrVInteger* Monitors = nullptr;  // a TMonitorLayout: how the galaxy covers the monitors

  // The Frame rate setting: the most pictures a second, from 5 up; 0 for
  // the monitor's rate. A stored figure below 5 counts as 0, as one out of
  // the value's range does.
  static constexpr int kFrameRateMin = 5;
  int PictureRateSetting() const;

  // The galaxy's settings as the values hold them now. An index value with
  // no option gives a figure that the galaxy takes as its default.
  TGalaxySettings GalaxySettings() const;
  // The value of a setting of the galaxy's table, by its value name: one
  // of the resource's, or one made for a row the resource lacks.
  TScrValue* GalaxyValue(const TGalaxySettingInfo& info) const;
  // Sets that value to a figure in the galaxy's units; an index value takes
  // the option whose range holds it.
  void SetGalaxySetting(const TGalaxySettingInfo& info, double value) const;
};

// The one main module, for the whole run.
extern TMainForm* MainForm;

// Registers the saver's own classes with the class registry.
void RegisterSaverClasses();
