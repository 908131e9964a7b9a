#pragma once
// The saver's options dialog: five pages of controls bound to the settings of
// the main module, a live preview that follows the page, ten presets, the
// choice of OpenGL driver and the hints a user sees on the first openings.
// The framework shows it both on its own (configuration) and over a running
// saver (active configuration); its base saves on OK and, over a running
// saver, reloads on Cancel.
#include <string>

#include "controls/trackbar.h"
#include "framework/preview.h"
#include "framework/scrforms.h"
#include "gl/sgl_components.h"
#include "toolkit/comctrls.h"
#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

// The Frame rate slider: from 5 pictures a second to the monitor's rate,
// whose position stands for "Monitor" (the setting 0, which follows the
// monitor wherever the saver runs).
class TFrameRateController : public TScrTrackBarIntegerController {
  TK_CLASS(TFrameRateController)
  explicit TFrameRateController(TComponent* owner) : TScrTrackBarIntegerController(owner) {}
  std::int32_t GetMin() override;
  std::int32_t GetMax() override;
  std::int32_t GetPosition() override;
  void SetPosition(std::int32_t position) override;
  std::string Figure(std::int32_t position) override;
};

class TConfigForm : public TScrDialog {
  TK_CLASS(TConfigForm)
  explicit TConfigForm(TComponent* owner);
  // The resource has been read: fills the driver list and puts the preview
  // on the "Presets" page.
  void AfterConstruction() override;

  // Bound by name when the form's resource is read.
  TPageControl* PageControl = nullptr;
  TTabSheet* tsGeneral = nullptr;
  TTabSheet* tsOpenGL = nullptr;
  TTabSheet* tsScience = nullptr;
  TTabSheet* tsVisuals = nullptr;
  TTabSheet* tsPresets = nullptr;
  TPanel* pScience = nullptr;
  TPanel* pVisuals = nullptr;
  TPanel* pPresets = nullptr;
  TScrPreview* ScrPreview = nullptr;
  TListBox* PresetsBox = nullptr;
  TListBox* DriverListBox = nullptr;
  TOpenDialog* DriverOpen = nullptr;
  TSglDriverList* DriverList = nullptr;

  // Event handlers, bound by name from the resource.
  void FormActivate(TObject* sender);
  void PageControlChange(TObject* sender);
  void PresetsBoxClick(TObject* sender);
  void btnRestartClick(TObject* sender);
  void btnDriverClick(TObject* sender);
  void DriverListBoxClick(TObject* sender);
  void UrlClick(TObject* sender);

  // Applies the preset of that name (case counts); false for an unknown name.
  static bool ApplyPreset(const std::string& name);

 private:
  // Lists the found drivers and selects the one the Driver setting names.
  void FillDriverList(const std::string& selectFile);
  // The screen-mode choice follows the selected driver's kind.
  void FollowSelectedDriver();

  // The first activation of this opening has had its say about hints: a
  // dialog left and activated again (a link opened a browser, a hint's box
  // closed) shows no further hint and keeps its page.
  bool hintsConsidered_ = false;
};

// Registers the dialog and the classes its resource names.
void RegisterConfigFormClasses();
