#include "framework/valuehooks.h"

#include <windows.h>

#include <optional>

TScrValuesProc SaveValuesToRegistryProc = nullptr;
TScrValuesProc LoadValuesFromRegistryProc = nullptr;
TScrGetSysValueProc GetSysValueProc = nullptr;
TScrWatchForFormRenamesProc WatchForFormRenamesProc = nullptr;

int SaveValuesToRegistry(TComponent* owner) {
  return owner && SaveValuesToRegistryProc ? SaveValuesToRegistryProc(owner) : 0;
}

int LoadValuesFromRegistry(TComponent* owner) {
  return owner && LoadValuesFromRegistryProc ? LoadValuesFromRegistryProc(owner) : 0;
}

void WatchForFormRenames(TScrFormClass* formClass, bool watch) {
  if (WatchForFormRenamesProc) WatchForFormRenamesProc(formClass, watch);
}

namespace {

struct SysEntry {
  const char* key;
  const char* entry;
  std::int32_t fallback;
};

constexpr const char* kSaverKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
constexpr const char* kDesktopKey = "Control Panel\\Desktop";

const SysEntry kSysEntries[] = {
    {kSaverKey, "Password Delay", 15}, {kSaverKey, "Mouse Threshold", 50}, {kSaverKey, "Mute Sound", 0},
    {kSaverKey, "Active Config", 0},   {kDesktopKey, "ScreenSaveUsePassword", 0},
};

// A missing entry is looked up once per process.
std::optional<std::int32_t> gSysCache[5];

}  // namespace

std::int32_t GetSysValue(TScrSysValue which, TComponent* owner) {
  const int i = static_cast<int>(which);
  if (i < 0 || i >= 5) return 0;
  if (gSysCache[i]) return *gSysCache[i];
  std::int32_t answer = 0;
  if (GetSysValueProc && GetSysValueProc(which, owner, answer)) return answer;

  const SysEntry& e = kSysEntries[i];
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, e.key, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return e.fallback;
  DWORD number = static_cast<DWORD>(e.fallback);
  DWORD size = sizeof number;
  if (RegQueryValueExA(key, e.entry, nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size) != ERROR_SUCCESS) {
    number = static_cast<DWORD>(e.fallback);
    gSysCache[i] = e.fallback;
  }
  RegCloseKey(key);
  return static_cast<std::int32_t>(number);
}
