#include "toolkit/forms.h"

#include <commctrl.h>

#include <algorithm>

#include "toolkit/msgbox.h"
#include "toolkit/reader.h"
#include "toolkit/screen.h"

// ---- Thread windows -------------------------------------------------------------

namespace {
struct DisableData {
  HWND except;
  std::vector<HWND> windows;
};

BOOL CALLBACK DisableOne(HWND wnd, LPARAM data) {
  auto* d = reinterpret_cast<DisableData*>(data);
  if (wnd != d->except && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
    d->windows.push_back(wnd);
    EnableWindow(wnd, FALSE);
  }
  return TRUE;
}
}  // namespace

std::vector<HWND> DisableThreadWindows(HWND except) {
  DisableData d{except, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&d));
  return d.windows;
}

void EnableThreadWindows(const std::vector<HWND>& windows) {
  for (HWND w : windows)
    if (IsWindow(w)) EnableWindow(w, TRUE);
}

// ---- TCustomForm -----------------------------------------------------------------

const TMetaClass& TCustomForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TCustomForm>("TCustomForm", &TWinControl::StaticClass(), [](auto& c) {
    c.String("Caption", &TCustomForm::Caption, &TCustomForm::SetCaption);
    c.Integer("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetFormClientWidth);
    c.Integer("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetFormClientHeight);
    c.Integer("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch);
    c.Boolean("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled);
    c.template Enum<TFormBorderStyle>(
        "BorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
        &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle);
    c.template Enum<TPosition>(
        "Position",
        {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter", "poDesktopCenter"},
        &TCustomForm::Position, &TCustomForm::SetPosition);
    c.template Component<TWinControl>("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl);
    c.template Event<TNotifyEvent>("OnActivate", &TCustomForm::OnActivate);
    c.template Event<TNotifyEvent>("OnDeactivate", &TCustomForm::OnDeactivate);
    c.template Event<TNotifyEvent>("OnCreate", &TCustomForm::OnCreate);
    c.template Event<TNotifyEvent>("OnDestroy", &TCustomForm::OnDestroy);
    c.template Event<TNotifyEvent>("OnShow", &TCustomForm::OnShow);
    c.template Event<TNotifyEvent>("OnHide", &TCustomForm::OnHide);
    c.template Event<TCloseEvent>("OnClose", &TCustomForm::OnClose);
    c.template Event<TCloseQueryEvent>("OnCloseQuery", &TCustomForm::OnCloseQuery);
  });
  return cls;
}

const TMetaClass& TForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TForm>("TForm", &TCustomForm::StaticClass());
  return cls;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  visible_ = false;
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  left_ = 0;
  top_ = 0;
  width_ = 320;
  height_ = 240;
  Screen->AddForm(this);
}

TCustomForm::~TCustomForm() { Screen->RemoveForm(this); }

void TCustomForm::AfterConstruction() {
  TWinControl::AfterConstruction();
  if (OnCreate) OnCreate(this);
}

void TCustomForm::BeforeDestruction() {
  // Out of Screen and the application first: nothing may reach a form that is going.
  if (TNotifyEvent onDestroy = std::exchange(OnDestroy, nullptr)) {  // once, even when the owner goes first
    try {
      onDestroy(this);
    } catch (...) {
      Application->HandleException(this);
    }
  }
  Screen->RemoveForm(this);
  if (Application->mainForm_ == this) Application->mainForm_ = nullptr;
  TWinControl::BeforeDestruction();
}

void TCustomForm::InitFromResources() {
  InitInheritedComponent(this, InheritsFrom(&TForm::StaticClass()) ? &TForm::StaticClass()
                                                                   : &TCustomForm::StaticClass());
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  const int screen = Screen->PixelsPerInch();
  if (scaled_ && pixelsPerInch_ > 0 && pixelsPerInch_ != screen) {
    // Only the client size the resource gave scales: a size the form got
    // otherwise (from whoever creates it) is in the screen's pixels already.
    if (loadedClientWidth_ >= 0) loadedClientWidth_ = MulDiv(loadedClientWidth_, screen, pixelsPerInch_);
    if (loadedClientHeight_ >= 0) loadedClientHeight_ = MulDiv(loadedClientHeight_, screen, pixelsPerInch_);
    ScaleControls(screen, pixelsPerInch_);
    pixelsPerInch_ = screen;
  }
  if (loadedClientWidth_ >= 0 || loadedClientHeight_ >= 0) {
    int w = loadedClientWidth_ >= 0 ? loadedClientWidth_ : ClientWidth();
    int h = loadedClientHeight_ >= 0 ? loadedClientHeight_ : ClientHeight();
    loadedClientWidth_ = loadedClientHeight_ = -1;
    SetClientSize(w, h);
  }
  Realign();
  UpdateControlState();
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  // Made on a monitor whose resolution is not the screen's (the primary one's).
  if (scaled_ && pixelsPerInch_ > 0) {
    const int monitor = WindowPixelsPerInch(Handle());
    if (monitor != pixelsPerInch_) SetPixelsPerInch(monitor);
  }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
  SetAndRecreate(borderStyle_, style);
}

void TCustomForm::FrameStyle(DWORD& style, DWORD& exStyle) const {
  switch (borderStyle_) {
    case bsNone:
      if (!(style & WS_CHILD)) style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow: style |= WS_CAPTION | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX; break;
    case bsSizeable:
    case bsSizeToolWin:
      style |= WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
      break;
    case bsDialog:
      style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
      exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) exStyle |= WS_EX_TOOLWINDOW;
}

void TCustomForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style &= ~(WS_GROUP | WS_TABSTOP);
  if (ParentWindow()) {
    p.Style |= WS_CHILD;  // inside a window that is not ours
  } else {
    p.Style &= ~WS_CHILD;
    p.WndParent = Application->Handle();
  }
  p.Style |= WS_CLIPCHILDREN;
  FrameStyle(p.Style, p.ExStyle);
  switch (position_) {
    case poDefault:
    case poDefaultPosOnly:
      if (!(p.Style & WS_CHILD)) p.X = p.Y = CW_USEDEFAULT;
      break;
    case poScreenCenter:
    case poDesktopCenter:
      if (!(p.Style & WS_CHILD)) {
        p.X = (GetSystemMetrics(SM_CXSCREEN) - p.Width) / 2;
        p.Y = (GetSystemMetrics(SM_CYSCREEN) - p.Height) / 2;
      }
      break;
    default: break;
  }
  p.WindowClass.hIcon = nullptr;
}

RECT TCustomForm::ClientRect() const {
  if (HandleAllocated()) return TWinControl::ClientRect();
  // Before the window exists: the outer size less the frame of the style.
  DWORD style = ParentWindow() ? WS_CHILD : 0, exStyle = 0;
  FrameStyle(style, exStyle);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return RECT{0, 0, std::max(0L, width_ - (frame.right - frame.left)), std::max(0L, height_ - (frame.bottom - frame.top))};
}

// While a resource is read the border style may still change: the client
// size is applied once it is loaded.
void TCustomForm::SetFormClientWidth(int width) {
  if (ComponentState().Contains(csLoading)) loadedClientWidth_ = width;
  else SetClientWidth(width);
}

void TCustomForm::SetFormClientHeight(int height) {
  if (ComponentState().Contains(csLoading)) loadedClientHeight_ = height;
  else SetClientHeight(height);
}

int TCustomForm::PixelsPerInch() const { return pixelsPerInch_ > 0 ? pixelsPerInch_ : Screen->PixelsPerInch(); }

void TCustomForm::SetPixelsPerInch(int ppi) {
  if (ppi <= 0) return;
  if (ComponentState().Contains(csLoading) || !scaled_) {
    pixelsPerInch_ = ppi;
    return;
  }
  ScaleBy(ppi, PixelsPerInch());
  pixelsPerInch_ = ppi;
}

namespace {
void ScaleChildren(TWinControl* container, int m, int d) {
  for (int i = 0; i < container->ControlCount(); ++i) {
    TControl* c = container->Controls(i);
    c->ChangeScale(m, d);
    if (auto* w = dynamic_cast<TWinControl*>(c)) ScaleChildren(w, m, d);
  }
  // A container scaled before its children aligned them to its new size;
  // their own scaling has moved them since: align them again.
  container->Realign();
}
}  // namespace

void TCustomForm::ScaleControls(int m, int d) {
  Font()->ScaleHeight(m, d);
  ScaleChildren(this, m, d);
}

void TCustomForm::ScaleBy(int m, int d) {
  if (m <= 0 || d <= 0 || m == d) return;
  const int width = MulDiv(ClientWidth(), m, d), height = MulDiv(ClientHeight(), m, d);
  ScaleControls(m, d);
  SetClientSize(width, height);
  Realign();
}

void TCustomForm::Show() {
  SetVisible(true);
  if (HandleAllocated() && !ParentWindow())
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

int TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  if (GetCapture()) ReleaseCapture();
  HWND previous = GetActiveWindow();
  std::vector<HWND> disabled = DisableThreadWindows(nullptr);
  modal_ = true;
  modalResult_ = mrNone;
  int result = mrCancel;
  try {
    Show();
    while (modalResult_ == mrNone) {
      if (Application->Terminated() || !HandleAllocated()) {  // quit, or the window was destroyed under us
        modalResult_ = mrCancel;
        break;
      }
      Application->HandleMessage();
      if (Application->Terminated())
        modalResult_ = mrCancel;
      else if (modalResult_ != mrNone)
        CloseModal();
    }
    result = modalResult_;
    Hide();
  } catch (...) {
    modal_ = false;
    EnableThreadWindows(disabled);
    throw;
  }
  modal_ = false;
  EnableThreadWindows(disabled);
  if (previous && IsWindow(previous)) SetActiveWindow(previous);
  return result;
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  if (action == caNone) modalResult_ = mrNone;
  else if (action == caFree) Release();
}

void TCustomForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application->MainForm() == this)
    Application->Terminate();
  else if (action == caHide)
    Hide();
  else if (action == caFree)
    Release();
  else if (HandleAllocated())
    ShowWindow(Handle(), SW_MINIMIZE);
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TCustomForm::Release() {
  if (ComponentState().Contains(csDestroying)) return;
  HWND wnd = nullptr;
  try {
    wnd = Handle();
  } catch (const Exception&) {
    wnd = nullptr;  // no window can be made any more (its parent has gone)
  }
  if (wnd)
    PostMessageA(wnd, CM_RELEASE, 0, 0);
  else
    PostMessageA(Application->Handle(), CM_RELEASE, 0, reinterpret_cast<LPARAM>(this));
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (activeControl_ == control) return;
  if (control && (control == this || GetParentForm(control) != this))
    throw EInvalidOperation("Invalid active control");
  activeControl_ = control;
  if (control && Showing() && !ComponentState().Contains(csLoading)) control->SetFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
  if (control == this) control = nullptr;
  if (activeControl_ == control || !control) return true;
  TWinControl* previous = activeControl_;
  if (previous) {
    previous->Perform(CM_EXIT);
    // The control leaving may have taken the focus back: then nothing moves.
    if (!control->HandleAllocated() || GetFocus() != control->Handle()) return false;
  }
  activeControl_ = control;
  control->Perform(CM_ENTER);
  return true;
}

void TCustomForm::ControlRemoved(TControl* control) {
  for (TWinControl* c = activeControl_; c; c = c->Parent())
    if (c == control) {
      activeControl_ = nullptr;
      return;
    }
}

void TCustomForm::CollectTabStops(TWinControl* container, std::vector<TWinControl*>& out) {
  std::vector<TWinControl*> children;
  for (int i = 0; i < container->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(container->Controls(i))) children.push_back(w);
  std::stable_sort(children.begin(), children.end(),
                   [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  for (TWinControl* w : children) {
    if (w->TabStop()) out.push_back(w);
    CollectTabStops(w, out);
  }
}

bool TCustomForm::SelectNext(TWinControl* current, bool forward) {
  std::vector<TWinControl*> stops;
  CollectTabStops(this, stops);
  stops.erase(std::remove_if(stops.begin(), stops.end(),
                             [](TWinControl* w) { return !w->CanFocus() || !w->Showing(); }),
              stops.end());
  if (stops.empty()) return false;
  if (!forward) std::reverse(stops.begin(), stops.end());
  auto it = std::find(stops.begin(), stops.end(), current);
  TWinControl* next = (it == stops.end() || it + 1 == stops.end()) ? stops.front() : *(it + 1);
  if (next == current) return false;
  next->SetFocus();
  return next->Focused();
}

bool TCustomForm::BroadcastDialog(TWinControl* container, TMessage& m) {
  for (int i = 0; i < container->ControlCount(); ++i) {
    TControl* c = container->Controls(i);
    if (!c->Visible() || !c->Enabled()) continue;
    m.Result = c->Perform(m.Msg, m.WParam, m.LParam);
    if (m.Result) return true;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && BroadcastDialog(w, m)) return true;
  }
  return false;
}

void TCustomForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE:
      Close();
      m.Result = 0;
      return;
    case WM_ACTIVATE: return WMActivate(m);
    case WM_ACTIVATEAPP:
      if (!m.WParam) Application->active_ = false;
      break;
    case WM_SYSCOMMAND:
      if (WMSysCommand(m)) return;
      break;
    case WM_DPICHANGED:
      if (WMDpiChanged(m)) return;
      break;
    case CM_ACTIVATE: return Activate();
    case CM_DEACTIVATE: return Deactivate();
    case CM_DIALOGKEY: return CMDialogKey(m);
    case CM_DIALOGCHAR: return Broadcast(m);
    case CM_SHOWINGCHANGED: return CMShowingChanged();
    case CM_RELEASE: return CMRelease();
    default: break;
  }
  TWinControl::WndProc(m);
}

void TCustomForm::WMActivate(TMessage& m) {
  TWinControl::WndProc(m);
  if (LOWORD(m.WParam) == WA_INACTIVE) return;
  // A new active form, or back from another program: not the return from a
  // message box or another window of this one.
  TCustomForm* before = Screen->ActiveForm();
  const bool fire = before != this || !Application->active_;
  Application->active_ = true;
  if (fire) {
    Screen->SetActiveForm(this);
    if (before && before != this) before->Perform(CM_DEACTIVATE);
    Perform(CM_ACTIVATE);
  }
  if (activeControl_ && activeControl_->HandleAllocated() && IsWindowEnabled(Handle()))
    ::SetFocus(activeControl_->Handle());
}

// Alt and a letter: the accelerator of a control. False: not handled here.
bool TCustomForm::WMSysCommand(TMessage& m) {
  if ((m.WParam & 0xFFF0) != SC_KEYMENU || !m.LParam) return false;
  TMessage c{CM_DIALOGCHAR, static_cast<WPARAM>(m.LParam), 0, 0};
  if (!BroadcastDialog(this, c)) return false;
  m.Result = 0;
  return true;
}

// Moved to a monitor of another resolution: scaled to it, then placed where
// the system suggests (its frame scales as well). False: not handled here.
bool TCustomForm::WMDpiChanged(TMessage& m) {
  if (!scaled_ || pixelsPerInch_ <= 0) return false;
  SetPixelsPerInch(LOWORD(m.WParam));
  if (const auto* r = reinterpret_cast<const RECT*>(m.LParam))
    SetWindowPos(Handle(), nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  m.Result = 0;
  return true;
}

void TCustomForm::CMDialogKey(TMessage& m) {
  switch (m.WParam) {
    case VK_TAB:
      if (GetKeyState(VK_CONTROL) >= 0) {
        m.Result = SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0) ? 1 : 0;
        return;
      }
      break;  // Ctrl+Tab: for the controls (a page control turns its page)
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      if (activeControl_) m.Result = SelectNext(activeControl_, m.WParam == VK_RIGHT || m.WParam == VK_DOWN) ? 1 : 0;
      return;
    default: break;
  }
  Broadcast(m);
}

void TCustomForm::Broadcast(TMessage& m) {
  TMessage b = m;
  m.Result = BroadcastDialog(this, b) ? 1 : 0;
}

void TCustomForm::CMShowingChanged() {
  if (!HandleAllocated()) return;
  if (Showing()) {
    ShowWindow(Handle(), SW_SHOW);
    if (OnShow) OnShow(this);
  } else {
    if (OnHide) OnHide(this);
    ShowWindow(Handle(), SW_HIDE);
  }
}

void TCustomForm::CMRelease() {
  if (modal_) {  // end the modal loop first; the form goes afterwards
    modalResult_ = mrCancel;
    PostMessageA(Handle(), CM_RELEASE, 0, 0);
    return;
  }
  Free();  // nothing of this object may be touched after this
}

// ---- TApplication -----------------------------------------------------------------

const TMetaClass& TApplication::StaticClass() {
  static const TMetaClass cls = DefineClass<TApplication>("TApplication", &TComponent::StaticClass());
  return cls;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
}

TApplication::~TApplication() {
  DestroyRoots();
  delete icon_;
}

void TApplication::DestroyRoots() {
  while (ComponentCount() > 0) Components(ComponentCount() - 1)->Free();
  mainForm_ = nullptr;
  if (handle_) DeallocateHWnd(std::exchange(handle_, nullptr));
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == mainForm_) mainForm_ = nullptr;
}

