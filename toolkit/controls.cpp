#include "toolkit/controls.h"

#include <algorithm>

#include "toolkit/forms.h"
#include "toolkit/menus.h"
#include "toolkit/screen.h"

HINSTANCE const HInstance = GetModuleHandleA(nullptr);

namespace {

// The property that ties a window to its control.
LPCSTR ControlProp() {
  static const ATOM atom = GlobalAddAtomA("SpiralisToolkitControl");
  return MAKEINTATOM(atom);
}

// The control whose window is being made: its first message binds it.
thread_local TWinControl* creatingControl = nullptr;

bool IsOwnProcessWindow(HWND wnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  return pid == GetCurrentProcessId();
}

template <class T>
void EraseValue(std::vector<T>& v, const T& x) {
  v.erase(std::remove(v.begin(), v.end(), x), v.end());
}

}  // namespace

// The one window procedure of every toolkit window.
LRESULT CALLBACK ToolkitWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* control = static_cast<TWinControl*>(GetPropA(wnd, ControlProp()));
  if (!control) {
    control = creatingControl;
    if (!control) return DefWindowProcA(wnd, msg, wParam, lParam);
    creatingControl = nullptr;
    control->handle_ = wnd;
    SetPropA(wnd, ControlProp(), control);
  }
  TMessage message{msg, wParam, lParam, 0};
  try {
    control->WndProc(message);
  } catch (...) {
    Application->HandleException(control);
  }
  // The control may be gone now (released, re-created): only the result is used.
  return message.Result;
}

TWinControl* FindControl(HWND window) {
  if (!window || !IsWindow(window) || !IsOwnProcessWindow(window)) return nullptr;
  return static_cast<TWinControl*>(GetPropA(window, ControlProp()));
}

TCustomForm* GetParentForm(TControl* control) {
  while (control && control->Parent()) control = control->Parent();
  return dynamic_cast<TCustomForm*>(control);
}

bool IsAccel(WPARAM ch, const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return AnsiUpperCase(std::string(1, caption[i + 1])) == AnsiUpperCase(std::string(1, static_cast<char>(ch)));
  }
  return false;
}

// ---- Utility windows ------------------------------------------------------------

namespace {

LRESULT CALLBACK UtilWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!method) return DefWindowProcA(wnd, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  try {
    (*method)(message);
  } catch (...) {
    Application->HandleException(nullptr);
  }
  return message.Result;
}

const char* UtilClassName() {
  static const char* name = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = UtilWndProc;
    wc.hInstance = HInstance;
    wc.lpszClassName = "TPUtilWindow";
    RegisterClassA(&wc);
    return "TPUtilWindow";
  }();
  return name;
}

}  // namespace

HWND AllocateHWnd(TWndMethod method) {
  HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW, UtilClassName(), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             HInstance, nullptr);
  if (!wnd) throw EInvalidOperation("Cannot create a utility window");
  SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(std::move(method))));
  return wnd;
}

void DeallocateHWnd(HWND window) {
  if (!window || !IsWindow(window)) return;
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  DestroyWindow(window);
  delete method;
}

// ---- TControl -------------------------------------------------------------------

const TMetaClass& TControl::StaticClass() {
  static const TMetaClass cls = DefineClass<TControl>("TControl", &TComponent::StaticClass(), [](auto& c) {
    c.Integer("Left", &TControl::Left, &TControl::SetLeft);
    c.Integer("Top", &TControl::Top, &TControl::SetTop);
    c.Integer("Width", &TControl::Width, &TControl::SetWidth);
    c.Integer("Height", &TControl::Height, &TControl::SetHeight);
    c.Boolean("Visible", &TControl::Visible, &TControl::SetVisible);
    c.Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled);
    c.template Enum<TAlign>("Align", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
                            &TControl::Align, &TControl::SetAlign);
    c.template Ident<TCursor>("Cursor", CursorIdents(), &TControl::Cursor, &TControl::SetCursor);
    c.template Ident<TColor>("Color", ColorIdents(), &TControl::Color, &TControl::SetColor);
    c.Class("Font", &TControl::Font);
    c.template Component<TPopupMenu>("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
  });
  return cls;
}

