#include "framework/scrforms.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "framework/monitors.h"
#include "framework/msgname.h"
#include "framework/trace.h"
#include "toolkit/screen.h"
#include "toolkit/sysutils.h"

namespace {

TScrControlOptions ControlOptions() { return gScrControl ? gScrControl->Options() : TScrControlOptions{}; }

bool IsNTPlatform() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

// ---- TScrBase -------------------------------------------------------------------

const TMetaClass& TScrBase::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrBase>("TScrBase", &TForm::StaticClass());
  return cls;
}

TScrBase::TScrBase(TComponent* owner) : TForm(owner) {}

TScrBase::~TScrBase() = default;

// The toolkit reads a form's resource after its constructor: the suggestions
// are applied once it is read, so they win over the designed placement.
void TScrBase::AfterConstruction() {
  FTracePrefix.clear();
  FStyleAnd = FExStyleAnd = 0xFFFFFFFF;
  FStyleOr = FExStyleOr = 0;
  UseScrControlSuggestions();
  TForm::AfterConstruction();
}

void TScrBase::UseScrControlSuggestions() {
  if (!gScrControl) {
    ScrDebugErr(Name() +
                " form being created--but the ScrControl doesn't exist yet! You need a ScrControl on your single "
                "main form; no other form may be auto-created.");
    Application->Terminate();
    return;
  }
  const TScrFormCreateSuggestions* s = gScrControl->GetFormCreateSuggestions();
  if (!s) return;
  const TScrSuggestionFlags f = s->Flags;
  if (f.Contains(sfParentWindow)) SetParentWindow(s->ParentWindow);
  if (f.Contains(sfBorderStyle)) SetBorderStyle(s->BorderStyle);
  if (f.Contains(sfPosition)) SetPosition(s->Position);
  if (f.Contains(sfScrMode)) FScrMode = s->ScrMode;
  if (f.Contains(sfSize)) SetBounds(Left(), Top(), s->Width, s->Height);
  if (f.Contains(sfBounds)) {
    int left = s->Left, top = s->Top;
    if (f.Contains(sfCentre)) {
      left -= Width() / 2;
      top -= Height() / 2;
    }
    if (FScrMode != smSFull) {
      // Kept on the monitor of the point asked for: the primary one's usable
      // area, or another monitor's work area.
      const TScrMonitor monitor = ScrMonitorAt(POINT{s->Left, s->Top});
      RECT area{0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
      if (!monitor.Primary) area = monitor.Work;
      if (left < area.left) left = area.left;
      if (top < area.top) top = area.top;
      const int maxX = area.right - 16;
      const int maxY = area.bottom - 16;
      if (left + Width() > maxX) left = maxX - Width();
      if (top + Height() > maxY) top = maxY - Height();
    }
    SetBounds(left, top, Width(), Height());
  }
  if (f.Contains(sfStyle)) {
    FStyleAnd = s->StyleAnd;
    FStyleOr = s->StyleOr;
  }
  if (f.Contains(sfExStyle)) {
    FExStyleAnd = s->ExStyleAnd;
    FExStyleOr = s->ExStyleOr;
  }
}

void TScrBase::CreateParams(TCreateParams& p) {
  TForm::CreateParams(p);
  const TScrFormCreateSuggestions* s = gScrControl ? gScrControl->GetFormCreateSuggestions() : nullptr;
  if (s) {
    if (s->Flags.Contains(sfStyle)) p.Style = (p.Style & s->StyleAnd) | s->StyleOr;
    if (s->Flags.Contains(sfExStyle)) p.ExStyle = (p.ExStyle & s->ExStyleAnd) | s->ExStyleOr;
  } else {
    p.Style = (p.Style & FStyleAnd) | FStyleOr;
    p.ExStyle = (p.ExStyle & FExStyleAnd) | FExStyleOr;
  }
  // A form asked to be a pop-up over its parent window is owned by it, not
  // inside it: with both bits some systems treat it as a child that can
  // never be activated.
  if ((p.Style & WS_POPUP) && (p.Style & WS_CHILD)) p.Style &= ~WS_CHILD;
}

void TScrBase::WndProc(TMessage& m) {
  if (m.Msg == CM_RELEASE) {  // may free the form: nothing of it is touched afterwards
    TForm::WndProc(m);
    return;
  }
  struct Nesting {
    std::string& prefix;
    explicit Nesting(std::string& p) : prefix(p) { prefix += '.'; }
    ~Nesting() {
      if (!prefix.empty()) prefix.pop_back();
    }
  } nesting(FTracePrefix);
  TForm::WndProc(m);
}

// ---- TScrForm -------------------------------------------------------------------

namespace {

const char* const kWatchWndProcProp = "ScrChildWatchWndproc";
const char* const kWatchRootProp = "ScrChildWatchRoot";

bool IsWatchedInput(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_MOUSEMOVE:
    case WM_SETCURSOR: return true;
    default: return false;
  }
}

bool IsActivation(UINT msg) { return msg == WM_ACTIVATE || msg == WM_ACTIVATEAPP || msg == WM_NCACTIVATE; }

// The window procedure of every watched child window.
LRESULT CALLBACK ChildWatchProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto saved = reinterpret_cast<WNDPROC>(GetPropA(wnd, kWatchWndProcProp));
  auto* root = static_cast<TScrForm*>(GetPropA(wnd, kWatchRootProp));
  auto passOn = [&] {
    return saved ? CallWindowProcA(saved, wnd, msg, wParam, lParam) : DefWindowProcA(wnd, msg, wParam, lParam);
  };
  if (msg == WM_NCDESTROY) {
    // The window goes without its parent having told us: undo the watch.
    if (saved && reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)) == ChildWatchProc)
      SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
    RemovePropA(wnd, kWatchWndProcProp);
    RemovePropA(wnd, kWatchRootProp);
    return passOn();
  }
  try {
    if (msg == WM_PARENTNOTIFY && root) root->ParentNotifyCheck(wParam, lParam);
    if (root && IsWatchedInput(msg)) {
      TMessage m{msg, wParam, lParam, 0};
      LRESULT result = root->ChildWindowProc(wnd, m) ? passOn() : m.Result;
      root->DoScrAction();
      return result;
    }
  } catch (...) {
    Application->HandleException(nullptr);
    return 0;
  }
  return passOn();
}

