// The options dialog of the real Spiralis.scr, driven as a user drives it:
// real clicks, drags and keys, the real registry, the saver's picture on the
// screen.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <functional>
#include <set>
#include <map>
#include <string>
#include <vector>

#include "tests/saver/tellable_colours.h"
#include "tests/support/program_run.h"
#include "tests/support/screen_pixels.h"

using namespace testing_support;

namespace {

const char* const kScreenSaverKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char* const kDesktopKey = "Control Panel\\Desktop";
const char* const kHint3dfx = "If you have a 3dfx card, you should locate an OpenGL driver for it";
const char* const kHintActive = "You can pop up this configuration dialog while the saver is actually running:";
// The list on the "Presets" page, and the page order.
enum { kGeneral, kOpenGL, kScience, kVisuals, kPresets };
const int kGoldOnRed = 4;

// Every value under the saver's key, as type and bytes.
std::map<std::string, std::string> SaverKeySnapshot() {
  std::map<std::string, std::string> values;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSpiralisKey, 0, KEY_READ, &key)) return values;
  for (DWORD i = 0;; ++i) {
    char name[256];
    BYTE data[1024];
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize)) break;
    values[name] = std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataSize);
  }
  RegCloseKey(key);
  return values;
}

DWORD SaverNumber(const char* entry) {
  DWORD v = 0xDEADBEEF;
  GetRegistryNumber(kSpiralisKey, entry, v);
  return v;
}

struct FindChild {
  const char* cls;
  bool (*match)(HWND);
  HWND found = nullptr;
};

BOOL CALLBACK FindChildProc(HWND w, LPARAM p) {
  auto* f = reinterpret_cast<FindChild*>(p);
  if (lstrcmpiA(ClassOf(w).c_str(), f->cls) != 0 || !IsWindowVisible(w) || (f->match && !f->match(w))) return TRUE;
  f->found = w;
  return FALSE;
}

// The first visible descendant of `parent` of that window class (our controls
// register the class name of their toolkit class) that `match` accepts.
HWND Child(HWND parent, const char* cls, bool (*match)(HWND) = nullptr) {
  FindChild f{cls, match};
  EnumChildWindows(parent, FindChildProc, reinterpret_cast<LPARAM>(&f));
  return f.found;
}

int ActivePage(HWND dialog) {
  DWORD_PTR page = static_cast<DWORD_PTR>(-1);
  SendMessageTimeoutA(Child(dialog, "TPageControl"), TCM_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &page);
  return static_cast<int>(page);
}

// A rectangle a common control of another process writes into memory of its own.
RECT RemoteRect(HWND wnd, UINT msg, DWORD pid) {
  RECT r{};
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return r;
  if (void* remote = VirtualAllocEx(process, nullptr, sizeof r, MEM_COMMIT, PAGE_READWRITE)) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(wnd, msg, 0, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 2000, &ignored);
    ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return r;
}

// A key pressed with `modifier` held.
void KeyWith(WORD modifier, WORD vk) {
  INPUT in[4] = {};
  for (INPUT& k : in) k.type = INPUT_KEYBOARD;
  in[0].ki.wVk = modifier;
  in[1].ki.wVk = vk;
  in[2].ki.wVk = vk;
  in[2].ki.dwFlags = KEYEVENTF_KEYUP;
  in[3].ki.wVk = modifier;
  in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, in, sizeof(INPUT));
  PumpMessages(150);
}

bool InFront(HWND dialog);

// Clicks item `index` of the presets list, in front, and sees it picked.
void PickPreset(HWND dialog, int index) {
  HWND list = Child(dialog, "TListBox", [](HWND w) { return SendMessageA(w, LB_GETCOUNT, 0, 0) == 10; });
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(InFront(dialog));
  const int h = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  POINT p{20, index * h + h / 2};
  ClientToScreen(list, &p);
  ClickAt(p);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == index; }))
      << "the click picks the preset";
}

// Presses the thumb of `bar`, drags it down by `dy` pixels and, still holding
// it, calls `held`; returns the position it shows then.
int DragThumb(HWND bar, DWORD pid, int dy, const std::function<void()>& held = {}) {
  if (!bar) return -1;
  const RECT thumb = RemoteRect(bar, TBM_GETTHUMBRECT, pid);
  POINT p{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
  ClientToScreen(bar, &p);
  InputMoveTo(p.x, p.y);
  PumpMessages(50);
  InputClick(MOUSEEVENTF_LEFTDOWN, 0);
  for (int i = 1; i <= 4; ++i) {
    InputMoveTo(p.x, p.y + dy * i / 4);
    PumpMessages(50);
  }
  const int position = static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0));
  if (held) held();
  InputClick(MOUSEEVENTF_LEFTUP, 0);
  PumpUntil([&] { return GetCapture() == nullptr; }, 2000);
  return position;
}

