#include "controls/notify.h"

#include "toolkit/forms.h"
#include "toolkit/sysutils.h"

// ---- TNotifyEdit ---------------------------------------------------------------------

namespace {
const std::vector<std::string> kInvalidityNames{"iaNever", "iaInsideOnly", "iaInsideMainly", "iaAlways"};
const std::vector<std::string> kImmediacyNames{"niImmediate", "niOnKillFocus"};
}  // namespace

const TMetaClass& TNotifyEdit::StaticClass() {
  static const TMetaClass cls = DefineClass<TNotifyEdit>("TNotifyEdit", &TCustomEdit::StaticClass(), [](auto& c) {
    c.template Enum<TNotifyEditInvalidityAllowed>("InvalidityAllowed", kInvalidityNames,
                                                  &TNotifyEdit::InvalidityAllowed, &TNotifyEdit::SetInvalidityAllowed);
    c.template Enum<TNotifyEditNotifyImmediacy>("NotifyImmediacy", kImmediacyNames, &TNotifyEdit::NotifyImmediacy,
                                                &TNotifyEdit::SetNotifyImmediacy);
    c.template Event<TValidateOrChangeEvent>("OnValidateOrChange", &TNotifyEdit::OnValidateOrChange);
    c.template Event<TNotifyEvent>("OnChange", &TNotifyEdit::OnChange);
    c.template Ident<TColor>("Color", ColorIdents(), &TNotifyEdit::Color, &TNotifyEdit::SetColor);
    c.template Ident<TColor>("ColorInvalid", ColorIdents(), &TNotifyEdit::ColorInvalid, &TNotifyEdit::SetColorInvalid);
    c.String("Text", &TNotifyEdit::Text, &TNotifyEdit::SetText);
    c.Integer("MaxLength", &TNotifyEdit::MaxLength, &TNotifyEdit::SetMaxLength);
    c.Boolean("ReadOnly", &TNotifyEdit::ReadOnly, &TNotifyEdit::SetReadOnly);
    c.template Event<TNotifyEvent>("OnEnter", &TNotifyEdit::OnEnter);
    c.template Event<TNotifyEvent>("OnExit", &TNotifyEdit::OnExit);
  });
  return cls;
}

TNotifyEdit::TNotifyEdit(TComponent* owner) : TCustomEdit(owner), lastValidText_(Text()) {}

void TNotifyEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  // The window starts with the text given so far (a form resource's, say):
  // judged like a typed one, but not a change of the user's.
  std::string text = Text();
  valid_ = ValidateOrChange(text);
  if (valid_) lastValidText_ = Text();
  IndicateValidity();
}

void TNotifyEdit::SetNotifyImmediacy(TNotifyEditNotifyImmediacy mode) {
  notifyImmediacy_ = mode;
  if (changePending_ && (mode == niImmediate || !Focused())) ContentsChanged();
}

void TNotifyEdit::SetColor(TColor color) {
  if (colorValid_ == color) return;
  colorValid_ = color;
  IndicateValidity();
}

void TNotifyEdit::SetColorInvalid(TColor color) {
  if (colorInvalid_ == color) return;
  colorInvalid_ = color;
  IndicateValidity();
}

bool TNotifyEdit::ValidateOrChange(std::string& text) {
  bool valid = true;
  if (OnValidateOrChange) OnValidateOrChange(this, text, valid);
  return valid;
}

void TNotifyEdit::UpdateValidity() {
  ++updates_;
  std::string text = Text();
  valid_ = ValidateOrChange(text);
  if (valid_ && text != Text() && !correcting_) {
    // The judge corrected the text: the correction is what the edit shows
    // and reports, with the caret where the keystroke left it. Writing it
    // makes the window report an update, judged again (once, whatever the
    // judge says then).
    const int start = SelStart(), length = SelLength(), before = updates_;
    {
      TFlagScope correcting(correcting_, true);
      SetText(text);
    }
    SetSelStart(start);
    SetSelLength(length);
    if (updates_ != before) return;
  }
  if (valid_) {
    changePending_ = true;
    lastValidText_ = Text();
    IndicateValidity();
  } else if (invalidityAllowed_ != iaNever) {
    IndicateValidity();
  } else {
    // Back to the last valid text, with the caret where the keystroke left it.
    const int start = SelStart(), length = SelLength();
    SetText(lastValidText_);
    SetSelStart(start);
    SetSelLength(length);
  }
}

void TNotifyEdit::IndicateValidity() { TCustomEdit::SetColor(valid_ ? colorValid_ : colorInvalid_); }

void TNotifyEdit::ContentsChanged() {
  changePending_ = false;
  if (OnChange) OnChange(this);
}

bool TNotifyEdit::IsDialogOkay() {
  if (!valid_) {
    // On a page the user has left: that page comes forward first.
    ShowPagesHolding(this);
    SetFocus();
    return false;
  }
  if (changePending_) ContentsChanged();
  return true;
}

void TNotifyEdit::Leave(TMessage& m) {
  const bool toCancel = focusToCancel_;
  focusToCancel_ = false;
  TCustomEdit::WndProc(m);
  if (!valid_ && invalidityAllowed_ != iaAlways && !(invalidityAllowed_ == iaInsideMainly && toCancel)) {
    m.Result = 0;
    SetFocus();
    return;
  }
  if (valid_ && changePending_) ContentsChanged();
}

