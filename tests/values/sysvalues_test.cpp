// The shared screen-saver settings against the prefix's real registry: what
// InitialiseRegistry creates and leaves alone, the six value components, the
// lookup behind GetSysValue, and GetSysValue itself in fresh processes (its
// memory lasts as long as the process).
#include <gtest/gtest.h>

#include <map>

#include "framework/sysregistry.h"
#include "tests/support/program_run.h"
#include "toolkit/reader.h"
#include "values/sysvalues.h"
#include "values_test_support.h"

using namespace testing_support;
using values_testing::Only;
using values_testing::RecordingController;

namespace {

// Every entry of a key: name -> (type, bytes).
using Entries = std::map<std::string, std::pair<DWORD, std::string>>;

Entries Snapshot(const char* path) {
  Entries entries;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return entries;
  for (DWORD i = 0;; ++i) {
    char name[512];
    DWORD nameSize = sizeof name, type = 0, size = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::string bytes(size, '\0');
    nameSize = sizeof name;
    RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size);
    entries[name] = {type, bytes.substr(0, size)};
  }
  RegCloseKey(key);
  return entries;
}

void Put(const char* path, const std::string& entry, DWORD type, const std::string& bytes) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                           nullptr));
  RegSetValueExA(key, entry.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                 static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
}

std::string Dword(DWORD n) { return std::string(reinterpret_cast<const char*>(&n), 4); }
std::string Sz(const std::string& text) { return text + '\0'; }
void PutNumber(const std::string& entry, DWORD n) { Put(kScreenSaverKey, entry, REG_DWORD, Dword(n)); }
void Remove(const char* path, const std::string& entry) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, entry.c_str());
  RegCloseKey(key);
}
std::pair<DWORD, std::string> Entry(const char* path, const std::string& entry) {
  Entries all = Snapshot(path);
  auto it = all.find(entry);
  return it == all.end() ? std::make_pair(DWORD(0), std::string("<missing>")) : it->second;
}
std::pair<DWORD, std::string> SaverEntry(const std::string& entry) { return Entry(kScreenSaverKey, entry); }

// Empties the screen-saver key and the desktop's password flag for a test,
// and puts back what was there.
class SharedKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    saver_ = Snapshot(kScreenSaverKey);
    desktop_ = Snapshot(kDesktopKey);
    for (auto& [name, value] : saver_) Remove(kScreenSaverKey, name);
    Remove(kDesktopKey, "ScreenSaveUsePassword");
    desktopNow_ = Snapshot(kDesktopKey);
    SetEnvironmentVariableA("SPIRALIS_CALLS", "");
  }
  void TearDown() override {
    for (auto& [name, value] : Snapshot(kScreenSaverKey)) Remove(kScreenSaverKey, name);
    for (auto& [name, value] : saver_) Put(kScreenSaverKey, name, value.first, value.second);
    Remove(kDesktopKey, "ScreenSaveUsePassword");
    auto it = desktop_.find("ScreenSaveUsePassword");
    if (it != desktop_.end()) Put(kDesktopKey, it->first, it->second.first, it->second.second);
    SetEnvironmentVariableA("SPIRALIS_CALLS", nullptr);
  }
  // The desktop key holds nothing else than at the start, besides `except`.
  void ExpectDesktopUntouched(const std::string& except = "") {
    Entries now = Snapshot(kDesktopKey);
    now.erase(except);
    EXPECT_EQ(desktopNow_, now);
  }
  TComponent form_{nullptr};

 private:
  Entries saver_, desktop_, desktopNow_;
};

const Entries kInitialised = {
    {"Password Delay", {REG_DWORD, Dword(30)}},       {"Password Delay Index", {REG_DWORD, Dword(0)}},
    {"Mouse Threshold", {REG_DWORD, Dword(100)}},     {"Mouse Threshold Index", {REG_DWORD, Dword(1)}},
    {"Mouse Corners", {REG_SZ, std::string("----\0", 5)}}, {"Mute Sound", {REG_DWORD, Dword(0)}},
    {"Active Config", {REG_DWORD, Dword(0)}},
};

}  // namespace

// ---- InitialiseRegistry ----------------------------------------------------------

