#pragma once
// What the control tests share: the roots streamed from their resources,
// real input, and a message pump that goes through the application (so
// that dialog keys reach the controls as they do in the program).
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "controls/scrcontrols.h"
#include "framework/scrcontrol.h"
#include "framework/scrforms.h"
#include "toolkit/datamodule.h"
#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/forms.h"
#include "toolkit/menus.h"
#include "tests/support/program_run.h"
#include "tests/support/pump.h"

namespace controls_testing {

// The tests' pump; here every message goes through the application.
using testing_support::PumpMessages;
using testing_support::PumpUntil;

// Real input (absolute positions, keys to the focused window).
using testing_support::ClickAt;
using testing_support::MoveTo;
void DragFrom(POINT from, POINT to);
void Press(WORD vk);
void PressWith(WORD modifier, WORD vk);
// Types `text` key by key, as the keyboard layout has its characters.
void TypeText(const std::string& text);
// Turns the mouse wheel by `notches` (positive: away from the user).
void Wheel(int notches);
// The centre of a control's window, on the screen.
POINT CentreOf(TWinControl* control);
// Brings the form to the front, ready for keys.
void Activate(TCustomForm* form);
// The window that has the focus in the UI thread `thread`, once that thread
// has finished the message it was handling: a focus that leaves a control
// and is taken back within one message is never seen half-way.
HWND FocusOf(DWORD thread);
// A window's text, read from another thread without waiting on a UI thread
// that has left its modal loop.
std::string TextOf(HWND window);

// Runs `script` on a second thread while this (the UI) thread is busy in a
// modal loop (a menu, a dialog) begun in the object's scope. A loop still
// running 3 s after the script is done (the script gave up, or what it
// waited for came late) has its menu or dialog cancelled with Esc until it
// returns; one that never does ends the program, saying so.
class InputScript {
 public:
  explicit InputScript(std::function<void()> script);
  ~InputScript();
  InputScript(const InputScript&) = delete;
  InputScript& operator=(const InputScript&) = delete;

 private:
  std::atomic<bool> back_{false};
  std::thread thread_;
};
// For scripts: waits (without pumping) until `done` holds, at most `ms`.
bool WaitFor(const std::function<bool()>& done, DWORD ms = 10000);
// The shown popup menu's window, or null.
HWND ShownMenu();
// For scripts: waits until `thread` is tracking a shown menu (its keys and
// clicks go to the menu from then on); false after `ms`.
bool MenuTracked(DWORD thread, DWORD ms);

// The settings every bound control of these tests shows, with the control
// component a dialog base expects. Creating it takes the component's start
// message off the queue.
class TControlsSettings : public TDataModule {
  TK_CLASS(TControlsSettings)
  explicit TControlsSettings(TComponent* owner) : TDataModule(owner) {}
  static TControlsSettings* Create();
  void Destroy();
  TScrVInteger* Rings = nullptr;
  TScrVDouble* Density = nullptr;
  TScrVIndex* Speed = nullptr;
  TScrVColor* Tint = nullptr;
  TScrVScreenMode* Mode = nullptr;
  TScrVInteger* Delay = nullptr;
  TScrVIndex* Sensitivity = nullptr;
  TScrVBoolean* Flag = nullptr;
  TScrVString* Title = nullptr;
};

// Every standard control, read from its resource.
class TAllControlsForm : public TForm {
  TK_CLASS(TAllControlsForm)
  explicit TAllControlsForm(TComponent* owner) : TForm(owner) {}
  TPageControl* Pages = nullptr;
  TTabSheet* First = nullptr;
  TTabSheet* Second = nullptr;
  TEdit* Edit1 = nullptr;
  TUpDown* UpDown1 = nullptr;
  TListBox* List1 = nullptr;
  TComboBox* Combo1 = nullptr;
  TCheckBox* Check1 = nullptr;
  TGroupBox* Group1 = nullptr;
  TRadioButton* Radio1 = nullptr;
  TRadioButton* Radio2 = nullptr;
  TRadioButton* Radio3 = nullptr;
  TTrackBar* Track1 = nullptr;
  TPanel* Panel1 = nullptr;
  TImage* Image1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Link1 = nullptr;
  TButton* OkButton = nullptr;
  TButton* CancelButton = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  TMenuItem* Item1 = nullptr;
  TMenuItem* Item2 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  std::vector<std::string> events;
  void PagesChange(TObject*) { events.push_back("page " + Pages->ActivePage()->Name()); }
  void ListClick(TObject*) { events.push_back("list " + std::to_string(List1->ItemIndex())); }
  void CheckClick(TObject*) { events.push_back(std::string("check ") + (Check1->Checked() ? "on" : "off")); }
  void LinkClick(TObject* sender) { events.push_back("link " + static_cast<TLabel*>(sender)->Caption()); }
  void ItemClick(TObject* sender) { events.push_back("item " + static_cast<TComponent*>(sender)->Name()); }
  void SpinClick(TObject*) { events.push_back("spin " + std::to_string(UpDown1->Position())); }
};

// Two track bars and a watcher on one setting; further track bars on the
// other kinds of setting.
class TSlidersForm : public TForm {
  TK_CLASS(TSlidersForm)
  explicit TSlidersForm(TComponent* owner) : TForm(owner) {}
  TScrTrackBar* RingsBar = nullptr;
  TScrTrackBar* RingsBar2 = nullptr;
  TScrTrackBar* DensityBar = nullptr;
  TScrTrackBar* SpeedBar = nullptr;
  TScrTrackBar* GreenBar = nullptr;
  TScrTrackBar* ModeBar = nullptr;
  TScrTrackBarIntegerController* Shared = nullptr;
  TScrValueController* Watcher = nullptr;
  std::vector<int> seen;
  void WatcherChange(TObject*) { seen.push_back(Watcher->Value() ? static_cast<TScrVInteger*>(Watcher->Value())->GetValue() : -1); }
};

// A dialog with one edit that takes digits only.
class TEditDialog : public TScrDialog {
  TK_CLASS(TEditDialog)
  explicit TEditDialog(TComponent* owner) : TScrDialog(owner) {}
  TNotifyEdit* Edit1 = nullptr;
  TButton* OkButton = nullptr;
  TButton* CancelButton = nullptr;
  std::vector<std::string> changes;
  void DigitsOnly(TObject*, std::string& text, bool& valid) {
    valid = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  }
  void EditChange(TObject*) { changes.push_back(Edit1->Text()); }
};

// Edits (with spin buttons and the delay's units), combo boxes and a list
// box bound to the settings.
class TEditorsForm : public TForm {
  TK_CLASS(TEditorsForm)
  explicit TEditorsForm(TComponent* owner) : TForm(owner) {}
  TScrEdit* DelayEdit = nullptr;
  TScrUpDown* DelayUpDown = nullptr;
  TScrComboBox* DelayUnits = nullptr;
  TScrEdit* RingsEdit = nullptr;
  TScrTrackBar* RingsBar = nullptr;
  TScrEdit* DensityEdit = nullptr;
  TScrEdit* TitleEdit = nullptr;
  TScrEdit* BlueEdit = nullptr;
  TScrUpDown* BlueUpDown = nullptr;
  TScrComboBox* TintCombo = nullptr;
  TScrComboBox* SensitivityCombo = nullptr;
  TScrComboBox* ModeCombo = nullptr;
  TScrListBox* FlagList = nullptr;
};

void RegisterTestClasses();

}  // namespace controls_testing