std::string WindowDescription(HWND wnd) {
  if (TWinControl* c = FindControl(wnd)) return c->Name();
  char text[260] = "";
  GetWindowTextA(wnd, text, sizeof text);
  return std::string("hwnd:") + text;
}

}  // namespace

const TMetaClass& TScrForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrForm>("TScrForm", &TScrBase::StaticClass());
  return cls;
}

TScrForm::TScrForm(TComponent* owner) : TScrBase(owner), FScrMsg(RegisterWindowMessageA("Vantrel_msg")) {}

TScrForm::~TScrForm() {
  ScrDebugMsg("~TScrForm destructor");
  // A run whose loop has already taken its quit (a closed full-screen
  // saver) must not get a second one: it would be left pending and end the
  // wait for the trace window at once.
  if ((FScrMode == smSPMain || FScrMode == smSFull) && !Application->Terminated()) {
    ScrDebugMsg("~TScrForm destructor: telling app to terminate.");
    Application->Terminate();
  }
  if (gScrSaver == this) gScrSaver = nullptr;
}

bool TScrForm::Compact() const { return gScrControl && gScrControl->DebugLevel() == dlCompact; }

bool TScrForm::ActiveConfigAvailable() const {
  return gScrControl && gScrControl->FormActiveConfig()->GetMetaClass() && gScrControl->GetActiveConfig();
}

void TScrForm::WndProc(TMessage& m) {
  if (m.Msg != WM_NCHITTEST) ScrDebugAll(FTracePrefix + ScrModeName(FScrMode) + " " + MessageName(m.Msg));
  {
    TFlagScope inWndProc(FInWndProc, true);
    bool pass = OwnRule(m);
    if (!CommonWndProc(HandleAllocated() ? Handle() : nullptr, m)) pass = false;
    if (pass) TScrBase::WndProc(m);
  }
  if (IsWatchedInput(m.Msg) || IsActivation(m.Msg) || m.Msg == WM_SYSCOMMAND || m.Msg == WM_CLOSE) GenScrAction(m);
  if (!FReleased) DoScrAction();
  if (m.Msg == CM_RELEASE) {
    ScrDebugMsg("Just now doing the CM_RELEASE");
    FReleased = true;
    TScrBase::WndProc(m);  // frees the form
  }
}

