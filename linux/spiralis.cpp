// spiralis: the galaxy as an XScreenSaver display mode. Xlib and GLX only.
//
// It draws in the window XScreenSaver gives it (--root with
// XSCREENSAVER_WINDOW, or -window-id), on the root window, or in a window of
// its own, follows that window's size, and ends cleanly on SIGTERM, SIGINT,
// the window's destruction or the window manager's close.
//
// Shaped as XScreenSaver's own GL hacks are: one state per window
// (TSpiralisState) and four entry points, InitSpiralis, ReshapeSpiralis,
// DrawSpiralis and FreeSpiralis, which the main loop calls.
//
// The galaxy steps at its Speed setting's pace; a step is drawn only when a
// picture is due: -delay microseconds after the end of the last one, as
// XScreenSaver's hacks draw, and no more often than the monitor shows them
// where RandR tells its refresh rate.
//
// With -record-animation it draws a given number of pictures into a film
// instead (linux/film.h), on a clock of its own that advances 1/30 s a
// picture however long a picture takes, and ends.
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "galaxy/galaxy.h"
#include "galaxy/pace.h"
#include "galaxy/view.h"
#include "linux/film.h"
#include "linux/hack_options.h"
#include "linux/system_gl.h"

namespace {

// The size of the window of our own (-window, or no switch).
constexpr int kDefaultWidth = 640, kDefaultHeight = 480;
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

// A mode's refresh rate: its pixel clock over the pixels of a whole frame.
double ModeRate(const XRRModeInfo& mode) {
  double lines = mode.vTotal;
  if (mode.modeFlags & RR_DoubleScan) lines *= 2;
  if (mode.modeFlags & RR_Interlace) lines /= 2;
  return mode.hTotal && lines > 0 ? static_cast<double>(mode.dotClock) / (mode.hTotal * lines) : 0;
}

// The refresh rate of the screen's fastest monitor, as RandR (1.3 or later,
// which reads the current modes without probing the monitors) tells it from
// their modes; 0 when it tells none (Xvfb's modes have no timings).
double RefreshRate(Display* display, Window root) {
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &event, &error) || !XRRQueryVersion(display, &major, &minor) ||
      (major == 1 && minor < 3))
    return 0;
  XRRScreenResources* screen = XRRGetScreenResourcesCurrent(display, root);
  if (!screen) return 0;
  double fastest = 0;
  for (int c = 0; c < screen->ncrtc; ++c) {
    XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, screen, screen->crtcs[c]);
    if (!crtc) continue;
    for (int m = 0; m < screen->nmode; ++m)
      if (crtc->mode != None && screen->modes[m].id == crtc->mode)
        fastest = std::max(fastest, ModeRate(screen->modes[m]));
    XRRFreeCrtcInfo(crtc);
  }
  XRRFreeScreenResources(screen);
  return fastest;
}

// The connection to the X server, once opened.
class TDisplay {
 public:
  TDisplay() = default;
  ~TDisplay() {
    if (handle_) XCloseDisplay(handle_);
  }
  TDisplay(const TDisplay&) = delete;
  TDisplay& operator=(const TDisplay&) = delete;
  // The display `name`, or $DISPLAY's when it is empty.
  Display* Open(const std::string& name) {
    return handle_ = XOpenDisplay(name.empty() ? nullptr : name.c_str());
  }
  Display* Get() const { return handle_; }

 private:
  Display* handle_ = nullptr;
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
    display_ = display, window_ = window, colormap_ = colormap;
  }
  void Reset() {
    if (display_ && window_ && !gWindowGone) XDestroyWindow(display_, window_);
    if (display_ && colormap_) XFreeColormap(display_, colormap_);
    display_ = nullptr, window_ = 0, colormap_ = 0;
  }

 private:
  Display* display_ = nullptr;
  Window window_ = 0;
  Colormap colormap_ = 0;
};

