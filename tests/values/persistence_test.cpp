// Stored forms in the real registry of the test prefix, bad stored data,
// path templates, and values streamed from a form resource.
#include <gtest/gtest.h>

#include "toolkit/reader.h"
#include "values/registry.h"
#include "values_test_support.h"

using namespace values_testing;

namespace {

struct PersistTest : ValuesFixture {
  // The value after reading again what is stored now.
  template <class V>
  static V* Fresh(V* v) {
    v->LoadFromRegistry();
    return v;
  }
};

TEST(RegistryPath, TemplatesExpandFirstTokensInAnyCase) {
  using scrreg::ExpandPath;
  EXPECT_EQ("Software\\Vantrel\\Spiralis\\Eye", ExpandPath("Software\\Vantrel\\<project>\\<name>", "Spiralis", "Eye"));
  EXPECT_EQ("A\\Spiralis\\Eye", ExpandPath("A\\<PROJECT>\\<Name>", "Spiralis", "Eye"));
  EXPECT_EQ("Eye\\<name>", ExpandPath("<name>\\<name>", "P", "Eye"));
  EXPECT_EQ("plain\\path", ExpandPath("plain\\path", "P", "Eye"));
  auto at = scrreg::SplitPath("Software\\Vantrel\\Spiralis\\Eye");
  EXPECT_EQ("Software\\Vantrel\\Spiralis", at.key);
  EXPECT_EQ("Eye", at.entry);
  at = scrreg::SplitPath("Lonely");
  EXPECT_EQ("Lonely", at.key);
  EXPECT_EQ("Lonely", at.entry);
  EXPECT_EQ("Spiralis", scrreg::TitleFromModuleName("C:\\WINDOWS\\SPIRALIS.SCR"));
  EXPECT_EQ("values_tests", scrreg::TitleFromModuleName("c:\\x.y\\values_tests.exe"));
  EXPECT_EQ("Abc", scrreg::TitleFromModuleName("ABC"));

  TScrVInteger v(nullptr);
  v.SetName("Eye");
  EXPECT_EQ("Software\\Vantrel\\values_tests\\Eye", v.GetRegistryPath());
}

TEST_F(PersistTest, EveryTypeWritesItsFormAndReadsItBackIdentically) {
  auto* i = Make<TScrVInteger>("nRings");
  i->GetRanges()->AddRange("Range0", 2, 150, 41);
  i->SetDef(60);
  auto* d = Make<TScrVDouble>("Density");
  d->GetRanges()->AddRange("Range", 0.0, 0.05, 0.005);
  auto* x = Make<TScrVIndex>("Speed");
  x->GetRanges()->AddRange("Slow", 71, 120, 100);
  x->GetRanges()->AddRange("Medium", 4, 70, 40);
  x->GetRanges()->AddRange("Fast", 1, 3, 1);
  auto* b = Make<TScrVBoolean>("ReStart");
  auto* s = Make<TScrVString>("Driver");
  auto* c = Make<TScrVColor>("Explosion");
  auto* l = Make<TScrVStringList>("List");
  auto* f = Make<TScrVFont>("Font");

  i->SetValue(0);  // setters before a read are overwritten by the lazy load
  i->GetValue();
  i->SetValue(150);
  d->GetValue();
  d->SetValue(0.0123456789012345678);
  x->GetIndex();
  x->SetIndex(1);
  b->GetValue();
  b->SetValue(false);
  s->GetValue();
  s->SetValue("say \"hi\", then\tgo");
  c->GetValue();
  c->SetValue(clAqua);
  TStringList strings;
  strings.SetStrings({"a b", "c", "", "q\"uote", "x,y"});
  l->GetItems();
  l->SetItems(&strings);
  TFont font;
  font.SetName("Courier New");
  font.SetSize(13);
  font.SetColor(clRed);
  font.SetStyle({fsBold, fsStrikeOut});
  font.SetPitch(fpFixed);
  font.SetCharset(ANSI_CHARSET);
  f->GetValue();
  f->SetValue(&font);
  EXPECT_EQ(8, SaveValuesToRegistry(form));

  EXPECT_EQ(150u, reg.Number("nRings"));
  EXPECT_EQ("0.0123456789012346", reg.Text("Density"));
  EXPECT_EQ("40", reg.Text("Speed"));
  EXPECT_EQ(0u, reg.Number("ReStart"));
  EXPECT_EQ("say \"hi\", then\tgo", reg.Text("Driver"));
  EXPECT_EQ(static_cast<DWORD>(clAqua), reg.Number("Explosion"));
  EXPECT_EQ("\"a b\",c,,\"q\"\"uote\",\"x,y\"", reg.Text("List"));
  EXPECT_EQ("0,255,13,\"Courier New\",2,\"style Bold StrikeOut \"", reg.Text("Font"));

  // Change everything in memory, then read it all back.
  i->SetValue(3);
  d->SetValue(0.0);
  x->SetIndex(0);
  b->SetValue(true);
  s->SetValue("");
  c->SetValue(clBlack);
  l->GetItems()->Clear();
  f->GetValue()->SetSize(20);
  EXPECT_EQ(150, Fresh(i)->GetValue());
  EXPECT_EQ(FloatToStr(0.0123456789012345678), FloatToStr(Fresh(d)->GetValue()));
  EXPECT_EQ(1, Fresh(x)->GetIndex());
  EXPECT_FALSE(Fresh(b)->GetValue());
  EXPECT_EQ("say \"hi\", then\tgo", Fresh(s)->GetValue());
  EXPECT_EQ(clAqua, Fresh(c)->GetValue());
  EXPECT_EQ(strings.ToVector(), Fresh(l)->GetItems()->ToVector());
  EXPECT_TRUE(Fresh(f)->GetValue()->SameAs(font));

  // A list of one empty string, and an empty list, keep their shape.
  strings.SetStrings({""});
  l->SetItems(&strings);
  l->SaveToRegistry();
  EXPECT_EQ("\"\"", reg.Text("List"));
  EXPECT_EQ(1, Fresh(l)->GetItems()->Count());
}

TEST_F(PersistTest, IntegersOutsideEveryBoundOrOfTheWrongShapeGetDef) {
  auto* v = Make<TScrVInteger>("N");
  v->GetRanges()->AddRange("Range0", 2, 150, 41);
  v->SetDef(500);  // Def itself outside the bounds is still taken
  const DWORD big = 151, small = 1, negative = 0xFFFFFFFF;
  const char text[] = "60";
  const BYTE three[3] = {60, 0, 0};
  const BYTE eight[8] = {60};
  struct Case {
    DWORD type;
    const void* data;
    DWORD size;
  } cases[] = {{REG_DWORD, &big, 4},     {REG_DWORD, &small, 4},   {REG_DWORD, &negative, 4},
               {REG_SZ, text, 3},        {REG_BINARY, three, 3},   {REG_BINARY, eight, 8},
               {REG_MULTI_SZ, text, 3},  {REG_DWORD, nullptr, 0}};
  for (const Case& c : cases) {
    reg.PutRaw("N", c.type, c.data, c.size);
    EXPECT_EQ(500, Fresh(v)->GetValue()) << "type " << c.type << " size " << c.size;
  }
  // Both bounds are inside.
  for (const DWORD edge : {2u, 150u}) {
    reg.PutRaw("N", REG_DWORD, &edge, 4);
    EXPECT_EQ(static_cast<int>(edge), Fresh(v)->GetValue());
  }
  const DWORD ok = 60;
  reg.PutRaw("N", REG_BINARY, &ok, 4);  // four bytes are a number whatever they are called
  EXPECT_EQ(60, Fresh(v)->GetValue());
}

TEST_F(PersistTest, BadDataOfEveryOtherTypeFallsBackToDefInSilence) {
  // A boolean is the number 0 or 1; with a default of true, what cannot be
  // used is told apart from false.
  auto* b = Make<TScrVBoolean>("B");
  for (const bool def : {false, true}) {
    b->SetDef(def);
    reg.PutNumber("B", 2);
    EXPECT_EQ(def, Fresh(b)->GetValue());
    reg.PutText("B", def ? "0" : "1");
    EXPECT_EQ(def, Fresh(b)->GetValue());
    reg.PutNumber("B", !def);
    EXPECT_EQ(!def, Fresh(b)->GetValue());
  }

  auto* c = Make<TScrVColor>("C");
  c->SetDef(clTeal);
  reg.PutText("C", "255");
  EXPECT_EQ(clTeal, Fresh(c)->GetValue());
  reg.PutNumber("C", 0xFFFFFFFF);
  EXPECT_EQ(-1, Fresh(c)->GetValue()) << "any number is a colour";

  auto* s = Make<TScrVString>("S");
  s->SetDef("opengl32.dll");
  reg.PutNumber("S", 0x41);
  EXPECT_EQ("opengl32.dll", Fresh(s)->GetValue());
  reg.PutText("S", "");
  EXPECT_EQ("", Fresh(s)->GetValue()) << "empty text is a legal setting";
  std::string huge(300000, 'z');
  reg.PutText("S", huge);
  EXPECT_EQ(huge, Fresh(s)->GetValue());
  reg.PutRaw("S", REG_SZ, "no zero", 7);
  EXPECT_EQ("no zero", Fresh(s)->GetValue());

  auto* l = Make<TScrVStringList>("L");
  l->Def()->Add("fallback");
  reg.PutNumber("L", 7);
  EXPECT_EQ("fallback", Fresh(l)->GetItems()->CommaText());
  reg.PutText("L", "a b,c");
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Fresh(l)->GetItems()->ToVector());
}

