// Metaclasses, the class registry, ownership, names and free notification.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/toolkit/probes.h"

namespace {

size_t Occurrences(const std::string& entry) {
  auto& log = ProbeLog();
  return static_cast<size_t>(std::count(log.begin(), log.end(), entry));
}

TProbe* NewProbe(TComponent* owner, const std::string& name) {
  auto* p = new TProbe(owner);
  p->SetName(name);
  return p;
}

// Frees itself when told that `target` goes, as a proxy of a preview does.
class TSelfFreeing : public TComponent {
  TK_CLASS(TSelfFreeing)
  explicit TSelfFreeing(TComponent* owner) : TComponent(owner) {}
  TComponent* target = nullptr;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove && c == target) Free();
  }
};
const TMetaClass& TSelfFreeing::StaticClass() {
  static const TMetaClass cls = DefineClass<TSelfFreeing>("TSelfFreeing", &TComponent::StaticClass());
  return cls;
}

// A class body that forgot TK_CLASS.
class TForgetful : public TProbe {
 public:
  explicit TForgetful(TComponent* owner) : TProbe(owner) {}
};

class ObjectModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterProbeClasses();
    ProbeLog().clear();
  }
};

TEST_F(ObjectModelTest, MetaclassesNameTheirClassAndCreateTheMostDerivedOne) {
  TClass cls = GetClass("tprobehost");
  ASSERT_EQ(cls, &TProbeHost::StaticClass());
  EXPECT_EQ(cls->ClassName(), "TProbeHost");
  EXPECT_EQ(cls->ClassParent(), &TProbe::StaticClass());
  EXPECT_TRUE(cls->InheritsFrom(&TComponent::StaticClass()));
  EXPECT_FALSE(TProbe::StaticClass().InheritsFrom(cls));

  TComponent owner(nullptr);
  TComponent* c = cls->Create(&owner);
  ASSERT_NE(dynamic_cast<TProbeHost*>(c), nullptr);
  EXPECT_EQ(c->Owner(), &owner);
  EXPECT_EQ(c->ClassName(), "TProbeHost");
  EXPECT_TRUE(c->InheritsFrom(&TProbe::StaticClass()));
  EXPECT_EQ(c->GetChildOwner(), c) << "virtual calls reach the created class";

  // Published properties are found through the ancestors, in any case.
  const TPropInfo* caption = cls->FindProperty("CAPTION");
  ASSERT_NE(caption, nullptr);
  caption->SetString(c, "Hello");
  EXPECT_EQ(caption->GetString(c), "Hello");
  EXPECT_NE(cls->FindProperty("Tag"), nullptr);
  EXPECT_EQ(cls->FindProperty("Text"), nullptr);

  EXPECT_EQ(GetClass(""), nullptr);
  EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
  EXPECT_THROW(FindClass("TNoSuchClass"), EClassNotFound);
  RegisterClass(&TProbe::StaticClass());  // again: harmless
  static const TMetaClass impostor("TProbe", &TComponent::StaticClass(), nullptr);
  EXPECT_THROW(RegisterClass(&impostor), EFilerError);
  EXPECT_EQ(GetClass("TProbe"), &TProbe::StaticClass());

  EXPECT_THROW(TStrings::StaticClass().NewInstance(nullptr), EInvalidOperation) << "abstract";
  EXPECT_THROW(TStringList::StaticClass().Create(&owner), EInvalidOperation) << "not a component";
  static const TMetaClass forgetful = DefineClass<TForgetful>("TForgetful", &TProbe::StaticClass());
  EXPECT_THROW(forgetful.Create(&owner), EInvalidOperation);
  EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST_F(ObjectModelTest, OwnersFreeTheirComponentsLastFirstWithFullDispatch) {
  TProbe* a = NewProbe(nullptr, "A");
  NewProbe(a, "c1");
  NewProbe(a, "c2");
  TProbe* c3 = NewProbe(a, "c3");
  NewProbe(c3, "g");
  EXPECT_EQ(a->ComponentCount(), 3);
  EXPECT_EQ(c3->ComponentIndex(), 2);

  a->Free();
  EXPECT_LT(Position("destroy g"), Position("destroy c3"));
  EXPECT_LT(Position("destroy c3"), Position("destroy c2"));
  EXPECT_LT(Position("destroy c2"), Position("destroy c1"));
  EXPECT_LT(Position("destroy c1"), Position("destroy A"));
  // The owner's own override hears each removal while it tears down, and so
  // do the components still left.
  EXPECT_LT(Position("A sees remove c3"), Position("destroy A"));
  EXPECT_LT(Position("A sees remove c1"), Position("destroy A"));
  EXPECT_LT(Position("c1 sees remove c2"), Position("destroy c1"));
}

TEST_F(ObjectModelTest, DeleteAlsoLeavesTheOwnerClean) {
  TComponent owner(nullptr);
  TProbe* keep = NewProbe(&owner, "keep");
  TProbe* gone = NewProbe(&owner, "gone");
  keep->SetPeer(gone);
  delete gone;
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(keep->Peer, nullptr);
  EXPECT_EQ(owner.FindComponent("gone"), nullptr);
}

TEST_F(ObjectModelTest, FreeNotificationWorksBothWaysAndARepeatedRemovalIsHarmless) {
  TComponent left(nullptr), right(nullptr);
  TProbe* x = NewProbe(&left, "X");
  TProbe* y = NewProbe(&right, "Y");
  x->SetPeer(y);  // registers both ways
  y->Free();
  EXPECT_EQ(x->Peer, nullptr);
  EXPECT_EQ(Occurrences("X sees remove Y"), 1u);

  TProbe* z = NewProbe(&right, "Z");
  z->FreeNotification(x);
  x->Free();
  EXPECT_EQ(Occurrences("Z sees remove X"), 1u) << "the partner hears of the registering side too";

  // Same owner: the owner's broadcast and the partner link both arrive.
  TProbe* p = NewProbe(&left, "P");
  TProbe* q = NewProbe(&left, "Q");
  p->SetPeer(q);
  q->Free();
  EXPECT_EQ(Occurrences("P sees remove Q"), 2u);
  EXPECT_EQ(p->Peer, nullptr);

  // A dropped link is silent.
  TProbe* u = NewProbe(&right, "U");
  TProbe* v = NewProbe(&left, "V");
  u->FreeNotification(v);
  u->RemoveFreeNotification(v);
  v->Free();
  EXPECT_EQ(Occurrences("U sees remove V"), 0u);
}

TEST_F(ObjectModelTest, ComponentsThatFreeThemselvesDuringABroadcastAreSafe) {
  TComponent owner(nullptr);
  TProbe* witness = NewProbe(&owner, "witness");
  TProbe* target = NewProbe(&owner, "target");
  for (int i = 0; i < 3; ++i) (new TSelfFreeing(&owner))->target = target;
  TComponent elsewhere(nullptr);
  auto* remote = new TSelfFreeing(&elsewhere);
  remote->target = target;
  remote->FreeNotification(target);
  EXPECT_EQ(owner.ComponentCount(), 5);

  target->Free();
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), witness);
  EXPECT_EQ(Occurrences("witness sees remove target"), 1u);
  EXPECT_EQ(elsewhere.ComponentCount(), 0);
}