// The track bar with that range (and position, if given).
HWND TrackBar(HWND dialog, int min, int max, int position = -1) {
  struct Wanted {
    int min, max, position;
  };
  static Wanted wanted;
  wanted = {min, max, position};
  return Child(dialog, "TScrTrackBar", [](HWND w) {
    return SendMessageA(w, TBM_GETRANGEMIN, 0, 0) == wanted.min && SendMessageA(w, TBM_GETRANGEMAX, 0, 0) == wanted.max &&
           (wanted.position < 0 || SendMessageA(w, TBM_GETPOS, 0, 0) == wanted.position);
  });
}

// Drags the thumb of the "Number of rings" track bar down by `dy` pixels;
// returns the position it shows then.
int DragRings(HWND dialog, DWORD pid, int dy) { return DragThumb(TrackBar(dialog, 2, 150), pid, dy); }

std::string SaverText(const char* entry) { return ReadRawEntry(kSpiralisKey, entry).bytes.c_str(); }

std::string WindowText(HWND w) {
  char text[512] = {};
  DWORD_PTR ignored;
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &ignored);
  return text;
}

struct Texts {
  const char* cls;
  std::string all;
};

BOOL CALLBACK CollectText(HWND w, LPARAM p) {
  auto* t = reinterpret_cast<Texts*>(p);
  char name[64] = {};
  GetClassNameA(w, name, sizeof name);
  if (lstrcmpiA(name, t->cls) == 0 && IsWindowVisible(w)) t->all += WindowText(w) + " ";
  return TRUE;
}

// The texts of the visible windows of that class, in the dialog's order.
std::string VisibleTexts(HWND dialog, const char* cls) {
  Texts t{cls, ""};
  EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(&t));
  return t.all;
}

void PressCtrlShiftTab() {
  INPUT in[6] = {};
  const WORD keys[3] = {VK_CONTROL, VK_SHIFT, VK_TAB};
  for (int i = 0; i < 3; ++i) {
    in[i].type = in[5 - i].type = INPUT_KEYBOARD;
    in[i].ki.wVk = in[5 - i].ki.wVk = keys[i];
    in[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInput(6, in, sizeof(INPUT));
  PumpMessages(150);
}

// Turns the pages with Ctrl+Tab, each turn seen done, until `page` shows.
bool TurnTo(HWND dialog, int page) {
  for (int turns = 0; turns < 5 && ActivePage(dialog) != page; ++turns) {
    const int before = ActivePage(dialog);
    KeyWith(VK_CONTROL, VK_TAB);
    if (!PumpUntil([&] { return ActivePage(dialog) != before; }, 5000)) return false;
  }
  return ActivePage(dialog) == page;
}

// Back a page with Ctrl+Shift+Tab, until `page` shows.
bool TurnBackTo(HWND dialog, int page) {
  PressCtrlShiftTab();
  return PumpUntil([&] { return ActivePage(dialog) == page; }, 5000);
}

// A galaxy shows in the window: among a grid of its pixels on the screen,
// the background and at least two colours of cells.
bool Drawing(HWND wnd) {
  RECT r{};
  GetClientRect(wnd, &r);
  std::set<unsigned> colours;
  for (int y = 1; y < 16; ++y)
    for (int x = 1; x < 16; ++x) colours.insert(ScreenPixel(wnd, r.right * x / 16, r.bottom * y / 16));
  return IsWindowVisible(wnd) && colours.size() >= 3;
}

// Keys go to the foreground window: the dialog must have become it (which
// comes some time after the request on a busy machine).
bool InFront(HWND dialog) {
  SetForegroundWindow(dialog);
  return PumpUntil([&] { return GetForegroundWindow() == dialog; }, 5000);
}

void ClickOn(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  PumpMessages(100);
}

class OptionsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetSaverSettings();
    SetRegistryNumber(kScreenSaverKey, "Mouse Threshold", 50);
    SetRegistryNumber(kScreenSaverKey, "Active Config", 1);
    SetRegistryNumber(kDesktopKey, "ScreenSaveUsePassword", 0);
    SetCursorPos(1000, 700);
  }
  void TearDown() override { ForgetSaverSettings(); }
  static void HintsShown() {
    SetRegistryNumber(kSpiralisKey, "Told3dfx", 1);
    SetRegistryNumber(kSpiralisKey, "ToldActive", 1);
  }
};

}  // namespace

