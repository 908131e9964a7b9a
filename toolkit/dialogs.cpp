#include "toolkit/dialogs.h"

#include <windows.h>

#include <commdlg.h>

#include "toolkit/forms.h"
#include "toolkit/screen.h"

const TMetaClass& TOpenDialog::StaticClass() {
  static const TMetaClass cls = DefineClass<TOpenDialog>("TOpenDialog", &TComponent::StaticClass(), [](auto& c) {
    c.String("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
    c.String("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
    c.String("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
    c.String("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
    c.Integer("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex);
    c.String("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
    c.template Set<TOpenOption>(
        "Options",
        {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp", "ofNoValidate",
         "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt",
         "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames",
         "ofOldStyleDialog", "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing"},
        &TOpenDialog::Options, &TOpenDialog::SetOptions);
  });
  return cls;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

bool TOpenDialog::Execute() {
  // The filter's '|' separators become the NULs the system expects.
  std::string filter = filter_;
  for (char& ch : filter)
    if (ch == '|') ch = '\0';
  filter.append(2, '\0');
  std::string file = fileName_;
  file.resize(std::max<std::size_t>(file.size() + 1, MAX_PATH * 4), '\0');

  static const DWORD kFlags[] = {OFN_READONLY,         OFN_OVERWRITEPROMPT,  OFN_HIDEREADONLY,
                                 OFN_NOCHANGEDIR,      OFN_SHOWHELP,         OFN_NOVALIDATE,
                                 OFN_ALLOWMULTISELECT, OFN_EXTENSIONDIFFERENT, OFN_PATHMUSTEXIST,
                                 OFN_FILEMUSTEXIST,    OFN_CREATEPROMPT,     OFN_SHAREAWARE,
                                 OFN_NOREADONLYRETURN, OFN_NOTESTFILECREATE, OFN_NONETWORKBUTTON,
                                 OFN_NOLONGNAMES,      0,                    OFN_NODEREFERENCELINKS,
                                 OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  HWND owner = GetActiveWindow();
  if (!owner) owner = Application->Handle();
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex_);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
  ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  ofn.lpstrDefExt = defaultExt_.empty() ? nullptr : defaultExt_.c_str();
  ofn.Flags = OFN_EXPLORER;
  for (int i = 0; i <= ofEnableSizing; ++i)
    if (options_.Contains(static_cast<TOpenOption>(i))) ofn.Flags |= kFlags[i];
  const bool ok = GetOpenFileNameA(&ofn) != FALSE;
  if (ok) {
    fileName_ = file.c_str();
    filterIndex_ = static_cast<int>(ofn.nFilterIndex);
    options_.Exclude(ofReadOnly);
    if (ofn.Flags & OFN_READONLY) options_.Include(ofReadOnly);
  }
  return ok;
}
