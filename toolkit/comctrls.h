#pragma once
// Common controls: track bar, up-down, and the page control with its tab
// sheets. Each keeps its figures before its window exists and gives them to
// the window when it is made.
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "toolkit/controls.h"

// Registers the common control classes once; every control here calls it.
void InitCommonControlClasses();

// ---- TTrackBar -------------------------------------------------------------------------

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };
enum TTickStyle { tsNone, tsAuto, tsManual };

// A slider. OnChange fires whenever the position changes, by the user or by
// code. Position is kept within Min..Max as the window keeps it.
class TTrackBar : public TWinControl {
  TK_CLASS(TTrackBar)
  explicit TTrackBar(TComponent* owner);
  void WndProc(TMessage& message) override;

  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const;
  void SetPosition(int v);
  TTrackBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TTrackBarOrientation v);
  int LineSize() const { return lineSize_; }
  void SetLineSize(int v);
  int PageSize() const { return pageSize_; }
  void SetPageSize(int v);
  // A tick every Frequency positions (tsAuto).
  int Frequency() const { return frequency_; }
  void SetFrequency(int v);
  int SelStart() const { return selStart_; }
  void SetSelStart(int v);
  int SelEnd() const { return selEnd_; }
  void SetSelEnd(int v);
  TTickMark TickMarks() const { return tickMarks_; }
  void SetTickMarks(TTickMark v);
  TTickStyle TickStyle() const { return tickStyle_; }
  void SetTickStyle(TTickStyle v);
  // The thumb's length in pixels; it scales with the form.
  int ThumbLength() const { return thumbLength_; }
  void SetThumbLength(int v);
  // The system's tooltip shows the position while the thumb is dragged.
  bool ShowTooltips() const { return showTooltips_; }
  void SetShowTooltips(bool v);
  void ChangeScale(int m, int d) override;

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Changed();

 private:
  void SendRange();
  int min_ = 0, max_ = 10, position_ = 0;
  TTrackBarOrientation orientation_ = trHorizontal;
  int lineSize_ = 1, pageSize_ = 2, frequency_ = 1;
  int selStart_ = 0, selEnd_ = 0;
  TTickMark tickMarks_ = tmBottomRight;
  TTickStyle tickStyle_ = tsAuto;
  int thumbLength_ = 20;
  bool showTooltips_ = false;
};

// ---- TUpDown ------------------------------------------------------------------------------

enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };

// Arrow buttons that step a 16-bit position; with an Associate (an edit)
// the position shows as the edit's text and the arrow keys in the edit step
// it. OnClick fires after each step. AlignButton is kept for form resources;
// the buttons stay where the form places them.
class TCustomUpDown : public TWinControl {
  TK_CLASS(TCustomUpDown)
  explicit TCustomUpDown(TComponent* owner);
  void WndProc(TMessage& message) override;

  short Min() const { return min_; }
  void SetMin(short v);
  short Max() const { return max_; }
  void SetMax(short v);
  short Position() const;
  void SetPosition(short v);
  int Increment() const { return increment_; }
  void SetIncrement(int v);
  bool Wrap() const { return wrap_; }
  void SetWrap(bool v);
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool v);
  bool Thousands() const { return thousands_; }
  void SetThousands(bool v);
  TUDAlignButton AlignButton() const { return alignButton_; }
  void SetAlignButton(TUDAlignButton v);
  TUDOrientation Orientation() const { return orientation_; }
  void SetOrientation(TUDOrientation v);
  TWinControl* Associate() const { return associate_; }
  void SetAssociate(TWinControl* control);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

 private:
  void Attach();
  short min_ = 0, max_ = 100, position_ = 0;
  int increment_ = 1;
  bool wrap_ = false, arrowKeys_ = true, thousands_ = true;
  TUDAlignButton alignButton_ = udRight;
  TUDOrientation orientation_ = udVertical;
  TWinControl* associate_ = nullptr;
};

// Publishes every property of an up-down of class T but Associate, which
// each class publishes its own way.
template <class T, class Builder>
void PublishUpDownProperties(Builder& c) {
  c.Integer("Min", &T::Min, [](T* u, int v) { u->SetMin(static_cast<short>(v)); });
  c.Integer("Max", &T::Max, [](T* u, int v) { u->SetMax(static_cast<short>(v)); });
  c.Integer("Position", &T::Position, [](T* u, int v) { u->SetPosition(static_cast<short>(v)); });
  c.Integer("Increment", &T::Increment, &T::SetIncrement);
  c.Boolean("Wrap", &T::Wrap, &T::SetWrap);
  c.Boolean("ArrowKeys", &T::ArrowKeys, &T::SetArrowKeys);
  c.Boolean("Thousands", &T::Thousands, &T::SetThousands);
  c.template Enum<TUDAlignButton>("AlignButton", {"udLeft", "udRight"}, &T::AlignButton, &T::SetAlignButton);
  c.template Enum<TUDOrientation>("Orientation", {"udHorizontal", "udVertical"}, &T::Orientation,
                                  &T::SetOrientation);
  c.template Event<TNotifyEvent>("OnClick", &T::OnClick);
}

class TUpDown : public TCustomUpDown {
  TK_CLASS(TUpDown)
  explicit TUpDown(TComponent* owner) : TCustomUpDown(owner) {}
};

// ---- TPageControl and TTabSheet ---------------------------------------------------------------

class TPageControl;

// One page of a page control: a container shown while it is the active page.
class TTabSheet : public TWinControl {
  TK_CLASS(TTabSheet)
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* pageControl);
  int PageIndex() const;
  void SetPageIndex(int index);
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v);
  void SetParentComponent(TComponent* parent) override;
  void WndProc(TMessage& message) override;
  // Its font scales; its place is its page control's, scaled already.
  void ChangeScale(int m, int d) override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

// Tabs over a stack of tab sheets; clicking a tab (or the arrow keys on the
// focused tabs, or Ctrl+Tab anywhere on the form) shows its sheet.
class TPageControl : public TWinControl {
  TK_CLASS(TPageControl)
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  void BeforeDestruction() override;
  void WndProc(TMessage& message) override;

  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int i) const;
  TTabSheet* ActivePage() const { return activePage_; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int i);
  // Shows the next (previous) page with a visible tab.
  void SelectNextPage(bool forward);
  // The area of the sheets, in this control's client coordinates.
  RECT DisplayRect() const;
  void SetBounds(int left, int top, int width, int height) override;

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Loaded() override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void MovePage(TTabSheet* page, int index);
  void UpdateTabs();
  void PlaceSheets();
  void ShowActive();
  int TabIndexOf(TTabSheet* page) const;
  TTabSheet* PageOfTab(int tab) const;
  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
  bool closing_ = false;  // going with all its pages: no other page is shown
};

// Brings `control` into view: every tab sheet it lies on becomes the active
// page of its page control (whose OnChange fires, as for the user's turn).
void ShowPagesHolding(TControl* control);

// Registers every standard control, the menu and dialog classes, the panel,
// image and timer for form resources.
void RegisterStandardControls();
