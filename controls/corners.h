#pragma once
// The hot-corner picture of the options dialog: a monitor (TScrMonitor)
// whose screen area holds the corners control (TScrCorners), four icons in
// the corners of the screen; a click on one opens a menu of what moving the
// pointer there does. The choice is kept as a four-character string, one
// character per corner: 'Y' starts the saver now, 'N' never, '-' default.
#include <string>

#include "controls/viewer.h"
#include "toolkit/extctrls.h"
#include "toolkit/menus.h"
#include "values/typed.h"

enum TCornerAction { caDefault, caNever, caNow };

// Corner numbers: 0 top left, 1 top right, 2 bottom right, 3 bottom left.
class TNotifyCorners : public TCustomControl {
  TK_CLASS(TNotifyCorners)
  explicit TNotifyCorners(TComponent* owner);
  ~TNotifyCorners() override;

  virtual void RestorePicture(TPicture* picture);
  // caDefault outside 0..3.
  virtual TCornerAction GetCorner(int i);
  // Ignored outside 0..3; a change repaints and reports (unless updating).
  virtual void SetCorner(int i, TCornerAction action);
  virtual TCornerAction CornerActionFromChar(char c);
  virtual char CharFromCornerAction(TCornerAction action);
  // The first four characters (padded with '-'), reported at most once.
  virtual void SetCornersFromString(const std::string& s);
  virtual std::string GetStringFromCorners();
  virtual bool AreHotServicesRunning();
  // Fires OnCornerChange.
  virtual void Changed();
  // Nests: changes made while updating report once at the end.
  virtual void SetUpdating(bool updating);

  // Where corner i's icon sits, in client pixels.
  RECT GetCornerRect(int i);
  // A menu item was chosen for the corner clicked last.
  void CornerClick(TObject* sender);

  TCornerAction GetTopLeft() { return GetCorner(0); }
  void SetTopLeft(TCornerAction a) { SetCorner(0, a); }
  TCornerAction GetTopRight() { return GetCorner(1); }
  void SetTopRight(TCornerAction a) { SetCorner(1, a); }
  TCornerAction GetBotRight() { return GetCorner(2); }
  void SetBotRight(TCornerAction a) { SetCorner(2, a); }
  TCornerAction GetBotLeft() { return GetCorner(3); }
  void SetBotLeft(TCornerAction a) { SetCorner(3, a); }

  TPicture* Picture() const { return picture_; }
  void SetPicture(TPicture* picture) { RestorePicture(picture); }
  void SetColor(TColor color);
  // The menu a click opens (items "Now", "Never", "Default").
  TPopupMenu* CornerMenu() const { return menu_; }
  // The corner the keyboard is on: a tab stop, the arrow keys move between
  // the corners, Space, Enter or the context-menu key open its menu.
  int FocusedCorner() const { return focusedCorner_; }
  // The cells scale with the form, a Picture's cells as well as the resource's.
  void ChangeScale(int m, int d) override;
  void WndProc(TMessage& message) override;

  TNotifyEvent OnCornerChange;

 protected:
  void Paint() override;

 private:
  HBITMAP Source();
  void ShowMenuAt(int x, int y);
  void ShowMenuFor(int corner, POINT at);
  // A key the corners use; false for the dialog's keys.
  bool CornerKey(WPARAM key);

  std::string corners_ = "----";
  TPicture* picture_;
  int updating_ = 0;
  bool changePending_ = false;
  int clicked_ = -1;
  int focusedCorner_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // false once destroyed
  TPopupMenu* menu_;
  HBITMAP resource_ = nullptr;
  bool resourceTried_ = false;
  int scaleM_ = 1, scaleD_ = 1;
};

class TScrCorners;

class TScrCornersController : public TScrSingleViewerController<TScrCorners> {
  TK_CLASS(TScrCornersController)
  explicit TScrCornersController(TComponent* owner) : TScrSingleViewerController<TScrCorners>(owner, ChangeOnly()) {}
  virtual std::string GetCornersString() = 0;
  virtual void SetCornersString(const std::string& s) = 0;
  // Is a hot-corner service there? Asked once, then remembered.
  virtual bool AreHotServicesRunning();
  // Forgets the answer: the next use (the viewer's repaint) asks again.
  void Recheck();

 private:
  bool hots_ = false;
  bool checked_ = false;
};

class TScrCorners : public TScrViewer<TNotifyCorners, TScrCornersController, TScrCorners> {
  TK_CLASS(TScrCorners)
  explicit TScrCorners(TComponent* owner) : TScrViewer(owner, ChangeOnly()) {}
  // The controller's answer; true without one.
  bool AreHotServicesRunning() override;
  void Changed() override;
  void ValueChanged(TValueNotifications ns);
  void Blank() {}  // keeps its corners
};

// The corners as a text value (the system corners setting is one).
class TScrCornersStringController : public TScrTypedController<TScrCornersController, TScrVCustomString> {
  TK_CLASS(TScrCornersStringController)
  explicit TScrCornersStringController(TComponent* owner) : TScrTypedController(owner) {}
  std::string GetCornersString() override;
  void SetCornersString(const std::string& s) override;
};

// A picture of a monitor; its screen area is a panel that holds the
// monitor's child controls. The Inside figures are the screen area's
// margins in picture pixels; they scale with the monitor's size.
class TScrMonitor : public TCustomControl {
  TK_CLASS(TScrMonitor)
  explicit TScrMonitor(TComponent* owner);
  ~TScrMonitor() override;

  int InsideLeft() const { return insideLeft_; }
  void SetInsideLeft(int v);
  int InsideTop() const { return insideTop_; }
  void SetInsideTop(int v);
  int InsideRight() const { return insideRight_; }
  void SetInsideRight(int v);
  int InsideBottom() const { return insideBottom_; }
  void SetInsideBottom(int v);
  TColor InsideColor() const;
  void SetInsideColor(TColor color);
  TPicture* Picture() const { return picture_; }
  // The screen area.
  TPanel* Inside() const { return inside_; }

  void AdjustInsides();
  // The picture's natural size, at the same position.
  void RestoreSize();
  void RestoreMonitor(TPicture* picture);

  void SetBounds(int left, int top, int width, int height) override;
  // Controls put into the monitor go into the screen area.
  void InsertControl(TControl* control) override;
  // Children read from a form go into the screen area.
  TComponent* GetChildParent() override { return inside_; }
  TComponent* GetChildOwner() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;

 private:
  HBITMAP Source();
  // The picture's size: W by H.
  SIZE PictureSize() const;

  int insideLeft_ = 16, insideTop_ = 17, insideRight_ = 15, insideBottom_ = 40;
  TPicture* picture_;
  TPanel* inside_;
  HBITMAP resource_ = nullptr;
  bool resourceTried_ = false;
};
