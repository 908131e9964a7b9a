#include "framework/preview.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "framework/scrcontrol.h"
#include "framework/trace.h"
#include "toolkit/sysutils.h"

namespace {

const char* const kProxyClass = "ScrPreviewProxyChild";
const char* const kDefaultPreviewClass = "ScrDefaultPreviewWindowClass";

SIZE WindowSize(HWND w) {
  RECT r{0, 0, 0, 0};
  GetWindowRect(w, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

bool ClassRegistered(const char* name) {
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  return GetClassInfoExA(HInstance, name, &info) != 0;
}

}  // namespace

// ---- The proxy ----------------------------------------------------------------------

namespace {

// The proxies with a window. A host's window can go without its children
// hearing of it (under Wine, when the host was made by another thread of this
// process and that thread ends): a timer looks for proxy windows that have
// gone so, and treats that as the host's end.
std::vector<TPreviewProxy*>& LiveProxies() {
  static std::vector<TPreviewProxy*> proxies;
  return proxies;
}
UINT_PTR gWatchTimer = 0;

void CALLBACK WatchProxies(HWND, UINT, UINT_PTR, DWORD) {
  for (TPreviewProxy* proxy : std::vector<TPreviewProxy*>(LiveProxies())) {
    auto& live = LiveProxies();
    if (std::find(live.begin(), live.end(), proxy) == live.end()) continue;  // gone meanwhile
    if (!IsWindow(proxy->Window())) proxy->WindowLost();
  }
}

void Watch(TPreviewProxy* proxy, bool on) {
  auto& live = LiveProxies();
  live.erase(std::remove(live.begin(), live.end(), proxy), live.end());
  if (on) live.push_back(proxy);
  if (!live.empty() && !gWatchTimer) gWatchTimer = SetTimer(nullptr, 0, 250, WatchProxies);
  if (live.empty() && gWatchTimer) {
    KillTimer(nullptr, gWatchTimer);
    gWatchTimer = 0;
  }
}

}  // namespace

LRESULT CALLBACK PreviewProxyWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* proxy = reinterpret_cast<TPreviewProxy*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  try {
    if (proxy && msg == WM_DESTROY && !proxy->destroying_) proxy->HostDestroyed();
    // The form fills the proxy, whatever size the host gives it.
    if (proxy && msg == WM_SIZE && proxy->form_) proxy->form_->SetBounds(0, 0, LOWORD(lParam), HIWORD(lParam));
  } catch (...) {
    Application->HandleException(nullptr);
  }
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

const TMetaClass& TPreviewProxy::StaticClass() {
  static const TMetaClass cls = DefineClass<TPreviewProxy>("TPreviewProxy", &TComponent::StaticClass());
  return cls;
}

TPreviewProxy::TPreviewProxy(TComponent* owner) : TComponent(owner) {
  if (ClassRegistered(kProxyClass)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_GLOBALCLASS;
  wc.lpfnWndProc = PreviewProxyWndProc;
  wc.hInstance = HInstance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = kProxyClass;
  if (!RegisterClassExA(&wc)) {
    ScrDebugErr("Failed to register class for ScrPreviewProxyChild");
    Application->Terminate();
  }
}

TPreviewProxy::~TPreviewProxy() {
  Watch(this, false);
  destroying_ = true;
  if (TForm* form = std::exchange(form_, nullptr)) {
    form->RemoveFreeNotification(this);
    form->Free();
  }
  if (HWND wnd = std::exchange(window_, nullptr)) {
    SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
    if (IsWindow(wnd)) DestroyWindow(wnd);
  }
  destroying_ = false;
}

void TPreviewProxy::CreateWindowIn(HWND host) {
  if (windowMade_) {
    ScrDebugErr("Proxy component: trying to set child again");
    Application->Terminate();
    return;
  }
  if (!host || !IsWindow(host)) return;
  const SIZE size = WindowSize(host);
  // No parent notification: the host belongs to another program, and a host
  // that does not answer must not hold up the preview's start.
  window_ = CreateWindowExA(WS_EX_NOPARENTNOTIFY, kProxyClass, "Proxy", WS_CHILD | WS_VISIBLE, 0, 0, size.cx,
                            size.cy, host, reinterpret_cast<HMENU>(100), HInstance, nullptr);
  if (!window_) return;
  windowMade_ = true;
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  Watch(this, true);
}

void TPreviewProxy::SetForm(TForm* form) {
  if (formSet_) {
    ScrDebugErr("Proxy component: trying to set child again");
    Application->Terminate();
    return;
  }
  formSet_ = true;
  form_ = form;
  if (form_) form_->FreeNotification(this);
}

void TPreviewProxy::WindowLost() {
  ScrDebugMsg("Preview proxy window has gone unannounced");
  window_ = nullptr;
  HostDestroyed();
}

void TPreviewProxy::HostDestroyed() {
  Watch(this, false);
  destroying_ = true;
  if (TForm* form = std::exchange(form_, nullptr)) {
    form->RemoveFreeNotification(this);
    form->Free();
  }
  if (window_) SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  window_ = nullptr;
  destroying_ = false;
  Free();
}

void TPreviewProxy::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove || component != form_ || !form_) return;
  form_ = nullptr;
  if (!destroying_) Free();
}

// ---- The default preview -----------------------------------------------------------

namespace {

// The desktop colour with the application's icon in the middle.
void PaintDefaultPreview(HDC dc, const RECT& r) {
  FillRect(dc, &r, GetSysColorBrush(COLOR_BACKGROUND));
  const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
  DrawIcon(dc, r.left + (r.right - r.left - cx) / 2, r.top + (r.bottom - r.top - cy) / 2,
           Application->Icon()->Handle());
}

// Wine (8) shows nothing drawn into a child window of another program's
// window (the control panel's picture): there the picture goes through that
// program's top-level window too.
void PaintThroughForeignTopLevel(HWND wnd) {
  TForeignTopLevelDC foreign(wnd);
  if (!foreign.DC()) return;
  RECT r;
  GetClientRect(wnd, &r);
  OffsetRect(&r, foreign.Origin().x, foreign.Origin().y);
  PaintDefaultPreview(foreign.DC(), r);
}

LRESULT CALLBACK DefaultPreviewWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_DESTROY:
      if (GetWindowLongPtrA(wnd, GWLP_USERDATA)) Application->Terminate();
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      RECT r;
      GetClientRect(wnd, &r);
      PaintDefaultPreview(dc, r);
      EndPaint(wnd, &ps);
      if (HostIsWine()) PaintThroughForeignTopLevel(wnd);
      return 0;
    }
    default: break;
  }
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

}  // namespace

