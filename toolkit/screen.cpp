#include "toolkit/screen.h"

#include <algorithm>

#include "toolkit/datamodule.h"
#include "toolkit/forms.h"

TScreen* const Screen = new TScreen;

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

TCustomForm* TScreen::Forms(int i) const {
  if (i < 0 || i >= FormCount()) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
  return forms_[i];
}

void TScreen::AddForm(TCustomForm* form) {
  if (form && std::find(forms_.begin(), forms_.end(), form) == forms_.end()) forms_.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (activeForm_ == form) activeForm_ = nullptr;
}

TComponent* TScreen::FindRoot(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TCustomForm* f : forms_)
    if (SameText(f->Name(), name)) return f;
  for (TDataModule* m : dataModules_)
    if (SameText(m->Name(), name)) return m;
  return nullptr;
}

void TScreen::SetCursor(TCursor cursor) {
  if (cursor_ == cursor) return;
  cursor_ = cursor;
  ::SetCursor(Cursors(cursor));
}

HCURSOR TScreen::Cursors(TCursor cursor) const {
  LPCSTR id = IDC_ARROW;
  switch (cursor) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: break;
  }
  return LoadCursorA(nullptr, id);
}

int WindowPixelsPerInch(HWND window) {
  // Looked up at run time: older systems have no such function.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window)
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  return ScreenPixelsPerInch();
}

TComponent* FindGlobalComponent(const std::string& name) { return Screen->FindRoot(name); }
