#include "saver/power.h"

#include <cstring>

namespace {

// The power settings' GUIDs, as the system's headers for Windows 8 and
// later define them.
constexpr GUID kDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID kPowerSource = {0x5d3e9a59, 0xe9d5, 0x4b00, {0xa6, 0xbd, 0xff, 0x34, 0xff, 0x51, 0x65, 0x48}};
constexpr GUID kBatterySaver = {0xe00958c0, 0xc213, 0x4ace, {0xac, 0x77, 0xfe, 0xcc, 0xed, 0x2e, 0xee, 0xa5}};

constexpr int kDimmedRate = 10;
constexpr int kBatteryRate = 30;

// The head of a POWERBROADCAST_SETTING, its data following.
struct TSettingHead {
  GUID PowerSetting;
  DWORD DataLength;
};

bool Same(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

using TRegister = void*(WINAPI*)(HANDLE, const GUID*, DWORD);
using TUnregister = BOOL(WINAPI*)(void*);

template <class F>
F User32(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

}  // namespace

int TSaverPower::CapRate(int rate) const {
  if (Display == TDisplayPower::Off) return 0;
  const int cap = Display == TDisplayPower::Dimmed ? kDimmedRate : OnBattery || BatterySaver ? kBatteryRate : 0;
  return cap && (rate <= 0 || rate > cap) ? cap : rate;
}

bool TSaverPower::Follow(LPARAM setting) {
  if (!setting) return false;
  TSettingHead head;
  std::memcpy(&head, reinterpret_cast<const void*>(setting), sizeof head);
  if (head.DataLength < sizeof(DWORD)) return false;
  DWORD data = 0;
  std::memcpy(&data, reinterpret_cast<const char*>(setting) + sizeof head, sizeof data);
  if (Same(head.PowerSetting, kDisplayState)) {
    Display = data == 0 ? TDisplayPower::Off : data == 2 ? TDisplayPower::Dimmed : TDisplayPower::On;
  } else if (Same(head.PowerSetting, kPowerSource)) {
    OnBattery = data != 0;  // on the battery, or a short-term source such as a UPS
  } else if (Same(head.PowerSetting, kBatterySaver)) {
    BatterySaver = data != 0;
  } else {
    return false;
  }
  return true;
}

TSaverPower TSaverPower::Current() {
  TSaverPower power;
  SYSTEM_POWER_STATUS status{};
  if (GetSystemPowerStatus(&status)) {
    power.OnBattery = status.ACLineStatus == 0;
    power.BatterySaver = (status.Reserved1 & 1) != 0;  // SystemStatusFlag: battery saver on
  }
  return power;
}

void TPowerNotifications::Register(HWND window) {
  Unregister();
  const auto registerFor = User32<TRegister>("RegisterPowerSettingNotification");
  if (!registerFor || !window) return;
  for (const GUID* setting : {&kDisplayState, &kPowerSource, &kBatterySaver})
    if (void* handle = registerFor(window, setting, DEVICE_NOTIFY_WINDOW_HANDLE)) handles_.push_back(handle);
}

void TPowerNotifications::Unregister() {
  const auto unregister = User32<TUnregister>("UnregisterPowerSettingNotification");
  if (unregister)
    for (void* handle : handles_) unregister(handle);
  handles_.clear();
}
