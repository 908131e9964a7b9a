#include "framework/scrcontrol.h"

#include <memory>

#include "framework/cmdline.h"
#include "framework/monitors.h"
#include "framework/passwords.h"
#include "framework/preview.h"
#include "framework/scrforms.h"
#include "framework/sysregistry.h"
#include "framework/valuehooks.h"
#include "toolkit/msgbox.h"
#include "toolkit/screen.h"

// ---- TScrFormClass ----------------------------------------------------------------

const TMetaClass& TScrFormClass::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrFormClass>("TScrFormClass", &TPersistent::StaticClass(), [](auto& c) {
    c.String("FormClassName", &TScrFormClass::GetFormClassName, &TScrFormClass::SetFormClassName);
  });
  return cls;
}

TScrFormClass::TScrFormClass(TPersistent*) { WatchForFormRenames(this, true); }

TScrFormClass::~TScrFormClass() { WatchForFormRenames(this, false); }

void TScrFormClass::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TScrFormClass*>(source)) {
    SetFormClassName(other->GetFormClassName());
    return;
  }
  TPersistent::Assign(source);
}

void TScrFormClass::SetFormClassName(const std::string& name) {
  if (name == formClassName_) return;
  formClassName_ = name;
  WatchForFormRenames(this, true);
}

TClass TScrFormClass::GetMetaClass() const { return GetClass(formClassName_); }

// ---- TScrControl ---------------------------------------------------------------------

const TMetaClass& TScrControl::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrControl>("TScrControl", &TComponent::StaticClass(), [](auto& c) {
    c.Class("FormConfig", &TScrControl::FormConfig);
    c.Class("FormFullScreen", &TScrControl::FormFullScreen);
    c.Class("FormPreview", &TScrControl::FormPreview);
    c.Class("FormActiveConfig", &TScrControl::FormActiveConfig);
    c.Class("FormPwordChange", &TScrControl::FormPwordChange);
    c.Class("FormPwordVerify", &TScrControl::FormPwordVerify);
    c.Class("FormAbout", &TScrControl::FormAbout);
    c.template Enum<TScrDebugLevel>("DebugLevel", {"dlCompact", "dlFull", "dlFullTopmost", "dlRelease"},
                                    &TScrControl::DebugLevel, &TScrControl::SetDebugLevel);
    c.template Enum<TScrTraceLevel>("DebugLogLevel", {"tlAll", "tlMsg", "tlUsr", "tlErr", "tlNone"},
                                    &TScrControl::DebugLogLevel, &TScrControl::SetDebugLogLevel);
    c.String("DebugLog", &TScrControl::DebugLog, &TScrControl::SetDebugLog);
    c.template Set<TScrControlOption>("Options",
                                      {"scoHandleInput", "scoHandlePanelsAlso", "scoAboutMenuItem",
                                       "scoCheckActivePassword", "scoActiveDragging"},
                                      &TScrControl::Options, &TScrControl::SetOptions);
  });
  return cls;
}

TScrControl::TScrControl(TComponent* owner)
    : TComponent(owner),
      formConfig_(new TScrFormClass(this)),
      formFull_(new TScrFormClass(this)),
      formPreview_(new TScrFormClass(this)),
      formActive_(new TScrFormClass(this)),
      formPwordChange_(new TScrFormClass(this)),
      formPwordVerify_(new TScrFormClass(this)),
      formAbout_(new TScrFormClass(this)),
      debugLog_(kScrDebugTarget) {
  window_ = AllocateHWnd([this](TMessage& m) { ControlWindowProc(m); });
  if (Designing()) return;

  if (gScrControl) {
    ScrDebugErr("You can only have one ScrControl object!");
    Application->Terminate();
  }
  gScrControl = this;
  Application->SetShowMainForm(false);
  StopAppWindowFromAppearingOnTaskbar();
  if (!Application->MainForm()) {
    TForm* hidden = nullptr;
    Application->CreateForm(&TForm::StaticClass(), hidden);
    if (hidden) hidden->SetVisible(false);
  }
  ParseCommandLine(&gScrMode, &gScrHWnd);
  if (gScrMode == smNone) Application->Terminate();
  PostMessageA(window_, WM_APP, 0, 0);
}

TScrControl::~TScrControl() {
  DeallocateHWnd(window_);
  window_ = nullptr;
  for (TScrFormClass* f : {formConfig_, formFull_, formPreview_, formActive_, formPwordChange_, formPwordVerify_,
                           formAbout_})
    delete f;
  if (gScrControl == this) gScrControl = nullptr;
  ScrDebugTerminate();
}

