// The galaxy's picture through the system's OpenGL in a real X window: from
// buffers on the driver's side, and from arrays when buffers are missing or
// fail, the same pixels. Needs an X display with GLX ($DISPLAY).
// gtest before X11, whose macros (None, Bool) it would take for its own.
#include <gtest/gtest.h>

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "galaxy/galaxy.h"
#include "galaxy/view.h"
#include "linux/system_gl.h"

namespace {

constexpr int W = 320, H = 240;

// A window of W x H with a current OpenGL context.
class GlWindow {
 public:
  GlWindow() {
    dpy_ = XOpenDisplay(nullptr);
    if (!dpy_) return;
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
    vi_ = glXChooseVisual(dpy_, DefaultScreen(dpy_), attributes);
    if (!vi_) return;
    XSetWindowAttributes a{};
    a.colormap = XCreateColormap(dpy_, DefaultRootWindow(dpy_), vi_->visual, AllocNone);
    win_ = XCreateWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, W, H, 0, vi_->depth, InputOutput, vi_->visual,
                         CWColormap, &a);
    ctx_ = glXCreateContext(dpy_, vi_, nullptr, True);
    ok_ = ctx_ && glXMakeCurrent(dpy_, win_, ctx_);
  }
  ~GlWindow() {
    if (!dpy_) return;
    glXMakeCurrent(dpy_, None, nullptr);
    if (ctx_) glXDestroyContext(dpy_, ctx_);
    if (win_) XDestroyWindow(dpy_, win_);
    if (vi_) XFree(vi_);
    XCloseDisplay(dpy_);
  }
  bool ok() const { return ok_; }

 private:
  Display* dpy_ = nullptr;
  XVisualInfo* vi_ = nullptr;
  Window win_ = 0;
  GLXContext ctx_ = nullptr;
  bool ok_ = false;
};

// A busy galaxy of `rings` whose cells hold every state in turn.
std::unique_ptr<TGalaxy> EveryState(int rings, TLcgRandom& random) {
  TGalaxySettings s;
  s.Rings = rings;
  s.Density = 0;
  s.Trails = static_cast<int>(FindGalaxySetting("trails")->Max);
  s.Probability = 100;
  s.Explosion = 0x40C0F0;
  s.Exhausted = 0x20FF10;
  s.Replenished = 0xF01080;
  auto g = std::make_unique<TGalaxy>(s, random, [] { return 3u; });
  // The trail grows, and the rings turn, while an explosion at the centre
  // keeps the galaxy busy.
  for (int i = 0; i < 1000 && g->TrailLength() < s.Trails; ++i) {
    for (int k = 1; k <= 6 && k < g->CellCount(); ++k) g->SetCell(k, 0);
    g->SetCell(0, g->ExplodeNow());
    g->Step();
  }
  for (int i = 0; i < g->CellCount(); ++i) g->SetCell(i, static_cast<std::uint8_t>(i * 7));
  return g;
}

std::vector<std::uint32_t> Pixels() {
  glFinish();
  std::vector<std::uint32_t> p(W * H);
  glReadPixels(0, 0, W, H, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
  return p;
}

PFNGLBUFFERSUBDATAPROC gRealBufferSubData = nullptr;
// An upload the driver refuses (GL_INVALID_VALUE: a negative offset).
void RefusedBufferSubData(unsigned target, std::ptrdiff_t, std::ptrdiff_t size, const void* data) {
  gRealBufferSubData(target, -1, size, data);
}

}  // namespace

// The frame from buffers against the frame from arrays, on every pixel where
// the arrays' frame is steady (drawn after other vertices first, Mesa may
// round a few edge pixels otherwise): not one differs. Nor does the frame of
// a table whose uploads the driver refuses.
TEST(GalaxyBuffersNative, DrawTheArraysFrame) {
  GlWindow window;
  ASSERT_TRUE(window.ok()) << "no OpenGL window on $DISPLAY";
  const TGalaxyGL buffers = SystemGalaxyGL();
  ASSERT_TRUE(buffers.HasBuffers()) << glGetString(GL_VERSION);
  TGalaxyGL arrays = buffers, refusing = buffers;
  arrays.GenBuffers = nullptr;
  gRealBufferSubData = reinterpret_cast<PFNGLBUFFERSUBDATAPROC>(buffers.BufferSubData);
  refusing.BufferSubData = RefusedBufferSubData;

  TLcgRandom otherRandom;
  auto other = EveryState(7, otherRandom);
  struct Case {
    int rings;
    double eye;
    float depth;
    std::uint32_t ms;
  };
  for (const Case& c : {Case{2, 0.0, 12.0f, 0}, Case{60, 50.0, 500.0f, 3000}, Case{150, 100.0, 500.0f, 20000}}) {
    const int rings = c.rings;
    SCOPED_TRACE(std::to_string(rings) + " rings");
    TLcgRandom random;
    auto g = EveryState(rings, random);
    TGalaxyView view;
    auto frame = [&](const TGalaxyGL& table, int history) {
      view.Init(table, W, H);
      for (int i = 0; i < history; ++i) view.Draw(*other, W, H, 0.0, 100.0f, 0);
      view.Invalidate();
      view.Draw(*g, W, H, c.eye, c.depth, c.ms);
      return Pixels();
    };
    const std::vector<std::uint32_t> reference = frame(arrays, 0);
    std::vector<bool> steady(reference.size(), true);
    for (int history : {1, 2, 3, 5}) {
      const std::vector<std::uint32_t> again = frame(arrays, history);
      for (size_t i = 0; i < reference.size(); ++i) steady[i] = steady[i] && again[i] == reference[i];
    }
    const std::vector<std::uint32_t> fromBuffers = frame(buffers, 0);
    EXPECT_TRUE(view.UsesBuffers());
    const std::vector<std::uint32_t> refused = frame(refusing, 0);
    EXPECT_FALSE(view.UsesBuffers());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    int compared = 0, differing = 0, differingRefused = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
      if (!steady[i]) continue;
      ++compared;
      differing += fromBuffers[i] != reference[i];
      differingRefused += refused[i] != reference[i];
    }
    EXPECT_EQ(differing, 0) << "of " << compared << " steady pixels";
    EXPECT_EQ(differingRefused, 0);
    EXPECT_GT(compared, W * H * 99 / 100);
    EXPECT_GT(std::set<std::uint32_t>(reference.begin(), reference.end()).size(), rings > 2 ? 100u : 3u);
  }
}