void TNotifyEdit::WndProc(TMessage& m) {
  if (Designing()) return TCustomEdit::WndProc(m);
  switch (m.Msg) {
    case CN_COMMAND:
      TCustomEdit::WndProc(m);  // the control's text follows the window's
      if (m.WParamHi() == EN_UPDATE) {
        UpdateValidity();
        if (changePending_ && (notifyImmediacy_ == niImmediate || !Focused())) ContentsChanged();
      }
      return;
    case WM_KILLFOCUS: {
      auto* button = dynamic_cast<TButton*>(FindControl(reinterpret_cast<HWND>(m.WParam)));
      focusToCancel_ = button && button->ModalResult() == mrCancel;
      break;
    }
    case CM_EXIT: Leave(m); return;
    default: break;
  }
  TCustomEdit::WndProc(m);
}

bool NotifyEditIsDialogOkayImplementation(TCustomForm* form) {
  if (!form) return true;
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* edit = dynamic_cast<TNotifyEdit*>(form->Components(i)); edit && !edit->IsDialogOkay()) return false;
  return true;
}

// ---- TNotifyTrackBar ------------------------------------------------------------------

const TMetaClass& TNotifyTrackBar::StaticClass() {
  static const TMetaClass cls = DefineClass<TNotifyTrackBar>("TNotifyTrackBar", &TTrackBar::StaticClass());
  return cls;
}

void TNotifyTrackBar::CreateWnd() {
  creating_ = true;
  try {
    TTrackBar::CreateWnd();
  } catch (...) {
    creating_ = false;
    throw;
  }
  creating_ = false;
  lastReported_ = Position();
}

void TNotifyTrackBar::WndProc(TMessage& m) {
  TTrackBar::WndProc(m);
  if (!creating_ && (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL || m.Msg == TBM_SETPOS) && HandleAllocated() &&
      !ComponentState().Contains(csDesigning) && Position() != lastReported_)
    PositionChanged();
}

void TNotifyTrackBar::PositionChanged() {
  lastReported_ = Position();
  if (OnPositionChanged) OnPositionChanged(this);
}

// ---- TNotifyListBox and TNotifyComboBox ------------------------------------------------

const TMetaClass& TNotifyListBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TNotifyListBox>("TNotifyListBox", &TCustomListBox::StaticClass());
  return cls;
}

void TNotifyListBox::WndProc(TMessage& m) {
  HandleAndReport(m, m.Msg == CN_COMMAND && m.WParamHi() == LBN_SELCHANGE,
                  m.Msg == LB_ADDSTRING || m.Msg == LB_INSERTSTRING || m.Msg == LB_DELETESTRING ||
                      m.Msg == LB_RESETCONTENT || m.Msg == LB_ADDFILE || m.Msg == LB_DIR);
}

const TMetaClass& TNotifyComboBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TNotifyComboBox>("TNotifyComboBox", &TCustomComboBox::StaticClass());
  return cls;
}

TNotifyComboBox::TNotifyComboBox(TComponent* owner) : TNotifyListControl(owner) { SetStyle(csDropDownList); }

void TNotifyComboBox::WndProc(TMessage& m) {
  HandleAndReport(m, m.Msg == CN_COMMAND && m.WParamHi() == CBN_SELCHANGE,
                  m.Msg == CB_ADDSTRING || m.Msg == CB_INSERTSTRING || m.Msg == CB_DELETESTRING ||
                      m.Msg == CB_RESETCONTENT || m.Msg == CB_DIR);
}

// ---- TNotifyRadioButton ------------------------------------------------------------------

const TMetaClass& TNotifyRadioButton::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TNotifyRadioButton>("TNotifyRadioButton", &TButtonControl::StaticClass(), [](auto& c) {
        c.String("Caption", &TNotifyRadioButton::Caption, &TNotifyRadioButton::SetCaption);
        c.Boolean("Checked", &TNotifyRadioButton::Checked, &TNotifyRadioButton::SetChecked);
        c.template Enum<TAlignment>("Alignment", AlignmentNames(), &TNotifyRadioButton::Alignment,
                                    &TNotifyRadioButton::SetAlignment);
        c.template Event<TNotifyEvent>("OnClick", &TNotifyRadioButton::OnClick);
        c.template Event<TNotifyEvent>("OnDblClick", &TNotifyRadioButton::OnDblClick);
      });
  return cls;
}

TNotifyRadioButton::TNotifyRadioButton(TComponent* owner) : TRadioButtonControl(owner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
}

void TNotifyRadioButton::SetChecked(bool checked) {
  if (!StoreChecked(checked)) return;
  if (checked && HandleAllocated()) {
    Changed();
    Click();
  }
  StateChanged();
}

void TNotifyRadioButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (m.WParamHi() == BN_CLICKED) SetChecked(true);
      else if (m.WParamHi() == BN_DOUBLECLICKED) DblClick();
      return;  // the other notifications mean nothing here
    case CN_KEYDOWN:
      if (ArrowKey(m)) return;
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(m.WParam, Caption()) && CanFocus()) {
        SetFocus();
        m.Result = 1;
        return;
      }
      break;
    case CM_CTL3DCHANGED: RecreateWnd(); return;
    default: break;
  }
  TRadioButtonControl::WndProc(m);
}
