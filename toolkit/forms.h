#pragma once
// Forms, the application object and its message loop.
//
// Forms and data modules are roots: created through their metaclass in
// three steps (constructor; the resources of the class chain, fixed up and
// Loaded; AfterConstruction), or with CreateNew<T>(owner), which reads no
// resource. Application owns the roots it creates and frees them at exit,
// last created first.
//
// A form resource gives positions, sizes and font heights in the pixels of
// the screen it was designed on, and says which (PixelsPerInch). A Scaled
// form (the default) is scaled from there to the screen's resolution once
// it is loaded: its client size, the position and size of every control on
// it, and every font height given in pixels (point sizes suit any screen
// already). A resource without PixelsPerInch is taken as it stands.
// A Scaled form with a stated resolution also follows the monitor it is on
// (the program is aware of each monitor's resolution): when its window is
// made on, or moved to, a monitor of another resolution (WM_DPICHANGED),
// it scales itself again by the same rules, fonts in points included.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/controls.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// ---- TCustomForm ---------------------------------------------------------------

class TCustomForm : public TWinControl {
  TK_CLASS(TCustomForm)
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  void WndProc(TMessage& message) override;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  RECT ClientRect() const override;
  void SetFormClientWidth(int width);
  void SetFormClientHeight(int height);

  // The resolution the form's metrics are in: while it is read, what its
  // resource states; once loaded, the screen's (a Scaled form) or still the
  // stated one. Setting it on a loaded, Scaled form scales the form to it.
  int PixelsPerInch() const;
  void SetPixelsPerInch(int ppi);
  bool Scaled() const { return scaled_; }
  void SetScaled(bool scaled) { scaled_ = scaled; }
  // Scales the client size and every control on the form (ChangeScale,
  // parents before children) by m / d; the form stays where it is.
  void ScaleBy(int m, int d);

  // Shows the form without waiting, in front of the others.
  void Show();
  // Shows the form and runs the message loop until ModalResult is set (or
  // the application terminates: mrCancel); every other visible window of
  // the thread is disabled meanwhile. Answers the modal result.
  virtual int ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }
  bool Modal() const { return modal_; }

  // On a modal form: ModalResult = mrCancel. Otherwise asks CloseQuery,
  // then OnClose, then hides (or frees) the form; closing the main form
  // terminates the application.
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages now pending are handled (posts CM_RELEASE).
  void Release();

  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  // Focus tracking: CM_EXIT to the control that had the focus, then
  // CM_ENTER to `control`. False when the focus went elsewhere meanwhile.
  bool SetFocusedControl(TWinControl* control);
  // Moves the focus to the next (or previous) tab stop; true if it moved.
  bool SelectNext(TWinControl* current, bool forward);

  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Loaded() override;
  void InitFromResources() override;
  virtual void DoClose(TCloseAction& action);
  virtual void Activate();
  virtual void Deactivate();

 private:
  friend class TWinControl;
  friend class TApplication;
  void ControlRemoved(TControl* control);
  void ScaleControls(int m, int d);
  void FrameStyle(DWORD& style, DWORD& exStyle) const;
  void CloseModal();
  bool BroadcastDialog(TWinControl* container, TMessage& message);
  // CM_DIALOGKEY or CM_DIALOGCHAR to every control until one takes it.
  void Broadcast(TMessage& message);
  void WMActivate(TMessage& message);
  bool WMSysCommand(TMessage& message);
  bool WMDpiChanged(TMessage& message);
  void CMDialogKey(TMessage& message);
  void CMShowingChanged();
  void CMRelease();
  void CollectTabStops(TWinControl* container, std::vector<TWinControl*>& out);

  TFormBorderStyle borderStyle_ = bsSizeable;
  TPosition position_ = poDesigned;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  TWinControl* activeControl_ = nullptr;
  int loadedClientWidth_ = -1, loadedClientHeight_ = -1;
  int pixelsPerInch_ = 0;  // 0: not stated, the screen's
  bool scaled_ = true;
};

class TForm : public TCustomForm {
  TK_CLASS(TForm)
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// ---- TApplication ---------------------------------------------------------------

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
  TK_CLASS(TApplication)
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  // Loads the common controls: with the program's manifest, version 6, the
  // themed ones, whose window classes then serve the standard controls too.
  void Initialize();
  // Creates a root of class `cls` owned by the application. `ref` points to
  // it from the moment it is constructed and is null again when creation
  // fails (the error propagates). The first TForm made here is MainForm.
  void CreateForm(TComponentClass cls, TComponent*& ref);
  template <class T>
  void CreateForm(TComponentClass cls, T*& ref) {
    TComponent* c = nullptr;
    struct Sync {
      TComponent*& c;
      T*& ref;
      ~Sync() { ref = dynamic_cast<T*>(c); }
    } sync{c, ref};
    CreateForm(cls, c);
  }
  template <class T>
  void CreateForm(T*& ref) { CreateForm(&T::StaticClass(), ref); }

  // Shows the main form (unless ShowMainForm is false) and handles
  // messages until Terminated.
  void Run();
  // Handles one message, or waits for the next one when there is none.
  void HandleMessage();
  // Handles every message waiting, then returns.
  void ProcessMessages();
  // Posts the quit message; Terminated turns true when a loop takes it.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Lets a finished program run again (tests run several in one process).
  void ResetTerminated() { terminated_ = false; }

  TCustomForm* MainForm() const { return mainForm_; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool show) { showMainForm_ = show; }
  // The hidden application window: owner of forms and message boxes.
  HWND Handle();
  bool Active() const { return active_; }

  // The module's file name up to its first dot, first letter as it is and
  // the rest in lower case, unless set.
  const std::string& Title();
  void SetTitle(const std::string& title);
  TIcon* Icon();

  // A message box owned by the application window; the other windows of the
  // thread are disabled while it shows.
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);
  void ShowException(const Exception& e);
  // Called inside a catch block: hands the exception being handled to
  // OnException, or shows it. Never throws.
  void HandleException(TObject* sender);

  TExceptionEvent OnException;

  // Frees every root the application owns, last created first, and its
  // window. Runs at program exit.
  void DestroyRoots();

 private:
  friend class TCustomForm;
  bool ProcessMessage(MSG& msg);
  bool IsKeyMsg(MSG& msg);
  void AppWndProc(TMessage& m);
  void Notification(TComponent* component, TOperation operation) override;

  HWND handle_ = nullptr;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool showMainForm_ = true;
  bool active_ = true;
  std::string title_;
  TIcon* icon_ = nullptr;
};

extern TApplication* const Application;

// Disables every other visible, enabled top-level window of this thread and
// answers them, so they can be enabled again.
std::vector<HWND> DisableThreadWindows(HWND except);
void EnableThreadWindows(const std::vector<HWND>& windows);
