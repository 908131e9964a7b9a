// Gathering and delivery of notifications, the lazy load and the controller list.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "values_test_support.h"

using namespace values_testing;

namespace {

struct ModelTest : ValuesFixture {
  TScrVInteger* value = Make<TScrVInteger>("Setting");
  ModelTest() { value->SetDef(7); }
};
using ValueModel = ValuesFixture;

TEST_F(ModelTest, SettersDeliverOnlyRealChangesAndBracketsGatherThem) {
  RecordingController c;
  c.Link(value);
  value->SetValue(0);  // the stored setting: nothing
  EXPECT_TRUE(c.sets.empty());
  value->SetValue(3);
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ(Only(vnChange), c.sets[0]);

  c.sets.clear();
  value->SetUpdating(true);
  value->SetUpdating(true);
  value->SetValue(4);
  value->SetValue(5);
  value->SetUpdating(false);
  EXPECT_TRUE(c.sets.empty()) << "inner bracket closed";
  value->SetUpdating(false);
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ(Only(vnChange), c.sets[0]);

  c.sets.clear();
  value->SetUpdating(true);
  value->SetUpdating(false);
  EXPECT_TRUE(c.sets.empty()) << "a bracket with nothing pending delivers nothing";
}

// Every other kind of value alike: its own figure again is no change.
TEST_F(ModelTest, EveryKindDeliversARealChangeOnce) {
  auto* colour = new TScrVColor(form);
  auto* flag = new TScrVBoolean(form);
  auto* text = new TScrVString(form);
  auto* real = new TScrVDouble(form);
  const struct {
    TScrValue* value;
    std::function<void()> same, other;
  } kinds[] = {
      {colour, [&] { colour->SetValue(colour->GetValue()); }, [&] { colour->SetValue(0x123456); }},
      {flag, [&] { flag->SetValue(flag->GetValue()); }, [&] { flag->SetValue(!flag->GetValue()); }},
      {text, [&] { text->SetValue(text->GetValue()); }, [&] { text->SetValue(text->GetValue() + "x"); }},
      {real, [&] { real->SetValue(real->GetValue()); }, [&] { real->SetValue(real->GetValue() + 0.25); }},
  };
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.value->ClassName());
    RecordingController c;
    c.Link(kind.value);
    kind.same();
    EXPECT_TRUE(c.sets.empty());
    kind.other();
    ASSERT_EQ(1u, c.sets.size());
    EXPECT_EQ(Only(vnChange), c.sets[0]);
  }
}

TEST_F(ModelTest, KindsWaitUntilAControllerExists) {
  value->SetName("Renamed");  // no controller list yet: kept
  value->SetValue(9);
  EXPECT_EQ((TValueNotifications{vnName, vnChange}), value->Pending());
  RecordingController c;
  c.Link(value, false);
  EXPECT_TRUE(c.sets.empty()) << "attaching delivers nothing by itself";
  value->SetValue(10);
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ((TValueNotifications{vnName, vnChange}), c.sets[0]);

  c.sets.clear();
  value->SetName("Again");
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ(Only(vnName), c.sets[0]);
}

TEST_F(ModelTest, EmptyControllerListStillEmptiesThePendingSet) {
  RecordingController c;
  c.Link(value);
  c.Unlink();
  value->SetValue(1);
  EXPECT_TRUE(value->Pending().Empty());
  c.Link(value);
  value->SetValue(2);
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ(Only(vnChange), c.sets[0]);
}

TEST_F(ModelTest, ControllerListKeepsOrderWithoutDuplicatesAndForgetsTheDestroyed) {
  auto* a = new RecordingController(form);
  RecordingController b;
  a->Link(value);
  b.Link(value);
  value->AddValueNotification(a);
  EXPECT_EQ(2, value->ControllerCount());
  EXPECT_EQ(a, value->Controllers(0));
  value->RemoveValueNotification(nullptr);
  RecordingController stranger;
  value->RemoveValueNotification(&stranger);
  EXPECT_EQ(2, value->ControllerCount());

  a->Free();  // through free notification
  EXPECT_EQ(1, value->ControllerCount());
  value->SetValue(11);
  EXPECT_EQ(1u, b.sets.size());

  {
    RecordingController deleted;  // a plain delete, not Free
    deleted.Link(value);
    EXPECT_EQ(2, value->ControllerCount());
  }
  EXPECT_EQ(1, value->ControllerCount());
}

TEST_F(ModelTest, DestroyedValueCallsNoControllerAndControllersOutliveIt) {
  RecordingController c;
  c.Link(value);
  value->Free();
  value = nullptr;
  EXPECT_TRUE(c.sets.empty());
  c.Unlink();  // the controller learnt of the end and holds nothing
}

