#pragma once
// Preview hosting: a saver's live miniature inside a window it does not own
// (the display control panel's monitor picture, or its own options dialog).
//
// Between the host window and the preview form sits a proxy: a child window
// of the host that exists to learn when the host goes, so that the preview
// form goes with it (and, for the control panel's preview, the program ends).
// A saver without a preview form gets the default preview, the application's
// icon on the desktop colour. TScrPreview is the control that shows a live
// preview inside a dialog.
#include <windows.h>

#include "toolkit/controls.h"
#include "toolkit/forms.h"

class TPreviewProxy : public TComponent {
  TK_CLASS(TPreviewProxy)
  // Registers the proxy window class (once per process).
  explicit TPreviewProxy(TComponent* owner);
  ~TPreviewProxy() override;

  // Makes the proxy window inside `host`; does nothing when the host is null
  // or not a live window. A second call is an error that ends the program.
  void CreateWindowIn(HWND host);
  // The form to take down with the proxy window. A second call is an error
  // that ends the program.
  void SetForm(TForm* form);

  HWND Window() const { return window_; }
  // The proxy window has gone without its WM_DESTROY: as if the host went.
  void WindowLost();
  TForm* Form() const { return form_; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend LRESULT CALLBACK PreviewProxyWndProc(HWND, UINT, WPARAM, LPARAM);
  // The host is destroying its children: the form goes, then the proxy.
  void HostDestroyed();

  HWND window_ = nullptr;
  bool windowMade_ = false;
  TForm* form_ = nullptr;
  bool formSet_ = false;
  bool destroying_ = false;
};

// The default preview inside `host`: the application icon centred on the
// desktop colour. With `mainPreview`, destroying it ends the program. Null
// when it cannot be made.
HWND DefaultPreviewWindow(HWND host, bool mainPreview);

// The live preview of the saver inside a dialog (153 x 113 unless placed
// otherwise). With AutoPreview it shows one as soon as it has its window:
// the saver itself, or only its icon when a saver is already running (the
// dialog was opened over it).
class TScrPreview : public TCustomControl {
  TK_CLASS(TScrPreview)
  explicit TScrPreview(TComponent* owner);
  ~TScrPreview() override;
  void BeforeDestruction() override;

  bool AutoPreview() const { return autoPreview_; }
  void SetAutoPreview(bool on) { autoPreview_ = on; }
  bool GetPreviewPresent() const { return previewPresent_; }
  // Off closes the preview, on makes a new one.
  void SetPreviewPresent(bool present);
  void CreatePreview();
  void RemovePreview();

 protected:
  void CreateHandle() override;
  void Paint() override;
  void Resize() override;

 private:
  bool autoPreview_ = true;
  bool previewPresent_ = false;
};

// Registers TScrPreview with the class registry (runs by itself at start-up).
void ScrRegisterPreviewClasses();
