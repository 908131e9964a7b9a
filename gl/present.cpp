#include "gl/present.h"

#include "gl/sgl.h"

#ifndef GL_BGRA_EXT
#define GL_BGRA_EXT 0x80E1
#endif

bool SglHostIsWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

bool SglReadbackPresenter::Present() {
  if (!IsWindow(child_)) return false;
  RECT client;
  if (!GetClientRect(child_, &client)) return false;
  const int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) return false;
  HWND top = GetAncestor(child_, GA_ROOT);
  if (!top || top == child_) return false;

  pixels_.resize(static_cast<size_t>(width) * height);
  sglPixelStorei(GL_PACK_ALIGNMENT, 4);
  sglReadPixels(0, 0, width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, pixels_.data());

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as OpenGL reads rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;

  POINT origin{0, 0};
  MapWindowPoints(child_, top, &origin, 1);
  // A cache DC of the top-level window: it does not clip the child away.
  HDC dc = GetDCEx(top, nullptr, DCX_CACHE);
  if (!dc) return false;
  const int lines = SetDIBitsToDevice(dc, origin.x, origin.y, width, height, 0, 0, 0, height,
                                      pixels_.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(top, dc);
  return lines == height;
}