TEST_F(ModelTest, FirstLoadIsSilentLaterLoadsAlwaysNotify) {
  reg.PutNumber("Setting", 42);
  RecordingController c;
  c.Link(value);
  EXPECT_FALSE(value->IsLoaded());
  EXPECT_EQ(42, value->GetValue());  // lazy first load
  EXPECT_TRUE(value->IsLoaded());
  EXPECT_TRUE(c.sets.empty());
  value->LoadFromRegistry();  // nothing changed, still announced
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ(Only(vnChange), c.sets[0]);

  reg.PutNumber("Setting", 43);
  value->SetValue(1);
  c.sets.clear();
  value->LoadFromRegistry();  // several changes inside the load: one delivery
  ASSERT_EQ(1u, c.sets.size());
  EXPECT_EQ(43, value->GetValue());
}

TEST_F(ModelTest, ASetterBeforeTheFirstReadIsReplacedByTheLoad) {
  reg.PutNumber("Setting", 42);
  value->SetValue(5);
  EXPECT_FALSE(value->IsLoaded());
  EXPECT_EQ(42, value->GetValue());
}

TEST_F(ModelTest, ReadingAndSavingLoadOnce) {
  value->SaveToRegistry();  // loads (default 7) and writes
  EXPECT_TRUE(value->IsLoaded());
  EXPECT_EQ(7u, reg.Number("Setting"));
}

TEST_F(ValueModel, BatchOperationsWorkOnDirectlyOwnedValuesThroughTheHooks) {
  auto* a = Make<TScrVInteger>("A");
  auto* nested = new TScrVBoolean(new TComponent(form));  // not directly owned
  nested->SetRegistryPath(reg / "<name>");
  nested->SetName("Nested");
  auto* b = Make<TScrVString>("B");

  ASSERT_EQ(&ScrSaveValuesToRegistry, SaveValuesToRegistryProc);
  ASSERT_EQ(&ScrLoadValuesFromRegistry, LoadValuesFromRegistryProc);
  EXPECT_EQ(2, SaveValuesToRegistry(form));
  EXPECT_TRUE(reg.Has("A"));
  EXPECT_TRUE(reg.Has("B"));
  EXPECT_FALSE(reg.Has("Nested"));
  EXPECT_EQ(0, SaveValuesToRegistry(nullptr));

  RecordingController ca, cb;
  ca.Link(a);
  cb.Link(b);
  EXPECT_EQ(2, LoadValuesFromRegistry(form));
  ASSERT_EQ(1u, ca.sets.size());
  EXPECT_EQ(Only(vnChange), ca.sets[0]);
  ASSERT_EQ(1u, cb.sets.size());

  WatchForFormRenames(nullptr, true);  // no hook installed: nothing happens
}

// A listener that fails when it is told of a change.
class ThrowingController : public RecordingController {
 public:
  void ValueNotification(TValueNotifications ns) override {
    RecordingController::ValueNotification(ns);
    throw EConvertError("listener failed");
  }
};

// A reload (the Cancel of an active configuration) whose listener fails: the
// failure reaches the caller instead of ending the process, every other value
// is still reloaded and told, and later changes are delivered as usual.
TEST_F(ValueModel, AListenerFailingDuringAReloadReachesTheCallerAndTheRestIsReloaded) {
  auto* a = Make<TScrVInteger>("A");
  auto* b = Make<TScrVInteger>("B");
  a->GetValue();
  b->GetValue();
  ThrowingController ca;
  RecordingController cb;
  ca.Link(a, false);  // what the value gathered while it was built comes with the first reload
  cb.Link(b);

  reg.PutNumber("A", 5);
  EXPECT_THROW(a->LoadFromRegistry(), EConvertError);
  EXPECT_EQ(5, a->GetValue());
  EXPECT_EQ(0, a->UpdateDepth());

  reg.PutNumber("A", 6);
  reg.PutNumber("B", 7);
  ca.sets.clear();
  EXPECT_THROW(LoadValuesFromRegistry(form), EConvertError);
  EXPECT_EQ(6, a->GetValue());
  EXPECT_EQ(7, b->GetValue());
  ASSERT_EQ(1u, cb.sets.size());
  EXPECT_EQ(Only(vnChange), cb.sets[0]);

  ca.sets.clear();
  EXPECT_THROW(a->SetValue(8), EConvertError);
  EXPECT_EQ(1u, ca.sets.size());
}

}  // namespace
