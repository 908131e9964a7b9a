// A screen saver for tests: the framework's entry point with a test main
// module, saver form and configuration dialog. Tests start it with a saver
// switch and steer it through the environment:
//   SPIRALIS_MAINFORM   class of the main module (default TTestMainForm)
//   SPIRALIS_TRACE      trace everything into this file
//   SPIRALIS_DEBUGLEVEL 0..3 (dlCompact .. dlRelease)
//   SPIRALIS_SET        "Property=Class;..." form classes of the control
//   SPIRALIS_LIVE       a value the configuration dialog gives Probe while it shows
//   SPIRALIS_CLOCK      the saver form's clock stands at this many milliseconds
//                       until the test message Spiralis_test_clock sets it
//                       (wParam)
#include <windows.h>

#include <cstdlib>
#include <string>

#include "framework/scrcontrol.h"
#include "framework/scrforms.h"
#include "framework/scrmain.h"
#include "toolkit/datamodule.h"
#include "toolkit/stdctrls.h"
#include "toolkit/extctrls.h"
#include "values/values.h"

namespace {

std::string Env(const char* name) {
  char buf[1024] = "";
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n && n < sizeof buf ? buf : "";
}

}  // namespace

class TTestMainForm : public TDataModule {
  TK_CLASS(TTestMainForm)
  explicit TTestMainForm(TComponent* owner) : TDataModule(owner) {}

  void AfterConstruction() override {
    TDataModule::AfterConstruction();
    if (!ScrControl) return;
    const std::string level = Env("SPIRALIS_DEBUGLEVEL");
    if (!level.empty()) ScrControl->SetDebugLevel(static_cast<TScrDebugLevel>(std::atoi(level.c_str())));
    const std::string trace = Env("SPIRALIS_TRACE");
    if (!trace.empty()) {
      ScrControl->SetDebugLogLevel(tlAll);
      ScrControl->SetDebugLog(trace);
    }
    std::string set = Env("SPIRALIS_SET");
    while (!set.empty()) {
      std::string item = set.substr(0, set.find(';'));
      set = set.find(';') == std::string::npos ? "" : set.substr(set.find(';') + 1);
      const std::size_t eq = item.find('=');
      if (eq == std::string::npos) continue;
      const TPropInfo* p = ScrControl->ClassType()->FindProperty(item.substr(0, eq));
      if (p && p->Kind == TPropKind::Class)
        if (auto* f = dynamic_cast<TScrFormClass*>(p->GetObject(ScrControl))) f->SetFormClassName(item.substr(eq + 1));
    }
  }

  TScrControl* ScrControl = nullptr;
  TScrVInteger* Probe = nullptr;
};

const TMetaClass& TTestMainForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TTestMainForm>("TTestMainForm", &TDataModule::StaticClass(), [](auto& c) {
    c.Field("ScrControl", &TTestMainForm::ScrControl);
    c.Field("Probe", &TTestMainForm::Probe);
  });
  return cls;
}

TTestMainForm* MainForm = nullptr;

// A main module with two control components.
class TTwoControlsForm : public TDataModule {
  TK_CLASS(TTwoControlsForm)
  explicit TTwoControlsForm(TComponent* owner) : TDataModule(owner) {}
};

const TMetaClass& TTwoControlsForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TTwoControlsForm>("TTwoControlsForm", &TDataModule::StaticClass());
  return cls;
}

// The saver form. A registered test message makes it handle input inside its
// own dispatch, to show that the action is posted once, from the outside.
// Each mouse move it has is traced, numbered.
// With SPIRALIS_ERRORLINE set it traces that error as it goes.
class TTestSaverForm : public TScrForm {
  TK_CLASS(TTestSaverForm)
  explicit TTestSaverForm(TComponent* owner) : TScrForm(owner) {
    if (!driven_) return;
    now_ = static_cast<DWORD>(std::strtoul(Env("SPIRALIS_CLOCK").c_str(), nullptr, 10));
    SetClock([this] { return now_; });
  }

  void BeforeDestruction() override {
    if (!Env("SPIRALIS_ERRORLINE").empty()) ScrDebugErr(Env("SPIRALIS_ERRORLINE"));
    TScrForm::BeforeDestruction();
  }


