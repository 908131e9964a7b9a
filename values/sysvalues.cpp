#include "values/sysvalues.h"

#include "framework/hotcorners.h"
#include "framework/sysregistry.h"
#include "values/registry.h"

namespace {

constexpr int kSysValueCount = 5;

std::string SaverEntry(const char* entry) { return std::string(kScreenSaverKey) + "\\" + entry; }
std::string DesktopEntry(const char* entry) { return std::string(kDesktopKey) + "\\" + entry; }

// A flag in a number entry; `missing` when it cannot be read.
bool ReadFlag(const std::string& path, bool missing, bool (*fromNumber)(std::int32_t)) {
  std::int32_t stored = 0;
  return scrreg::ReadNumber(path, stored) ? fromNumber(stored) : missing;
}

}  // namespace

// ---- Password delay ----------------------------------------------------------

const TMetaClass& TScrVSysPasswordDelay::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVSysPasswordDelay>("TScrVSysPasswordDelay",
                                                                    &TScrVCustomInteger::StaticClass());
  return cls;
}

TScrVSysPasswordDelay::TScrVSysPasswordDelay(TComponent* owner) : TScrVCustomInteger(owner) {
  ranges_ = new TScrVIntegerRanges(this, MakeEvent(static_cast<TScrVCustomInteger*>(this),
                                                   &TScrVCustomInteger::RangesChange));
  SetUpdating(true);
  ranges_->AddRange("seconds", 0, 60, 15);
  ranges_->AddRange("minutes", 61, 3600, 120);
  SetUpdating(false);
}

void TScrVSysPasswordDelay::LoadFromRegistry() {
  LoadFrame([this] {
    std::int32_t stored = 0;
    if (scrreg::ReadNumber(SaverEntry("Password Delay"), stored))
      value_ = stored;
    else
      value_ = ranges_->Count() > 0 ? ranges_->GetItem(0)->Def() : 15;
  });
}

void TScrVSysPasswordDelay::SaveToRegistry() {
  ValueNeeded();
  WriteSysNumber(kScreenSaverKey, "Password Delay", value_);
  WriteSysNumber(kScreenSaverKey, "Password Delay Index", value_ >= 60 ? 1 : 0);
}

// ---- Mouse threshold -----------------------------------------------------------

const TMetaClass& TScrVSysMouseThreshold::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVSysMouseThreshold>("TScrVSysMouseThreshold",
                                                                     &TScrVCustomIndex::StaticClass());
  return cls;
}

TScrVSysMouseThreshold::TScrVSysMouseThreshold(TComponent* owner) : TScrVCustomIndex(owner) {
  ranges_ = new TScrVIndexRanges(this, MakeEvent(static_cast<TScrVCustomIndex*>(this), &TScrVCustomIndex::RangesChange));
  SetUpdating(true);
  ranges_->AddRange("High", 0, 50, 0);
  ranges_->AddRange("Normal", 51, 300, 200);
  ranges_->AddRange("Low", 301, 10000, 400);
  ranges_->AddRange("Ignore mouse movement", 10001, 999999, 999999);
  SetUpdating(false);
}

void TScrVSysMouseThreshold::LoadFromRegistry() {
  LoadFrame([this] {
    std::int32_t pixels = 0;
    if (!scrreg::ReadNumber(SaverEntry("Mouse Threshold"), pixels))
      pixels = ranges_->Count() > 0 ? ranges_->GetItem(0)->Def() : 0;
    const int index = IndexFromInteger(pixels);
    index_ = index >= 0 ? index : 0;
  });
}

void TScrVSysMouseThreshold::SaveToRegistry() {
  ValueNeeded();
  // Without a range there are no pixels to write; the stored pair stays.
  if (index_ < 0 || index_ >= ranges_->Count()) return;
  WriteSysNumber(kScreenSaverKey, "Mouse Threshold", IntegerFromIndex(index_));
  WriteSysNumber(kScreenSaverKey, "Mouse Threshold Index", index_);
}