TControl::TControl(TComponent* owner) : TComponent(owner), font_(new TFont) {
  font_->OnChange = MakeEvent(this, &TControl::FontChanged);
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
  delete font_;
}

void TControl::BeforeDestruction() {
  TComponent::BeforeDestruction();
  if (parent_) parent_->RemoveControl(this);
}

void TControl::FontChanged(TObject*) { Perform(CM_FONTCHANGED); }

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage message{msg, wParam, lParam, 0};
  WndProc(message);
  return message.Result;
}

namespace {
TShiftState ShiftFromKeys(WPARAM keys) {
  TShiftState s;
  if (keys & MK_SHIFT) s.Include(ssShift);
  if (keys & MK_CONTROL) s.Include(ssCtrl);
  if (keys & MK_LBUTTON) s.Include(ssLeft);
  if (keys & MK_RBUTTON) s.Include(ssRight);
  if (keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}
}  // namespace

void TControl::WndProc(TMessage& m) {
  const int x = static_cast<short>(m.LParamLo()), y = static_cast<short>(m.LParamHi());
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (OnMouseDown)
        OnMouseDown(this, m.Msg == WM_LBUTTONDOWN ? mbLeft : m.Msg == WM_RBUTTONDOWN ? mbRight : mbMiddle,
                    ShiftFromKeys(m.WParam), x, y);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (OnMouseUp)
        OnMouseUp(this, m.Msg == WM_LBUTTONUP ? mbLeft : m.Msg == WM_RBUTTONUP ? mbRight : mbMiddle,
                  ShiftFromKeys(m.WParam), x, y);
      break;
    case WM_MOUSEMOVE:
      if (OnMouseMove) OnMouseMove(this, ShiftFromKeys(m.WParam), x, y);
      break;
    case WM_CONTEXTMENU:
      if (popupMenu_ && popupMenu_->AutoPopup()) {
        POINT p{x, y};
        if (m.LParam == -1) p = ClientToScreen(POINT{0, 0});  // from the keyboard
        popupMenu_->SetPopupComponent(this);
        popupMenu_->Popup(p.x, p.y);
        m.Result = 1;
        return;
      }
      break;
    default: break;
  }
  DefaultHandler(m);
}

void TControl::DefaultHandler(TMessage& m) { m.Result = 0; }

void TControl::SetBounds(int left, int top, int width, int height) {
  bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (resized) Resize();
  if (parent_) parent_->Realign();
}

RECT TControl::ClientRect() const { return RECT{0, 0, width_, height_}; }
int TControl::ClientWidth() const { return ClientRect().right; }
int TControl::ClientHeight() const { return ClientRect().bottom; }

void TControl::SetClientSize(int width, int height) {
  SetBounds(left_, top_, width + (width_ - ClientWidth()), height + (height_ - ClientHeight()));
}

POINT TControl::ClientOrigin() const {
  if (auto* self = dynamic_cast<const TWinControl*>(this); self && self->HandleAllocated()) {
    POINT p{0, 0};
    ::ClientToScreen(self->handle_, &p);
    return p;
  }
  if (parent_) {
    POINT p = parent_->ClientOrigin();
    return POINT{p.x + left_, p.y + top_};
  }
  return POINT{left_, top_};
}

POINT TControl::ClientToScreen(POINT p) const {
  POINT o = ClientOrigin();
  return POINT{p.x + o.x, p.y + o.y};
}

POINT TControl::ScreenToClient(POINT p) const {
  POINT o = ClientOrigin();
  return POINT{p.x - o.x, p.y - o.y};
}

