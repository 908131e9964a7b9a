#include "framework/msgname.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>

TEST(MessageName, NamesThePlatformsAndTheToolkitsMessages) {
  EXPECT_EQ(MessageName(0), "WM_NULL");
  EXPECT_EQ(MessageName(WM_PAINT), "WM_PAINT");
  // Where the platform has two names for a number, the first one listed wins.
  EXPECT_EQ(MessageName(0x1A), "WM_SETTINGCHANGE");
  EXPECT_EQ(MessageName(0x100), "WM_KEYDOWN");
  EXPECT_EQ(MessageName(0x200), "WM_MOUSEMOVE");
  EXPECT_EQ(MessageName(0x38F), "WM_PENWINLAST");
  EXPECT_EQ(MessageName(0xB000), "CM_ACTIVATE");
  EXPECT_EQ(MessageName(0xB021), "CM_RELEASE");
  EXPECT_EQ(MessageName(0xB037), "CM_CHANGED");
  EXPECT_EQ(MessageName(0xBC00 + WM_COMMAND), "CN_COMMAND");
  EXPECT_EQ(MessageName(0xBC00 + WM_PARENTNOTIFY), "CN_PARENTNOTIFY");
}

TEST(MessageName, UnknownNumbersAndTheTableItself) {
  for (unsigned unknown : {0x400u, 0xB038u, 0xBC00u, 0xFFFFFFFFu, 0x390u})
    EXPECT_EQ(MessageName(unknown), "WM_????") << unknown;
  // Every entry of the table is found by its number, under a name of its own.
  std::set<std::string> names;
  for (unsigned n = 0; n < 0x10000; ++n)
    if (MessageName(n) != "WM_????") names.insert(MessageName(n));
  EXPECT_EQ(names.size(), static_cast<size_t>(MessageNameCount()));
  EXPECT_GT(MessageNameCount(), 200);
}