TEST_F(ObjectModelTest, NamesAreIdentifiersUniqueWithinTheirOwner) {
  TComponent owner(nullptr);
  TProbe* a = NewProbe(&owner, "Alpha");
  EXPECT_EQ(owner.FindComponent("ALPHA"), a);
  EXPECT_THROW(NewProbe(&owner, "alpha"), EComponentError);
  EXPECT_EQ(owner.ComponentCount(), 2) << "the probe is made, its name refused";
  EXPECT_THROW(a->SetName("1st"), EComponentError);
  EXPECT_THROW(a->SetName("has space"), EComponentError);
  EXPECT_EQ(a->Name(), "Alpha");
  a->SetName("ALPHA");  // its own name in another case
  EXPECT_EQ(a->Name(), "ALPHA");
  a->SetName("");
  EXPECT_EQ(owner.FindComponent(""), nullptr);

  TComponent other(nullptr);
  TProbe* b = NewProbe(&other, "Beta");
  NewProbe(&owner, "Beta");
  EXPECT_THROW(owner.InsertComponent(b), EComponentError);
  EXPECT_EQ(b->Owner(), &other);
  EXPECT_THROW(b->InsertComponent(&other), EComponentError) << "no ownership cycles";
  EXPECT_THROW(owner.Components(3), EListError);
  EXPECT_THROW(owner.Components(-1), EListError);
  EXPECT_EQ(a->Tag(), 0);
  a->SetTag('Y');
  EXPECT_EQ(a->Tag(), 'Y');
  EXPECT_FALSE(a->ComponentState().Contains(csDesigning));
}

TEST_F(ObjectModelTest, AssignBetweenStrangersIsAConversionError) {
  TFont font;
  TStringList list;
  try {
    font.Assign(&list);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TStringList to a TFont");
  }
  EXPECT_THROW(list.Assign(nullptr), EConvertError);
}

TEST_F(ObjectModelTest, TListHoldsPointersIncludingNil) {
  int a = 1, b = 2, c = 3;
  TList<int> list;
  list.Add(&a);
  list.Add(&b);
  list.Insert(0, &c);
  list.Insert(3, nullptr);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Items(0), &c);
  EXPECT_EQ(list.IndexOf(&b), 2);
  EXPECT_EQ(list.IndexOf(nullptr), 3);
  list.SetItems(0, nullptr);
  EXPECT_EQ(list.Remove(nullptr), 0);
  EXPECT_EQ(list.Remove(&c), -1);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items(0), &b);
  for (int bad : {-1, 2}) {
    EXPECT_THROW(list.Items(bad), EListError);
    EXPECT_THROW(list.SetItems(bad, &a), EListError);
    EXPECT_THROW(list.Delete(bad), EListError);
  }
  EXPECT_THROW(list.Insert(3, &a), EListError);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
