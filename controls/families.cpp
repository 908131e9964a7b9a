#include "controls/families.h"

// ---- Edit ------------------------------------------------------------------------------

const TMetaClass& TScrEditController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrEditController>("TScrEditController", &TScrValueViewerControllerAncestor::StaticClass());
  return cls;
}

const TMetaClass& TScrEdit::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrEdit>("TScrEdit", &TNotifyEdit::StaticClass(), [](auto& c) {
    c.template Component<TScrEditController>("Controller", &TScrEdit::Controller, &TScrEdit::SetController);
  });
  return cls;
}

bool TScrEdit::ValidateOrChange(std::string& text) {
  if (!TNotifyEdit::ValidateOrChange(text)) return false;
  return !Controller() || Controller()->IsTextValid(text);
}

void TScrEdit::ContentsChanged() {
  TNotifyEdit::ContentsChanged();
  if (!CanWrite()) return;
  Busy busy(link_);
  Controller()->SetText(Text());
}

void TScrEdit::ValueChanged(TValueNotifications ns) {
  if (link_.Busy()) return;
  Busy busy(link_);
  TScrEditController* c = Controller();
  if (!c) return;
  // What the user typed and the value has not taken yet stays due; the
  // value's own text is no change to write back (a figure shown rounded,
  // in a unit or to 15 digits, would otherwise overwrite the exact one).
  const bool userTextDue = !ns.Contains(vnChange) && (ChangePending() || !Valid());
  if (ns.Contains(vnChange)) SetText(c->GetText());
  if (ns.Contains(vnRange) || ns.Contains(vnChange)) UpdateValidity();
  if (!userTextDue) ForgetPendingChange();
}

// ---- List box and combo box ----------------------------------------------------------------

const TMetaClass& TScrListBoxController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrListBoxController>("TScrListBoxController", &TScrValueViewerControllerAncestor::StaticClass());
  return cls;
}

const TMetaClass& TScrListBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrListBox>("TScrListBox", &TNotifyListBox::StaticClass(), [](auto& c) {
    c.template Component<TScrListBoxController>("Controller", &TScrListBox::Controller, &TScrListBox::SetController);
    c.Class("Items", &TScrListBox::Items);
    c.Integer("ItemIndex", &TScrListBox::ItemIndex, &TScrListBox::SetItemIndex);
    c.template Event<TNotifyEvent>("OnClick", &TScrListBox::OnClick);
  });
  return cls;
}

const TMetaClass& TScrComboBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrComboBox>("TScrComboBox", &TNotifyComboBox::StaticClass(), [](auto& c) {
    c.template Component<TScrListBoxController>("Controller", &TScrComboBox::Controller, &TScrComboBox::SetController);
    c.Class("Items", &TScrComboBox::Items);
    c.Integer("ItemIndex", &TScrComboBox::ItemIndex, &TScrComboBox::SetItemIndex);
    c.Integer("DropDownCount", &TScrComboBox::DropDownCount, &TScrComboBox::SetDropDownCount);
    c.template Event<TNotifyEvent>("OnChange", &TScrComboBox::OnChange);
    c.template Event<TNotifyEvent>("OnClick", &TScrComboBox::OnClick);
  });
  return cls;
}

bool TScrListBoxController::CanControlViewer(TComponent* component) {
  return dynamic_cast<TScrListBox*>(component) || dynamic_cast<TScrComboBox*>(component);
}

TComponent* TScrListBoxController::GetViewer() const {
  if (listBox_) return listBox_;
  return comboBox_;
}

void TScrListBoxController::SetViewer(TComponent* control) {
  if (control && (control == listBox_ || control == comboBox_)) return;
  if (!control && !listBox_ && !comboBox_) return;
  if (TScrListBox* old = listBox_) {
    listBox_ = nullptr;
    old->ControllerLink().Release(this);
  }
  if (TScrComboBox* old = comboBox_) {
    comboBox_ = nullptr;
    old->ControllerLink().Release(this);
  }
  listBox_ = dynamic_cast<TScrListBox*>(control);
  comboBox_ = dynamic_cast<TScrComboBox*>(control);
  if (listBox_) {
    FreeNotification(listBox_);
    listBox_->SetController(this);
    if (listBox_->Controller() != this) listBox_ = nullptr;
  } else if (comboBox_) {
    FreeNotification(comboBox_);
    comboBox_->SetController(this);
    if (comboBox_->Controller() != this) comboBox_ = nullptr;
  }
}

void TScrListBoxController::SendChangedToView(TValueNotifications ns) {
  if (listBox_) listBox_->ValueChanged(ns);
  else if (comboBox_) comboBox_->ValueChanged(ns);
}

void TScrListBoxController::VNotify(TValueNotifications ns) {
  TScrValueViewerControllerAncestor::VNotify(ns);
  ns = ForViewer(ns, RangeAndChange());
  if ((ns * RangeAndChange()).Empty()) return;
  if (listBox_) listBox_->ValueChanged(ns);
  if (comboBox_) comboBox_->ValueChanged(ns);
}