void TScrControl::ControlWindowProc(TMessage& m) {
  if (m.Msg == WM_APP) {
    Execute();
    return;
  }
  m.Result = DefWindowProcA(window_, m.Msg, m.WParam, m.LParam);
}

void TScrControl::ApplyDebugSettings() {
  if (!Designing()) ScrDebugSettings(debugLogLevel_, debugLevel_ != dlRelease, debugLog_, gScrMode);
}

void TScrControl::SetDebugLevel(TScrDebugLevel level) {
  debugLevel_ = level;
  ApplyDebugSettings();
}

void TScrControl::SetDebugLogLevel(TScrTraceLevel level) {
  debugLogLevel_ = level;
  ApplyDebugSettings();
}

void TScrControl::SetDebugLog(const std::string& log) {
  debugLog_ = log;
  ApplyDebugSettings();
}

std::int32_t TScrControl::GetPasswordDelay() { return GetSysValue(svPasswordDelay, Owner()); }
std::int32_t TScrControl::GetMouseThreshold() { return GetSysValue(svMouseThreshold, Owner()); }
bool TScrControl::GetMute() { return GetSysValue(svMute, Owner()) > 0; }
bool TScrControl::GetActiveConfig() { return GetSysValue(svActiveConfig, Owner()) > 0; }
bool TScrControl::GetUsePassword() { return GetSysValue(svUsePassword, nullptr) > 0; }

void TScrControl::SaveValuesToRegistry() { ::SaveValuesToRegistry(Owner()); }
void TScrControl::ReloadValuesFromRegistry() { ::LoadValuesFromRegistry(Owner()); }

void TScrControl::ExecuteActiveConfig(TForm* f, int x, int y, bool centred) {
  PerformConfig(f->Handle(), true, x, y, centred);
}
bool TScrControl::ExecuteVerifyPassword(TForm* f) { return PerformVerifyPassword(f->Handle()); }
void TScrControl::ExecuteAboutDialog(TForm* f) { PerformAboutDialog(f->Handle()); }

void TScrControl::Execute() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  ScrDebugMsg(std::string("====== NEW RUN EXECUTING ===== ") + GetCommandLineA() + "time= " +
              std::to_string(t.wHour) + ":" + std::to_string(t.wMinute) + "." + std::to_string(t.wSecond));
  InitialiseRegistry();
  try {
    switch (gScrMode) {
      case smSFull: PerformFull(); break;
      case smSPMain: PerformPreview(gScrHWnd, true); break;
      case smCRegular: PerformConfig(gScrHWnd, false, 0, 0, false); break;
      case smPasswordChange: PerformChangePassword(gScrHWnd); break;
      default:
        ScrDebugErr("Command line gave odd result");
        Application->Terminate();
        break;
    }
  } catch (const Exception& e) {
    // A mode that fails half-way must still end the program, not leave it
    // running without a window.
    ScrDebugErr("Run failed: " + e.Message());
    Application->Terminate();
  }
}

namespace {

bool FormAlive(TCustomForm* form) {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i) == form) return true;
  return false;
}

// Frees the form of a mode when the mode is over, however it ends.
class TModeForm {
 public:
  explicit TModeForm(TCustomForm* form) : form_(form) {}
  ~TModeForm() {
    if (form_ && FormAlive(form_)) form_->Free();
  }
  TModeForm(const TModeForm&) = delete;
  TModeForm& operator=(const TModeForm&) = delete;
  TCustomForm* get() const { return form_; }

 private:
  TCustomForm* form_;
};

// Clears a global form pointer when the mode is over.
class TGlobalForm {
 public:
  TGlobalForm(TForm*& global, TForm* form) : global_(global) { global_ = form; }
  ~TGlobalForm() { global_ = nullptr; }
  TGlobalForm(const TGlobalForm&) = delete;
  TGlobalForm& operator=(const TGlobalForm&) = delete;

 private:
  TForm*& global_;
};

void PumpUntilTerminated() {
  while (!Application->Terminated()) {
    try {
      Application->HandleMessage();
    } catch (...) {
      Application->HandleException(nullptr);
    }
  }
}

RECT WindowRect(HWND w) {
  RECT r{0, 0, 0, 0};
  GetWindowRect(w, &r);
  return r;
}

}  // namespace

