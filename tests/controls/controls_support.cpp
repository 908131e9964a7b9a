#include "controls_support.h"

#include "tests/support/main_module.h"
#include "tests/support/program_run.h"
#include "values/values.h"

#include <cstdio>

namespace controls_testing {

namespace {
// Dialog keys reach the controls here as they do in the saver.
bool ThroughApplication() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) return false;
  Application->ProcessMessages();
  return true;
}
[[maybe_unused]] const bool kThroughApplication = (testing_support::HandleMessagesWith(ThroughApplication), true);
}  // namespace

bool WaitFor(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(10);
  }
  return true;
}

void DragFrom(POINT from, POINT to) {
  MoveTo(from);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &in, sizeof in);
  PumpUntil([] { return GetCapture() != nullptr; });  // the pressed control holds the mouse
  for (int i = 1; i <= 8; ++i) {
    MoveTo(POINT{from.x + (to.x - from.x) * i / 8, from.y + (to.y - from.y) * i / 8});
    PumpMessages(0);
  }
  in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof in);
}

void Press(WORD vk) { testing_support::InputKey(vk); }

void PressWith(WORD modifier, WORD vk) {
  INPUT in[4]{};
  for (INPUT& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[3].ki.wVk = modifier;
  in[1].ki.wVk = in[2].ki.wVk = vk;
  in[2].ki.dwFlags = in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, in, sizeof in[0]);
}

void TypeText(const std::string& text) {
  for (char ch : text) {
    const SHORT scan = VkKeyScanA(ch);
    if (scan & 0x100) PressWith(VK_SHIFT, LOBYTE(scan));
    else Press(LOBYTE(scan));
  }
}

void Wheel(int notches) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_WHEEL;
  in.mi.mouseData = static_cast<DWORD>(notches * WHEEL_DELTA);
  SendInput(1, &in, sizeof in);
}

POINT CentreOf(TWinControl* control) {
  RECT r;
  GetWindowRect(control->Handle(), &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Activate(TCustomForm* form) {
  form->Show();
  SetForegroundWindow(form->Handle());
  PumpUntil([&] { return GetForegroundWindow() == form->Handle(); });
  PumpMessages(50);  // Wine's first paints of a window it has just mapped come after it is in front
}

namespace {
GUITHREADINFO GuiOf(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(thread, &info);
  return info;
}
}  // namespace

HWND FocusOf(DWORD thread) {
  // A message sent to the focused window is handled only between two
  // messages: the focus read before it and after its answer agree once
  // whatever moved the focus has done so.
  HWND before = GuiOf(thread).hwndFocus;
  for (int i = 0; i < 50; ++i) {
    DWORD_PTR ignored = 0;
    if (before) SendMessageTimeoutA(before, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    const HWND after = GuiOf(thread).hwndFocus;
    if (after == before) break;
    before = after;
  }
  return before;
}

std::string TextOf(HWND window) {
  char buf[256] = "";
  DWORD_PTR got = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, &got);
  return buf;
}

HWND ShownMenu() {
  HWND menu = FindWindowA("#32768", nullptr);
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

bool MenuTracked(DWORD thread, DWORD ms) {
  return WaitFor([&] { return ShownMenu() && (GuiOf(thread).flags & GUI_INMENUMODE); }, ms);
}

InputScript::InputScript(std::function<void()> script)
    : thread_([this, ui = GetCurrentThreadId(), script = std::move(script)] {
        script();
        if (WaitFor([this] { return back_.load(); }, 3000)) return;
        std::fprintf(stderr, "a menu or modal dialog was still open 3 s after its input script: cancelled with Esc\n");
        const DWORD start = GetTickCount();
        while (!back_) {
          const HWND front = GetForegroundWindow();
          char cls[16] = "";
          GetClassNameA(front, cls, sizeof cls);
          if (ShownMenu() || (GetWindowThreadProcessId(front, nullptr) == ui && std::string(cls) == "#32770"))
            Press(VK_ESCAPE);
          if (GetTickCount() - start > 20000) {
            std::fprintf(stderr, "the UI thread's menu or modal dialog did not end within 20 s of its input script\n");
            std::fflush(stderr);
            ExitProcess(3);
          }
          Sleep(200);
        }
      }) {}

InputScript::~InputScript() {
  back_ = true;
  thread_.join();
}

// ---- Roots -----------------------------------------------------------------------------

const TMetaClass& TControlsSettings::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TControlsSettings>("TControlsSettings", &TDataModule::StaticClass(), [](auto& c) {
        c.Field("Rings", &TControlsSettings::Rings);
        c.Field("Density", &TControlsSettings::Density);
        c.Field("Speed", &TControlsSettings::Speed);
        c.Field("Tint", &TControlsSettings::Tint);
        c.Field("Mode", &TControlsSettings::Mode);
        c.Field("Delay", &TControlsSettings::Delay);
        c.Field("Sensitivity", &TControlsSettings::Sensitivity);
        c.Field("Flag", &TControlsSettings::Flag);
        c.Field("Title", &TControlsSettings::Title);
      });
  return cls;
}

TControlsSettings* TControlsSettings::Create() {
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Vantrel\\ControlsTest");
  auto* settings = testing_support::NewMainModule<TControlsSettings>();
  // Loaded now, so that what a test sets is not loaded over on first use.
  ScrLoadValuesFromRegistry(settings);
  return settings;
}

void TControlsSettings::Destroy() {
  Free();
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Vantrel\\ControlsTest");
}

const TMetaClass& TAllControlsForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TAllControlsForm>("TAllControlsForm", &TForm::StaticClass(), [](auto& c) {
    c.Field("Pages", &TAllControlsForm::Pages);
    c.Field("First", &TAllControlsForm::First);
    c.Field("Second", &TAllControlsForm::Second);
    c.Field("Edit1", &TAllControlsForm::Edit1);
    c.Field("UpDown1", &TAllControlsForm::UpDown1);
    c.Field("List1", &TAllControlsForm::List1);
    c.Field("Combo1", &TAllControlsForm::Combo1);
    c.Field("Check1", &TAllControlsForm::Check1);
    c.Field("Group1", &TAllControlsForm::Group1);
    c.Field("Radio1", &TAllControlsForm::Radio1);
    c.Field("Radio2", &TAllControlsForm::Radio2);
    c.Field("Radio3", &TAllControlsForm::Radio3);
    c.Field("Track1", &TAllControlsForm::Track1);
    c.Field("Panel1", &TAllControlsForm::Panel1);
    c.Field("Image1", &TAllControlsForm::Image1);
    c.Field("Label1", &TAllControlsForm::Label1);
    c.Field("Link1", &TAllControlsForm::Link1);
    c.Field("OkButton", &TAllControlsForm::OkButton);
    c.Field("CancelButton", &TAllControlsForm::CancelButton);
    c.Field("PopupMenu1", &TAllControlsForm::PopupMenu1);
    c.Field("Item1", &TAllControlsForm::Item1);
    c.Field("Item2", &TAllControlsForm::Item2);
    c.Field("OpenDialog1", &TAllControlsForm::OpenDialog1);
    c.Method("PagesChange", &TAllControlsForm::PagesChange);
    c.Method("CheckClick", &TAllControlsForm::CheckClick);
    c.Method("ListClick", &TAllControlsForm::ListClick);
    c.Method("LinkClick", &TAllControlsForm::LinkClick);
    c.Method("ItemClick", &TAllControlsForm::ItemClick);
    c.Method("SpinClick", &TAllControlsForm::SpinClick);
  });
  return cls;
}

const TMetaClass& TSlidersForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TSlidersForm>("TSlidersForm", &TForm::StaticClass(), [](auto& c) {
    c.Field("RingsBar", &TSlidersForm::RingsBar);
    c.Field("RingsBar2", &TSlidersForm::RingsBar2);
    c.Field("DensityBar", &TSlidersForm::DensityBar);
    c.Field("SpeedBar", &TSlidersForm::SpeedBar);
    c.Field("GreenBar", &TSlidersForm::GreenBar);
    c.Field("ModeBar", &TSlidersForm::ModeBar);
    c.Field("Shared", &TSlidersForm::Shared);
    c.Field("Watcher", &TSlidersForm::Watcher);
    c.Method("WatcherChange", &TSlidersForm::WatcherChange);
  });
  return cls;
}