TEST_F(OptionsDialog, ShowsEachFirstRunHintOnceOnItsPage) {
  struct Opening {
    const char* hint;  // null: none
    int page;
  };
  const Opening openings[] = {{kHint3dfx, kOpenGL}, {kHintActive, kGeneral}, {nullptr, kPresets}};
  for (const Opening& o : openings) {
    ProgramRun run("..\\Spiralis.scr", "/c");
    HWND dialog = run.ShownWindow("TConfigForm");
    ASSERT_NE(dialog, nullptr) << run.boxes();
    PumpUntil([&] { return !run.boxes().empty() || !o.hint; }, 5000);
    EXPECT_EQ(ActivePage(dialog), o.page);
    // The live preview shows, drawing, on the pages that have room for it.
    HWND preview = Child(dialog, "TScrPreview");
    EXPECT_EQ(preview != nullptr, o.page == kPresets);
    if (preview) {
      EXPECT_TRUE(PumpUntil([&] { return Drawing(preview); }, 10000)) << "the preview draws the galaxy";
    }
    const std::string boxes = run.boxes();
    if (o.hint) {
      EXPECT_EQ(boxes.rfind("Information|", 0), 0u) << boxes;
      EXPECT_NE(boxes.find(o.hint), std::string::npos) << boxes;
      EXPECT_EQ(boxes.find("Information|", 1), std::string::npos) << "one hint only: " << boxes;
    } else {
      EXPECT_EQ(boxes, "");
    }
    EXPECT_TRUE(InFront(dialog));
    InputKey(VK_ESCAPE);
    ASSERT_TRUE(run.Ended()) << "Esc closes the dialog";
  }
  EXPECT_EQ(SaverNumber("Told3dfx"), 1u);
  EXPECT_EQ(SaverNumber("ToldActive"), 1u);
}

TEST_F(OptionsDialog, OkSavesExactlyTheChangesAndCancelNothing) {
  for (const bool ok : {true, false}) {
    HintsShown();
    SetRegistryNumber(kSpiralisKey, "nRings", 60);
    const auto before = SaverKeySnapshot();
    int rings = -1;
    {
      ProgramRun run("..\\Spiralis.scr", "/c");
      HWND dialog = run.ShownWindow("TConfigForm");
      ASSERT_NE(dialog, nullptr) << run.boxes();
      PickPreset(dialog, kGoldOnRed);  // 19 rings, background maroon
      ASSERT_TRUE(InFront(dialog));
      ASSERT_TRUE(TurnTo(dialog, kVisuals));  // Presets -> General -> OpenGL -> Science -> Visuals
      EXPECT_NE(Child(dialog, "TScrPreview"), nullptr) << "the preview follows the page";
      EXPECT_EQ(VisibleTexts(dialog, "TScrComboBox"), "Olive Olive Black Maroon ") << "the colour lists follow";
      EXPECT_TRUE(TurnBackTo(dialog, kScience));
      EXPECT_NE(Child(dialog, "TScrPreview"), nullptr);
      rings = DragRings(dialog, run.pid(), 40);
      EXPECT_GT(rings, 19) << "the drag moved the thumb down";
      InputKey(ok ? VK_RETURN : VK_ESCAPE);
      ASSERT_TRUE(run.Ended());
    }
    const auto after = SaverKeySnapshot();
    if (!ok) {
      EXPECT_EQ(after, before) << "Cancel stores nothing";
      continue;
    }
    EXPECT_EQ(SaverNumber("nRings"), static_cast<DWORD>(rings));
    EXPECT_EQ(SaverNumber("Background"), 0x000080u);
    EXPECT_EQ(SaverNumber("Velocity"), 10u);
    EXPECT_EQ(SaverNumber("Probability"), 65u);
    // Nothing else changed: no entry went, what changed is the preset's, and
    // what came besides is a setting the dialog writes whole.
    const std::set<std::string> preset{"Background", "DarkMatter", "Density", "Depth", "Exhausted", "Explosion", "Eye",
                                       "Probability", "Replenished", "Speed", "Trails", "Velocity", "nRings", "ReStart"};
    const std::set<std::string> written{"Driver", "DriverPath", "FrameRate", "Mode", "Monitors"};
    for (const auto& [name, data] : before) {
      ASSERT_EQ(after.count(name), 1u) << name << " went";
      if (preset.count(name)) continue;
      EXPECT_EQ(after.at(name), data) << name;
    }
    for (const auto& entry : after)
      EXPECT_TRUE(before.count(entry.first) || preset.count(entry.first) || written.count(entry.first)) << entry.first;

    // The next full-screen run draws with them: its background is maroon.
    ProgramRun saver("..\\Spiralis.scr", "/s");
    HWND form = saver.ShownWindow("TSaverForm");
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(form, 2, 2) == 0x800000; }, 5000))
        << std::hex << ScreenPixel(form, 2, 2);
    InputKey('A');
    EXPECT_TRUE(saver.Ended());
  }
}

