// Shows and measures ways of getting a child window's OpenGL frames onto the
// screen (see docs/wine.md).
//
//   gl_present_bench show child|toplevel|hidden|popup [ms]
//       A white 400 x 300 top-level window at (100, 100) with a push button
//       at (240, 50) and a 160 x 120 area at (60, 50) cleared to RGB
//       (51, 153, 229) each frame: drawn into a plain child window; into the
//       child, read back and painted through the top-level window's DC (the
//       former way); on a hidden window, read back and painted into the child
//       (the layer's way, SglOffscreenPresenter); or into an owned top-level
//       popup over the same place. Take a screenshot meanwhile.
//   gl_present_bench bench [rounds] [width height]
//       Milliseconds per frame of 2000 quads drawn each of those ways (the
//       hidden window also without its swap), in alternating batches of 50
//       frames.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gl/present.h"
#include "gl/sgl.h"

#ifndef GL_BGRA_EXT
#define GL_BGRA_EXT 0x80E1
#endif

namespace {

const char* Class() {
  static const char* const name = [] {
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "SpiralisPresentBench";
    RegisterClassA(&wc);
    return wc.lpszClassName;
  }();
  return name;
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

HGLRC MakeContext(HDC dc) {
  const int format = sglBestPixelFormat(dc);
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  if (!format || !sglDescribePixelFormat(dc, format, sizeof pfd, &pfd) ||
      !sglSetPixelFormat(dc, format, &pfd))
    return nullptr;
  HGLRC rc = sglCreateContext(dc);
  if (rc) sglMakeCurrent(dc, rc);
  return rc;
}

void DrawQuads(int count) {
  sglMatrixMode(GL_PROJECTION);
  sglLoadIdentity();
  sgluOrtho2D(0, 1, 0, 1);
  sglBegin(GL_QUADS);
  for (int i = 0; i < count; ++i) {
    const float x = (i % 50) / 50.0f, y = (i / 50 % 40) / 40.0f;
    sglColor3f(x, y, 0.5f);
    sglVertex2f(x, y);
    sglVertex2f(x + 0.015f, y);
    sglVertex2f(x + 0.015f, y + 0.02f);
    sglVertex2f(x, y + 0.02f);
  }
  sglEnd();
}

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return 1000.0 * t.QuadPart / f.QuadPart;
}

HWND Window(DWORD exStyle, DWORD style, int x, int y, int w, int h, HWND parent) {
  return CreateWindowExA(exStyle, Class(), "", style, x, y, w, h, parent, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

// The former way: the child's own back buffer, painted through a DC of its
// top-level window (which shows only with ClientSideGraphics "N").
void PaintThroughTopLevel(HWND child, int width, int height, std::vector<std::uint32_t>& pixels) {
  pixels.resize(static_cast<size_t>(width) * height);
  sglReadPixels(0, 0, width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, pixels.data());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HWND top = GetAncestor(child, GA_ROOT);
  POINT origin{0, 0};
  MapWindowPoints(child, top, &origin, 1);
  HDC dc = GetDCEx(top, nullptr, DCX_CACHE);
  SetDIBitsToDevice(dc, origin.x, origin.y, width, height, 0, 0, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(top, dc);
}

// One way of showing a child's frames: where the context draws, and what
// shows the frame.
enum class Way { kChild, kTopLevel, kHidden, kHiddenNoSwap, kPopup };
const char* const kWayNames[] = {"child", "toplevel", "hidden", "hidden-noswap", "popup"};

class Shower {
 public:
  Shower(Way way, HWND top, int x, int y, int width, int height) : way_(way), width_(width), height_(height) {
    child_ = Window(0, WS_CHILD | WS_VISIBLE, x, y, width, height, top);
    childDc_ = GetDC(child_);
    if (way == Way::kPopup) {
      POINT at{x, y};
      ClientToScreen(top, &at);
      popup_ = Window(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WS_POPUP | WS_VISIBLE, at.x, at.y, width, height, top);
      dc_ = GetDC(popup_);
    } else if (way == Way::kHidden || way == Way::kHiddenNoSwap) {
      offscreen_ = std::make_unique<SglOffscreenPresenter>(child_, childDc_);
      dc_ = offscreen_->DC();
    } else {
      dc_ = childDc_;
    }
    rc_ = MakeContext(dc_);
  }
  ~Shower() {
    sglMakeCurrent(nullptr, nullptr);
    if (rc_) sglDeleteContext(rc_);
    offscreen_.reset();
    if (popup_) DestroyWindow(popup_);
    DestroyWindow(child_);
  }
  bool ok() const { return rc_ != nullptr; }
  void Current() { sglMakeCurrent(dc_, rc_); }
  // Call with the context current, after drawing.
  void Show() {
    if (way_ == Way::kTopLevel) PaintThroughTopLevel(child_, width_, height_, pixels_);
    if (offscreen_) offscreen_->Present();
    if (way_ != Way::kHiddenNoSwap) sglSwapBuffers(dc_);
  }

 private:
  Way way_;
  int width_, height_;
  HWND child_ = nullptr, popup_ = nullptr;
  HDC childDc_ = nullptr, dc_ = nullptr;
  HGLRC rc_ = nullptr;
  std::unique_ptr<SglOffscreenPresenter> offscreen_;
  std::vector<std::uint32_t> pixels_;
};

int Show(const std::string& how, DWORD ms) {
  int way = 0;
  while (way < 5 && how != kWayNames[way]) ++way;
  if (way == 5) return 2;
  HWND top = Window(0, WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr);
  CreateWindowExA(0, "BUTTON", "A button", WS_CHILD | WS_VISIBLE, 240, 50, 140, 40, top, nullptr,
                  GetModuleHandleA(nullptr), nullptr);
  {
    Shower shower(static_cast<Way>(way), top, 60, 50, 160, 120);
    if (!shower.ok()) {
      std::fprintf(stderr, "no context\n");
      return 1;
    }
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      Pump();
      sglViewport(0, 0, 160, 120);
      sglClearColor(0.2f, 0.6f, 0.9f, 0.0f);
      sglClear(GL_COLOR_BUFFER_BIT);
      shower.Show();
      Sleep(40);
    }
  }
  DestroyWindow(top);
  return 0;
}

int Bench(int rounds, int width, int height) {
  HWND top = Window(0, WS_POPUP | WS_VISIBLE, 0, 0, width + 40, height + 40, nullptr);
  std::vector<std::unique_ptr<Shower>> showers;
  for (int way = 0; way < 5; ++way) {
    showers.push_back(std::make_unique<Shower>(static_cast<Way>(way), top, 20, 20, width, height));
    if (!showers.back()->ok()) {
      std::fprintf(stderr, "no context for %s\n", kWayNames[way]);
      return 1;
    }
    sglViewport(0, 0, width, height);
  }
  auto frame = [&](Shower& shower) {
    sglClear(GL_COLOR_BUFFER_BIT);
    DrawQuads(2000);
    shower.Show();
    Pump();
  };
  for (auto& shower : showers) {  // warm up every way
    shower->Current();
    for (int i = 0; i < 10; ++i) frame(*shower);
  }
  double total[5] = {};
  const int batch = 50;
  for (int r = 0; r < rounds; ++r)
    for (int way = 0; way < 5; ++way) {
      showers[way]->Current();
      const double start = Now();
      for (int i = 0; i < batch; ++i) frame(*showers[way]);
      sglFinish();
      total[way] += Now() - start;
    }
  const double plain = total[0] / (rounds * batch);
  std::printf("%dx%d, 2000 quads, %d frames each way (ms/frame, ratio to the plain child):\n", width, height,
              rounds * batch);
  for (int way = 0; way < 5; ++way) {
    const double ms = total[way] / (rounds * batch);
    std::printf("  %-14s %6.2f  %.2f\n", kWayNames[way], ms, ms / plain);
  }
  showers.clear();
  DestroyWindow(top);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (!sglLoadDriver("opengl32.dll")) {
    std::fprintf(stderr, "cannot load opengl32.dll\n");
    return 1;
  }
  std::printf("host is Wine: %s\n", HostIsWine() ? "yes" : "no");
  if (mode == "show" && argc > 2) return Show(argv[2], argc > 3 ? std::atoi(argv[3]) : 4000);
  if (mode == "bench")
    return Bench(argc > 2 ? std::atoi(argv[2]) : 5, argc > 4 ? std::atoi(argv[3]) : 640,
                 argc > 4 ? std::atoi(argv[4]) : 480);
  std::fprintf(stderr, "usage: gl_present_bench show child|toplevel|hidden|popup [ms] | bench [rounds] [w h]\n");
  return 2;
}