const TMetaClass& TEditDialog::StaticClass() {
  static const TMetaClass cls = DefineClass<TEditDialog>("TEditDialog", &TScrDialog::StaticClass(), [](auto& c) {
    c.Field("Edit1", &TEditDialog::Edit1);
    c.Field("OkButton", &TEditDialog::OkButton);
    c.Field("CancelButton", &TEditDialog::CancelButton);
    c.Method("DigitsOnly", &TEditDialog::DigitsOnly);
    c.Method("EditChange", &TEditDialog::EditChange);
  });
  return cls;
}

const TMetaClass& TEditorsForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TEditorsForm>("TEditorsForm", &TForm::StaticClass(), [](auto& c) {
    c.Field("DelayEdit", &TEditorsForm::DelayEdit);
    c.Field("DelayUpDown", &TEditorsForm::DelayUpDown);
    c.Field("DelayUnits", &TEditorsForm::DelayUnits);
    c.Field("RingsEdit", &TEditorsForm::RingsEdit);
    c.Field("RingsBar", &TEditorsForm::RingsBar);
    c.Field("DensityEdit", &TEditorsForm::DensityEdit);
    c.Field("TitleEdit", &TEditorsForm::TitleEdit);
    c.Field("BlueEdit", &TEditorsForm::BlueEdit);
    c.Field("BlueUpDown", &TEditorsForm::BlueUpDown);
    c.Field("TintCombo", &TEditorsForm::TintCombo);
    c.Field("SensitivityCombo", &TEditorsForm::SensitivityCombo);
    c.Field("ModeCombo", &TEditorsForm::ModeCombo);
    c.Field("FlagList", &TEditorsForm::FlagList);
  });
  return cls;
}

void RegisterTestClasses() {
  ScrInstallControls();
  RegisterClasses({&TControlsSettings::StaticClass(), &TAllControlsForm::StaticClass(),
                   &TSlidersForm::StaticClass(), &TEditDialog::StaticClass(), &TEditorsForm::StaticClass(),
                   &TScrControl::StaticClass()});
}

}  // namespace controls_testing