void TControl::SetParent(TWinControl* parent) {
  if (parent_ == parent) return;
  if (parent == this) throw EInvalidOperation("A control cannot be its own parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* p = dynamic_cast<TWinControl*>(parent)) SetParent(p);
}

void TControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  VisibleChanging();
  visible_ = visible;
  Perform(CM_VISIBLECHANGED, visible);
  if (auto* self = dynamic_cast<TWinControl*>(this)) self->UpdateControlState();
  if (parent_) parent_->Realign();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetAlign(TAlign align) {
  if (align_ == align) return;
  align_ = align;
  if (parent_) parent_->Realign();
}

void TControl::SetCursor(TCursor cursor) {
  if (cursor_ == cursor) return;
  cursor_ = cursor;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  Perform(CM_COLORCHANGED);
}

void TControl::SetText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  Perform(CM_TEXTCHANGED);
}

void TControl::ChangeScale(int m, int d) {
  if (m <= 0 || d <= 0 || m == d) return;
  // The far edges are scaled too, so that controls that touch still touch.
  const int left = MulDiv(left_, m, d), top = MulDiv(top_, m, d);
  SetBounds(left, top, MulDiv(left_ + width_, m, d) - left, MulDiv(top_ + height_, m, d) - top);
  font_->ScaleHeight(m, d);
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::Changed() {
  if (parent_) parent_->Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this));
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (popupMenu_ == menu) return;
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
  TComponent::Notification(component, operation);
}

// ---- TWinControl ----------------------------------------------------------------

const TMetaClass& TWinControl::StaticClass() {
  static const TMetaClass cls = DefineClass<TWinControl>("TWinControl", &TControl::StaticClass(), [](auto& c) {
    c.Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop);
    c.Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder);
  });
  return cls;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  if (handle_) {
    HWND wnd = handle_;
    RemovePropA(wnd, ControlProp());
    handle_ = nullptr;
    if (IsWindow(wnd)) DestroyWindow(wnd);
  }
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
    c->Free();
  }
  ReleaseBrush();
}

void TWinControl::BeforeDestruction() {
  // The window goes first, while every override is still there to see its
  // last messages; then the children this control carries.
  SetDestroyingState();
  DestroyHandle();
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    c->Free();
    if (!controls_.empty() && controls_.back() == c) RemoveControl(c);  // already on its way out
  }
  TControl::BeforeDestruction();
}

void TWinControl::SetDestroyingState() {
  // Free marks the component state; until then no window may be made.
  destroying_ = true;
}

TControl* TWinControl::Controls(int i) const {
  if (i < 0 || i >= ControlCount()) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
  return controls_[i];
}

void TWinControl::InsertControl(TControl* control) {
  if (!control || control->parent_ == this) return;
  if (control->parent_) control->parent_->RemoveControl(control);
  controls_.push_back(control);
  control->parent_ = this;
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    if (w->tabOrder_ < 0) {
      int n = 0;
      for (TControl* c : controls_)
        if (dynamic_cast<TWinControl*>(c)) ++n;
      w->tabOrder_ = n - 1;
    }
    w->UpdateControlState();
  }
  Realign();
}

void TWinControl::RemoveControl(TControl* control) {
  if (!control || control->parent_ != this) return;
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    // A window cannot move to another parent: it is made again there.
    w->DestroyHandle();
    w->showing_ = false;
  }
  if (auto* form = GetParentForm(this)) form->ControlRemoved(control);
  EraseValue(controls_, control);
  control->parent_ = nullptr;
  if (!destroying_) Realign();
}

void TWinControl::Realign() {
  if (aligning_ || destroying_) return;
  aligning_ = true;
  RECT r = ClientRect();
  for (TControl* c : controls_) {
    if (!c->Visible() && c->Align() != alClient) continue;
    switch (c->Align()) {
      case alNone: break;
      case alTop:
        c->SetBounds(r.left, r.top, r.right - r.left, c->Height());
        r.top += c->Height();
        break;
      case alBottom:
        c->SetBounds(r.left, r.bottom - c->Height(), r.right - r.left, c->Height());
        r.bottom -= c->Height();
        break;
      case alLeft:
        c->SetBounds(r.left, r.top, c->Width(), r.bottom - r.top);
        r.left += c->Width();
        break;
      case alRight:
        c->SetBounds(r.right - c->Width(), r.top, c->Width(), r.bottom - r.top);
        r.right -= c->Width();
        break;
      case alClient: c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); break;
    }
  }
  aligning_ = false;
}