bool TScrForm::OwnRule(TMessage& m) {
  if (IsActivation(m.Msg)) return WMActivation(m);
  switch (m.Msg) {
    case WM_CREATE:
      GetCursorPos(&FStartCursorPos);
      FStartTick = FClock();
      FIgnoreMouseUntil = FStartTick;
      return true;
    case WM_CLOSE:
      if (FScrMode != smSFull || Designing()) return true;
      m.Result = 0;
      ScrDebugMsg("WM_CLOSE: but we're ignoring it, since it wasn't legit");
      return false;
    case WM_SYSCOMMAND: return WMSysCommand(m);
    case WM_PARENTNOTIFY: ParentNotifyCheck(m.WParam, m.LParam); return true;
    case CM_RELEASE: ScrDebugMsg("CM_RELEASE: will do it in a sec."); return false;
    case WM_DISPLAYCHANGE: WMDisplayChange(); return true;
    case WM_NCDESTROY:
      // The control panel destroyed the area the preview lives in: the
      // preview run is over.
      if (FScrMode == smSPMain) Application->Terminate();
      return true;
    default:
      if (m.Msg == FScrMsg) ScrMsgArrived(m.WParam & 0xFF);
      return true;
  }
}

bool TScrForm::WMActivation(TMessage& m) {
  if (LOWORD(m.WParam) != 0 || FScrMode != smSFull || FInDialog || Compact()) return true;
  PendAction(saClose, "Full activation message: closing...");
  if (m.Msg != WM_NCACTIVATE) return true;
  m.Result = 0;
  return false;
}

bool TScrForm::WMSysCommand(TMessage& m) {
  if (FScrMode != smSFull || Designing()) return true;
  if (m.WParam == SC_SCREENSAVE) {
    ScrDebugMsg("SC_SCREENSAVE: gobbling up!");
  } else if (m.WParam == SC_CLOSE) {
    PendAction(saClose, "SC_CLOSE: saClosing it");
  } else {
    return true;
  }
  m.Result = 0;
  return false;
}

void TScrForm::WMDisplayChange() {
  FIgnoreMouseUntil = FClock() + 3000;
  FMouseMovesToSwallow = 4;
  // Monitors came, went or changed size: cover what there is now.
  if (FScrMode == smSFull && !Designing() && !Compact()) {
    const RECT all = ScrVirtualScreen();
    SetBounds(all.left, all.top, all.right - all.left, all.bottom - all.top);
  }
}

// The action posted by DoScrAction, now carried out.
void TScrForm::ScrMsgArrived(WPARAM action) {
  if (action == saClose) {
    ScrDebugMsg("got the saClose at last...");
    Close();
  } else if (action == saActiveConfig) {
    ScrDebugMsg("got the saActiveConfig at last...");
    bool allowed = true;
    if (ControlOptions().Contains(scoCheckActivePassword)) allowed = TestRequirePassword() ? VerifyPassword() : true;
    if (allowed) ActiveConfig(FActiveConfigX, FActiveConfigY, FActiveConfigCentred);
  }
}

bool TScrForm::CommonWndProc(HWND wnd, TMessage& m) {
  if (m.Msg == WM_SETCURSOR) return !HideFullCursor(m);
  if (FScrMode != smSFull || FInDialog || Designing() || !ControlOptions().Contains(scoHandleInput)) return true;
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN: PendAction(saClose, "Full mouse down: closing..."); break;
    case WM_RBUTTONDOWN: FullRightButtonDown(wnd, m); break;
    case WM_MOUSEMOVE: FullMouseMove(); break;
    case WM_KEYDOWN: FullKeyDown(m); break;
    default: break;
  }
  return true;
}

void TScrForm::PendAction(TScrAction action, const char* trace) {
  FPendingAction = action;
  ScrDebugMsg(trace);
}

// The active configuration, to open at `p` (the middle of its dialog).
void TScrForm::PendActiveConfig(POINT p, const char* trace) {
  FPendingAction = saActiveConfig;
  FActiveConfigCentred = true;
  FActiveConfigX = p.x;
  FActiveConfigY = p.y;
  ScrDebugMsg(trace);
}

