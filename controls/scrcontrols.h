#pragma once
// The setting controls: notify controls, viewer controls and their
// controllers. ScrInstallControls runs once before the program's main
// routine (and is harmless again): it registers the standard controls, the
// viewers and the controller classes for form resources, and installs the
// dialog base's edit check (NotifyEditIsDialogOkay).
#include "controls/edit.h"
#include "controls/choices.h"
#include "controls/corners.h"
#include "controls/families.h"
#include "controls/lists.h"
#include "controls/notify.h"
#include "controls/trackbar.h"

void ScrInstallControls();
