#pragma once
// A non-visual root: a container of components read from the resource named
// after its class, registered in Screen while it lives.
#include "toolkit/classes.h"

class TDataModule : public TComponent {
  TK_CLASS(TDataModule)
  explicit TDataModule(TComponent* owner);
  ~TDataModule() override;
  void BeforeDestruction() override;

 protected:
  // Reads the resources of this class and its ancestors below TDataModule.
  void InitFromResources() override;
};