  bool CommonWndProc(HWND wnd, TMessage& m) override {
    if (m.Msg == RegisterWindowMessageA("Spiralis_test_nested")) {
      ScrDebugMsg("Test: nested input begins");
      Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
      Perform(WM_KEYDOWN, 'A', 0);
      ScrDebugMsg("Test: nested input ends");
    }
    if (driven_ && m.Msg == RegisterWindowMessageA("Spiralis_test_clock")) now_ = static_cast<DWORD>(m.WParam);
    if (m.Msg == WM_MOUSEMOVE) ScrDebugMsg("Test: move " + std::to_string(++moves_) + ".");
    return TScrForm::CommonWndProc(wnd, m);
  }

 private:
  const bool driven_ = !Env("SPIRALIS_CLOCK").empty();
  DWORD now_ = 0;
  int moves_ = 0;
};

const TMetaClass& TTestSaverForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TTestSaverForm>("TTestSaverForm", &TScrForm::StaticClass());
  return cls;
}

// The options dialog: OK and Cancel.
class TTestConfigDialog : public TScrDialog {
  TK_CLASS(TTestConfigDialog)
  explicit TTestConfigDialog(TComponent* owner) : TScrDialog(owner) {}

  void AfterConstruction() override {
    TScrDialog::AfterConstruction();
    ScrDebugMsg("Test: dialog " + ScrModeName(ScrMode()));
    const std::string live = Env("SPIRALIS_LIVE");
    if (!live.empty() && MainForm && MainForm->Probe) {
      MainForm->Probe->GetValue();  // loaded first, as a control bound to it would
      MainForm->Probe->SetValue(std::atoi(live.c_str()));
    }
  }
  // Runs after the modal run has saved or reloaded the values.
  void BeforeDestruction() override {
    if (MainForm && MainForm->Probe) ScrDebugMsg("Test: Probe " + std::to_string(MainForm->Probe->GetValue()));
    TScrDialog::BeforeDestruction();
  }
};

const TMetaClass& TTestConfigDialog::StaticClass() {
  static const TMetaClass cls = DefineClass<TTestConfigDialog>("TTestConfigDialog", &TScrDialog::StaticClass());
  return cls;
}

// Not a framework form at all.
class TPlainForm : public TForm {
  TK_CLASS(TPlainForm)
  explicit TPlainForm(TComponent* owner) : TForm(owner) {}
};

const TMetaClass& TPlainForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TPlainForm>("TPlainForm", &TForm::StaticClass());
  return cls;
}

// A saver form whose resource is missing: its creation fails.
class TBrokenSaverForm : public TScrForm {
  TK_CLASS(TBrokenSaverForm)
  explicit TBrokenSaverForm(TComponent* owner) : TScrForm(owner) {}
};

const TMetaClass& TBrokenSaverForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TBrokenSaverForm>("TBrokenSaverForm", &TScrForm::StaticClass());
  return cls;
}

// A configuration dialog whose resource is missing: its creation fails.
class TBrokenConfigDialog : public TScrDialog {
  TK_CLASS(TBrokenConfigDialog)
  explicit TBrokenConfigDialog(TComponent* owner) : TScrDialog(owner) {}
};

const TMetaClass& TBrokenConfigDialog::StaticClass() {
  static const TMetaClass cls = DefineClass<TBrokenConfigDialog>("TBrokenConfigDialog", &TScrDialog::StaticClass());
  return cls;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ScrInstallValues();
  RegisterClasses({&TTestMainForm::StaticClass(), &TTwoControlsForm::StaticClass(), &TTestSaverForm::StaticClass(),
                   &TTestConfigDialog::StaticClass(), &TPlainForm::StaticClass(), &TBrokenSaverForm::StaticClass(),
                   &TBrokenConfigDialog::StaticClass(), &TPanel::StaticClass(), &TButton::StaticClass()});
  const std::string main = Env("SPIRALIS_MAINFORM");
  if (main.empty() || main == "TTestMainForm") return ScrRunApplication(MainForm);
  TComponent* other = nullptr;
  return ScrRunApplication(GetClass(main), other);
}
