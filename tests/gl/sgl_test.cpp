// The entry-point table, driver loading and unloading, the four fallbacks,
// the pixel-format scorer, and real drawing through Wine's opengl32 over Mesa.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "gl/sgl.h"
#include "tests/gl/drivers/stub_driver.h"
#include "tests/gl/gl_support.h"
#include "tests/support/win32_support.h"

using namespace gl_testing;
using testing_support::TempDir;

namespace {

// GDI's pixel-format functions reach the driver through whatever module named
// opengl32.dll is loaded when they are first used. Pin the system's one for
// the whole run, so that stand-ins named opengl32.dll never become GDI's.
class SystemOpenGLPinned : public ::testing::Environment {
 public:
  void SetUp() override {
    module_ = LoadLibraryA("opengl32.dll");
    GLWindow window(0, 0, 8, 8);
    PIXELFORMATDESCRIPTOR pfd{};
    DescribePixelFormat(window.dc(), 1, sizeof pfd, &pfd);
  }
  void TearDown() override { FreeLibrary(module_); }

 private:
  HMODULE module_ = nullptr;
};
const auto* const kPinned = ::testing::AddGlobalTestEnvironment(new SystemOpenGLPinned);

template <class Fn>
Fn DriverExport(const char* name) {
  return reinterpret_cast<Fn>(GetProcAddress(sglDriverHandle(), name));
}

int DriverCalls(const char* entry) {
  auto calls = DriverExport<TestDriverCallsFn>("TestDriverCalls");
  return calls ? calls(entry) : -1;
}

class SglTest : public ::testing::Test {
 protected:
  void TearDown() override { sglFreeDriver(); }
  TempDir temp_;
};

TEST_F(SglTest, TableListsTheEntriesInLoadOrderRequiredFirst) {
  const std::pair<int, const char*> entries[] = {
      {0, "glAlphaFunc"}, {68, "glVertex2i"}, {69, "wglCreateContext"},
      {kSglRequiredEntryCount - 1, "wglSwapLayerBuffers"}, {kSglRequiredEntryCount, "wglSwapBuffers"},
      {kSglEntryCount - 1, "wglSetPixelFormat"}, {kSglEntryCount, "glReadPixels"},
      {kSglAllEntryCount - 1, "wglGetProcAddress"}, {kSglAllEntryCount, ""}};
  for (const auto& [index, name] : entries) EXPECT_STREQ(name, sglEntryName(index)) << index;
  EXPECT_EQ(kSglAllEntryCount - 2, sglEntryIndex("glDrawArrays"));
  EXPECT_EQ(-1, sglEntryIndex("glBindBuffer"));  // a current context's, not the library's
}

// Old drivers may lack the vertex arrays: such a driver still loads, its
// load says which extras it lacks, and only those read as absent.
TEST_F(SglTest, ADriverLackingExtrasLoadsAndTracesWhichItLacks) {
  SglTraceCapture trace;
  ASSERT_NE(nullptr, sglLoadDriver(StubDriver("stub_noarrays")));
  EXPECT_TRUE(SglTraceCapture::Traced("Library lacks glColorPointer, glDrawArrays"));
  for (const char* name : {"glReadPixels", "glVertexPointer", "glEnableClientState", "glDisableClientState"}) {
    EXPECT_TRUE(sglDriverHasEntry(sglEntryIndex(name))) << name;
    EXPECT_NE(nullptr, sglEntryAddress(sglEntryIndex(name))) << name;
  }
  EXPECT_EQ(nullptr, sglEntryAddress(sglEntryIndex("glDrawArrays")));
  EXPECT_NE(nullptr, sglEntryAddress(sglEntryIndex("glClear")));

  SglTraceCapture::Clear();
  ASSERT_NE(nullptr, sglLoadDriver(StubDriver("stub_full")));
  ASSERT_NE(nullptr, sglLoadDriver("opengl32.dll"));
  EXPECT_FALSE(SglTraceCapture::Traced("glDrawArrays"));
  for (int i = kSglEntryCount; i < kSglAllEntryCount; ++i) EXPECT_TRUE(sglDriverHasEntry(i)) << sglEntryName(i);
  sglFreeDriver();
  EXPECT_EQ(nullptr, sglEntryAddress(sglEntryIndex("glClear")));
}

TEST_F(SglTest, LoadsAStandInByPathAndResolvesEveryEntryItHas) {
  const std::string path = StubDriver("stub_basic");
  HMODULE module = sglLoadDriver(path);
  ASSERT_NE(nullptr, module);
  EXPECT_EQ(module, sglDriverHandle());
  EXPECT_EQ(path, sglDriverName());
  EXPECT_FALSE(sglDriverIs3dfx());
  for (int i = 0; i < kSglRequiredEntryCount; ++i) EXPECT_TRUE(sglDriverHasEntry(i)) << sglEntryName(i);
  for (int i = kSglRequiredEntryCount; i < kSglAllEntryCount; ++i)
    EXPECT_FALSE(sglDriverHasEntry(i)) << sglEntryName(i);
  // The stand-in's own glGetString answers through the wrapper.
  EXPECT_STREQ("Stub vendor", reinterpret_cast<const char*>(sglGetString(GL_VENDOR)));

  sglFreeDriver();
  EXPECT_EQ(nullptr, sglDriverHandle());
  EXPECT_FALSE(IsLoaded(path));
}

TEST_F(SglTest, RejectsAndUnloadsADriverLackingARequiredEntry) {
  const std::string path = StubDriver("stub_nopolyoffset");
  EXPECT_EQ(nullptr, sglLoadDriver(path));
  EXPECT_EQ(nullptr, sglDriverHandle());
  EXPECT_FALSE(IsLoaded(path));
  EXPECT_FALSE(sglDriverHasEntry(0));
}

TEST_F(SglTest, MissingOrBrokenLibrariesLoadNothing) {
  EXPECT_EQ(nullptr, sglLoadDriver(temp_ / "nothing-here.dll"));
  testing_support::WriteFile(temp_ / "opengl32.dll", "not a library at all");
  EXPECT_EQ(nullptr, sglLoadDriver(temp_ / "opengl32.dll"));
  EXPECT_EQ(nullptr, sglDriverHandle());
  EXPECT_EQ(temp_ / "opengl32.dll", sglDriverName());
}

TEST_F(SglTest, LoadingReplacesTheDriverAndAFailedLoadLeavesNone) {
  const std::string first = StubDriver("stub_basic");
  const std::string second = StubDriver("stub_full");
  ASSERT_NE(nullptr, sglLoadDriver(first));
  ASSERT_NE(nullptr, sglLoadDriver(second));
  EXPECT_FALSE(IsLoaded(first));
  EXPECT_TRUE(IsLoaded(second));
  EXPECT_EQ(nullptr, sglLoadDriver(StubDriver("stub_nopolyoffset")));
  EXPECT_FALSE(IsLoaded(second));
}

TEST_F(SglTest, WrappersAreHarmlessWithoutADriver) {
  // Loaded once, then gone: the table must not keep pointers into it.
  ASSERT_NE(nullptr, sglLoadDriver(StubDriver("stub_basic")));
  sglFreeDriver();
  sglClear(GL_COLOR_BUFFER_BIT);
  sglBegin(GL_QUADS);
  sglEnd();
  EXPECT_EQ(GLenum(GL_NO_ERROR), sglGetError());
  EXPECT_EQ(nullptr, sglGetString(GL_VENDOR));
  EXPECT_EQ(nullptr, sglCreateContext(nullptr));
  EXPECT_FALSE(sglMakeCurrent(nullptr, nullptr));
  unsigned char pixel[4] = {1, 2, 3, 4};
  sglReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  EXPECT_EQ(1, pixel[0]);
}

// --- The four optional entries and their fallbacks ------------------------------

TEST_F(SglTest, ADriverInAFolderNamed3dfxUsesItsOwnPixelFormatAndSwapEntries) {
  const std::string path = CopyTo(StubDriver("stub_full"), temp_ / "3DFX\\opengl32.dll");
  ASSERT_NE(nullptr, sglLoadDriver(path));
  EXPECT_TRUE(sglDriverIs3dfx());
  GLWindow window(0, 0, 16, 16);

  EXPECT_TRUE(sglSetPixelFormat(window.dc(), 1, nullptr));
  EXPECT_EQ(1, DriverCalls("wglSetPixelFormat"));
  // A 3dfx driver swaps only through its own entry, never the system's.
  EXPECT_TRUE(sglSwapBuffers(window.dc()));
  EXPECT_EQ(1, DriverCalls("wglSwapBuffers"));
  PIXELFORMATDESCRIPTOR pfd{};
  EXPECT_EQ(0, sglDescribePixelFormat(window.dc(), 1, sizeof pfd, &pfd));  // it has no formats yet
  EXPECT_EQ(0, sglChoosePixelFormat(window.dc(), &pfd));
  EXPECT_EQ(1, DriverCalls("wglChoosePixelFormat"));
}

TEST_F(SglTest, A3dfxDriverWithoutSwapBuffersCannotSwap) {
  ASSERT_NE(nullptr, sglLoadDriver(CopyTo(StubDriver("stub_basic"), temp_ / "3dfx\\opengl32.dll")));
  GLWindow window(0, 0, 16, 16);
  EXPECT_EQ(FALSE, sglSwapBuffers(window.dc()));
}

TEST_F(SglTest, OtherDriversSetPixelFormatsAndSwapThroughTheSystem) {
  GLWindow window(0, 0, 16, 16);
  // The system's own formats, before the stand-in comes in.
  const int format = sglBestPixelFormat(window.dc());
  ASSERT_NE(0, format);

  const std::string path = CopyTo(StubDriver("stub_full"), temp_ / "plain\\opengl32.dll");
  ASSERT_NE(nullptr, sglLoadDriver(path));
  EXPECT_FALSE(sglDriverIs3dfx());
  // No pixel format on the window yet: the system swap fails, the driver's is next.
  EXPECT_TRUE(sglSwapBuffers(window.dc()));
  EXPECT_EQ(1, DriverCalls("wglSwapBuffers"));

  PIXELFORMATDESCRIPTOR pfd = Format();
  ASSERT_TRUE(DescribePixelFormat(window.dc(), format, sizeof pfd, &pfd));
  EXPECT_TRUE(sglSetPixelFormat(window.dc(), format, &pfd));
  EXPECT_EQ(0, DriverCalls("wglSetPixelFormat"));
  EXPECT_EQ(format, GetPixelFormat(window.dc()));
  EXPECT_TRUE(sglSwapBuffers(window.dc()));
  EXPECT_EQ(1, DriverCalls("wglSwapBuffers"));  // the system swapped this time
}

TEST_F(SglTest, ADriverWithoutTheOptionalEntriesFallsBackToTheSystem) {
  GLWindow window(0, 0, 16, 16);
  ASSERT_NE(nullptr, sglLoadDriver(StubDriver("stub_basic")));
  PIXELFORMATDESCRIPTOR pfd = Format();
  const int count = sglDescribePixelFormat(window.dc(), 1, sizeof pfd, &pfd);
  EXPECT_EQ(DescribePixelFormat(window.dc(), 1, sizeof pfd, &pfd), count);
  ASSERT_GT(count, 0);
  pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  pfd.cColorBits = 24;
  const int chosen = sglChoosePixelFormat(window.dc(), &pfd);
  EXPECT_EQ(ChoosePixelFormat(window.dc(), &pfd), chosen);
  ASSERT_NE(0, chosen);
  ASSERT_TRUE(sglDescribePixelFormat(window.dc(), chosen, sizeof pfd, &pfd));
  EXPECT_TRUE(sglSetPixelFormat(window.dc(), chosen, &pfd));
  EXPECT_EQ(chosen, GetPixelFormat(window.dc()));
  EXPECT_TRUE(sglSwapBuffers(window.dc()));
}

// --- Pixel-format scoring -----------------------------------------------------

constexpr DWORD kWindowGL = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
constexpr DWORD kDouble = PFD_DOUBLEBUFFER;
constexpr DWORD kSoftware = PFD_GENERIC_FORMAT;
constexpr DWORD kMcd = PFD_GENERIC_FORMAT | PFD_GENERIC_ACCELERATED;

TEST(SglScoreTest, EachConditionEarnsItsPoints) {
  // ICD, window GL, RGBA, 16-bit colour and depth, double-buffered, against
  // the defaults: every condition but drawing to a bitmap holds.
  const auto icd = Format(kWindowGL | kDouble, 16, 16);
  EXPECT_EQ(0xFCFE, sglScorePixelFormat(icd, -1, 16, -1, 1));
  EXPECT_EQ(0xFCFF, sglScorePixelFormat(Format(kWindowGL | kDouble | PFD_DRAW_TO_BITMAP, 16, 16),
                                        -1, 16, -1, 1));
  // Colour index, no window, no depth, 8 bits, generic software.
  const auto poor = Format(kSoftware, 8, 0, PFD_TYPE_COLORINDEX);
  EXPECT_EQ(0x2000, sglScorePixelFormat(poor, 32, 16, -1, 1));
  EXPECT_EQ(0x2000 | 0x1000 | 0x800 | 0x400, sglScorePixelFormat(poor, 8, 0, 0, 0));
  EXPECT_EQ(0x4000 | 0x2000 | 0x1000 | 0x800 | 0x400, sglScorePixelFormat(poor, -1, -1, -1, -1));
  // An MCD counts as accelerated but earns no ICD point.
  EXPECT_EQ(0xFCFC, sglScorePixelFormat(Format(kWindowGL | kDouble | kMcd, 16, 16), -1, 16, -1, 1));
  // Single buffering wanted; 24 bits of each.
  EXPECT_EQ(0x8000 | 0x4000 | 0x1000 | 0x800 | 0x400 | 0x80 | 0x40 | 0x20 | 0x10 | 2,
            sglScorePixelFormat(Format(kWindowGL | kDouble, 24, 24), 24, 24, 0, 1));
}

class SglBestFormatTest : public SglTest {
 protected:
  void Use(std::vector<PIXELFORMATDESCRIPTOR> formats) {
    // The stand-in describes whatever we give it; in a folder named 3dfx it
    // also sets them itself.
    if (!sglDriverHandle()) {
      ASSERT_NE(nullptr, sglLoadDriver(CopyTo(StubDriver("stub_full"), temp_ / "3dfx\\drv.dll")));
    }
    DriverExport<TestDriverSetFormatsFn>("TestDriverSetFormats")(formats.data(),
                                                                  static_cast<int>(formats.size()));
  }
};

TEST_F(SglBestFormatTest, DefaultsPreferAnAcceleratedSixteenBitDepthRGBAWindowFormat) {
  Use({Format(kWindowGL | kDouble | kSoftware, 32, 24),  // software
       Format(kWindowGL, 32, 24),                        // accelerated, 24-bit depth
       Format(kWindowGL | kDouble, 32, 16),              // accelerated, 16-bit depth
       Format(kWindowGL, 32, 16),                        // the same, single: equal score
       Format(kDouble, 32, 16)});                        // not for windows
  EXPECT_EQ(3, sglBestPixelFormat(nullptr));

  int bpp = -1, depth = 16, dbl = 0, acc = 1;
  EXPECT_EQ(4, sglBestPixelFormat(nullptr, &bpp, &depth, &dbl, &acc));
  EXPECT_EQ((std::vector<int>{32, 16, 0, 1}), (std::vector<int>{bpp, depth, dbl, acc}));

  bpp = -1, depth = 24, dbl = -1, acc = 0;
  EXPECT_EQ(1, sglBestPixelFormat(nullptr, &bpp, &depth, &dbl, &acc));
  EXPECT_EQ((std::vector<int>{32, 24, 1, 0}), (std::vector<int>{bpp, depth, dbl, acc}));
}

TEST_F(SglBestFormatTest, NothingToChooseLeavesThePreferencesAlone) {
  Use({});
  int bpp = 16, depth = 16, dbl = 1, acc = 1;
  EXPECT_EQ(0, sglBestPixelFormat(nullptr, &bpp, &depth, &dbl, &acc));
  EXPECT_EQ(16, bpp);
  EXPECT_EQ(1, dbl);
  // A format that earns nothing at all is never chosen.
  Use({Format(kSoftware, 0, 0, PFD_TYPE_COLORINDEX)});
  EXPECT_EQ(0, sglBestPixelFormat(nullptr, &bpp, &depth, &dbl, &acc));
}

// --- The real driver ----------------------------------------------------------

TEST_F(SglTest, SystemDriverClearsAWindowToAColourReadBackThroughTheTable) {
  ASSERT_NE(nullptr, sglLoadDriver("opengl32.dll"));
  ASSERT_TRUE(sglDriverHasEntry(kSglEntryCount));  // glReadPixels
  GLWindow window(40, 40, 64, 48);
  int bpp = -1, depth = 16, dbl = -1, acc = 1;
  ASSERT_NE(0, sglBestPixelFormat(window.dc(), &bpp, &depth, &dbl, &acc));
  EXPECT_GE(bpp, 16);
  GLContext context(window.dc());
  ASSERT_TRUE(context.ok());
  EXPECT_NE(nullptr, sglGetString(GL_RENDERER));

  sglViewport(0, 0, 64, 48);
  sglClearColor(0.25f, 0.5f, 0.75f, 0.0f);
  sglClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  sglFinish();
  EXPECT_EQ(GLenum(GL_NO_ERROR), sglGetError());
  const unsigned expected = (0x40 << 16) | (0x80 << 8) | 0xBF;
  for (auto [x, y] : {std::pair{0, 0}, {63, 47}, {32, 20}}) {
    const unsigned pixel = ReadPixel(x, y);
    EXPECT_NEAR(expected >> 16, pixel >> 16, 1);
    EXPECT_NEAR((expected >> 8) & 0xFF, (pixel >> 8) & 0xFF, 1);
    EXPECT_NEAR(expected & 0xFF, pixel & 0xFF, 1);
  }
  // A triangle over part of it, in another colour.
  sglMatrixMode(GL_PROJECTION);
  sglLoadIdentity();
  sgluOrtho2D(0, 64, 0, 48);
  sglColor3f(1, 0, 0);
  sglBegin(GL_TRIANGLES);
  sglVertex2f(0, 0);
  sglVertex2f(40, 0);
  sglVertex2f(0, 40);
  sglEnd();
  sglFinish();
  EXPECT_EQ(0xFF0000u, ReadPixel(2, 2));
  EXPECT_NE(0xFF0000u, ReadPixel(60, 44));
  EXPECT_TRUE(sglSwapBuffers(window.dc()));
}

}  // namespace
