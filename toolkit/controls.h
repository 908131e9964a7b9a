#pragma once
// Controls: TControl (position, visibility, colour, cursor, message entry),
// TWinControl (a control with its own window) and TCustomControl (a windowed
// control that paints itself on a Canvas).
//
// Every message a control receives, whether Windows delivers it or Perform
// sends it, goes through the virtual WndProc. What a class does not handle
// goes on to DefaultHandler, which calls the window class's own procedure.
// One static window procedure serves every toolkit window: it binds the
// object on the window's first message and finds it afterwards through a
// window property, so windows subclassed by someone else keep working.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/classes.h"
#include "toolkit/graphics.h"
#include "toolkit/messages.h"

class TWinControl;
class TCustomForm;
class TPopupMenu;

// The module of this program: window classes and resources live here.
extern HINSTANCE const HInstance;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TControlStyleItem { csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                         csDoubleClicks, csFixedWidth, csFixedHeight, csNoStdEvents };
using TControlStyle = TSet<TControlStyleItem>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// ---- TControl ---------------------------------------------------------------

class TControl : public TComponent {
  TK_CLASS(TControl)
  explicit TControl(TComponent* owner);
  ~TControl() override;
  void BeforeDestruction() override;

  // The virtual message entry and what follows it.
  virtual void WndProc(TMessage& message);
  virtual void DefaultHandler(TMessage& message);
  // Delivers a message straight to WndProc and answers its result.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  // Position in the parent's client area (or on screen for top-level
  // windows); valid before any window exists.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  virtual RECT ClientRect() const;
  int ClientWidth() const;
  int ClientHeight() const;
  void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
  void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
  virtual void SetClientSize(int width, int height);
  POINT ClientOrigin() const;
  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  void SetParentComponent(TComponent* parent) override;

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);

  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFont* Font() const { return font_; }
  const std::string& Caption() const { return text_; }
  void SetCaption(const std::string& text) { SetText(text); }
  const std::string& Text() const { return text_; }
  virtual void SetText(const std::string& text);

  // Shown on a right click (or the context-menu key) when it has AutoPopup.
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);

  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle style) { controlStyle_ = style; }

  virtual void Invalidate() {}
  virtual void Update() {}
  virtual void Repaint();

  // Scales position, size and a font given in pixels by m / d, for a form
  // moving from d pixels per inch to m (the form calls it on every control
  // it holds, parents before their children). A control with more metrics
  // in pixels scales them too and calls this one.
  virtual void ChangeScale(int m, int d);

  virtual void Click();
  virtual void DblClick();
  // Sends CM_CHANGED to this control's parent.
  void Changed();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

 protected:
  virtual void Resize();
  virtual void VisibleChanging() {}
  void Notification(TComponent* component, TOperation operation) override;

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TAlign align_ = alNone;
  TCursor cursor_ = crDefault;
  TColor color_ = clBtnFace;
  TFont* font_;
  std::string text_;
  TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TPopupMenu* popupMenu_ = nullptr;

 private:
  friend class TWinControl;
  void FontChanged(TObject*);
};

// ---- TWinControl ----------------------------------------------------------------

// What a windowed control asks CreateWindowEx for.
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  WNDCLASSA WindowClass{};
  std::string WinClassName;
};

class TWinControl : public TControl {
  TK_CLASS(TWinControl)
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  void BeforeDestruction() override;

  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  // The window, created on demand. Raises EInvalidOperation when it cannot
  // be made (no parent window, or the parent window has gone).
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys the window and makes it again at once if the control is
  // showing. Safe inside the control's own message handlers.
  void RecreateWnd();

  // A window outside the toolkit to be the parent of this one.
  HWND ParentWindow() const { return parentWindow_; }
  void SetParentWindow(HWND parent);

  // True when this control and all its parents are visible.
  bool Showing() const { return showing_; }

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int i) const;
  virtual void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // Lays out the children that are aligned.
  void Realign();

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v) { tabStop_ = v; }
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int v) { tabOrder_ = v; }
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();

  void SetBounds(int left, int top, int width, int height) override;
  RECT ClientRect() const override;
  void SetText(const std::string& text) override;
  void SetEnabled(bool enabled) override;
  void Invalidate() override;
  void Update() override;

  // The brush of Color, for backgrounds and reflected colour requests.
  HBRUSH Brush();

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  virtual void CreateParams(TCreateParams& params);
  // Makes the window class a copy of a standard class (BUTTON, EDIT ...):
  // the object sees every message, and unhandled ones go to the class's own
  // procedure.
  void CreateSubClass(TCreateParams& params, const char* controlClassName);
  virtual void CreateWnd();
  // For the setters of what the window's style is made from: a new value
  // is kept and the window made again.
  template <class T>
  void SetAndRecreate(T& field, const T& value) {
    if (field == value) return;
    field = value;
    RecreateWnd();
  }
  virtual void CreateHandle();
  virtual void DestroyWnd();
  void DestroyHandle();
  virtual void DoEnter();
  virtual void DoExit();
  // Called when Showing changes; creates the window on the first show.
  void UpdateShowing();
  void UpdateControlState();

 private:
  friend class TControl;
  friend class TCustomForm;
  friend LRESULT CALLBACK ToolkitWndProc(HWND, UINT, WPARAM, LPARAM);
  bool Reflect(TMessage& message);
  void DefaultKey(TMessage& message);
  void ReleaseBrush();
  bool IsTopLevel() const;
  bool ParentShowing() const;
  void UpdateBoundsFromWindow();
  void SetDestroyingState();

  HWND handle_ = nullptr;
  WNDPROC defWndProc_ = nullptr;
  HWND parentWindow_ = nullptr;
  std::vector<TControl*> controls_;
  bool showing_ = false;
  bool tabStop_ = false;
  int tabOrder_ = -1;
  HBRUSH brush_ = nullptr;
  TColor brushColor_ = clNone;
  bool destroying_ = false;
  bool aligning_ = false;
};

// ---- TCustomControl -------------------------------------------------------------

class TCustomControl : public TWinControl {
  TK_CLASS(TCustomControl)
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  // Bound to the paint DC while Paint runs.
  TCanvas* Canvas() const { return canvas_; }
  void WndProc(TMessage& message) override;

 protected:
  virtual void Paint() {}

 private:
  TCanvas* canvas_;
};

// ---- Free functions ----------------------------------------------------------------

// The toolkit control whose window this is (whatever its window procedure
// is now), or null.
TWinControl* FindControl(HWND window);
// The form a control sits on, or null.
TCustomForm* GetParentForm(TControl* control);
// True when `caption` marks `ch` as its accelerator ("&Open" and 'o').
bool IsAccel(WPARAM ch, const std::string& caption);

// A hidden utility window whose messages all go to `method`, which answers
// the ones it does not handle with DefWindowProc itself.
using TWndMethod = std::function<void(TMessage&)>;
HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND window);
