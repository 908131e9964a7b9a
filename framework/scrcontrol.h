#pragma once
// The control component: the one non-visual component on the saver's main
// module that reads the command line, creates the form of the run mode
// through the class registry and runs it, and opens the nested dialogs
// (active configuration, password, About) for the saver forms.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/scrmode.h"
#include "framework/trace.h"
#include "toolkit/forms.h"

enum TScrDebugLevel { dlCompact, dlFull, dlFullTopmost, dlRelease };

enum TScrControlOption {
  scoHandleInput,          // the full-screen form reacts to mouse and keyboard
  scoHandlePanelsAlso,     // child windows of the saver form are watched too
  scoAboutMenuItem,        // configuration dialogs get "&About..." in the system menu
  scoCheckActivePassword,  // the active configuration asks for the password first
  scoActiveDragging,       // the active configuration dialog drags by its client area
};
using TScrControlOptions = TSet<TScrControlOption>;

// What the control wants the form it is creating to look like; each field
// counts only when its flag is set.
enum TScrSuggestionFlag { sfBorderStyle, sfParentWindow, sfBounds, sfSize, sfStyle, sfExStyle, sfPosition,
                          sfScrMode, sfCentre };
using TScrSuggestionFlags = TSet<TScrSuggestionFlag>;

struct TScrFormCreateSuggestions {
  TScrSuggestionFlags Flags;
  TFormBorderStyle BorderStyle = bsNone;
  HWND ParentWindow = nullptr;
  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  DWORD StyleAnd = 0xFFFFFFFF, StyleOr = 0;
  DWORD ExStyleAnd = 0xFFFFFFFF, ExStyleOr = 0;
  TPosition Position = poDesigned;
  TScrMode ScrMode = smNone;
};

// The class name behind one of the control's Form... properties.
class TScrFormClass : public TPersistent {
  TK_CLASS(TScrFormClass)
  explicit TScrFormClass(TPersistent* owner = nullptr);
  ~TScrFormClass() override;

  void Assign(TPersistent* source) override;
  const std::string& GetFormClassName() const { return formClassName_; }
  void SetFormClassName(const std::string& name);
  // The registered class of that name; null when empty or unknown.
  TClass GetMetaClass() const;
  TForm* GetForm() const { return runtimeForm_; }
  void SetRuntimeForm(TForm* form) { runtimeForm_ = form; }

 private:
  std::string formClassName_;
  TForm* runtimeForm_ = nullptr;
};

class TScrControl : public TComponent {
  TK_CLASS(TScrControl)
  explicit TScrControl(TComponent* owner);
  ~TScrControl() override;

  // Runs the mode in gScrMode.
  void Execute();
  void PerformFull();
  // Creates the preview form in `host`. With `mainPreview` runs the message
  // loop until the application ends and answers null; otherwise answers the
  // preview form's window (null on failure).
  HWND PerformPreview(HWND host, bool mainPreview);
  void PerformConfig(HWND parent, bool active, int x, int y, bool centred);
  bool PerformVerifyPassword(HWND parent);
  void PerformChangePassword(HWND parent);
  void PerformAboutDialog(HWND parent);

  void ExecuteActiveConfig(TForm* f, int x, int y, bool centred);
  bool ExecuteVerifyPassword(TForm* f);
  void ExecuteAboutDialog(TForm* f);
  HWND CreatePreview(HWND parent) { return PerformPreview(parent, false); }

  // The record while a Perform... is creating its form, else null.
  TScrFormCreateSuggestions* GetFormCreateSuggestions() { return suggesting_ ? &suggestions_ : nullptr; }

  // The shared screen-saver settings.
  std::int32_t GetPasswordDelay();  // seconds
  std::int32_t GetMouseThreshold(); // pixels
  bool GetMute();
  bool GetActiveConfig();
  bool GetUsePassword();

  // Every setting value of the owning main module.
  void SaveValuesToRegistry();
  void ReloadValuesFromRegistry();

  TScrFormClass* FormConfig() const { return formConfig_; }
  TScrFormClass* FormFullScreen() const { return formFull_; }
  TScrFormClass* FormPreview() const { return formPreview_; }
  TScrFormClass* FormActiveConfig() const { return formActive_; }
  TScrFormClass* FormPwordChange() const { return formPwordChange_; }
  TScrFormClass* FormPwordVerify() const { return formPwordVerify_; }
  TScrFormClass* FormAbout() const { return formAbout_; }
  void SetConfig(TScrFormClass* v) { formConfig_->Assign(v); }
  void SetFull(TScrFormClass* v) { formFull_->Assign(v); }
  void SetPreview(TScrFormClass* v) { formPreview_->Assign(v); }
  void SetActive(TScrFormClass* v) { formActive_->Assign(v); }
  void SetPwordChange(TScrFormClass* v) { formPwordChange_->Assign(v); }
  void SetPwordVerify(TScrFormClass* v) { formPwordVerify_->Assign(v); }
  void SetAbout(TScrFormClass* v) { formAbout_->Assign(v); }

  TScrDebugLevel DebugLevel() const { return debugLevel_; }
  void SetDebugLevel(TScrDebugLevel level);
  TScrTraceLevel DebugLogLevel() const { return debugLogLevel_; }
  void SetDebugLogLevel(TScrTraceLevel level);
  const std::string& DebugLog() const { return debugLog_; }
  void SetDebugLog(const std::string& log);
  TScrControlOptions Options() const { return options_; }
  void SetOptions(TScrControlOptions options) { options_ = options; }

 private:
  void ControlWindowProc(TMessage& m);
  void ApplyDebugSettings();
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  // Creates a form of `cls` with the current suggestions; null (after the
  // error trace and termination) when none resulted.
  TCustomForm* CreateSuggestedForm(TClass cls, const std::string& notFound, const std::string& className);
  void DialogPlacement(HWND parent, TScrMode mode, bool change);

  TScrFormClass* formConfig_;
  TScrFormClass* formFull_;
  TScrFormClass* formPreview_;
  TScrFormClass* formActive_;
  TScrFormClass* formPwordChange_;
  TScrFormClass* formPwordVerify_;
  TScrFormClass* formAbout_;
  TScrDebugLevel debugLevel_ = dlFull;
  TScrTraceLevel debugLogLevel_ = tlErr;
  std::string debugLog_;
  TScrControlOptions options_{scoHandleInput, scoHandlePanelsAlso, scoAboutMenuItem, scoCheckActivePassword,
                              scoActiveDragging};
  HWND window_ = nullptr;
  bool suggesting_ = false;
  TScrFormCreateSuggestions suggestions_;
};

// Registers the framework's classes with the class registry (runs by itself
// at start-up; harmless again).
void ScrRegisterFrameworkClasses();
