#include "toolkit/stdctrls.h"

#include "toolkit/forms.h"

const TMetaClass& TButton::StaticClass() {
  static const TMetaClass cls = DefineClass<TButton>("TButton", &TWinControl::StaticClass(), [](auto& c) {
    c.String("Caption", &TButton::Caption, &TButton::SetCaption);
    c.Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult);
    c.Boolean("Default", &TButton::Default, &TButton::SetDefault);
    c.Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel);
    c.template Event<TNotifyEvent>("OnClick", &TButton::OnClick);
  });
  return cls;
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  width_ = 75;
  height_ = 25;
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, "BUTTON");
  p.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool v) {
  if (default_ == v) return;
  default_ = v;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this); form && modalResult_ != mrNone) form->SetModalResult(modalResult_);
  TWinControl::Click();
}

void TButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (m.WParamHi() == BN_CLICKED) {
        Click();
        return;
      }
      break;
    case CM_DIALOGKEY:
      if (((m.WParam == VK_RETURN && (default_ || Focused())) || (m.WParam == VK_ESCAPE && cancel_)) && CanFocus()) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(m.WParam, Caption()) && CanFocus()) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    default: break;
  }
  TWinControl::WndProc(m);
}
