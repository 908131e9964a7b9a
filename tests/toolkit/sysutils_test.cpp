// Conversions and text helpers, including a user whose decimal separator is a comma.
#include "toolkit/sysutils.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>

#include "tests/support/win32_support.h"

namespace {

// Sets the user's decimal separator for the test and restores it after.
class UserDecimalSeparator {
 public:
  explicit UserDecimalSeparator(const char* separator) {
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved_, sizeof saved_);
    ok_ = SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator) != 0;
    RefreshFormatSettings();
  }
  ~UserDecimalSeparator() {
    SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved_);
    RefreshFormatSettings();
  }
  UserDecimalSeparator(const UserDecimalSeparator&) = delete;
  UserDecimalSeparator& operator=(const UserDecimalSeparator&) = delete;
  bool ok() const { return ok_; }

 private:
  char saved_[8] = ".";
  bool ok_ = false;
};

TEST(StrToInt, AcceptsDecimalAndHexWithinThirtyTwoBits) {
  const std::pair<const char*, int> cases[] = {
      {"42", 42},   {"  -7", -7},          {"+5", 5},           {"$FF", 255},
      {"0x10", 16}, {"$FFFFFFFF", -1},     {"-$10", -16},       {"2147483647", 2147483647},
      {"007", 7},   {"-2147483648", -2147483647 - 1}};
  for (const auto& [text, number] : cases) EXPECT_EQ(StrToInt(text), number) << text;
  for (const char* bad : {"", " ", "12a", "2147483648", "-2147483649", "1.5", "12 ", "$", "0x", "--1", "$1FFFFFFFF",
                          "99999999999999999999", "3,600"}) {
    SCOPED_TRACE(bad);
    try {
      StrToInt(bad);
      ADD_FAILURE() << "accepted";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), std::string("'") + bad + "' is not a valid integer value");
    }
  }
  EXPECT_EQ(StrToIntDef("x", -5), -5);
  EXPECT_EQ(IntToStr(-12), "-12");
}

TEST(Float, GeneralFormatIsShortestWithFifteenDigits) {
  UserDecimalSeparator dot(".");
  ASSERT_EQ(DecimalSeparator(), '.');
  const std::pair<double, const char*> cases[] = {
      {0, "0"},         {-0.0, "0"},         {100, "100"},        {0.005, "0.005"},
      {-2.5, "-2.5"},   {0.1 + 0.2, "0.3"},  {1.0 / 3, "0.333333333333333"},
      {1e15, "1E15"},   {0.00001, "0.00001"}, {0.000001, "1E-6"}, {-1.5e300, "-1.5E300"},
      {123456789012345.0, "123456789012345"}, {NAN, "NAN"},       {-INFINITY, "-INF"}};
  for (const auto& [number, text] : cases) EXPECT_EQ(FloatToStr(number), text) << text;
  EXPECT_EQ(FloatToStrF(1e-7, ffGeneral, 15, 2), "1E-07");
  EXPECT_EQ(FloatToStrF(2.0 / 3, ffGeneral, 4, 0), "0.6667");
  for (double v : {0.005, 1.0 / 7, 12345.678, -0.05, 1e-20, 6.02214076e23}) {
    EXPECT_NEAR(StrToFloat(FloatToStr(v)), v, std::fabs(v) * 1e-14) << FloatToStr(v);
  }
  EXPECT_DOUBLE_EQ(StrToFloat(" 1.5e3 "), 1500);
  EXPECT_DOUBLE_EQ(StrToFloat("-.5"), -0.5);
  EXPECT_DOUBLE_EQ(StrToFloat("7."), 7);
  for (const char* bad : {"", ".", "1,5", "1.2.3", "e5", "1e", "1e+", "abc", "inf", "nan", "1e999", "0x10", "1 5"}) {
    EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
  }
}

TEST(Float, AUserWithADecimalCommaWritesAndReadsCommas) {
  {
    UserDecimalSeparator comma(",");
    ASSERT_TRUE(comma.ok());
    ASSERT_EQ(DecimalSeparator(), ',');
    EXPECT_EQ(FloatToStr(0.005), "0,005");
    EXPECT_EQ(FloatToStrF(1.0 / 3, ffGeneral, 15, 0), "0,333333333333333");
    EXPECT_EQ(FloatToStr(2.5e-9), "2,5E-9");
    EXPECT_DOUBLE_EQ(StrToFloat("0,005"), 0.005);
    EXPECT_DOUBLE_EQ(StrToFloat(FloatToStr(-12.75)), -12.75);
    EXPECT_THROW(StrToFloat("0.005"), EConvertError) << "a dot is not this user's separator";
    double v = 0;
    EXPECT_FALSE(TryStrToFloat("1.5", v));
    // Form resources always use '.'.
    EXPECT_TRUE(TryStrToFloatInvariant("0.005", v));
    EXPECT_DOUBLE_EQ(v, 0.005);
    EXPECT_FALSE(TryStrToFloatInvariant("0,005", v));
  }
  EXPECT_EQ(DecimalSeparator(), '.') << "restored";
  EXPECT_THROW(StrToFloat("0,005"), EConvertError);
}

TEST(Text, CaseMappingFollowsTheLocale) {
  EXPECT_EQ(AnsiUpperCase("Spiralis \xE9t\xE9 <Project>"), "SPIRALIS \xC9T\xC9 <PROJECT>");
  EXPECT_EQ(AnsiLowerCase("<PROJECT> \xC9"), "<project> \xE9");
  EXPECT_EQ(AnsiLowerCase(""), "");
  EXPECT_EQ(AnsiCompareText("abc", "ABC"), 0);
  EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
  EXPECT_TRUE(SameText("MainForm", "MAINFORM"));
  EXPECT_FALSE(SameText("Main", "MainForm"));
  EXPECT_EQ(Trim("  a b \t"), "a b");
}

TEST(Text, FileNameParts) {
  EXPECT_EQ(ExtractFileName("C:\\Windows\\System32\\opengl32.dll"), "opengl32.dll");
  EXPECT_EQ(ExtractFileName("C:Spiralis.scr"), "Spiralis.scr");
  EXPECT_EQ(ExtractFileName("dir/file.txt"), "file.txt");
  EXPECT_EQ(ExtractFileName("plain"), "plain");
  EXPECT_EQ(ExtractFileName("C:\\dir\\"), "");
  EXPECT_EQ(ExtractFilePath("C:\\dir\\file.txt"), "C:\\dir\\");
  EXPECT_EQ(ExtractFilePath("file.txt"), "");
  EXPECT_EQ(ExtractFileExt("C:\\a.b\\file.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileExt("C:\\a.b\\file"), "");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\Spiralis.scr", ".log"), "C:\\a.b\\Spiralis.log");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\Spiralis", ".log"), "C:\\a.b\\Spiralis.log");
  EXPECT_EQ(ChangeFileExt("name.ext", ""), "name");

  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "spiralis.log", "");
  EXPECT_TRUE(FileExists(dir / "spiralis.log"));
  EXPECT_FALSE(FileExists(dir / "missing.log"));
  EXPECT_FALSE(FileExists(dir.path())) << "a folder is not a file";
}

}  // namespace