TEST_F(PersistTest, IndexValuesStoreTheRangeDefOrNone) {
  auto* v = Make<TScrVIndex>("Speed");
  v->GetRanges()->AddRange("Slow", 71, 120, 100);
  v->GetRanges()->AddRange("Medium", 4, 70, 40);
  v->GetRanges()->AddRange("Fast", 1, 3, 1);
  v->SetDef(1);

  struct Case {
    const char* stored;
    int index;
  } cases[] = {{"40", 1}, {"2", 2}, {"none", -1}, {"None", 2}, {"NONE", 2}, {"500", 2},
               {"", 2},   {"4x", 2}, {" 100", 0}, {"$64", 0}};
  for (const Case& c : cases) {
    reg.PutText("Speed", c.stored);
    EXPECT_EQ(c.index, Fresh(v)->GetIndex()) << c.stored;
  }
  reg.PutText("Speed", "2");
  auto* read = Fresh(v);
  read->SaveToRegistry();
  EXPECT_EQ("1", reg.Text("Speed")) << "written back as the range's Def";
  reg.PutText("Speed", "none");
  read->LoadFromRegistry();
  read->SaveToRegistry();
  EXPECT_EQ("none", reg.Text("Speed"));

  // An index naming no range is kept as none rather than failing the save.
  read->SetIndex(7);
  read->SaveToRegistry();
  EXPECT_EQ("none", reg.Text("Speed"));

  // Without ranges nothing is valid and the fallback is no range.
  auto* bare = Make<TScrVIndex>("Bare");
  reg.PutText("Bare", "3");
  EXPECT_EQ(-1, bare->GetIndex());
  bare->SaveToRegistry();
  EXPECT_EQ("none", reg.Text("Bare"));
}

