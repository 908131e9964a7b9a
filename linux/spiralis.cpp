// spiralis: the galaxy as an XScreenSaver display mode. Xlib and GLX only.
//
// It draws in the window XScreenSaver gives it (--root with
// XSCREENSAVER_WINDOW, or -window-id), on the root window, or in a window of
// its own, follows that window's size, and ends cleanly on SIGTERM, SIGINT,
// the window's destruction or the window manager's close.
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "galaxy/galaxy.h"
#include "galaxy/view.h"
#include "linux/hack_options.h"
#include "linux/system_gl.h"

namespace {

volatile sig_atomic_t gStop = 0;
void OnStopSignal(int) { gStop = 1; }

// Errors about a window or drawable that has gone away end the run cleanly;
// others are reported and ignored.
bool gWindowGone = false;
int gGlxErrorBase = 0;
constexpr int kGlxBadDrawable = 2;  // GLX's own error code, after its error base
int OnXError(Display* display, XErrorEvent* e) {
  if (e->error_code == BadWindow || e->error_code == BadDrawable ||
      (gGlxErrorBase && e->error_code == gGlxErrorBase + kGlxBadDrawable)) {
    gWindowGone = true;
    return 0;
  }
  char text[128];
  XGetErrorText(display, e->error_code, text, sizeof text);
  std::fprintf(stderr, "spiralis: X error: %s (request %d)\n", text, e->request_code);
  return 0;
}

std::uint32_t NowMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<std::uint32_t>(static_cast<unsigned long long>(t.tv_sec) * 1000u + t.tv_nsec / 1000000);
}

class TDisplay {
 public:
  explicit TDisplay(const std::string& name) : Handle(XOpenDisplay(name.empty() ? nullptr : name.c_str())) {}
  ~TDisplay() {
    if (Handle) XCloseDisplay(Handle);
  }
  TDisplay(const TDisplay&) = delete;
  TDisplay& operator=(const TDisplay&) = delete;
  Display* Get() const { return Handle; }

 private:
  Display* Handle;
};

// A window this program made (its own top-level window, or a child that
// covers a host window whose visual OpenGL cannot draw on).
class TOwnedWindow {
 public:
  TOwnedWindow() = default;
  ~TOwnedWindow() { Reset(); }
  TOwnedWindow(const TOwnedWindow&) = delete;
  TOwnedWindow& operator=(const TOwnedWindow&) = delete;
  void Adopt(Display* display, Window window, Colormap colormap) {
    Reset();
    Dpy = display, Win = window, Map = colormap;
  }
  void Reset() {
    if (Dpy && Win && !gWindowGone) XDestroyWindow(Dpy, Win);
    if (Dpy && Map) XFreeColormap(Dpy, Map);
    Dpy = nullptr, Win = 0, Map = 0;
  }

 private:
  Display* Dpy = nullptr;
  Window Win = 0;
  Colormap Map = 0;
};

class TGlxContext {
 public:
  TGlxContext(Display* display, XVisualInfo* visual) : Dpy(display), Ctx(glXCreateContext(display, visual, nullptr, True)) {}
  ~TGlxContext() {
    if (!Ctx) return;
    glXMakeCurrent(Dpy, None, nullptr);
    glXDestroyContext(Dpy, Ctx);
  }
  TGlxContext(const TGlxContext&) = delete;
  TGlxContext& operator=(const TGlxContext&) = delete;
  GLXContext Get() const { return Ctx; }

 private:
  Display* Dpy;
  GLXContext Ctx;
};

struct TVisualInfoFree {
  void operator()(XVisualInfo* v) const { XFree(v); }
};
using TVisualInfo = std::unique_ptr<XVisualInfo, TVisualInfoFree>;

// Whether OpenGL can draw the galaxy on a window of this visual: RGBA,
// double-buffered, with a depth buffer.
bool GoodVisual(Display* display, XVisualInfo* v) {
  int use = 0, rgba = 0, dbl = 0, depth = 0;
  glXGetConfig(display, v, GLX_USE_GL, &use);
  glXGetConfig(display, v, GLX_RGBA, &rgba);
  glXGetConfig(display, v, GLX_DOUBLEBUFFER, &dbl);
  glXGetConfig(display, v, GLX_DEPTH_SIZE, &depth);
  return use && rgba && dbl && depth > 0;
}

