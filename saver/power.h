#pragma once
// What the machine's power asks of the saver: nothing drawn while the
// display is off, fewer pictures while it is dimmed, on battery or with
// battery saver on. The state comes from the system's power notifications
// (WM_POWERBROADCAST with PBT_POWERSETTINGCHANGE) and, at start, from
// GetSystemPowerStatus.
#include <windows.h>

#include <vector>

#ifndef PBT_POWERSETTINGCHANGE
#define PBT_POWERSETTINGCHANGE 0x8013
#endif

enum class TDisplayPower { Off = 0, On = 1, Dimmed = 2 };

struct TSaverPower {
  TDisplayPower Display = TDisplayPower::On;
  bool OnBattery = false;
  bool BatterySaver = false;

  // Pictures a second at most on this power, from `rate` (0 for none
  // while the display is off): 10 while dimmed, 30 on battery or battery
  // saver.
  int CapRate(int rate) const;

  // Follows one power setting's change, as WM_POWERBROADCAST's
  // PBT_POWERSETTINGCHANGE gives it in its lParam (a POWERBROADCAST_SETTING:
  // the setting's GUID, the length of its data, the data); false when it is
  // none of the three settings or too short to read, which changes nothing.
  bool Follow(LPARAM setting);

  // The power source and battery saver as the system tells them now.
  static TSaverPower Current();
};

// The window's registrations for the display's state, the power source and
// battery saver; none where the system does not offer them (before
// Windows Vista, or a Wine that answers nothing).
class TPowerNotifications {
 public:
  TPowerNotifications() = default;
  TPowerNotifications(const TPowerNotifications&) = delete;
  TPowerNotifications& operator=(const TPowerNotifications&) = delete;
  ~TPowerNotifications() { Unregister(); }

  void Register(HWND window);
  void Unregister();

 private:
  std::vector<void*> handles_;
};
