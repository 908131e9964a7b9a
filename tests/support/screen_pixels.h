#pragma once
// What the display shows, read back: for tests and for the helper programs
// they start (header only, so a helper needs no test library).
#include <windows.h>

#include <vector>

namespace testing_support {

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

}  // namespace testing_support