TVisualInfo VisualOf(Display* display, Visual* visual) {
  XVisualInfo pattern{};
  pattern.visualid = XVisualIDFromVisual(visual);
  int count = 0;
  return TVisualInfo(XGetVisualInfo(display, VisualIDMask, &pattern, &count));
}

TVisualInfo ChooseVisual(Display* display, int screen) {
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1,
                      GLX_BLUE_SIZE, 1, None};
  return TVisualInfo(glXChooseVisual(display, screen, attributes));
}

Window MakeWindow(Display* display, Window parent, XVisualInfo* v, int x, int y, unsigned w, unsigned h,
                  Colormap& colormap) {
  colormap = XCreateColormap(display, parent, v->visual, AllocNone);
  XSetWindowAttributes a{};
  a.colormap = colormap;
  a.background_pixel = BlackPixel(display, v->screen);
  a.border_pixel = 0;
  a.event_mask = StructureNotifyMask | ExposureMask;
  return XCreateWindow(display, parent, x, y, w, h, 0, v->depth, InputOutput, v->visual,
                       CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &a);
}

// The frame rate in the top left corner, in the server's "fixed" font.
class TFpsOverlay {
 public:
  TFpsOverlay(Display* display, bool on) {
    if (!on) return;
    Font = XLoadQueryFont(display, "fixed");
    if (!Font) return;
    Dpy = display;
    Lists = glGenLists(96);
    glXUseXFont(Font->fid, 32, 96, Lists);
  }
  ~TFpsOverlay() {
    if (Lists) glDeleteLists(Lists, 96);
    if (Font) XFreeFont(Dpy, Font);
  }
  TFpsOverlay(const TFpsOverlay&) = delete;
  TFpsOverlay& operator=(const TFpsOverlay&) = delete;

  void Frame(std::uint32_t now, int width, int height) {
    if (!Font) return;
    ++Frames;
    if (now - Since >= 1000) {
      Rate = Frames * 1000.0 / (now - Since);
      Frames = 0, Since = now;
    }
    char text[32];
    std::snprintf(text, sizeof text, "FPS: %.1f", Rate);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glColor3f(1, 1, 1);
    glRasterPos2i(10, height - 10 - Font->ascent);
    glListBase(Lists - 32);
    glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
  }

 private:
  Display* Dpy = nullptr;
  XFontStruct* Font = nullptr;
  GLuint Lists = 0;
  unsigned Frames = 0;
  std::uint32_t Since = NowMs();
  double Rate = 0;
};

// The window given by XSCREENSAVER_WINDOW, if it names one.
Window HostWindowFromEnvironment() {
  const char* text = std::getenv("XSCREENSAVER_WINDOW");
  if (!text || !*text) return 0;
  char* end = nullptr;
  const unsigned long id = std::strtoul(text, &end, 0);
  return *end ? 0 : static_cast<Window>(id);
}

