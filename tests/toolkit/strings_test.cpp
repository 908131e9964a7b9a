// String lists (comma text, update brackets), collections and fonts.
#include <gtest/gtest.h>

#include "tests/toolkit/probes.h"

namespace {

using Strings = std::vector<std::string>;

Strings FromCommaText(const std::string& text) {
  TStringList list;
  list.SetCommaText(text);
  return list.ToVector();
}

std::string ToCommaText(const Strings& strings) {
  TStringList list;
  for (const auto& s : strings) list.Add(s);
  return list.CommaText();
}

// Records every Changed call with the update count it saw.
class TCountingList : public TStringList {
 public:
  std::vector<int> changedAt;
  int onChange = 0;
  TCountingList() {
    OnChange = [this](TObject*) { ++onChange; };
  }

 protected:
  void Changed() override {
    changedAt.push_back(UpdateCount());
    TStringList::Changed();
  }
};

TEST(CommaText, WritingQuotesOnlyWhatNeedsIt) {
  const std::pair<Strings, std::string> cases[] = {
      {{}, ""}, {{""}, "\"\""}, {{"a b", "c"}, "\"a b\",c"}, {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"a,b", "!x~"}, "\"a,b\",!x~"},
      {{std::string("\x01") + "z", "tab\there", "\xE9t\xE9"}, "\"\x01z\",\"tab\there\",\xE9t\xE9"},
      {{"a", "", "b"}, "a,,b"}, {{"a", ""}, "a,"}, {{"", ""}, ","}};
  for (const auto& [strings, text] : cases) EXPECT_EQ(ToCommaText(strings), text);
}

TEST(CommaText, ReadingSeparatesAtCommasAndUnquotedBlanks) {
  const std::pair<std::string, Strings> cases[] = {
      {"a b,c", {"a", "b", "c"}}, {"\"a b\",c", {"a b", "c"}}, {"  \"x \"\"y\"\"\"  ,  z  ", {"x \"y\"", "z"}},
      {"a,,b", {"a", "", "b"}}, {"a, ,b", {"a", "", "b"}}, {"\"\"", {""}}, {"", {}}, {" \t\r\n", {}},
      {"a,", {"a"}}, {",a", {"", "a"}}, {"a\tb\nc", {"a", "b", "c"}}, {"\"ab\"cd", {"ab", "cd"}},
      {"\"open", {"open"}}, {"\xE9t\xE9,x", {"\xE9t\xE9", "x"}}};
  for (const auto& [text, strings] : cases) EXPECT_EQ(FromCommaText(text), strings) << text;
  // The text ends at a zero character, as registry text does; no hang.
  EXPECT_EQ(FromCommaText(std::string("a,b\0c,d", 7)), (Strings{"a", "b"}));

  // Every list survives a round trip except the ones the format cannot tell
  // apart (a trailing empty string).
  for (const Strings& s : {Strings{"Arial", "style Bold Italic "}, Strings{"", "x"}, Strings{"\"", ","},
                           Strings{"a  b", " lead", "trail "}}) {
    EXPECT_EQ(FromCommaText(ToCommaText(s)), s) << ToCommaText(s);
  }
}

TEST(CommaText, SettingItClearsAndReportsOnce) {
  TCountingList list;
  list.Add("old");
  list.changedAt.clear();
  list.onChange = 0;
  list.SetCommaText("a,b,c");
  EXPECT_EQ(list.ToVector(), (Strings{"a", "b", "c"}));
  EXPECT_EQ(list.onChange, 1);
  EXPECT_EQ(list.changedAt.back(), 0);
}

TEST(StringList, ChangedAfterEveryChangeAndOnceAtTheOutermostClose) {
  TCountingList list;
  list.Add("a");
  EXPECT_EQ(list.changedAt, (std::vector<int>{0}));
  EXPECT_EQ(list.onChange, 1);

  list.changedAt.clear();
  list.onChange = 0;
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("b");
  list.Put(0, "A");
  list.EndUpdate();
  EXPECT_EQ(list.onChange, 0);
  list.EndUpdate();
  EXPECT_EQ(list.changedAt, (std::vector<int>{2, 2, 0}));
  EXPECT_EQ(list.onChange, 1);

  // An empty bracket still reports at its close; a stray close does nothing.
  list.changedAt.clear();
  list.BeginUpdate();
  list.EndUpdate();
  list.EndUpdate();
  EXPECT_EQ(list.changedAt, (std::vector<int>{0}));
  EXPECT_EQ(list.UpdateCount(), 0);

  // Clearing an empty list changes nothing.
  TCountingList empty;
  empty.Clear();
  EXPECT_TRUE(empty.changedAt.empty());
}

TEST(StringList, AssignCopiesStringsAndObjectsAsOneUpdate) {
  TStringList source;
  TStringList marker;
  source.AddObject("one", &marker);
  source.Add("two");
  TCountingList list;
  list.Add("stale");
  list.onChange = 0;
  list.Assign(&source);
  EXPECT_EQ(list.ToVector(), (Strings{"one", "two"}));
  EXPECT_EQ(list.Objects(0), &marker);
  EXPECT_EQ(list.Objects(1), nullptr);
  EXPECT_EQ(list.onChange, 1);
  EXPECT_EQ(list.IndexOf("TWO"), 1);
  EXPECT_EQ(list.IndexOf("three"), -1);
  EXPECT_EQ(list.IndexOfObject(&marker), 0);

  // A string with its object is one change, seen whole.
  list.onChange = 0;
  list.OnChange = [&](TObject*) {
    ++list.onChange;
    EXPECT_EQ(list.Objects(list.Count() - 1), &marker);
  };
  list.AddObject("three", &marker);
  EXPECT_EQ(list.onChange, 1);
  list.OnChange = nullptr;
  list.Delete(2);

  TFont font;
  EXPECT_THROW(list.Assign(&font), EConvertError);
  for (int bad : {-1, 2}) {
    EXPECT_THROW(list.Strings(bad), EListError);
    EXPECT_THROW(list.Delete(bad), EListError);
    EXPECT_THROW(list.PutObject(bad, nullptr), EListError);
  }
  EXPECT_THROW(list.Insert(3, "x"), EListError);
  list.Insert(2, "end");
  EXPECT_EQ(list.Strings(2), "end");
}