TEST_F(SharedKeys, InitialiseCreatesTheSevenEntriesOnceAndThenChangesNothing) {
  RegDeleteKeyA(HKEY_CURRENT_USER, kScreenSaverKey);  // no key at all: it is created
  EXPECT_EQ(ERROR_SUCCESS, InitialiseRegistry());
  EXPECT_EQ(kInitialised, Snapshot(kScreenSaverKey));
  EXPECT_EQ(ERROR_SUCCESS, InitialiseRegistry());
  EXPECT_EQ(kInitialised, Snapshot(kScreenSaverKey));
  ExpectDesktopUntouched();
}

TEST_F(SharedKeys, InitialiseKeepsWhatIsThereAndSetsBackIndexesBeyondTheirChoicesInTheirOwnType) {
  PutNumber("Password Delay", 7);
  PutNumber("Password Delay Index", 5);
  Put(kScreenSaverKey, "Mouse Threshold Index", REG_BINARY, Dword(0xFFFFFFFF));  // unsigned: above 3
  Put(kScreenSaverKey, "Mouse Corners", REG_SZ, Sz("YN"));
  PutNumber("Mute Sound", 1);
  EXPECT_EQ(ERROR_SUCCESS, InitialiseRegistry());
  Entries expected = kInitialised;
  expected["Password Delay"].second = Dword(7);
  expected["Mouse Threshold Index"] = {REG_BINARY, Dword(1)};
  expected["Mouse Corners"].second = Sz("YN");
  expected["Mute Sound"].second = Dword(1);
  EXPECT_EQ(expected, Snapshot(kScreenSaverKey));

  PutNumber("Password Delay Index", 1);  // the largest choices stay
  PutNumber("Mouse Threshold Index", 3);
  InitialiseRegistry();
  EXPECT_EQ(Dword(1), SaverEntry("Password Delay Index").second);
  EXPECT_EQ(Dword(3), SaverEntry("Mouse Threshold Index").second);
}

// Another program's data: wrong types, odd sizes, oversized text, a long
// corner string. None of it is rewritten (that would change its type or
// lose the corners); the missing entries are still created, and the
// components read defaults for what they cannot use.
TEST_F(SharedKeys, SurprisingDataIsLeftAsItIsAndReadsAsDefaults) {
  const std::string huge(100000, '7');
  const Entries foreign = {
      {"Password Delay", {REG_SZ, Sz("45")}},
      {"Password Delay Index", {REG_SZ, Sz("5")}},
      {"Mouse Threshold", {REG_SZ, Sz(huge)}},
      {"Mouse Corners", {REG_SZ, Sz("NYYN and more")}},
      {"Mute Sound", {REG_BINARY, std::string(8, '\1')}},
      {"Active Config", {REG_DWORD, std::string("\1\0", 2)}},
      {"Mute", {REG_MULTI_SZ, std::string("1\0\0", 3)}},
      {"Other Saver", {REG_SZ, Sz("theirs")}},
  };
  for (auto& [name, value] : foreign) Put(kScreenSaverKey, name, value.first, value.second);
  Put(kDesktopKey, "ScreenSaveUsePassword", REG_SZ, Sz("1"));

  EXPECT_EQ(ERROR_SUCCESS, InitialiseRegistry());
  Entries expected = foreign;
  expected["Mouse Threshold Index"] = {REG_DWORD, Dword(1)};
  EXPECT_EQ(expected, Snapshot(kScreenSaverKey));

  auto* delay = new TScrVSysPasswordDelay(&form_);
  auto* threshold = new TScrVSysMouseThreshold(&form_);
  auto* mute = new TScrVSysMute(&form_);
  auto* disable = new TScrVSysDisableActiveConfig(&form_);
  auto* password = new TScrVSysUsePassword(&form_);
  auto* corners = new TScrVSysCorners(&form_);
  EXPECT_EQ(15, delay->GetValue());
  EXPECT_EQ(0, threshold->GetIndex());
  EXPECT_TRUE(mute->GetValue());
  EXPECT_FALSE(disable->GetValue());
  EXPECT_FALSE(password->GetValue());
  EXPECT_EQ("NYYN", corners->GetValue());

  // Saving does not turn their entries into ours either.
  SaveValuesToRegistry(&form_);
  expected["Mouse Threshold Index"].second = Dword(0);
  expected["Active Config"].second = Dword(1);       // a number, now of four bytes
  expected["Mouse Corners"].second = Sz("NYYN");
  EXPECT_EQ(expected, Snapshot(kScreenSaverKey));
  EXPECT_EQ(std::make_pair(DWORD(REG_SZ), Sz("1")), Entry(kDesktopKey, "ScreenSaveUsePassword"));
}

