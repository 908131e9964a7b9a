// The real Spiralis-Setup.exe and its uninstaller, run silently the way a
// deployment tool runs them, in a Wine prefix that exists for these tests
// alone. What they leave is read back from the real file system, the real
// registry and the screen. The 32-bit build's tests run in a 32-bit prefix,
// where the 32-bit saver is installed; the 64-bit build's in a 64-bit one,
// where the 64-bit saver is (this build lives in x64/ inside the other).
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/saver/tellable_colours.h"
#include "tests/support/program_run.h"
#include "tests/support/screen_pixels.h"
#include "version.h"

using namespace testing_support;

namespace {

const char* const kDesktopKey = "Control Panel\\Desktop";
const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Spiralis";
const char* const kEarlierSaver = "C:\\windows\\system32\\earlier.scr";

constexpr bool k64Bit = sizeof(void*) == 8;
std::string BuildTop() { return ProgramDir() + (k64Bit ? "\\..\\.." : "\\.."); }
std::string SetupProgram() { return BuildTop() + "\\Spiralis-Setup.exe"; }
std::string ShippedSaver(const char* arch = SPIRALIS_ARCH) { return BuildTop() + "\\dist\\" + arch + "\\Spiralis.scr"; }

// The system folder of this program's kind, where the display control panel
// looks for its saver; the 32-bit one of 64-bit Windows ("" on 32-bit Windows).
std::string SaverFolder() {
  char dir[MAX_PATH] = "";
  GetSystemDirectoryA(dir, MAX_PATH);
  return dir;
}
std::string Wow64Folder() {
  char dir[MAX_PATH] = "";
  return GetSystemWow64DirectoryA(dir, MAX_PATH) ? dir : "";
}
std::string InstalledSaver() { return SaverFolder() + "\\Spiralis.scr"; }
bool AnyWow64Saver() { return !Wow64Folder().empty() && FileExists(Wow64Folder() + "\\Spiralis.scr"); }

// A text or number entry as text; `present` false when it is not there.
struct Entry {
  bool present = false;
  std::string text;
  DWORD number = 0;
};
// The setup program is a 32-bit program: its machine-wide entries are read
// in the 32-bit view.
Entry Read(HKEY root, const char* key, const char* name) {
  Entry e;
  HKEY k;
  const REGSAM view = root == HKEY_LOCAL_MACHINE ? KEY_WOW64_32KEY : 0;
  if (RegOpenKeyExA(root, key, 0, KEY_READ | view, &k) != ERROR_SUCCESS) return e;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(k, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::vector<char> data(size + 1, 0);
    e.present = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
                ERROR_SUCCESS;
    if (type == REG_DWORD) e.number = *reinterpret_cast<DWORD*>(data.data());
    else e.text = data.data();
  }
  RegCloseKey(k);
  return e;
}
void WriteText(const char* key, const char* name, const std::string& text) {
  WriteRawEntry(key, name, {true, REG_SZ, text + '\0'});
}
void Remove(const char* key, const char* name) { WriteRawEntry(key, name, {}); }

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The file's version resource as "major.minor.patch".
std::string FileVersion(const std::string& path) {
  DWORD ignored = 0, size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!size || !GetFileVersionInfoA(path.c_str(), 0, size, data.data()) ||
      !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &len))
    return "";
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u", unsigned{HIWORD(info->dwFileVersionMS)},
                unsigned{LOWORD(info->dwFileVersionMS)}, unsigned{HIWORD(info->dwFileVersionLS)});
  return text;
}

// Runs a program to its end; its exit code, or STILL_ACTIVE when it hung.
DWORD RunToEnd(const std::string& exe, const std::string& args) {
  ProgramRun run(exe, args);
  if (!run.started()) return ~0u;
  run.Ended(180000);
  return run.ExitCode();
}

