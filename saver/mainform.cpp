#include "saver/mainform.h"

#include <windows.h>

#include "saver/configform.h"
#include "saver/saverform.h"
#include "toolkit/extctrls.h"
#include "gl/sgl_components.h"
#include "values/pascreate.h"
#include "values/values.h"

TMainForm* MainForm = nullptr;

const TMetaClass& TMainForm::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TMainForm>("TMainForm", &TDataModule::StaticClass(), [](TClassBuilder<TMainForm>& b) {
        b.Field("ScrControl", &TMainForm::ScrControl);
        b.Field("DriverPath", &TMainForm::DriverPath);
        b.Field("Driver", &TMainForm::Driver);
        b.Field("Corners", &TMainForm::Corners);
        b.Field("PasswordDelay", &TMainForm::PasswordDelay);
        b.Field("Mute", &TMainForm::Mute);
        b.Field("DisableActiveConfig", &TMainForm::DisableActiveConfig);
        b.Field("MouseThreshold", &TMainForm::MouseThreshold);
        b.Field("nRings", &TMainForm::nRings);
        b.Field("Velocity", &TMainForm::Velocity);
        b.Field("Probability", &TMainForm::Probability);
        b.Field("Trails", &TMainForm::Trails);
        b.Field("Explosion", &TMainForm::Explosion);
        b.Field("Exhausted", &TMainForm::Exhausted);
        b.Field("Background", &TMainForm::Background);
        b.Field("Replenished", &TMainForm::Replenished);
        b.Field("ReStart", &TMainForm::ReStart);
        b.Field("Density", &TMainForm::Density);
        b.Field("DarkMatter", &TMainForm::DarkMatter);
        b.Field("Depth", &TMainForm::Depth);
        b.Field("Speed", &TMainForm::Speed);
        b.Field("Eye", &TMainForm::Eye);
        b.Field("Told3dfx", &TMainForm::Told3dfx);
        b.Field("ToldActive", &TMainForm::ToldActive);
        b.Field("Mode", &TMainForm::Mode);
        b.Field("FrameRate", &TMainForm::FrameRate);
        b.Field("Monitors", &TMainForm::Monitors);
      });
  return cls;
}

TMainForm::TMainForm(TComponent* owner) : TDataModule(owner) {}

namespace {

// A galaxy value's fallback and ranges, from the galaxy's table: a number
// has one range from its least to its largest figure, a choice one range an
// option (its caption, the figures that read as it, and the figure it
// stores). Set before any value is read, so that every read and every
// stored figure follow the table.
void DefineGalaxyValue(TScrValue* value, const TGalaxySettingInfo& info) {
  const double def = GalaxySettingDefault(info);
  if (auto* v = dynamic_cast<TScrVInteger*>(value)) {
    v->SetDef(static_cast<std::int32_t>(def));
    v->GetRanges()->Clear();
    v->GetRanges()->AddRange("Range0", static_cast<std::int32_t>(info.Min), static_cast<std::int32_t>(info.Max),
                             static_cast<std::int32_t>(def));
  } else if (auto* v = dynamic_cast<TScrVDouble*>(value)) {
    v->SetDef(def);
    v->GetRanges()->Clear();
    v->GetRanges()->AddRange("Range", info.Min, info.Max, def);
  } else if (auto* v = dynamic_cast<TScrVIndex*>(value)) {
    v->SetDef(static_cast<std::int32_t>(def));
    v->GetRanges()->Clear();
    for (int i = 0; i < info.ChoiceCount; ++i)
      v->GetRanges()->AddRange(info.Choices[i].Caption, info.Choices[i].Min, info.Choices[i].Max, info.Choices[i].Value);
  } else if (auto* v = dynamic_cast<TScrVColor*>(value)) {
    v->SetDef(static_cast<TColor>(def));
  }
}

// A galaxy value the module's resource lacks, of the class its kind takes,
// named and stored after the table's value name.
TScrValue* CreateGalaxyValue(TComponent* owner, const TGalaxySettingInfo& info) {
  const char* cls = info.Kind == TSettingKind::Choice ? "TScrVIndex"
                    : info.Kind == TSettingKind::Color ? "TScrVColor"
                    : info.Real                        ? "TScrVDouble"
                                                       : "TScrVInteger";
  auto* value = static_cast<TScrValue*>(ScrCreateOwnedComponent(owner, FindClass(cls)));
  value->SetName(info.ValueName);
  return value;
}

}  // namespace

void TMainForm::AfterConstruction() {
  TDataModule::AfterConstruction();
  for (const TGalaxySettingInfo& info : kGalaxySettings) {
    TScrValue* value = GalaxyValue(info);
    DefineGalaxyValue(value ? value : CreateGalaxyValue(this, info), info);
  }
  // A file of this name in the current folder switches on the full trace.
  DWORD log = GetFileAttributesA("spiralis.log");
  if (ScrControl && log != INVALID_FILE_ATTRIBUTES && !(log & FILE_ATTRIBUTE_DIRECTORY)) {
    MessageBeep(0);
    ScrControl->SetDebugLevel(dlFull);
    ScrControl->SetDebugLogLevel(tlAll);
    ScrControl->SetDebugLog("spiralis.log");
  }
}

int TMainForm::PictureRateSetting() const {
  const int rate = FrameRate ? FrameRate->GetValue() : 0;
  return rate >= kFrameRateMin ? rate : 0;
}

TScrValue* TMainForm::GalaxyValue(const TGalaxySettingInfo& info) const {
  return dynamic_cast<TScrValue*>(FindComponent(info.ValueName));
}

TGalaxySettings TMainForm::GalaxySettings() const {
  TGalaxySettings settings;
  for (const TGalaxySettingInfo& info : kGalaxySettings) {
    TScrValue* value = GalaxyValue(info);
    double figure = 0;
    if (auto* v = dynamic_cast<TScrVCustomInteger*>(value))
      figure = v->GetValue();
    else if (auto* v = dynamic_cast<TScrVCustomDouble*>(value))
      figure = v->GetValue();
    else if (auto* v = dynamic_cast<TScrVColor*>(value))
      figure = v->GetValue();
    else if (auto* v = dynamic_cast<TScrVCustomIndex*>(value))
      figure = v->GetIndex() >= 0 ? v->IntegerFromCurrentIndex() : -1;
    else
      figure = GalaxySettingDefault(info);
    ::SetGalaxySetting(settings, info, figure);
  }
  return settings;
}

void TMainForm::SetGalaxySetting(const TGalaxySettingInfo& info, double figure) const {
  TScrValue* value = GalaxyValue(info);
  if (auto* v = dynamic_cast<TScrVCustomInteger*>(value))
    v->SetValue(static_cast<std::int32_t>(figure));
  else if (auto* v = dynamic_cast<TScrVCustomDouble*>(value))
    v->SetValue(figure);
  else if (auto* v = dynamic_cast<TScrVColor*>(value))
    v->SetValue(static_cast<TColor>(figure));
  else if (auto* v = dynamic_cast<TScrVCustomIndex*>(value))
    v->SetIndex(v->IndexFromInteger(static_cast<std::int32_t>(figure)));
}

void RegisterSaverClasses() {
  ScrRegisterFrameworkClasses();
  ScrInstallValues();
  SglRegisterClasses();
  ScrRegisterPreviewClasses();
  RegisterConfigFormClasses();
  RegisterClasses({&TMainForm::StaticClass(), &TSaverForm::StaticClass(), &TTimer::StaticClass()});
}
