#include "gl/present.h"

#include <algorithm>

#include "gl/sgl.h"
#include "toolkit/graphics.h"

#ifndef GL_BGRA_EXT
#define GL_BGRA_EXT 0x80E1
#endif

namespace {

const char* const kOffscreenClass = "SglOffscreenFrames";

bool RegisterOffscreenClass() {
  WNDCLASSA wc{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), kOffscreenClass, &wc)) return true;
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kOffscreenClass;
  return RegisterClassA(&wc) != 0;
}

SIZE ClientSize(HWND window) {
  RECT r{};
  if (!GetClientRect(window, &r)) return {0, 0};
  return {r.right, r.bottom};
}

}  // namespace

SglOffscreenPresenter::SglOffscreenPresenter(HWND shown, HDC shownDc) : shown_(shown), shownDc_(shownDc) {
  if (!IsWindow(shown) || !RegisterOffscreenClass()) return;
  const SIZE size = ClientSize(shown);
  // Never shown: no X window of it appears, but its back buffer is drawn.
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kOffscreenClass, "", WS_POPUP, 0, 0, std::max<LONG>(size.cx, 1),
                            std::max<LONG>(size.cy, 1), nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window_) dc_ = GetDC(window_);
}

SglOffscreenPresenter::~SglOffscreenPresenter() {
  if (!window_) return;
  if (dc_) ReleaseDC(window_, dc_);
  DestroyWindow(window_);
}

void SglOffscreenPresenter::FollowSize() {
  if (!window_ || !IsWindow(shown_)) return;
  const SIZE size = ClientSize(shown_);
  if (size.cx <= 0 || size.cy <= 0) return;
  const SIZE now = ClientSize(window_);
  if (now.cx == size.cx && now.cy == size.cy) return;
  SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

bool SglOffscreenPresenter::Present() {
  if (!window_ || !shownDc_ || !IsWindow(shown_)) return false;
  const SIZE shown = ClientSize(shown_), drawn = ClientSize(window_);
  // Until the hidden window follows a new size, the frame drawn at the old
  // one is shown from the top-left corner.
  const int width = std::min(shown.cx, drawn.cx), height = std::min(shown.cy, drawn.cy);
  if (width <= 0 || height <= 0) return false;

  pixels_.resize(static_cast<size_t>(width) * height);
  sglPixelStorei(GL_PACK_ALIGNMENT, 4);
  sglReadPixels(0, drawn.cy - height, width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, pixels_.data());

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as OpenGL reads rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;

  // A child of another program's window (the control panel's preview) gets
  // its frames through that program's top-level window: only that shows.
  TForeignTopLevelDC foreign(shown_);
  if (foreign.DC()) {
    const POINT origin = foreign.Origin();
    return SetDIBitsToDevice(foreign.DC(), origin.x, origin.y, width, height, 0, 0, 0, height, pixels_.data(),
                             &info, DIB_RGB_COLORS) == height;
  }
  const int lines =
      SetDIBitsToDevice(shownDc_, 0, 0, width, height, 0, 0, 0, height, pixels_.data(), &info, DIB_RGB_COLORS);
  return lines == height;
}
