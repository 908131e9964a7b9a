#pragma once
// Notify controls: standard controls that report the user's changes
// through overridable hooks, so that the viewer controls can hand them to
// their controllers. They know nothing of setting values.
//
// TNotifyEdit judges its text on every keystroke, shows an invalid text in
// ColorInvalid, can keep the focus (or the last valid text) while invalid,
// and lets a dialog refuse OK while it is invalid (NotifyEditIsDialogOkay).
#include <functional>
#include <string>

#include "toolkit/comctrls.h"
#include "toolkit/stdctrls.h"

enum TNotifyEditInvalidityAllowed { iaNever, iaInsideOnly, iaInsideMainly, iaAlways };
enum TNotifyEditNotifyImmediacy { niImmediate, niOnKillFocus };

// Judges (and may correct) a text; Valid arrives true.
using TValidateOrChangeEvent = std::function<void(TObject* Sender, std::string& Text, bool& Valid)>;

class TNotifyEdit : public TCustomEdit {
  TK_CLASS(TNotifyEdit)
  explicit TNotifyEdit(TComponent* owner);
  void WndProc(TMessage& message) override;

  TNotifyEditInvalidityAllowed InvalidityAllowed() const { return invalidityAllowed_; }
  virtual void SetInvalidityAllowed(TNotifyEditInvalidityAllowed mode) { invalidityAllowed_ = mode; }
  TNotifyEditNotifyImmediacy NotifyImmediacy() const { return notifyImmediacy_; }
  // A pending change is delivered at once when the new mode is immediate
  // or the edit does not have the focus.
  virtual void SetNotifyImmediacy(TNotifyEditNotifyImmediacy mode);
  // Background while valid (this replaces the control's own colour) and
  // while invalid.
  TColor Color() const { return colorValid_; }
  virtual void SetColor(TColor color);
  TColor ColorInvalid() const { return colorInvalid_; }
  virtual void SetColorInvalid(TColor color);

  bool Valid() const { return valid_; }
  bool ChangePending() const { return changePending_; }
  const std::string& LastValidText() const { return lastValidText_; }

  // Judges the text now in the control (see the class comment).
  virtual void UpdateValidity();
  // The verdict on `text`: OnValidateOrChange's, or valid without one.
  virtual bool ValidateOrChange(std::string& text);
  // Paints the background in Color or ColorInvalid.
  virtual void IndicateValidity();
  // Reports a change: clears the pending flag and fires OnChange.
  virtual void ContentsChanged();
  // False (and the focus moves here) while the text is invalid; otherwise
  // delivers a pending change and answers true.
  bool IsDialogOkay();

  TValidateOrChangeEvent OnValidateOrChange;

 protected:
  void CreateWnd() override;
  // The text now shown is not the user's change: nothing is pending.
  void ForgetPendingChange() { changePending_ = false; }
  // Every change goes through UpdateValidity and ContentsChanged instead.
  void Change() override {}

 private:
  void Leave(TMessage& message);
  bool Designing() const { return ComponentState().Contains(csDesigning); }

  TNotifyEditInvalidityAllowed invalidityAllowed_ = iaInsideMainly;
  TNotifyEditNotifyImmediacy notifyImmediacy_ = niImmediate;
  bool valid_ = true;
  bool changePending_ = false;
  std::string lastValidText_;
  TColor colorValid_ = clWindow;
  TColor colorInvalid_ = 255;
  bool focusToCancel_ = false;
  bool correcting_ = false;  // writing back a text the judge corrected
  int updates_ = 0;          // validations so far
};

// True when every TNotifyEdit owned by `form` accepts the dialog's OK; the
// first that does not takes the focus.
bool NotifyEditIsDialogOkayImplementation(TCustomForm* form);

class TNotifyTrackBar : public TTrackBar {
  TK_CLASS(TNotifyTrackBar)
  // Shows its position in the system's tooltip while the thumb is dragged.
  explicit TNotifyTrackBar(TComponent* owner) : TTrackBar(owner) { SetShowTooltips(true); }
  void WndProc(TMessage& message) override;

  // Remembers the position as reported and calls OnPositionChanged.
  virtual void PositionChanged();
  TNotifyEvent OnPositionChanged;

 protected:
  // The position a new window starts with is not a change: it is what the
  // control showed already.
  void CreateWnd() override;

 private:
  int lastReported_ = -1;
  bool creating_ = false;
};

// What the list and combo boxes share: contents reports held back while
// redrawing is off, and selection reports. `Base` is the toolkit's list or
// combo box.
template <class Base>
class TNotifyListControl : public Base {
 public:
  using Base::Base;

  virtual void ContentsChanged() {
    dirty_ = false;
    if (OnContentsChanged) OnContentsChanged(this);
  }
  virtual void SelectionChanged() {
    if (OnSelectionChanged) OnSelectionChanged(this);
  }
  TNotifyEvent OnContentsChanged;
  TNotifyEvent OnSelectionChanged;

 protected:
  // Handles `m` with the toolkit's list or combo box, with the reports it
  // calls for: a new selection before the toolkit's own change events
  // (`selectionMessage`), a change of the items once it is made
  // (`contentsMessage`: the handler sees the items as they now are).
  void HandleAndReport(TMessage& m, bool selectionMessage, bool contentsMessage) {
    if (selectionMessage) SelectionChanged();
    Base::WndProc(m);
    if (contentsMessage) {
      dirty_ = true;
      if (!redrawSuspended_) ContentsChanged();
    } else if (m.Msg == WM_SETREDRAW) {
      redrawSuspended_ = m.WParam == 0;
      if (!redrawSuspended_ && dirty_) ContentsChanged();
    }
  }

 private:
  bool dirty_ = false;
  bool redrawSuspended_ = false;
};

class TNotifyListBox : public TNotifyListControl<TCustomListBox> {
  TK_CLASS(TNotifyListBox)
  explicit TNotifyListBox(TComponent* owner) : TNotifyListControl(owner) {}
  void WndProc(TMessage& message) override;
};

// Always a drop-down list (no typing field).
class TNotifyComboBox : public TNotifyListControl<TCustomComboBox> {
  TK_CLASS(TNotifyComboBox)
  explicit TNotifyComboBox(TComponent* owner);
  void WndProc(TMessage& message) override;
};

// A plain (not automatic) radio button that reports its state changes. It
// does not uncheck its neighbours: buttons bound to one setting are
// unchecked by the setting's broadcast.
class TNotifyRadioButton : public TRadioButtonControl {
  TK_CLASS(TNotifyRadioButton)
  explicit TNotifyRadioButton(TComponent* owner);
  void WndProc(TMessage& message) override;

  virtual void SetChecked(bool checked);
  virtual void StateChanged() {}
};