// ---- Flags -------------------------------------------------------------------

const TMetaClass& TScrVSysMute::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVSysMute>("TScrVSysMute", &TScrVCustomBoolean::StaticClass());
  return cls;
}

void TScrVSysMute::LoadFromRegistry() {
  LoadFrame([this] { value_ = ReadFlag(SaverEntry("Mute"), true, [](std::int32_t n) { return n != 0; }); });
}

void TScrVSysMute::SaveToRegistry() {
  ValueNeeded();
  WriteSysNumber(kScreenSaverKey, "Mute", value_ ? 1 : 0);
}

const TMetaClass& TScrVSysDisableActiveConfig::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVSysDisableActiveConfig>("TScrVSysDisableActiveConfig",
                                                                          &TScrVCustomBoolean::StaticClass());
  return cls;
}

void TScrVSysDisableActiveConfig::LoadFromRegistry() {
  LoadFrame(
      [this] { value_ = ReadFlag(SaverEntry("Active Config"), false, [](std::int32_t n) { return n == 0; }); });
}

void TScrVSysDisableActiveConfig::SaveToRegistry() {
  ValueNeeded();
  WriteSysNumber(kScreenSaverKey, "Active Config", value_ ? 0 : 1);
}

const TMetaClass& TScrVSysUsePassword::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVSysUsePassword>("TScrVSysUsePassword",
                                                                  &TScrVCustomBoolean::StaticClass());
  return cls;
}

void TScrVSysUsePassword::LoadFromRegistry() {
  LoadFrame([this] {
    value_ = ReadFlag(DesktopEntry("ScreenSaveUsePassword"), false, [](std::int32_t n) { return n > 0; });
  });
}

void TScrVSysUsePassword::SaveToRegistry() {
  ValueNeeded();
  WriteSysNumber(kDesktopKey, "ScreenSaveUsePassword", value_ ? 1 : 0);
}

// ---- Corners -------------------------------------------------------------------

const TMetaClass& TScrVSysCorners::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVSysCorners>("TScrVSysCorners", &TScrVCustomString::StaticClass());
  return cls;
}

std::string TScrVSysCorners::CleanString(const std::string& text) {
  std::string corners = (text + "----").substr(0, 4);
  for (char& c : corners)
    if (c != 'Y' && c != 'N') c = '-';
  return corners;
}

void TScrVSysCorners::SetValue(const std::string& text) { TScrVCustomString::SetValue(CleanString(text)); }

void TScrVSysCorners::LoadFromRegistry() {
  LoadFrame([this] {
    std::string stored;
    value_ = CleanString(scrreg::ReadText(SaverEntry("Mouse Corners"), stored) ? stored : std::string());
  });
}

void TScrVSysCorners::SaveToRegistry() {
  ValueNeeded();
  // Cleaned again: the text may have been set through the plain string setter.
  WriteSysText(kScreenSaverKey, "Mouse Corners", CleanString(value_));
  NotifyHots();
}

TScrCornerMode TScrVSysCorners::GetCorner(TScrCorner corner) {
  const int at = static_cast<int>(corner);
  if (at < 0 || at > 3) return cmNone;
  const std::string corners = CleanString(GetValue());
  return corners[at] == 'Y' ? cmImmediate : corners[at] == 'N' ? cmNever : cmNone;
}

void TScrVSysCorners::SetCorner(TScrCorner corner, TScrCornerMode mode) {
  const int at = static_cast<int>(corner);
  if (at < 0 || at > 3) return;
  std::string corners = CleanString(GetValue());
  corners[at] = mode == cmImmediate ? 'Y' : mode == cmNever ? 'N' : '-';
  SetValue(corners);
}

// ---- The component lookup of GetSysValue --------------------------------------

// Holds what was found and hears when a found component goes.
class TScrSysValueLookup::TWatcher : public TComponent {
  TK_CLASS(TWatcher)
  TWatcher() : TComponent(nullptr) {}

