#pragma once
// The framework's form bases: TScrBase (placed by the control component's
// suggestions), TScrForm (the saver form: input rules, deferred actions,
// password check, child-window watch) and TScrDialog (modal run, About item,
// activation guarding), plus the built-in About box.
#include <windows.h>

#include <functional>

#include <string>

#include "framework/scrcontrol.h"
#include "toolkit/forms.h"

class TScrBase : public TForm {
  TK_CLASS(TScrBase)
  explicit TScrBase(TComponent* owner);
  ~TScrBase() override;
  void AfterConstruction() override;
  void WndProc(TMessage& m) override;

  TScrMode ScrMode() const { return FScrMode; }

 protected:
  void CreateParams(TCreateParams& params) override;
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  // Applies the control component's suggestions (while it offers them).
  void UseScrControlSuggestions();

  TScrMode FScrMode = smNone;
  DWORD FStyleAnd = 0xFFFFFFFF, FStyleOr = 0;
  DWORD FExStyleAnd = 0xFFFFFFFF, FExStyleOr = 0;
  std::string FTracePrefix;
};

enum TScrAction { saNone, saClose, saActiveConfig };

class TScrForm : public TScrBase {
  TK_CLASS(TScrForm)
  explicit TScrForm(TComponent* owner);
  ~TScrForm() override;
  void WndProc(TMessage& m) override;
  bool CloseQuery() override;

  // Input arriving at a watched child window.
  virtual bool ChildWindowProc(HWND wnd, TMessage& m);
  // Posts the pending action unless a dispatch is still running.
  virtual void DoScrAction();
  // The input rules; false: the message is not passed on.
  virtual bool CommonWndProc(HWND wnd, TMessage& m);
  // Called after every input-related message; nothing here.
  virtual void GenScrAction(TMessage& m) {}
  virtual void ActiveConfig(int x, int y, bool centred);
  virtual bool TestRequirePassword();
  virtual bool VerifyPassword();
  // Closes the saver (after the password check) by ending the application.
  virtual void Close();
  // Whether a watched child's message goes through the input rules.
  virtual bool HandleChildMessageQuery(TWinControl* control, HWND wnd, TMessage& m) { return true; }
  virtual void ScrBeginDialog();
  virtual void ScrEndDialog(bool ok);

  // The child-window watch: a child of the form (or of a watched child) was
  // created or destroyed.
  void ParentNotifyCheck(WPARAM wParam, LPARAM lParam);

  bool InDialog() const { return FInDialog; }
  UINT ScrMsg() const { return FScrMsg; }
  // The millisecond clock of the form's quiet times (the password delay, the
  // moves ignored after a display change); none given: the system's.
  using TClock = std::function<DWORD()>;
  void SetClock(TClock clock) { FClock = clock ? std::move(clock) : TClock(GetTickCount); }

 protected:
  bool FInDialog = false;
  bool FInWndProc = false;
  POINT FStartCursorPos{0, 0};
  DWORD FStartTick = 0;
  DWORD FIgnoreMouseUntil = 0;
  int FMouseMovesToSwallow = 1;
  int FActiveConfigX = 0, FActiveConfigY = 0;
  bool FActiveConfigCentred = false;
  TScrAction FPendingAction = saNone;
  bool FReleased = false;
  UINT FScrMsg = 0;
  TClock FClock = GetTickCount;

 private:
  bool Compact() const;
  bool ActiveConfigAvailable() const;
  // WndProc's rules, one handler a message; false: not passed on.
  bool OwnRule(TMessage& m);
  bool WMActivation(TMessage& m);
  bool WMSysCommand(TMessage& m);
  void WMDisplayChange();
  void ScrMsgArrived(WPARAM action);
  // CommonWndProc's input rules of the full-screen saver.
  void FullRightButtonDown(HWND wnd, const TMessage& m);
  void FullMouseMove();
  void FullKeyDown(const TMessage& m);
  bool HideFullCursor(TMessage& m);
  // Sets the pending action and traces why.
  void PendAction(TScrAction action, const char* trace);
  void PendActiveConfig(POINT p, const char* trace);
};

class TScrDialog : public TScrBase {
  TK_CLASS(TScrDialog)
  explicit TScrDialog(TComponent* owner);
  ~TScrDialog() override;
  void WndProc(TMessage& m) override;

  // The modal run: disables the right owner, saves the values on OK and
  // reloads them on Cancel of an active configuration.
  virtual int ShowModalEx();
  bool InModalRun() const { return FInModalRun; }
  // OK, however it came (a button anywhere on the form, its accelerator,
  // Enter, a result set by code), closes the modal run only when every
  // edit of the dialog accepts it.
  bool CloseQuery() override;

 private:
  HICON FPreviousBigIcon = nullptr;
  HICON FPreviousSmallIcon = nullptr;
  bool FInModalRun = false;
};

// The built-in About box, owned by `parent` (may be null).
void DefaultAboutDialog(HWND parent);
// The nine text lines of the built-in About box.
const char* const* DefaultAboutLines();
// Keeps the application's window off the task bar.
void StopAppWindowFromAppearingOnTaskbar();

// The final check of a dialog's edit fields before OK is accepted; the
// setting controls install it.
using TNotifyEditIsDialogOkayProc = bool (*)(TCustomForm* dialog);
extern TNotifyEditIsDialogOkayProc NotifyEditIsDialogOkayProc;
bool NotifyEditIsDialogOkay(TCustomForm* dialog);
