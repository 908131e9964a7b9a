// The hack itself in real X windows on the test's display: what it draws,
// how it follows its window, and how it ends.
// GoogleTest before Xlib, whose macros (None, Status, Bool) would break it.
#include <gtest/gtest.h>

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "linux/tests/hack_process.h"

namespace {

class HackOnX : public testing::Test {
 protected:
  // One connection for the whole program: an X server whose last client
  // leaves resets itself and refuses connections meanwhile.
  // A request on a window the hack has not mapped yet, or has just
  // destroyed, fails and reads as nothing there: it does not end the tests.
  static void SetUpTestSuite() {
    dpy_ = XOpenDisplay(nullptr);
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  void SetUp() override { ASSERT_NE(dpy_, nullptr) << "no X display"; }

  Window MakeWindow(int w, int h, int x = 0, int y = 0) {
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.background_pixel = 0x777777;
    Window win = XCreateWindow(dpy_, DefaultRootWindow(dpy_), x, y, w, h, 0, CopyFromParent, InputOutput,
                               CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(dpy_, win);
    XSync(dpy_, False);
    return win;
  }

  // Pixels of `color` in the rectangle [x0, x1) x [y0, y1) of the window (-1: its edge).
  int Count(Window win, unsigned long color, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy_, win, &a) || a.map_state != IsViewable) return 0;
    x1 = x1 < 0 ? a.width : std::min(x1, a.width), y1 = y1 < 0 ? a.height : std::min(y1, a.height);
    XImage* image = XGetImage(dpy_, win, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    int n = 0;
    for (int y = y0; image && y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += (XGetPixel(image, x, y) & 0xFFFFFF) == color;
    if (image) XDestroyImage(image);
    return n;
  }
  // The bounds of the pixels that are neither `background` nor the -fps
  // overlay's white.
  struct Box {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
    double CentreX() const { return (left + right + 1) / 2.0; }
    double CentreY() const { return (top + bottom + 1) / 2.0; }
  };
  Box LitBox(Window win, unsigned long background) {
    Box b;
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy_, win, &a) || a.map_state != IsViewable) return b;
    XImage* image = XGetImage(dpy_, win, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    for (int y = 0; image && y < a.height; ++y)
      for (int x = 0; x < a.width; ++x) {
        const unsigned long p = XGetPixel(image, x, y) & 0xFFFFFF;
        if (p == background || p == 0xFFFFFF) continue;
        b.left = std::min(b.left, x), b.right = std::max(b.right, x);
        b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
      }
    if (image) XDestroyImage(image);
    return b;
  }
  // Whether the window comes to show at least `n` pixels of each colour.
  bool Shows(Window win, std::vector<unsigned long> colors, int n = 1) {
    return WaitFor(10000, [&] {
      for (unsigned long c : colors)
        if (Count(win, c) < n) return false;
      return true;
    });
  }

  static Display* dpy_;
};
Display* HackOnX::dpy_ = nullptr;

std::string Id(Window w) { return std::to_string(w); }

// A busy galaxy in colours nothing else on the screen has.
const std::vector<std::string> kVivid = {"-background", "#203040", "-explosion", "yellow", "-density", "100",
                                         "-probability", "60"};
constexpr unsigned long kBackground = 0x203040, kExplosion = 0xFFFF00, kWhite = 0xFFFFFF;

TEST_F(HackOnX, DrawsInTheGivenWindowFollowsItsSizeAndEndsOnSigterm) {
  const Window win = MakeWindow(300, 200);
  std::vector<std::string> args = kVivid;
  args.insert(args.end(), {"-window-id", Id(win), "-fps"});
  THack hack(args);
  ASSERT_TRUE(Shows(win, {kBackground, kExplosion}, 20)) << hack.Errors();
  // The frame rate, in white, in the top left corner only.
  EXPECT_TRUE(WaitFor(3000, [&] { return Count(win, kWhite, 0, 0, 120, 30) > 10; }));
  EXPECT_EQ(Count(win, kWhite, 0, 40), 0);

  // Larger: the galaxy reaches beyond the old 300 x 200 viewport.
  XResizeWindow(dpy_, win, 500, 400);
  XSync(dpy_, False);
  EXPECT_TRUE(WaitFor(5000, [&] { return Count(win, kExplosion, 300, 0) > 0 && Count(win, kExplosion, 0, 0, 300, 200) > 0; }));
  hack.Signal(SIGTERM);
  hack.ExpectEnd();
  EXPECT_EQ(hack.Errors(), "");

  // Shrunk to a tiny preview, the window shows both colours, and the galaxy
  // across most of it about the middle (the camera wanders, so not always
  // round): a viewport left from the larger window would show its corner, the
  // background. (Without the frame rate, which would cover the corner.)
  std::vector<std::string> plain = kVivid;
  plain.insert(plain.end(), {"-window-id", Id(win)});
  THack tiny(plain);
  ASSERT_TRUE(Shows(win, {kBackground, kExplosion}, 20)) << tiny.Errors();
  XResizeWindow(dpy_, win, 40, 30);
  XSync(dpy_, False);
  EXPECT_TRUE(Shows(win, {kBackground, kExplosion}));
  Box lit;
  EXPECT_TRUE(WaitFor(5000, [&] {
    lit = LitBox(win, kBackground);
    return lit.Width() >= 20 && lit.Height() >= 20 && std::abs(lit.CentreX() - 20) <= 6 &&
           std::abs(lit.CentreY() - 15) <= 5;
  })) << "lit " << lit.left << "," << lit.top << " to " << lit.right << "," << lit.bottom;
  tiny.Signal(SIGTERM);
  tiny.ExpectEnd();
  EXPECT_EQ(tiny.Errors(), "");
}

TEST_F(HackOnX, EndsWhenItsWindowIsDestroyedOrItsOwnWindowClosed) {
  const Window win = MakeWindow(120, 90);
  std::vector<std::string> args = kVivid;
  args.insert(args.end(), {"--window-id", Id(win)});
  THack hack(args);
  ASSERT_TRUE(Shows(win, {kBackground, kExplosion})) << hack.Errors();
  XDestroyWindow(dpy_, win);
  XSync(dpy_, False);
  hack.ExpectEnd();

  // Its own window, named "Spiralis", closed as a window manager closes it.
  THack own(kVivid);
  Window named = 0;
  ASSERT_TRUE(WaitFor(5000, [&] {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(dpy_, DefaultRootWindow(dpy_), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count; ++i) {
      char* name = nullptr;
      if (XFetchName(dpy_, children[i], &name) && std::string(name) == "Spiralis") named = children[i];
      if (name) XFree(name);
    }
    if (children) XFree(children);
    return named != 0;
  }));
  ASSERT_TRUE(Shows(named, {kBackground, kExplosion})) << own.Errors();
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = named;
  close.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy_, "WM_DELETE_WINDOW", False));
  XSendEvent(dpy_, named, False, NoEventMask, &close);
  XSync(dpy_, False);
  own.ExpectEnd();
}

