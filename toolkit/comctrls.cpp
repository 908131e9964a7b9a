#include "toolkit/comctrls.h"

#include <algorithm>

#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/forms.h"
#include "toolkit/menus.h"
#include "toolkit/stdctrls.h"

void InitCommonControlClasses() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

// ---- TTrackBar -------------------------------------------------------------------------

const TMetaClass& TTrackBar::StaticClass() {
  static const TMetaClass cls = DefineClass<TTrackBar>("TTrackBar", &TWinControl::StaticClass(), [](auto& c) {
    c.Integer("Min", &TTrackBar::Min, &TTrackBar::SetMin);
    c.Integer("Max", &TTrackBar::Max, &TTrackBar::SetMax);
    c.Integer("Position", &TTrackBar::Position, &TTrackBar::SetPosition);
    c.template Enum<TTrackBarOrientation>("Orientation", {"trHorizontal", "trVertical"}, &TTrackBar::Orientation,
                                          &TTrackBar::SetOrientation);
    c.Integer("LineSize", &TTrackBar::LineSize, &TTrackBar::SetLineSize);
    c.Integer("PageSize", &TTrackBar::PageSize, &TTrackBar::SetPageSize);
    c.Integer("Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency);
    c.Integer("SelStart", &TTrackBar::SelStart, &TTrackBar::SetSelStart);
    c.Integer("SelEnd", &TTrackBar::SelEnd, &TTrackBar::SetSelEnd);
    c.template Enum<TTickMark>("TickMarks", {"tmBottomRight", "tmTopLeft", "tmBoth"}, &TTrackBar::TickMarks,
                               &TTrackBar::SetTickMarks);
    c.template Enum<TTickStyle>("TickStyle", {"tsNone", "tsAuto", "tsManual"}, &TTrackBar::TickStyle,
                                &TTrackBar::SetTickStyle);
    c.Integer("ThumbLength", &TTrackBar::ThumbLength, &TTrackBar::SetThumbLength);
    c.Boolean("ShowTooltips", &TTrackBar::ShowTooltips, &TTrackBar::SetShowTooltips);
    c.template Event<TNotifyEvent>("OnChange", &TTrackBar::OnChange);
    c.template Event<TNotifyEvent>("OnEnter", &TTrackBar::OnEnter);
    c.template Event<TNotifyEvent>("OnExit", &TTrackBar::OnExit);
  });
  return cls;
}

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
  InitCommonControlClasses();
  width_ = 150;
  height_ = 45;
  SetTabStop(true);
}

void TTrackBar::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, TRACKBAR_CLASSA);
  p.Style |= TBS_FIXEDLENGTH | (orientation_ == trVertical ? TBS_VERT : TBS_HORZ);
  switch (tickStyle_) {
    case tsNone: p.Style |= TBS_NOTICKS; break;
    case tsAuto: p.Style |= TBS_AUTOTICKS; break;
    case tsManual: break;
  }
  if (tickMarks_ == tmBoth) p.Style |= TBS_BOTH;
  else if (tickMarks_ == tmTopLeft) p.Style |= TBS_TOP;  // TBS_LEFT is the same bit
  if (selStart_ != 0 || selEnd_ != 0) p.Style |= TBS_ENABLESELRANGE;
  if (showTooltips_) p.Style |= TBS_TOOLTIPS;
}

void TTrackBar::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = Handle();
  SendMessageA(h, TBM_SETTHUMBLENGTH, static_cast<WPARAM>(thumbLength_), 0);
  SendMessageA(h, TBM_SETLINESIZE, 0, lineSize_);
  SendMessageA(h, TBM_SETPAGESIZE, 0, pageSize_);
  SendMessageA(h, TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 0);
  SendRange();
  SendMessageA(h, TBM_SETSEL, FALSE, MAKELPARAM(selStart_, selEnd_));
  SendMessageA(h, TBM_SETPOS, TRUE, position_);
}

void TTrackBar::DestroyWnd() {
  position_ = Position();
  TWinControl::DestroyWnd();
}

void TTrackBar::SendRange() {
  if (!HandleAllocated()) return;
  SendMessageA(Handle(), TBM_SETRANGEMIN, FALSE, min_);
  SendMessageA(Handle(), TBM_SETRANGEMAX, TRUE, max_);
}