TEST_F(PersistTest, FontsNeedAllSixItems) {
  auto* f = Make<TScrVFont>("F");
  TFont def;
  def.SetName("Arial");
  def.SetSize(10);
  f->SetDef(&def);
  EXPECT_EQ("Arial", f->Def()->Name());
  const char* bad[] = {"0,255,13,Courier,2",           // five items
                       "0,255,13,Courier,x,\"style \"",  // pitch does not convert
                       "0,255,13,Courier,7,\"style \"",  // no such pitch
                       "300,255,13,Courier,0,\"style \"",  // no such character set
                       "",  "\"\""};
  for (const char* text : bad) {
    reg.PutText("F", text);
    f->GetValue()->SetName("Other");
    EXPECT_TRUE(Fresh(f)->GetValue()->SameAs(*f->Def())) << text;
  }
  reg.PutText("F", "1,16711680,9,Tahoma,1,ItalicUnderline bold");
  TFont* font = Fresh(f)->GetValue();
  EXPECT_EQ("Tahoma", font->Name());
  EXPECT_EQ(9, font->Size());
  EXPECT_EQ(clBlue, font->Color());
  EXPECT_EQ(1, font->Charset());
  EXPECT_EQ(fpVariable, font->Pitch());
  EXPECT_EQ((TFontStyles{fsItalic, fsUnderline}), font->Style()) << "style words are case-sensitive";
}

