#pragma once
// Showing OpenGL frames on hosts that do not show OpenGL drawn into child
// windows. Under Wine 8 a child window's GL frames never reach the X screen
// (each swap is copied to a drawable that does not exist), and a child window
// that holds a pixel format hides whatever else is drawn at its place. What
// Wine does show is ordinary GDI drawing in a child window (with its default
// client-side graphics). So on such a host the pixel format and the context
// live on a hidden top-level window of the child's size, and each frame is
// read back from its back buffer and painted into the child with GDI.
// Windows shows child-window OpenGL itself and never needs this
// (HostIsWine() in toolkit/sysutils.h tells the two apart).
#include <windows.h>

#include <cstdint>
#include <vector>

#include "toolkit/sysutils.h"

// A hidden window that draws for one shown child window.
class SglOffscreenPresenter {
 public:
  // `shown` is the child that shows the frames, `shownDc` a DC of it that
  // stays valid while this object lives. Makes the hidden window at the
  // child's client size; DC() is null when that failed.
  SglOffscreenPresenter(HWND shown, HDC shownDc);
  ~SglOffscreenPresenter();
  SglOffscreenPresenter(const SglOffscreenPresenter&) = delete;
  SglOffscreenPresenter& operator=(const SglOffscreenPresenter&) = delete;

  // The hidden window and its own DC: the one to set the pixel format on
  // and to make the context current with.
  HWND Window() const { return window_; }
  HDC DC() const { return dc_; }
  // Gives the hidden window the shown child's client size again.
  void FollowSize();
  // Call with the context current, after drawing and before the swap: reads
  // the back buffer and paints it into the shown child. False when either
  // window has gone or has no size.
  bool Present();

 private:
  HWND shown_;
  HDC shownDc_;
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
  std::vector<std::uint32_t> pixels_;
};
