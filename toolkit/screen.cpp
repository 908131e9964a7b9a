#include "toolkit/screen.h"

#include <algorithm>

#include "toolkit/datamodule.h"

namespace {
TScreen screenObject;
}
TScreen* const Screen = &screenObject;

TDataModule* TScreen::DataModules(int i) const {
  if (i < 0 || i >= DataModuleCount()) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
  return dataModules_[i];
}

void TScreen::AddDataModule(TDataModule* module) {
  if (module && std::find(dataModules_.begin(), dataModules_.end(), module) == dataModules_.end())
    dataModules_.push_back(module);
}

void TScreen::RemoveDataModule(TDataModule* module) {
  dataModules_.erase(std::remove(dataModules_.begin(), dataModules_.end(), module), dataModules_.end());
}

TComponent* TScreen::FindRoot(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TDataModule* m : dataModules_)
    if (SameText(m->Name(), name)) return m;
  return nullptr;
}

TComponent* FindGlobalComponent(const std::string& name) { return Screen->FindRoot(name); }
