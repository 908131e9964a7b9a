#pragma once
// The viewer families besides the track bar: each family base with the
// viewer control it drives. The concrete controllers of each family derive
// from these bases and keep a typed reference to their value, as the
// track-bar controllers do (controls/trackbar.h).
#include <string>
#include <vector>

#include "controls/notify.h"
#include "controls/viewer.h"

class TScrEdit;
class TScrUpDown;
class TScrListBox;
class TScrComboBox;
class TScrCheckBox;
class TScrRadioButton;

// ---- Edit ------------------------------------------------------------------------------

class TScrEditController : public TScrSingleViewerController<TScrEdit> {
  TK_CLASS(TScrEditController)
  explicit TScrEditController(TComponent* owner) : TScrSingleViewerController<TScrEdit>(owner, RangeAndChange()) {}

  // Would the value take `text`?
  virtual bool IsTextValid(const std::string& text) = 0;
  // The spin range and position for an up-down beside the edit; false
  // when the controller offers none.
  virtual bool GetUpDown(int& min, int& max, int& position) {
    (void)min, (void)max, (void)position;
    return false;
  }
  virtual std::string GetText() = 0;
  // The user's valid text, to be written to the value.
  virtual void SetText(const std::string& text) = 0;
};

// An edit whose text is valid when its controller says so; a valid change,
// delivered by the rules of TNotifyEdit, is written through the controller.
class TScrEdit : public TScrViewer<TNotifyEdit, TScrEditController, TScrEdit> {
  TK_CLASS(TScrEdit)
  explicit TScrEdit(TComponent* owner) : TScrViewer(owner, RangeAndChange()) {}

  bool ValidateOrChange(std::string& text) override;
  void ContentsChanged() override;
  // Text from the controller on vnChange; judged again on either kind.
  void ValueChanged(TValueNotifications ns);
  void Blank() { SetText(""); }
  // Gives `upDown` the controller's spin range and position (when it
  // offers one) without writing the spun text back to the value.
  void FixUpDown(TScrUpDown* upDown);
  // Every up-down beside the edit that spins it takes the controller's
  // range and position again (the unit changed); the text shown stays.
  void FixUpDowns();
};

// ---- List box and combo box -------------------------------------------------------------

// One base for both list controls: it drives a list box or a combo box,
// never both at once.
class TScrListBoxController : public TScrValueViewerControllerAncestor {
  TK_CLASS(TScrListBoxController)
  explicit TScrListBoxController(TComponent* owner) : TScrValueViewerControllerAncestor(owner) {}

  bool CanControlViewer(TComponent* component) override;
  // Pairs with a TScrListBox or a TScrComboBox (anything else, or null,
  // leaves the controller without a viewer).
  void SetViewer(TComponent* control);
  // The list box if set, else the combo box, else null.
  TComponent* GetViewer() const;
  void SendChangedToView(TValueNotifications ns);
  void VNotify(TValueNotifications ns) override;

  // The items of the control changed; the base ignores it.
  virtual void SetContents(TStrings* strings) { (void)strings; }
  virtual int GetNumRanges() = 0;
  virtual std::string GetRangeString(int i) = 0;
  // The item that shows the current value; -1 for none.
  virtual int GetItemIndex() = 0;
  // The user picked item i; the base ignores it.
  virtual void SetItemIndex(int i) { (void)i; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TScrListBox* listBox_ = nullptr;
  TScrComboBox* comboBox_ = nullptr;
};

// What the list box and combo box viewers share.
template <class Base, class Self>
class TScrListViewer : public TScrViewer<Base, TScrListBoxController, Self> {
 public:
  explicit TScrListViewer(TComponent* owner) : TScrViewer<Base, TScrListBoxController, Self>(owner, RangeAndChange()) {}

