// The hack's films (-record-animation) on the test's display, read back
// with FFmpeg's own programs: repeatable from a seed, of the window's size,
// the pictures the window shows; and what bad input and a recording stopped
// midway leave behind.
#include <gtest/gtest.h>

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "linux/tests/hack_process.h"

namespace {

namespace fs = std::filesystem;

// What a command writes to its standard output.
std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  pclose(pipe);
  return out;
}

// Each decoded picture's MD5, in order (ffmpeg -f framemd5).
std::vector<std::string> FrameSums(const std::string& film) {
  std::vector<std::string> sums;
  std::istringstream lines(Output("ffmpeg -v error -i '" + film + "' -f framemd5 -"));
  for (std::string line; std::getline(lines, line);)
    if (!line.empty() && line[0] != '#') sums.push_back(line.substr(line.rfind(' ') + 1));
  return sums;
}

// Picture `n` of a film decoded to RGB, from the top row down.
std::string FilmPicture(const std::string& film, int n) {
  return Output("ffmpeg -v error -i '" + film + "' -vf 'select=eq(n\\," + std::to_string(n) +
                ")' -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
}

// The share of 8x8 blocks of two RGB pictures of width x height (multiples
// of 8) whose mean colours part by more than `kTolerance` in a channel. The
// film's colours have been through YUV 4:2:0 and the encoder, which blur a
// cell's edges and spread its colour into its neighbours' pixels; a block's
// mean keeps the cells' colours and places (a picture a step away differs in
// a fifth of its blocks), where the page's pixel-and-neighbour comparison
// would part at every other cell's edge.
constexpr int kBlock = 8, kTolerance = 24;
constexpr double kMostDiffering = 0.005;
double Differing(const std::string& a, const std::string& b, int width, int height) {
  const auto mean = [&](const std::string& p, int bx, int by, int c) {
    int sum = 0;
    for (int y = by; y < by + kBlock; ++y)
      for (int x = bx; x < bx + kBlock; ++x) sum += static_cast<unsigned char>(p[3 * (y * width + x) + c]);
    return sum / (kBlock * kBlock);
  };
  int differ = 0, blocks = 0;
  for (int by = 0; by < height; by += kBlock)
    for (int bx = 0; bx < width; bx += kBlock, ++blocks)
      for (int c = 0; c < 3; ++c)
        if (std::abs(mean(a, bx, by, c) - mean(b, bx, by, c)) > kTolerance) {
          ++differ;
          break;
        }
  return static_cast<double>(differ) / blocks;
}

class Films : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dpy_ = XOpenDisplay(nullptr);
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  void SetUp() override {
    ASSERT_NE(dpy_, nullptr) << "no X display";
    char pattern[] = "/tmp/spiralis-films.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    chmod(pattern, 0755);  // for the user without rights of its own
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(folder_ + "/locked", fs::perms::owner_all, ignored);
    fs::remove_all(folder_, ignored);
  }

  // A window OpenGL draws on directly (so that its picture outlives the
  // hack), of an odd size.
  Window GlWindow(int width, int height) {
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_DEPTH_SIZE, 16, None};
    XVisualInfo* v = glXChooseVisual(dpy_, DefaultScreen(dpy_), attributes);
    if (!v) return 0;
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.colormap = XCreateColormap(dpy_, DefaultRootWindow(dpy_), v->visual, AllocNone);
    const Window win = XCreateWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, width, height, 0, v->depth, InputOutput,
                                     v->visual, CWOverrideRedirect | CWColormap, &a);
    XFree(v);
    XMapRaised(dpy_, win);
    XSync(dpy_, False);
    return win;
  }

  // The top left width x height pixels of a window, RGB from the top row down.
  std::string WindowPicture(Window win, int width, int height) {
    std::string rgb;
    XImage* image = XGetImage(dpy_, win, 0, 0, width, height, AllPlanes, ZPixmap);
    for (int y = 0; image && y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        rgb += {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
      }
    if (image) XDestroyImage(image);
    return rgb;
  }

  // The files of the test's folder, hidden ones too.
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder_))
      if (e.path().filename() != "locked") names.push_back(e.path().filename().string());
    return names;
  }

  static Display* dpy_;
  std::string folder_;
};
Display* Films::dpy_ = nullptr;

// A busy galaxy, so that a picture holds many cells.
const std::vector<std::string> kBusy = {"-density", "100", "-probability", "60", "-rings", "40"};

std::vector<std::string> Record(const std::string& seed, int frames, Window win, const std::string& file) {
  std::vector<std::string> args = kBusy;
  args.insert(args.end(), {"-seed", seed, "-record-animation", std::to_string(frames), "-window-id",
                           std::to_string(win), "-record-file", file});
  return args;
}