HWND TApplication::Handle() {
  if (!handle_ || !IsWindow(handle_)) {
    handle_ = AllocateHWnd([this](TMessage& m) { AppWndProc(m); });
    SetWindowTextA(handle_, Title().c_str());
    if (HICON icon = Icon()->Handle()) SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  }
  return handle_;
}

void TApplication::AppWndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE:
      if (mainForm_) mainForm_->Close();
      return;
    case WM_ACTIVATEAPP:
      if (!m.WParam) active_ = false;
      break;
    case CM_RELEASE: {
      // A form without a window asked to be freed: only if it still lives.
      auto* form = reinterpret_cast<TCustomForm*>(m.LParam);
      for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i) == form) {
          form->Free();
          break;
        }
      return;
    }
    default: break;
  }
  m.Result = DefWindowProcA(handle_, m.Msg, m.WParam, m.LParam);
}

void TApplication::CreateForm(TComponentClass cls, TComponent*& ref) {
  ref = nullptr;
  if (!cls || !cls->InheritsFrom(&TComponent::StaticClass()) || cls->IsAbstract())
    throw EInvalidOperation("Cannot create a form of class " + (cls ? cls->ClassName() : std::string("(none)")));
  auto* instance = static_cast<TComponent*>(cls->NewInstance(this));
  ref = instance;
  try {
    instance->InitFromResources();
    instance->AfterConstruction();
  } catch (...) {
    ref = nullptr;
    instance->Free();
    throw;
  }
  if (!mainForm_)
    if (auto* form = dynamic_cast<TForm*>(instance)) mainForm_ = form;
}

