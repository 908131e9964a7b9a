// The hack itself in real X windows on the test's display: what it draws,
// how it follows its window, and how it ends.
// GoogleTest before Xlib, whose macros (None, Status, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "linux/tests/settings_file.h"

namespace {

using Clock = std::chrono::steady_clock;

bool WaitFor(int ms, const std::function<bool()>& done) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

// The hack as a child process; one still running at the end is killed.
class THack {
 public:
  explicit THack(const std::vector<std::string>& args, const char* hostWindow = nullptr) {
    err_ = testing::TempDir() + "hack-stderr-" + std::to_string(getpid()) + ".txt";
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(fd, 2);
      if (hostWindow) setenv("XSCREENSAVER_WINDOW", hostWindow, 1);
      else unsetenv("XSCREENSAVER_WINDOW");
      std::vector<char*> argv{const_cast<char*>(SPIRALIS_HACK)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(SPIRALIS_HACK, argv.data());
      _exit(127);
    }
  }
  ~THack() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  THack(const THack&) = delete;
  THack& operator=(const THack&) = delete;

  bool Running() { return !Exited(0); }
  // Whether it has ended within `ms`; WaitStatus() then holds its wait status.
  bool Exited(int ms) {
    return exited_ || WaitFor(ms, [this] { return exited_ = waitpid(pid_, &status_, WNOHANG) == pid_; });
  }
  int WaitStatus() const { return status_; }
  void Signal(int sig) { kill(pid_, sig); }
  std::string Errors() const {
    std::ifstream in(err_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = 0;
  std::string err_;
};

// Ended by itself, with exit status 0: no signal, no core.
void ExpectCleanEnd(THack& hack, int ms) {
  ASSERT_TRUE(hack.Exited(ms)) << "still running after " << ms << " ms";
  EXPECT_TRUE(WIFEXITED(hack.WaitStatus())) << "ended by signal " << WTERMSIG(hack.WaitStatus());
  EXPECT_FALSE(WIFSIGNALED(hack.WaitStatus()) && WCOREDUMP(hack.WaitStatus()));
  EXPECT_EQ(WEXITSTATUS(hack.WaitStatus()), 0) << hack.Errors();
}

struct TPixels {
  int width = 0, height = 0;
  std::vector<unsigned long> rgb;
  unsigned long At(int x, int y) const { return rgb[y * width + x]; }
  // Pixels of that colour in the rectangle [x0, x1) x [y0, y1).
  int Count(unsigned long color, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) const {
    if (x1 < 0) x1 = width;
    if (y1 < 0) y1 = height;
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += At(x, y) == color;
    return n;
  }
};

class HackOnX : public testing::Test {
 protected:
  // One connection for the whole program: an X server with no client left
  // resets itself and refuses connections meanwhile.
  static void SetUpTestSuite() { dpy_ = XOpenDisplay(nullptr); }
  static void TearDownTestSuite() {
    if (dpy_) XCloseDisplay(dpy_);
    dpy_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(dpy_, nullptr) << "no X display"; }

  Window MakeWindow(int w, int h) {
    XSetWindowAttributes a{};
    a.override_redirect = True;  // no window manager moves it
    a.background_pixel = 0x777777;
    Window win = XCreateWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, w, h, 0, CopyFromParent, InputOutput,
                               CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(dpy_, win);
    XSync(dpy_, False);
    return win;
  }

  TPixels Shot(Window win) {
    TPixels p;
    XWindowAttributes a;
    XGetWindowAttributes(dpy_, win, &a);
    XImage* image = XGetImage(dpy_, win, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!image) return p;
    p.width = a.width, p.height = a.height;
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x) p.rgb.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return p;
  }

  // Waits until the window shows at least `n` pixels of each colour.
  bool Shows(Window win, std::vector<unsigned long> colors, int n = 1, int ms = 10000) {
    return WaitFor(ms, [&] {
      const TPixels p = Shot(win);
      for (unsigned long c : colors)
        if (p.Count(c) < n) return false;
      return true;
    });
  }

  static std::string Id(Window w) { return std::to_string(w); }

  static Display* dpy_;
};
Display* HackOnX::dpy_ = nullptr;

// A busy galaxy in colours that nothing else on the screen has.
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
  EXPECT_TRUE(WaitFor(3000, [&] { return Shot(win).Count(kWhite, 0, 0, 120, 30) > 10; }));
  EXPECT_EQ(Shot(win).Count(kWhite, 0, 40, 300, 200), 0);

