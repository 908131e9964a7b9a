#pragma once
// The OpenGL panel's window-level machinery, free of the component toolkit:
// the context built lazily on paint, the failure texts, the display mode
// switched for a full-screen run and always restored, the size and mouse
// confinement for 3dfx drivers, the hook on the form's window, and the
// presentation of child-window frames on hosts that do not show them.
//
// TSglPanel owns one engine and forwards its properties and window messages
// to it; the engine reaches back through SglPanelHost for what only the
// control knows (its window, size, alignment, form and events).
#include <windows.h>

#include <memory>
#include <string>

#include "gl/present.h"
#include "toolkit/graphics.h"

// What the engine asks of the control it serves. Events are fired through
// these calls; the engine catches anything they throw.
class SglPanelHost {
 public:
  virtual ~SglPanelHost() = default;
  // The panel's window if it exists (never creates one).
  virtual HWND GLWindow() = 0;
  // Destroys and re-creates the panel's window, keeping its visibility.
  virtual void RecreateGLWindow() = 0;
  // The window of the form the panel sits on, or null.
  virtual HWND FormWindow() = 0;
  // Gives the form these bounds (screen coordinates).
  virtual void SetFormBounds(const RECT& bounds) = 0;
  virtual int PanelWidth() = 0;
  virtual int PanelHeight() = 0;
  // Saves the size and alignment, drops the alignment and applies the size.
  virtual void ApplySizeFor3dfx(int width, int height) = 0;
  // Puts back what ApplySizeFor3dfx saved.
  virtual void RestoreSizeFor3dfx() = 0;
  // Whether `msg` is the toolkit's message that releases a form.
  virtual bool IsReleaseMessage(UINT /*msg*/) { return false; }

  virtual void DoGLPixelFormat(HDC /*dc*/, int& /*num*/, int /*bpp*/, int /*depth*/,
                               int /*dbl*/, int /*acc*/) {}
  virtual void DoGLInit() {}
  virtual void DoGLPaint() {}
  virtual void DoGLError(const std::string& /*text*/) {}
  virtual void DoResize() {}
};

// The display mode requested for a full-screen run; -1 keeps that dimension.
struct SglScreenDimensions {
  int width = -1, height = -1, bpp = -1;
  bool Normal() const { return width == -1 && height == -1 && bpp == -1; }
  bool operator==(const SglScreenDimensions& o) const {
    return width == o.width && height == o.height && bpp == o.bpp;
  }
  bool operator!=(const SglScreenDimensions& o) const { return !(*this == o); }
};

// The size a 3dfx card shows for a requested screen height.
SIZE Sgl3dfxSize(int screenHeight);

// Switches the display mode and puts the registry's mode back; restores on
// destruction whatever happens.
class SglDisplayMode {
 public:
  SglDisplayMode() = default;
  ~SglDisplayMode() { Reset(); }
  SglDisplayMode(const SglDisplayMode&) = delete;
  SglDisplayMode& operator=(const SglDisplayMode&) = delete;

  // Applies the requested fields full-screen. False, with nothing changed,
  // when the system rejects the mode in a test.
  bool Change(const SglScreenDimensions& mode);
  // Restores the registry's mode if this object changed it.
  void Reset();
  bool Changed() const { return changed_; }
  // What was applied; all -1 when not changed.
  const SglScreenDimensions& Current() const { return current_; }

 private:
  bool changed_ = false;
  SglScreenDimensions current_;
};

// Confines the cursor to a panel shrunk for a 3dfx card (and scales the
// mouse acceleration), and lets it go again.
class SglMouseConfinement {
 public:
  SglMouseConfinement() = default;
  ~SglMouseConfinement() { Release(); }
  SglMouseConfinement(const SglMouseConfinement&) = delete;
  SglMouseConfinement& operator=(const SglMouseConfinement&) = delete;

  // `origin` is the panel's client origin on screen, (w, h) the panel's
  // size before it was shrunk. Does nothing when already confined or when
  // the size is empty.
  void Confine(POINT origin, int w, int h);
  void Release();
  bool Confined() const { return confined_; }

 private:
  bool confined_ = false;
  POINT origin_{};
  int w_ = 0, h_ = 0;
  RECT savedClip_{};
  int savedAcceleration_ = 0;
};

// The names of the window properties of the form's hooked window.
extern const char* const kSglSubclassProp;    // "ScrGLSubclass"
extern const char* const kSglOldWndProcProp;  // "ScrGLOldWndProc"