class TGlxContext {
 public:
  TGlxContext(Display* display, XVisualInfo* visual)
      : display_(display), context_(glXCreateContext(display, visual, nullptr, True)) {}
  ~TGlxContext() {
    if (!context_) return;
    glXMakeCurrent(display_, None, nullptr);
    glXDestroyContext(display_, context_);
  }
  TGlxContext(const TGlxContext&) = delete;
  TGlxContext& operator=(const TGlxContext&) = delete;
  GLXContext Get() const { return context_; }

 private:
  Display* display_;
  GLXContext context_;
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

// The frame rate and the quads of the frame in the top left corner, one
// line each, in the server's "fixed" font.
class TFpsOverlay {
 public:
  TFpsOverlay(Display* display, bool on) {
    if (!on) return;
    font_ = XLoadQueryFont(display, "fixed");
    if (!font_) return;
    display_ = display;
    lists_ = glGenLists(96);
    glXUseXFont(font_->fid, 32, 96, lists_);
  }
  ~TFpsOverlay() {
    if (lists_) glDeleteLists(lists_, 96);
    if (font_) XFreeFont(display_, font_);
  }
  TFpsOverlay(const TFpsOverlay&) = delete;
  TFpsOverlay& operator=(const TFpsOverlay&) = delete;

  // Whether it shows anything (-fps, and the font was found).
  bool On() const { return font_ != nullptr; }

  void Frame(std::uint32_t now, int width, int height, int polygons) {
    if (!font_) return;
    ++frames_;
    if (now - since_ >= 1000) {
      rate_ = frames_ * 1000.0 / (now - since_);
      frames_ = 0, since_ = now;
    }
    char fps[32], polys[32];
    std::snprintf(fps, sizeof fps, "FPS: %.1f", rate_);
    std::snprintf(polys, sizeof polys, "Polys: %d", polygons);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glPushAttrib(GL_ENABLE_BIT);  // the galaxy's own state comes back after the text
    glDisable(GL_DEPTH_TEST);
    glColor3f(1, 1, 1);
    const int top = height - 10 - font_->ascent;
    Line(fps, top);
    Line(polys, top - (font_->ascent + font_->descent));
    glPopAttrib();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
  }

 private:
  // One line of text, its baseline `y` pixels above the bottom edge.
  void Line(const char* text, int y) {
    glRasterPos2i(10, y);
    glListBase(lists_ - 32);
    glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
  }

  Display* display_ = nullptr;
  XFontStruct* font_ = nullptr;
  GLuint lists_ = 0;
  unsigned frames_ = 0;
  std::uint32_t since_ = NowMs();
  double rate_ = 0;
};

// One window's galaxy: what InitSpiralis makes, ReshapeSpiralis and
// DrawSpiralis use, and FreeSpiralis releases. Members are released in the
// reverse of their order here: the overlay, the galaxy and the context
// before the windows, the display last.
struct TSpiralisState {
  explicit TSpiralisState(const THackSettings& settings) : Settings(settings) {}
  TSpiralisState(const TSpiralisState&) = delete;
  TSpiralisState& operator=(const TSpiralisState&) = delete;