void TScrForm::FullRightButtonDown(HWND wnd, const TMessage& m) {
  if (!ActiveConfigAvailable()) return PendAction(saClose, "Full right mouse: closing...");
  // Where the click was on the screen (the form covers it from the virtual
  // screen's corner).
  POINT click{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  if (!Compact() && wnd) MapWindowPoints(wnd, nullptr, &click, 1);
  if (Cursor() == crDefault) {  // the cursor is hidden: open in the middle of the clicked monitor
    const RECT monitor = ScrMonitorAt(click).Bounds;
    click = POINT{(monitor.left + monitor.right) / 2, (monitor.top + monitor.bottom) / 2};
    if (!Compact()) SetCursorPos(click.x, click.y);
  }
  PendActiveConfig(click, "Full right mouse: active config...");
}

void TScrForm::FullMouseMove() {
  if (!(FClock() > FIgnoreMouseUntil)) return;
  if (FMouseMovesToSwallow > 0) {
    --FMouseMovesToSwallow;
    ScrDebugMsg("Mouse movement, but we guzzled it because of that recent mode-change. " +
                std::to_string(FMouseMovesToSwallow) + " left.");
    return;
  }
  POINT p{0, 0};
  GetCursorPos(&p);
  // 64 bits: the "ignore the mouse" threshold squared does not fit in 32.
  const long long dx = std::llabs(static_cast<long long>(p.x) - FStartCursorPos.x);
  const long long dy = std::llabs(static_cast<long long>(p.y) - FStartCursorPos.y);
  const long long t = gScrControl ? gScrControl->GetMouseThreshold() : 0;
  if (static_cast<unsigned long long>(dx * dx + dy * dy) > static_cast<unsigned long long>(t * t))
    PendAction(saClose, "Full mouse move: closing...");
  else
    ScrDebugMsg("Mouse movement, but it wasn't enough to be a problem.");
}

void TScrForm::FullKeyDown(const TMessage& m) {
  if ((m.WParam != VK_CONTROL && m.WParam != VK_SHIFT && m.WParam != VK_SCROLL) || !ActiveConfigAvailable())
    return PendAction(saClose, "Full key down: closing...");
  POINT corner = ClientToScreen(POINT{Width(), Height()});
  if (!Compact()) {  // the form's corner, on the primary monitor
    const RECT primary = ScrPrimaryScreen();
    if (corner.x > primary.right) corner.x = primary.right;
    if (corner.y > primary.bottom) corner.y = primary.bottom;
  }
  PendActiveConfig(corner, "Full control key down: active config...");
}

// The full-screen saver's cursor is hidden over the form; true: done here.
bool TScrForm::HideFullCursor(TMessage& m) {
  if (FScrMode != smSFull || Cursor() != crDefault || FInDialog || LOWORD(m.LParam) != HTCLIENT) return false;
  ::SetCursor(nullptr);
  m.Result = 1;
  return true;
}

void TScrForm::DoScrAction() {
  if (FPendingAction == saClose && !FInWndProc) {
    ScrDebugMsg("saClose... posting message");
    if (HandleAllocated()) PostMessageA(Handle(), FScrMsg, saClose, 0);
    FPendingAction = saNone;
  }
  if (FPendingAction == saActiveConfig && !FInWndProc) {
    ScrDebugMsg("saActiveConfig... posting message");
    if (HandleAllocated()) PostMessageA(Handle(), FScrMsg, saActiveConfig, 0);
    FPendingAction = saNone;
  }
}

void TScrForm::ActiveConfig(int x, int y, bool centred) {
  if (!gScrControl || !gScrControl->FormActiveConfig()->GetMetaClass()) return;
  ScrBeginDialog();
  try {
    gScrControl->ExecuteActiveConfig(this, x, y, centred);
  } catch (...) {
    ScrEndDialog(false);
    throw;
  }
  ScrEndDialog(false);
}

bool TScrForm::TestRequirePassword() {
  if (Designing()) return false;
  if (IsNTPlatform()) return false;
  ScrDebugMsg("NeedPassword? Checking the timer");
  const unsigned long long delayMs =
      gScrControl ? static_cast<unsigned long long>(static_cast<std::uint32_t>(gScrControl->GetPasswordDelay())) * 1000
                  : 0;
  if (static_cast<unsigned long long>(FClock() - FStartTick) < delayMs) {
    ScrDebugMsg("Nope, we're within the delay.");
    return false;
  }
  ScrDebugMsg("NeedPassword?: checking the registry");
  if (gScrControl && gScrControl->GetUsePassword()) {
    ScrDebugMsg("NeedPassword: yes registry says we do.");
    return true;
  }
  ScrDebugMsg("NeedPassword: no, registry says we don't");
  return false;
}

bool TScrForm::VerifyPassword() {
  ScrBeginDialog();
  bool ok = true;
  try {
    ok = gScrControl ? gScrControl->ExecuteVerifyPassword(this) : true;
  } catch (...) {
    ScrEndDialog(false);
    throw;
  }
  ScrEndDialog(ok);
  return ok;
}

bool TScrForm::CloseQuery() {
  if (!TScrBase::CloseQuery()) return false;
  ScrDebugMsg("CloseQuery");
  if (FScrMode != smSFull) {
    ScrDebugMsg("Close-query was not full-screen: so, it's fine.");
    return true;
  }
  if (!TestRequirePassword()) {
    ScrDebugMsg("Close-query doesn't require password: so, it's fine.");
    return true;
  }
  if (VerifyPassword()) {
    ScrDebugMsg("Close-query checked password and it was okay.");
    return true;
  }
  ScrDebugMsg("Close-query checked passwords and it wasn't okay. So, cancel.");
  return false;
}

void TScrForm::Close() {
  if (CloseQuery() && FScrMode == smSFull) {
    ScrDebugMsg("ScrForm::Close - telling ScrControl to terminate");
    Application->Terminate();
  }
}

void TScrForm::ScrBeginDialog() { FInDialog = true; }

void TScrForm::ScrEndDialog(bool /*ok*/) {
  GetCursorPos(&FStartCursorPos);
  FInDialog = false;
}

void TScrForm::ParentNotifyCheck(WPARAM wParam, LPARAM lParam) {
  const UINT event = LOWORD(wParam);
  if (event != WM_CREATE && event != WM_DESTROY) return;
  if (!ControlOptions().Contains(scoHandlePanelsAlso)) return;
  HWND child = reinterpret_cast<HWND>(lParam);
  if (!child || !IsWindow(child)) return;
  const std::string description = (event == WM_CREATE ? "+ " : "- ") + WindowDescription(child);
  if (!(GetWindowLongA(child, GWL_STYLE) & WS_CHILD)) {
    ScrDebugMsg(description + " not a child");
    return;
  }
  auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(child, GWLP_WNDPROC));
  if (event == WM_CREATE) {
    // Every ancestor hears of a grandchild: watch each window once only.
    if (current != ChildWatchProc) {
      SetPropA(child, kWatchWndProcProp, reinterpret_cast<HANDLE>(current));
      SetPropA(child, kWatchRootProp, static_cast<HANDLE>(this));
      SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChildWatchProc));
    }
  } else if (GetPropA(child, kWatchRootProp)) {
    if (current == ChildWatchProc) {
      SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetPropA(child, kWatchWndProcProp)));
      RemovePropA(child, kWatchWndProcProp);
    } else {
      ScrDebugMsg("SaverForm: parent-notiy oops! someone has snitched our wndproc!");
    }
    RemovePropA(child, kWatchRootProp);
  }
  ScrDebugMsg("SaverForm: parent-notify " + description);
}

