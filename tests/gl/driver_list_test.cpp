// Driver details from version resources, search patterns, the de-duplicating
// search, and the probe on its worker thread (also one that stalls).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gl/driver_list.h"
#include "gl/sgl.h"
#include "gl/sgl_trace.h"
#include "tests/gl/gl_support.h"
#include "tests/support/win32_support.h"

using namespace gl_testing;
using testing_support::TempDir;

namespace {

std::vector<std::string> gTrace;
void Record(const std::string& text, const void*) { gTrace.push_back(text); }

std::vector<std::string> Lines(const SglDriverEntries& entries) {
  std::vector<std::string> lines;
  for (const auto& e : entries) lines.push_back(e.line);
  return lines;
}

class DriverListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gTrace.clear();
    SglSetTraceHooks(&Record, &Record, nullptr);
  }
  void TearDown() override {
    SglSetTraceHooks(nullptr, nullptr, nullptr);
    sglFreeDriver();
  }
  TempDir temp_;
};

TEST_F(DriverListTest, DetailsComeFromTheVersionResource) {
  const auto voodoo = TSglDriverDetails::Read(StubDriver("stub_full"));
  EXPECT_EQ(StubDriver("stub_full"), voodoo.fileName);
  EXPECT_EQ("3Dfx Interactive, Inc.", voodoo.company);
  // "<company> <product>" reads as the product alone, whole.
  EXPECT_EQ("Voodoo OpenGL ICD", voodoo.description);
  EXPECT_EQ("3.1.0.42", voodoo.version);
  EXPECT_TRUE(voodoo.is3dfx);

  for (const std::string& path : {StubDriver("stub_basic"), temp_ / "missing.dll"}) {
    const auto plain = TSglDriverDetails::Read(path);
    EXPECT_EQ(path, plain.fileName);
    EXPECT_EQ("", plain.company + plain.description + plain.version);
    EXPECT_FALSE(plain.is3dfx);
  }
}