int TTrackBar::Position() const {
  if (!HandleAllocated()) return position_;
  return static_cast<int>(SendMessageA(const_cast<TTrackBar*>(this)->Handle(), TBM_GETPOS, 0, 0));
}

void TTrackBar::SetMin(int v) {
  if (min_ == v) return;
  min_ = v;
  if (max_ < min_) max_ = min_;
  SendRange();
  // The window keeps its position inside the range: so does the control.
  SetPosition(std::clamp(Position(), min_, max_));
}

void TTrackBar::SetMax(int v) {
  if (max_ == v) return;
  max_ = v;
  if (min_ > max_) min_ = max_;
  SendRange();
  SetPosition(std::clamp(Position(), min_, max_));
}

void TTrackBar::SetPosition(int v) {
  v = std::clamp(v, min_, max_);
  if (HandleAllocated()) {
    if (Position() != v) SendMessageA(Handle(), TBM_SETPOS, TRUE, v);
    position_ = Position();
    return;
  }
  if (position_ == v) return;
  position_ = v;
  if (!ComponentState().Contains(csLoading)) Changed();
}

void TTrackBar::SetOrientation(TTrackBarOrientation v) {
  if (orientation_ == v) return;
  orientation_ = v;
  if (!ComponentState().Contains(csLoading)) SetBounds(left_, top_, height_, width_);
  RecreateWnd();
}

void TTrackBar::SetLineSize(int v) {
  lineSize_ = v;
  if (HandleAllocated()) SendMessageA(Handle(), TBM_SETLINESIZE, 0, v);
}

void TTrackBar::SetPageSize(int v) {
  pageSize_ = v;
  if (HandleAllocated()) SendMessageA(Handle(), TBM_SETPAGESIZE, 0, v);
}

void TTrackBar::SetFrequency(int v) {
  frequency_ = v;
  if (HandleAllocated()) SendMessageA(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(v), 0);
}

void TTrackBar::SetSelStart(int v) {
  selStart_ = v;
  RecreateWnd();
}

void TTrackBar::SetSelEnd(int v) {
  selEnd_ = v;
  RecreateWnd();
}

void TTrackBar::SetTickMarks(TTickMark v) {
  SetAndRecreate(tickMarks_, v);
}

void TTrackBar::SetTickStyle(TTickStyle v) {
  SetAndRecreate(tickStyle_, v);
}

void TTrackBar::SetShowTooltips(bool v) { SetAndRecreate(showTooltips_, v); }

void TTrackBar::ChangeScale(int m, int d) {
  TWinControl::ChangeScale(m, d);
  if (m > 0 && d > 0 && m != d) SetThumbLength(MulDiv(thumbLength_, m, d));
}

void TTrackBar::SetThumbLength(int v) {
  thumbLength_ = v;
  if (HandleAllocated()) SendMessageA(Handle(), TBM_SETTHUMBLENGTH, static_cast<WPARAM>(v), 0);
}

void TTrackBar::Changed() {
  if (OnChange) OnChange(this);
}

void TTrackBar::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
      position_ = Position();
      Changed();
      m.Result = 0;
      return;
    case TBM_SETPOS: {
      const int before = Position();
      TWinControl::WndProc(m);
      position_ = Position();
      if (position_ != before) Changed();
      return;
    }
    default: break;
  }
  TWinControl::WndProc(m);
}

// ---- TCustomUpDown ------------------------------------------------------------------------

const TMetaClass& TCustomUpDown::StaticClass() {
  static const TMetaClass cls = DefineClass<TCustomUpDown>("TCustomUpDown", &TWinControl::StaticClass());
  return cls;
}

const TMetaClass& TUpDown::StaticClass() {
  static const TMetaClass cls = DefineClass<TUpDown>("TUpDown", &TCustomUpDown::StaticClass(), [](auto& c) {
    PublishUpDownProperties<TUpDown>(c);
    c.template Component<TWinControl>("Associate", &TUpDown::Associate, &TUpDown::SetAssociate);
  });
  return cls;
}

TCustomUpDown::TCustomUpDown(TComponent* owner) : TWinControl(owner) {
  InitCommonControlClasses();
  width_ = 16;
  height_ = 24;
}

