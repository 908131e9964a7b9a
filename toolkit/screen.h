#pragma once
// The registry of live roots (data modules now; forms join it with the
// windowed part of the toolkit), searched by name for references from one
// root to another ("MainForm.nRings").
#include <string>
#include <vector>

class TComponent;
class TDataModule;

class TScreen {
 public:
  TScreen() = default;
  TScreen(const TScreen&) = delete;
  TScreen& operator=(const TScreen&) = delete;

  int DataModuleCount() const { return static_cast<int>(dataModules_.size()); }
  TDataModule* DataModules(int i) const;  // EListError out of range
  void AddDataModule(TDataModule* module);
  void RemoveDataModule(TDataModule* module);

  // The live root of that name (any case), or null.
  TComponent* FindRoot(const std::string& name) const;

 private:
  std::vector<TDataModule*> dataModules_;
};

extern TScreen* const Screen;

// The root of that name in Screen, or null: the first part of a reference to
// a component on another root.
TComponent* FindGlobalComponent(const std::string& name);
