#include "toolkit/datamodule.h"

#include "toolkit/reader.h"
#include "toolkit/screen.h"

const TMetaClass& TDataModule::StaticClass() {
  static const TMetaClass cls = DefineClass<TDataModule>("TDataModule", &TComponent::StaticClass());
  return cls;
}

TDataModule::TDataModule(TComponent* owner) : TComponent(owner) { Screen->AddDataModule(this); }

TDataModule::~TDataModule() { Screen->RemoveDataModule(this); }

void TDataModule::BeforeDestruction() {
  // Out of Screen first: nothing should find a module that is going.
  Screen->RemoveDataModule(this);
  TComponent::BeforeDestruction();
}

void TDataModule::InitFromResources() { InitInheritedComponent(this, &TDataModule::StaticClass()); }
