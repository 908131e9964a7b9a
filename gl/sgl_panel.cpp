#include "gl/sgl_panel.h"

#include "gl/sgl_trace.h"
#include "toolkit/forms.h"

const TMetaClass& TSglPanel::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TSglPanel>("TSglPanel", &TCustomControl::StaticClass(), [](TClassBuilder<TSglPanel>& b) {
        b.String("glDriver", &TSglPanel::glDriver, &TSglPanel::SetglDriver);
        b.Integer("glBpp", &TSglPanel::glBpp, &TSglPanel::SetglBpp);
        b.Integer("glDepth", &TSglPanel::glDepth, &TSglPanel::SetglDepth);
        b.Integer("glDblBuff", &TSglPanel::glDblBuff, &TSglPanel::SetglDblBuff);
        b.Integer("glAcc", &TSglPanel::glAcc, &TSglPanel::SetglAcc);
        b.Integer("ScreenWidth", &TSglPanel::ScreenWidth, &TSglPanel::SetScreenWidth);
        b.Integer("ScreenHeight", &TSglPanel::ScreenHeight, &TSglPanel::SetScreenHeight);
        b.Integer("ScreenBpp", &TSglPanel::ScreenBpp, &TSglPanel::SetScreenBpp);
        b.template Event<TSglPixelFormatEvent>("OnGLPixelFormat", &TSglPanel::OnGLPixelFormat);
        b.template Event<TNotifyEvent>("OnGLInit", &TSglPanel::OnGLInit);
        b.template Event<TNotifyEvent>("OnGLPaint", &TSglPanel::OnGLPaint);
        b.template Event<TNotifyEvent>("OnGLDestroy", &TSglPanel::OnGLDestroy);
        b.template Event<TSglErrorEvent>("OnGLError", &TSglPanel::OnGLError);
        b.template Event<TNotifyEvent>("OnResize", &TSglPanel::OnResize);
        b.template Event<TMouseMoveEvent>("OnMouseMove", &TSglPanel::OnMouseMove);
        b.template Event<TMouseEvent>("OnMouseDown", &TSglPanel::OnMouseDown);
        b.template Event<TMouseEvent>("OnMouseUp", &TSglPanel::OnMouseUp);
      });
  return cls;
}

TSglPanel::TSglPanel(TComponent* owner) : TCustomControl(owner) {
  SglRestartTraceClock();
  SglTrace("Starting constructor");
  SglPanelHost& host = *this;
  engine_ = std::make_unique<SglPanelEngine>(host);
  controlStyle_.Include(csOpaque);
  width_ = 100;
  height_ = 100;
  color_ = clNone;
  SglTrace("Done constructor");
}

TSglPanel::~TSglPanel() {
  // The window goes while this class still answers its messages: that
  // discards the context, releases the DC and restores the display mode.
  if (HandleAllocated()) DestroyHandle();
  engine_.reset();  // unloads the driver if this panel loaded it
  SglTrace("~TSglPanel. Finished destructor.");
}

void TSglPanel::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  // One device context for the window's whole life.
  params.WindowClass.style |= CS_OWNDC;
  params.WinClassName += "Owndc";
}

void TSglPanel::WndProc(TMessage& message) {
  if (ComponentState().Contains(csDesigning)) {
    TCustomControl::WndProc(message);
    return;
  }
  if (message.Msg == CM_COLORCHANGED) {
    // Whichever way Color was set, the engine takes the new clear colour and
    // the window is painted with it at once.
    const bool changed = engine_->SetColor(color_);
    TCustomControl::WndProc(message);
    if (changed && HandleAllocated()) {
      InvalidateRect(Handle(), nullptr, TRUE);
      UpdateWindow(Handle());
    }
    return;
  }
  if (engine_->WindowMessage(message.Msg, message.WParam, message.LParam)) {
    message.Result = message.Msg == WM_ERASEBKGND ? 1 : 0;
    return;
  }
  TCustomControl::WndProc(message);
}

// ---- What the engine asks of the control ---------------------------------------

HWND TSglPanel::GLWindow() { return HandleAllocated() ? Handle() : nullptr; }

void TSglPanel::RecreateGLWindow() {
  RecreateWnd();
  // A panel that is not showing gets its window back too, hidden.
  HandleNeeded();
}

HWND TSglPanel::FormWindow() {
  TCustomForm* form = GetParentForm(this);
  return form && form->HandleAllocated() ? form->Handle() : nullptr;
}

void TSglPanel::SetFormBounds(const RECT& r) {
  if (TCustomForm* form = GetParentForm(this)) form->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TSglPanel::ApplySizeFor3dfx(int width, int height) {
  savedWidth_ = Width();
  savedHeight_ = Height();
  savedAlign_ = Align();
  SetAlign(alNone);
  SetBounds(Left(), Top(), width, height);
}

void TSglPanel::RestoreSizeFor3dfx() {
  SetBounds(Left(), Top(), savedWidth_, savedHeight_);
  SetAlign(savedAlign_);
}

void TSglPanel::DoGLPixelFormat(HDC dc, int& num, int bpp, int depth, int dbl, int acc) {
  if (OnGLPixelFormat) OnGLPixelFormat(this, dc, num, bpp, depth, dbl, acc);
}

void TSglPanel::DoGLInit() {
  if (OnGLInit) OnGLInit(this);
}

void TSglPanel::DoGLPaint() {
  if (OnGLPaint) OnGLPaint(this);
}

void TSglPanel::DoGLError(const std::string& text) {
  if (OnGLError) OnGLError(this, text);
}

void TSglPanel::DoResize() {
  if (OnResize) OnResize(this);
}