  // Larger: the galaxy reaches beyond the old 300 x 200 viewport.
  XResizeWindow(dpy_, win, 500, 400);
  XSync(dpy_, False);
  EXPECT_TRUE(WaitFor(5000, [&] {
    const TPixels p = Shot(win);
    return p.width == 500 && p.Count(kExplosion, 300, 0, 500, 400) > 0 && p.Count(kExplosion, 0, 0, 300, 200) > 0;
  }));
  // A tiny preview still shows both colours.
  XResizeWindow(dpy_, win, 40, 30);
  XSync(dpy_, False);
  EXPECT_TRUE(Shows(win, {kBackground, kExplosion}));
  ASSERT_TRUE(hack.Running());

  hack.Signal(SIGTERM);
  ExpectCleanEnd(hack, 1000);
  EXPECT_EQ(hack.Errors(), "");
}

TEST_F(HackOnX, EndsWhenItsWindowIsDestroyed) {
  const Window win = MakeWindow(120, 90);
  std::vector<std::string> args = kVivid;
  args.insert(args.end(), {"--window-id", Id(win)});
  THack hack(args);
  ASSERT_TRUE(Shows(win, {kBackground, kExplosion})) << hack.Errors();
  XDestroyWindow(dpy_, win);
  XSync(dpy_, False);
  ExpectCleanEnd(hack, 1000);
}

TEST_F(HackOnX, RootMeansXScreenSaversWindowOrTheRootAndSigintEndsIt) {
  // XScreenSaver names its window in the environment.
  const Window win = MakeWindow(160, 120);
  std::vector<std::string> args = kVivid;
  args.push_back("--root");
  {
    THack hack(args, Id(win).c_str());
    ASSERT_TRUE(Shows(win, {kBackground, kExplosion})) << hack.Errors();
    hack.Signal(SIGTERM);
    ExpectCleanEnd(hack, 1000);
  }
  XDestroyWindow(dpy_, win);
  XSync(dpy_, False);
  // Without it, the root window; the default colours: aqua on black.
  const Window root = DefaultRootWindow(dpy_);
  THack hack({"-root", "-density", "100", "-probability", "60"});
  ASSERT_TRUE(Shows(root, {0x000000, 0x00FFFF}, 50)) << hack.Errors();
  hack.Signal(SIGINT);
  ExpectCleanEnd(hack, 1000);
  // The root window is not left with a picture the next run would not draw over.
  XClearWindow(dpy_, root);
  XSync(dpy_, False);
}

TEST_F(HackOnX, TakesEverySettingsFileSliderAtItsEnds) {
  const auto items = ReadSettingsFile(SPIRALIS_XML);
  for (const char* end : {"low", "high", "default"}) {
    SCOPED_TRACE(end);
    const Window win = MakeWindow(64, 48);
    std::vector<std::string> args = {"-window-id", Id(win), "-background", "#203040", "--fps"};
    for (const TSettingsItem& item : items)
      if (item.Kind == "number")
        for (const std::string& a : SettingsArguments(item.Attr.at("arg"), item.Attr.at(end))) args.push_back(a);
    THack hack(args);
    EXPECT_TRUE(Shows(win, {kBackground}, 100)) << hack.Errors();
    hack.Signal(SIGTERM);
    ExpectCleanEnd(hack, 1000);
    XDestroyWindow(dpy_, win);
  }
}

TEST_F(HackOnX, ABadOptionNamesItsRangeAndTheUsageAndExitsOne) {
  THack hack({"-root", "-rings", "151"});
  ASSERT_TRUE(hack.Exited(5000));
  EXPECT_TRUE(WIFEXITED(hack.WaitStatus()));
  EXPECT_EQ(WEXITSTATUS(hack.WaitStatus()), 1);
  const std::string err = hack.Errors();
  EXPECT_EQ(err.substr(0, err.find('\n')), "spiralis: -rings 151: Number of rings takes 2 to 150");
  EXPECT_NE(err.find("usage: spiralis"), std::string::npos);
  EXPECT_NE(err.find("-preset VALUE"), std::string::npos);
  // A window that does not exist is an error too, not a crash.
  THack nowhere({"-window-id", "0x7ffffff0"});
  ASSERT_TRUE(nowhere.Exited(5000));
  EXPECT_TRUE(WIFEXITED(nowhere.WaitStatus()));
  EXPECT_EQ(WEXITSTATUS(nowhere.WaitStatus()), 1);
  EXPECT_NE(nowhere.Errors().find("no window 0x7ffffff0"), std::string::npos) << nowhere.Errors();
}

}  // namespace
