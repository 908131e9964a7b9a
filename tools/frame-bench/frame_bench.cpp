// Frame cost of the galaxy's picture under Wine and Mesa: a full-screen
// top-level window, the real model stepped between frames, and the renderer
// the saver uses. Variants:
//   frame      the saver's frame, drawn the way the driver allows (from buffers
//              on the driver's side where it has them)
//   arrays     the saver's frame from arrays in the processor's memory (a
//              driver without buffers)
//   immediate  the saver's frame one vertex at a time (a driver without arrays)
//   percell    one vertex at a time with the colour sent for every cell
//   empty      clear and swap only
//   monitors   the saver's frame on two monitors side by side, 1024x768 and
//              800x600 (a 1824x768 window, one picture per monitor);
//              monitors-across one picture across both, monitors-primary
//              the primary's picture and the second cleared
//   limit      the floor under `frame` and `arrays`: the frames of `arrays`
//              (16 of them, spread over the run) compiled once into display
//              lists and replayed, nothing else done per frame
//   array      those frames' arrays kept and drawn again: `limit` plus the
//              driver's copy of each array (no step, cull or fill)
// Prints one line: variant, rings, frames, lit cells per frame, ms per frame
// (wall clock), CPU ms per frame (this process), and the model's share; for
// `frame` and `arrays` also the view's own work a frame without a driver
// (view_ms: the camera, the cull and filling the array, or what is uploaded
// to buffers) and the cull's part of it (for arrays).
//
//   wine frame_bench.exe frame 60 300 [--size 1024x768]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "gl/sgl.h"
#include "galaxy/view.h"
#include "saver/galaxy_gl.h"
#include "saver/galaxy_monitors.h"
#include "tools/frame-bench/frame_limit.h"