// ---- The components ----------------------------------------------------------------

TEST_F(SharedKeys, PasswordDelayIsReadUncheckedAndSavedWithItsIndex) {
  auto* delay = new TScrVSysPasswordDelay(&form_);
  ASSERT_EQ(2, delay->GetRanges()->Count());
  EXPECT_EQ("minutes", delay->GetRanges()->GetItem(1)->Caption());
  EXPECT_EQ(120, delay->IntegerFromIndex(1));
  EXPECT_EQ(15, delay->GetValue());  // missing
  PutNumber("Password Delay", 5000);
  delay->LoadFromRegistry();
  EXPECT_EQ(5000, delay->GetValue());  // outside both ranges, kept

  for (auto [seconds, index] : {std::pair{60, 1}, {59, 0}}) {
    delay->SetValue(seconds);
    delay->SaveToRegistry();
    EXPECT_EQ(std::make_pair(DWORD(REG_DWORD), Dword(seconds)), SaverEntry("Password Delay"));
    EXPECT_EQ(std::make_pair(DWORD(REG_DWORD), Dword(index)), SaverEntry("Password Delay Index"));
  }
  // An entry of four binary bytes keeps its type.
  Put(kScreenSaverKey, "Password Delay", REG_BINARY, Dword(45));
  delay->LoadFromRegistry();
  EXPECT_EQ(45, delay->GetValue());
  delay->SetValue(61);
  delay->SaveToRegistry();
  EXPECT_EQ(std::make_pair(DWORD(REG_BINARY), Dword(61)), SaverEntry("Password Delay"));
  EXPECT_EQ(2u, Snapshot(kScreenSaverKey).size());
}

TEST_F(SharedKeys, MouseThresholdReadsAsTheRangeHoldingItAndIsSavedAsThatRange) {
  auto* threshold = new TScrVSysMouseThreshold(&form_);
  ASSERT_EQ(4, threshold->GetRanges()->Count());
  EXPECT_EQ("Ignore mouse movement", threshold->GetRanges()->GetItem(3)->Caption());
  struct Case { DWORD stored; int index; DWORD written; };
  for (const Case c : {Case{5, 0, 0}, Case{20000, 3, 999999}, Case{100, 1, 200}, Case{1000000, 0, 0},
                       Case{0xFFFFFFFF, 0, 0}}) {
    PutNumber("Mouse Threshold", c.stored);
    threshold->LoadFromRegistry();
    EXPECT_EQ(c.index, threshold->GetIndex()) << c.stored;
    threshold->SaveToRegistry();
    EXPECT_EQ(Dword(c.written), SaverEntry("Mouse Threshold").second) << c.stored;
    EXPECT_EQ(Dword(c.index), SaverEntry("Mouse Threshold Index").second) << c.stored;
  }
  Remove(kScreenSaverKey, "Mouse Threshold");
  threshold->LoadFromRegistry();
  EXPECT_EQ(0, threshold->GetIndex());
  // Changes in a bracket are told once, when it closes.
  RecordingController told;
  told.Link(threshold);
  threshold->SetUpdating(true);
  threshold->SetIndex(1);
  threshold->SetIndex(2);
  EXPECT_TRUE(told.sets.empty());
  threshold->SetUpdating(false);
  EXPECT_EQ(1u, told.sets.size());

  // An index that names no range writes nothing (and throws nothing).
  PutNumber("Mouse Threshold", 400);
  threshold->SetIndex(-1);
  EXPECT_NO_THROW(threshold->SaveToRegistry());
  threshold->SetIndex(9);
  EXPECT_NO_THROW(threshold->SaveToRegistry());
  EXPECT_EQ(Dword(400), SaverEntry("Mouse Threshold").second);
}

