#pragma once
// Standard controls wrapping the system's window classes: button, check
// box, radio button, group box, label, edit, list box and combo box.
//
// Each keeps what it is given before its window exists (text, items,
// selection, checked state) and hands it to the window when it is made, and
// takes it back when the window goes (a re-created window shows the same).
// Notifications the parent receives come back to the control's own object
// as CN_ messages.
#include "toolkit/controls.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
const std::vector<std::string>& AlignmentNames();

// ---- Buttons ---------------------------------------------------------------------

// The base of the BUTTON-class controls.
class TButtonControl : public TWinControl {
  TK_CLASS(TButtonControl)
  explicit TButtonControl(TComponent* owner);

 protected:
  // Arrow keys inside a group of radio buttons: the next (previous) enabled
  // radio button of the same parent takes the focus and is clicked, as in
  // any dialog. True when the focus moved.
  bool MoveInRadioGroup(bool forward);
  // The BUTTON class with `buttonStyle`; the text stands left of the box
  // for taLeftJustify.
  void CreateButtonParams(TCreateParams& params, DWORD buttonStyle, TAlignment alignment);
};

// What the radio buttons share: the checked state (only a checked one is a
// tab stop), the side the text stands on, and the arrow keys, which move
// within the group.
class TRadioButtonControl : public TButtonControl {
 public:
  explicit TRadioButtonControl(TComponent* owner);

  bool Checked() const { return checked_; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { SetAndRecreate(alignment_, v); }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  // Keeps and shows `checked`; false when it was so already.
  bool StoreChecked(bool checked);
  // The arrow keys (CN_KEYDOWN): MoveInRadioGroup. True when the focus
  // moved and the key is used up.
  bool ArrowKey(TMessage& message);

 private:
  bool checked_ = false;
  TAlignment alignment_ = taRightJustify;
};

// A push button: a click sets its form's ModalResult to the button's, then
// fires OnClick. Enter clicks the default (or focused) button, Esc the
// cancel button, Alt+accelerator any of them.
class TButton : public TButtonControl {
  TK_CLASS(TButton)
  explicit TButton(TComponent* owner);

  void WndProc(TMessage& message) override;
  void Click() override;

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult v) { modalResult_ = v; }
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  TModalResult modalResult_ = mrNone;
  bool default_ = false;
  bool cancel_ = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A check box; a click (or Space) moves it to the next state and fires
// OnClick. Setting the state from code fires OnClick too.
class TCustomCheckBox : public TButtonControl {
  TK_CLASS(TCustomCheckBox)
  explicit TCustomCheckBox(TComponent* owner);

  void WndProc(TMessage& message) override;

  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool checked) { SetState(checked ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return state_; }
  virtual void SetState(TCheckBoxState state);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool v) { allowGrayed_ = v; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  // The user's click: unchecked, checked, grayed (when allowed), unchecked.
  virtual void Toggle();

 private:
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  TAlignment alignment_ = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
  TK_CLASS(TCheckBox)
  explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

// A radio button: checking it unchecks the other radio buttons of its
// parent. Only the checked one is a tab stop; the arrow keys move within
// the group.
class TRadioButton : public TRadioButtonControl {
  TK_CLASS(TRadioButton)
  explicit TRadioButton(TComponent* owner) : TRadioButtonControl(owner) {}

  void WndProc(TMessage& message) override;
  void SetChecked(bool checked);
};

// A frame with a caption around other controls.
class TGroupBox : public TWinControl {
  TK_CLASS(TGroupBox)
  explicit TGroupBox(TComponent* owner);
  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
};

// ---- Label ----------------------------------------------------------------------

// Static text. Alt+accelerator moves the focus to FocusControl. A label
// with OnClick, a blue underlined font and the hand cursor serves as a link.
class TLabel : public TWinControl {
  TK_CLASS(TLabel)
  explicit TLabel(TComponent* owner);
  void WndProc(TMessage& message) override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  // Sizes the label to its text when the window is made and the text
  // changes (the width stays with WordWrap).
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool v);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* control);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void AdjustBounds();
  TAlignment alignment_ = taLeftJustify;
  bool wordWrap_ = false;
  bool autoSize_ = true;
  bool showAccelChar_ = true;
  TWinControl* focusControl_ = nullptr;
};