// The uninstaller named by the uninstall entry, run silently in its own
// folder (so it ends when the uninstall is done, instead of handing over to
// a copy of itself).
DWORD Uninstall() {
  std::string line = Read(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").text;
  if (line.size() < 2 || line.rfind('"', 0) != 0) return ~0u;
  std::string exe = line.substr(1, line.find('"', 1) - 1);
  return RunToEnd(exe, "/S _?=" + exe.substr(0, exe.rfind('\\')));
}

// The quiet uninstall the way Windows runs it: the uninstaller hands over to
// a copy of itself and returns at once; true once that copy has removed the
// uninstaller and its folder as well as the entry.
bool UninstallAsWindowsDoes() {
  const std::string line = Read(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString").text;
  const std::size_t quote = line.find('"', 1);
  if (line.size() < 2 || line[0] != '"' || quote == std::string::npos) return false;
  const std::string exe = line.substr(1, quote - 1);
  if (RunToEnd(exe, line.substr(quote + 1)) != 0) return false;
  const std::string folder = exe.substr(0, exe.rfind('\\'));
  return PumpUntil([&] { return !Read(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion").present &&
                                GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES; },
                   60000);
}

class Setup : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryNumber(kDesktopKey, "ScreenSaveUsePassword", 0);
    ForgetSaverSettings();
  }
};

}  // namespace