TEST_F(SharedKeys, FlagsReadTheirOwnEntriesAndWriteOneOrZero) {
  auto* mute = new TScrVSysMute(&form_);
  auto* disable = new TScrVSysDisableActiveConfig(&form_);
  auto* password = new TScrVSysUsePassword(&form_);
  PutNumber("Mute Sound", 0);  // not the component's entry
  EXPECT_TRUE(mute->GetValue());
  EXPECT_FALSE(disable->GetValue());
  EXPECT_FALSE(password->GetValue());

  PutNumber("Mute", 0);
  PutNumber("Active Config", 0);
  Put(kDesktopKey, "ScreenSaveUsePassword", REG_DWORD, Dword(1));
  LoadValuesFromRegistry(&form_);
  EXPECT_FALSE(mute->GetValue());
  EXPECT_TRUE(disable->GetValue());
  EXPECT_TRUE(password->GetValue());
  Put(kDesktopKey, "ScreenSaveUsePassword", REG_DWORD, Dword(0xFFFFFFFF));  // not greater than 0
  password->LoadFromRegistry();
  EXPECT_FALSE(password->GetValue());

  mute->SetValue(true);
  disable->SetValue(false);
  password->SetValue(true);
  SaveValuesToRegistry(&form_);
  EXPECT_EQ(Dword(1), SaverEntry("Mute").second);
  EXPECT_EQ(Dword(0), SaverEntry("Mute Sound").second);
  EXPECT_EQ(Dword(1), SaverEntry("Active Config").second);
  EXPECT_EQ(std::make_pair(DWORD(REG_DWORD), Dword(1)), Entry(kDesktopKey, "ScreenSaveUsePassword"));
  disable->SetValue(true);
  disable->SaveToRegistry();
  EXPECT_EQ(Dword(0), SaverEntry("Active Config").second);
  EXPECT_EQ(3u, Snapshot(kScreenSaverKey).size());
  ExpectDesktopUntouched("ScreenSaveUsePassword");
}

TEST_F(SharedKeys, CornerStringIsCleanedEditedByCornerAndSavedWithANotice) {
  EXPECT_EQ("----", TScrVSysCorners::CleanString(""));
  EXPECT_EQ("YN--", TScrVSysCorners::CleanString("YN"));
  EXPECT_EQ("--Y-", TScrVSysCorners::CleanString("ynYx12"));
  EXPECT_EQ("NNYY", TScrVSysCorners::CleanString("NNYYY"));

  auto* corners = new TScrVSysCorners(&form_);
  EXPECT_EQ("----", corners->GetValue());  // missing
  Put(kScreenSaverKey, "Mouse Corners", REG_EXPAND_SZ, Sz("YN"));
  corners->LoadFromRegistry();
  EXPECT_EQ("YN--", corners->GetValue());
  EXPECT_EQ(cmImmediate, corners->GetCorner(ccTopLeft));
  EXPECT_EQ(cmNever, corners->GetCorner(ccTopRight));
  EXPECT_EQ(cmNone, corners->GetCorner(ccBotRight));
  EXPECT_EQ(cmNone, corners->GetCorner(static_cast<TScrCorner>(4)));

  RecordingController controller;
  controller.Link(corners);
  corners->SetValue("----");
  corners->SetCorner(ccBotLeft, cmNever);
  EXPECT_EQ("---N", corners->GetValue());
  corners->SetCorner(static_cast<TScrCorner>(4), cmImmediate);
  corners->SetCorner(static_cast<TScrCorner>(-1), cmImmediate);
  corners->SetValue("---Nxyz");  // the same once cleaned
  EXPECT_EQ("---N", corners->GetValue());
  EXPECT_EQ(2u, controller.sets.size());
  for (auto& s : controller.sets) EXPECT_EQ(Only(vnChange), s);

  corners->SaveToRegistry();  // no corner service: nothing to tell
  EXPECT_EQ(std::make_pair(DWORD(REG_EXPAND_SZ), Sz("---N")), SaverEntry("Mouse Corners"));
  EXPECT_EQ("", StandInCalls());
  {
    InstalledLibrary service("Cornsvc.dll");
    corners->SetCorner(ccTopLeft, cmImmediate);
    corners->SaveToRegistry();
    EXPECT_EQ("Screen_Saver_Changed;", StandInCalls());
  }
  EXPECT_EQ(Sz("Y--N"), SaverEntry("Mouse Corners").second);
  // Text set past the cleaning setter is stored clean all the same.
  corners->TScrVCustomString::SetValue("a");
  corners->SaveToRegistry();
  EXPECT_EQ(Sz("----"), SaverEntry("Mouse Corners").second);
  EXPECT_EQ(1u, Snapshot(kScreenSaverKey).size());
}

