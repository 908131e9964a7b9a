// The frame benchmark's scene, natively: a 1024x768 window, the real model
// stepped between frames (after 300 steps, so the galaxy is busy), and the
// galaxy's picture through the system's OpenGL (from buffers where the
// driver has them, with "arrays" from arrays in the processor's memory, with
// "immediate" one call per vertex), and the floor under it ("limit" and
// "array": see frame_bench.cpp). Prints one line in the same form
// as tools/frame-bench's frame_bench.exe.
//
//   frame_bench_native frame|arrays|immediate|empty|limit|array RINGS FRAMES [--size WxH]
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "galaxy/galaxy.h"
#include "galaxy/view.h"
#include "linux/system_gl.h"
#include "tools/frame-bench/frame_limit.h"

namespace {
double Ms(clockid_t clock) {
  timespec t;
  clock_gettime(clock, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: frame_bench_native frame|arrays|immediate|empty|limit|array RINGS FRAMES [--size WxH]\n");
    return 2;
  }
  const char* variant = argv[1];
  const int rings = std::atoi(argv[2]), frames = std::atoi(argv[3]);
  int w = 1024, h = 768;
  for (int i = 4; i + 1 < argc; ++i)
    if (!std::strcmp(argv[i], "--size")) std::sscanf(argv[++i], "%dx%d", &w, &h);

  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) return 3;
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
  XVisualInfo* vi = glXChooseVisual(dpy, DefaultScreen(dpy), attributes);
  if (!vi) return 4;
  XSetWindowAttributes a{};
  a.colormap = XCreateColormap(dpy, DefaultRootWindow(dpy), vi->visual, AllocNone);
  a.override_redirect = True;
  Window win = XCreateWindow(dpy, DefaultRootWindow(dpy), 0, 0, w, h, 0, vi->depth, InputOutput, vi->visual,
                             CWColormap | CWOverrideRedirect, &a);
  XMapWindow(dpy, win);
  GLXContext ctx = glXCreateContext(dpy, vi, nullptr, True);
  if (!ctx || !glXMakeCurrent(dpy, win, ctx)) return 5;

  TGalaxySettings settings;
  settings.Rings = rings;
  // The same galaxy in every run and every variant: its lit cells, and so
  // a frame's work, would otherwise swing with the seed.
  TLcgRandom random;
  TGalaxy galaxy(settings, random, [] { return 20261207u; });
  TGalaxyView view;
  TGalaxyGL table = SystemGalaxyGL();
  const bool empty = !std::strcmp(variant, "empty"), limit = !std::strcmp(variant, "limit");
  const bool array = !std::strcmp(variant, "array");
  if (!std::strcmp(variant, "immediate")) table.DrawArrays = nullptr;
  if (!std::strcmp(variant, "arrays") || limit || array) table = frame_limit::WithoutBuffers(table);
  view.Init(table, w, h);
  for (int i = 0; i < 300; ++i) galaxy.Step();

  std::unique_ptr<frame_limit::TSamples> samples;  // what `limit` and `array` replay
  GLuint lists = 0;
  auto now = [] { return static_cast<std::uint32_t>(Ms(CLOCK_MONOTONIC)); };
  auto frame = [&](int i, double& stepMs) {
    const double t0 = Ms(CLOCK_MONOTONIC);
    if (!samples) galaxy.Step();
    stepMs += Ms(CLOCK_MONOTONIC) - t0;
    if (samples && limit) {
      glCallList(lists + samples->Of(i));
    } else if (samples) {
      glClear(GL_COLOR_BUFFER_BIT);
      frame_limit::TKeptArrays::Replay(table, samples->Of(i));
    } else if (empty) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    } else {
      view.Draw(galaxy, w, h, 50.0, 500.0f, now());
    }
    glXSwapBuffers(dpy, win);
  };
  double stepMs = 0;
  for (int i = 0; i < 10; ++i) frame(i, stepMs);
  if (limit) {
    lists = glGenLists(frame_limit::TSamples::kSamples);
    GLuint next = lists;
    samples.reset(new frame_limit::TSamples(galaxy, view, frames, [&] {
      glNewList(next++, GL_COMPILE);
      view.Draw(galaxy, w, h, 50.0, 500.0f, now());
      glEndList();
    }));
  } else if (array) {
    view.Init(frame_limit::TKeptArrays::Recording(table), w, h);
    samples.reset(
        new frame_limit::TSamples(galaxy, view, frames, [&] { view.Draw(galaxy, w, h, 50.0, 500.0f, now()); }));
    view.Init(table, w, h);
  }
  glFinish();
  stepMs = 0;
  long lit = 0;
  const double cpu0 = Ms(CLOCK_PROCESS_CPUTIME_ID), t0 = Ms(CLOCK_MONOTONIC);
  long culled = 0;
  for (int i = 0; i < frames; ++i) {
    frame(i, stepMs);
    if (samples) {
      lit += samples->Lit(i);
      culled += samples->Culled(i);
      continue;
    }
    culled += view.CulledQuads();
    for (int c = 0; c < galaxy.CellCount(); ++c) lit += galaxy.Cells()[c] != 0;
  }
  glFinish();
  XSync(dpy, False);
  const double wall = Ms(CLOCK_MONOTONIC) - t0, cpu = Ms(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
  std::printf("variant=%s-native n=%d cells=%d frames=%d lit=%ld ms_per_frame=%.3f fps=%.1f cpu_ms_per_frame=%.3f "
              "step_ms=%.3f arrays=%d buffers=%d culled=%ld",
              variant, rings, galaxy.CellCount(), frames, lit / frames, wall / frames, 1000.0 * frames / wall,
              cpu / frames, stepMs / frames, view.UsesArrays() ? 1 : 0, view.UsesBuffers() ? 1 : 0, culled / frames);
  if (!std::strcmp(variant, "frame") || !std::strcmp(variant, "arrays")) {
    const frame_limit::TFrameParts parts = frame_limit::MeasureParts(
        galaxy, w, h, frames, [] { return Ms(CLOCK_MONOTONIC); }, view.UsesBuffers());
    std::printf(" view_ms=%.3f cull_ms=%.3f", parts.viewMs, parts.cullMs);
  }
  std::printf("\n");
  if (lists) glDeleteLists(lists, frame_limit::TSamples::kSamples);
  glXMakeCurrent(dpy, None, nullptr);
  glXDestroyContext(dpy, ctx);
  XDestroyWindow(dpy, win);
  XFree(vi);
  XCloseDisplay(dpy);
  return 0;
}
