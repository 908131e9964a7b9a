#pragma once
// The screen-mode setting: "normal" (keep the desktop's mode) or one of the
// modes the display offers, or one of the fixed 3dfx modes. The choice is an
// index into the offered list; the dimensions asked for are remembered so a
// rebuilt list chooses again; the registry holds the chosen entry's text.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "values/screenmode_list.h"
#include "values/value.h"

// Where the offered modes come from. Tests give lists directly; the
// defaults ask the system.
using TScrDisplayModesProc = std::vector<TScrModeEntry> (*)();
using TScrDesktopModeProc = TScrDesktopMode (*)();
extern TScrDisplayModesProc ScrDisplayModesProc;
extern TScrDesktopModeProc ScrDesktopModeProc;
// The default display's modes in the order EnumDisplaySettings numbers them.
std::vector<TScrModeEntry> ScrEnumDisplayModes();
// The screen's width, height and bits per pixel now.
TScrDesktopMode ScrCurrentDesktopMode();

class TScrVScreenMode : public TScrValue {
  TK_CLASS(TScrVScreenMode)
  explicit TScrVScreenMode(TComponent* owner) : TScrValue(owner) {}

  void LoadFromRegistry() override;
  void SaveToRegistry() override;

  // The offered list, built on first use.
  const std::vector<TScrModeEntry>& GetModeList();
  int GetCount() { return static_cast<int>(GetModeList().size()); }
  // Entry i; EListError outside the list.
  const TScrModeEntry& GetModes(int i);
  void DiscardModeList() { modes_.reset(); }

  int GetIndex();
  // Chooses entry i and asks for its dimensions. An index outside the list
  // changes nothing.
  void SetIndex(int i);
  // Chooses entry i, leaving the dimensions asked for alone.
  void SetIndexLightly(int i);
  // The chosen entry's width and height (-1 for "normal") and its text.
  std::int32_t GetWidth() { return GetModes(GetIndex()).width; }
  std::int32_t GetHeight() { return GetModes(GetIndex()).height; }
  std::string GetCaption() { return StringFromIndex(GetIndex()); }
  // The stored text of entry i: "normal", "640x480" or "640x480x16".
  std::string StringFromIndex(int i);
  // The entry nearest to the request; -1 parts stand for the desktop's.
  int IndexFromDimensions(std::int32_t width, std::int32_t height, std::int32_t bpp);

  // Ask for dimensions and choose the nearest entry.
  void SetDimensions(std::int32_t width, std::int32_t height, std::int32_t bpp);
  void SetWidth(std::int32_t width);
  void SetHeight(std::int32_t height);
  void SetBpp(std::int32_t bpp);
  std::int32_t RequestedWidth() const { return reqWidth_; }
  std::int32_t RequestedHeight() const { return reqHeight_; }
  std::int32_t RequestedBpp() const { return reqBpp_; }

  // Switching lists: both notify vnRange, and vnChange with it once loaded.
  bool IgnoreBpp() const { return ignoreBpp_; }
  void SetIgnoreBpp(bool ignore);
  bool For3dfx() const { return for3dfx_; }
  void SetFor3dfx(bool for3dfx);

  std::int32_t DefWidth() const { return defWidth_; }
  std::int32_t DefHeight() const { return defHeight_; }
  std::int32_t DefBpp() const { return defBpp_; }
  void SetDefWidth(std::int32_t w);
  void SetDefHeight(std::int32_t h);
  void SetDefBpp(std::int32_t b);

 private:
  void SwitchList(bool& flag, bool value);

  std::unique_ptr<std::vector<TScrModeEntry>> modes_;
  std::int32_t defWidth_ = -1, defHeight_ = -1, defBpp_ = -1;
  int index_ = 0;
  bool ignoreBpp_ = true;
  bool for3dfx_ = false;
  std::int32_t reqWidth_ = 0, reqHeight_ = 0, reqBpp_ = 0;
};
