#include "toolkit/stdctrls.h"

#include <algorithm>

#include "toolkit/forms.h"

const std::vector<std::string>& AlignmentNames() {
  static const std::vector<std::string> names{"taLeftJustify", "taRightJustify", "taCenter"};
  return names;
}

namespace {
// The published members every one of these controls shares.
template <class C, class B>
void PublishCommon(B& c) {
  c.template Event<TNotifyEvent>("OnClick", &C::OnClick);
  c.template Event<TNotifyEvent>("OnEnter", &C::OnEnter);
  c.template Event<TNotifyEvent>("OnExit", &C::OnExit);
}
}  // namespace

// ---- TButtonControl -------------------------------------------------------------

const TMetaClass& TButtonControl::StaticClass() {
  static const TMetaClass cls = DefineClass<TButtonControl>("TButtonControl", &TWinControl::StaticClass());
  return cls;
}

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {}

bool TButtonControl::MoveInRadioGroup(bool forward) {
  if (!parent_) return false;
  std::vector<TWinControl*> group;
  for (int i = 0; i < parent_->ControlCount(); ++i) {
    auto* w = dynamic_cast<TWinControl*>(parent_->Controls(i));
    if (w && (w == this || (HandleAllocated() && w->HandleAllocated() &&
                            (SendMessageA(w->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) && w->CanFocus())))
      group.push_back(w);
  }
  std::stable_sort(group.begin(), group.end(), [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
  if (group.size() < 2) return false;
  auto it = std::find(group.begin(), group.end(), this);
  std::ptrdiff_t i = it - group.begin(), n = static_cast<std::ptrdiff_t>(group.size());
  TWinControl* next = group[static_cast<std::size_t>((i + (forward ? 1 : n - 1)) % n)];
  next->SetFocus();
  if (!next->Focused()) return false;
  SendMessageA(next->Handle(), BM_CLICK, 0, 0);
  return true;
}

void TButtonControl::CreateButtonParams(TCreateParams& p, DWORD buttonStyle, TAlignment alignment) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, "BUTTON");
  p.Style |= buttonStyle;
  if (alignment == taLeftJustify) p.Style |= BS_LEFTTEXT;
}

// ---- TRadioButtonControl ------------------------------------------------------------

TRadioButtonControl::TRadioButtonControl(TComponent* owner) : TButtonControl(owner) {
  width_ = 113;
  height_ = 17;
}

void TRadioButtonControl::CreateParams(TCreateParams& p) { CreateButtonParams(p, BS_RADIOBUTTON, alignment_); }

void TRadioButtonControl::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageA(Handle(), BM_SETCHECK, checked_, 0);
}

bool TRadioButtonControl::StoreChecked(bool checked) {
  if (checked_ == checked) return false;
  checked_ = checked;
  SetTabStop(checked);
  if (HandleAllocated()) {
    SendMessageA(Handle(), BM_SETCHECK, checked, 0);
    LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    SetWindowLongA(Handle(), GWL_STYLE, checked ? style | WS_TABSTOP : style & ~WS_TABSTOP);
  }
  return true;
}

bool TRadioButtonControl::ArrowKey(TMessage& m) {
  if (m.WParam != VK_LEFT && m.WParam != VK_UP && m.WParam != VK_RIGHT && m.WParam != VK_DOWN) return false;
  m.Result = MoveInRadioGroup(m.WParam == VK_RIGHT || m.WParam == VK_DOWN) ? 1 : 0;
  return m.Result != 0;
}

// ---- TButton --------------------------------------------------------------------

const TMetaClass& TButton::StaticClass() {
  static const TMetaClass cls = DefineClass<TButton>("TButton", &TButtonControl::StaticClass(), [](auto& c) {
    c.String("Caption", &TButton::Caption, &TButton::SetCaption);
    c.Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult);
    c.Boolean("Default", &TButton::Default, &TButton::SetDefault);
    c.Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel);
    PublishCommon<TButton>(c);
  });
  return cls;
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
  width_ = 75;
  height_ = 25;
  SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, "BUTTON");
  p.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool v) {
  if (default_ == v) return;
  default_ = v;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (TCustomForm* form = GetParentForm(this); form && modalResult_ != mrNone) form->SetModalResult(modalResult_);
  TWinControl::Click();
}

void TButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (m.WParamHi() == BN_CLICKED) {
        Click();
        return;
      }
      break;
    case CM_DIALOGKEY:
      if (((m.WParam == VK_RETURN && (default_ || Focused())) || (m.WParam == VK_ESCAPE && cancel_)) && CanFocus()) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(m.WParam, Caption()) && CanFocus()) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    default: break;
  }
  TWinControl::WndProc(m);
}

// ---- TCustomCheckBox --------------------------------------------------------------

const TMetaClass& TCustomCheckBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TCustomCheckBox>("TCustomCheckBox", &TButtonControl::StaticClass());
  return cls;
}

const TMetaClass& TCheckBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TCheckBox>("TCheckBox", &TCustomCheckBox::StaticClass(), [](auto& c) {
    c.String("Caption", &TCheckBox::Caption, &TCheckBox::SetCaption);
    c.Boolean("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked);
    c.template Enum<TCheckBoxState>("State", {"cbUnchecked", "cbChecked", "cbGrayed"}, &TCheckBox::State,
                                    &TCheckBox::SetState);
    c.Boolean("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed);
    c.template Enum<TAlignment>("Alignment", AlignmentNames(), &TCheckBox::Alignment, &TCheckBox::SetAlignment);
    PublishCommon<TCheckBox>(c);
  });
  return cls;
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
  width_ = 97;
  height_ = 17;
  SetTabStop(true);
}

void TCustomCheckBox::CreateParams(TCreateParams& p) { CreateButtonParams(p, BS_3STATE, alignment_); }

void TCustomCheckBox::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), BM_SETCHECK, state_, 0);
}

void TCustomCheckBox::SetState(TCheckBoxState state) {
  if (state_ == state) return;
  state_ = state;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, state_, 0);
  if (!ComponentState().Contains(csLoading)) Click();
}

void TCustomCheckBox::SetAlignment(TAlignment v) {
  SetAndRecreate(alignment_, v);
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(allowGrayed_ ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
  }
}

void TCustomCheckBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (m.WParamHi() == BN_CLICKED) Toggle();
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(m.WParam, Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        m.Result = 1;
        return;
      }
      break;
    default: break;
  }
  TWinControl::WndProc(m);
}

// ---- TRadioButton ----------------------------------------------------------------------

const TMetaClass& TRadioButton::StaticClass() {
  static const TMetaClass cls = DefineClass<TRadioButton>("TRadioButton", &TButtonControl::StaticClass(), [](auto& c) {
    c.String("Caption", &TRadioButton::Caption, &TRadioButton::SetCaption);
    c.Boolean("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked);
    c.template Enum<TAlignment>("Alignment", AlignmentNames(), &TRadioButton::Alignment, &TRadioButton::SetAlignment);
    PublishCommon<TRadioButton>(c);
  });
  return cls;
}

void TRadioButton::SetChecked(bool checked) {
  if (!StoreChecked(checked) || !checked) return;
  if (parent_)
    for (int i = 0; i < parent_->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TRadioButton*>(parent_->Controls(i)); other && other != this)
        other->SetChecked(false);
  if (!ComponentState().Contains(csLoading)) Click();
}

void TRadioButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (m.WParamHi() == BN_CLICKED) SetChecked(true);
      return;
    case CN_KEYDOWN:
      if (ArrowKey(m)) return;
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(m.WParam, Caption()) && CanFocus()) {
        SetFocus();
        if (Focused()) SetChecked(true);
        m.Result = 1;
        return;
      }
      break;
    default: break;
  }
  TWinControl::WndProc(m);
}

// ---- TGroupBox -------------------------------------------------------------------

const TMetaClass& TGroupBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TGroupBox>("TGroupBox", &TWinControl::StaticClass(), [](auto& c) {
    c.String("Caption", &TGroupBox::Caption, &TGroupBox::SetCaption);
  });
  return cls;
}

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
  controlStyle_.Include(csAcceptsControls);
  width_ = 185;
  height_ = 105;
}

void TGroupBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, "BUTTON");
  p.Style |= BS_GROUPBOX;
}