HWND TWinControl::Handle() {
  if (!handle_ && !destroying_ && !ComponentState().Contains(csDestroying)) CreateHandle();
  return handle_;
}

void TWinControl::SetParentWindow(HWND parent) {
  if (parentWindow_ == parent) return;
  if (!parent_) DestroyHandle();
  parentWindow_ = parent;
  showing_ = false;
  UpdateControlState();
}

bool TWinControl::IsTopLevel() const { return dynamic_cast<const TCustomForm*>(this) != nullptr; }

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = text_;
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (controlStyle_.Contains(csAcceptsControls)) p.Style |= WS_CLIPCHILDREN;
  if (!enabled_) p.Style |= WS_DISABLED;
  if (tabStop_) p.Style |= WS_TABSTOP;
  p.ExStyle = 0;
  p.X = left_;
  p.Y = top_;
  p.Width = width_;
  p.Height = height_;
  p.WndParent = parent_ ? parent_->Handle() : parentWindow_;
  p.WindowClass = WNDCLASSA{};
  p.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  p.WindowClass.lpfnWndProc = DefWindowProcA;
  p.WindowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  p.WindowClass.hInstance = HInstance;
  p.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& p, const char* controlClassName) {
  WNDCLASSA wc{};
  if (!GetClassInfoA(nullptr, controlClassName, &wc) && !GetClassInfoA(HInstance, controlClassName, &wc))
    throw EInvalidOperation(std::string("Window class ") + controlClassName + " not found");
  p.WindowClass = wc;
  p.WindowClass.style &= ~CS_GLOBALCLASS;
  p.WindowClass.hInstance = HInstance;
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  if (p.WndParent && !IsWindow(p.WndParent))
    throw EInvalidOperation("Control '" + Name() + "': its parent window has gone");
  defWndProc_ = p.WindowClass.lpfnWndProc ? p.WindowClass.lpfnWndProc : DefWindowProcA;

  WNDCLASSA existing{};
  if (!GetClassInfoA(HInstance, p.WinClassName.c_str(), &existing)) {
    WNDCLASSA wc = p.WindowClass;
    wc.lpfnWndProc = ToolkitWndProc;
    wc.hInstance = HInstance;
    wc.lpszClassName = p.WinClassName.c_str();
    wc.lpszMenuName = nullptr;
    if (!RegisterClassA(&wc)) throw EInvalidOperation("Cannot register window class " + p.WinClassName);
  }

  creatingControl = this;
  HWND wnd = CreateWindowExA(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width,
                             p.Height, p.WndParent, nullptr, HInstance, nullptr);
  creatingControl = nullptr;
  if (!wnd || handle_ != wnd) {
    if (wnd && IsWindow(wnd)) DestroyWindow(wnd);
    handle_ = nullptr;
    throw EInvalidOperation("Error creating window for '" + Name() + "'");
  }
  if (defWndProc_ != DefWindowProcA) SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
  // Where the system actually put it (default positions, minimum sizes).
  UpdateBoundsFromWindow();
}

void TWinControl::CreateHandle() {
  if (!handle_) CreateWnd();
}

void TWinControl::DestroyWnd() {
  HWND wnd = handle_;
  if (!wnd) return;
  if (IsWindow(wnd)) DestroyWindow(wnd);
  if (handle_ == wnd) {  // not ours any more, or already gone
    RemovePropA(wnd, ControlProp());
    handle_ = nullptr;
  }
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  DestroyHandle();
  bool wasShowing = showing_;
  showing_ = false;
  if (wasShowing) UpdateShowing();
}

bool TWinControl::ParentShowing() const {
  if (parent_) return parent_->showing_;
  return parentWindow_ != nullptr || IsTopLevel();
}

