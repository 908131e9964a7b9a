#pragma once
// The driver list as a component: the options dialog places a TSglDriverList
// on its form, streams its search patterns ("DriverList.Search.Strings") and
// fills its list box from Drivers(), one line per driver file found, each
// line's object the file's TSglDriverDetails.
#include <functional>
#include <string>

#include "gl/driver_list.h"
#include "toolkit/classes.h"

// The found drivers: one line per driver, its object the driver's details,
// which the list owns. Adding a line with an object, replacing an object,
// deleting a line, clearing and destroying the list pass on or free the
// objects. Assigning from another list copies the details it holds (a
// foreign object, which the list could not free safely, is not taken).
class TSglDriverStrings : public TStringList {
  TK_CLASS(TSglDriverStrings)
  TSglDriverStrings() = default;
  ~TSglDriverStrings() override;

  // The details of line i (null when the line has none).
  TSglDriverDetails* GetObject(int i) const override;
  void PutObject(int i, TObject* object) override;
  void Delete(int i) override;
  void Clear() override;
  void Assign(TPersistent* source) override;

  // The first line whose details name the file `name` in full, or whose file
  // name matches the file-name part of `name` (case ignored); -1 if none.
  int IndexOfFileName(const std::string& name) const;
};

// A string list that also tells its owner of every change (the same moments
// as OnChange, and inside update brackets too). Unsorted, duplicates kept.
class TSglDriverShieldedStringList : public TStringList {
  TK_CLASS(TSglDriverShieldedStringList)
  explicit TSglDriverShieldedStringList(std::function<void()> changed = nullptr)
      : changed_(std::move(changed)) {}

 protected:
  void Changed() override;

 private:
  std::function<void()> changed_;
};

// Finds the driver files named by its search patterns. The list is built on
// first use and again on the first use after the search list changed.
class TSglDriverList : public TComponent {
  TK_CLASS(TSglDriverList)
  explicit TSglDriverList(TComponent* owner);
  ~TSglDriverList() override;

  // The search patterns ("<project>", "<windows>" and "<system>" stand for
  // the program's folder, the Windows folder and the system folder).
  TStrings* GetSearchPath() const { return search_; }
  void SetSearchPath(TStrings* search) { search_->Assign(search); }
  TStrings* Search() const { return search_; }

  // The found drivers, rebuilt first when the search list has changed.
  TSglDriverStrings* GetDrivers();
  TSglDriverStrings* Drivers() { return GetDrivers(); }

 private:
  void SearchPathChanged() { valid_ = false; }

  TSglDriverStrings* drivers_;
  TSglDriverShieldedStringList* search_;
  bool valid_ = false;
};

// Registers the OpenGL layer's component classes (TSglDriverList, TSglPanel)
// with the class registry, so form resources can name them. Harmless when repeated.
void SglRegisterClasses();