TEST_F(OptionsDialog, OverARunningSaverChangesItAndCancelPutsItBack) {
  HintsShown();
  SetRegistryNumber(kSpiralisKey, "Background", 0x000000);
  ProgramRun saver("..\\Spiralis.scr", "/s");
  HWND form = saver.ShownWindow("TSaverForm");
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(form, 2, 2) == 0x000000; }, 5000));
  ClickAt(POINT{600, 450}, true);
  HWND dialog = saver.ShownWindow("TConfigForm");
  ASSERT_NE(dialog, nullptr) << saver.boxes();
  EXPECT_EQ(ActivePage(dialog), kPresets);
  EXPECT_EQ(saver.boxes(), "") << "no hint over a running saver";

  PickPreset(dialog, kGoldOnRed);
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(form, 2, 2) == 0x800000; }, 5000))
      << "the running galaxy takes the preset: " << std::hex << ScreenPixel(form, 2, 2);
  InputKey(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog); }, 5000));
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(form, 2, 2) == 0x000000; }, 5000))
      << "Cancel brings the stored background back: " << std::hex << ScreenPixel(form, 2, 2);
  EXPECT_TRUE(saver.Running());
  EXPECT_EQ(SaverNumber("Background"), 0u);
  InputKey('A');
  EXPECT_TRUE(saver.Ended());
}

TEST_F(OptionsDialog, ADriverChosenWithTheFileDialogIsListedSelectedAndSaved) {
  HintsShown();
  const std::string driver = ProgramDir() + "\\drivers\\stub_basic.dll";
  ASSERT_TRUE(FileExists(driver));
  ProgramRun run("..\\Spiralis.scr", "/c");
  HWND dialog = run.ShownWindow("TConfigForm");
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(InFront(dialog));
  ASSERT_TRUE(TurnTo(dialog, kOpenGL));  // Presets -> General -> OpenGL
  HWND button = Child(dialog, "TButton", [](HWND w) { return WindowText(w) == "&Driver..."; });
  ASSERT_NE(button, nullptr);
  ClickOn(button);

  // The open dialog: the file name goes into its focused field, Enter takes it.
  HWND open = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (open = FindWindowA("#32770", nullptr)) && IsWindowVisible(open); }, 10000));
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  ASSERT_TRUE(PumpUntil([&] { return GetGUIThreadInfo(GetWindowThreadProcessId(open, nullptr), &gui) && gui.hwndFocus; }, 5000));
  DWORD_PTR ignored;
  SendMessageTimeoutA(gui.hwndFocus, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(driver.c_str()), SMTO_ABORTIFHUNG, 2000, &ignored);
  InputKey(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(open); }, 10000));

  HWND list = Child(dialog, "TListBox");
  ASSERT_NE(list, nullptr);
  // The list is filled again after the file dialog has gone.
  EXPECT_TRUE(PumpUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) > 1; }, 10000));
  const int selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  ASSERT_GE(selected, 0) << "the chosen driver is selected";
  wchar_t line[512] = {};  // the list is a Unicode window: its text crosses as such
  SendMessageW(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(line));
  EXPECT_NE(std::wstring(line).find(L"stub_basic.dll"), std::wstring::npos)
      << selected << " of " << SendMessageA(list, LB_GETCOUNT, 0, 0) << ": " << std::string(line, line + lstrlenW(line));
  // Enter would press the focused "Driver..." again, as in any dialog.
  ClickOn(Child(dialog, "TButton", [](HWND w) { return WindowText(w) == "OK"; }));
  ASSERT_TRUE(run.Ended());
  EXPECT_EQ(lstrcmpiA(SaverText("Driver").c_str(), driver.c_str()), 0) << SaverText("Driver");
  EXPECT_EQ(lstrcmpiA(SaverText("DriverPath").c_str(), driver.c_str()), 0) << SaverText("DriverPath");
}

// ---- The password delay on "General", as a new user meets it -------------------------

namespace {

DWORD StoredDelay() {
  DWORD v = 0xDEADBEEF;
  GetRegistryNumber(kScreenSaverKey, "Password Delay", v);
  return v;
}

// The window that has the keyboard focus in `dialog`'s thread.
HWND FocusOf(HWND dialog) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
  return gui.hwndFocus;
}

// Replaces the text of the focused edit with `digits`.
void RetypeFocused(const char* digits) {
  InputKey(VK_END);
  KeyWith(VK_SHIFT, VK_HOME);
  for (const char* d = digits; *d; ++d) InputKey(static_cast<WORD>(*d));
  PumpMessages(150);
}