void TWinControl::UpdateShowing() {
  if (ComponentState().Contains(csLoading) || destroying_) return;
  const bool show = visible_ && ParentShowing();
  if (show) {
    if (!handle_) CreateHandle();
    if (!handle_) return;
    const bool changed = !showing_;
    showing_ = true;
    for (TControl* c : std::vector<TControl*>(controls_))
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateShowing();
    if (changed) {
      try {
        Perform(CM_SHOWINGCHANGED);
      } catch (...) {
        showing_ = false;
        throw;
      }
    }
  } else {
    if (showing_) {
      showing_ = false;
      if (handle_) Perform(CM_SHOWINGCHANGED);
    }
    for (TControl* c : std::vector<TControl*>(controls_))
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateShowing();
  }
}

void TWinControl::UpdateControlState() {
  if (!parent_ || parent_->showing_ || !visible_) UpdateShowing();
}

void TWinControl::UpdateBoundsFromWindow() {
  if (!handle_) return;
  RECT r;
  if (!GetWindowRect(handle_, &r)) return;
  if (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) {
    HWND parent = GetParent(handle_);
    if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  Realign();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  if (handle_) {
    if (left != left_ || top != top_ || width != width_ || height != height_)
      SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (handle_) return;  // WM_WINDOWPOSCHANGED has taken the new bounds
  }
  TControl::SetBounds(left, top, width, height);
  Realign();
}

RECT TWinControl::ClientRect() const {
  RECT r{0, 0, width_, height_};
  if (handle_) GetClientRect(handle_, &r);
  return r;
}

void TWinControl::SetText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  if (handle_) SetWindowTextA(handle_, text_.c_str());
  Perform(CM_TEXTCHANGED);
}

void TWinControl::SetEnabled(bool enabled) {
  TControl::SetEnabled(enabled);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, !controlStyle_.Contains(csOpaque));
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

HBRUSH TWinControl::Brush() {
  if (brush_ && brushColor_ != color_) ReleaseBrush();
  if (!brush_) {
    brush_ = CreateSolidBrush(ColorToRGB(color_ == clNone ? clBtnFace : color_));
    brushColor_ = color_;
  }
  return brush_;
}

void TWinControl::ReleaseBrush() {
  if (brush_) DeleteObject(brush_);
  brush_ = nullptr;
}

bool TWinControl::CanFocus() const {
  const TWinControl* c = this;
  for (; c; c = c->parent_)
    if (!c->visible_ || !c->enabled_) return false;
  return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (!CanFocus()) return;
  if (HWND wnd = Handle()) ::SetFocus(wnd);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

bool TWinControl::Reflect(TMessage& m) {
  HWND child = nullptr;
  switch (m.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM: child = reinterpret_cast<HWND>(m.LParam); break;
    case WM_NOTIFY:
      if (m.LParam) child = reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom;
      break;
    case WM_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      if (d && d->CtlType != ODT_MENU) child = d->hwndItem;
      break;
    }
    case WM_MEASUREITEM: {
      auto* d = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
      if (d && d->CtlType != ODT_MENU && handle_) child = GetDlgItem(handle_, d->CtlID);
      break;
    }
    case WM_DELETEITEM:
      if (m.LParam) child = reinterpret_cast<DELETEITEMSTRUCT*>(m.LParam)->hwndItem;
      break;
    case WM_COMPAREITEM:
      if (m.LParam) child = reinterpret_cast<COMPAREITEMSTRUCT*>(m.LParam)->hwndItem;
      break;
    default: return false;
  }
  TWinControl* target = FindControl(child);
  if (!target || target == this) return false;
  m.Result = target->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
  return true;
}

