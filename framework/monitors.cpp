#include "framework/monitors.h"

#include <algorithm>

namespace {

TScrMonitor Describe(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!monitor || !GetMonitorInfoA(monitor, &info)) {
    const RECT primary = ScrPrimaryScreen();
    return {primary, primary, true};
  }
  return {info.rcMonitor, info.rcWork, (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
}

BOOL CALLBACK Collect(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  const TScrMonitor m = Describe(monitor);
  auto& out = *reinterpret_cast<std::vector<TScrMonitor>*>(list);
  if (m.Primary)
    out.insert(out.begin(), m);
  else
    out.push_back(m);
  return TRUE;
}

}  // namespace

std::vector<TScrMonitor> ScrMonitors() {
  std::vector<TScrMonitor> out;
  EnumDisplayMonitors(nullptr, nullptr, Collect, reinterpret_cast<LPARAM>(&out));
  if (out.empty()) {
    const RECT primary = ScrPrimaryScreen();
    out.push_back({primary, primary, true});
  }
  return out;
}

TScrMonitor ScrMonitorAt(POINT p) { return Describe(MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST)); }

RECT ScrVirtualScreen() {
  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int cx = GetSystemMetrics(SM_CXVIRTUALSCREEN), cy = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (cx <= 0 || cy <= 0) return ScrPrimaryScreen();
  return {x, y, x + cx, y + cy};
}

RECT ScrPrimaryScreen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

std::vector<RECT> ScrMonitorAreas(const std::vector<TScrMonitor>& monitors, POINT origin, int width, int height) {
  std::vector<RECT> out;
  const RECT client{0, 0, width, height};
  for (const TScrMonitor& m : monitors) {
    RECT area = m.Bounds;
    OffsetRect(&area, -origin.x, -origin.y);
    RECT shown;
    if (IntersectRect(&shown, &area, &client)) out.push_back(shown);
  }
  return out;
}

int ScrFastestRate(const std::vector<int>& rates) {
  int fastest = 0;
  for (int rate : rates) fastest = std::max(fastest, rate > 1 ? rate : 0);
  return fastest > 0 ? fastest : 60;
}

int ScrRefreshRate() {
  std::vector<int> rates;
  DISPLAY_DEVICEA device{};
  device.cb = sizeof device;
  for (DWORD i = 0; EnumDisplayDevicesA(nullptr, i, &device, 0); ++i, device.cb = sizeof device) {
    if (!(device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP)) continue;
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode))
      rates.push_back(static_cast<int>(mode.dmDisplayFrequency));
  }
  return ScrFastestRate(rates);
}