class DelayOptions : public OptionsDialog {
 protected:
  void SetUp() override {
    OptionsDialog::SetUp();
    had_ = GetRegistryNumber(kScreenSaverKey, "Password Delay", old_);
    SetRegistryNumber(kScreenSaverKey, "Password Delay", 120);  // shown as 2 minutes
    HintsShown();
  }
  void TearDown() override {
    if (had_) {
      SetRegistryNumber(kScreenSaverKey, "Password Delay", old_);
    } else if (HKEY key; RegOpenKeyExA(HKEY_CURRENT_USER, kScreenSaverKey, 0, KEY_SET_VALUE, &key) == 0) {
      RegDeleteValueA(key, "Password Delay");
      RegCloseKey(key);
    }
    OptionsDialog::TearDown();
  }
  // The dialog of `run` on its "General" page, in front.
  static HWND OnGeneral(const ProgramRun& run) {
    HWND dialog = run.ShownWindow("TConfigForm");
    if (!dialog || !InFront(dialog)) return nullptr;
    return TurnTo(dialog, kGeneral) ? dialog : nullptr;  // Presets -> General
  }

 private:
  DWORD old_ = 0;
  bool had_ = false;
};

}  // namespace

// Another unit, then a spin: the spin button counts in the unit shown, from
// the figure shown, over the whole range of that unit.
TEST_F(DelayOptions, ASpinAfterAChangeOfUnitCountsInTheNewUnit) {
  ProgramRun run("..\\Spiralis.scr", "/c");
  HWND dialog = OnGeneral(run);
  ASSERT_NE(dialog, nullptr) << run.boxes();
  HWND edit = Child(dialog, "TScrEdit");
  HWND spin = Child(dialog, "TScrUpDown");
  HWND units = Child(dialog, "TScrComboBox", [](HWND w) { return SendMessageA(w, CB_GETCOUNT, 0, 0) == 2; });
  ASSERT_TRUE(edit && spin && units);
  ASSERT_EQ(WindowText(edit), "2");
  ASSERT_EQ(SendMessageA(units, CB_GETCURSEL, 0, 0), 1) << "minutes";

  ClickOn(units);  // the list drops down; Up and Enter pick "seconds"
  InputKey(VK_UP);
  InputKey(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageA(units, CB_GETCURSEL, 0, 0) == 0; })) << "seconds";
  EXPECT_EQ(HIWORD(SendMessageA(spin, UDM_GETRANGE, 0, 0)), 0);
  EXPECT_EQ(LOWORD(SendMessageA(spin, UDM_GETRANGE, 0, 0)), 3600) << "the whole range, in seconds";

  ClickOn(edit);
  RetypeFocused("90");
  ASSERT_EQ(WindowText(edit), "90");
  RECT r{};
  GetWindowRect(spin, &r);
  ClickAt(POINT{(r.left + r.right) / 2, r.top + (r.bottom - r.top) / 4});  // the up arrow
  EXPECT_TRUE(PumpUntil([&] { return WindowText(edit) == "91"; })) << WindowText(edit);
  InputKey(VK_RETURN);
  ASSERT_TRUE(run.Ended());
  EXPECT_EQ(StoredDelay(), 91u);
}

// OK with an invalid figure on a page the user has left brings that page
// forward with the focus in the edit; a valid figure then closes and stores.
TEST_F(DelayOptions, OkWithAnInvalidDelayOnAnotherPageShowsItAndThenStoresTheFix) {
  ProgramRun run("..\\Spiralis.scr", "/c");
  HWND dialog = OnGeneral(run);
  ASSERT_NE(dialog, nullptr) << run.boxes();
  HWND edit = Child(dialog, "TScrEdit");
  ASSERT_NE(edit, nullptr);
  ClickOn(edit);
  InputKey(VK_END);
  InputKey('X');
  PumpMessages(150);
  ASSERT_EQ(WindowText(edit), "2x");
  ASSERT_TRUE(TurnTo(dialog, kPresets));  // General -> OpenGL -> Science -> Visuals -> Presets

  InputKey(VK_RETURN);
  EXPECT_TRUE(PumpUntil([&] { return ActivePage(dialog) == kGeneral && FocusOf(dialog) == edit; }));
  EXPECT_TRUE(run.Running()) << "an invalid delay is not stored";
  EXPECT_EQ(ActivePage(dialog), kGeneral) << "its page comes forward";
  EXPECT_EQ(FocusOf(dialog), edit) << ClassOf(FocusOf(dialog)) << " has the focus";

  RetypeFocused("7");
  InputKey(VK_RETURN);
  ASSERT_TRUE(run.Ended()) << "a valid delay and Enter close the dialog";
  EXPECT_EQ(StoredDelay(), 420u) << "7 minutes";
}

// ---- One hint per opening; sliders that tell their figure -----------------------------

namespace {

BOOL CALLBACK CollectTrackBars(HWND w, LPARAM p) {
  char name[64] = {};
  GetClassNameA(w, name, sizeof name);
  if (lstrcmpiA(name, "TScrTrackBar") == 0) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
  return TRUE;
}

}  // namespace