void TWinControl::DefaultKey(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  if (m.Msg == CN_KEYDOWN) {
    UINT mask = 0;
    switch (m.WParam) {
      case VK_TAB: mask = DLGC_WANTTAB; break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN: mask = DLGC_WANTARROWS; break;
      case VK_RETURN:
      case VK_EXECUTE:
      case VK_ESCAPE:
      case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
      default: return;
    }
    if ((Perform(WM_GETDLGCODE) & mask) == 0 && form->Perform(CM_DIALOGKEY, m.WParam, m.LParam) != 0)
      m.Result = 1;
  } else if (m.Msg == CN_CHAR) {
    if ((Perform(WM_GETDLGCODE) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) == 0 &&
        form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0)
      m.Result = 1;
  } else if (m.Msg == CN_SYSCHAR) {
    if (form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0) m.Result = 1;
  }
}

void TWinControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS:
      if (TCustomForm* form = GetParentForm(this); form && !form->SetFocusedControl(this)) return;
      break;
    case WM_SETCURSOR:
      if (LOWORD(m.LParam) == HTCLIENT) {
        TCursor c = Screen->Cursor() != crDefault ? Screen->Cursor() : cursor_;
        if (c != crDefault) {
          ::SetCursor(Screen->Cursors(c));
          m.Result = 1;
          return;
        }
      }
      break;
    case WM_WINDOWPOSCHANGED:
      DefaultHandler(m);
      UpdateBoundsFromWindow();
      return;
    case WM_ERASEBKGND:
      if (defWndProc_ == DefWindowProcA) {
        if (!controlStyle_.Contains(csOpaque) && color_ != clNone) {
          RECT r;
          GetClientRect(handle_, &r);
          ::FillRect(reinterpret_cast<HDC>(m.WParam), &r, Brush());
        }
        m.Result = 1;
        return;
      }
      break;
    case WM_NCDESTROY: {
      HWND wnd = handle_;
      DefaultHandler(m);
      if (wnd) RemovePropA(wnd, ControlProp());
      if (handle_ == wnd) handle_ = nullptr;
      return;
    }
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
    case CN_CHAR:
    case CN_SYSCHAR:
      DefaultKey(m);
      return;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(dc, ColorToRGB(font_->Color()));
      SetBkColor(dc, ColorToRGB(color_ == clNone ? clBtnFace : color_));
      m.Result = reinterpret_cast<LRESULT>(Brush());
      return;
    }
    case CM_SHOWINGCHANGED:
      if (handle_) ShowWindow(handle_, showing_ ? SW_SHOWNA : SW_HIDE);
      return;
    case CM_COLORCHANGED:
      ReleaseBrush();
      Invalidate();
      return;
    case CM_FONTCHANGED:
      if (handle_ && defWndProc_ != DefWindowProcA)
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), TRUE);
      Invalidate();
      return;
    case CM_ENABLEDCHANGED:
      if (handle_) EnableWindow(handle_, enabled_);
      return;
    case CM_ENTER: DoEnter(); return;
    case CM_EXIT: DoExit(); return;
    default:
      if (Reflect(m)) return;
      break;
  }
  TControl::WndProc(m);
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (m.Msg >= CM_BASE && m.Msg < 0xC000) {  // toolkit messages mean nothing to the window class
    m.Result = 0;
    return;
  }
  m.Result = handle_ ? CallWindowProcA(defWndProc_, handle_, m.Msg, m.WParam, m.LParam) : 0;
}

// ---- TCustomControl --------------------------------------------------------------

const TMetaClass& TCustomControl::StaticClass() {
  static const TMetaClass cls = DefineClass<TCustomControl>("TCustomControl", &TWinControl::StaticClass());
  return cls;
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(new TCanvas) {}

TCustomControl::~TCustomControl() { delete canvas_; }

void TCustomControl::WndProc(TMessage& m) {
  if (m.Msg != WM_PAINT) {
    TWinControl::WndProc(m);
    return;
  }
  // Paint may re-create this very window: keep what EndPaint needs locally.
  if (!HandleAllocated()) return;
  HWND wnd = Handle();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  canvas_->SetHandle(dc);
  try {
    Paint();
  } catch (...) {
    canvas_->SetHandle(nullptr);
    EndPaint(wnd, &ps);
    throw;
  }
  canvas_->SetHandle(nullptr);
  EndPaint(wnd, &ps);
  m.Result = 0;
}
