// Typed values and their ranges: bounds, lookups, setters, sub-object changes
// and the file search.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/win32_support.h"
#include "values_test_support.h"

using namespace values_testing;

namespace {

using TypedTest = ValuesFixture;

TEST_F(TypedTest, IntegerBoundsAndRangeLookup) {
  auto* v = Make<TScrVInteger>("I");
  EXPECT_EQ(0, v->GetMin());
  EXPECT_EQ(100, v->GetMax());
  EXPECT_EQ(-1, v->IndexFromInteger(5));

  v->GetRanges()->AddRange("seconds", 0, 60, 15);
  v->GetRanges()->AddRange("minutes", 61, 3600, 120);
  EXPECT_EQ(0, v->IndexFromInteger(60));
  EXPECT_EQ(1, v->IndexFromInteger(61));
  EXPECT_EQ(-1, v->IndexFromInteger(5000));
  EXPECT_EQ(120, v->IntegerFromIndex(1));
  EXPECT_THROW(v->IntegerFromIndex(-1), EListError);
  EXPECT_THROW(v->IntegerFromIndex(2), EListError);

  v->GetRanges()->Clear();
  v->GetRanges()->AddRange("a", 1, 10, 1);
  v->GetRanges()->AddRange("b", 5, 20, 5);
  EXPECT_EQ(1, v->IndexFromInteger(7)) << "the later of overlapping ranges wins";

  v->GetRanges()->Clear();
  v->GetRanges()->AddRange("reversed", 50, 10, 30);
  EXPECT_EQ(10, v->GetMin());
  EXPECT_EQ(50, v->GetMax());
  EXPECT_EQ(-1, v->IndexFromInteger(20)) << "Min above Max holds nothing";
}

TEST_F(TypedTest, CustomValuesWithoutRangesAnswerTheEmptyBounds) {
  struct Bare : TScrVCustomInteger {
    using TScrVCustomInteger::TScrVCustomInteger;
    void LoadFromRegistry() override { LoadFrame([] {}); }
    void SaveToRegistry() override {}
  };
  Bare bare(nullptr);
  EXPECT_EQ(0, bare.GetMin());
  EXPECT_EQ(100, bare.GetMax());
  EXPECT_EQ(-1, bare.IndexFromInteger(3));
  EXPECT_THROW(bare.IntegerFromIndex(0), EListError);
}

TEST_F(TypedTest, DoubleBoundsSettersAndNaN) {
  auto* v = Make<TScrVDouble>("D");
  EXPECT_EQ(0.0, v->GetMin());
  EXPECT_EQ(100.0, v->GetMax());
  v->GetRanges()->AddRange("Range", 0.0, 0.05, 0.005);
  v->GetRanges()->AddRange("far", -1.0, 0.0, -0.5);
  EXPECT_EQ(-1.0, v->GetMin());
  EXPECT_EQ(0.05, v->GetMax());
  EXPECT_EQ(1, v->IndexFromDouble(0.0));
  EXPECT_EQ(0.005, v->DoubleFromIndex(0));

  RecordingController c;
  c.Link(v);
  v->SetValue(0.0);
  v->SetValue(std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(c.sets.empty());
  v->SetValue(0.25);
  EXPECT_EQ(1u, c.sets.size());
}

TEST_F(TypedTest, IndexValueSettersAndFallback) {
  auto* v = Make<TScrVIndex>("X");
  v->GetRanges()->AddRange("Present", 1, 1, 1);
  v->GetRanges()->AddRange("Partial", 2, 2, 2);
  v->GetRanges()->AddRange("Absent", 3, 3, 3);
  v->SetDef(2);
  EXPECT_EQ(1, v->GetIndex()) << "Def 2 is the second range";
  EXPECT_EQ(2, v->IntegerFromIndex(1));
  EXPECT_EQ(2, v->IntegerFromCurrentIndex());

  RecordingController c;
  c.Link(v);
  v->SetIndex(1);
  EXPECT_TRUE(c.sets.empty());
  v->SetIndex(-1);
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ(-1, v->GetIndex());
  EXPECT_THROW(v->IntegerFromCurrentIndex(), EListError);
}

TEST_F(TypedTest, RangeEditsNotifyRangeAlone) {
  auto* v = Make<TScrVInteger>("R");
  auto* r = v->GetRanges()->AddRange("Range0", 2, 150, 41);
  RecordingController c;
  c.Link(v);
  r->SetCaption("Range0");  // unchanged
  r->SetMax(150);
  EXPECT_TRUE(c.sets.empty());
  r->SetCaption("Rings");
  v->GetRanges()->Add();
  v->GetRanges()->Delete(1);
  ASSERT_EQ(3u, c.sets.size());
  for (auto ns : c.sets) EXPECT_EQ(Only(vnRange), ns);

  auto* idx = Make<TScrVIndex>("Idx");
  RecordingController ci;
  ci.Link(idx);
  idx->GetRanges()->AddRange("one", 1, 1, 1);  // one change for the whole item
  ASSERT_EQ(1u, ci.sets.size());
  EXPECT_EQ(Only(vnRange), ci.sets[0]);

  // SetRanges copies every range whole into the value's own collection: the
  // source may go.
  {
    TScrVIntegerRanges other(nullptr, nullptr);
    other.AddRange("copied", -5, 5, 2);
    v->SetRanges(&other);
    TScrVIndexRanges choices(nullptr, nullptr);
    choices.AddRange("Slow", 0, 0, 0);
    choices.AddRange("Fast", 7, 9, 8);
    idx->SetRanges(&choices);
  }
  ASSERT_EQ(1, v->GetRanges()->Count());
  EXPECT_EQ("copied", v->GetRanges()->GetItem(0)->Caption());
  EXPECT_EQ(-5, v->GetMin());
  EXPECT_EQ(5, v->GetMax());
  EXPECT_EQ(2, v->IntegerFromIndex(0));
  ASSERT_EQ(2, idx->GetRanges()->Count());
  EXPECT_EQ("Fast", idx->GetRanges()->GetItem(1)->Caption());
  EXPECT_EQ(8, idx->IntegerFromIndex(1));
  // A real's ranges copy alike.
  auto* d = Make<TScrVDouble>("D");
  d->GetRanges()->AddRange("Range", -0.5, 0.05, 0.005);
  TScrVDoubleRanges reals(nullptr, nullptr);
  reals.Assign(d->GetRanges());
  ASSERT_EQ(1, reals.Count());
  EXPECT_EQ("Range", reals.GetItem(0)->Caption());
  EXPECT_EQ(-0.5, reals.GetItem(0)->Min());
  EXPECT_EQ(0.05, reals.GetItem(0)->Max());
  EXPECT_EQ(0.005, reals.GetItem(0)->Def());
}

TEST_F(TypedTest, NewRangesAndValuesStartFromTheirInitialSettings) {
  TScrVIntegerRange ir;
  EXPECT_EQ(0, ir.Min());
  EXPECT_EQ(100, ir.Max());
  EXPECT_EQ(10, ir.Def());
  TScrVDoubleRange dr;
  EXPECT_EQ(0.5, dr.Def());
  EXPECT_TRUE(Make<TScrVBoolean>("B")->Def());
  EXPECT_EQ("*.*", Make<TScrVFileList>("F")->DefMasks()->CommaText());
  EXPECT_EQ("Software\\Vantrel\\<project>\\<name>", TScrVColor(nullptr).RegistryPathTemplate());
}

TEST_F(TypedTest, FontChangesInPlaceNotifyOnceLoaded) {
  auto* v = Make<TScrVFont>("F");
  RecordingController c;
  c.Link(v);
  TFont* font = v->GetValue();  // loads: silent
  EXPECT_TRUE(c.sets.empty());
  font->SetSize(font->Size() + 3);
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ(Only(vnChange), c.sets[0]);

  TFont same;
  same.Assign(font);
  v->SetValue(&same);  // no alteration, no report
  EXPECT_EQ(1u, c.sets.size());
  same.SetName("Arial");
  v->SetValue(&same);
  EXPECT_EQ(2u, c.sets.size());
  EXPECT_EQ("Arial", v->GetValue()->Name());
}

TEST_F(TypedTest, StringListReportsEachChangeAndOnceForABracket) {
  auto* v = Make<TScrVStringList>("L");
  RecordingController c;
  c.Link(v);
  TStrings* items = v->GetItems();
  items->Add("a");
  items->Add("b");
  EXPECT_EQ(2u, c.sets.size());
  items->BeginUpdate();
  items->Add("c");
  items->Clear();
  items->EndUpdate();
  EXPECT_EQ(3u, c.sets.size());

  TStringList other;
  other.Add("x");
  v->SetItems(&other);
  EXPECT_EQ(4u, c.sets.size());
  EXPECT_EQ("x", v->GetItems()->CommaText());
}

TEST_F(TypedTest, FileListSearchesEveryMaskInSystemOrderOnceUntilTheMasksChange) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "b.txt", "b");
  testing_support::WriteFile(dir / "a.txt", "a");
  testing_support::WriteFile(dir / "c.dat", "c");
  CreateDirectoryA((dir / "sub.txt").c_str(), nullptr);