  // Items from the controller on vnRange, the selection on vnChange.
  void ValueChanged(TValueNotifications ns) {
    if (this->link_.Busy()) return;
    typename TScrListViewer::Busy busy(this->link_);
    TScrListBoxController* c = this->Controller();
    if (!c) return;
    if (ns.Contains(vnRange)) {
      // Asked for in full first: a controller that fails leaves the items
      // as they were, and the list's redrawing on.
      std::vector<std::string> items;
      for (int i = 0, n = c->GetNumRanges(); i < n; ++i) items.push_back(c->GetRangeString(i));
      this->Items()->SetStrings(items);
    }
    if (ns.Contains(vnChange)) this->SetItemIndex(c->GetItemIndex());
  }
  void Blank() { this->Items()->Clear(); }
  void SelectionChanged() override {
    Base::SelectionChanged();
    if (!this->CanWrite()) return;
    typename TScrListViewer::Busy busy(this->link_);
    this->Controller()->SetItemIndex(this->ItemIndex());
  }
  void ContentsChanged() override {
    Base::ContentsChanged();
    if (!this->CanWrite()) return;
    typename TScrListViewer::Busy busy(this->link_);
    this->Controller()->SetContents(this->Items());
  }
};

class TScrListBox : public TScrListViewer<TNotifyListBox, TScrListBox> {
  TK_CLASS(TScrListBox)
  explicit TScrListBox(TComponent* owner) : TScrListViewer(owner) {}
};

class TScrComboBox : public TScrListViewer<TNotifyComboBox, TScrComboBox> {
  TK_CLASS(TScrComboBox)
  explicit TScrComboBox(TComponent* owner) : TScrListViewer(owner) {}
};

// ---- Check box and radio button -----------------------------------------------------------

class TScrCheckBoxController : public TScrSingleViewerController<TScrCheckBox> {
  TK_CLASS(TScrCheckBoxController)
  explicit TScrCheckBoxController(TComponent* owner) : TScrSingleViewerController<TScrCheckBox>(owner, ChangeOnly()) {}
  virtual bool GetChecked() = 0;
  virtual void SetChecked(bool checked) = 0;
};

class TScrCheckBox : public TScrViewer<TCustomCheckBox, TScrCheckBoxController, TScrCheckBox> {
  TK_CLASS(TScrCheckBox)
  explicit TScrCheckBox(TComponent* owner) : TScrViewer(owner, ChangeOnly()) {}
  void Click() override;
  void ValueChanged(TValueNotifications ns);
  void Blank() {}  // keeps what it shows
};

class TScrRadioButtonController : public TScrSingleViewerController<TScrRadioButton> {
  TK_CLASS(TScrRadioButtonController)
  explicit TScrRadioButtonController(TComponent* owner)
      : TScrSingleViewerController<TScrRadioButton>(owner, ChangeOnly()) {}
  virtual bool GetChecked() = 0;
  virtual void SetChecked(bool checked) = 0;
};

class TScrRadioButton : public TScrViewer<TNotifyRadioButton, TScrRadioButtonController, TScrRadioButton> {
  TK_CLASS(TScrRadioButton)
  explicit TScrRadioButton(TComponent* owner) : TScrViewer(owner, ChangeOnly()) {}
  void StateChanged() override;
  void ValueChanged(TValueNotifications ns);
  void Blank() {}  // keeps what it shows
};

// ---- Text ----------------------------------------------------------------------------------

// Shows the value as the text of any control with a published Caption or
// Text (a label, say). The viewer is published as `Viewer`.
class TScrTextController : public TScrValueViewerControllerAncestor {
  TK_CLASS(TScrTextController)
  explicit TScrTextController(TComponent* owner) : TScrValueViewerControllerAncestor(owner) {}

  bool CanControlViewer(TComponent* component) override;
  TControl* Viewer() const { return viewer_; }
  // A control without a text property is ignored.
  virtual void SetViewer(TControl* viewer);
  void VNotify(TValueNotifications ns) override;
  virtual std::string GetText() = 0;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TControl* viewer_ = nullptr;
};