TCustomForm* TScrControl::CreateSuggestedForm(TClass cls, const std::string& notFound, const std::string& className) {
  TComponent* ref = nullptr;
  struct Suggesting {
    bool& flag;
    explicit Suggesting(bool& f) : flag(f) { flag = true; }
    ~Suggesting() { flag = false; }
  };
  try {
    Suggesting on(suggesting_);
    Application->CreateForm(cls, ref);
  } catch (const Exception& e) {
    ScrDebugErr("Creating " + className + " failed: " + e.Message());
    ref = nullptr;
  }
  auto* form = dynamic_cast<TCustomForm*>(ref);
  if (!form) {
    if (ref) ref->Free();
    ScrDebugErr(notFound + className + "'");
    Application->Terminate();
  }
  return form;
}

void TScrControl::PerformFull() {
  ScrDebugMsg("Perfom full");
  const std::string name = formFull_->GetFormClassName();
  TClass cls = formFull_->GetMetaClass();
  if (!cls) {
    ScrDebugErr("No full form found. FormFullScreen='" + name + "'");
    Application->Terminate();
    return;
  }
  if (!cls->InheritsFrom(&TScrForm::StaticClass())) {
    ScrDebugErr("Saver class doesn't descend from TScrForm");
    Application->Terminate();
    return;
  }
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  const bool topmost = debugLevel_ == dlFullTopmost || debugLevel_ == dlRelease;
  if (topmost) SetWindowPos(Application->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW);
  suggestions_ = TScrFormCreateSuggestions{};
  suggestions_.ParentWindow = nullptr;
  suggestions_.ScrMode = smSFull;
  if (debugLevel_ == dlCompact) {
    suggestions_.BorderStyle = bsSingle;
    suggestions_.Left = cx / 10;
    suggestions_.Top = cy / 10;
    suggestions_.Width = cx / 4;
    suggestions_.Height = cy / 4;
    suggestions_.Position = poDefaultPosOnly;
  } else {
    // Every monitor: the form covers the virtual screen, which is the
    // primary screen when there is only one.
    const RECT all = ScrVirtualScreen();
    suggestions_.BorderStyle = bsNone;
    suggestions_.Left = all.left;
    suggestions_.Top = all.top;
    suggestions_.Width = all.right - all.left;
    suggestions_.Height = all.bottom - all.top;
    suggestions_.Position = poDesigned;
  }
  suggestions_.Flags = {sfParentWindow, sfScrMode, sfBorderStyle, sfBounds, sfSize, sfPosition};
  if (topmost) {
    suggestions_.ExStyleAnd = 0xFFFFFFFF;
    suggestions_.ExStyleOr = WS_EX_TOPMOST;
    suggestions_.Flags.Include(sfExStyle);
  }
  TModeForm form(CreateSuggestedForm(
      cls, "No saver form found. Did you include ScrSysDefs in the main project? FormFullScreen='", name));
  if (!form.get()) return;
  TGlobalForm saver(gScrSaver, static_cast<TForm*>(form.get()));
  struct SaverRunning {
    bool on;
    explicit SaverRunning(bool release) : on(release) {
      if (on) SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, nullptr, 0);
    }
    ~SaverRunning() {
      if (on) SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, nullptr, 0);
    }
  } running(debugLevel_ == dlRelease);
  ScrDebugMsg("ScrControl::PerfomFull... showing saver form");
  form.get()->Show();
  PumpUntilTerminated();
  ScrDebugMsg("ScrControl::PerformFull... saver form has done a terminate");
}