TEST(StringList, SortedListsKeepOrderAndMindDuplicates) {
  TStringList list;
  list.Add("pear");
  list.Add("Apple");
  list.SetSorted(true);
  EXPECT_EQ(list.ToVector(), (Strings{"Apple", "pear"}));
  list.Add("banana");
  list.Add("apple");
  EXPECT_EQ(list.Count(), 4) << "dupAccept is the default";
  EXPECT_EQ(list.Strings(2), "banana");
  EXPECT_THROW(list.Insert(0, "x"), EListError);
  list.SetDuplicates(dupIgnore);
  EXPECT_EQ(list.Add("PEAR"), 3);
  EXPECT_EQ(list.Count(), 4);
  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Add("banana"), EListError);
  EXPECT_EQ(list.IndexOf("BANANA"), 2);
}

TEST(Collection, UpdateHookFollowsEveryChange) {
  TComponent owner(nullptr);
  TProbeRanges ranges(&owner);
  EXPECT_EQ(ranges.GetOwner(), &owner);
  auto* first = static_cast<TProbeRange*>(ranges.Add());
  EXPECT_EQ(ranges.updates, (std::vector<const TCollectionItem*>{nullptr}));
  EXPECT_EQ(first->Collection(), &ranges);
  EXPECT_EQ(first->Index(), 0);

  ranges.updates.clear();
  first->SetMin(5);
  EXPECT_EQ(ranges.updates, (std::vector<const TCollectionItem*>{first}));

  ranges.updates.clear();
  ranges.BeginUpdate();
  ranges.Add();
  ranges.Add();
  first->SetMin(6);
  ranges.Delete(1);
  EXPECT_TRUE(ranges.updates.empty());
  ranges.EndUpdate();
  EXPECT_EQ(ranges.updates, (std::vector<const TCollectionItem*>{nullptr}));
  EXPECT_EQ(ranges.Count(), 2);
  EXPECT_NE(ranges.Items(0)->ID(), ranges.Items(1)->ID());

  ranges.updates.clear();
  ranges.Delete(1);
  ranges.Clear();
  ranges.Clear();  // already empty
  EXPECT_EQ(ranges.updates, (std::vector<const TCollectionItem*>{nullptr, nullptr}));
  EXPECT_THROW(ranges.Items(0), EListError);
  EXPECT_THROW(ranges.Delete(0), EListError);
}

TEST(Collection, AssignReplacesItemsWithCopies) {
  TProbeRanges source(nullptr), target(nullptr);
  for (int i = 0; i < 3; ++i) {
    auto* r = static_cast<TProbeRange*>(source.Add());
    r->Caption = "R" + std::to_string(i);
    r->Max = i + 0.5;
  }
  target.Add();
  target.updates.clear();
  target.Assign(&source);
  ASSERT_EQ(target.Count(), 3);
  EXPECT_EQ(static_cast<TProbeRange*>(target.Items(2))->Caption, "R2");
  EXPECT_DOUBLE_EQ(static_cast<TProbeRange*>(target.Items(2))->Max, 2.5);
  EXPECT_NE(target.Items(0), source.Items(0));
  EXPECT_EQ(target.updates, (std::vector<const TCollectionItem*>{nullptr}));
  target.SetItem(0, source.Items(1));
  EXPECT_EQ(static_cast<TProbeRange*>(target.Items(0))->Caption, "R1");
  TFont font;
  EXPECT_THROW(target.Assign(&font), EConvertError);
  EXPECT_EQ(target.Count(), 3);
  EXPECT_THROW(TOwnedCollection(nullptr, &TFont::StaticClass()), EInvalidOperation);
}

TEST(Font, ReportsOnlyRealChanges) {
  TFont font;
  EXPECT_EQ(font.Name(), "MS Sans Serif");
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Color(), clWindowText);
  EXPECT_EQ(font.Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(font.Pitch(), fpDefault);
  EXPECT_TRUE(font.Style().Empty());
  int changes = 0;
  font.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &font);
    ++changes;
  };

  font.SetColor(clWindowText);
  font.SetName("MS Sans Serif");
  font.SetSize(8);
  font.SetStyle({});
  font.SetPitch(fpDefault);
  font.SetCharset(DEFAULT_CHARSET);
  EXPECT_EQ(changes, 0);

  HFONT before = font.Handle();
  EXPECT_NE(before, nullptr);
  font.SetStyle({fsBold, fsItalic});
  font.SetSize(12);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(font.Size(), 12);
  EXPECT_EQ(font.Height(), -MulDiv(12, ScreenPixelsPerInch(), 72));
  EXPECT_NE(font.Handle(), nullptr);

  TFont copy;
  copy.Assign(&font);
  changes = 0;
  font.Assign(&copy);
  EXPECT_EQ(changes, 0);
  copy.SetColor(clRed);
  font.Assign(&copy);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(font.SameAs(copy));
}

}  // namespace
