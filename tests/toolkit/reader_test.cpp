#include "toolkit/reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/toolkit/probes.h"
#include "toolkit/screen.h"

namespace {

// A data module class the program has no resource for.
class TNoResourceModule : public TDataModule {
  TK_CLASS(TNoResourceModule)
  explicit TNoResourceModule(TComponent* owner) : TDataModule(owner) {}
};
const TMetaClass& TNoResourceModule::StaticClass() {
  static const TMetaClass cls = DefineClass<TNoResourceModule>("TNoResourceModule", &TDataModule::StaticClass());
  return cls;
}

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterProbeClasses();
    ProbeLog().clear();
  }
  // Stands for the application object that owns every root.
  TComponent app{nullptr};
};

TEST_F(ReaderTest, ReadsEveryPropertyKindAndFixesReferencesBeforeLoaded) {
  auto* other = CreateComponent<TOtherModule>(&app);
  auto* m = CreateComponent<TTestModule>(&app);
  ASSERT_EQ(m->Name(), "TestModule");
  EXPECT_EQ(m->Tag(), 5);
  EXPECT_EQ(Screen->FindRoot("testmodule"), m);

  // Fields bound by name.
  TProbe* first = m->First;
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(first, m->FindComponent("First"));
  ASSERT_EQ(m->Host, m->FindComponent("Host"));
  auto* second = static_cast<TProbe*>(m->FindComponent("Second"));

  EXPECT_EQ(first->Count, 42);
  EXPECT_DOUBLE_EQ(first->Ratio, 0.005);
  EXPECT_EQ(first->Caption, "It's a \r\nlong text &with an accelerator");
  EXPECT_TRUE(first->Active);
  EXPECT_EQ(first->Mode, pmSlow);
  EXPECT_EQ(first->Options, (TProbeOptions{poOne, poThree}));
  EXPECT_EQ(first->Color, clAqua);
  EXPECT_EQ(first->Cursor, crHandPoint);
  EXPECT_EQ(first->Font.Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(first->Font.Color(), clBlue);
  EXPECT_EQ(first->Font.Height(), -13);
  EXPECT_EQ(first->Font.Name(), "Arial");
  EXPECT_EQ(first->Font.Style(), TFontStyles{fsUnderline});
  EXPECT_EQ(first->Items.ToVector(), (std::vector<std::string>{"High", "Normal", "a b"}));
  EXPECT_EQ(first->itemsChanges, 1) << "a string list is read as one update";
  ASSERT_EQ(first->Ranges.Count(), 2);
  auto* r0 = static_cast<TProbeRange*>(first->Ranges.Items(0));
  auto* r1 = static_cast<TProbeRange*>(first->Ranges.Items(1));
  EXPECT_EQ(r0->Caption, "Range0");
  EXPECT_EQ(r0->Min, 2);
  EXPECT_DOUBLE_EQ(r0->Max, 150);
  EXPECT_EQ(r1->Min, -3);
  EXPECT_DOUBLE_EQ(r1->Max, 0.05);
  EXPECT_EQ(first->Ranges.updates, (std::vector<const TCollectionItem*>{nullptr}))
      << "a collection is read as one update";
  EXPECT_EQ(first->Config.FormClassName, "TConfigForm");
  EXPECT_EQ(first->Data, std::string("\x0A\x0B\x0C\xFF"));
  ASSERT_TRUE(first->OnChange);
  first->OnChange(first);
  EXPECT_EQ(m->changes, 1);
  EXPECT_EQ(second->Color, 255);

  // References: forward, dotted into an owned component, cross-root, backward.
  TProbeHost* host = m->Host;
  auto* embedded = static_cast<TProbe*>(host->FindComponent("Controller1"));
  ASSERT_NE(embedded, nullptr);
  EXPECT_EQ(embedded->Owner(), host) << "nested objects are owned by GetChildOwner";
  EXPECT_EQ(m->FindComponent("Controller1"), nullptr);
  EXPECT_EQ(host->parentSeen, m) << "objects on the root get the root as parent";
  EXPECT_EQ(embedded->Caption, "embedded");
  EXPECT_EQ(first->Peer, second);
  EXPECT_EQ(second->Peer, embedded);
  EXPECT_EQ(host->Peer, other->FindComponent("nRings"));
  EXPECT_EQ(embedded->Peer, first);

  // Names were given while loading; every reference was set before any Loaded.
  for (TProbe* p : {first, second, static_cast<TProbe*>(host), embedded}) {
    EXPECT_TRUE(p->loadingWhenNamed) << p->Name();
    EXPECT_TRUE(p->peerSetWhenLoaded) << p->Name();
    EXPECT_FALSE(p->ComponentState().Contains(csLoading)) << p->Name();
  }
  EXPECT_FALSE(m->ComponentState().Contains(csLoading));
  EXPECT_LT(Position("loaded First"), Position("loaded Second"));
  EXPECT_LT(Position("loaded Host"), Position("loaded Controller1"));
  EXPECT_LT(Position("loaded Controller1"), Position("after construction TestModule"));
  EXPECT_LT(Position("after construction TestModule"), ProbeLog().size());

  m->Free();
  EXPECT_EQ(Screen->FindRoot("TestModule"), nullptr);
  other->Free();
}

TEST_F(ReaderTest, AncestorResourcesComeFirstAndRootNamesStayUnique) {
  auto* other = CreateComponent<TOtherModule>(&app);
  auto* twin = CreateComponent<TOtherModule>(&app);
  EXPECT_EQ(other->Name(), "Other");
  EXPECT_EQ(twin->Name(), "Other_1");

  auto* derived = CreateComponent<TDerivedModule>(&app);
  EXPECT_EQ(derived->Name(), "Derived");
  auto* rings = static_cast<TProbe*>(derived->FindComponent("nRings"));
  ASSERT_NE(rings, nullptr);
  EXPECT_EQ(rings->Count, 7) << "the descendant's resource changes what the ancestor's created";
  ASSERT_NE(derived->Extra, nullptr);
  EXPECT_EQ(derived->Extra->Peer, rings);
  EXPECT_EQ(Screen->FindRoot("nRings"), nullptr);

  EXPECT_THROW(CreateComponent<TNoResourceModule>(&app), EResNotFound);
  EXPECT_EQ(app.ComponentCount(), 3) << "a module without its resource is not left behind";
  // Without resources on purpose.
  auto* bare = CreateNew<TNoResourceModule>(&app);
  EXPECT_EQ(bare->ComponentCount(), 0);
}

TEST_F(ReaderTest, AFailedResourceLeavesNothingHalfBuilt) {
  try {
    CreateComponent<TBrokenModule>(&app);
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Resource(), "TBrokenModule");
    EXPECT_EQ(e.Line(), 6);
    EXPECT_NE(e.Message().find("Nowhere"), std::string::npos) << e.Message();
  }
  EXPECT_EQ(app.ComponentCount(), 0);
  EXPECT_EQ(Screen->FindRoot("Broken"), nullptr);
  EXPECT_LT(Position("destroy A"), ProbeLog().size());
  EXPECT_LT(Position("destroy B"), ProbeLog().size());
}

