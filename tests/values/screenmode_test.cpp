// The screen-mode value: its lists from the display (Wine's, or lists given
// directly), choosing by dimensions, its stored text, and switching lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_viewer.h"
#include "values_test_support.h"

using namespace values_testing;

namespace {

std::vector<TScrModeEntry> gModes;
TScrDesktopMode gDesktop{1024, 768, 32};
std::vector<TScrModeEntry> GivenModes() { return gModes; }
TScrDesktopMode GivenDesktop() { return gDesktop; }

std::vector<std::string> Captions(TScrVScreenMode& v) {
  std::vector<std::string> out;
  for (int i = 0; i < v.GetCount(); ++i) out.push_back(v.StringFromIndex(i));
  return out;
}

// A display given as a list, restored to the system's afterwards.
struct ScreenModeTest : ::testing::Test {
  ScratchKey reg;
  TComponent* form = new TComponent(nullptr);
  TScrVScreenMode* value = new TScrVScreenMode(form);
  ScreenModeTest() {
    ScrDisplayModesProc = &GivenModes;
    ScrDesktopModeProc = &GivenDesktop;
    gModes = {{640, 480, 8}, {800, 600, 16}, {640, 480, 16}, {640, 480, 8}};
    gDesktop = {1024, 768, 32};
    value->SetName("Mode");
    value->SetRegistryPath(reg / "<name>");
  }
  ~ScreenModeTest() override {
    form->Free();
    ScrDisplayModesProc = &ScrEnumDisplayModes;
    ScrDesktopModeProc = &ScrCurrentDesktopMode;
  }
  void Store(const std::string& text) { reg.PutText("Mode", text); }
};

TEST(ScreenModeDisplayTest, WinesModesAreListed) {
  TScrDesktopMode desktop = ScrCurrentDesktopMode();
  EXPECT_EQ(1024, desktop.width);
  EXPECT_EQ(768, desktop.height);
  std::vector<TScrModeEntry> modes = ScrEnumDisplayModes();
  ASSERT_FALSE(modes.empty());

  TScrVScreenMode value(nullptr);
  value.SetRegistryPath("Software\\Vantrel\\ValuesTest\\Mode");
  std::vector<std::string> captions = Captions(value);
  ASSERT_GE(captions.size(), 2u);
  EXPECT_EQ("normal", captions[0]);
  EXPECT_NE(std::find(captions.begin(), captions.end(), "1024x768"), captions.end());
  EXPECT_EQ(0, value.GetIndex()) << "nothing stored, nothing asked: normal";

  // Depths told apart: the desktop's own mode is there, in order, once.
  value.SetIgnoreBpp(false);
  captions = Captions(value);
  const std::string own = std::to_string(desktop.width) + "x" + std::to_string(desktop.height) + "x" +
                          std::to_string(desktop.bpp);
  EXPECT_EQ(1, std::count(captions.begin(), captions.end(), own)) << own;
  for (int i = 2; i < value.GetCount(); ++i) {
    const TScrModeEntry& a = value.GetModes(i - 1);
    const TScrModeEntry& b = value.GetModes(i);
    EXPECT_TRUE(a.width < b.width || (a.width == b.width && (a.height < b.height ||
                                                             (a.height == b.height && a.bpp < b.bpp))))
        << value.StringFromIndex(i - 1) << " before " << value.StringFromIndex(i);
  }
}

TEST_F(ScreenModeTest, ListsFollowTheFlags) {
  EXPECT_EQ((std::vector<std::string>{"normal", "640x480", "800x600"}), Captions(*value));
  value->SetIgnoreBpp(false);
  EXPECT_EQ((std::vector<std::string>{"normal", "640x480x8", "640x480x16", "800x600x16"}), Captions(*value));
  value->SetFor3dfx(true);
  EXPECT_EQ((std::vector<std::string>{"512x384", "640x480", "800x600", "1024x768"}), Captions(*value));
  EXPECT_EQ(-1, value->GetModes(0).bpp);
  EXPECT_THROW(value->GetModes(4), EListError);
  EXPECT_THROW(value->StringFromIndex(-1), EListError);

  gModes.clear();  // a display that offers nothing still has "normal"
  value->SetFor3dfx(false);
  EXPECT_EQ((std::vector<std::string>{"normal"}), Captions(*value));
}

TEST_F(ScreenModeTest, StoredTextsChooseTheNearestEntry) {
  struct Case {
    const char* stored;
    std::vector<TScrModeEntry> display;
    std::int32_t defWidth;
    bool for3dfx;
    const char* chosen;
  } cases[] = {
      {"640x480", gModes, -1, false, "640x480"},
      {"1600x1200", {{640, 480, 16}, {1280, 1024, 16}, {1024, 768, 16}}, -1, false, "1280x1024"},
      {"normal", gModes, 640, false, "640x480"},  // the word itself is not read
      {"640X480", gModes, -1, false, "normal"},   // capital X: the defaults
      {"640x48o", gModes, -1, false, "normal"},
      {"", gModes, 800, false, "800x600"},
      {"default", gModes, -1, false, "normal"},
      {"default", gModes, -1, true, "512x384"},
      {"normal", gModes, -1, true, "800x600"},
      {"99999999999x1", gModes, -1, false, "normal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("stored '") + c.stored + "'");
    gModes = c.display;
    TScrVScreenMode v(nullptr);
    v.SetRegistryPath(reg / "Mode");
    v.SetDefWidth(c.defWidth);
    v.SetFor3dfx(c.for3dfx);
    Store(c.stored);
    EXPECT_EQ(c.chosen, v.GetCaption());
  }
}

TEST_F(ScreenModeTest, DepthPenaltyOutweighsWidthAndHeight) {
  gModes = {{640, 480, 8}, {640, 480, 32}};
  value->SetIgnoreBpp(false);
  EXPECT_EQ(1, value->IndexFromDimensions(640, 480, 16)) << "640x480x8 (40000) before 640x480x32 (80000)";
  EXPECT_EQ(0, value->IndexFromDimensions(-1, -1, -1));
  gDesktop = {640, 480, 32};
  EXPECT_EQ(2, value->IndexFromDimensions(-1, -1, 32));
  EXPECT_EQ(2, value->IndexFromDimensions(640, -1, -1)) << "depth not asked: the desktop's";
}

TEST_F(ScreenModeTest, SavesTheChosenEntrysText) {
  Store("640x480");
  EXPECT_EQ(1, value->GetIndex());
  EXPECT_EQ(640, value->GetWidth());
  EXPECT_EQ(480, value->GetHeight());
  value->SaveToRegistry();
  EXPECT_EQ("640x480", reg.Text("Mode"));

  value->SetIgnoreBpp(false);
  value->SetDimensions(640, 480, 16);
  value->SaveToRegistry();
  EXPECT_EQ("640x480x16", reg.Text("Mode"));
  value->SetIndex(0);
  value->SaveToRegistry();
  EXPECT_EQ("normal", reg.Text("Mode"));
  EXPECT_EQ(-1, value->GetWidth());
  EXPECT_EQ(-1, value->RequestedBpp());
}

TEST_F(ScreenModeTest, ChangesNotifyOnlyWhenTheChoiceMoves) {
  Store("800x600");
  RecordingController c;
  c.Link(value);
  EXPECT_EQ(2, value->GetIndex());
  EXPECT_TRUE(c.sets.empty()) << "the first load is silent";

  value->SetIndex(2);
  value->SetWidth(800);  // asked for already
  value->SetIndex(17);   // not an entry
  value->SetIndex(-1);
  EXPECT_TRUE(c.sets.empty());
  EXPECT_EQ(2, value->GetIndex());

  value->SetWidth(700);  // 800x600 stays nearest
  EXPECT_TRUE(c.sets.empty());
  value->SetHeight(480);
  EXPECT_EQ("640x480", value->GetCaption());
  EXPECT_EQ(700, value->RequestedWidth());
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ(Only(vnChange), c.sets[0]);

  c.sets.clear();
  value->LoadFromRegistry();
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ(Only(vnChange), c.sets[0]);
  EXPECT_EQ("800x600", value->GetCaption());
}

TEST_F(ScreenModeTest, SwitchingListsKeepsTheRequestedDimensions) {
  gModes = {{640, 480, 16}, {1024, 768, 16}, {1280, 1024, 16}};
  RecordingController c;
  c.Link(value);
  value->SetFor3dfx(true);  // not loaded: the range alone
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ(Only(vnRange), c.sets[0]);
  value->SetFor3dfx(true);
  EXPECT_EQ(1u, c.sets.size());
  value->SetFor3dfx(false);

  Store("1024x768");
  EXPECT_EQ("1024x768", value->GetCaption());
  c.sets.clear();
  value->SetFor3dfx(true);
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ((TValueNotifications{vnRange, vnChange}), c.sets[0]);
  EXPECT_EQ("1024x768", value->GetCaption());
  EXPECT_EQ(3, value->GetIndex());

  c.sets.clear();
  value->SetFor3dfx(false);
  value->SetIgnoreBpp(false);
  EXPECT_EQ("1024x768x16", value->GetCaption());
  ASSERT_EQ(2u, c.sets.size());
  EXPECT_EQ((TValueNotifications{vnRange, vnChange}), c.sets[1]);
}

TEST_F(ScreenModeTest, StreamedFromAFormResourceWithItsDefaults) {
  gModes = {{640, 480, 16}, {1024, 768, 8}, {1024, 768, 32}};
  gDesktop = {1024, 768, 32};
  RegisterTestViewerClasses();
  TComponent app(nullptr);
  auto* settings = CreateComponent<TTestSettings>(&app);
  ASSERT_NE(nullptr, settings->Mode);
  EXPECT_FALSE(settings->Mode->IgnoreBpp());
  EXPECT_EQ(1024, settings->Mode->DefWidth());
  EXPECT_EQ("1024x768x32", settings->Mode->GetCaption()) << "depth not asked: the desktop's";
  settings->Free();
}

}  // namespace