class SglPanelEngine {
 public:
  explicit SglPanelEngine(SglPanelHost& host);
  ~SglPanelEngine();
  SglPanelEngine(const SglPanelEngine&) = delete;
  SglPanelEngine& operator=(const SglPanelEngine&) = delete;

  // Properties. Setting one to a new value discards the context.
  const std::string& Driver() const { return driver_; }
  void SetDriver(const std::string& driver);
  int Depth() const { return depth_; }
  void SetDepth(int v) { SetPreference(depth_, v); }
  int DblBuff() const { return dbl_; }
  void SetDblBuff(int v) { SetPreference(dbl_, v); }
  int Acc() const { return acc_; }
  void SetAcc(int v) { SetPreference(acc_, v); }
  const SglScreenDimensions& Screen() const { return screen_; }
  void SetScreenWidth(int v) { SetScreenDimensions(v, screen_.height, screen_.bpp); }
  void SetScreenHeight(int v) { SetScreenDimensions(screen_.width, v, screen_.bpp); }
  void SetScreenBpp(int v) { SetScreenDimensions(screen_.width, screen_.height, v); }
  // All three at once; the context goes only if one of them changes.
  void SetScreenDimensions(int width, int height, int bpp);
  TColor Color() const { return color_; }
  // Stores the colour and, with a context, makes it the clear colour.
  // Answers whether it changed.
  bool SetColor(TColor color);

  bool IsOn() const { return context_ != nullptr; }
  bool Failed() const { return failed_; }
  bool ModeChanged() const { return mode_.Changed(); }
  bool HookedWindow() const { return hooked_ != nullptr; }
  bool MouseConfined() const { return mouse_.Confined(); }
  bool Presenting() const { return presenter_ != nullptr; }

  // Builds the context unless one exists or the last attempt failed.
  void GLHandleNeeded();
  // Discards the context and leaves the mode; the next paint tries again.
  void InvalidateGLHandle();
  BOOL SwapBuffers();
  // Traces the text as an error and fires the error event.
  void GLError(const std::string& text);

  // The panel's window messages, before the toolkit sees them. True when the
  // message is swallowed (the toolkit must not see it).
  bool WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // Restores the display mode if it was changed.
  void ResetScreenMode();

 private:
  friend LRESULT CALLBACK SglHookWndProc(HWND, UINT, WPARAM, LPARAM);
  void SetPreference(int& field, int value);
  // BuildContext's steps (null, false: not made).
  void BuildContext();
  HWND WindowWithDC();
  void FitDisplayToDriver();
  void ChoosePresenter(HWND window);
  bool CreateContext(HDC dc);
  void ClearToColor();
  void ChangeScreenMode();
  void EnterMode();
  void ExitMode();
  void ClipMouse();
  void CheckIfMoved();
  void SetViewport();
  void WindowDestroyed();
  void Paint();
  void HookMessage(UINT msg, WPARAM wParam);
  POINT ClientOrigin();
  // The DC the context draws through: the hidden window's while presenting.
  HDC ContextDC() const { return presenter_ ? presenter_->DC() : dc_; }
  // Takes a share of the layer's driver (loading it if needed) / lets it go.
  void AcquireDriver();
  void ReleaseDriver();
  bool HoldsDriver() const;
  template <class F>
  void Fire(const char* what, F&& event);

  SglPanelHost& host_;
  std::string driver_ = "opengl32.dll";
  int depth_ = 16, dbl_ = 1, acc_ = 1;
  SglScreenDimensions screen_;
  TColor color_ = clNone;

  HMODULE driverHandle_ = nullptr;  // the layer's driver, while this panel holds a share of it
  unsigned driverGeneration_ = 0;
  HWND dcWindow_ = nullptr;
  HDC dc_ = nullptr;
  HGLRC context_ = nullptr;
  bool failed_ = false;
  bool recreateWindow_ = false;
  SglDisplayMode mode_;
  bool resized3dfx_ = false;
  int savedWidth_ = 0, savedHeight_ = 0;
  SglMouseConfinement mouse_;
  POINT savedOrigin_{};
  HWND hooked_ = nullptr;
  std::unique_ptr<SglOffscreenPresenter> presenter_;
};

// The procedure the engine puts on the form's window.
LRESULT CALLBACK SglHookWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
