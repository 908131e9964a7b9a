// The driver list as a component: the owning list of found drivers, the search
// list that reports its changes, the cache it invalidates, and streaming the
// search patterns from a form resource.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "gl/sgl.h"
#include "gl/sgl_components.h"
#include "tests/gl/gl_support.h"
#include "tests/support/win32_support.h"
#include "toolkit/datamodule.h"

using namespace gl_testing;
using testing_support::TempDir;

namespace {

int gFreed = 0;

// Details that count their own end.
struct CountedDetails : TSglDriverDetails {
  explicit CountedDetails(const std::string& file) { fileName = file; }
  ~CountedDetails() override { ++gFreed; }
};

std::vector<std::string> Lines(const TStrings& list) { return list.ToVector(); }

}  // namespace

class TDriverModule : public TDataModule {
  TK_CLASS(TDriverModule)
  explicit TDriverModule(TComponent* owner) : TDataModule(owner) {}
  TSglDriverList* DriverList = nullptr;
};

const TMetaClass& TDriverModule::StaticClass() {
  static const TMetaClass cls = DefineClass<TDriverModule>(
      "TDriverModule", &TDataModule::StaticClass(),
      [](TClassBuilder<TDriverModule>& b) { b.Field("DriverList", &TDriverModule::DriverList); });
  return cls;
}

TEST(DriverStringsTest, OwnsTheDetailsOfItsLines) {
  gFreed = 0;
  {
    TSglDriverStrings list;
    auto* first = new CountedDetails("C:\\a\\opengl32.dll");
    list.AddObject("one", first);
    list.AddObject("two", new CountedDetails("C:\\b\\3dfxvgl.dll"));
    list.AddObject("three", new CountedDetails("C:\\c\\minigl.dll"));
    list.Add("bare");
    EXPECT_EQ(first, list.GetObject(0));
    EXPECT_EQ(nullptr, list.GetObject(3));

    list.PutObject(0, first);  // the same object again: kept
    EXPECT_EQ(0, gFreed);
    list.PutObject(0, new CountedDetails("C:\\a\\opengl32.dll"));
    EXPECT_EQ(1, gFreed);
    list.Delete(1);
    EXPECT_EQ(2, gFreed);
    EXPECT_EQ((std::vector<std::string>{"one", "three", "bare"}), Lines(list));

    // Assigning copies the details: both lists free their own.
    TSglDriverStrings copy;
    copy.AddObject("old", new CountedDetails("x"));
    copy.Assign(&list);
    EXPECT_EQ(3, gFreed);
    ASSERT_EQ(3, copy.Count());
    ASSERT_NE(nullptr, copy.GetObject(1));
    EXPECT_NE(list.GetObject(1), copy.GetObject(1));
    EXPECT_EQ("C:\\c\\minigl.dll", copy.GetObject(1)->fileName);

    list.Clear();
    EXPECT_EQ(5, gFreed);
    EXPECT_EQ(0, list.Count());
    list.AddObject("last", new CountedDetails("y"));
  }
  EXPECT_EQ(6, gFreed);  // the list's last line; the copies are plain details
}

TEST(DriverStringsTest, FindsAFileByFullPathOrFileName) {
  TSglDriverStrings list;
  list.AddObject("a", new CountedDetails("C:\\Prog\\opengl32.dll"));
  list.AddObject("b", new CountedDetails("C:\\Prog\\3dfxvgl.dll"));
  list.Add("no details");
  list.AddObject("c", new CountedDetails("C:\\Prog\\minigl.dll"));
  for (const auto& [name, index] : {std::pair{"c:\\prog\\OPENGL32.DLL", 0}, {"C:\\Windows\\System32\\opengl32.dll", 0},
                                     {"3DFXVGL.DLL", 1}, {"minigl.dll", 3}, {"opengl.dll", -1}, {"", -1}})
    EXPECT_EQ(index, list.IndexOfFileName(name)) << name;
}

TEST(DriverShieldedStringListTest, ReportsEveryChangeAndKeepsOrderAndDuplicates) {
  int changes = 0;
  TSglDriverShieldedStringList list([&] { ++changes; });
  list.Add("b");
  list.Add("a");
  list.Add("b");
  EXPECT_EQ(3, changes);
  list.BeginUpdate();
  list.Delete(0);
  list.EndUpdate();
  EXPECT_GE(changes, 4);
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), Lines(list));
  EXPECT_FALSE(list.Sorted());
}

class DriverListComponentTest : public ::testing::Test {
 protected:
  void TearDown() override { sglFreeDriver(); }
  TempDir temp_;
};

TEST_F(DriverListComponentTest, StartsWithTheDefaultPatternsAndCachesItsList) {
  TSglDriverList list(nullptr);
  EXPECT_EQ(SglDefaultSearchPatterns(), list.Search()->ToVector());
  // The probe window class exists from construction on.
  WNDCLASSA wc{};
  EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "ScrGL.DriverList.PixelFormat", &wc));
  EXPECT_EQ(UINT(CS_OWNDC), wc.style);

  const std::string a = temp_ / "a";
  CopyTo(StubDriver("stub_full"), a + "\\3dfxgl.dll");
  TStringList search;
  search.Add(a + "\\3dfx*gl*.dll");
  list.SetSearchPath(&search);
  TSglDriverStrings* drivers = list.GetDrivers();
  EXPECT_EQ((std::vector<std::string>{"3dfxgl.dll - 3Dfx Interactive, Inc. Voodoo OpenGL ICD 3.1.0.42"}),
            Lines(*drivers));
  ASSERT_NE(nullptr, drivers->GetObject(0));
  EXPECT_TRUE(drivers->GetObject(0)->is3dfx);
  EXPECT_EQ(a + "\\3dfxgl.dll", drivers->GetObject(0)->fileName);

  // A new file does not show until the search list changes.
  CopyTo(StubDriver("stub_basic"), a + "\\3dfx-minigl.dll");
  EXPECT_EQ(1, list.GetDrivers()->Count());
  list.Search()->Add(a + "\\3dfx*gl*.dll");  // the same pattern twice: each file once
  EXPECT_EQ(drivers, list.GetDrivers());
  EXPECT_EQ(2, drivers->Count());
  EXPECT_GE(drivers->IndexOfFileName(a + "\\3dfx-minigl.dll"), 0);

  // Assigning the search list rebuilds too.
  search.Clear();
  list.SetSearchPath(&search);
  EXPECT_EQ(0, list.GetDrivers()->Count());
}

TEST_F(DriverListComponentTest, AFormResourceStreamsTheSearchPatterns) {
  SglRegisterClasses();
  RegisterClass(&TDriverModule::StaticClass());
  auto* module = CreateComponent<TDriverModule>(nullptr);
  ASSERT_NE(nullptr, module->DriverList);
  EXPECT_EQ((std::vector<std::string>{"<project>\\drivers\\stub_b*.dll", "<project>\\drivers\\stub_full.dll",
                                      "<project>\\drivers\\stub_b*.dll"}),
            module->DriverList->Search()->ToVector());
  EXPECT_EQ((std::vector<std::string>{"stub_basic.dll -   ",
                                      "stub_full.dll - 3Dfx Interactive, Inc. Voodoo OpenGL ICD 3.1.0.42"}),
            Lines(*module->DriverList->GetDrivers()));
  module->Free();
}