TEST(SysValueStreaming, TheSixClassesComeFromAResourceByNameAndTagOnly) {
  const char* names[] = {"TScrVSysPasswordDelay", "TScrVSysMouseThreshold", "TScrVSysMute",
                         "TScrVSysDisableActiveConfig", "TScrVSysUsePassword", "TScrVSysCorners"};
  std::string text = "object Form: TComponent\n";
  for (const char* n : names) text += std::string("  object ") + (n + 5) + ": " + n + "\n    Tag = 3\n  end\n";
  text += "end\n";
  TComponent root(nullptr);
  ASSERT_NO_THROW(ReadComponentResTexts(&root, {{&TComponent::StaticClass(), text}}));
  ASSERT_EQ(6, root.ComponentCount());
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(names[i], std::string(root.Components(i)->ClassName()));
    EXPECT_EQ(3, root.Components(i)->Tag());
  }
  TComponent other(nullptr);
  EXPECT_THROW(ReadComponentResTexts(&other, {{&TComponent::StaticClass(),
                                               "object F: TComponent\n  object M: TScrVSysMute\n"
                                               "    RegistryPath = 'x'\n  end\nend\n"}}),
               EReadError);
}

// ---- The lookup behind GetSysValue -------------------------------------------------

TEST_F(SharedKeys, LookupSearchesOnceRemembersAndForgetsDestroyedComponents) {
  TScrSysValueLookup lookup;
  std::int32_t v = -7;
  EXPECT_FALSE(lookup.Answer(svMute, nullptr, v));  // no owner: no search
  EXPECT_FALSE(lookup.Searched(svMute));

  TComponent empty(nullptr);
  new TScrVSysMute(&empty);  // another class's component is passed over
  EXPECT_FALSE(lookup.Answer(svPasswordDelay, &empty, v));
  EXPECT_TRUE(lookup.Searched(svPasswordDelay));
  auto* delay = new TScrVSysPasswordDelay(&form_);
  EXPECT_FALSE(lookup.Answer(svPasswordDelay, &form_, v));  // none was remembered
  EXPECT_EQ(-7, v);

  PutNumber("Mute", 0);
  PutNumber("Active Config", 5);
  auto* mute = new TScrVSysMute(&form_);
  new TScrVSysMute(&form_);  // the first one answers
  auto* disable = new TScrVSysDisableActiveConfig(&form_);
  auto* password = new TScrVSysUsePassword(&form_);
  auto* threshold = new TScrVSysMouseThreshold(&form_);
  LoadValuesFromRegistry(&form_);  // what is set below is not loaded over
  ASSERT_TRUE(lookup.Answer(svMute, &form_, v));
  EXPECT_EQ(0, v);
  EXPECT_EQ(mute, lookup.Found(svMute));
  mute->SetValue(true);
  EXPECT_FALSE(lookup.Answer(svMute, nullptr, v));  // still never without an owner
  ASSERT_TRUE(lookup.Answer(svMute, &empty, v));    // remembered, whatever the owner
  EXPECT_EQ(1, v);
  ASSERT_TRUE(lookup.Answer(svActiveConfig, &form_, v));
  EXPECT_EQ(1, v);
  disable->SetValue(true);
  lookup.Answer(svActiveConfig, &form_, v);
  EXPECT_EQ(0, v);
  password->SetValue(true);
  ASSERT_TRUE(lookup.Answer(svUsePassword, &form_, v));
  EXPECT_EQ(1, v);
  threshold->SetIndex(2);
  ASSERT_TRUE(lookup.Answer(svMouseThreshold, &form_, v));
  EXPECT_EQ(400, v);
  threshold->SetIndex(-1);  // no range: the registry answers instead
  EXPECT_FALSE(lookup.Answer(svMouseThreshold, &form_, v));

  delete mute;
  EXPECT_EQ(nullptr, lookup.Found(svMute));
  EXPECT_FALSE(lookup.Answer(svMute, &form_, v));
  // A value beyond the list names nothing and is never searched.
  for (const int beyond : {-1, svUsePassword + 1}) {
    const auto which = static_cast<TScrSysValue>(beyond);
    EXPECT_EQ(nullptr, lookup.Found(which)) << beyond;
    EXPECT_FALSE(lookup.Searched(which)) << beyond;
    EXPECT_FALSE(lookup.Answer(which, &form_, v)) << beyond;
  }
  (void)delay;
}

