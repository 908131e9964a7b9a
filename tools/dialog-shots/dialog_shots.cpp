// Shows one of the program's dialogs, as the program itself would, for
// tools/dialog-shots.sh to photograph:
//   dialog_shots about    the built-in About box
//   dialog_shots form     a toolkit form designed at 96 pixels per inch
//   dialog_shots corners  the hot-corner picture, lit and (no corner service) dimmed
//   dialog_shots nextpage <title>
//                         turns the page of the shown dialog of that title
//                         (Ctrl+Tab, as a user does), for photographing each page
// It carries the program's manifest, so it sees the screen as the saver does.
#include <windows.h>

#include <cstring>
#include <string>

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
  const char kNextPage[] = "nextpage ";
  if (std::strncmp(commandLine, kNextPage, sizeof kNextPage - 1) == 0) {
    std::string title = commandLine + sizeof kNextPage - 1;
    if (title.size() >= 2 && title.front() == '"' && title.back() == '"') title = title.substr(1, title.size() - 2);
    HWND dialog = FindWindowA(nullptr, title.c_str());
    if (!dialog) return 1;
    SetForegroundWindow(dialog);
    Sleep(200);
    INPUT in[4] = {};
    for (INPUT& k : in) k.type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[3].ki.wVk = VK_CONTROL;
    in[1].ki.wVk = in[2].ki.wVk = VK_TAB;
    in[2].ki.dwFlags = in[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, in, sizeof(INPUT));
    Sleep(200);
    return 0;
  }
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
