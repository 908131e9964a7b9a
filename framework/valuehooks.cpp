#include "framework/valuehooks.h"

#include <windows.h>

#include <optional>

#include "framework/sysregistry.h"

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

const SysEntry kSysEntries[] = {
    {kScreenSaverKey, "Password Delay", 15},   {kScreenSaverKey, "Mouse Threshold", 50},
    {kScreenSaverKey, "Mute Sound", 0},        {kScreenSaverKey, "Active Config", 0},
    {kDesktopKey, "ScreenSaveUsePassword", 0},
};

// An entry that cannot be read as a number is looked up once per process.
std::optional<std::int32_t> gSysCache[5];

}  // namespace

std::int32_t GetSysValue(TScrSysValue which, TComponent* owner) {
  const int i = static_cast<int>(which);
  if (i < 0 || i >= 5) return 0;
  if (gSysCache[i]) return *gSysCache[i];
  std::int32_t answer = 0;
  if (GetSysValueProc && GetSysValueProc(which, owner, answer)) return answer;

  const SysEntry& e = kSysEntries[i];
  TSysKey key;
  if (key.Open(e.key) != ERROR_SUCCESS) return e.fallback;
  DWORD number = 0;
  if (ReadSysNumber(key.get(), e.entry, number) != ERROR_SUCCESS) {
    gSysCache[i] = e.fallback;
    return e.fallback;
  }
  return static_cast<std::int32_t>(number);
}