// The first opening, left for another window and activated again (as after
// a link opened a browser), shows its one hint only, on its page.
TEST_F(OptionsDialog, AnOpeningActivatedAgainShowsNoSecondHint) {
  ProgramRun run("..\\Spiralis.scr", "/c");
  HWND dialog = run.ShownWindow("TConfigForm");
  ASSERT_NE(dialog, nullptr) << run.boxes();
  ASSERT_TRUE(PumpUntil([&] { return !run.boxes().empty(); }, 5000));
  ASSERT_EQ(ActivePage(dialog), kOpenGL);
  HWND other = CreateWindowExA(0, "STATIC", "elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 100,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  for (int i = 0; i < 2; ++i) {
    SetForegroundWindow(other);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == other; }, 5000));
    ASSERT_TRUE(InFront(dialog));
    // A second hint would come now, as the dialog is activated again.
    EXPECT_FALSE(PumpUntil([&] { return run.boxes().find(kHintActive) != std::string::npos; }, 500)) << run.boxes();
  }
  DestroyWindow(other);
  EXPECT_EQ(ActivePage(dialog), kOpenGL) << "the page stays";
  EXPECT_EQ(SaverNumber("ToldActive"), 0xDEADBEEFu) << "the second hint is still to come";
  InputKey(VK_ESCAPE);
  ASSERT_TRUE(run.Ended());
  EXPECT_EQ(run.boxes().find(kHintActive), std::string::npos) << "none came later either: " << run.boxes();
}

// Every slider of the dialog tells its figure while it is dragged: the
// setting as the user knows it, not the slider's position.
TEST_F(OptionsDialog, EverySliderTellsItsFigureWhileDragged) {
  HintsShown();
  ProgramRun run("..\\Spiralis.scr", "/c");
  HWND dialog = run.ShownWindow("TConfigForm");
  ASSERT_NE(dialog, nullptr) << run.boxes();
  ASSERT_TRUE(InFront(dialog));
  // Presets -> General -> OpenGL -> Science -> Visuals: every slider is made.
  // (The preview being built on "Science" may take a turn's key: the pages
  // are turned until "Visuals" shows.)
  for (int turns = 0; turns < 12 && ActivePage(dialog) != kVisuals; ++turns) {
    const int before = ActivePage(dialog);
    KeyWith(VK_CONTROL, VK_TAB);
    if (ActivePage(dialog) != before) continue;
    RECT tabs{};  // the focus went elsewhere: a click on the first tab brings it back
    GetWindowRect(Child(dialog, "TPageControl"), &tabs);
    ClickAt(POINT{tabs.left + 12, tabs.top + 8});
  }
  ASSERT_EQ(ActivePage(dialog), kVisuals);
  std::vector<HWND> bars;
  EnumChildWindows(dialog, CollectTrackBars, reinterpret_cast<LPARAM>(&bars));
  EXPECT_EQ(bars.size(), 10u);  // the galaxy's nine and the frame rate
  for (HWND bar : bars) EXPECT_NE(SendMessageA(bar, TBM_GETTOOLTIPS, 0, 0), 0) << bar;

  ASSERT_TRUE(TurnBackTo(dialog, kScience));  // where a real, an index and a count are
  struct Slider {
    const char* what;
    HWND bar;
    std::string (*figure)(int position);
  };
  const Slider sliders[] = {
      {"density", TrackBar(dialog, 0, 100, 10),
       [](int p) {
         char text[32];
         std::snprintf(text, sizeof text, "%g", p * 0.0005);  // 0..0.05 over 100 steps
         return std::string(text);
       }},
      {"speed", TrackBar(dialog, 0, 2), [](int p) { return std::string(p == 0 ? "Slow" : p == 1 ? "Medium" : "Fast"); }},
      {"rings", TrackBar(dialog, 2, 150), [](int p) { return std::to_string(p); }},
  };
  for (const Slider& s : sliders) {
    ASSERT_NE(s.bar, nullptr) << s.what;
    HWND tip = reinterpret_cast<HWND>(SendMessageA(s.bar, TBM_GETTOOLTIPS, 0, 0));
    std::string shown;
    const int position = DragThumb(s.bar, run.pid(), 30, [&] {
      PumpUntil([&] { return IsWindowVisible(tip) && !(shown = WindowText(tip)).empty(); }, 3000);
    });
    EXPECT_EQ(shown, s.figure(position)) << s.what << " at " << position;
  }
  InputKey(VK_ESCAPE);
  ASSERT_TRUE(run.Ended());
}

