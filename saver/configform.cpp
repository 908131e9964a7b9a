#include "saver/configform.h"

#include <windows.h>
#include <shellapi.h>

#include "controls/scrcontrols.h"
#include "galaxy/presets.h"
#include "galaxy/words.h"
#include "saver/mainform.h"
#include "toolkit/msgbox.h"
#include "toolkit/sysutils.h"

namespace {

void InvertReStart() { MainForm->ReStart->SetValue(!MainForm->ReStart->GetValue()); }

const char* const kHint3dfx = "If you have a 3dfx card, you should locate an OpenGL driver for it";
const char* const kHintActive =
    "You can pop up this configuration dialog while the saver is actually running:\r\n"
    "just right-click with the mouse anywhere on the screen.\r\n"
    "You'll have to make sure active-config is not disabled.";

}  // namespace

const TMetaClass& TConfigForm::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TConfigForm>("TConfigForm", &TScrDialog::StaticClass(), [](TClassBuilder<TConfigForm>& b) {
        b.Field("PageControl", &TConfigForm::PageControl);
        b.Field("tsGeneral", &TConfigForm::tsGeneral);
        b.Field("tsOpenGL", &TConfigForm::tsOpenGL);
        b.Field("tsScience", &TConfigForm::tsScience);
        b.Field("tsVisuals", &TConfigForm::tsVisuals);
        b.Field("tsPresets", &TConfigForm::tsPresets);
        b.Field("pScience", &TConfigForm::pScience);
        b.Field("pVisuals", &TConfigForm::pVisuals);
        b.Field("pPresets", &TConfigForm::pPresets);
        b.Field("ScrPreview", &TConfigForm::ScrPreview);
        b.Field("PresetsBox", &TConfigForm::PresetsBox);
        b.Field("DriverListBox", &TConfigForm::DriverListBox);
        b.Field("DriverOpen", &TConfigForm::DriverOpen);
        b.Field("DriverList", &TConfigForm::DriverList);
        b.Method("FormActivate", &TConfigForm::FormActivate);
        b.Method("PageControlChange", &TConfigForm::PageControlChange);
        b.Method("PresetsBoxClick", &TConfigForm::PresetsBoxClick);
        b.Method("btnRestartClick", &TConfigForm::btnRestartClick);
        b.Method("btnDriverClick", &TConfigForm::btnDriverClick);
        b.Method("DriverListBoxClick", &TConfigForm::DriverListBoxClick);
        b.Method("UrlClick", &TConfigForm::UrlClick);
      });
  return cls;
}

TConfigForm::TConfigForm(TComponent* owner) : TScrDialog(owner) {}

void TConfigForm::AfterConstruction() {
  TScrDialog::AfterConstruction();
  if (!MainForm || !PageControl || !DriverList || !DriverListBox || !ScrPreview)
    throw EInvalidOperation("The options dialog needs the main module and its resource");
  if (PresetsBox)
    for (const TGalaxyPreset& preset : kGalaxyPresets) PresetsBox->Items()->Add(preset.Name);
  DriverList->Search()->Add(MainForm->DriverPath->GetValue());
  FillDriverList(MainForm->Driver->GetValue());
  if (DriverListBox->ItemIndex() >= 0) FollowSelectedDriver();
  PageControl->SetActivePage(tsPresets);
  PageControlChange(PageControl);
}

void TConfigForm::FillDriverList(const std::string& selectFile) {
  TSglDriverStrings* drivers = DriverList->Drivers();
  TStrings* items = DriverListBox->Items();
  items->SetStrings(drivers->ToVector());
  DriverListBox->SetItemIndex(drivers->IndexOfFileName(selectFile));
}

void TConfigForm::FollowSelectedDriver() {
  const int i = DriverListBox->ItemIndex();
  TSglDriverStrings* drivers = DriverList->Drivers();
  if (i < 0 || i >= drivers->Count() || !drivers->GetObject(i)) return;
  MainForm->Mode->SetFor3dfx(drivers->GetObject(i)->is3dfx);
}

void TConfigForm::FormActivate(TObject*) {
  if (hintsConsidered_) return;
  hintsConsidered_ = true;
  if (!MainForm->Told3dfx->GetValue()) {
    MainForm->Told3dfx->SetValue(true);
    MainForm->Told3dfx->SaveToRegistry();
    PageControl->SetActivePage(tsOpenGL);
    PageControlChange(PageControl);
    ShowMessageBox(Handle(), kHint3dfx, "Information", MB_OK | MB_ICONINFORMATION);
  } else if (!MainForm->ToldActive->GetValue()) {
    MainForm->ToldActive->SetValue(true);
    MainForm->ToldActive->SaveToRegistry();
    if (ScrMode() == smCActive) return;
    PageControl->SetActivePage(tsGeneral);
    PageControlChange(PageControl);
    ShowMessageBox(Handle(), kHintActive, "Information", MB_OK | MB_ICONINFORMATION);
  }
}

void TConfigForm::PageControlChange(TObject*) {
  TTabSheet* page = PageControl->ActivePage();
  TPanel* panel = page == tsScience ? pScience : page == tsVisuals ? pVisuals : page == tsPresets ? pPresets : nullptr;
  if (!panel) return;
  ScrPreview->SetParent(panel);
  panel->Realign();
}

bool TConfigForm::ApplyPreset(const std::string& name) {
  const TGalaxyPreset* p = FindGalaxyPreset(name);
  if (!p) return false;
  ApplyGalaxyPreset(*p, [](const TGalaxySettingInfo& info, double value) { MainForm->SetGalaxySetting(info, value); });
  InvertReStart();
  return true;
}

void TConfigForm::PresetsBoxClick(TObject*) {
  const int i = PresetsBox->ItemIndex();
  if (i >= 0) ApplyPreset(PresetsBox->Items()->Get(i));
}

void TConfigForm::btnRestartClick(TObject*) { InvertReStart(); }

void TConfigForm::btnDriverClick(TObject*) {
  DriverOpen->SetFileName("");
  DriverOpen->SetInitialDir(ExtractFilePath(MainForm->DriverPath->GetValue()));
  if (!DriverOpen->Execute()) return;
  const std::string file = DriverOpen->FileName();
  MainForm->DriverPath->SetValue(file);
  MainForm->Driver->SetValue(file);
  DriverList->Search()->Add(file);
  FillDriverList(file);
  FollowSelectedDriver();
}

void TConfigForm::DriverListBoxClick(TObject*) {
  const int i = DriverListBox->ItemIndex();
  TSglDriverStrings* drivers = DriverList->Drivers();
  if (i < 0 || i >= drivers->Count() || !drivers->GetObject(i)) {
    MainForm->Driver->SetValue("");
    return;
  }
  MainForm->Driver->SetValue(drivers->GetObject(i)->fileName);
  FollowSelectedDriver();
}

void TConfigForm::UrlClick(TObject* sender) {
  auto* label = dynamic_cast<TLabel*>(sender);
  if (!label) return;
  ShellExecuteA(Handle(), "open", label->Caption().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void RegisterConfigFormClasses() {
  ScrInstallControls();
  RegisterClasses({&TConfigForm::StaticClass(), &TFrameRateController::StaticClass()});
}