namespace {

double CpuMs() {
  FILETIME c, e, k, u;
  GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
  auto ms = [](FILETIME f) { return ((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e4; };
  return ms(k) + ms(u);
}

double NowMs() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Every frame follows a step, and so sets the camera up again.
void DrawPerCell(TGalaxyView& view, const TGalaxy& g, int w, int h, float depth, std::uint32_t ms) {
  view.SetupCamera(w, h, g.Rings(), 50.0, ms);
  sglClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  sglMatrixMode(GL_MODELVIEW);
  sglPushMatrix();
  sglLoadIdentity();
  sglBegin(GL_QUADS);
  const auto& colors = g.ColorTable();
  ForEachGalaxyQuad(g, depth, [&](int state, float x0, float y0, float x1, float y1, float z) {
    sglColor3f(colors[state].Red, colors[state].Green, colors[state].Blue);
    sglVertex3f(x0, y0, z);
    sglVertex3f(x0, y1, z);
    sglVertex3f(x1, y1, z);
    sglVertex3f(x1, y0, z);
  });
  sglEnd();
  sglPopMatrix();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: frame_bench frame|arrays|immediate|percell|empty|monitors|monitors-across|monitors-primary|limit|array "
                 "RINGS FRAMES [--size WxH]\n");
    return 2;
  }
  const char* variant = argv[1];
  int rings = std::atoi(argv[2]), frames = std::atoi(argv[3]);
  int w = 1024, h = 768;
  for (int i = 4; i + 1 < argc; ++i)
    if (!std::strcmp(argv[i], "--size")) std::sscanf(argv[++i], "%dx%d", &w, &h);
  // monitors, monitors-across, monitors-primary: the Monitors setting's layouts.
  const bool monitors = !std::strncmp(variant, "monitors", 8);
  if (monitors) w = 1024 + 800, h = 768;
  const TMonitorLayout layout = !std::strcmp(variant, "monitors-across")    ? TMonitorLayout::Across
                                : !std::strcmp(variant, "monitors-primary") ? TMonitorLayout::Primary
                                                                            : TMonitorLayout::Each;
  const RECT primary{0, 0, 1024, 768}, second{1024, 0, 1024 + 800, 600};
  const std::vector<TGalaxyViewport> views =
      LayoutViewports({{primary, primary, true}, {second, second, false}}, layout, POINT{0, 0}, w, h);

  WNDCLASSA wc{};
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "FrameBench";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowExA(0, "FrameBench", "frame bench", WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr, nullptr,
                             wc.hInstance, nullptr);
  HDC dc = GetDC(wnd);
  if (!sglLoadDriver("opengl32.dll")) return 3;
  int bpp = -1, depthBits = 16, dbl = 1, acc = 1;
  int format = sglBestPixelFormat(dc, &bpp, &depthBits, &dbl, &acc);
  PIXELFORMATDESCRIPTOR pfd{};
  sglDescribePixelFormat(dc, format, sizeof pfd, &pfd);
  if (!format || !sglSetPixelFormat(dc, format, &pfd)) return 4;
  HGLRC rc = sglCreateContext(dc);
  if (!rc || !sglMakeCurrent(dc, rc)) return 5;

  TGalaxySettings settings;
  settings.Rings = rings;
  // The same galaxy in every run and every variant: its lit cells, and so
  // a frame's work, would otherwise swing with the seed.
  TLcgRandom random;
  TGalaxy galaxy(settings, random, [] { return 20261207u; });
  TGalaxyView view;
  TGalaxyGL table = SglGalaxyTable();
  const bool limit = !std::strcmp(variant, "limit"), array = !std::strcmp(variant, "array");
  if (!std::strcmp(variant, "immediate")) table.DrawArrays = nullptr;
  if (!std::strcmp(variant, "arrays") || limit || array) table = frame_limit::WithoutBuffers(table);
  view.Init(table, w, h);
  for (int i = 0; i < 300; ++i) galaxy.Step();  // a busy galaxy, not a fresh seed

  std::unique_ptr<frame_limit::TSamples> samples;  // what `limit` and `array` replay
  GLuint lists = 0;
  auto frame = [&](int i, double& stepMs) {
    double t0 = NowMs();
    if (!samples) galaxy.Step();
    stepMs += NowMs() - t0;
    std::uint32_t ms = GetTickCount();
    if (samples && limit) {
      sglCallList(lists + samples->Of(i));
    } else if (samples) {
      sglClear(GL_COLOR_BUFFER_BIT);
      frame_limit::TKeptArrays::Replay(table, samples->Of(i));
    } else if (!std::strcmp(variant, "empty")) {
      sglClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    } else if (monitors && !views.empty()) {
      view.DrawViewports(galaxy, views, w, h, 50.0, 500.0f, ms);
    } else if (!std::strcmp(variant, "percell")) {
      DrawPerCell(view, galaxy, w, h, 500.0f, ms);
    } else {
      view.Draw(galaxy, w, h, 50.0, 500.0f, ms);
    }
    sglSwapBuffers(dc);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  };
  double stepMs = 0;
  for (int i = 0; i < 10; ++i) frame(i, stepMs);
  stepMs = 0;
  if (limit) {
    lists = sglGenLists(frame_limit::TSamples::kSamples);
    int next = 0;
    samples.reset(new frame_limit::TSamples(galaxy, view, frames, [&] {
      sglNewList(lists + next++, GL_COMPILE);
      view.Draw(galaxy, w, h, 50.0, 500.0f, GetTickCount());
      sglEndList();
    }));
  } else if (array) {
    view.Init(frame_limit::TKeptArrays::Recording(table), w, h);
    samples.reset(new frame_limit::TSamples(galaxy, view, frames,
                                            [&] { view.Draw(galaxy, w, h, 50.0, 500.0f, GetTickCount()); }));
    view.Init(table, w, h);
  }
  long lit = 0, culled = 0;
  double cpu0 = CpuMs(), t0 = NowMs();
  for (int i = 0; i < frames; ++i) {
    frame(i, stepMs);
    if (samples) {
      culled += samples->Culled(i);
      lit += samples->Lit(i);
      continue;
    }
    culled += view.CulledQuads();
    for (int c = 0; c < galaxy.CellCount(); ++c) lit += galaxy.Cells()[c] != 0;
  }
  double wall = NowMs() - t0, cpu = CpuMs() - cpu0;
  std::printf("variant=%s n=%d cells=%d frames=%d lit=%ld ms_per_frame=%.3f fps=%.1f cpu_ms_per_frame=%.3f step_ms=%.3f culled=%ld size=%dx%d buffers=%d",
              variant, rings, galaxy.CellCount(), frames, lit / frames, wall / frames, 1000.0 * frames / wall,
              cpu / frames, stepMs / frames, culled / frames, w, h, view.UsesBuffers() ? 1 : 0);
  if (!std::strcmp(variant, "frame") || !std::strcmp(variant, "arrays")) {
    const frame_limit::TFrameParts parts = frame_limit::MeasureParts(galaxy, w, h, frames, NowMs, view.UsesBuffers());
    std::printf(" view_ms=%.3f cull_ms=%.3f", parts.viewMs, parts.cullMs);
  }
  std::printf("\n");
  if (lists) sglDeleteLists(lists, frame_limit::TSamples::kSamples);
  sglMakeCurrent(nullptr, nullptr);
  sglDeleteContext(rc);
  ReleaseDC(wnd, dc);
  DestroyWindow(wnd);
  return 0;
}