bool TScrForm::ChildWindowProc(HWND wnd, TMessage& m) {
  TWinControl* control = FindControl(wnd);
  ScrDebugAll(FTracePrefix + ScrModeName(FScrMode) + "-" + (control ? control->Name() : std::string("child")) + " " +
              MessageName(m.Msg));
  if (!HandleChildMessageQuery(control, wnd, m)) return true;
  return CommonWndProc(wnd, m);
}

// ---- TScrDialog --------------------------------------------------------------------

TNotifyEditIsDialogOkayProc NotifyEditIsDialogOkayProc = nullptr;

bool NotifyEditIsDialogOkay(TCustomForm* dialog) {
  return NotifyEditIsDialogOkayProc ? NotifyEditIsDialogOkayProc(dialog) : true;
}

const TMetaClass& TScrDialog::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrDialog>("TScrDialog", &TScrBase::StaticClass());
  return cls;
}

TScrDialog::TScrDialog(TComponent* owner) : TScrBase(owner) {}

TScrDialog::~TScrDialog() = default;

int TScrDialog::ShowModalEx() {
  HWND owner = ParentWindow();
  while (owner && (GetWindowLongA(owner, GWL_STYLE) & WS_CHILD)) owner = GetParent(owner);
  if (owner && !IsWindowEnabled(owner)) owner = nullptr;
  ShowWindow(Application->Handle(), SW_HIDE);
  if (owner) EnableWindow(owner, FALSE);
  int result = mrCancel;
  {
    struct OwnerBack {
      HWND owner;
      ~OwnerBack() {
        if (owner && IsWindow(owner)) {
          EnableWindow(owner, TRUE);
          SetActiveWindow(owner);
        }
      }
    } back{owner};
    TFlagScope modalRun(FInModalRun, true);
    result = ShowModal();
  }
  if (gScrControl) {
    if (result == mrOk)
      gScrControl->SaveValuesToRegistry();
    else if (result == mrCancel && FScrMode == smCActive)
      gScrControl->ReloadValuesFromRegistry();
  }
  return result;
}

