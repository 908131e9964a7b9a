#include "tests/toolkit/probes.h"

std::vector<std::string>& ProbeLog() {
  static std::vector<std::string> log;
  return log;
}

const TMetaClass& TProbeRange::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TProbeRange>("TProbeRange", &TCollectionItem::StaticClass(), [](TClassBuilder<TProbeRange>& b) {
        b.String("Caption", &TProbeRange::Caption, [](TProbeRange* r, const std::string& s) { r->Caption = s; });
        b.Integer("Min", &TProbeRange::Min, &TProbeRange::SetMin);
        b.Float("Max", &TProbeRange::Max, [](TProbeRange* r, double v) { r->Max = v; });
      });
  return cls;
}

void TProbeRange::Assign(TPersistent* source) {
  if (auto* r = dynamic_cast<TProbeRange*>(source)) {
    Caption = r->Caption;
    Min = r->Min;
    Max = r->Max;
    return;
  }
  TCollectionItem::Assign(source);
}

const TMetaClass& TProbeRanges::StaticClass() {
  static const TMetaClass cls = DefineClass<TProbeRanges>("TProbeRanges", &TOwnedCollection::StaticClass());
  return cls;
}

const TMetaClass& TProbeConfig::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TProbeConfig>("TProbeConfig", &TPersistent::StaticClass(), [](TClassBuilder<TProbeConfig>& b) {
        b.String("FormClassName", &TProbeConfig::FormClassName,
                 [](TProbeConfig* c, const std::string& s) { c->FormClassName = s; });
      });
  return cls;
}

const TMetaClass& TProbe::StaticClass() {
  static const TMetaClass cls = DefineClass<TProbe>("TProbe", &TComponent::StaticClass(), [](TClassBuilder<TProbe>& b) {
    b.Integer("Count", &TProbe::Count, [](TProbe* p, int v) {
      if (v < 0) throw EConvertError("Count cannot be negative");
      p->Count = v;
    });
    b.Float("Ratio", &TProbe::Ratio, [](TProbe* p, double v) { p->Ratio = v; });
    b.String("Caption", &TProbe::Caption, [](TProbe* p, const std::string& s) { p->Caption = s; });
    b.Boolean("Active", &TProbe::Active, [](TProbe* p, bool v) { p->Active = v; });
    b.Enum<TProbeMode>("Mode", {"pmNone", "pmFast", "pmSlow"}, &TProbe::Mode,
                       [](TProbe* p, TProbeMode m) { p->Mode = m; });
    b.Set<TProbeOption>("Options", {"poOne", "poTwo", "poThree"}, &TProbe::Options,
                        [](TProbe* p, TProbeOptions o) { p->Options = o; });
    b.Ident<TColor>("Color", ColorIdents(), &TProbe::Color, [](TProbe* p, TColor c) { p->Color = c; });
    b.Ident<TCursor>("Cursor", CursorIdents(), &TProbe::Cursor, [](TProbe* p, TCursor c) { p->Cursor = c; });
    b.Class("Font", [](TProbe* p) { return &p->Font; });
    b.Class("Items", [](TProbe* p) { return &p->Items; });
    b.Class("Ranges", [](TProbe* p) { return &p->Ranges; });
    b.Class("Config", [](TProbe* p) { return &p->Config; });
    b.Component<TProbe>("Peer", &TProbe::Peer, &TProbe::SetPeer);
    b.Binary("Data", [](TProbe* p, const std::string& d) { p->Data = d; });
    b.Event<TNotifyEvent>("OnChange", &TProbe::OnChange);
  });
  return cls;
}

TProbe::TProbe(TComponent* owner) : TComponent(owner) {
  Items.OnChange = [this](TObject*) { ++itemsChanges; };
}

TProbe::~TProbe() { ProbeLog().push_back("destroy " + Name()); }

void TProbe::SetPeer(TProbe* p) {
  if (p == Peer) return;
  if (Peer) RemoveFreeNotification(Peer);
  Peer = p;
  if (Peer) FreeNotification(Peer);
}

void TProbe::SetName(const std::string& name) {
  TComponent::SetName(name);
  loadingWhenNamed = ComponentState().Contains(csLoading);
}

void TProbe::Loaded() {
  TComponent::Loaded();
  peerSetWhenLoaded = Peer != nullptr;
  ProbeLog().push_back("loaded " + Name());
}

void TProbe::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  if (op == opRemove) {
    notifications.push_back("remove " + c->Name());
    ProbeLog().push_back(Name() + " sees remove " + c->Name());
    if (c == Peer) Peer = nullptr;
  }
}

const TMetaClass& TProbeHost::StaticClass() {
  static const TMetaClass cls = DefineClass<TProbeHost>("TProbeHost", &TProbe::StaticClass());
  return cls;
}

const TMetaClass& TOtherModule::StaticClass() {
  static const TMetaClass cls = DefineClass<TOtherModule>("TOtherModule", &TDataModule::StaticClass());
  return cls;
}

const TMetaClass& TDerivedModule::StaticClass() {
  static const TMetaClass cls = DefineClass<TDerivedModule>(
      "TDerivedModule", &TOtherModule::StaticClass(),
      [](TClassBuilder<TDerivedModule>& b) { b.Field("Extra", &TDerivedModule::Extra); });
  return cls;
}

const TMetaClass& TTestModule::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TTestModule>("TTestModule", &TDataModule::StaticClass(), [](TClassBuilder<TTestModule>& b) {
        b.Method("ProbeChange", &TTestModule::ProbeChange);
        b.Method("WrongShape", &TTestModule::WrongShape);
        b.Field("First", &TTestModule::First);
        b.Field("Host", &TTestModule::Host);
      });
  return cls;
}

void TTestModule::AfterConstruction() {
  TDataModule::AfterConstruction();
  ProbeLog().push_back("after construction " + Name());
}

const TMetaClass& TBrokenModule::StaticClass() {
  static const TMetaClass cls = DefineClass<TBrokenModule>("TBrokenModule", &TDataModule::StaticClass());
  return cls;
}

void RegisterProbeClasses() {
  RegisterClasses({&TProbe::StaticClass(), &TProbeHost::StaticClass(), &TOtherModule::StaticClass(),
                   &TDerivedModule::StaticClass(), &TTestModule::StaticClass()});
}