void TScrListBoxController::Notification(TComponent* component, TOperation operation) {
  ForgetViewer(listBox_, component, operation);
  ForgetViewer(comboBox_, component, operation);
  TScrValueViewerControllerAncestor::Notification(component, operation);
}

// ---- Check box and radio button ----------------------------------------------------------------

const TMetaClass& TScrCheckBoxController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrCheckBoxController>("TScrCheckBoxController", &TScrValueViewerControllerAncestor::StaticClass());
  return cls;
}

const TMetaClass& TScrCheckBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrCheckBox>("TScrCheckBox", &TCustomCheckBox::StaticClass(), [](auto& c) {
    c.template Component<TScrCheckBoxController>("Controller", &TScrCheckBox::Controller, &TScrCheckBox::SetController);
    c.String("Caption", &TScrCheckBox::Caption, &TScrCheckBox::SetCaption);
    c.Boolean("Checked", &TScrCheckBox::Checked, &TScrCheckBox::SetChecked);
    c.template Enum<TCheckBoxState>("State", {"cbUnchecked", "cbChecked", "cbGrayed"}, &TScrCheckBox::State,
                                    &TScrCheckBox::SetState);
    c.Boolean("AllowGrayed", &TScrCheckBox::AllowGrayed, &TScrCheckBox::SetAllowGrayed);
    c.template Enum<TAlignment>("Alignment", AlignmentNames(), &TScrCheckBox::Alignment, &TScrCheckBox::SetAlignment);
    c.template Event<TNotifyEvent>("OnClick", &TScrCheckBox::OnClick);
  });
  return cls;
}

void TScrCheckBox::Click() {
  TCustomCheckBox::Click();
  if (!CanWrite()) return;
  Busy busy(link_);
  Controller()->SetChecked(Checked());
}

void TScrCheckBox::ValueChanged(TValueNotifications ns) {
  if (link_.Busy()) return;
  Busy busy(link_);
  if (Controller() && ns.Contains(vnChange)) SetChecked(Controller()->GetChecked());
}

const TMetaClass& TScrRadioButtonController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrRadioButtonController>(
      "TScrRadioButtonController", &TScrValueViewerControllerAncestor::StaticClass());
  return cls;
}

const TMetaClass& TScrRadioButton::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrRadioButton>("TScrRadioButton", &TNotifyRadioButton::StaticClass(), [](auto& c) {
        c.template Component<TScrRadioButtonController>("Controller", &TScrRadioButton::Controller,
                                                        &TScrRadioButton::SetController);
      });
  return cls;
}

void TScrRadioButton::StateChanged() {
  TNotifyRadioButton::StateChanged();
  if (!CanWrite()) return;
  Busy busy(link_);
  Controller()->SetChecked(Checked());
}

void TScrRadioButton::ValueChanged(TValueNotifications ns) {
  if (link_.Busy()) return;
  Busy busy(link_);
  if (Controller() && ns.Contains(vnChange)) SetChecked(Controller()->GetChecked());
}

// ---- Text ------------------------------------------------------------------------------------------

namespace {
// The published text property of a control: Caption, else Text.
const TPropInfo* TextProperty(const TComponent* component) {
  if (!component) return nullptr;
  for (const char* name : {"Caption", "Text"})
    if (const TPropInfo* p = component->ClassType()->FindProperty(name); p && p->Kind == TPropKind::String) return p;
  return nullptr;
}
}  // namespace

const TMetaClass& TScrTextController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrTextController>(
      "TScrTextController", &TScrValueViewerControllerAncestor::StaticClass(), [](auto& c) {
        c.template Component<TControl>("Viewer", &TScrTextController::Viewer, &TScrTextController::SetViewer);
      });
  return cls;
}

bool TScrTextController::CanControlViewer(TComponent* component) {
  return dynamic_cast<TControl*>(component) && TextProperty(component);
}

void TScrTextController::SetViewer(TControl* viewer) {
  if (viewer == viewer_ || (viewer && !TextProperty(viewer))) return;
  if (viewer_) viewer_->RemoveFreeNotification(this);
  viewer_ = viewer;
  if (!viewer) return;
  viewer->FreeNotification(this);
  TextProperty(viewer)->SetString(viewer, GetText());
}

void TScrTextController::VNotify(TValueNotifications ns) {
  TScrValueViewerControllerAncestor::VNotify(ns);
  ns = ForViewer(ns, ChangeOnly());
  if (ns.Contains(vnChange) && viewer_) TextProperty(viewer_)->SetString(viewer_, GetText());
}

void TScrTextController::Notification(TComponent* component, TOperation operation) {
  ForgetViewer(viewer_, component, operation);
  TScrValueViewerControllerAncestor::Notification(component, operation);
}