void TGroupBox::WndProc(TMessage& m) {
  // The frame is drawn by the system; the area inside is this control's colour.
  if (m.Msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(Handle(), &r);
    ::FillRect(reinterpret_cast<HDC>(m.WParam), &r, Brush());
    m.Result = 1;
    return;
  }
  // Not a tab stop itself: the system's hit test would pass clicks through.
  if (m.Msg == WM_NCHITTEST) {
    m.Result = HTCLIENT;
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TLabel ---------------------------------------------------------------------------

const TMetaClass& TLabel::StaticClass() {
  static const TMetaClass cls = DefineClass<TLabel>("TLabel", &TWinControl::StaticClass(), [](auto& c) {
    c.String("Caption", &TLabel::Caption, &TLabel::SetCaption);
    c.template Enum<TAlignment>("Alignment", AlignmentNames(), &TLabel::Alignment, &TLabel::SetAlignment);
    c.Boolean("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap);
    c.Boolean("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize);
    c.Boolean("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar);
    c.template Component<TWinControl>("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl);
    c.template Event<TNotifyEvent>("OnClick", &TLabel::OnClick);
  });
  return cls;
}

TLabel::TLabel(TComponent* owner) : TWinControl(owner) {
  width_ = 65;
  height_ = 13;
}

void TLabel::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, "STATIC");
  // SS_NOTIFY: clicks reach the label (and its cursor shows) instead of
  // passing through to the parent.
  p.Style |= SS_NOTIFY;
  switch (alignment_) {
    case taLeftJustify: p.Style |= wordWrap_ ? SS_LEFT : SS_LEFTNOWORDWRAP; break;
    case taRightJustify: p.Style |= SS_RIGHT; break;
    case taCenter: p.Style |= SS_CENTER; break;
  }
  if (!showAccelChar_) p.Style |= SS_NOPREFIX;
}

void TLabel::CreateWnd() {
  AdjustBounds();
  TWinControl::CreateWnd();
}

void TLabel::AdjustBounds() {
  if (!autoSize_ || ComponentState().Contains(csLoading)) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  RECT r{0, 0, wordWrap_ ? std::max(width_, 1) : 0, 0};
  UINT flags = DT_CALCRECT | (wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE) | (showAccelChar_ ? 0 : DT_NOPREFIX);
  std::string text = Caption().empty() ? " " : Caption();
  DrawTextA(dc, text.c_str(), -1, &r, flags);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int w = wordWrap_ ? width_ : r.right, left = left_;
  if (!wordWrap_ && alignment_ == taRightJustify) left += width_ - w;
  if (!wordWrap_ && alignment_ == taCenter) left += (width_ - w) / 2;
  SetBounds(left, top_, w, r.bottom);
}

void TLabel::SetAlignment(TAlignment v) {
  SetAndRecreate(alignment_, v);
}

void TLabel::SetWordWrap(bool v) {
  if (wordWrap_ == v) return;
  wordWrap_ = v;
  AdjustBounds();
  RecreateWnd();
}

void TLabel::SetAutoSize(bool v) {
  if (autoSize_ == v) return;
  autoSize_ = v;
  if (HandleAllocated()) AdjustBounds();
}

void TLabel::SetShowAccelChar(bool v) {
  SetAndRecreate(showAccelChar_, v);
}

void TLabel::SetFocusControl(TWinControl* control) {
  if (focusControl_ == control) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = control;
  if (control) control->FreeNotification(this);
}

void TLabel::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
  TWinControl::Notification(component, operation);
}

void TLabel::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (m.WParamHi() == STN_CLICKED) Click();
      else if (m.WParamHi() == STN_DBLCLK) DblClick();
      return;
    case CM_DIALOGCHAR:
      if (focusControl_ && showAccelChar_ && IsAccel(m.WParam, Caption()) && focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        m.Result = 1;
        return;
      }
      break;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TWinControl::WndProc(m);
      if (HandleAllocated()) AdjustBounds();
      return;
    default: break;
  }
  TWinControl::WndProc(m);
}

// ---- TCustomEdit -------------------------------------------------------------------------

const TMetaClass& TCustomEdit::StaticClass() {
  static const TMetaClass cls = DefineClass<TCustomEdit>("TCustomEdit", &TWinControl::StaticClass());
  return cls;
}

const TMetaClass& TEdit::StaticClass() {
  static const TMetaClass cls = DefineClass<TEdit>("TEdit", &TCustomEdit::StaticClass(), [](auto& c) {
    c.String("Text", &TEdit::Text, &TEdit::SetText);
    c.Integer("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength);
    c.Boolean("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly);
    c.template Event<TNotifyEvent>("OnChange", &TEdit::OnChange);
    PublishCommon<TEdit>(c);
  });
  return cls;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  width_ = 121;
  height_ = 21;
  color_ = clWindow;
  SetTabStop(true);
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, "EDIT");
  p.Style |= ES_AUTOHSCROLL | ES_LEFT;
  if (readOnly_) p.Style |= ES_READONLY;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  SendMessageA(Handle(), EM_SETSEL, selStart_, selStart_ + selLength_);
}

void TCustomEdit::SetMaxLength(int v) {
  maxLength_ = std::max(v, 0);
  if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TCustomEdit::SetReadOnly(bool v) {
  readOnly_ = v;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, v, 0);
}

int TCustomEdit::SelStart() {
  if (!HandleAllocated()) return selStart_;
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

int TCustomEdit::SelLength() {
  if (!HandleAllocated()) return selLength_;
  DWORD start = 0, end = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::SetSelStart(int v) {
  selStart_ = v;
  selLength_ = 0;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, v, v);
}

void TCustomEdit::SetSelLength(int v) {
  selStart_ = SelStart();
  selLength_ = v;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, selStart_, selStart_ + v);
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (m.WParamHi() == EN_UPDATE || m.WParamHi() == EN_CHANGE) {
        // What the user typed becomes the control's text.
        int n = GetWindowTextLengthA(Handle());
        std::string s(static_cast<std::size_t>(n) + 1, '\0');
        GetWindowTextA(Handle(), s.data(), n + 1);
        s.resize(static_cast<std::size_t>(n));
        text_ = s;
        if (m.WParamHi() == EN_CHANGE) Change();
      }
      return;
    case WM_DESTROY: {
      DWORD start = 0, end = 0;
      SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
      selStart_ = static_cast<int>(start);
      selLength_ = static_cast<int>(end - start);
      break;
    }
    default: break;
  }
  TWinControl::WndProc(m);
}

// ---- TListControlItems --------------------------------------------------------------------

const TMetaClass& TListControlItems::StaticClass() {
  static const TMetaClass cls = DefineClass<TListControlItems>("TListControlItems", &TStrings::StaticClass());
  return cls;
}

TListControlItems::TListControlItems(TWinControl* control, const Messages& messages)
    : control_(control), m_(messages), kept_(new TStringList) {}

TListControlItems::~TListControlItems() { delete kept_; }

LRESULT TListControlItems::Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return SendMessageA(control_->Handle(), msg, wParam, lParam);
}