// ---- Edit -------------------------------------------------------------------------

// A one-line edit. Text follows what the user types; OnChange fires on
// every change of the text.
class TCustomEdit : public TWinControl {
  TK_CLASS(TCustomEdit)
  explicit TCustomEdit(TComponent* owner);
  void WndProc(TMessage& message) override;

  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  int SelStart();
  void SetSelStart(int v);
  int SelLength();
  void SetSelLength(int v);
  void SelectAll();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  virtual void Change();

 private:
  int maxLength_ = 0;
  bool readOnly_ = false;
  int selStart_ = 0, selLength_ = 0;
};

class TEdit : public TCustomEdit {
  TK_CLASS(TEdit)
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// ---- List box and combo box -----------------------------------------------------------

// The items of a list or combo box, and which of them is selected: the
// window's own list while it exists, a kept list before and after.
// BeginUpdate/EndUpdate switch the window's redrawing off and on.
class TListControlItems : public TStrings {
  TK_CLASS(TListControlItems)
  struct Messages {
    UINT getCount, getTextLen, getText, addString, insertString, deleteString, resetContent, getItemData,
        setItemData, getCurSel, setCurSel, errorCode;
  };
  TListControlItems(TWinControl* control, const Messages& messages);
  ~TListControlItems() override;

  int Count() const override;
  std::string Get(int i) const override;
  TObject* GetObject(int i) const override;
  void PutObject(int i, TObject* object) override;
  int AddObject(const std::string& s, TObject* object) override;
  void Insert(int i, const std::string& s) override;
  void Delete(int i) override;
  void Clear() override;

  // The selected item, -1 for none.
  int ItemIndex() const;
  void SetItemIndex(int index);

  // The control's window is made: the kept items and selection go into it.
  void WindowCreated();
  // The window goes: its items and selection are kept.
  void WindowDestroying();

 protected:
  void SetUpdateState(bool updating) override;

 private:
  bool Live() const { return control_->HandleAllocated(); }
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
  TWinControl* control_;
  Messages m_;
  TStringList* kept_;
  int itemIndex_ = -1;
};

class TCustomListBox : public TWinControl {
  TK_CLASS(TCustomListBox)
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;
  void WndProc(TMessage& message) override;

  TStrings* Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items) { items_->SetStrings(items); }
  // -1 for none.
  int ItemIndex() const { return items_->ItemIndex(); }
  void SetItemIndex(int index) { items_->SetItemIndex(index); }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool v);
  void Clear() { items_->Clear(); }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;

 private:
  TListControlItems* items_;
  bool sorted_ = false;
  bool integralHeight_ = false;
  // A press of the left button on the list not yet reported as a click.
  bool pressUnreported_ = false;
};

class TListBox : public TCustomListBox {
  TK_CLASS(TListBox)
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// A combo box; OnChange fires when the user picks an item (or edits the
// text of a drop-down), OnClick when the selection changes by the user.
class TCustomComboBox : public TWinControl {
  TK_CLASS(TCustomComboBox)
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;
  void WndProc(TMessage& message) override;

  TStrings* Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items) { items_->SetStrings(items); }
  int ItemIndex() const { return items_->ItemIndex(); }
  void SetItemIndex(int index);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle v);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);
  // Items shown at once in the dropped list.
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int v) { dropDownCount_ = v; }
  bool DroppedDown() const;
  void Clear() { items_->Clear(); }
  // The dropped list's lines are as tall as the form's scale makes them.
  void ChangeScale(int m, int d) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Change();

 private:
  TListControlItems* items_;
  TComboBoxStyle style_ = csDropDown;
  bool sorted_ = false;
  int dropDownCount_ = 8;
  int dropLineHeight_ = 16;  // pixels per line of the dropped list, at the form's scale
};

class TComboBox : public TCustomComboBox {
  TK_CLASS(TComboBox)
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};