  const THackSettings& Settings;
  TDisplay Connection;
  Window Host = 0;      // the window followed (XScreenSaver's, the root, -window-id's); 0: our own
  Window Drawable = 0;  // where OpenGL draws: the host, or Owned
  TOwnedWindow Owned;   // our own window, or the child that covers the host
  TVisualInfo Visual;   // the drawable's
  std::optional<TGlxContext> Context;
  std::optional<TGalaxy> Galaxy;
  TGalaxyView View;
  std::optional<TFpsOverlay> Fps;
  Atom WmProtocols = 0;
  int Width = kDefaultWidth, Height = kDefaultHeight;
  std::uint32_t Start = 0;  // when drawing began: the camera's time 0
  THackPace Pace;           // when the next step is due, and whether a step is drawn
};

// How InitSpiralis ended: ready to draw, the window gone already (status 0),
// or an error that was reported (status 1).
enum class TInit { Ready, WindowGone, Failed };

// Opens the display, which must have GLX, and reports X errors from then on.
bool OpenDisplay(TSpiralisState& s) {
  Display* dpy = s.Connection.Open(s.Settings.Display);
  if (!dpy) {
    std::fprintf(stderr, "spiralis: cannot open display %s\n", XDisplayName(s.Settings.Display.c_str()));
    return false;
  }
  int glxEvents = 0;
  if (!glXQueryExtension(dpy, &gGlxErrorBase, &glxEvents)) {
    std::fprintf(stderr, "spiralis: the display has no OpenGL (GLX)\n");
    return false;
  }
  XSetErrorHandler(OnXError);
  return true;
}

// The window to follow: the host's, or none for our own top-level one.
Window HostWindow(const THackSettings& settings, Display* dpy) {
  if (settings.Target == THackTarget::WindowId) return settings.WindowId;
  if (settings.Target != THackTarget::Root) return 0;
  const Window host = HackEnvironmentWindow(std::getenv("XSCREENSAVER_WINDOW"));
  return host ? host : RootWindow(dpy, DefaultScreen(dpy));
}

// The drawable: a window of `s`'s size and of a visual OpenGL can draw on,
// a child of `parent` on `screen`, owned by `s` and not yet mapped.
bool MakeOwnWindow(TSpiralisState& s, Window parent, int screen) {
  Display* dpy = s.Connection.Get();
  s.Visual = ChooseVisual(dpy, screen);
  if (!s.Visual) {
    std::fprintf(stderr, "spiralis: no OpenGL visual with double buffering and depth\n");
    return false;
  }
  Colormap map = 0;
  s.Drawable = MakeWindow(dpy, parent, s.Visual.get(), 0, 0, s.Width, s.Height, map);
  s.Owned.Adopt(dpy, s.Drawable, map);
  return true;
}

// Draws on the host, or, when OpenGL cannot draw on its visual, on a child
// of it that covers it; follows the host's size and destruction.
bool UseHostWindow(TSpiralisState& s) {
  Display* dpy = s.Connection.Get();
  XWindowAttributes a;
  if (!XGetWindowAttributes(dpy, s.Host, &a)) {
    std::fprintf(stderr, "spiralis: no window 0x%lx\n", s.Host);
    return false;
  }
  s.Width = a.width, s.Height = a.height;
  XSelectInput(dpy, s.Host, StructureNotifyMask);
  s.Visual = VisualOf(dpy, a.visual);
  if (s.Visual && GoodVisual(dpy, s.Visual.get())) {
    s.Drawable = s.Host;
    return true;
  }
  if (!MakeOwnWindow(s, s.Host, XScreenNumberOfScreen(a.screen))) return false;
  XMapWindow(dpy, s.Drawable);
  return true;
}

// Our own top-level window, named "Spiralis", which the window manager may
// close.
bool UseOwnWindow(TSpiralisState& s) {
  Display* dpy = s.Connection.Get();
  const int screen = DefaultScreen(dpy);
  if (!MakeOwnWindow(s, RootWindow(dpy, screen), screen)) return false;
  XStoreName(dpy, s.Drawable, "Spiralis");
  Atom close = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(dpy, s.Drawable, &close, 1);
  XMapWindow(dpy, s.Drawable);
  return true;
}

// The viewport and camera for a window of width x height, down to a tiny
// preview.
void ReshapeSpiralis(TSpiralisState& s, int width, int height) {
  s.Width = width, s.Height = height;
  glViewport(0, 0, width, height);
  s.View.Invalidate();
}

// The window and the OpenGL context, the galaxy and its view, the overlay
// and the clock; then the viewport and camera for the window's size.
TInit InitSpiralis(TSpiralisState& s) {
  if (!OpenDisplay(s)) return TInit::Failed;
  Display* dpy = s.Connection.Get();
  s.Host = HostWindow(s.Settings, dpy);
  if (!(s.Host ? UseHostWindow(s) : UseOwnWindow(s))) return TInit::Failed;
  XSync(dpy, False);
  if (gWindowGone) return TInit::WindowGone;

  s.Context.emplace(dpy, s.Visual.get());
  if (!s.Context->Get() || !glXMakeCurrent(dpy, s.Drawable, s.Context->Get())) {
    std::fprintf(stderr, "spiralis: cannot make an OpenGL context\n");
    return TInit::Failed;
  }
  s.Galaxy.emplace(s.Settings.Galaxy, SharedRandom(),
                   s.Settings.Seeded ? SeededClock(s.Settings.Seed) : TGalaxy::TClock(CalendarSeconds));
  s.View.Init(SystemGalaxyGL(), s.Width, s.Height);
  s.Fps.emplace(dpy, s.Settings.Fps);
  s.WmProtocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
  s.Start = NowMs();
  s.Pace.Start(s.Settings.Delay, RefreshRate(dpy, RootWindow(dpy, s.Visual->screen)), s.Galaxy->TimerInterval(),
               s.Start);
  ReshapeSpiralis(s, s.Width, s.Height);
  return TInit::Ready;
}

// The quads of the frame just drawn: those the view drew from its array, or
// when it draws one vertex at a time, one for every lit cell.
int PolygonCount(const TSpiralisState& s) {
  if (!s.View.Ready()) return 0;
  if (s.View.UsesArrays()) return s.View.DrawnQuads();
  int quads = 0;
  ForEachGalaxyQuad(*s.Galaxy, static_cast<float>(s.Settings.Galaxy.Depth),
                    [&quads](int, float, float, float, float, float) { ++quads; });
  return quads;
}

// The steps due by `now`, at their interval.
void StepSpiralis(TSpiralisState& s, std::uint32_t now) {
  for (int steps = s.Pace.Steps.Take(now); steps > 0; --steps) s.Galaxy->Step();
}

// The picture of the latest step for the time `now`, with the overlay for
// -fps, into the back buffer.
void PictureSpiralis(TSpiralisState& s, std::uint32_t now) {
  s.View.Draw(*s.Galaxy, s.Width, s.Height, s.Settings.Galaxy.Eye, static_cast<float>(s.Settings.Galaxy.Depth),
              now - s.Start);
  if (s.Fps->On()) s.Fps->Frame(NowMs(), s.Width, s.Height, PolygonCount(s));
}

// The back buffer to the window.
void ShowSpiralis(TSpiralisState& s) {
  glXSwapBuffers(s.Connection.Get(), s.Drawable);
  XSync(s.Connection.Get(), False);
}

// The picture for the time `now`, when one is due.
void DrawSpiralis(TSpiralisState& s, std::uint32_t now) {
  if (!s.Pace.Pictures.Due(now)) return;
  PictureSpiralis(s, now);
  ShowSpiralis(s);
  s.Pace.Pictures.Drawn(NowMs());
}

// Releases what InitSpiralis made (the state's members, in the reverse of
// their order), however far it got.
void FreeSpiralis(std::unique_ptr<TSpiralisState>& s) { s.reset(); }

// The events waiting: the window's destruction, its new size (the child
// that covers a host kept the host's size), the window manager's close.
void HandleEvents(TSpiralisState& s) {
  Display* dpy = s.Connection.Get();
  while (XPending(dpy) && !gWindowGone) {
    XEvent e;
    XNextEvent(dpy, &e);
    if (e.type == DestroyNotify && (e.xdestroywindow.window == s.Host || e.xdestroywindow.window == s.Drawable)) {
      gWindowGone = true;
    } else if (e.type == ConfigureNotify && e.xconfigure.window == (s.Host ? s.Host : s.Drawable)) {
      const int width = e.xconfigure.width, height = e.xconfigure.height;
      if (s.Drawable != s.Host && s.Host) XResizeWindow(dpy, s.Drawable, width, height);
      ReshapeSpiralis(s, width, height);
    } else if (e.type == ClientMessage && e.xclient.message_type == s.WmProtocols) {
      gStop = 1;
    }
  }
}

// Until a signal, the window's end or the window manager's close: the
// events, the steps at their interval, and a picture when one is due. Steps
// that no picture shows wait for the next picture and are taken together
// then: one wake-up a picture, not one a step.
void MainLoop(TSpiralisState& s) {
  while (!gStop && !gWindowGone) {
    HandleEvents(s);
    if (gStop || gWindowGone) break;
    const std::uint32_t now = NowMs();
    const std::int32_t wait = static_cast<std::int32_t>(s.Pace.Until(now));
    if (wait > 0) {
      pollfd fd{ConnectionNumber(s.Connection.Get()), POLLIN, 0};
      poll(&fd, 1, wait);
      continue;
    }
    StepSpiralis(s, now);
    DrawSpiralis(s, now);
  }
}

// The film's time of picture `n`: 1/30 s a picture, to the millisecond.
std::uint32_t FilmMs(int n) { return static_cast<std::uint32_t>((n * 1000LL + 15) / 30); }

// The top left of the window, rounded down to even (the film's size when
// the window keeps its size), read from the back buffer.
void ReadPicture(const TSpiralisState& s, std::vector<unsigned char>& rgb, int& width, int& height) {
  width = s.Width >= 2 ? s.Width & ~1 : s.Width;
  height = s.Height >= 2 ? s.Height & ~1 : s.Height;
  rgb.resize(static_cast<std::size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, s.Height - height, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}

// -record-animation: the settings' number of pictures into the film, each
// 1/30 s of the galaxy's time after the last (its steps and the camera
// follow that clock), shown in the window too. Whether all were recorded.
bool RecordLoop(TSpiralisState& s, TFilm& film, std::string& error) {
  s.Start = 0;
  s.Pace.Steps.Start(s.Galaxy->TimerInterval(), 0);
  std::vector<unsigned char> rgb;
  for (int n = 0; n < s.Settings.RecordFrames; ++n) {
    HandleEvents(s);
    if (gStop || gWindowGone) {
      error = "the recording stopped after " + std::to_string(n) + " of " + std::to_string(s.Settings.RecordFrames) +
              " pictures: nothing written to " + s.Settings.RecordFile;
      return false;
    }
    StepSpiralis(s, FilmMs(n));
    PictureSpiralis(s, FilmMs(n));
    int width = 0, height = 0;
    ReadPicture(s, rgb, width, height);
    if (!film.Add(rgb.data(), width, height, error)) return false;
    ShowSpiralis(s);
  }
  return film.Finish(error);
}

// The exit status: 1 when InitSpiralis reported an error or a film could
// not be made whole, else 0.
int Run(const THackSettings& settings) {
  std::optional<TFilm> film;
  std::string error;
  if (settings.RecordFrames) {
    film.emplace();
    if (!film->Prepare(settings.RecordFile, error)) {
      std::fprintf(stderr, "spiralis: %s\n", error.c_str());
      return 1;
    }
  }
  auto state = std::make_unique<TSpiralisState>(settings);
  const TInit init = InitSpiralis(*state);
  bool recorded = true;
  if (init == TInit::Ready && !film) MainLoop(*state);
  if (init == TInit::Ready && film)
    recorded = film->Begin(state->Width, state->Height, error) && RecordLoop(*state, *film, error);
  if (init == TInit::WindowGone && film)
    recorded = false, error = "the window went before the recording began: nothing written to " + settings.RecordFile;
  if (!recorded) std::fprintf(stderr, "spiralis: %s\n", error.c_str());
  FreeSpiralis(state);
  return init == TInit::Failed || !recorded ? 1 : 0;
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