int TListControlItems::Count() const { return Live() ? static_cast<int>(Send(m_.getCount)) : kept_->Count(); }

std::string TListControlItems::Get(int i) const {
  if (!Live()) return kept_->Get(i);
  LRESULT n = Send(m_.getTextLen, static_cast<WPARAM>(i));
  if (n == static_cast<LRESULT>(m_.errorCode) || n < 0) Error(i);
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  Send(m_.getText, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<std::size_t>(n));
  return s;
}

TObject* TListControlItems::GetObject(int i) const {
  if (!Live()) return kept_->GetObject(i);
  if (i < 0 || i >= Count()) Error(i);
  return reinterpret_cast<TObject*>(Send(m_.getItemData, static_cast<WPARAM>(i)));
}

void TListControlItems::PutObject(int i, TObject* object) {
  if (!Live()) return kept_->PutObject(i, object);
  if (i < 0 || i >= Count()) Error(i);
  Send(m_.setItemData, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(object));
}

int TListControlItems::AddObject(const std::string& s, TObject* object) {
  if (!Live()) return kept_->AddObject(s, object);
  auto i = static_cast<int>(Send(m_.addString, 0, reinterpret_cast<LPARAM>(s.c_str())));
  if (i < 0) throw EInvalidOperation("Cannot add an item to '" + control_->Name() + "'");
  if (object) Send(m_.setItemData, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(object));
  return i;
}

void TListControlItems::Insert(int i, const std::string& s) {
  if (!Live()) return kept_->Insert(i, s);
  if (i < 0 || i > Count()) Error(i);
  if (Send(m_.insertString, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.c_str())) < 0)
    throw EInvalidOperation("Cannot insert an item into '" + control_->Name() + "'");
}

void TListControlItems::Delete(int i) {
  if (!Live()) return kept_->Delete(i);
  if (i < 0 || i >= Count()) Error(i);
  Send(m_.deleteString, static_cast<WPARAM>(i));
}

void TListControlItems::Clear() {
  if (!Live()) return kept_->Clear();
  Send(m_.resetContent);
}

int TListControlItems::ItemIndex() const { return Live() ? static_cast<int>(Send(m_.getCurSel)) : itemIndex_; }

