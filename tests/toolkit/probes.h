#pragma once
// Small component classes that publish one property of every kind, for the
// reader and the object-model tests.
#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/classes.h"
#include "toolkit/datamodule.h"
#include "toolkit/graphics.h"

// What happened, in order, across all probes of a test.
std::vector<std::string>& ProbeLog();
// Where `entry` first stands in the log (its size when it is not there).
inline size_t Position(const std::string& entry) {
  auto& log = ProbeLog();
  return static_cast<size_t>(std::find(log.begin(), log.end(), entry) - log.begin());
}

enum TProbeMode { pmNone, pmFast, pmSlow };
enum TProbeOption { poOne, poTwo, poThree };
using TProbeOptions = TSet<TProbeOption>;

class TProbeRange : public TCollectionItem {
  TK_CLASS(TProbeRange)
  TProbeRange() = default;
  std::string Caption;
  int Min = 0;
  double Max = 0;
  void SetMin(int v) {
    Min = v;
    Changed(false);
  }
  void Assign(TPersistent* source) override;
};

class TProbeRanges : public TOwnedCollection {
  TK_CLASS(TProbeRanges)
  explicit TProbeRanges(TPersistent* owner) : TOwnedCollection(owner, &TProbeRange::StaticClass()) {}
  std::vector<const TCollectionItem*> updates;  // every Update call
 protected:
  void Update(TCollectionItem* item) override { updates.push_back(item); }
};

// A nested persistent with one string, as FormConfig.FormClassName.
class TProbeConfig : public TPersistent {
  TK_CLASS(TProbeConfig)
  TProbeConfig() = default;
  std::string FormClassName;
};

class TProbe : public TComponent {
  TK_CLASS(TProbe)
  explicit TProbe(TComponent* owner);
  ~TProbe() override;

  int Count = 0;
  double Ratio = 0;
  std::string Caption;
  bool Active = false;
  TProbeMode Mode = pmNone;
  TProbeOptions Options;
  TColor Color = clWindow;
  TCursor Cursor = crDefault;
  TFont Font;
  TStringList Items;
  TProbeRanges Ranges{this};
  TProbeConfig Config;
  TProbe* Peer = nullptr;
  std::string Data;
  TNotifyEvent OnChange;

  void SetPeer(TProbe* p);
  bool peerSetWhenLoaded = false;
  bool loadingWhenNamed = false;
  int itemsChanges = 0;
  std::vector<std::string> notifications;  // "remove Name" for every removal seen

  void SetName(const std::string& name) override;

 protected:
  void Loaded() override;
  void Notification(TComponent* c, TOperation op) override;
};

// A probe that owns what is nested inside it in a resource, like a viewer
// with its embedded controller.
class TProbeHost : public TProbe {
  TK_CLASS(TProbeHost)
  explicit TProbeHost(TComponent* owner) : TProbe(owner) {}
  TComponent* GetChildOwner() override { return this; }
  TComponent* parentSeen = nullptr;
  void SetParentComponent(TComponent* p) override { parentSeen = p; }
};

// The roots.
class TOtherModule : public TDataModule {
  TK_CLASS(TOtherModule)
  explicit TOtherModule(TComponent* owner) : TDataModule(owner) {}
};

class TDerivedModule : public TOtherModule {
  TK_CLASS(TDerivedModule)
  explicit TDerivedModule(TComponent* owner) : TOtherModule(owner) {}
  TProbe* Extra = nullptr;
};

class TTestModule : public TDataModule {
  TK_CLASS(TTestModule)
  explicit TTestModule(TComponent* owner) : TDataModule(owner) {}
  TProbe* First = nullptr;
  TProbeHost* Host = nullptr;
  int changes = 0;
  void ProbeChange(TObject* Sender) { ++changes; }
  void WrongShape(TObject* Sender, int) {}
  void AfterConstruction() override;
};

// Its resource refers to something that does not exist.
class TBrokenModule : public TDataModule {
  TK_CLASS(TBrokenModule)
  explicit TBrokenModule(TComponent* owner) : TDataModule(owner) {}
};

void RegisterProbeClasses();
