// The native picture of a galaxy, for the page's to be compared with: the
// look of an address, seeded from SEED and stepped STEPS times, its camera
// at MS milliseconds, drawn by the system's OpenGL (as the Linux hack draws)
// in a WIDTH x HEIGHT window on $DISPLAY. Writes the window's pixels to
// standard output: RGB, from the bottom row up, as glReadPixels reads them.
//
//   native_picture WIDTH HEIGHT SEED STEPS MS [QUERY]
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "galaxy/view.h"
#include "linux/system_gl.h"
#include "web/address.h"

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: native_picture WIDTH HEIGHT SEED STEPS MS [QUERY]\n");
    return 2;
  }
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]), steps = std::atoi(argv[4]);
  const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
  const auto ms = static_cast<std::uint32_t>(std::strtoul(argv[5], nullptr, 10));
  std::vector<std::string> notes;
  const TGalaxySettings settings = ClampGalaxySettings(ReadWebAddress(argc > 6 ? argv[6] : "", notes).Settings);

  Display* display = XOpenDisplay(nullptr);
  if (!display) return 3;
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
  XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
  if (!visual) return 4;
  XSetWindowAttributes a{};
  a.colormap = XCreateColormap(display, DefaultRootWindow(display), visual->visual, AllocNone);
  a.override_redirect = True;
  const Window window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, width, height, 0, visual->depth,
                                      InputOutput, visual->visual, CWColormap | CWOverrideRedirect, &a);
  XMapWindow(display, window);
  const GLXContext context = glXCreateContext(display, visual, nullptr, True);
  if (!context || !glXMakeCurrent(display, window, context)) return 5;

  TLcgRandom random;
  TGalaxy galaxy(settings, random, [seed] { return seed; });
  for (int i = 0; i < steps; ++i) galaxy.Step();
  TGalaxyView view;
  view.Init(SystemGalaxyGL(), width, height);
  view.Draw(galaxy, width, height, settings.Eye, static_cast<float>(settings.Depth), ms);
  glFinish();
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  std::fwrite(pixels.data(), 1, pixels.size(), stdout);

  glXMakeCurrent(display, None, nullptr);
  glXDestroyContext(display, context);
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  return 0;
}