// The Monitors choice on the General page, picked with the mouse and the
// keyboard: OK stores it, Cancel stores nothing.
TEST_F(OptionsDialog, TheMonitorsChoiceIsStoredOnOkOnly) {
  for (const bool ok : {true, false}) {
    HintsShown();
    SetRegistryNumber(kSpiralisKey, "Monitors", 0);
    const auto before = SaverKeySnapshot();
    ProgramRun run("..\\Spiralis.scr", "/c");
    HWND dialog = run.ShownWindow("TConfigForm");
    ASSERT_NE(dialog, nullptr) << run.boxes();
    ASSERT_TRUE(InFront(dialog));
    ASSERT_TRUE(TurnTo(dialog, kGeneral));  // Presets -> General
    HWND monitors = Child(dialog, "TScrComboBox", [](HWND w) {
      return SendMessageA(w, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>("Primary monitor only")) != CB_ERR;
    });
    ASSERT_NE(monitors, nullptr);
    EXPECT_EQ(WindowText(monitors), "Each monitor");
    EXPECT_EQ(SendMessageA(monitors, CB_GETCOUNT, 0, 0), 3);
    ClickOn(monitors);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(monitors, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 5000));
    InputKey(VK_END);
    InputKey(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return WindowText(monitors) == "Primary monitor only"; }, 5000))
        << WindowText(monitors);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(monitors, CB_GETDROPPEDSTATE, 0, 0) == 0; }, 5000));
    InputKey(ok ? VK_RETURN : VK_ESCAPE);
    ASSERT_TRUE(run.Ended());
    if (ok)
      EXPECT_EQ(SaverNumber("Monitors"), 2u);
    else
      EXPECT_EQ(SaverKeySnapshot(), before) << "Cancel stores nothing";
  }
}

// ---- The buttons and the driver list ------------------------------------------------------

namespace {

HWND Button(HWND dialog, const char* text) {
  static std::string wanted;
  wanted = text;
  return Child(dialog, "TButton", [](HWND w) { return WindowText(w) == wanted; });
}

// The middle of the dialog's close box, where the system's hit test puts it.
POINT CloseBox(HWND dialog) {
  RECT r{}, box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
  GetWindowRect(dialog, &r);
  for (LONG y = r.top; y < r.top + 48; ++y)
    for (LONG x = r.right - 64; x < r.right; ++x) {
      DWORD_PTR hit = HTNOWHERE;
      SendMessageTimeoutA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit);
      if (hit != HTCLOSE) continue;
      box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
    }
  return POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

// The shown dialog of `run`, in front, on `page`; null when it does not come so.
HWND DialogOn(const ProgramRun& run, int page) {
  HWND dialog = run.ShownWindow("TConfigForm");
  return dialog && InFront(dialog) && TurnTo(dialog, page) ? dialog : nullptr;
}

}  // namespace