HWND DefaultPreviewWindow(HWND host, bool mainPreview) {
  if (!ClassRegistered(kDefaultPreviewClass)) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefaultPreviewWndProc;
    wc.hInstance = HInstance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BACKGROUND);
    wc.lpszClassName = kDefaultPreviewClass;
    if (!RegisterClassExA(&wc)) {
      ScrDebugErr("Failed to register class for default window");
      Application->Terminate();
      return nullptr;
    }
  }
  if (!host || !IsWindow(host)) return nullptr;
  const SIZE size = WindowSize(host);
  HWND w = CreateWindowExA(WS_EX_NOPARENTNOTIFY, kDefaultPreviewClass, "Preview", WS_CHILD | WS_VISIBLE, 0, 0,
                           size.cx, size.cy, host, nullptr, HInstance,
                           reinterpret_cast<void*>(static_cast<INT_PTR>(mainPreview ? 1 : 0)));
  if (w) ShowWindow(w, SW_SHOW);
  return w;
}

// ---- TScrPreview ---------------------------------------------------------------------

const TMetaClass& TScrPreview::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrPreview>("TScrPreview", &TCustomControl::StaticClass(), [](auto& c) {
    c.Boolean("AutoPreview", &TScrPreview::AutoPreview, &TScrPreview::SetAutoPreview);
  });
  return cls;
}

TScrPreview::TScrPreview(TComponent* owner) : TCustomControl(owner) {
  width_ = 153;
  height_ = 113;
}

TScrPreview::~TScrPreview() = default;

void TScrPreview::BeforeDestruction() {
  // While the window still exists: the preview is closed the usual way.
  if (previewPresent_) RemovePreview();
  TCustomControl::BeforeDestruction();
}

void TScrPreview::CreateHandle() {
  TCustomControl::CreateHandle();
  if (ComponentState().Contains(csDesigning)) return;
  if (autoPreview_) previewPresent_ = true;
  if (previewPresent_) CreatePreview();
}

void TScrPreview::Resize() {
  TCustomControl::Resize();
  // The preview inside follows the control's size.
  if (!HandleAllocated()) return;
  RECT r;
  GetClientRect(Handle(), &r);
  if (HWND child = GetWindow(Handle(), GW_CHILD)) {
    SetWindowPos(child, nullptr, 0, 0, r.right, r.bottom, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    InvalidateRect(child, nullptr, TRUE);
  }
}

void TScrPreview::SetPreviewPresent(bool present) {
  if (present == previewPresent_) return;
  previewPresent_ = present;
  if (present)
    CreatePreview();
  else
    RemovePreview();
}

void TScrPreview::CreatePreview() {
  if (!gScrControl || !HandleAllocated()) return;
  // Opened over a running saver (the active configuration): a second
  // animation would only slow the first down; the icon says enough.
  if (autoPreview_ && (gScrSaver || gScrMode == smSFull))
    DefaultPreviewWindow(Handle(), false);
  else
    gScrControl->CreatePreview(Handle());
}

void TScrPreview::RemovePreview() {
  if (!HandleAllocated()) return;
  // The child (the preview's proxy or the default picture) goes at once
  // with its form; nothing else runs meanwhile (this may be called while
  // the control is being destroyed, with its owner half gone).
  if (HWND child = GetWindow(Handle(), GW_CHILD)) SendMessageA(child, WM_CLOSE, 0, 0);
}

void TScrPreview::Paint() {
  HDC dc = Canvas()->Handle();
  RECT r;
  GetClientRect(Handle(), &r);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DKGRAY_BRUSH));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
  if (ComponentState().Contains(csDesigning)) {
    MoveToEx(dc, r.left, r.top, nullptr);
    LineTo(dc, r.right, r.bottom);
    MoveToEx(dc, r.right, r.top, nullptr);
    LineTo(dc, r.left, r.bottom);
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

// ---- Registration -------------------------------------------------------------------

void ScrRegisterPreviewClasses() { RegisterClasses({&TScrPreview::StaticClass()}); }

namespace {
const bool kRegistered = (ScrRegisterPreviewClasses(), true);
}
