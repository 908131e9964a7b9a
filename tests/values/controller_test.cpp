// Controllers: dispatch, linking both ways, copies, titles, the pairing with
// a viewer and the family rule, embedded controllers in form resources, and
// the registration of controller classes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_viewer.h"
#include "values_test_support.h"

using namespace values_testing;

namespace {

std::string Names(TObject* sender) { return sender ? static_cast<TComponent*>(sender)->Name() : "nil"; }

// A controller whose events write to one log.
struct EventLog {
  std::vector<std::string> lines;
  void Attach(TScrValueController& c) {
    c.OnLink = [this](TObject* s) { lines.push_back("link " + Names(s)); };
    c.OnName = [this](TObject* s) { lines.push_back("name " + Names(s)); };
    c.OnRange = [this](TObject* s) { lines.push_back("range " + Names(s)); };
    c.OnChange = [this](TObject* s) { lines.push_back("change " + Names(s)); };
    c.OnRemove = [this](TObject* s) { lines.push_back("remove " + Names(s)); };
    c.OnNotify = [this](TObject* s, TValueNotifications ns) {
      lines.push_back("notify " + Names(s) + " " + std::to_string(ns.Bits()));
    };
  }
};

std::string Bits(TValueNotifications ns) { return std::to_string(ns.Bits()); }

struct ControllerTest : ::testing::Test {
  ScratchKey reg;
  TComponent* form = new TComponent(nullptr);
  TScrVInteger* value = new TScrVInteger(form);
  ControllerTest() {
    form->SetName("Form");
    value->SetName("nRings");
    value->SetRegistryPath(reg / "<name>");
    // As after reading a form: the name given while no controller listened
    // is delivered and forgotten.
    value->AddValueNotification(nullptr);
    value->HandleChange();
    value->ValueNeeded();
    RegisterTestViewerClasses();
  }
  ~ControllerTest() override {
    if (form) form->Free();
  }
};

TEST_F(ControllerTest, EventsRunInFixedOrderWithTheValueAsSender) {
  auto* c = new TScrValueController(form);
  EventLog log;
  log.Attach(*c);
  c->SetValue(value);
  const std::string linked = Bits({vnLink, vnName, vnRange});
  EXPECT_EQ((std::vector<std::string>{"link nRings", "name nRings", "range nRings", "notify nRings " + linked}),
            log.lines);

  log.lines.clear();
  c->SetValue(value);  // already linked
  EXPECT_TRUE(log.lines.empty());

  value->SetValue(5);
  EXPECT_EQ((std::vector<std::string>{"change nRings", "notify nRings " + Bits({vnChange})}), log.lines);

  log.lines.clear();
  value->SetUpdating(true);
  value->SetName("Renamed");
  value->SetValue(6);
  value->SetUpdating(false);
  EXPECT_EQ((std::vector<std::string>{"name Renamed", "change Renamed", "notify Renamed " + Bits({vnName, vnChange})}),
            log.lines);

  log.lines.clear();
  c->SetValue(nullptr);
  EXPECT_EQ((std::vector<std::string>{"link nil", "notify nil " + Bits({vnLink})}), log.lines);
  EXPECT_EQ(0, value->ControllerCount());
  value->SetValue(7);
  EXPECT_EQ(2u, log.lines.size()) << "an unlinked controller hears nothing";
}

TEST_F(ControllerTest, ValueAndControllerLearnOfEachOthersEnd) {
  auto* c = new TScrValueController(form);
  auto* other = new TScrValueController(nullptr);
  c->SetValue(value);
  other->SetValue(value);
  EventLog log;
  log.Attach(*c);
  EXPECT_EQ(2, value->ControllerCount());

  other->Free();
  EXPECT_EQ(1, value->ControllerCount());
  value->SetValue(3);
  EXPECT_EQ(2u, log.lines.size());

  log.lines.clear();
  value->Free();
  value = nullptr;
  EXPECT_EQ(nullptr, c->Value());
  EXPECT_EQ((std::vector<std::string>{"link nil", "remove nil", "notify nil " + Bits({vnLink, vnRemove})}), log.lines);

  // Linking again and destroying the whole form, values and controllers in
  // any order, leaves nothing behind.
  auto* second = new TScrVInteger(form);
  c->SetValue(second);
  auto* late = new TScrValueController(form);
  late->SetValue(second);
  auto* outside = new TScrValueController(nullptr);
  outside->SetValue(second);
  form->Free();
  form = nullptr;
  EXPECT_EQ(nullptr, outside->Value());
  outside->Free();
}

TEST_F(ControllerTest, CopiesCarryTheLinkOnly) {
  auto* c = new TTestIntegerController(form);
  c->SetName("Original");
  c->SetValue(value);
  int changes = 0;
  c->OnChange = [&](TObject*) { ++changes; };

  TComponent owner(nullptr);
  TScrValueController* copy = c->CreateCopy(&owner);
  EXPECT_EQ(&TTestIntegerController::StaticClass(), copy->ClassType());
  EXPECT_EQ(&owner, copy->Owner());
  EXPECT_EQ(value, copy->Value());
  EXPECT_EQ("", copy->Name());
  EXPECT_FALSE(copy->OnChange);
  EXPECT_EQ(2, value->ControllerCount());

  auto* plain = new TScrValueController(form);
  plain->Assign(c);
  EXPECT_EQ(value, plain->Value());
  TStringList notAController;
  EXPECT_THROW(plain->Assign(&notAController), EConvertError);
  EXPECT_EQ(value, plain->Value());
  value->SetValue(42);
  EXPECT_EQ(1, changes);
}

TEST_F(ControllerTest, EnumeratingCopiesForAValue) {
  TList<TScrValueController> list;
  TScrValueController prototype(nullptr);
  prototype.EnumControllersOfValue(form, value, list);
  ASSERT_EQ(1, list.Count());
  EXPECT_EQ(value, list.Items(0)->Value());
  EXPECT_EQ(form, list.Items(0)->Owner());
  EXPECT_EQ(nullptr, prototype.Value());

  // A typed controller takes only its kind of value and keeps its own link.
  auto* text = new TScrVString(form);
  auto* other = new TScrVInteger(form);
  TTestIntegerController typed(nullptr);
  typed.SetValue(text);
  EXPECT_EQ(nullptr, typed.Value());
  typed.SetValue(other);
  typed.EnumControllersOfValue(form, text, list);
  EXPECT_EQ(1, list.Count());
  typed.EnumControllersOfValue(form, value, list);
  ASSERT_EQ(2, list.Count());
  EXPECT_EQ(value, list.Items(1)->Value());
  EXPECT_EQ(other, typed.Value());
  typed.EnumControllersOfValue(form, nullptr, list);
  EXPECT_EQ(2, list.Count());
}

TEST_F(ControllerTest, TitlesNameTheLink) {
  TScrValueController plain(nullptr);
  EXPECT_EQ("", plain.GetTitle());
  plain.SetValue(value);
  EXPECT_EQ("Form->nRings", plain.GetTitle());
  TScrVInteger loose(nullptr);
  loose.SetName("Loose");
  plain.SetValue(&loose);
  EXPECT_EQ("Loose", plain.GetTitle());
  plain.SetValue(nullptr);

  TTestSettings module(nullptr);
  auto* onModule = new TTestIntegerController(&module);
  onModule->SetName("TrackCtl");
  onModule->SetValue(value);
  EXPECT_EQ("TrackCtl", onModule->GetTitle());
  auto* viewer = new TTestViewer(&module);
  auto* embedded = new TTestIntegerController(viewer);
  embedded->SetValue(value);
  EXPECT_EQ("Form->nRings", embedded->GetTitle());
}

TEST_F(ControllerTest, AViewerTakesACopyOfAControllerWithoutOwner) {
  auto* viewer = new TTestViewer(form);
  value->SetValue(30);
  TTestIntegerController loose(nullptr);
  loose.SetValue(value);
  viewer->SetController(&loose);

  TTestViewerController* attached = viewer->Controller();
  ASSERT_NE(nullptr, attached);
  EXPECT_NE(&loose, attached);
  EXPECT_EQ(viewer, attached->Owner());
  EXPECT_EQ("Controller1", attached->Name());
  EXPECT_EQ(viewer, attached->Viewer());
  EXPECT_EQ(attached, viewer->ControllerLink().StoredController());
  EXPECT_EQ(nullptr, loose.Viewer());
  EXPECT_EQ(value, loose.Value());
  EXPECT_EQ(30, viewer->position);
  EXPECT_EQ(Bits({vnRange, vnChange}), Bits(viewer->refreshes.back()));

  // The same from the controller's side.
  auto* viewer2 = new TTestViewer(form);
  loose.SetViewer(viewer2);
  EXPECT_EQ(nullptr, loose.Viewer());
  ASSERT_NE(nullptr, viewer2->Controller());
  EXPECT_EQ(viewer2, viewer2->Controller()->Owner());
}

TEST_F(ControllerTest, ReplacingAControllerDestroysOnlyWhatTheViewerOwns) {
  auto* viewer = new TTestViewer(form);
  auto* onForm = new TTestIntegerController(form);
  onForm->SetValue(value);
  TTestIntegerController loose(nullptr);
  viewer->SetController(&loose);
  TTestViewerController* embedded = viewer->Controller();
  ASSERT_EQ(1, viewer->ComponentCount());

  viewer->SetController(onForm);
  EXPECT_EQ(0, viewer->ComponentCount()) << "the owned controller is gone";
  EXPECT_EQ(viewer, onForm->Viewer());
  EXPECT_EQ(nullptr, viewer->ControllerLink().StoredController());
  EXPECT_NE(embedded, viewer->Controller());

  auto* onForm2 = new TTestIntegerController(form);
  onForm2->SetViewer(viewer);
  EXPECT_EQ(onForm2, viewer->Controller());
  EXPECT_EQ(nullptr, onForm->Viewer()) << "let go, not destroyed";
  value->SetValue(55);
  EXPECT_NE(55, viewer->position) << "onForm2 has no value: the viewer shows its fallback";

  viewer->SetController(nullptr);
  EXPECT_EQ(nullptr, onForm2->Viewer());
  EXPECT_EQ(4, form->ComponentCount()) << "value, viewer and both controllers remain";
}

TEST_F(ControllerTest, EmbeddedControllerMovedToAnotherViewerSurvives) {
  auto* first = new TTestViewer(form);
  auto* second = new TTestViewer(form);
  auto* embedded = new TTestIntegerController(first);
  embedded->SetValue(value);
  first->SetController(embedded);
  embedded->SetViewer(second);
  EXPECT_EQ(second, embedded->Viewer());
  EXPECT_EQ(embedded, second->Controller());
  EXPECT_EQ(nullptr, first->Controller());
  first->Free();  // takes its embedded controller along
  EXPECT_EQ(nullptr, second->Controller());
  EXPECT_EQ(10, second->position);
  EXPECT_EQ(0, value->ControllerCount());
}

TEST_F(ControllerTest, EndsOfViewerOrControllerLeaveNoDanglingLinks) {
  auto* viewer = new TTestViewer(form);
  auto* c = new TTestIntegerController(form);
  c->SetValue(value);
  value->SetValue(44);
  viewer->SetController(c);
  EXPECT_EQ(44, viewer->position);
  viewer->Free();
  EXPECT_EQ(nullptr, c->Viewer());
  value->SetValue(45);  // nothing to refresh

  viewer = new TTestViewer(form);
  viewer->SetController(c);
  c->Free();
  EXPECT_EQ(nullptr, viewer->Controller());
  EXPECT_EQ(0, viewer->min);
  EXPECT_EQ(100, viewer->max);
  EXPECT_EQ(10, viewer->position);
  EXPECT_EQ(0, value->ControllerCount());
}

TEST_F(ControllerTest, FamilyRuleRefreshesViewersButNotTheOneBeingEdited) {
  value->SetValue(20);
  auto* v1 = new TTestViewer(form);
  auto* v2 = new TTestViewer(form);
  auto* c1 = new TTestIntegerController(form);
  auto* c2 = new TTestIntegerController(form);
  std::vector<std::string> notified;
  c1->OnNotify = [&](TObject*, TValueNotifications ns) { notified.push_back(Bits(ns)); };
  v1->SetController(c1);
  v2->SetController(c2);
  EXPECT_EQ(10, v1->position) << "fallback without a value";
  v1->UserMoves(70);  // ignored without a value
  EXPECT_EQ(20, value->GetValue());

  v1->refreshes.clear();
  c1->SetValue(value);
  c2->SetValue(value);
  EXPECT_EQ((std::vector<std::string>{Bits({vnLink, vnName, vnRange})}), notified) << "as sent, without vnChange";
  ASSERT_EQ(1u, v1->refreshes.size());
  EXPECT_EQ(Bits({vnLink, vnName, vnRange, vnChange}), Bits(v1->refreshes[0]));
  EXPECT_EQ(20, v1->position);

  v1->refreshes.clear();
  v2->refreshes.clear();
  v1->UserMoves(70);
  EXPECT_EQ(70, value->GetValue());
  EXPECT_TRUE(v1->refreshes.empty());
  ASSERT_EQ(1u, v2->refreshes.size());
  EXPECT_EQ(70, v2->position);

  // A value of the wrong class leaves the typed controller as it was.
  auto* text = new TScrVString(form);
  c1->SetValue(text);
  EXPECT_EQ(value, c1->Value());
}

// The dialog's viewers hold their controllers inside them and refer to a
// value on another root; all is resolved when the dialog is read.
TEST_F(ControllerTest, EmbeddedControllersStreamFromAFormResource) {
  reg.PutNumber("x", 33);
  TComponent app(nullptr);
  auto* settings = CreateComponent<TTestSettings>(&app);
  auto* dialog = CreateComponent<TTestDialog>(&app);
  ASSERT_NE(nullptr, settings->x);
  ASSERT_NE(nullptr, dialog->Viewer1);

  TTestViewerController* embedded = dialog->Viewer1->Controller();
  ASSERT_NE(nullptr, embedded);
  EXPECT_EQ("Controller1", embedded->Name());
  EXPECT_EQ(dialog->Viewer1, embedded->Owner());
  EXPECT_EQ(dialog->Viewer1, embedded->Viewer());
  EXPECT_EQ(embedded, dialog->Viewer1->ControllerLink().StoredController());
  EXPECT_EQ(settings->x, embedded->Value());
  EXPECT_EQ("OtherRoot->x", embedded->GetTitle());
  EXPECT_EQ(33, dialog->Viewer1->position);

  EXPECT_EQ(dialog->Shared, dialog->Viewer2->Controller());
  EXPECT_EQ(nullptr, dialog->Viewer2->ControllerLink().StoredController());
  EXPECT_EQ("Shared", dialog->Shared->GetTitle());
  EXPECT_EQ(3, settings->x->ControllerCount());

  dialog->log.clear();
  dialog->Viewer1->UserMoves(40);
  EXPECT_EQ(40, dialog->Viewer2->position);
  EXPECT_EQ((std::vector<std::string>{"Shared change x", "Watcher " + Bits({vnChange}) + " value"}), dialog->log);

  // The settings go first: every controller loses its value, viewers fall back.
  dialog->log.clear();
  settings->Free();
  EXPECT_EQ(nullptr, embedded->Value());
  EXPECT_EQ(10, dialog->Viewer1->position);
  EXPECT_EQ(100, dialog->Viewer2->max);
  EXPECT_EQ((std::vector<std::string>{"Watcher " + Bits({vnLink, vnRemove}) + " nil"}), dialog->log);
  dialog->Free();
}

TEST_F(ControllerTest, DialogClosingDetachesItsControllersFromTheValue) {
  TComponent app(nullptr);
  auto* settings = CreateComponent<TTestSettings>(&app);
  auto* dialog = CreateComponent<TTestDialog>(&app);
  EXPECT_EQ(3, settings->x->ControllerCount());
  dialog->Free();
  EXPECT_EQ(0, settings->x->ControllerCount());
  settings->x->SetValue(12);
}

TEST(ScrCreateOwnedComponentTest, BuildsTheRunTimeClassOrFailsCleanly) {
  TComponent owner(nullptr);
  TComponent* c = ScrCreateOwnedComponent(&owner, &TTestIntegerController::StaticClass());
  EXPECT_EQ(&TTestIntegerController::StaticClass(), c->ClassType());
  EXPECT_EQ(&owner, c->Owner());
  EXPECT_THROW(ScrCreateOwnedComponent(&owner, nullptr), EInvalidOperation);
  EXPECT_THROW(ScrCreateOwnedComponent(&owner, &TScrValueViewerControllerAncestor::StaticClass()), EInvalidOperation);
  EXPECT_THROW(ScrCreateOwnedComponent(&owner, &TStringList::StaticClass()), EInvalidOperation);
  EXPECT_EQ(1, owner.ComponentCount());
}

std::vector<TClass>& Enumerated() {
  static std::vector<TClass> classes;
  return classes;
}

TEST(RegisterScrControllersTest, ClassesAreKeptUntilAnEnumerationProcIsSet) {
  const TClass first[] = {&TTestIntegerController::StaticClass(), nullptr, &TScrValueController::StaticClass()};
  RegisterScrControllers(first, 2);
  RegisterScrControllers(nullptr, 3);
  RegisterScrControllers(first, -1);
  EXPECT_EQ(&TTestIntegerController::StaticClass(), GetClass("TTestIntegerController"));
  SetEnumScrControllersProc(nullptr);  // keeps collecting
  SetEnumScrControllersProc([](TClass c) { Enumerated().push_back(c); });
  EXPECT_EQ((std::vector<TClass>{first[0], first[2]}), Enumerated());
  const TClass later[] = {&TTestViewerController::StaticClass()};
  RegisterScrControllers(later, 0);
  EXPECT_EQ(3u, Enumerated().size());
  EXPECT_EQ(later[0], Enumerated().back());
  EXPECT_EQ(later[0], GetClass("TTestViewerController"));
}

}  // namespace