// "Fresh" on "Science" restarts the galaxy, a change like any other: the OK
// button stores it, the Cancel button and the close box drop it.
TEST_F(OptionsDialog, FreshIsStoredByTheOkButtonAndDroppedByCancelAndTheCloseBox) {
  struct Way {
    const char* what;
    bool stores;
    void (*close)(HWND dialog);
  };
  const Way ways[] = {
      {"OK", true, [](HWND d) { ClickOn(Button(d, "OK")); }},
      {"Cancel", false, [](HWND d) { ClickOn(Button(d, "Cancel")); }},
      {"close box", false, [](HWND d) { ClickAt(CloseBox(d)); }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    HintsShown();
    const auto before = SaverKeySnapshot();
    ProgramRun run("..\\Spiralis.scr", "/c");
    HWND dialog = DialogOn(run, kScience);
    ASSERT_NE(dialog, nullptr) << run.boxes();
    ASSERT_NE(Button(dialog, "Fresh"), nullptr);
    ClickOn(Button(dialog, "Fresh"));
    way.close(dialog);
    ASSERT_TRUE(run.Ended());
    if (way.stores)
      EXPECT_EQ(SaverNumber("ReStart"), 1u) << "the flipped restart is stored";
    else
      EXPECT_EQ(SaverKeySnapshot(), before) << "nothing is stored";
    ForgetSaverSettings();
  }
}

// A driver picked from the list with the mouse: a 3dfx card's driver offers
// that card's four screen modes, any other the display's; OK stores the one
// picked last.
TEST_F(OptionsDialog, ADriverPickedFromTheListSetsTheScreenModesAndIsStored) {
  HintsShown();
  const std::string voodoo = ProgramDir() + "\\drivers\\stub_full.dll";  // its version names 3Dfx
  ASSERT_TRUE(FileExists(voodoo));
  for (const char* entry : {"Driver", "DriverPath"}) WriteRawEntry(kSpiralisKey, entry, {true, REG_SZ, voodoo + '\0'});
  ProgramRun run("..\\Spiralis.scr", "/c");
  HWND dialog = DialogOn(run, kOpenGL);
  ASSERT_NE(dialog, nullptr) << run.boxes();
  HWND list = Child(dialog, "TListBox");
  HWND modes = Child(dialog, "TScrComboBox");
  ASSERT_TRUE(list && modes);
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  const int stored = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  ASSERT_GE(count, 2) << "the system's driver and the stored one";
  ASSERT_GT(stored, 0) << "the stored driver is selected, after the system's";
  auto line = [&](int i) {
    wchar_t text[512] = {};  // a Unicode window: its text crosses as such
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    const std::string s(text, text + lstrlenW(text));
    return s.substr(0, s.find(" - "));  // the file's name
  };
  ASSERT_EQ(line(stored), "stub_full.dll");
  auto firstMode = [&] {
    wchar_t text[64] = {};
    SendMessageW(modes, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    return std::string(text, text + lstrlenW(text));
  };
  EXPECT_EQ(SendMessageA(modes, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(firstMode(), "512x384");

  const int h = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  for (const int pick : {0, stored, 0}) {
    POINT p{20, pick * h + h / 2};
    ClientToScreen(list, &p);
    // A click on a busy machine can be lost: clicked again while the pick has not come.
    bool picked = false;
    for (int clicks = 0; clicks < 3 && !picked; ++clicks) {
      ClickAt(p);
      picked = PumpUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == pick; }, 10000);
    }
    ASSERT_TRUE(picked) << pick;
    const bool for3dfx = pick == stored;
    EXPECT_TRUE(PumpUntil([&] { return (firstMode() == "512x384") == for3dfx; })) << pick << ": " << firstMode();
    EXPECT_EQ(SendMessageA(modes, CB_GETCOUNT, 0, 0) == 4, for3dfx) << pick;
  }
  EXPECT_EQ(firstMode(), "normal");
  const std::string first = line(0);
  ClickOn(Button(dialog, "OK"));
  ASSERT_TRUE(run.Ended());
  const std::string driver = SaverText("Driver");
  EXPECT_EQ(lstrcmpiA(driver.substr(driver.rfind('\\') + 1).c_str(), first.c_str()), 0) << driver << " for " << first;
  EXPECT_EQ(lstrcmpiA(SaverText("DriverPath").c_str(), voodoo.c_str()), 0) << "the file dialog's folder stays";
}

namespace {

// HKEY_CLASSES_ROOT\<scheme>\shell\open\command, the program that opens such
// addresses, set to `command` while the keeper lives.
class AddressHandler {
 public:
  AddressHandler(const char* scheme, const std::string& command)
      : key_(std::string(scheme) + "\\shell\\open\\command") {
    LONG size = sizeof old_;
    had_ = RegQueryValueA(HKEY_CLASSES_ROOT, key_.c_str(), old_, &size) == ERROR_SUCCESS;
    RegSetValueA(HKEY_CLASSES_ROOT, key_.c_str(), REG_SZ, command.c_str(), 0);
  }
  ~AddressHandler() {
    if (had_) RegSetValueA(HKEY_CLASSES_ROOT, key_.c_str(), REG_SZ, old_, 0);
  }
  AddressHandler(const AddressHandler&) = delete;
  AddressHandler& operator=(const AddressHandler&) = delete;

 private:
  std::string key_;
  char old_[MAX_PATH] = {};
  bool had_ = false;
};

}  // namespace

// The two links on "OpenGL", clicked, open their addresses with the system's
// handler of the scheme (here one that writes down what it was given).
TEST_F(OptionsDialog, TheLinksOpenTheirAddresses) {
  HintsShown();
  TempDir dir;
  const std::string said = dir / "opened.txt";
  AddressHandler http("http", "cmd.exe /c echo %1>\"" + said + "\""), https("https", "cmd.exe /c echo %1>\"" + said + "\"");
  ProgramRun run("..\\Spiralis.scr", "/c");
  HWND dialog = DialogOn(run, kOpenGL);
  ASSERT_NE(dialog, nullptr) << run.boxes();
  HWND page = Child(dialog, "TTabSheet");
  ASSERT_NE(page, nullptr);
  struct Link {
    int top;  // on the page, as designed: the dialog is scaled from 459 pixels wide
    const char* address;
  };
  RECT client{};
  GetClientRect(dialog, &client);
  for (const Link& link : {Link{198, "https://www.khronos.org/opengl/wiki/Getting_Started"},
                           Link{304, "http://www.3dfx.com/downloads/"}}) {
    DeleteFileA(said.c_str());
    POINT p{20 * client.right / 459, (link.top + 6) * client.right / 459};
    ClientToScreen(page, &p);
    ClickAt(p);
    std::string text;
    // A new Wine process (cmd) on a busy machine: up to half a minute.
    EXPECT_TRUE(PumpUntil([&] { return (text = FileExists(said) ? ReadFile(said) : "").find('\n') != std::string::npos; }, 30000))
        << link.address;
    EXPECT_EQ(text.substr(0, text.find_last_not_of("\r\n ") + 1), link.address);
  }
  ClickOn(Button(dialog, "Cancel"));
  ASSERT_TRUE(run.Ended());
}