HWND TScrControl::PerformPreview(HWND host, bool mainPreview) {
  ScrDebugMsg(mainPreview ? "Perform main preview" : "Preform config preview");
  const std::string name = formPreview_->GetFormClassName();
  TClass cls = formPreview_->GetMetaClass();
  if (!cls) {
    HWND w = DefaultPreviewWindow(host, mainPreview);
    if (!w) {
      ScrDebugErr("Default preview not working");
      Application->Terminate();
      return nullptr;
    }
    if (!mainPreview) return w;
    PumpUntilTerminated();
    return nullptr;
  }
  if (!cls->InheritsFrom(&TScrForm::StaticClass())) {
    ScrDebugErr("Saver class doesn't descend from TScrForm");
    Application->Terminate();
    return nullptr;
  }
  // The proxy may go at any moment the host goes (even while the form is
  // being made, when the system delivers the host's messages): it is looked
  // up among the owned components before each use.
  TPreviewProxy* proxy = CreateNew<TPreviewProxy>(this);
  auto proxyAlive = [&] {
    for (int i = 0; i < ComponentCount(); ++i)
      if (Components(i) == proxy) return true;
    return false;
  };
  // Without a host there is nothing to show in, and nothing would ever end
  // the preview: a form made without its proxy would stay on the desktop.
  auto hostGone = [&] {
    ScrDebugMsg("Preview host window has gone");
    if (proxyAlive()) proxy->Free();
    if (mainPreview) Application->Terminate();
    return nullptr;
  };
  proxy->CreateWindowIn(host);
  if (!proxy->Window()) return hostGone();

  RECT client{0, 0, 0, 0};
  GetClientRect(host, &client);
  suggestions_ = TScrFormCreateSuggestions{};
  suggestions_.BorderStyle = bsNone;
  suggestions_.ParentWindow = proxy->Window();
  suggestions_.Left = suggestions_.Top = 0;
  suggestions_.Width = client.right - client.left;
  suggestions_.Height = client.bottom - client.top;
  suggestions_.Position = poDesigned;
  suggestions_.ScrMode = mainPreview ? smSPMain : smSPConfig;
  suggestions_.Flags = {sfBorderStyle, sfParentWindow, sfBounds, sfSize, sfPosition, sfScrMode};
  TCustomForm* form = CreateSuggestedForm(
      cls, "No preview form found. Did you include ScrSysDefs in the main project? FormPreview='", name);
  if (!form) {
    if (proxyAlive()) proxy->Free();
    return nullptr;
  }
  if (!proxyAlive()) {
    if (FormAlive(form)) form->Free();
    return hostGone();
  }
  proxy->SetForm(static_cast<TForm*>(form));
  if ((gScrMode == smSPMain && mainPreview) || (gScrMode != smSFull && !gScrSaver))
    gScrSaver = static_cast<TForm*>(form);
  try {
    form->Show();
  } catch (const Exception& e) {
    ScrDebugErr("Showing the preview failed: " + e.Message());
    if (proxyAlive()) proxy->Free();  // and the form with it
    if (mainPreview) Application->Terminate();
    return nullptr;
  }
  if (!mainPreview) return FormAlive(form) && form->HandleAllocated() ? form->Handle() : nullptr;
  PumpUntilTerminated();
  // The mode is over: the form goes with its proxy, if the host has not
  // taken both already.
  if (proxyAlive()) proxy->Free();
  return nullptr;
}

void TScrControl::PerformConfig(HWND parent, bool active, int x, int y, bool centred) {
  ScrDebugMsg(std::string("Perform Config ") + (active ? "(active)" : "(regular)"));
  TScrFormClass* formClass = active ? formActive_ : formConfig_;
  const std::string name = formClass->GetFormClassName();
  TClass cls = formClass->GetMetaClass();
  if (!cls) {
    ShowMessageBox(parent, "This screen saver has no settings to configure", "Screen saver", MB_OK);
    if (!active) Application->Terminate();
    return;
  }
  if (!cls->InheritsFrom(&TScrDialog::StaticClass())) {
    ScrDebugErr("Config class doesn't descend from TScrDialog");
    Application->Terminate();
    return;
  }
  suggestions_ = TScrFormCreateSuggestions{};
  if (active) {
    suggestions_.Position = poDesigned;
    suggestions_.ScrMode = smCActive;
    suggestions_.ParentWindow = parent;
    suggestions_.Left = x;
    suggestions_.Top = y;
    suggestions_.StyleAnd = 0xFFFFFFFF;
    suggestions_.StyleOr = WS_POPUP;
    suggestions_.Flags = {sfPosition, sfParentWindow, sfScrMode, sfBounds, sfStyle};
    if (centred) suggestions_.Flags.Include(sfCentre);
  } else {
    suggestions_.ScrMode = smCRegular;
    suggestions_.StyleAnd = 0x3FFFFFFF;
    suggestions_.StyleOr = 0;
    suggestions_.Flags = {sfPosition, sfScrMode, sfStyle};
    if (parent) {
      RECT r = WindowRect(parent);
      suggestions_.Position = poDesigned;
      suggestions_.ParentWindow = parent;
      suggestions_.Left = (r.left + r.right) / 2;
      suggestions_.Top = r.bottom / 2 + r.top / 2;
      suggestions_.Flags = suggestions_.Flags + TScrSuggestionFlags{sfParentWindow, sfBounds, sfCentre};
    } else {
      suggestions_.Position = poDefaultPosOnly;
    }
  }
  const char* notFound = active
      ? "No active config form found. Did you include ScrSysDefs in the main project? FormActiveConfig='"
      : "No config form found. Did you include ScrSysDefs in the main project? FormConfig='";
  {
    TModeForm form(CreateSuggestedForm(cls, notFound, name));
    if (!form.get()) return;
    TGlobalForm config(gScrConfig, static_cast<TForm*>(form.get()));
    static_cast<TScrDialog*>(form.get())->ShowModalEx();
  }
  if (!active) Application->Terminate();
}

