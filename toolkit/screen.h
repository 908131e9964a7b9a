#pragma once
// The registry of live roots (forms and data modules), searched by name for
// references from one root to another ("MainForm.nRings"), the active form,
// and the process-wide cursor.
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/graphics.h"

class TComponent;
class TDataModule;
class TCustomForm;

class TScreen {
 public:
  TScreen() = default;
  TScreen(const TScreen&) = delete;
  TScreen& operator=(const TScreen&) = delete;

  int DataModuleCount() const { return static_cast<int>(dataModules_.size()); }
  TDataModule* DataModules(int i) const;  // EListError out of range
  void AddDataModule(TDataModule* module);
  void RemoveDataModule(TDataModule* module);

  int FormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* Forms(int i) const;  // EListError out of range
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  // The toolkit form that was activated last, while it lives.
  TCustomForm* ActiveForm() const { return activeForm_; }
  void SetActiveForm(TCustomForm* form) { activeForm_ = form; }

  // The live root of that name (any case), or null.
  TComponent* FindRoot(const std::string& name) const;

  // A cursor shown over every toolkit window while it is not crDefault.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  // The system cursor of an identifier (crDefault gives the arrow).
  HCURSOR Cursors(TCursor cursor) const;

  // Pixels per inch of the screen (the program is aware of the screen's
  // resolution: this is the real one, 96 at 100 %, 144 at 150 %).
  int PixelsPerInch() const { return ScreenPixelsPerInch(); }

 private:
  std::vector<TDataModule*> dataModules_;
  std::vector<TCustomForm*> forms_;
  TCustomForm* activeForm_ = nullptr;
  TCursor cursor_ = crDefault;
};

// Lives to the very end of the program, so roots freed at exit can leave it.
extern TScreen* const Screen;

// Pixels per inch of the monitor a window is on, where the system tells it
// per window (Windows 10 1607 and later); otherwise the screen's.
int WindowPixelsPerInch(HWND window);

// The root of that name in Screen, or null: the first part of a reference to
// a component on another root.
TComponent* FindGlobalComponent(const std::string& name);