TEST_F(PersistTest, ReloadsOfFontsNotifyOnlyOnChangeAndOfListsAlways) {
  auto* f = Make<TScrVFont>("F");
  auto* l = Make<TScrVStringList>("L");
  auto* m = Make<TScrVFileList>("M");
  RecordingController cf, cl, cm;
  cf.Link(f);
  cl.Link(l);
  cm.Link(m);
  EXPECT_EQ(3, LoadValuesFromRegistry(form));  // first loads: silent
  EXPECT_TRUE(cf.sets.empty() && cl.sets.empty() && cm.sets.empty());
  EXPECT_EQ("*.*", m->GetMasks()->CommaText());
  m->SaveToRegistry();
  EXPECT_EQ("*.*", reg.Text("M"));
  LoadValuesFromRegistry(form);
  EXPECT_TRUE(cf.sets.empty());
  EXPECT_EQ(1u, cl.sets.size());
  EXPECT_EQ(1u, cm.sets.size());
  reg.PutText("F", "0,0,20,Arial,0,style");
  LoadValuesFromRegistry(form);
  ASSERT_EQ(1u, cf.sets.size());
  EXPECT_EQ(Only(vnChange), cf.sets[0]);
}

TEST_F(PersistTest, RealsUseTheUsersDecimalSeparator) {
  auto* d = Make<TScrVDouble>("D");
  d->SetDef(0.5);
  d->GetValue();
  d->SetValue(2.25);
  d->SaveToRegistry();
  ASSERT_EQ('.', DecimalSeparator());
  EXPECT_EQ("2.25", reg.Text("D"));
  reg.PutText("D", "2,25");
  EXPECT_EQ(0.5, Fresh(d)->GetValue()) << "a comma is no separator for this user";
  for (const char* bad : {"1e400", "NAN"}) {
    reg.PutText("D", bad);
    EXPECT_EQ(0.5, Fresh(d)->GetValue()) << bad;
  }
  reg.PutText("D", "-0.0");
  EXPECT_EQ(0.0, Fresh(d)->GetValue());

  // The same user with a comma, set the way the control panel does it.
  char saved[8] = {};
  ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved, sizeof saved), 0);
  ASSERT_TRUE(SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, ","));
  RefreshFormatSettings();
  const char sep = DecimalSeparator();
  d->SetValue(2.25);
  d->SaveToRegistry();
  const std::string withComma = reg.Text("D");
  reg.PutText("D", "1.5");
  const double dotRead = Fresh(d)->GetValue();
  reg.PutText("D", "1,5");
  const double commaRead = Fresh(d)->GetValue();
  SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved);
  RefreshFormatSettings();
  ASSERT_EQ(',', sep);
  EXPECT_EQ("2,25", withComma);
  EXPECT_EQ(0.5, dotRead);
  EXPECT_EQ(1.5, commaRead);
  EXPECT_EQ('.', DecimalSeparator());
}

TEST_F(PersistTest, AKeyThatCannotBeOpenedFullyGivesDefaultsAndWritesDoNoHarm) {
  auto* v = Make<TScrVInteger>("N");
  v->SetDef(33);
  // The entry's "key" is a value path whose key part cannot exist.
  v->SetRegistryPath(std::string("Software\\Vantrel\\ValuesTest\\bad\x01\\") + std::string(300, 'k') + "\\N");
  EXPECT_EQ(33, v->GetValue());
  v->SaveToRegistry();  // ignored
  EXPECT_EQ(33, v->GetValue());

  auto* w = Make<TScrVInteger>("W");
  w->SetRegistryPath("W");  // no backslash: key and entry are both W
  w->SetDef(4);
  w->GetValue();
  w->SetValue(9);
  w->SaveToRegistry();
  EXPECT_EQ(9, Fresh(w)->GetValue());
  RegDeleteKeyA(HKEY_CURRENT_USER, "W");
}

// ---- Streaming from a form resource --------------------------------------

class TValuesTestForm : public TComponent {
  TK_CLASS(TValuesTestForm)
  explicit TValuesTestForm(TComponent* owner) : TComponent(owner) {}
};
const TMetaClass& TValuesTestForm::StaticClass() {
  static const TMetaClass cls = DefineClass<TValuesTestForm>("TValuesTestForm", &TComponent::StaticClass());
  return cls;
}