void TScrDialog::WndProc(TMessage& m) {
  ScrDebugAll(FTracePrefix + ScrModeName(FScrMode) + " " + MessageName(m.Msg));
  if (m.Msg == CM_RELEASE) {
    TScrBase::WndProc(m);
    return;
  }
  bool pass = true;
  switch (m.Msg) {
    case WM_CREATE: {
      if (Designing()) break;
      const TScrFormCreateSuggestions* s = gScrControl ? gScrControl->GetFormCreateSuggestions() : nullptr;
      const TScrMode mode = s ? s->ScrMode : FScrMode;
      if ((mode == smCRegular || mode == smCActive) && ControlOptions().Contains(scoAboutMenuItem)) {
        if (HMENU menu = GetSystemMenu(Handle(), FALSE)) {
          AppendMenuA(menu, MF_SEPARATOR, 3501, nullptr);
          AppendMenuA(menu, MF_STRING, 3500, "&About...");
          auto icon = reinterpret_cast<LPARAM>(Application->Icon()->Handle());
          FPreviousBigIcon = reinterpret_cast<HICON>(SendMessageA(Handle(), WM_SETICON, ICON_BIG, icon));
          FPreviousSmallIcon = reinterpret_cast<HICON>(SendMessageA(Handle(), WM_SETICON, ICON_SMALL, icon));
        }
      }
      break;
    }
    case WM_DESTROY:
      if (FPreviousBigIcon)
        SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(std::exchange(FPreviousBigIcon, nullptr)));
      if (FPreviousSmallIcon)
        SendMessageA(Handle(), WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(std::exchange(FPreviousSmallIcon, nullptr)));
      break;
    case WM_SYSCOMMAND:
      if (m.WParam == 3500) {
        ScrDebugMsg("About system menu click: executing about dialog...");
        if (gScrControl) gScrControl->ExecuteAboutDialog(this);
      } else if (FScrMode == smSFull && !Designing() && m.WParam == SC_SCREENSAVE) {
        m.Result = 0;
        pass = false;
        ScrDebugMsg("SC_SCREENSAVE to dialog: gobbling up!");
      }
      break;
    case WM_NCACTIVATE:
      if (m.WParam == 0 && gScrMode == smSFull && ModalResult() == mrNone) {
        DWORD pid = 0;
        GetWindowThreadProcessId(reinterpret_cast<HWND>(m.LParam), &pid);
        if (pid == GetCurrentProcessId()) {
          ScrDebugMsg("Got a WM_NCACTIVATE from a friendly window showing: let it activate");
        } else {
          m.Result = 0;
          pass = false;
          ScrDebugMsg("Got a WM_NCACTIVATE deactivate request. Not one of ours, so denying it.");
        }
      }
      break;
    case CM_SHOWINGCHANGED:
      if (Showing()) {
        ScrDebugMsg("About to do a positive CM_SHOWINGCHANGED");
        TScrBase::WndProc(m);
        pass = false;
        if (HandleAllocated() && GetForegroundWindow() != Handle() && FScrMode == smPasswordVerify) {
          ScrDebugMsg("Oh dear... we're not in the foreground");
          SetForegroundWindow(Handle());
        }
        ScrDebugMsg("At the end of a positive CM_SHOWINGCHANGED");
      }
      break;
    case WM_NCHITTEST:
      if (FScrMode == smCActive && ControlOptions().Contains(scoActiveDragging)) {
        TScrBase::WndProc(m);
        if (m.Result == HTCLIENT) m.Result = HTCAPTION;
        ScrDebugMsg("Active-config nc-hittest: tell it we're in Caption country");
        pass = false;
      }
      break;
    default: break;
  }
  if (pass) TScrBase::WndProc(m);
}

bool TScrDialog::CloseQuery() {
  if (FInModalRun && ModalResult() == mrOk && !NotifyEditIsDialogOkay(this)) return false;
  return TScrBase::CloseQuery();
}