int Run(const THackSettings& settings) {
  TDisplay display(settings.Display);
  Display* dpy = display.Get();
  if (!dpy) {
    std::fprintf(stderr, "spiralis: cannot open display %s\n", XDisplayName(settings.Display.c_str()));
    return 1;
  }
  int glxEvents = 0;
  if (!glXQueryExtension(dpy, &gGlxErrorBase, &glxEvents)) {
    std::fprintf(stderr, "spiralis: the display has no OpenGL (GLX)\n");
    return 1;
  }
  XSetErrorHandler(OnXError);
  const int screen = DefaultScreen(dpy);

  // The window to follow: the host's, or our own top-level one.
  Window host = 0;
  if (settings.Target == THackTarget::WindowId) host = settings.WindowId;
  if (settings.Target == THackTarget::Root) {
    host = HostWindowFromEnvironment();
    if (!host) host = RootWindow(dpy, screen);
  }

  TOwnedWindow owned;
  Window drawable = 0;
  TVisualInfo visual;
  int width = 640, height = 480;
  if (host) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, host, &a)) {
      std::fprintf(stderr, "spiralis: no window 0x%lx\n", host);
      return 1;
    }
    width = a.width, height = a.height;
    XSelectInput(dpy, host, StructureNotifyMask);
    visual = VisualOf(dpy, a.visual);
    if (visual && GoodVisual(dpy, visual.get())) {
      drawable = host;
    } else {
      // OpenGL cannot draw on the host's visual: a child of it that covers it.
      visual = ChooseVisual(dpy, XScreenNumberOfScreen(a.screen));
      if (!visual) {
        std::fprintf(stderr, "spiralis: no OpenGL visual with double buffering and depth\n");
        return 1;
      }
      Colormap map = 0;
      drawable = MakeWindow(dpy, host, visual.get(), 0, 0, width, height, map);
      owned.Adopt(dpy, drawable, map);
      XMapWindow(dpy, drawable);
    }
  } else {
    visual = ChooseVisual(dpy, screen);
    if (!visual) {
      std::fprintf(stderr, "spiralis: no OpenGL visual with double buffering and depth\n");
      return 1;
    }
    Colormap map = 0;
    drawable = MakeWindow(dpy, RootWindow(dpy, screen), visual.get(), 0, 0, width, height, map);
    owned.Adopt(dpy, drawable, map);
    XStoreName(dpy, drawable, "Spiralis");
    Atom close = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(dpy, drawable, &close, 1);
    XMapWindow(dpy, drawable);
  }
  XSync(dpy, False);
  if (gWindowGone) return 0;

  TGlxContext context(dpy, visual.get());
  if (!context.Get() || !glXMakeCurrent(dpy, drawable, context.Get())) {
    std::fprintf(stderr, "spiralis: cannot make an OpenGL context\n");
    return 1;
  }

  TGalaxy galaxy(settings.Galaxy);
  TGalaxyView view;
  view.Init(SystemGalaxyGL(), width, height);
  TFpsOverlay fps(dpy, settings.Fps);
  const Atom wmProtocols = XInternAtom(dpy, "WM_PROTOCOLS", False);

  // The system's timers tick at most every 10 ms: the Fast setting's 1 ms
  // steps as often as that.
  const std::uint32_t interval = static_cast<std::uint32_t>(std::max(10, galaxy.TimerInterval()));
  const std::uint32_t start = NowMs();
  std::uint32_t due = start;
  while (!gStop && !gWindowGone) {
    while (XPending(dpy) && !gWindowGone) {
      XEvent e;
      XNextEvent(dpy, &e);
      if (e.type == DestroyNotify && (e.xdestroywindow.window == host || e.xdestroywindow.window == drawable)) {
        gWindowGone = true;
      } else if (e.type == ConfigureNotify && e.xconfigure.window == (host ? host : drawable)) {
        width = e.xconfigure.width, height = e.xconfigure.height;
        if (drawable != host && host) XResizeWindow(dpy, drawable, width, height);
        glViewport(0, 0, width, height);
        galaxy.SetCameraDirty(true);
      } else if (e.type == ClientMessage && e.xclient.message_type == wmProtocols) {
        gStop = 1;
      }
    }
    if (gStop || gWindowGone) break;
    const std::uint32_t now = NowMs();
    if (static_cast<std::int32_t>(now - due) < 0) {
      pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(due - now));
      continue;
    }
    galaxy.Step();
    view.Draw(galaxy, width, height, settings.Eye, static_cast<float>(settings.Depth), now - start);
    fps.Frame(now, width, height);
    glXSwapBuffers(dpy, drawable);
    XSync(dpy, False);
    due += interval;
    if (static_cast<std::int32_t>(NowMs() - due) > static_cast<std::int32_t>(interval)) due = NowMs();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  THackSettings settings;
  std::string message;
  switch (ParseHackOptions(argc, argv, settings, message)) {
    case THackParse::Help: std::fputs(HackUsage().c_str(), stdout); return 0;
    case THackParse::Error:
      std::fprintf(stderr, "spiralis: %s\n%s", message.c_str(), HackUsage().c_str());
      return 1;
    case THackParse::Run: break;
  }
  struct sigaction stop {};
  stop.sa_handler = OnStopSignal;
  sigemptyset(&stop.sa_mask);
  sigaction(SIGTERM, &stop, nullptr);
  sigaction(SIGINT, &stop, nullptr);
  return Run(settings);
}