TEST_F(HackOnX, AWindowOpenGLCannotDrawOnGetsAChildThatFollowsItsSize) {
  // A visual of the screen without double buffering or a depth buffer.
  XVisualInfo pattern{};
  pattern.screen = DefaultScreen(dpy_);
  int count = 0;
  XVisualInfo* visuals = XGetVisualInfo(dpy_, VisualScreenMask, &pattern, &count);
  Visual* plain = nullptr;
  int depth = 0;
  for (int i = 0; i < count && !plain; ++i) {
    int dbl = 0, z = 0;
    glXGetConfig(dpy_, &visuals[i], GLX_DOUBLEBUFFER, &dbl);
    glXGetConfig(dpy_, &visuals[i], GLX_DEPTH_SIZE, &z);
    if ((!dbl || !z) && visuals[i].c_class == TrueColor) plain = visuals[i].visual, depth = visuals[i].depth;
  }
  XFree(visuals);
  if (!plain) {
    // Xvfb, as the test scripts start it, always has such a visual.
    const char* ci = std::getenv("CI");
    ASSERT_FALSE(ci && std::string(ci) == "true") << "no TrueColor visual without double buffering or depth";
    GTEST_SKIP() << "every visual has double buffering and depth";
  }
  XSetWindowAttributes a{};
  a.override_redirect = True;
  a.colormap = XCreateColormap(dpy_, DefaultRootWindow(dpy_), plain, AllocNone);
  a.border_pixel = 0;
  const Window win = XCreateWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 100, 80, 0, depth, InputOutput, plain,
                                   CWOverrideRedirect | CWColormap | CWBorderPixel, &a);
  XMapRaised(dpy_, win);
  std::vector<std::string> args = kVivid;
  args.insert(args.end(), {"-window-id", Id(win)});
  THack hack(args);
  ASSERT_TRUE(Shows(win, {kBackground, kExplosion})) << hack.Errors();
  XResizeWindow(dpy_, win, 400, 300);
  XSync(dpy_, False);
  EXPECT_TRUE(WaitFor(5000, [&] { return Count(win, kExplosion, 100, 80) > 0; }));
  hack.Signal(SIGTERM);
  hack.ExpectEnd();
  XDestroyWindow(dpy_, win);
  XFreeColormap(dpy_, a.colormap);
}

TEST_F(HackOnX, RootMeansXScreenSaversWindowOrElseTheRootWindow) {
  const Window win = MakeWindow(160, 120);
  std::vector<std::string> args = kVivid;
  args.push_back("--root");
  {
    THack hack(args, Id(win));
    ASSERT_TRUE(Shows(win, {kBackground, kExplosion})) << hack.Errors();
    hack.Signal(SIGTERM);
    hack.ExpectEnd();
  }
  XDestroyWindow(dpy_, win);
  // Without XSCREENSAVER_WINDOW, the root window, in the default colours: aqua on black.
  const Window root = DefaultRootWindow(dpy_);
  THack hack({"-root", "-density", "100", "-probability", "60"});
  ASSERT_TRUE(Shows(root, {0x000000, 0x00FFFF}, 50)) << hack.Errors();
  hack.Signal(SIGINT);
  hack.ExpectEnd();
  XClearWindow(dpy_, root);
  XSync(dpy_, False);
}

TEST_F(HackOnX, AMistakeNamesTheRangeAndTheUsageAndExitsOne) {
  THack hack({"-root", "-rings", "151"});
  hack.ExpectEnd(5000, 1);
  const std::string err = hack.Errors();
  EXPECT_EQ(err.substr(0, err.find('\n')), "spiralis: -rings 151: Number of rings takes 2 to 150");
  EXPECT_NE(err.find("\nusage: spiralis"), std::string::npos);
  // An X id no window has (the last a client of this server could be given).
  THack nowhere({"-window-id", "0x1ffffff0"});
  nowhere.ExpectEnd(5000, 1);
  EXPECT_EQ(nowhere.Errors(), "spiralis: no window 0x1ffffff0\n");
}

}  // namespace