void StopAppWindowFromAppearingOnTaskbar() {
  HWND app = Application->Handle();
  SetWindowLongA(app, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
  ShowWindow(app, SW_HIDE);
}

// ---- The built-in About box -------------------------------------------------------

namespace {

// A spiral galaxy in the system's 16 colours, 32 x 32, two pixels a byte,
// top row first.
const BYTE kAboutIconPixels[512] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x70, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x70, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0E, 0xEE, 0xEE, 0xEE, 0xEE, 0x60, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0xEE, 0xE6, 0x66, 0x66, 0x66, 0x6E, 0xEE, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x0E, 0xE6, 0x60, 0x00, 0x00, 0x00, 0x06, 0x6E, 0xEE, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x60, 0x00, 0xEE, 0x60, 0x00, 0xEE, 0xEE, 0xEE, 0x60, 0x00, 0x0E, 0xE0, 0x00, 0x00,
    0x00, 0x06, 0x00, 0x0E, 0xE6, 0x00, 0xEE, 0xE6, 0x66, 0x6E, 0xEE, 0x60, 0x00, 0xEE, 0x00, 0x00,
    0x00, 0x06, 0x00, 0x0E, 0x60, 0x0E, 0xEE, 0x60, 0x00, 0x06, 0x66, 0xEE, 0x60, 0x0E, 0x00, 0x00,
    0x00, 0x66, 0x00, 0xEE, 0x60, 0xEE, 0xE0, 0x00, 0xFE, 0xEE, 0x00, 0x6E, 0xE6, 0x00, 0xE0, 0x00,
    0x00, 0x60, 0x00, 0xE6, 0x00, 0xEE, 0x00, 0xFE, 0xEE, 0xEE, 0xEE, 0x06, 0xE6, 0x00, 0xE0, 0x00,
    0x00, 0x60, 0x00, 0xE6, 0x00, 0xEE, 0x0B, 0xFF, 0xFB, 0xEE, 0xEE, 0x00, 0xEE, 0x60, 0x66, 0x70,
    0x00, 0x60, 0x00, 0xE6, 0x00, 0xEE, 0x0B, 0xFF, 0xFF, 0xB0, 0xEE, 0xE0, 0x6E, 0x60, 0x06, 0x00,
    0x00, 0x60, 0x00, 0xE6, 0x00, 0xEE, 0x0B, 0xFF, 0xFF, 0xE0, 0x0E, 0xE0, 0x0E, 0x60, 0x06, 0x00,
    0x07, 0x66, 0x00, 0xEE, 0x60, 0xEF, 0xEB, 0xEF, 0xFE, 0xE0, 0x0E, 0xE0, 0x0E, 0x60, 0x06, 0x00,
    0x00, 0x0E, 0x00, 0x6E, 0x60, 0x0F, 0xFF, 0xEF, 0xFE, 0xE0, 0x0E, 0xE0, 0x0E, 0x60, 0x06, 0x00,
    0x00, 0x0E, 0x00, 0x0E, 0xE6, 0x0E, 0xEF, 0xFE, 0xEE, 0x00, 0xEE, 0xE0, 0xEE, 0x60, 0x66, 0x00,
    0x00, 0x00, 0xE0, 0x06, 0xEE, 0x60, 0x0E, 0xEE, 0x00, 0x0E, 0xEE, 0x00, 0xE6, 0x00, 0x60, 0x00,
    0x00, 0x00, 0xEE, 0x00, 0x66, 0xEE, 0xE6, 0x00, 0x0E, 0xEE, 0xE0, 0x0E, 0xE6, 0x00, 0x60, 0x00,
    0x00, 0x00, 0x0E, 0xE0, 0x00, 0x66, 0xEE, 0xEE, 0xEE, 0xEE, 0x00, 0xEE, 0x60, 0x06, 0x00, 0x00,
    0x00, 0x00, 0x00, 0xEE, 0xE0, 0x00, 0x66, 0x66, 0x66, 0x00, 0x0E, 0xE6, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0xEE, 0xE6, 0x00, 0x00, 0x00, 0x0E, 0xEE, 0x60, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x06, 0xEE, 0xEE, 0xEE, 0xEE, 0xE6, 0x66, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x66, 0x66, 0x66, 0x66, 0x60, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x70, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};

const char* const kAboutLines[9] = {
    "This saver was built with",
    "the Vantrel screen-saver",
    "library. The library has:",
    "- a wizard that makes",
    "  savers for you",
    "- example source code",
    "- extra 3D and DirectDraw",
    "  components",
    "www.vantrel.org/saverlib",
};

constexpr int kAboutIconItem = 3;
constexpr int kAboutFirstLine = 10;

// The icon's 32 pixels at 96 pixels per inch, in the dialog's pixels: the
// template's dialog units grow with the resolution, and so does the icon.
int AboutIconSize(HWND dlg) { return MulDiv(32, WindowPixelsPerInch(dlg), 96); }

// Builds a dialog template in memory: the header, then each item on a
// four-byte boundary.
class TTemplateWriter {
 public:
  void Word(WORD w) {
    bytes_.push_back(static_cast<BYTE>(w & 0xFF));
    bytes_.push_back(static_cast<BYTE>(w >> 8));
  }
  void DWord(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const char* s) {
    for (; *s; ++s) Word(static_cast<BYTE>(*s));
    Word(0);
  }
  void Align() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const char* text) {
    Align();
    DWord(style | WS_CHILD | WS_VISIBLE);
    DWord(0);
    Word(x);
    Word(y);
    Word(cx);
    Word(cy);
    Word(id);
    Word(0xFFFF);
    Word(atom);
    Text(text);
    Word(0);  // no creation data
  }
  // Starts on a DWORD boundary however the vector's storage is aligned.
  const DLGTEMPLATE* Get() {
    aligned_.assign((bytes_.size() + 3) / 4, 0);
    memcpy(aligned_.data(), bytes_.data(), bytes_.size());
    return reinterpret_cast<const DLGTEMPLATE*>(aligned_.data());
  }

 private:
  std::vector<BYTE> bytes_;
  std::vector<DWORD> aligned_;
};

