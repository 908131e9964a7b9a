#pragma once
// TSglPanel: the windowed control that draws with OpenGL. A form resource
// places it like any control:
//
//   object SglPanel: TSglPanel
//     Align = alClient
//     OnGLInit = SglPanelGLInit
//     OnGLPaint = SglPanelGLPaint
//   end
//
// The context is built on the first paint after anything that affects it
// changed; OnGLInit then runs with it current, and every paint clears to
// Color (unless clNone) and calls OnGLPaint, which presents the frame with
// SwapBuffers. Failures reach OnGLError as text, never as a message box.
//
// The control is a thin shell: SglPanelEngine does the work, and this class
// answers the engine's questions (window, size, form, events) as a toolkit
// control.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "gl/panel_engine.h"
#include "toolkit/controls.h"

// (Sender, hdc, num, bpp, depth, dbl, acc): may replace the chosen format `num`.
using TSglPixelFormatEvent =
    std::function<void(TObject* Sender, HDC dc, int& num, int bpp, int depth, int dbl, int acc)>;
// (Sender, err): one failure text per failed context attempt.
using TSglErrorEvent = std::function<void(TObject* Sender, const std::string& err)>;

class TSglPanel : public TCustomControl, private SglPanelHost {
  TK_CLASS(TSglPanel)
  explicit TSglPanel(TComponent* owner);
  ~TSglPanel() override;

  void WndProc(TMessage& message) override;

  // The driver library's file name or path. A new value with the same file
  // name (case ignored) changes nothing; another discards the context.
  const std::string& glDriver() const { return engine_->Driver(); }
  void SetglDriver(const std::string& driver) { engine_->SetDriver(driver); }
  // Reads -1 always; writing it sets ScreenBpp (one colour depth for the
  // pixel format and the display mode).
  int glBpp() const { return -1; }
  void SetglBpp(int bpp) { SetScreenBpp(bpp); }
  int glDepth() const { return engine_->Depth(); }
  void SetglDepth(int depth) { engine_->SetDepth(depth); }
  int glDblBuff() const { return engine_->DblBuff(); }
  void SetglDblBuff(int dbl) { engine_->SetDblBuff(dbl); }
  int glAcc() const { return engine_->Acc(); }
  void SetglAcc(int acc) { engine_->SetAcc(acc); }

  // The display mode while the context exists; -1 keeps that dimension, all
  // three -1 means no mode change.
  int ScreenWidth() const { return engine_->Screen().width; }
  int ScreenHeight() const { return engine_->Screen().height; }
  int ScreenBpp() const { return engine_->Screen().bpp; }
  void SetScreenWidth(int width) { engine_->SetScreenWidth(width); }
  void SetScreenHeight(int height) { engine_->SetScreenHeight(height); }
  void SetScreenBpp(int bpp) { engine_->SetScreenBpp(bpp); }
  // All three at once; the context goes only if one of them changes.
  void SetScreenDimensions(int width, int height, int bpp) { engine_->SetScreenDimensions(width, height, bpp); }

  // Color (the toolkit's property) is the clear colour; clNone clears nothing.

  bool IsOn() const { return engine_->IsOn(); }
  void GLHandleNeeded() { engine_->GLHandleNeeded(); }
  void InvalidateGLHandle() { engine_->InvalidateGLHandle(); }
  BOOL SwapBuffers() { return engine_->SwapBuffers(); }
  // Traces the text as an error, then fires OnGLError.
  void GLError(const std::string& text) { engine_->GLError(text); }

  // The engine's state, for diagnostics.
  const SglPanelEngine& Engine() const { return *engine_; }

  TSglPixelFormatEvent OnGLPixelFormat;
  TNotifyEvent OnGLInit;
  TNotifyEvent OnGLPaint;
  // Published for resources that name it; never fired.
  TNotifyEvent OnGLDestroy;
  TSglErrorEvent OnGLError;
  // OnResize (the toolkit's) fires when the viewport was reset to the size.

 protected:
  void CreateParams(TCreateParams& params) override;
  // The toolkit's size changes do not fire OnResize: the engine does, once
  // the viewport follows.
  void Resize() override {}

 private:
  // SglPanelHost
  HWND GLWindow() override;
  void RecreateGLWindow() override;
  HWND FormWindow() override;
  void SetFormBounds(const RECT& bounds) override;
  int PanelWidth() override { return Width(); }
  int PanelHeight() override { return Height(); }
  void ApplySizeFor3dfx(int width, int height) override;
  void RestoreSizeFor3dfx() override;
  bool IsReleaseMessage(UINT msg) override { return msg == CM_RELEASE; }
  void DoGLPixelFormat(HDC dc, int& num, int bpp, int depth, int dbl, int acc) override;
  void DoGLInit() override;
  void DoGLPaint() override;
  void DoGLError(const std::string& text) override;
  void DoResize() override;

  std::unique_ptr<SglPanelEngine> engine_;
  int savedWidth_ = 0, savedHeight_ = 0;
  TAlign savedAlign_ = alNone;
};
