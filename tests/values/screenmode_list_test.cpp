#include "values/screenmode_list.h"

#include <gtest/gtest.h>

namespace {

using Modes = std::vector<TScrModeEntry>;
const TScrDesktopMode kDesktop{1024, 768, 32};

std::vector<std::string> Texts(const Modes& list, bool ignoreBpp, bool for3dfx = false) {
  std::vector<std::string> out;
  for (const auto& e : list) out.push_back(ScrModeText(e, ignoreBpp, for3dfx));
  return out;
}

int Best(const Modes& list, int w, int h, int b, bool ignoreBpp = true, bool for3dfx = false) {
  return BestScrModeIndex(list, w, h, b, ignoreBpp, for3dfx, kDesktop);
}

}  // namespace

TEST(ScreenModeList, DisplayModesAreSortedAfterNormalWithDuplicatesDropped) {
  Modes display{{800, 600, 16}, {640, 480, 16}, {640, 480, 8}, {800, 600, 16}};
  EXPECT_EQ(Texts(BuildScrModeList(display, true, false), true),
            (std::vector<std::string>{"normal", "640x480", "800x600"}));
  EXPECT_EQ(Texts(BuildScrModeList(display, false, false), false),
            (std::vector<std::string>{"normal", "640x480x8", "640x480x16", "800x600x16"}));
  // Width first, then height, then depth; an empty display still offers "normal".
  Modes odd{{1024, 600, 32}, {1024, 480, 32}, {320, 1200, 8}};
  EXPECT_EQ(Texts(BuildScrModeList(odd, true, false), true),
            (std::vector<std::string>{"normal", "320x1200", "1024x480", "1024x600"}));
  EXPECT_EQ(Texts(BuildScrModeList({}, true, false), true), std::vector<std::string>{"normal"});
}

TEST(ScreenModeList, ThreeDfxBoardsHaveAFixedListWithoutNormal) {
  Modes display{{1280, 1024, 32}};
  EXPECT_EQ(Texts(BuildScrModeList(display, false, true), false, true),
            (std::vector<std::string>{"512x384", "640x480", "800x600", "1024x768"}));
}

TEST(ScreenModeList, BestEntryIsTheNearest) {
  Modes list = BuildScrModeList({{640, 480, 16}, {800, 600, 16}, {1280, 1024, 16}}, true, false);
  EXPECT_EQ(Best(list, -1, -1, -1), 0);          // normal
  EXPECT_EQ(Best(list, 640, 480, -1), 1);
  EXPECT_EQ(Best(list, 1600, 1200, -1), 3);      // larger than the display offers
  EXPECT_EQ(Best(list, 0, 0, 0), 0);             // "default": nearest to 0x0
  EXPECT_EQ(Best(list, 640, -1, -1), 1);
  EXPECT_EQ(Best({}, 640, 480, 16), 0);

  Modes fx = BuildScrModeList({}, true, true);
  EXPECT_EQ(Best(fx, -1, -1, -1, true, true), 2);  // 800x600
  EXPECT_EQ(Best(fx, 0, 0, 0, true, true), 0);     // 512x384
  EXPECT_EQ(Best(fx, 1024, 768, -1, true, true), 3);
}

TEST(ScreenModeList, DepthWeighsHeavilyWhenDepthsAreToldApart) {
  Modes list = BuildScrModeList({{640, 480, 8}, {640, 480, 32}}, false, false);
  EXPECT_EQ(Texts(list, false)[Best(list, 640, 480, 16, false)], "640x480x8");  // 40000 beats 80000
  EXPECT_EQ(Texts(list, false)[Best(list, 640, 480, -1, false)], "640x480x32");  // the desktop's depth
  // Ties keep the earlier entry.
  Modes tie = BuildScrModeList({{600, 480, 16}, {680, 480, 16}}, true, false);
  EXPECT_EQ(Best(tie, 640, 480, -1), 1);
}

TEST(ScreenModeList, StoredTexts) {
  EXPECT_EQ(ParseScrModeText("640x480"), (TScrModeEntry{640, 480, -1}));
  EXPECT_EQ(ParseScrModeText("640x480x16"), (TScrModeEntry{640, 480, 16}));
  EXPECT_EQ(ParseScrModeText("default"), (TScrModeEntry{0, 0, 0}));
  for (const char* bad : {"normal", "640X480", "", "x", "640x", "x480", "640x480x", "640xx480", "abcxdef",
                          "640x480x16x2", "99999999999x1", "Default"})
    EXPECT_EQ(ParseScrModeText(bad), std::nullopt) << bad;
  EXPECT_EQ(ScrModeText({640, 480, 16}, true, false), "640x480");
  EXPECT_EQ(ScrModeText({640, 480, 16}, false, false), "640x480x16");
  EXPECT_EQ(ScrModeText({640, 480, -1}, false, true), "640x480");
  EXPECT_EQ(ScrModeText({}, false, false), "normal");
}