void TScrControl::DialogPlacement(HWND parent, TScrMode mode, bool change) {
  suggestions_ = TScrFormCreateSuggestions{};
  suggestions_.ScrMode = mode;
  suggestions_.Position = parent ? poDesigned : poDefaultPosOnly;
  suggestions_.ParentWindow = parent;
  suggestions_.StyleAnd = change ? 0x3FFFFFFF : 0xBFFFFFFF;
  suggestions_.StyleOr = change ? 0 : 0x80000000;
  suggestions_.Flags = {sfPosition, sfParentWindow, sfScrMode, sfStyle};
  if (parent) {
    RECT r = WindowRect(parent);
    // A parent over every monitor (the full-screen saver): the dialog goes
    // on the primary one, as it would with a single monitor.
    const RECT primary = ScrPrimaryScreen();
    RECT both;
    if (GetSystemMetrics(SM_CMONITORS) > 1 && IntersectRect(&both, &r, &primary) && EqualRect(&both, &primary))
      r = primary;
    suggestions_.Left = (r.left + r.right) / 2;
    suggestions_.Top = change ? r.bottom / 3 + (2 * r.top) / 3 : r.bottom / 2 + r.top / 2;
    suggestions_.Flags = suggestions_.Flags + TScrSuggestionFlags{sfBounds, sfCentre};
  }
}

bool TScrControl::PerformVerifyPassword(HWND parent) {
  ScrDebugMsg("Perform Verify Password");
  const std::string name = formPwordVerify_->GetFormClassName();
  TClass cls = formPwordVerify_->GetMetaClass();
  if (!cls) return DefaultVerifyPasswordDialog(parent);
  if (!cls->InheritsFrom(&TScrDialog::StaticClass())) {
    ScrDebugErr("VerifyPassword class doesn't descend from TScrDialog");
    Application->Terminate();
    return true;
  }
  DialogPlacement(parent, smPasswordVerify, false);
  TModeForm form(CreateSuggestedForm(
      cls, "No such verify-password found. Did you include ScrSysDefs in the main project? FormPwordVerify='", name));
  if (!form.get()) return true;
  return static_cast<TScrDialog*>(form.get())->ShowModalEx() == mrOk;
}

void TScrControl::PerformChangePassword(HWND parent) {
  ScrDebugMsg("Perform change password");
  const std::string name = formPwordChange_->GetFormClassName();
  TClass cls = formPwordChange_->GetMetaClass();
  if (!cls) {
    DefaultChangePasswordDialog(parent);
    Application->Terminate();
    return;
  }
  if (!cls->InheritsFrom(&TScrDialog::StaticClass())) {
    ScrDebugErr("Change-password class doesn't descend from TScrDialog");
    Application->Terminate();
    return;
  }
  DialogPlacement(parent, smPasswordChange, true);
  {
    TModeForm form(CreateSuggestedForm(
        cls, "No change-password form found. Did you include ScrSysDefs in the main project? FormPwordChange='", name));
    if (form.get()) static_cast<TScrDialog*>(form.get())->ShowModalEx();
  }
  Application->Terminate();
}

void TScrControl::PerformAboutDialog(HWND parent) {
  ScrDebugMsg("Perform About Dialog");
  const std::string name = formAbout_->GetFormClassName();
  TClass cls = formAbout_->GetMetaClass();
  if (!cls) {
    DefaultAboutDialog(parent);
    return;
  }
  if (!cls->InheritsFrom(&TScrDialog::StaticClass())) {
    ScrDebugErr("About class doesn't descend from TScrDialog");
    Application->Terminate();
    return;
  }
  DialogPlacement(parent, smAbout, false);
  TModeForm form(CreateSuggestedForm(
      cls, "No such about-dialog found. Did you include ScrSysDefs in the main project? FormAbout='", name));
  if (form.get()) static_cast<TScrDialog*>(form.get())->ShowModalEx();
}
