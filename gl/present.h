#pragma once
// Showing OpenGL frames on hosts that do not show OpenGL drawn into child
// windows. Under Wine 8 a child window's GL frames never reach the X screen
// (each swap is copied to a drawable that does not exist), while a top-level
// window's do. On such hosts a frame is read back from the back buffer and
// painted with GDI through a DC of the top-level window, at the child's place.
// Windows shows child-window OpenGL itself and never needs this.
#include <windows.h>

#include <cstdint>
#include <vector>

// True when running under Wine (ntdll.dll exports "wine_get_version").
bool SglHostIsWine();

// Repaints one child window's OpenGL frames through its top-level window.
class SglReadbackPresenter {
 public:
  explicit SglReadbackPresenter(HWND child) : child_(child) {}
  SglReadbackPresenter(const SglReadbackPresenter&) = delete;
  SglReadbackPresenter& operator=(const SglReadbackPresenter&) = delete;

  // Call with the child's context current, after drawing and before the swap:
  // reads the back buffer (the child's client size) and paints it. False when
  // the window has gone, has no size, or has no top-level window to paint through.
  bool Present();

 private:
  HWND child_;
  std::vector<std::uint32_t> pixels_;
};