INT_PTR CALLBACK AboutDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dlg, DWLP_USER, lParam);
      SetDlgItemTextA(dlg, IDOK, "OK");
      for (int i = 0; i < 9; ++i) SetDlgItemTextA(dlg, kAboutFirstLine + i, kAboutLines[i]);
      if (HWND parent = GetParent(dlg)) {
        RECT p, d;
        GetWindowRect(parent, &p);
        GetWindowRect(dlg, &d);
        const int w = d.right - d.left, h = d.bottom - d.top;
        SetWindowPos(dlg, nullptr, (p.left + p.right - w) / 2, (p.top + p.bottom - h) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
      }
      return TRUE;
    }
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (mi && mi->CtlID == kAboutIconItem) {
        mi->itemWidth = mi->itemHeight = AboutIconSize(dlg);
        return TRUE;
      }
      return FALSE;
    }
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (di && di->CtlID == kAboutIconItem) {
        auto icon = reinterpret_cast<HICON>(GetWindowLongPtrA(dlg, DWLP_USER));
        const int w = di->rcItem.right - di->rcItem.left, h = di->rcItem.bottom - di->rcItem.top;
        const int size = AboutIconSize(dlg);
        if (icon)
          DrawIconEx(di->hDC, di->rcItem.left + (w - size) / 2, di->rcItem.top + (h - size) / 2, icon, size, size, 0,
                     nullptr, DI_NORMAL);
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dlg, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

const char* const* DefaultAboutLines() { return kAboutLines; }

void DefaultAboutDialog(HWND parent) {
  TTemplateWriter t;
  t.DWord(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | DS_CENTER);
  t.DWord(0);
  t.Word(11);
  t.Word(0);
  t.Word(0);
  t.Word(138);
  t.Word(110);
  t.Word(0);  // no menu
  t.Word(0);  // the standard dialog class
  t.Text("About Vantrel");
  t.Word(8);
  t.Text("MS Sans Serif");
  t.Item(BS_OWNERDRAW, 4, 4, 20, 20, kAboutIconItem, 0x0080, "");
  t.Item(BS_DEFPUSHBUTTON, 32, 90, 41, 14, IDOK, 0x0080, "OK");
  for (int i = 0; i < 9; ++i)
    t.Item(SS_LEFTNOWORDWRAP, 32, static_cast<short>(4 + 9 * i), 102, 8, static_cast<WORD>(kAboutFirstLine + i),
           0x0082, "");
  static const BYTE mask[128] = {};  // all opaque
  HICON icon = CreateIcon(HInstance, 32, 32, 1, 4, mask, kAboutIconPixels);
  DialogBoxIndirectParamA(HInstance, t.Get(), parent, AboutDialogProc, reinterpret_cast<LPARAM>(icon));
  if (icon) DestroyIcon(icon);
}

// ---- Class registration --------------------------------------------------------------

void ScrRegisterFrameworkClasses() {
  RegisterClasses({&TScrControl::StaticClass(), &TScrBase::StaticClass(), &TScrForm::StaticClass(),
                   &TScrDialog::StaticClass()});
}

namespace {
const bool kRegistered = (ScrRegisterFrameworkClasses(), true);
}