struct BadResource {
  std::string text;
  int line;
  const char* says;
};

TEST_F(ReaderTest, MalformedResourcesNameTheResourceAndLine) {
  auto* other = CreateComponent<TOtherModule>(&app);
  // Most put their fault in the third line, inside an object X: TProbe.
  const std::string x = "object Other: TOtherModule\n object X: TProbe\n  ", end = "\n end\nend";
  const BadResource cases[] = {
      {x + "Bogus = 1" + end, 3, "Bogus"}, {x + "Font.Bogus = 1" + end, 3, "Font.Bogus"},
      {x + "Count.X = 1" + end, 3, "Count"}, {x + "Count = 'x'" + end, 3, "Count"},
      {x + "Count = 99999999999" + end, 3, "Count"}, {x + "Count = 1.5" + end, 3, "Count"},
      {x + "Count = -1" + end, 3, "cannot be negative"}, {x + "Ratio = 'x'" + end, 3, "Ratio"},
      {x + "Mode = pmWarp" + end, 3, "pmWarp"}, {x + "Active = Maybe" + end, 3, "Active"},
      {x + "Options = [poOne, poNine]" + end, 3, "poNine"}, {x + "Options = [poOne" + end, 4, "']'"},
      {x + "Color = clPlaid" + end, 3, "clPlaid"}, {x + "Items.Strings = ('a' b)" + end, 3, "Strings"},
      {x + "Ranges = <\n item\n Nope = 1\n end>" + end, 5, "Nope"}, {x + "Ranges = 3" + end, 3, "Ranges"},
      {x + "Caption = 'abc" + end, 3, "Unterminated string"}, {x + "Caption = 'a' +" + end, 4, "String expected"},
      {x + "Caption = #999" + end, 3, "8-bit"}, {x + "Data = {0A0}" + end, 3, "Odd number"},
      {x + "Data = {0A" + end, 4, "Invalid binary data"},
      {x + "Peer = Nowhere" + end, 3, "Unresolved reference to Nowhere"},
      {x + "Peer = X.Nothing" + end, 3, "X.Nothing"}, {x + "Peer = Other" + end, 3, "not a TProbe"},
      {x + "OnChange = NoSuchMethod" + end, 3, "NoSuchMethod"}, {x + "Count = @" + end, 3, "Invalid character"},
      {x + "Count" + end, 4, "'=' expected"},
      {"object Other: TOtherModule\n  object X: TNoSuch\n  end\nend", 2, "Class TNoSuch not found"},
      {"object Other: TOtherModule\n  object X: TStringList\n  end\nend", 2, "not found"},
      {"object Other: TOtherModule\n object X: TProbe\n  Data = {0A", 3, "Unterminated binary"},
      {"object Other: TOtherModule\n object X: TProbe\n end\n object X: TProbe\n end\nend", 4, "already exists"},
      {"object Other: TOtherModule\n object 9X: TProbe\n end\nend", 2, "Invalid number"},
      {"object Other: TOtherModule\n object X: TProbe\n  Count = 1\n", 4, "'end' expected"},
      {"object Other: TOtherModule\nend\nend", 3, "Text after the end"},
      {"object Other: TProbe\nend", 1, "describes TProbe"},
      {"inherited Other: TOtherModule\n inherited Y: TProbe\n end\nend", 2, "Y does not exist"},
      {"", 1, "'object' expected"},
  };
  for (const BadResource& c : cases) {
    SCOPED_TRACE(c.text);
    auto* root = CreateNew<TOtherModule>(&app);
    try {
      ReadComponentResTexts(root, {{&TOtherModule::StaticClass(), c.text}});
      ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Resource(), "TOtherModule");
      EXPECT_EQ(e.Line(), c.line) << e.Message();
      EXPECT_NE(e.Message().find(c.says), std::string::npos) << e.Message();
      EXPECT_NE(e.Message().find("TOtherModule"), std::string::npos) << e.Message();
    }
    root->Free();
  }
  EXPECT_EQ(app.ComponentCount(), 1);
  EXPECT_EQ(other->Name(), "Other");
}

TEST_F(ReaderTest, EventsMustFitTheirMethodsAndNestingIsBounded) {
  auto* root = CreateNew<TTestModule>(&app);
  EXPECT_THROW(ReadComponentResTexts(root, {{&TTestModule::StaticClass(),
                                              "object T: TTestModule\n object X: TProbe\n  OnChange = WrongShape\n "
                                              "end\nend"}}),
               EReadError);
  root->Free();

  std::string deep = "object Other: TOtherModule\n";
  for (int i = 0; i < 200; ++i) deep += "object H" + std::to_string(i) + ": TProbeHost\n";
  for (int i = 0; i < 200; ++i) deep += "end\n";
  deep += "end\n";
  auto* other = CreateNew<TOtherModule>(&app);
  try {
    ReadComponentResTexts(other, {{&TOtherModule::StaticClass(), deep}});
    ADD_FAILURE() << "no error";
  } catch (const EReadError& e) {
    EXPECT_NE(e.Message().find("nested too deeply"), std::string::npos) << e.Message();
  }
  other->Free();
}

}  // namespace