// The setup program itself: Windows starts it with administrator rights (its
// manifest asks for them), and it carries the saver's version.
TEST_F(Setup, AsksForAdministratorRightsAndCarriesTheVersion) {
  HMODULE setup = LoadLibraryExA(SetupProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(setup, nullptr);
  HRSRC res = FindResourceA(setup, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // the process manifest
  const std::string manifest =
      res ? std::string(static_cast<const char*>(LockResource(LoadResource(setup, res))), SizeofResource(setup, res))
          : "";
  FreeLibrary(setup);
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos) << manifest;
  EXPECT_EQ(FileVersion(SetupProgram()), SPIRALIS_VERSION_TEXT);
}

// Install, make active, install again over a running saver, uninstall: what
// each step leaves behind.
TEST_F(Setup, InstallsActivatesUpgradesAndUninstallsPuttingTheEarlierSaverBack) {
  WriteText(kDesktopKey, "SCRNSAVE.EXE", kEarlierSaver);
  WriteText(kDesktopKey, "ScreenSaveActive", "0");

  // Silent: the shipped (stripped) saver in the system folder, the uninstall
  // entry with the version the saver carries; the desktop's saver untouched.
  ASSERT_EQ(RunToEnd(SetupProgram(), "/S"), 0u);
  ASSERT_TRUE(FileExists(InstalledSaver())) << InstalledSaver();
  EXPECT_FALSE(AnyWow64Saver());
  const std::string shipped = ReadFile(ShippedSaver());
  EXPECT_EQ(ReadFile(InstalledSaver()) == shipped, true);
  EXPECT_LT(shipped.size(), 8u << 20);
  EXPECT_EQ(FileVersion(InstalledSaver()), SPIRALIS_VERSION_TEXT);
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion").text, SPIRALIS_VERSION_TEXT);
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName").text, "Spiralis screen saver");
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher").text, "Vantrel");
  EXPECT_TRUE(SamePath(Read(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon").text, InstalledSaver() + ",0"));
  const DWORD kb = Read(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize").number;
  EXPECT_GE(kb, shipped.size() / 1024);
  EXPECT_LT(kb, shipped.size() / 1024 + 1024);
  EXPECT_EQ(Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").text, kEarlierSaver);
  EXPECT_EQ(Read(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive").text, "0");

  // A changed setting; then /ACTIVE over the first installation.
  SetRegistryNumber(kSpiralisKey, "nRings", 77);
  ASSERT_EQ(RunToEnd(SetupProgram(), "/S /ACTIVE"), 0u);
  const std::string active = Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").text;
  EXPECT_TRUE(SamePath(active, InstalledSaver())) << active;
  EXPECT_EQ(Read(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive").text, "1");
  DWORD rings = 0;
  EXPECT_TRUE(GetRegistryNumber(kSpiralisKey, "nRings", rings));
  EXPECT_EQ(rings, 77u);

  // The saver named there shows the galaxy, in the colours it is given.
  UseTellableColours();
  SetCursorPos(500, 400);
  // Marked as installed before (bytes past the program's end change nothing
  // of it): a replacement shows.
  WriteFile(InstalledSaver(), shipped + "installed before");
  {
    ProgramRun saver(active, "/s");
    ASSERT_NE(saver.ShownWindow("TSaverForm"), nullptr);
    const int total = GetSystemMetrics(SM_CXSCREEN) * GetSystemMetrics(SM_CYSCREEN);
    Tally shown;
    PumpUntil(
        [&] {
          shown = TallyOf(ScreenPixels({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
          return shown[Shown::kBackground] > total / 10 && shown[Shown::kExhausted] > 100;
        },
        15000);
    EXPECT_GT(shown[Shown::kBackground], total / 10);
    EXPECT_GT(shown[Shown::kExhausted], 100);

    // Installing again while it runs: it is asked to close, and the file is
    // replaced whole.
    ASSERT_TRUE(saver.Running());
    EXPECT_EQ(RunToEnd(SetupProgram(), "/S /ACTIVE"), 0u);
    EXPECT_TRUE(saver.Ended(5000));
    EXPECT_EQ(ReadFile(InstalledSaver()) == shipped, true);
    EXPECT_FALSE(FileExists(InstalledSaver() + ".new"));
  }
  // Installing again over the active saver keeps the earlier one on record.
  EXPECT_TRUE(SamePath(Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").text, InstalledSaver()));

  // The silent uninstall: file, uninstaller and entry gone, the earlier
  // saver back as it was, the user's settings kept.
  ASSERT_EQ(Uninstall(), 0u);
  EXPECT_FALSE(FileExists(InstalledSaver()));
  EXPECT_FALSE(AnyWow64Saver());
  EXPECT_FALSE(Read(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion").present);
  EXPECT_EQ(Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").text, kEarlierSaver);
  EXPECT_EQ(Read(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive").text, "0");
  EXPECT_TRUE(GetRegistryNumber(kSpiralisKey, "nRings", rings));
  EXPECT_EQ(rings, 77u);
}

// With no saver before Spiralis, uninstalling turns the screen saver off.
TEST_F(Setup, UninstallingTheOnlySaverTurnsTheScreenSaverOff) {
  Remove(kDesktopKey, "SCRNSAVE.EXE");
  WriteText(kDesktopKey, "ScreenSaveActive", "1");
  ASSERT_EQ(RunToEnd(SetupProgram(), "/S /ACTIVE"), 0u);
  EXPECT_TRUE(SamePath(Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").text, InstalledSaver()));
  ASSERT_EQ(Uninstall(), 0u);
  EXPECT_FALSE(Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").present);
  EXPECT_EQ(Read(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive").text, "0");
  EXPECT_FALSE(FileExists(InstalledSaver()));
}

// A saver that cannot be asked to close (a preview lives inside another
// program's window): silent setup stops with nothing changed, the running
// file whole.
TEST_F(Setup, StopsWithNothingChangedWhileTheSaverKeepsRunning) {
  ASSERT_EQ(RunToEnd(SetupProgram(), "/S"), 0u);
  WriteText(kDesktopKey, "SCRNSAVE.EXE", kEarlierSaver);
  const std::string marked = ReadFile(ShippedSaver()) + "installed before";  // a replacement would show
  WriteFile(InstalledSaver(), marked);
  TestWindow monitor(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ProgramRun preview(InstalledSaver(), "/p " + std::to_string(reinterpret_cast<UINT_PTR>(monitor.handle())));
  ASSERT_TRUE(PumpUntil([&] { return GetWindow(monitor.handle(), GW_CHILD) != nullptr; }, 10000));

  EXPECT_EQ(RunToEnd(SetupProgram(), "/S /ACTIVE"), 2u);
  EXPECT_TRUE(preview.Running());
  EXPECT_EQ(ReadFile(InstalledSaver()) == marked, true);
  EXPECT_FALSE(FileExists(InstalledSaver() + ".new"));
  EXPECT_EQ(Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").text, kEarlierSaver);
}

// On 64-bit Windows, over the 32-bit saver an earlier version installed into
// SysWOW64 as the active one: one saver is left, the 64-bit one in System32,
// now the active one, with the user's settings and one uninstall entry.
TEST_F(Setup, Replaces32BitSaverOf64BitWindowsKeepingItsSettings) {
  if (!k64Bit) GTEST_SKIP() << "a 64-bit Windows matter";
  const std::string earlier = Wow64Folder() + "\\Spiralis.scr";
  WriteFile(earlier, ReadFile(ShippedSaver("x86")));
  WriteText(kDesktopKey, "SCRNSAVE.EXE", earlier);
  SetRegistryNumber(kSpiralisKey, "nRings", 33);
  {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr,
                              &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, "DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>("0.9.0"), 6);
    RegCloseKey(k);
  }

  ASSERT_EQ(RunToEnd(SetupProgram(), "/S"), 0u);
  EXPECT_FALSE(FileExists(earlier));
  EXPECT_EQ(ReadFile(InstalledSaver()) == ReadFile(ShippedSaver()), true);
  EXPECT_TRUE(SamePath(Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").text, InstalledSaver()));
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion").text, FileVersion(InstalledSaver()));
  DWORD rings = 0;
  EXPECT_TRUE(GetRegistryNumber(kSpiralisKey, "nRings", rings));
  EXPECT_EQ(rings, 33u);

  EXPECT_TRUE(UninstallAsWindowsDoes());
  EXPECT_FALSE(FileExists(InstalledSaver()));
  EXPECT_FALSE(FileExists(earlier));
  EXPECT_EQ(Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").text, "");
}

// ---- The uninstaller ------------------------------------------------------------

namespace {

const char* const kEarlierKey = "Software\\Vantrel\\Spiralis Setup";
const char* const kPendingKey = "System\\CurrentControlSet\\Control\\Session Manager";

std::string UninstallerPath() {
  const std::string line = Read(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").text;
  return line.size() > 2 ? line.substr(1, line.find('"', 1) - 1) : "";
}

bool KeyExists(HKEY root, const char* key) {
  HKEY k;
  const REGSAM view = root == HKEY_LOCAL_MACHINE ? KEY_WOW64_32KEY : 0;  // the setup's view, as Read
  if (RegOpenKeyExA(root, key, 0, KEY_READ | view, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

// What the desktop's saver entries hold: "name|active" ("-" for an entry not there).
std::string DesktopSaver() {
  const Entry name = Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE");
  const Entry active = Read(HKEY_CURRENT_USER, kDesktopKey, "ScreenSaveActive");
  return (name.present ? name.text : "-") + "|" + (active.present ? active.text : "-");
}

// Everything the installation made is gone: the saver, the uninstall entry
// and the record of the earlier saver; and the uninstaller and its folder,
// unless it ran in place (_?=), where a program cannot remove itself.
void ExpectAllGone(const std::string& uninstaller = "") {
  EXPECT_FALSE(FileExists(InstalledSaver()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kEarlierKey));
  if (uninstaller.empty()) return;
  EXPECT_FALSE(FileExists(uninstaller)) << uninstaller;
  EXPECT_FALSE(FileExists(uninstaller.substr(0, uninstaller.rfind('\\')))) << "its folder";
}

}  // namespace

// What the uninstall leaves of the desktop's saver: whatever the user made
// active since the install stays; Spiralis still active gives way to the
// saver before it, with ScreenSaveActive as it was, removed if it was not there.
TEST_F(Setup, UninstallLeavesTheDesktopsSaverAsTheUserLastHadIt) {
  const struct {
    const char* what;
    bool activeBefore;  // ScreenSaveActive there before the install ("1")
    const char* chosenSince;  // another saver made active after the install, or null
    std::string after;
  } cases[] = {
      {"another saver chosen since", true, "C:\\windows\\system32\\chosen.scr", "C:\\windows\\system32\\chosen.scr|1"},
      {"ScreenSaveActive absent before", false, nullptr, std::string(kEarlierSaver) + "|-"},
      {"ScreenSaveActive on before", true, nullptr, std::string(kEarlierSaver) + "|1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteText(kDesktopKey, "SCRNSAVE.EXE", kEarlierSaver);
    if (c.activeBefore) {
      WriteText(kDesktopKey, "ScreenSaveActive", "1");
    } else {
      Remove(kDesktopKey, "ScreenSaveActive");
    }
    ASSERT_EQ(RunToEnd(SetupProgram(), "/S /ACTIVE"), 0u);
    ASSERT_TRUE(SamePath(Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").text, InstalledSaver()));
    if (c.chosenSince) WriteText(kDesktopKey, "SCRNSAVE.EXE", c.chosenSince);
    ASSERT_EQ(Uninstall(), 0u);
    EXPECT_EQ(DesktopSaver(), c.after);
    ExpectAllGone();
  }
}

// As Windows runs it from the list of programs: the uninstall string with
// /S, and no _?= (the uninstaller hands over to a copy of itself and ends at
// once); a saver running meanwhile is closed.
TEST_F(Setup, UninstallAsWindowsRunsItClosesTheRunningSaverAndRemovesEverything) {
  WriteText(kDesktopKey, "SCRNSAVE.EXE", kEarlierSaver);
  ASSERT_EQ(RunToEnd(SetupProgram(), "/S /ACTIVE"), 0u);
  const std::string uninstaller = UninstallerPath();
  ASSERT_TRUE(FileExists(uninstaller)) << uninstaller;
  SetCursorPos(500, 400);
  ProgramRun saver(InstalledSaver(), "/s");
  ASSERT_NE(saver.ShownWindow("TSaverForm"), nullptr);

  EXPECT_EQ(RunToEnd(uninstaller, "/S"), 0u);
  EXPECT_TRUE(saver.Ended(30000)) << "the running saver is closed";
  EXPECT_TRUE(PumpUntil([&] { return !FileExists(uninstaller) && !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); },
                        60000))
      << "the copy the uninstaller started finishes the work";
  ExpectAllGone(uninstaller);
  EXPECT_EQ(Read(HKEY_CURRENT_USER, kDesktopKey, "SCRNSAVE.EXE").text, kEarlierSaver);
}

// A saver file that cannot be removed now goes at the next restart.
TEST_F(Setup, UninstallLeavesAFileItCannotRemoveToTheNextRestart) {
  ASSERT_EQ(RunToEnd(SetupProgram(), "/S"), 0u);
  // Held open without leave to delete, as Windows holds a running program.
  HANDLE held = CreateFileA(InstalledSaver().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_FALSE(DeleteFileA(InstalledSaver().c_str()));
  Uninstall();
  CloseHandle(held);
  EXPECT_TRUE(FileExists(InstalledSaver()));
  // A list of pairs of names (REG_MULTI_SZ): the saver, and none to move it to.
  std::string pending(4096, '\0');
  HKEY pendingKey;
  DWORD size = static_cast<DWORD>(pending.size());
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPendingKey, 0, KEY_READ, &pendingKey) == ERROR_SUCCESS) {
    if (RegQueryValueExA(pendingKey, "PendingFileRenameOperations", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&pending[0]), &size) != ERROR_SUCCESS)
      size = 0;
    RegCloseKey(pendingKey);
  }
  pending.resize(size);
  for (char& c : pending) c = c ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : '|';
  std::string saver = InstalledSaver();
  CharLowerA(&saver[0]);
  EXPECT_NE(pending.find(saver.substr(saver.find(':') + 1) + "||"), std::string::npos) << pending;
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  DeleteFileA(InstalledSaver().c_str());
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPendingKey, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
    RegDeleteValueA(k, "PendingFileRenameOperations");
    RegCloseKey(k);
  }
}

// ---- Refusals, and the setup and uninstaller as a person runs them --------------

// Without administrator rights (the administrators' group for denying only, as
// in a standard user's token) setup stops at once with 740; a write the
// system folder refuses stops it with 2. Nothing is changed either way.
TEST_F(Setup, StopsWithNothingChangedWithoutAdministratorRightsOrWhenTheWriteFails) {
  if (FileExists(InstalledSaver())) {
    ASSERT_EQ(Uninstall(), 0u);
  }
  WriteText(kDesktopKey, "SCRNSAVE.EXE", kEarlierSaver);
  const std::string before = DesktopSaver();

  HANDLE own = nullptr, user = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                       0, &admins));
  SID_AND_ATTRIBUTES deny{admins, 0};
  ASSERT_TRUE(CreateRestrictedToken(own, 0, 1, &deny, 0, nullptr, 0, nullptr, &user)) << GetLastError();
  std::string line = "\"" + SetupProgram() + "\" /S /ACTIVE";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessAsUserA(user, nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process))
      << GetLastError();
  DWORD code = STILL_ACTIVE;
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, 740u) << "without administrator rights";
  for (HANDLE h : {process.hProcess, process.hThread, user, own}) CloseHandle(h);
  FreeSid(admins);
  EXPECT_FALSE(FileExists(InstalledSaver()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_EQ(DesktopSaver(), before);

  // A folder where the new copy of the saver would be written.
  const std::string blocker = InstalledSaver() + ".new";
  ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
  EXPECT_EQ(RunToEnd(SetupProgram(), "/S /ACTIVE"), 2u) << "a failed write";
  RemoveDirectoryA(blocker.c_str());
  EXPECT_FALSE(FileExists(InstalledSaver()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_EQ(DesktopSaver(), before);
}

namespace {

struct ButtonSearch {
  const char* text;  // without its '&'
  HWND found = nullptr;
};

BOOL CALLBACK FindButton(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<ButtonSearch*>(p);
  char text[128] = {};
  GetWindowTextA(w, text, sizeof text);
  std::string plain;
  for (const char* c = text; *c; ++c)
    if (*c != '&') plain += *c;
  if (plain != s->text || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
  s->found = w;
  return FALSE;
}

struct TopSearch {
  DWORD pid;
  ButtonSearch button;
};

BOOL CALLBACK FindTopWithButton(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<TopSearch*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == s->pid && IsWindowVisible(w)) EnumChildWindows(w, FindButton, reinterpret_cast<LPARAM>(&s->button));
  return !s->button.found;
}

// Whether `button` still stands as it did: there, shown, enabled, with `text`.
bool StillThere(HWND button, const char* text) {
  ButtonSearch same{text};
  return IsWindow(button) && !FindButton(button, reinterpret_cast<LPARAM>(&same));
}

// Clicks the enabled button of that text in a window of `run`, once there is
// one, until the click takes (the button goes, or changes): a click on a
// window just shown can be lost on a busy machine.
bool PressButton(const ProgramRun& run, const char* text) {
  TopSearch s{run.pid(), {text}};
  if (!PumpUntil([&] { return !EnumWindows(FindTopWithButton, reinterpret_cast<LPARAM>(&s)) || s.button.found; },
                 60000))
    return false;
  for (int clicks = 0; clicks < 3; ++clicks) {
    RECT r{};
    GetWindowRect(s.button.found, &r);
    ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    if (PumpUntil([&] { return !StillThere(s.button.found, text); }, 10000)) return true;
  }
  return false;
}

// The program file of process `pid` (a call of newer systems than the build names).
std::string ProcessFile(DWORD pid) {
  using QueryFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
  const auto query =
      reinterpret_cast<QueryFn>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA"));
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (process && query) query(process, 0, path, &size);
  if (process) CloseHandle(process);
  return path;
}

}  // namespace

// Setup through its pages: its finish page opens the installed saver's
// options; the uninstaller through its pages, told Yes to "remove your
// settings", leaves none of them.
TEST_F(Setup, ItsPagesEndInTheOptionsAndTheUninstallersYesRemovesTheSettings) {
  SetRegistryNumber(kSpiralisKey, "Told3dfx", 1);  // no first-run hint over the options
  SetRegistryNumber(kSpiralisKey, "ToldActive", 1);
  SetRegistryNumber(kSpiralisKey, "nRings", 77);
  {
    ProgramRun setup(SetupProgram(), "");
    for (const char* button : {"I Agree", "Install", "Finish"}) ASSERT_TRUE(PressButton(setup, button)) << button;
    EXPECT_TRUE(setup.Ended(60000));
    EXPECT_EQ(setup.ExitCode(), 0u);
  }
  HWND options = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (options = FindWindowA("TConfigForm", nullptr)) && IsWindowVisible(options); },
                        30000))
      << "\"Open the Spiralis options\" is checked at first";
  DWORD pid = 0;
  GetWindowThreadProcessId(options, &pid);
  EXPECT_TRUE(SamePath(ProcessFile(pid), InstalledSaver())) << ProcessFile(pid);
  PostMessageA(options, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(options); }, 10000));

  const std::string uninstaller = UninstallerPath();
  {
    ProgramRun uninstall(uninstaller, "_?=" + uninstaller.substr(0, uninstaller.rfind('\\')));
    for (const char* button : {"Uninstall", "Yes", "Close"}) ASSERT_TRUE(PressButton(uninstall, button)) << button;
    EXPECT_TRUE(uninstall.Ended(60000));
  }
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSpiralisKey)) << "the settings are gone";
  ExpectAllGone();
}
