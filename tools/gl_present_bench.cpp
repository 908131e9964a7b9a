// Shows and measures ways of getting a child window's OpenGL frames onto the
// screen (see docs/wine.md).
//
//   gl_present_bench show child|readback|popup [ms]
//       A white 400 x 300 top-level window at (100, 100) whose 160 x 120 area
//       at (60, 50) is cleared to RGB (51, 153, 229) each frame: drawn into a
//       plain child window, a child window shown by read-back, or an owned
//       top-level popup over the same place. Take a screenshot meanwhile.
//   gl_present_bench bench [rounds] [width height]
//       Milliseconds per frame of a child window drawing 2000 quads, plain and
//       with the read-back presentation, in alternating batches of 50 frames.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gl/present.h"
#include "gl/sgl.h"

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

int Show(const std::string& how, DWORD ms) {
  HWND top = CreateWindowExA(0, Class(), "present", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND gl = how == "popup"
                ? CreateWindowExA(0, Class(), "gl", WS_POPUP | WS_VISIBLE, 160, 150, 160, 120, top,
                                  nullptr, GetModuleHandleA(nullptr), nullptr)
                : CreateWindowExA(0, Class(), "gl", WS_CHILD | WS_VISIBLE, 60, 50, 160, 120, top,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
  HDC dc = GetDC(gl);
  HGLRC rc = MakeContext(dc);
  if (!rc) {
    std::fprintf(stderr, "no context\n");
    return 1;
  }
  SglReadbackPresenter presenter(gl);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    Pump();
    sglViewport(0, 0, 160, 120);
    sglClearColor(0.2f, 0.6f, 0.9f, 0.0f);
    sglClear(GL_COLOR_BUFFER_BIT);
    if (how == "readback") presenter.Present();
    sglSwapBuffers(dc);
    Sleep(40);
  }
  sglMakeCurrent(nullptr, nullptr);
  sglDeleteContext(rc);
  ReleaseDC(gl, dc);
  DestroyWindow(top);
  return 0;
}

int Bench(int rounds, int width, int height) {
  HWND top = CreateWindowExA(0, Class(), "bench", WS_POPUP | WS_VISIBLE, 0, 0, width + 40,
                             height + 40, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND gl = CreateWindowExA(0, Class(), "gl", WS_CHILD | WS_VISIBLE, 20, 20, width, height, top,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  HDC dc = GetDC(gl);
  if (!MakeContext(dc)) {
    std::fprintf(stderr, "no context\n");
    return 1;
  }
  SglReadbackPresenter presenter(gl);
  sglViewport(0, 0, width, height);
  auto frame = [&](bool readback) {
    sglClear(GL_COLOR_BUFFER_BIT);
    DrawQuads(2000);
    if (readback) presenter.Present();
    sglSwapBuffers(dc);
    Pump();
  };
  for (int i = 0; i < 20; ++i) frame(i % 2);  // warm up both paths
  double total[2] = {0, 0};
  const int batch = 50;
  for (int r = 0; r < rounds; ++r)
    for (int readback = 0; readback < 2; ++readback) {
      const double start = Now();
      for (int i = 0; i < batch; ++i) frame(readback);
      sglFinish();
      total[readback] += Now() - start;
    }
  const double plain = total[0] / (rounds * batch), shown = total[1] / (rounds * batch);
  std::printf("%dx%d child, 2000 quads, %d frames each: plain %.2f ms/frame, read-back %.2f ms/frame, "
              "ratio %.2f\n",
              width, height, rounds * batch, plain, shown, shown / plain);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (!sglLoadDriver("opengl32.dll")) {
    std::fprintf(stderr, "cannot load opengl32.dll\n");
    return 1;
  }
  std::printf("host is Wine: %s\n", SglHostIsWine() ? "yes" : "no");
  if (mode == "show" && argc > 2) return Show(argv[2], argc > 3 ? std::atoi(argv[3]) : 4000);
  if (mode == "bench")
    return Bench(argc > 2 ? std::atoi(argv[2]) : 5, argc > 4 ? std::atoi(argv[3]) : 640,
                 argc > 4 ? std::atoi(argv[4]) : 480);
  std::fprintf(stderr, "usage: gl_present_bench show child|readback|popup [ms] | bench [rounds] [w h]\n");
  return 2;
}
