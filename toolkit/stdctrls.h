#pragma once
// Standard controls wrapping the system's window classes.
#include "toolkit/controls.h"

// A push button: a click sets its form's ModalResult to the button's, then
// fires OnClick. Enter clicks the default (or focused) button, Esc the
// cancel button, Alt+accelerator any of them.
class TButton : public TWinControl {
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