void TListControlItems::SetItemIndex(int index) {
  itemIndex_ = index;
  if (Live() && ItemIndex() != index) Send(m_.setCurSel, static_cast<WPARAM>(index));
}

void TListControlItems::SetUpdateState(bool updating) {
  if (Live()) {
    Send(WM_SETREDRAW, !updating);
    if (!updating) InvalidateRect(control_->Handle(), nullptr, TRUE);
  }
}

void TListControlItems::WindowCreated() {
  if (kept_->Count() > 0) {
    // Into the new window as one update (redrawn again even if it fails);
    // the kept items go once they are all in.
    BeginUpdate();
    try {
      for (int i = 0; i < kept_->Count(); ++i) AddObject(kept_->Get(i), kept_->GetObject(i));
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    kept_->Clear();
  }
  Send(m_.setCurSel, static_cast<WPARAM>(itemIndex_));
}

void TListControlItems::WindowDestroying() {
  itemIndex_ = ItemIndex();
  TStringList items;
  for (int i = 0, n = Count(); i < n; ++i) items.AddObject(Get(i), GetObject(i));
  kept_->Assign(&items);
}

namespace {
const TListControlItems::Messages kListBoxMessages{LB_GETCOUNT,     LB_GETTEXTLEN,   LB_GETTEXT,
                                                   LB_ADDSTRING,    LB_INSERTSTRING, LB_DELETESTRING,
                                                   LB_RESETCONTENT, LB_GETITEMDATA,  LB_SETITEMDATA,
                                                   LB_GETCURSEL,    LB_SETCURSEL,    static_cast<UINT>(LB_ERR)};
const TListControlItems::Messages kComboBoxMessages{CB_GETCOUNT,     CB_GETLBTEXTLEN, CB_GETLBTEXT,
                                                    CB_ADDSTRING,    CB_INSERTSTRING, CB_DELETESTRING,
                                                    CB_RESETCONTENT, CB_GETITEMDATA,  CB_SETITEMDATA,
                                                    CB_GETCURSEL,    CB_SETCURSEL,    static_cast<UINT>(CB_ERR)};
}  // namespace

// ---- TCustomListBox -------------------------------------------------------------------------

const TMetaClass& TCustomListBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TCustomListBox>("TCustomListBox", &TWinControl::StaticClass());
  return cls;
}

const TMetaClass& TListBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TListBox>("TListBox", &TCustomListBox::StaticClass(), [](auto& c) {
    c.Class("Items", &TListBox::Items);
    c.Integer("ItemIndex", &TListBox::ItemIndex, &TListBox::SetItemIndex);
    c.Boolean("Sorted", &TListBox::Sorted, &TListBox::SetSorted);
    c.Boolean("IntegralHeight", &TListBox::IntegralHeight, &TListBox::SetIntegralHeight);
    PublishCommon<TListBox>(c);
    c.template Event<TNotifyEvent>("OnDblClick", &TListBox::OnDblClick);
  });
  return cls;
}

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner), items_(new TListControlItems(this, kListBoxMessages)) {
  width_ = 121;
  height_ = 97;
  color_ = clWindow;
  SetTabStop(true);
}

TCustomListBox::~TCustomListBox() { delete items_; }

void TCustomListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, "LISTBOX");
  p.Style |= LBS_NOTIFY | LBS_HASSTRINGS | WS_VSCROLL;
  if (sorted_) p.Style |= LBS_SORT;
  if (!integralHeight_) p.Style |= LBS_NOINTEGRALHEIGHT;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd() {
  TWinControl::CreateWnd();
  items_->WindowCreated();
}

void TCustomListBox::DestroyWnd() {
  if (HandleAllocated()) items_->WindowDestroying();
  TWinControl::DestroyWnd();
}

void TCustomListBox::SetSorted(bool v) {
  SetAndRecreate(sorted_, v);
}

void TCustomListBox::SetIntegralHeight(bool v) {
  SetAndRecreate(integralHeight_, v);
}

void TCustomListBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (m.WParamHi() == LBN_SELCHANGE) {
        pressUnreported_ = false;
        Click();
      } else if (m.WParamHi() == LBN_DBLCLK) {
        DblClick();
      }
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // the second press of a double click
      pressUnreported_ = true;
      break;
    case WM_LBUTTONUP: {
      // A click on the item already chosen is a click too (a user picking the
      // same entry again means it), but not every system reports it with
      // LBN_SELCHANGE: report it here when nothing did during this press.
      TWinControl::WndProc(m);
      if (!pressUnreported_ || !HandleAllocated()) return;
      pressUnreported_ = false;
      const LRESULT hit = SendMessageA(Handle(), LB_ITEMFROMPOINT, 0, m.LParam);
      if (HIWORD(hit) == 0 && static_cast<int>(LOWORD(hit)) == ItemIndex()) Click();
      return;
    }
    default: break;
  }
  TWinControl::WndProc(m);
}

// ---- TCustomComboBox -----------------------------------------------------------------------

const TMetaClass& TCustomComboBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TCustomComboBox>("TCustomComboBox", &TWinControl::StaticClass());
  return cls;
}

const TMetaClass& TComboBox::StaticClass() {
  static const TMetaClass cls = DefineClass<TComboBox>("TComboBox", &TCustomComboBox::StaticClass(), [](auto& c) {
    c.template Enum<TComboBoxStyle>("Style", {"csDropDown", "csSimple", "csDropDownList"}, &TComboBox::Style,
                                    &TComboBox::SetStyle);
    c.Class("Items", &TComboBox::Items);
    c.Integer("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex);
    c.Boolean("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted);
    c.Integer("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount);
    c.String("Text", &TComboBox::Text, &TComboBox::SetText);
    c.template Event<TNotifyEvent>("OnChange", &TComboBox::OnChange);
    c.template Event<TNotifyEvent>("OnDropDown", &TComboBox::OnDropDown);
    PublishCommon<TComboBox>(c);
  });
  return cls;
}

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), items_(new TListControlItems(this, kComboBoxMessages)) {
  width_ = 145;
  height_ = 21;
  color_ = clWindow;
  SetTabStop(true);
}

TCustomComboBox::~TCustomComboBox() { delete items_; }

void TCustomComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, "COMBOBOX");
  p.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL;
  p.Style |= style_ == csDropDownList ? CBS_DROPDOWNLIST : style_ == csSimple ? CBS_SIMPLE : CBS_DROPDOWN;
  if (sorted_) p.Style |= CBS_SORT;
  // The window's height includes its dropped list; the control keeps the
  // height the system gives the closed box.
  if (style_ != csSimple) p.Height = height_ + std::max(dropDownCount_, 1) * dropLineHeight_ + 4;
}

void TCustomComboBox::ChangeScale(int m, int d) {
  TWinControl::ChangeScale(m, d);
  if (m <= 0 || d <= 0 || m == d) return;
  dropLineHeight_ = MulDiv(dropLineHeight_, m, d);
}

void TCustomComboBox::CreateWnd() {
  TWinControl::CreateWnd();
  items_->WindowCreated();
  if (ItemIndex() < 0 && style_ != csDropDownList) SetWindowTextA(Handle(), text_.c_str());
}

void TCustomComboBox::DestroyWnd() {
  if (HandleAllocated()) items_->WindowDestroying();
  TWinControl::DestroyWnd();
}

void TCustomComboBox::SetItemIndex(int index) {
  items_->SetItemIndex(index);
  if (index >= 0 && index < items_->Count()) text_ = items_->Get(index);
}

bool TCustomComboBox::DroppedDown() const {
  return HandleAllocated() && SendMessageA(const_cast<TCustomComboBox*>(this)->Handle(), CB_GETDROPPEDSTATE, 0, 0);
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
  SetAndRecreate(style_, v);
}

void TCustomComboBox::SetSorted(bool v) {
  SetAndRecreate(sorted_, v);
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      switch (m.WParamHi()) {
        case CBN_SELCHANGE: {
          int i = ItemIndex();
          if (i >= 0) text_ = items_->Get(i);
          Click();
          Change();
          break;
        }
        case CBN_EDITCHANGE: {
          char buf[1024] = "";
          GetWindowTextA(Handle(), buf, sizeof buf);
          text_ = buf;
          Change();
          break;
        }
        case CBN_DROPDOWN:
          if (OnDropDown) OnDropDown(this);
          break;
        default: break;
      }
      return;
    case WM_GETDLGCODE:
      // A dropped list keeps Enter and Esc for itself.
      TWinControl::WndProc(m);
      if (DroppedDown()) m.Result |= DLGC_WANTALLKEYS;
      return;
    default: break;
  }
  TWinControl::WndProc(m);
}