// ---- GetSysValue, each case in a process of its own ----------------------------------

using FreshProcess = SharedKeys;

TEST(SysValueQuery, EachCaseInAFreshProcess) {
  for (const char* test : {"AComponentOnTheFormAnswersForTheRegistry", "NoOwnerReadsTheRegistryWithoutSearching",
                           "AMissingEntryIsRememberedAsItsDefault", "AnOwnerWithoutTheComponentIsRemembered",
                           "AnExistingEntryIsReadEveryTime"})
    EXPECT_EQ(RunInChild(std::string("FreshProcess.DISABLED_") + test), "");
}

TEST_F(FreshProcess, DISABLED_AComponentOnTheFormAnswersForTheRegistry) {
  ASSERT_EQ(&ScrGetSysValue, GetSysValueProc);  // filled before main ran
  PutNumber("Password Delay", 45);
  auto* delay = new TScrVSysPasswordDelay(&form_);
  delay->GetValue();  // loaded, then changed as a dialog would
  delay->SetValue(100);
  EXPECT_EQ(45, GetSysValue(svPasswordDelay, nullptr));
  EXPECT_EQ(100, GetSysValue(svPasswordDelay, &form_));
  PutNumber("Mouse Threshold", 20);
  EXPECT_EQ(20, GetSysValue(svMouseThreshold, &form_));  // no component on the form
}

TEST_F(FreshProcess, DISABLED_NoOwnerReadsTheRegistryWithoutSearching) {
  PutNumber("Mute Sound", 1);
  PutNumber("Mute", 0);
  new TScrVSysMute(&form_);
  EXPECT_EQ(1, GetSysValue(svMute, nullptr));
  EXPECT_EQ(0, GetSysValue(svMute, &form_));
  EXPECT_EQ(0, GetSysValue(svUsePassword, nullptr));  // missing
}

TEST_F(FreshProcess, DISABLED_AMissingEntryIsRememberedAsItsDefault) {
  EXPECT_EQ(0, GetSysValue(svMute, nullptr));
  PutNumber("Mute Sound", 1);
  PutNumber("Mute", 1);
  new TScrVSysMute(&form_);
  EXPECT_EQ(0, GetSysValue(svMute, &form_));
  // Text where a number belongs reads as the default, not as its bytes.
  Put(kScreenSaverKey, "Password Delay", REG_SZ, Sz("45"));
  Put(kScreenSaverKey, "Mouse Threshold", REG_BINARY, std::string(5, '\0'));
  EXPECT_EQ(15, GetSysValue(svPasswordDelay, nullptr));
  EXPECT_EQ(50, GetSysValue(svMouseThreshold, nullptr));
}

TEST_F(FreshProcess, DISABLED_AnOwnerWithoutTheComponentIsRemembered) {
  PutNumber("Mute Sound", 1);
  TComponent other(nullptr);
  EXPECT_EQ(1, GetSysValue(svMute, &other));
  auto* mute = new TScrVSysMute(&form_);
  mute->SetValue(false);
  EXPECT_EQ(1, GetSysValue(svMute, &form_));
}

TEST_F(FreshProcess, DISABLED_AnExistingEntryIsReadEveryTime) {
  PutNumber("Password Delay", 45);
  EXPECT_EQ(45, GetSysValue(svPasswordDelay, nullptr));
  PutNumber("Password Delay", 50);
  EXPECT_EQ(50, GetSysValue(svPasswordDelay, nullptr));
  Put(kDesktopKey, "ScreenSaveUsePassword", REG_DWORD, Dword(1));
  EXPECT_EQ(1, GetSysValue(svUsePassword, nullptr));
}
