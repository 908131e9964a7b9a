#pragma once
// What the display shows, read back: windows and pixels, for tests and for
// the helper programs they start (header only, so a helper needs no test
// library).
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// The class name of a window ("" when it is none).
inline std::string ClassOf(HWND w) {
  char name[128] = "";
  GetClassNameA(w, name, sizeof name);
  return name;
}

// The visible top-level window of class `cls` that process `pid` owns, or null.
inline HWND ShownWindowOf(DWORD pid, const char* cls) {
  for (HWND w = FindWindowExA(nullptr, nullptr, cls, nullptr); w; w = FindWindowExA(nullptr, w, cls, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// The screen's pixels in `area` (screen coordinates) as 0xRRGGBB, top row
// first.
inline std::vector<unsigned> ScreenPixels(const RECT& area) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (w <= 0 || h <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
  std::vector<unsigned> pixels(static_cast<const unsigned*>(bits), static_cast<const unsigned*>(bits) + w * h);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  for (unsigned& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

// The saver's tellable colours (tests/saver/tellable_colours.h) told apart on
// the screen: the background red, a cell green while it explodes, blue once
// exhausted and near black as that fades; anything else is other.
enum class Shown { kBackground, kExploding, kExhausted, kFaded, kOther };
inline Shown ShownAs(unsigned p) {
  const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  if (p == 0xFF0000u) return Shown::kBackground;
  if (r >= 60) return Shown::kOther;
  if (g > 200 && b < 60) return Shown::kExploding;
  if (b > 40 && g < 60) return Shown::kExhausted;
  return g < 40 && b <= 40 ? Shown::kFaded : Shown::kOther;
}

// How many of `pixels` show each colour.
struct Tally {
  int of[5] = {};
  int operator[](Shown s) const { return of[static_cast<int>(s)]; }
  int cells() const { return (*this)[Shown::kExploding] + (*this)[Shown::kExhausted] + (*this)[Shown::kFaded]; }
};
inline Tally TallyOf(const std::vector<unsigned>& pixels) {
  Tally t;
  for (unsigned p : pixels) ++t.of[static_cast<int>(ShownAs(p))];
  return t;
}

}  // namespace testing_support