void TApplication::Run() {
  if (mainForm_ && showMainForm_) mainForm_->Show();
  while (!terminated_) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

bool TApplication::IsKeyMsg(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  HWND wnd = GetCapture();
  if (!wnd) wnd = msg.hwnd;
  TWinControl* control = FindControl(wnd);
  if (!control) return false;
  return control->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  if (!IsKeyMsg(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg) && !terminated_) WaitMessage();
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

const std::string& TApplication::Title() {
  if (title_.empty()) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = ExtractFileName(path);
    name = name.substr(0, name.find('.'));
    if (!name.empty()) name = name.substr(0, 1) + AnsiLowerCase(name.substr(1));
    title_ = name;
  }
  return title_;
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) SetWindowTextA(handle_, Title().c_str());
}

TIcon* TApplication::Icon() {
  if (!icon_) {
    icon_ = new TIcon;
    HICON icon = LoadIconA(HInstance, "MAINICON");
    if (!icon) icon = LoadIconA(HInstance, MAKEINTRESOURCEA(1));
    if (!icon) icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    icon_->SetHandle(icon);  // shared resource icons are never destroyed
  }
  return icon_;
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND owner = Handle();
  HWND active = GetActiveWindow();
  std::vector<HWND> disabled = DisableThreadWindows(owner);
  int answer = IDCANCEL;
  try {
    answer = ShowMessageBox(owner, text, caption, flags);
  } catch (...) {
    EnableThreadWindows(disabled);
    throw;
  }
  EnableThreadWindows(disabled);
  if (active && IsWindow(active)) SetActiveWindow(active);
  return answer;
}

void TApplication::ShowException(const Exception& e) {
  std::string text = e.Message();
  if (!text.empty() && text.back() > '.') text += '.';
  MessageBox(text, Title(), MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject* sender) {
  if (!std::current_exception()) return;
  try {
    try {
      throw;
    } catch (const Exception& e) {
      if (OnException) OnException(sender, e);
      else ShowException(e);
    } catch (const std::exception& e) {
      Exception wrapped(e.what());
      if (OnException) OnException(sender, wrapped);
      else ShowException(wrapped);
    } catch (...) {
      Exception unknown("Unknown exception");
      if (OnException) OnException(sender, unknown);
      else ShowException(unknown);
    }
  } catch (...) {
    // The handler itself failed: nothing more can be done safely.
  }
}

namespace {
// Lives until the very end of the program; its roots go at exit.
TApplication* MakeApplication() {
  static struct Finalizer {
    TApplication* app = new TApplication(nullptr);
    ~Finalizer() { app->DestroyRoots(); }
  } finalizer;
  return finalizer.app;
}
}  // namespace

TApplication* const Application = MakeApplication();
