// The password providers and corner services, absent and present.
#include <gtest/gtest.h>

#include "framework/hotcorners.h"
#include "framework/passwords.h"
#include "framework/trace.h"
#include "tests/support/win32_support.h"

using namespace testing_support;

namespace {

class Providers : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableA("SPIRALIS_CALLS", "");
    SetEnvironmentVariableA("SPIRALIS_ANSWER", "1");
    ScrDebugReset();
    ScrDebugSettings(tlAll, false, log, smSFull);
  }
  void TearDown() override {
    ScrDebugReset();
    SetEnvironmentVariableA("SPIRALIS_CALLS", nullptr);
    SetEnvironmentVariableA("SPIRALIS_ANSWER", nullptr);
  }
  TempDir dir;
  std::string log = dir / "trace.log";
};

HWND H(unsigned v) { return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(v)); }

}  // namespace

TEST_F(Providers, WithoutAPasswordProviderTheSaverMayClose) {
  EXPECT_TRUE(DefaultVerifyPasswordDialog(nullptr));
  EXPECT_EQ(ReadFile(log), "DefaultVerifyPasswordDialog: unable to load pwd-provider library. Aborting\r\n");
}

TEST_F(Providers, AProviderWithoutTheEntryDoesNotBlockEither) {
  // A library that loads but exports nothing.
  InstalledLibrary provider("PASSWORD.CPL", "empty_library.dll");
  EXPECT_TRUE(DefaultVerifyPasswordDialog(nullptr));
  std::string trace = ReadFile(log);
  EXPECT_NE(trace.find("could not get verifypw proc address. Aborting"), std::string::npos) << trace;
}

TEST_F(Providers, TheProviderDecidesAndIsReleasedAfterwards) {
  InstalledLibrary provider("PASSWORD.CPL");
  EXPECT_TRUE(DefaultVerifyPasswordDialog(H(0x1234)));
  EXPECT_EQ(StandInCalls(), "VerifyScreenSavePwd(1234);");
  EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);

  SetEnvironmentVariableA("SPIRALIS_ANSWER", "0");
  EXPECT_FALSE(DefaultVerifyPasswordDialog(H(0x1234)));
  EXPECT_FALSE(DefaultVerifyPasswordDialog(H(0x1234)));  // asked again, refused again
  EXPECT_EQ(ReadFile(log),
            "DefaultVerifyPasswordDialog: about to call VerifyScreenSavePwd...\r\n"
            "DefaultVerifyPasswordDialog: verifypwd returned TRUE!\r\n"
            "DefaultVerifyPasswordDialog: about to call VerifyScreenSavePwd...\r\n"
            "DefaultVerifyPasswordDialog: verifypwd returned FALSE.\r\n"
            "DefaultVerifyPasswordDialog: about to call VerifyScreenSavePwd...\r\n"
            "DefaultVerifyPasswordDialog: verifypwd returned FALSE.\r\n");
}

TEST_F(Providers, PasswordChangeGoesToTheProviderWithItsOwner) {
  {
    InstalledLibrary provider("MPR.DLL");
    DefaultChangePasswordDialog(H(0xBEEF));
    DefaultChangePasswordDialog(nullptr);
    EXPECT_EQ(StandInCalls(), "PwdChangePasswordA(SCRSAVE,beef,0,0);PwdChangePasswordA(SCRSAVE,0,0,0);");
    EXPECT_EQ(GetModuleHandleA("MPR.DLL"), nullptr);
  }
  // With the system's own provider in its place the call must simply return.
  SetEnvironmentVariableA("SPIRALIS_CALLS", "");
  DefaultChangePasswordDialog(nullptr);
  EXPECT_EQ(StandInCalls(), "");
}

TEST_F(Providers, CornerServicesAbsentArePassedOverSilently) {
  EXPECT_FALSE(CheckForHots());
  NotifyHots();
  EXPECT_EQ(StandInCalls(), "");
  EXPECT_EQ(ReadFile(log), "");
}

TEST_F(Providers, EitherRunningCornerServiceCounts) {
  {
    InstalledLibrary own("Cornsvc.dll");
    EXPECT_TRUE(CheckForHots());
    SetEnvironmentVariableA("SPIRALIS_ANSWER", "0");
    EXPECT_FALSE(CheckForHots());
    NotifyHots();
    EXPECT_EQ(StandInCalls(), "System_Agent_Detect;System_Agent_Detect;Screen_Saver_Changed;");
  }
  SetEnvironmentVariableA("SPIRALIS_CALLS", "");
  InstalledLibrary agent("Sage.DLL");
  InstalledLibrary own("Cornsvc.dll");
  SetEnvironmentVariableA("SPIRALIS_ANSWER", "1");
  EXPECT_TRUE(CheckForHots());
  NotifyHots();
  // Both are asked, the system agent first, and both are told.
  EXPECT_EQ(StandInCalls(), "System_Agent_Detect;System_Agent_Detect;Screen_Saver_Changed;Screen_Saver_Changed;");
  EXPECT_EQ(GetModuleHandleA("Sage.DLL"), nullptr);
  EXPECT_EQ(GetModuleHandleA("Cornsvc.dll"), nullptr);
}