  bool searched[kSysValueCount] = {};
  TScrValue* found[kSysValueCount] = {};

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == opRemove)
      for (TScrValue*& f : found)
        if (f == component) f = nullptr;
    TComponent::Notification(component, operation);
  }
};

const TMetaClass& TScrSysValueLookup::TWatcher::StaticClass() {
  static const TMetaClass cls = DefineClass<TWatcher>("TScrSysValueLookupWatcher", &TComponent::StaticClass());
  return cls;
}

TScrSysValueLookup::TScrSysValueLookup() : watcher_(new TWatcher) {}
TScrSysValueLookup::~TScrSysValueLookup() { delete watcher_; }

namespace {

TClass ClassFor(TScrSysValue which) {
  switch (which) {
    case svPasswordDelay: return &TScrVSysPasswordDelay::StaticClass();
    case svMouseThreshold: return &TScrVSysMouseThreshold::StaticClass();
    case svMute: return &TScrVSysMute::StaticClass();
    case svActiveConfig: return &TScrVSysDisableActiveConfig::StaticClass();
    case svUsePassword: return &TScrVSysUsePassword::StaticClass();
  }
  return nullptr;
}

bool InRange(TScrSysValue which) { return static_cast<int>(which) >= 0 && static_cast<int>(which) < kSysValueCount; }

}  // namespace

TScrValue* TScrSysValueLookup::Found(TScrSysValue which) const {
  return InRange(which) ? watcher_->found[which] : nullptr;
}

bool TScrSysValueLookup::Searched(TScrSysValue which) const { return InRange(which) && watcher_->searched[which]; }

bool TScrSysValueLookup::Answer(TScrSysValue which, TComponent* owner, std::int32_t& value) {
  if (!owner || !InRange(which)) return false;
  if (!watcher_->searched[which]) {
    watcher_->searched[which] = true;
    const TClass cls = ClassFor(which);
    for (int i = 0; i < owner->ComponentCount(); ++i) {
      TComponent* c = owner->Components(i);
      if (c->InheritsFrom(cls)) {
        watcher_->found[which] = static_cast<TScrValue*>(c);
        c->FreeNotification(watcher_);
        break;
      }
    }
  }
  TScrValue* v = watcher_->found[which];
  if (!v) return false;
  switch (which) {
    case svPasswordDelay:
      value = static_cast<TScrVSysPasswordDelay*>(v)->GetValue();
      return true;
    case svMouseThreshold: {
      auto* threshold = static_cast<TScrVSysMouseThreshold*>(v);
      const int index = threshold->GetIndex();
      const TScrVIndexRanges* ranges = threshold->GetRanges();
      if (index < 0 || !ranges || index >= ranges->Count()) return false;
      value = threshold->IntegerFromIndex(index);
      return true;
    }
    case svMute:
      value = static_cast<TScrVSysMute*>(v)->GetValue() ? 1 : 0;
      return true;
    case svActiveConfig:
      value = static_cast<TScrVSysDisableActiveConfig*>(v)->GetValue() ? 0 : 1;
      return true;
    case svUsePassword:
      value = static_cast<TScrVSysUsePassword*>(v)->GetValue() ? 1 : 0;
      return true;
  }
  return false;
}

bool ScrGetSysValue(TScrSysValue which, TComponent* owner, std::int32_t& value) {
  // Never freed: it must outlive every component it remembers.
  static TScrSysValueLookup* const lookup = new TScrSysValueLookup;
  return lookup->Answer(which, owner, value);
}

void ScrInstallSysValues() {
  RegisterClasses({&TScrVSysPasswordDelay::StaticClass(), &TScrVSysMouseThreshold::StaticClass(),
                   &TScrVSysMute::StaticClass(), &TScrVSysDisableActiveConfig::StaticClass(),
                   &TScrVSysUsePassword::StaticClass(), &TScrVSysCorners::StaticClass()});
  GetSysValueProc = &ScrGetSysValue;
}
