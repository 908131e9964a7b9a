// Shows one of the program's dialogs, as the program itself would, for
// tools/dialog-shots.sh to photograph:
//   dialog_shots about    the built-in About box
//   dialog_shots form     a toolkit form designed at 96 pixels per inch
//   dialog_shots corners  the hot-corner picture, lit and (no corner service) dimmed
// It carries the program's manifest, so it sees the screen as the saver does.
#include <windows.h>

#include <cstring>

#include "controls/scrcontrols.h"
#include "framework/scrforms.h"
#include "toolkit/extctrls.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"

namespace {

class TSampleForm : public TForm {
  TK_CLASS(TSampleForm)
  explicit TSampleForm(TComponent* owner) : TForm(owner) {}
};

const TMetaClass& TSampleForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TSampleForm>("TSampleForm", &TForm::StaticClass());
  return cls;
}

class TCornersForm : public TForm {
  TK_CLASS(TCornersForm)
  explicit TCornersForm(TComponent* owner) : TForm(owner) {}
  TScrCorners* Corners = nullptr;
};

const TMetaClass& TCornersForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TCornersForm>("TCornersForm", &TForm::StaticClass(), [](auto& c) {
    c.Field("Corners", &TCornersForm::Corners);
  });
  return cls;
}

template <class Form>
int ShowForm(void (*prepare)(Form*) = nullptr) {
  try {
    Form* form = CreateComponent<Form>(nullptr);
    if (prepare) prepare(form);
    form->ShowModal();
    form->Free();
  } catch (const Exception& e) {
    Application->ShowException(e);
    return 1;
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  Application->Initialize();
  if (std::strcmp(commandLine, "about") == 0) {
    DefaultAboutDialog(nullptr);
    return 0;
  }
  if (std::strcmp(commandLine, "form") == 0) {
    RegisterClasses({&TSampleForm::StaticClass(), &TPanel::StaticClass(), &TButton::StaticClass()});
    return ShowForm<TSampleForm>();
  }
  if (std::strcmp(commandLine, "corners") == 0) {
    ScrInstallControls();
    RegisterClasses({&TCornersForm::StaticClass()});
    return ShowForm<TCornersForm>([](TCornersForm* form) { form->Corners->SetCornersFromString("YN-Y"); });
  }
  return 2;
}