TEST(ValueStreaming, FormResourcesSetDefsRangesPathsAndLists) {
  ScratchKey reg;
  const std::string path = reg.path();
  const std::string text =  // some objects and items on one line, some over several
      "object Form: TValuesTestForm\n"
      "  object nRings: TScrVInteger\n"
      "    Def = 60\n"
      "    Ranges = <\n"
      "      item Caption = 'Range0' Min = 2 Max = 150 Def = 41 end>\n"
      "    RegistryPath = '" + path + "\\<name>'\n"
      "  end\n"
      "  object Density: TScrVDouble\n"
      "    Def = 0.005\n"
      "    Ranges = <item Caption = 'Range' Max = 0.05 Def = 0.005 end>\n"
      "  end\n"
      "  object Speed: TScrVIndex\n"
      "    Def = 1\n"
      "    Ranges = <\n"
      "      item Caption = 'Slow' Min = 71 Max = 120 Def = 100 end\n"
      "      item Caption = 'Fast' Min = 1 Max = 3 Def = 1 end>\n"
      "  end\n"
      "  object Explosion: TScrVColor Def = clAqua end\n"
      "  object ReStart: TScrVBoolean Def = False end\n"
      "  object Driver: TScrVString Def = 'opengl32.dll' end\n"
      "  object Names: TScrVStringList Def.Strings = ('one' 'two words') RegistryPath = 'Lists\\<name>' end\n"
      "  object Drivers: TScrVFileList DefMasks.Strings = ('*.dll' 'gl\\*.dll') RegistryPath = 'Files\\<name>' end\n"
      "  object Face: TScrVFont\n"
      "    Def.Name = 'Arial' Def.Size = 12 Def.Style = [fsBold] RegistryPath = 'Fonts\\<name>'\n"
      "  end\n"
      "end\n";
  auto* root = new TValuesTestForm(nullptr);
  RecordingController early;  // attached after reading: what reading raised waits for a change
  ASSERT_NO_THROW(ReadComponentResTexts(root, {{&TValuesTestForm::StaticClass(), text}}));
  auto* n = dynamic_cast<TScrVInteger*>(root->FindComponent("nRings"));
  ASSERT_NE(nullptr, n);
  EXPECT_EQ(reg / "nRings", n->GetRegistryPath());
  EXPECT_EQ(1, n->GetRanges()->Count());
  EXPECT_EQ(41, n->IntegerFromIndex(0));
  EXPECT_EQ(60, n->GetValue());
  early.Link(n, false);
  n->SetValue(61);
  ASSERT_EQ(1u, early.sets.size());
  EXPECT_TRUE(early.sets[0].Contains(vnName) && early.sets[0].Contains(vnRange) && early.sets[0].Contains(vnChange));

  auto* d = dynamic_cast<TScrVDouble*>(root->FindComponent("Density"));
  ASSERT_NE(nullptr, d);
  EXPECT_EQ(0.005, d->Def());
  EXPECT_EQ(0.05, d->GetMax());
  auto* s = dynamic_cast<TScrVIndex*>(root->FindComponent("Speed"));
  ASSERT_NE(nullptr, s);
  EXPECT_EQ("Fast", s->GetRanges()->GetItem(1)->Caption());
  EXPECT_EQ(clAqua, dynamic_cast<TScrVColor*>(root->FindComponent("Explosion"))->Def());
  EXPECT_FALSE(dynamic_cast<TScrVBoolean*>(root->FindComponent("ReStart"))->Def());
  EXPECT_EQ("opengl32.dll", dynamic_cast<TScrVString*>(root->FindComponent("Driver"))->Def());
  EXPECT_EQ("one,\"two words\"", dynamic_cast<TScrVStringList*>(root->FindComponent("Names"))->Def()->CommaText());
  EXPECT_EQ("*.dll,gl\\*.dll", dynamic_cast<TScrVFileList*>(root->FindComponent("Drivers"))->DefMasks()->CommaText());
  EXPECT_EQ("Lists\\Names", dynamic_cast<TScrValue*>(root->FindComponent("Names"))->GetRegistryPath());
  EXPECT_EQ("Files\\Drivers", dynamic_cast<TScrValue*>(root->FindComponent("Drivers"))->GetRegistryPath());
  EXPECT_EQ("Fonts\\Face", dynamic_cast<TScrValue*>(root->FindComponent("Face"))->GetRegistryPath());
  TFont* face = dynamic_cast<TScrVFont*>(root->FindComponent("Face"))->Def();
  EXPECT_EQ("Arial", face->Name());
  EXPECT_EQ(12, face->Size());
  root->Free();
}

}  // namespace