TEST_F(DriverListTest, PatternsExpandTheirPlaceholdersOnce) {
  char windows[MAX_PATH], system[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string project = testing_support::ProgramDir();
  EXPECT_EQ(project + "\\opengl*.dll", SglExpandSearchPattern("<project>\\opengl*.dll"));
  EXPECT_EQ(std::string(windows) + "\\opengl*.dll", SglExpandSearchPattern("<windows>\\opengl*.dll"));
  EXPECT_EQ(std::string(system) + "\\x\\<system>", SglExpandSearchPattern("<system>\\x\\<system>"));
  EXPECT_EQ("C:\\drivers\\minigl.dll", SglExpandSearchPattern("C:\\drivers\\minigl.dll"));
  const auto defaults = SglDefaultSearchPatterns();
  EXPECT_EQ((std::vector<std::string>{"<project>\\opengl*.dll", "<project>\\3dfx*gl*.dll",
                                      "<windows>\\opengl*.dll", "<system>\\opengl*.dll"}),
            defaults);
}

TEST_F(DriverListTest, SearchListsEachFileNameOnceFirstFolderFirst) {
  const std::string a = temp_ / "a", b = temp_ / "b";
  CopyTo(StubDriver("stub_basic"), a + "\\opengl32.dll");
  CopyTo(StubDriver("stub_full"), b + "\\opengl32.dll");    // shadowed by a's
  CopyTo(StubDriver("stub_full"), a + "\\3dfxvgl.dll");
  CopyTo(StubDriver("stub_basic"), b + "\\opengl-extra.dll");
  CreateDirectoryA((a + "\\opengl-folder.dll").c_str(), nullptr);

  const auto entries = SglFindDrivers({a + "\\opengl*.dll", a + "\\3dfx*gl*.dll", b + "\\opengl*.dll",
                                       b + "\\opengl*.dll", temp_ / "none\\opengl*.dll"});
  // a's opengl32.dll answered the probe; the others are described by their
  // version resource, or by nothing but their name.
  EXPECT_EQ((std::vector<std::string>{"opengl32.dll - Stub vendor Stub renderer 1.1 stub",
                                      "3dfxvgl.dll - 3Dfx Interactive, Inc. Voodoo OpenGL ICD 3.1.0.42",
                                      "opengl-extra.dll -   "}),
            Lines(entries));
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ(a + "\\opengl32.dll", entries[0].details.fileName);
  EXPECT_TRUE(entries[1].details.is3dfx);
  EXPECT_FALSE(entries[2].details.is3dfx);
  // The search loaded the driver it probed and unloaded it again.
  EXPECT_EQ(nullptr, sglDriverHandle());
  EXPECT_FALSE(IsLoaded(a + "\\opengl32.dll"));

  EXPECT_EQ(0, SglIndexOfFileName(entries, b + "\\OPENGL32.DLL"));
  EXPECT_EQ(1, SglIndexOfFileName(entries, "3DFXVGL.DLL"));
  EXPECT_EQ(-1, SglIndexOfFileName(entries, a + "\\minigl.dll"));
}

TEST_F(DriverListTest, ALoadedDriverIsProbedOnlyForItsOwnFileAndStaysLoaded) {
  const std::string a = temp_ / "a", b = temp_ / "b";
  CopyTo(StubDriver("stub_full"), a + "\\opengl32.dll");
  CopyTo(StubDriver("stub_basic"), b + "\\opengl32.dll");
  HMODULE loaded = sglLoadDriver(b + "\\opengl32.dll");
  ASSERT_NE(nullptr, loaded);

  // a's file is not the loaded one: its own version resource describes it.
  EXPECT_EQ((std::vector<std::string>{"opengl32.dll - 3Dfx Interactive, Inc. Voodoo OpenGL ICD 3.1.0.42"}),
            Lines(SglFindDrivers({a + "\\opengl*.dll"})));
  EXPECT_EQ((std::vector<std::string>{"opengl32.dll - Stub vendor Stub renderer 1.1 stub"}),
            Lines(SglFindDrivers({b + "\\opengl*.dll"})));
  EXPECT_EQ(loaded, sglDriverHandle());
  EXPECT_FALSE(IsLoaded(a + "\\opengl32.dll"));
}

// The loaded driver is recognised by its file, not by the name it was found
// under: a short name of its folder, or another link to the same file.
TEST_F(DriverListTest, TheLoadedDriverIsKnownUnderEveryNameOfItsFile) {
  const std::string folder = temp_ / "a folder with a long name";
  const std::string driver = CopyTo(StubDriver("stub_basic"), folder + "\\opengl32.dll");
  char shortName[MAX_PATH] = "";
  ASSERT_GT(GetShortPathNameA(folder.c_str(), shortName, MAX_PATH), 0u);
  ASSERT_NE(folder, shortName);
  const std::string linked = temp_ / "linked";
  CreateDirectoryA(linked.c_str(), nullptr);
  ASSERT_TRUE(CreateHardLinkA((linked + "\\opengl32.dll").c_str(), driver.c_str(), nullptr));
  HMODULE loaded = sglLoadDriver(driver);
  ASSERT_NE(nullptr, loaded);

  for (const std::string& pattern : {std::string(shortName) + "\\opengl*.dll", linked + "\\opengl*.dll"}) {
    EXPECT_EQ((std::vector<std::string>{"opengl32.dll - Stub vendor Stub renderer 1.1 stub"}),
              Lines(SglFindDrivers({pattern})))
        << pattern;
  }
  EXPECT_EQ(loaded, sglDriverHandle());
}

TEST_F(DriverListTest, AStalledProbeIsAbandonedAndCleansUpAfterItselfLater) {
  const std::string stall = CopyTo(StubDriver("stub_stall"), temp_ / "s\\opengl32.dll");
  const DWORD start = GetTickCount();
  const auto entries = SglFindDrivers({temp_ / "s\\opengl*.dll"});
  const DWORD waited = GetTickCount() - start;
  EXPECT_EQ((std::vector<std::string>{"opengl32.dll -   "}), Lines(entries));
  EXPECT_GE(waited, kSglProbeTimeoutMs - 50);
  EXPECT_NE(gTrace.end(), std::find_if(gTrace.begin(), gTrace.end(), [](const std::string& line) {
              return line.find(" - Driver probe timed out") != std::string::npos;
            }));

  // The layer has let go of the driver, but the late probe still holds its
  // own reference, so the code it runs stays mapped; the layer is free to
  // load something else meanwhile.
  EXPECT_EQ(nullptr, sglDriverHandle());
  EXPECT_TRUE(IsLoaded(stall));
  ASSERT_NE(nullptr, sglLoadDriver(StubDriver("stub_basic")));
  sglFreeDriver();
  // When the stalled context creation returns, the probe finishes on its own
  // copy of the results, and the last reference goes with it.
  EXPECT_TRUE(WaitUnloaded(stall, 10000));
  EXPECT_EQ((std::vector<std::string>{"opengl32.dll -   "}), Lines(entries));
}

TEST_F(DriverListTest, TheSystemDriverDescribesItselfThroughTheProbe) {
  const auto entries = SglFindDrivers({"<system>\\opengl*.dll"});
  const int index = SglIndexOfFileName(entries, "opengl32.dll");
  ASSERT_GE(index, 0);
  const auto& entry = entries[index];
  const auto& d = entry.details;
  // Not the version-resource line: the renderer named itself.
  EXPECT_NE("opengl32.dll - " + d.company + " " + d.description + " " + d.version, entry.line);
  EXPECT_NE(std::string::npos, entry.line.find("Mesa")) << entry.line;
  EXPECT_EQ(nullptr, sglDriverHandle());
}

TEST_F(DriverListTest, TraceLinesCarryTheTimeAndGoWhereTheyAreSent) {
  SglRestartTraceClock();
  SglTrace("progress");
  SglTraceError("trouble");
  ASSERT_EQ(2u, gTrace.size());
  EXPECT_EQ(0u, gTrace[0].rfind("db:", 0));
  EXPECT_NE(std::string::npos, gTrace[0].find(" - progress"));
  EXPECT_NE(std::string::npos, gTrace[1].find(" - trouble"));
  SglSetTraceHooks(&Record, nullptr, nullptr);
  SglTraceError("dropped");
  EXPECT_EQ(2u, gTrace.size());
}

}  // namespace