  // The order the system returns.
  std::vector<std::string> expected;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir / "*.txt").c_str(), &fd);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  do expected.push_back(dir.path() + "\\" + fd.cFileName);
  while (FindNextFileA(h, &fd));
  FindClose(h);
  ASSERT_EQ(3u, expected.size()) << "folders are entries too";

  auto* v = Make<TScrVFileList>("Files");
  TStringList masks;
  masks.Add(dir / "*.txt");
  masks.Add(dir / "?.txt");            // finds the same names again: listed once
  masks.Add(dir / "missing\\*.*");     // cannot be searched: nothing
  masks.Add(dir.path() + "\\*.nothing");
  v->GetItems();  // loads the default masks first
  RecordingController c;
  c.Link(v);
  v->SetMasks(&masks);
  EXPECT_EQ(1u, c.sets.size());
  EXPECT_EQ(expected, v->GetItems()->ToVector());

  testing_support::WriteFile(dir / "d.txt", "d");
  EXPECT_EQ(expected.size(), v->GetItems()->ToVector().size()) << "kept until the masks change";

  // Without a folder part the names stay bare; with one they carry it.
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  SetCurrentDirectoryA(dir.path().c_str());
  masks.Clear();
  masks.Add("*.dat");
  masks.Add("c.dat");
  v->SetMasks(&masks);
  EXPECT_EQ(std::vector<std::string>{"c.dat"}, v->GetItems()->ToVector());
  SetCurrentDirectoryA(cwd);

  v->SetItems(&masks);  // no effect for a file list
  EXPECT_EQ(std::vector<std::string>{"c.dat"}, v->GetItems()->ToVector());
}

}  // namespace
