#pragma once
// The message record every WndProc receives, and the toolkit's own message
// numbers: component messages (CM_) delivered with Perform, and
// notifications (CN_) reflected from a parent back to the child they concern.
#include <windows.h>

#include <cstdint>

// Sent by systems that tell a window of a change of its monitor's
// resolution (Windows 8.1 and later); the headers show it only to programs
// that require such a system.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;

  WORD WParamLo() const { return LOWORD(WParam); }
  WORD WParamHi() const { return HIWORD(WParam); }
  WORD LParamLo() const { return LOWORD(LParam); }
  WORD LParamHi() const { return HIWORD(LParam); }
};

// Component messages: CM_BASE + n, in this order.
constexpr UINT CM_BASE = 0xB000;
enum : UINT {
  CM_ACTIVATE = CM_BASE,
  CM_DEACTIVATE,
  CM_GOTFOCUS,
  CM_LOSTFOCUS,
  CM_CANCELMODE,
  CM_DIALOGKEY,
  CM_DIALOGCHAR,
  CM_FOCUSCHANGED,
  CM_PARENTFONTCHANGED,
  CM_PARENTCOLORCHANGED,
  CM_HITTEST,
  CM_VISIBLECHANGED,
  CM_ENABLEDCHANGED,
  CM_COLORCHANGED,
  CM_FONTCHANGED,
  CM_CURSORCHANGED,
  CM_CTL3DCHANGED,
  CM_PARENTCTL3DCHANGED,
  CM_TEXTCHANGED,
  CM_MOUSEENTER,
  CM_MOUSELEAVE,
  CM_MENUCHANGED,
  CM_APPKEYDOWN,
  CM_APPSYSCOMMAND,
  CM_BUTTONPRESSED,
  CM_SHOWINGCHANGED,
  CM_ENTER,
  CM_EXIT,
  CM_DESIGNHITTEST,
  CM_ICONCHANGED,
  CM_WANTSPECIALKEY,
  CM_INVOKEHELP,
  CM_WINDOWHOOK,
  CM_RELEASE,
  CM_SHOWHINTCHANGED,
  CM_PARENTSHOWHINTCHANGED,
  CM_SYSCOLORCHANGE,
  CM_WININICHANGE,
  CM_FONTCHANGE,
  CM_TIMECHANGE,
  CM_TABSTOPCHANGED,
  CM_UIACTIVATE,
  CM_UIDEACTIVATE,
  CM_DOCWINDOWACTIVATE,
  CM_CONTROLLISTCHANGE,
  CM_GETDATALINK,
  CM_CHILDKEY,
  CM_DRAG,
  CM_HINTSHOW,
  CM_DIALOGHANDLE,
  CM_ISTOOLCONTROL,
  CM_RECREATEWND,
  CM_INVALIDATE,
  CM_SYSFONTCHANGED,
  CM_CONTROLCHANGE,
  CM_CHANGED,
};
static_assert(CM_CHANGED == 0xB037, "56 component messages");

// Notifications reflected to the child: CN_BASE + the window message.
constexpr UINT CN_BASE = 0xBC00;
enum : UINT {
  CN_DRAWITEM = CN_BASE + WM_DRAWITEM,
  CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM,
  CN_DELETEITEM = CN_BASE + WM_DELETEITEM,
  CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM,
  CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM,
  CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM,
  CN_NOTIFY = CN_BASE + WM_NOTIFY,
  CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
  CN_KEYUP = CN_BASE + WM_KEYUP,
  CN_CHAR = CN_BASE + WM_CHAR,
  CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
  CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
  CN_COMMAND = CN_BASE + WM_COMMAND,
  CN_HSCROLL = CN_BASE + WM_HSCROLL,
  CN_VSCROLL = CN_BASE + WM_VSCROLL,
  CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX,
  CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
  CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX,
  CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
  CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG,
  CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR,
  CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
  CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY,
};
static_assert(CN_COMMAND == 0xBD11 && CN_NOTIFY == 0xBC4E, "notification numbers");

// Modal results.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