TEST_F(Films, OneSeedGivesOneFilmOfTheWindowsSizeAndPictures) {
  const Window win = GlWindow(321, 241);
  ASSERT_NE(win, 0u);
  const std::string a = folder_ + "/a.mp4", b = folder_ + "/b.mp4", c = folder_ + "/c.mp4";
  for (const auto& [seed, film] : {std::pair{"7", a}, {"7", b}, {"8", c}}) {
    THack hack(Record(seed, 60, win, film));
    hack.ExpectEnd(120000);
    EXPECT_EQ(hack.Errors(), "");
  }
  EXPECT_EQ(Output("ffprobe -v error -select_streams v:0 -count_frames -show_entries "
                   "stream=codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames -of csv=p=0 '" + a + "'"),
            "h264,320,240,yuv420p,30/1,60\n");
  const std::vector<std::string> sumsA = FrameSums(a), sumsC = FrameSums(c);
  ASSERT_EQ(sumsA.size(), 60u);
  EXPECT_EQ(FrameSums(b), sumsA);
  ASSERT_EQ(sumsC.size(), 60u);
  int same = 0;
  for (int i = 0; i < 60; ++i) same += sumsA[i] == sumsC[i];
  EXPECT_EQ(same, 0) << "pictures of seed 8 the same as seed 7's";

  // Thirty pictures from the same seed leave the window showing the 30th,
  // which is the film's: the same step, the same camera.
  THack screen(Record("7", 30, win, folder_ + "/d.mp4"));
  screen.ExpectEnd(120000);
  const std::string shown = WindowPicture(win, 320, 240), filmed = FilmPicture(a, 29);
  ASSERT_EQ(filmed.size(), shown.size());
  EXPECT_LT(Differing(shown, filmed, 320, 240), kMostDiffering);
  // Whereas the pictures a step before and after, and another seed's, differ.
  for (const std::string& other : {FilmPicture(a, 28), FilmPicture(a, 30), FilmPicture(c, 29)})
    EXPECT_GT(Differing(shown, other, 320, 240), 0.05);
  XDestroyWindow(dpy_, win);
}

// Bad input ends the hack with status 1 and a line that says why, before
// any window opens (its display is one that does not exist), and writes
// nothing.
TEST_F(Films, BadInputEndsOneBeforeAnyWindowAndWritesNothing) {
  const std::string locked = folder_ + "/locked";
  ASSERT_EQ(mkdir(locked.c_str(), 0555), 0);
  const struct { std::vector<std::string> args; std::string line; } cases[] = {
      {{"-record-animation", "0"}, "-record-animation 0: Record a film of this many pictures, then exit takes 1 to "},
      {{"-record-animation", "-5"}, "-record-animation -5: "},
      {{"-record-animation", "ten"}, "-record-animation ten: "},
      {{"-record-animation", "5", "-record-file", folder_}, "-record-file " + folder_ + " is a folder: give a file's path"},
      {{"-record-animation", "5", "-record-file", locked + "/film.mp4"},
       "cannot write " + locked + "/film.mp4: Permission denied"},
      {{"-record-animation", "5", "-record-file", folder_ + "/none/film.mp4"},
       "cannot write " + folder_ + "/none/film.mp4: No such file or directory"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-display", ":9999"});
    // Root writes into any folder: the locked one is tried as nobody.
    THack hack(args, "", {folder_, getuid() == 0 ? 65534 : -1});
    hack.ExpectEnd(10000, 1);
    const std::string errors = hack.Errors();
    EXPECT_EQ(errors.substr(0, errors.find('\n')).find("spiralis: " + c.line), 0u) << errors;
    EXPECT_EQ(Files(), std::vector<std::string>{}) << c.line;
  }
}

// A recording stopped midway, by SIGTERM or the window's end, ends with
// status 1 and says so; it leaves no file, and the film that was there
// before as it was.
TEST_F(Films, StoppedMidwayLeavesTheOldFilmAndNothingElse) {
  const std::string film = folder_ + "/film.mp4";
  for (const bool signal : {true, false}) {
    std::ofstream(film) << "an older film";
    const Window win = GlWindow(161, 121);
    THack hack(Record("1", 100000, win, film));
    // Under way: the film's pictures reach the file written beside it.
    const auto beside = [&] {
      for (const std::string& name : Files())
        if (name != "film.mp4" && fs::file_size(folder_ + "/" + name) > 20000) return true;
      return false;
    };
    ASSERT_TRUE(WaitFor(60000, beside)) << hack.Errors();
    if (signal) {
      hack.Signal(SIGTERM);
    } else {
      XDestroyWindow(dpy_, win);
      XSync(dpy_, False);
    }
    hack.ExpectEnd(10000, 1);
    EXPECT_NE(hack.Errors().find("spiralis: the recording stopped after "), std::string::npos) << hack.Errors();
    EXPECT_NE(hack.Errors().find(" of 100000 pictures: nothing written to " + film), std::string::npos);
    EXPECT_EQ(Files(), std::vector<std::string>{"film.mp4"});
    std::stringstream old;
    old << std::ifstream(film).rdbuf();
    EXPECT_EQ(old.str(), "an older film");
    if (signal) XDestroyWindow(dpy_, win);
  }
}

}  // namespace