void TCustomUpDown::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, UPDOWN_CLASSA);
  // The up-down stays where the form puts it (beside its associate): the
  // system's own alignment would shrink the associate again with every new
  // window.
  p.Style |= UDS_SETBUDDYINT;
  if (arrowKeys_) p.Style |= UDS_ARROWKEYS;
  if (wrap_) p.Style |= UDS_WRAP;
  if (!thousands_) p.Style |= UDS_NOTHOUSANDS;
  if (orientation_ == udHorizontal) p.Style |= UDS_HORZ;
}

void TCustomUpDown::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = Handle();
  SendMessageA(h, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  UDACCEL accel{0, static_cast<UINT>(increment_)};
  SendMessageA(h, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  Attach();
  SendMessageA(h, UDM_SETPOS32, 0, position_);
}

void TCustomUpDown::Attach() {
  if (!HandleAllocated() || !associate_ || associate_->Parent() != parent_) return;
  HWND buddy = associate_->Handle();
  if (!buddy) return;
  SendMessageA(Handle(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
  SendMessageA(Handle(), UDM_SETPOS32, 0, position_);
}

void TCustomUpDown::DestroyWnd() {
  if (HandleAllocated()) position_ = Position();
  TWinControl::DestroyWnd();
}

void TCustomUpDown::Loaded() {
  TWinControl::Loaded();
  Attach();
}

short TCustomUpDown::Position() const {
  if (!HandleAllocated()) return position_;
  return static_cast<short>(SendMessageA(const_cast<TCustomUpDown*>(this)->Handle(), UDM_GETPOS32, 0, 0));
}

void TCustomUpDown::SetMin(short v) {
  min_ = v;
  if (HandleAllocated()) SendMessageA(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

void TCustomUpDown::SetMax(short v) {
  max_ = v;
  if (HandleAllocated()) SendMessageA(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

void TCustomUpDown::SetPosition(short v) {
  position_ = v;
  if (HandleAllocated()) SendMessageA(Handle(), UDM_SETPOS32, 0, v);
}

void TCustomUpDown::SetIncrement(int v) {
  increment_ = v;
  if (!HandleAllocated()) return;
  UDACCEL accel{0, static_cast<UINT>(v)};
  SendMessageA(Handle(), UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void TCustomUpDown::SetWrap(bool v) {
  SetAndRecreate(wrap_, v);
}

void TCustomUpDown::SetArrowKeys(bool v) {
  SetAndRecreate(arrowKeys_, v);
}

void TCustomUpDown::SetThousands(bool v) {
  SetAndRecreate(thousands_, v);
}

void TCustomUpDown::SetAlignButton(TUDAlignButton v) {
  SetAndRecreate(alignButton_, v);
}

void TCustomUpDown::SetOrientation(TUDOrientation v) {
  SetAndRecreate(orientation_, v);
}

void TCustomUpDown::SetAssociate(TWinControl* control) {
  if (associate_ == control) return;
  if (associate_) {
    associate_->RemoveFreeNotification(this);
    if (HandleAllocated()) SendMessageA(Handle(), UDM_SETBUDDY, 0, 0);
  }
  associate_ = control;
  if (!control) return;
  control->FreeNotification(this);
  if (!ComponentState().Contains(csLoading)) Attach();
}

void TCustomUpDown::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == associate_) {
    associate_ = nullptr;
    if (HandleAllocated()) SendMessageA(Handle(), UDM_SETBUDDY, 0, 0);
  }
  TWinControl::Notification(component, operation);
}

void TCustomUpDown::WndProc(TMessage& m) {
  if (m.Msg == CN_VSCROLL || m.Msg == CN_HSCROLL) {
    if (LOWORD(m.WParam) == SB_THUMBPOSITION) {
      position_ = Position();
      Click();
    }
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TTabSheet -------------------------------------------------------------------------------

const TMetaClass& TTabSheet::StaticClass() {
  static const TMetaClass cls = DefineClass<TTabSheet>("TTabSheet", &TWinControl::StaticClass(), [](auto& c) {
    c.String("Caption", &TTabSheet::Caption, &TTabSheet::SetCaption);
    c.Integer("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex);
    c.Boolean("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible);
  });
  return cls;
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  controlStyle_.Include(csAcceptsControls);
  visible_ = false;
}

TTabSheet::~TTabSheet() { SetPageControl(nullptr); }

void TTabSheet::SetParentComponent(TComponent* parent) {
  if (auto* pc = dynamic_cast<TPageControl*>(parent)) SetPageControl(pc);
  else TWinControl::SetParentComponent(parent);
}

void TTabSheet::SetPageControl(TPageControl* pageControl) {
  if (pageControl_ == pageControl) return;
  if (pageControl_) pageControl_->RemovePage(this);
  SetParent(pageControl);
  if (pageControl) pageControl->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  auto& pages = pageControl_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(int index) {
  if (pageControl_) pageControl_->MovePage(this, index);
}

void TTabSheet::SetTabVisible(bool v) {
  if (tabVisible_ == v) return;
  tabVisible_ = v;
  if (pageControl_) pageControl_->UpdateTabs();
}

void TTabSheet::ChangeScale(int m, int d) {
  TWinControl::ChangeScale(m, d);
  if (pageControl_) pageControl_->PlaceSheets();
}

void TTabSheet::WndProc(TMessage& m) {
  if (m.Msg == CM_TEXTCHANGED && pageControl_) pageControl_->UpdateTabs();
  TWinControl::WndProc(m);
}

// ---- TPageControl ------------------------------------------------------------------------------

const TMetaClass& TPageControl::StaticClass() {
  static const TMetaClass cls = DefineClass<TPageControl>("TPageControl", &TWinControl::StaticClass(), [](auto& c) {
    c.template Component<TTabSheet>("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
    c.template Event<TNotifyEvent>("OnChange", &TPageControl::OnChange);
  });
  return cls;
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  InitCommonControlClasses();
  controlStyle_.Include(csAcceptsControls);
  width_ = 289;
  height_ = 193;
  SetTabStop(true);
}

void TPageControl::BeforeDestruction() {
  closing_ = true;
  TWinControl::BeforeDestruction();
}

TPageControl::~TPageControl() {
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
}

void TPageControl::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, WC_TABCONTROLA);
  p.Style |= WS_CLIPCHILDREN | TCS_TABS;
}

void TPageControl::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateTabs();
  PlaceSheets();
}

void TPageControl::Loaded() {
  TWinControl::Loaded();
  if (!activePage_ && !pages_.empty()) SetActivePage(pages_.front());
  else ShowActive();
}

TTabSheet* TPageControl::Pages(int i) const {
  if (i < 0 || i >= PageCount()) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
  return pages_[static_cast<std::size_t>(i)];
}

void TPageControl::InsertPage(TTabSheet* page) {
  pages_.push_back(page);
  page->pageControl_ = this;
  page->SetVisible(false);
  UpdateTabs();
  PlaceSheets();
  if (!activePage_ && !ComponentState().Contains(csLoading)) SetActivePage(page);
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  page->pageControl_ = nullptr;
  if (activePage_ == page) {
    activePage_ = nullptr;
    if (!closing_ && !pages_.empty()) SetActivePage(pages_.front());
  }
  UpdateTabs();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  index = std::clamp(index, 0, PageCount());
  pages_.insert(pages_.begin() + index, page);
  UpdateTabs();
}

int TPageControl::TabIndexOf(TTabSheet* page) const {
  int tab = 0;
  for (TTabSheet* p : pages_) {
    if (p == page) return p->tabVisible_ ? tab : -1;
    if (p->tabVisible_) ++tab;
  }
  return -1;
}

TTabSheet* TPageControl::PageOfTab(int tab) const {
  for (TTabSheet* p : pages_)
    if (p->tabVisible_ && tab-- == 0) return p;
  return nullptr;
}

void TPageControl::UpdateTabs() {
  if (!HandleAllocated()) return;
  HWND h = Handle();
  SendMessageA(h, TCM_DELETEALLITEMS, 0, 0);
  int tab = 0;
  for (TTabSheet* p : pages_) {
    if (!p->tabVisible_) continue;
    std::string text = p->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageA(h, TCM_INSERTITEMA, static_cast<WPARAM>(tab++), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(h, TCM_SETCURSEL, static_cast<WPARAM>(TabIndexOf(activePage_)), 0);
  PlaceSheets();
}

RECT TPageControl::DisplayRect() const {
  RECT r = ClientRect();
  if (HandleAllocated()) SendMessageA(const_cast<TPageControl*>(this)->Handle(), TCM_ADJUSTRECT, FALSE,
                                      reinterpret_cast<LPARAM>(&r));
  else InflateRect(&r, -4, -4), r.top += 20;
  return r;
}

void TPageControl::PlaceSheets() {
  RECT r = DisplayRect();
  for (TTabSheet* p : pages_) p->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TPageControl::SetBounds(int left, int top, int width, int height) {
  TWinControl::SetBounds(left, top, width, height);
  PlaceSheets();
}

void TPageControl::ShowActive() {
  if (ComponentState().Contains(csLoading)) return;
  for (TTabSheet* p : pages_)
    if (p != activePage_) p->SetVisible(false);
  if (activePage_) activePage_->SetVisible(true);
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->pageControl_ != this) return;
  // The focus must not stay on a sheet that hides.
  TCustomForm* form = GetParentForm(this);
  bool focusInside = false;
  if (form && activePage_)
    for (TWinControl* c = form->ActiveControl(); c; c = c->Parent())
      if (c == activePage_) focusInside = true;
  activePage_ = page;
  if (HandleAllocated()) SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(TabIndexOf(page)), 0);
  ShowActive();
  if (focusInside && HandleAllocated() && Showing()) SetFocus();
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int i) { SetActivePage(i >= 0 && i < PageCount() ? pages_[i] : nullptr); }

void TPageControl::SelectNextPage(bool forward) {
  std::vector<TTabSheet*> visible;
  for (TTabSheet* p : pages_)
    if (p->tabVisible_) visible.push_back(p);
  if (visible.empty()) return;
  auto it = std::find(visible.begin(), visible.end(), activePage_);
  std::size_t i = it == visible.end() ? 0 : static_cast<std::size_t>(it - visible.begin());
  i = (i + (forward ? 1 : visible.size() - 1)) % visible.size();
  SetActivePage(visible[i]);
  if (OnChange) OnChange(this);
}

void TPageControl::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
      if (hdr->code == TCN_SELCHANGE) {
        TTabSheet* page = PageOfTab(static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0)));
        if (page && page != activePage_) {
          SetActivePage(page);
          if (OnChange) OnChange(this);
        }
      }
      m.Result = 0;
      return;
    }
    case CM_DIALOGKEY:
      if (m.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        TCustomForm* form = GetParentForm(this);
        for (TWinControl* c = form ? form->ActiveControl() : nullptr; c; c = c->Parent())
          if (c == this) {
            SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
            m.Result = 1;
            return;
          }
      }
      break;
    case WM_WINDOWPOSCHANGED:
      TWinControl::WndProc(m);
      PlaceSheets();
      return;
    default: break;
  }
  TWinControl::WndProc(m);
}

void ShowPagesHolding(TControl* control) {
  for (TWinControl* c = control ? control->Parent() : nullptr; c; c = c->Parent()) {
    auto* sheet = dynamic_cast<TTabSheet*>(c);
    TPageControl* pages = sheet ? sheet->PageControl() : nullptr;
    if (!pages || pages->ActivePage() == sheet) continue;
    pages->SetActivePage(sheet);
    if (pages->OnChange) pages->OnChange(pages);
  }
}

// ---- Registration ------------------------------------------------------------------------------

void RegisterStandardControls() {
  RegisterClasses({&TButton::StaticClass(), &TCheckBox::StaticClass(), &TRadioButton::StaticClass(),
                   &TGroupBox::StaticClass(), &TLabel::StaticClass(), &TEdit::StaticClass(),
                   &TListBox::StaticClass(), &TComboBox::StaticClass(), &TTrackBar::StaticClass(),
                   &TUpDown::StaticClass(), &TPageControl::StaticClass(), &TTabSheet::StaticClass(),
                   &TPanel::StaticClass(), &TImage::StaticClass(), &TTimer::StaticClass(),
                   &TPopupMenu::StaticClass(), &TMenuItem::StaticClass(), &TOpenDialog::StaticClass()});
}
