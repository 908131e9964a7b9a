#include "values/screenmode.h"

#include <windows.h>

#include "values/registry.h"

TScrDisplayModesProc ScrDisplayModesProc = &ScrEnumDisplayModes;
TScrDesktopModeProc ScrDesktopModeProc = &ScrCurrentDesktopMode;

std::vector<TScrModeEntry> ScrEnumDisplayModes() {
  std::vector<TScrModeEntry> modes;
  // A driver that never says "no more" still ends the list.
  constexpr DWORD kMostModes = 4096;
  for (DWORD i = 0; i < kMostModes; ++i) {
    DEVMODEA dm{};
    dm.dmSize = sizeof dm;
    if (!EnumDisplaySettingsA(nullptr, i, &dm)) break;
    modes.push_back({static_cast<std::int32_t>(dm.dmPelsWidth), static_cast<std::int32_t>(dm.dmPelsHeight),
                     static_cast<std::int32_t>(dm.dmBitsPerPel)});
  }
  return modes;
}

TScrDesktopMode ScrCurrentDesktopMode() {
  TScrDesktopMode d{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 0};
  if (HDC dc = GetDC(nullptr)) {
    d.bpp = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
  }
  return d;
}

const TMetaClass& TScrVScreenMode::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVScreenMode>(
      "TScrVScreenMode", &TScrValue::StaticClass(), [](TClassBuilder<TScrVScreenMode>& b) {
        b.Integer("DefWidth", &TScrVScreenMode::DefWidth, &TScrVScreenMode::SetDefWidth);
        b.Integer("DefHeight", &TScrVScreenMode::DefHeight, &TScrVScreenMode::SetDefHeight);
        b.Integer("DefBpp", &TScrVScreenMode::DefBpp, &TScrVScreenMode::SetDefBpp);
        b.Boolean("IgnoreBpp", &TScrVScreenMode::IgnoreBpp, &TScrVScreenMode::SetIgnoreBpp);
        b.Boolean("For3dfx", &TScrVScreenMode::For3dfx, &TScrVScreenMode::SetFor3dfx);
        b.String("RegistryPath", &TScrVScreenMode::RegistryPathTemplate, &TScrVScreenMode::SetRegistryPath);
      });
  return cls;
}

const std::vector<TScrModeEntry>& TScrVScreenMode::GetModeList() {
  if (!modes_) {
    std::vector<TScrModeEntry> display;
    if (!for3dfx_ && ScrDisplayModesProc) display = ScrDisplayModesProc();
    modes_ = std::make_unique<std::vector<TScrModeEntry>>(BuildScrModeList(display, ignoreBpp_, for3dfx_));
  }
  return *modes_;
}

const TScrModeEntry& TScrVScreenMode::GetModes(int i) {
  const std::vector<TScrModeEntry>& list = GetModeList();
  if (i < 0 || i >= static_cast<int>(list.size()))
    throw EListError("List index out of bounds (" + std::to_string(i) + ")");
  return list[i];
}

int TScrVScreenMode::GetIndex() {
  ValueNeeded();
  return index_;
}

void TScrVScreenMode::SetIndexLightly(int i) {
  if (i == index_ || i < 0 || i >= GetCount()) return;
  index_ = i;
  Changed(vnChange);
}

void TScrVScreenMode::SetIndex(int i) {
  if (i < 0 || i >= GetCount()) return;
  const TScrModeEntry& e = GetModes(i);
  reqWidth_ = e.width;
  reqHeight_ = e.height;
  reqBpp_ = e.bpp;
  SetIndexLightly(i);
}

std::string TScrVScreenMode::StringFromIndex(int i) { return ScrModeText(GetModes(i), ignoreBpp_, for3dfx_); }

int TScrVScreenMode::IndexFromDimensions(std::int32_t width, std::int32_t height, std::int32_t bpp) {
  const TScrDesktopMode desktop = ScrDesktopModeProc ? ScrDesktopModeProc() : TScrDesktopMode{640, 480, 8};
  return BestScrModeIndex(GetModeList(), width, height, bpp, ignoreBpp_, for3dfx_, desktop);
}

void TScrVScreenMode::SetDimensions(std::int32_t width, std::int32_t height, std::int32_t bpp) {
  reqWidth_ = width;
  reqHeight_ = height;
  reqBpp_ = bpp;
  SetIndexLightly(IndexFromDimensions(width, height, bpp));
}

void TScrVScreenMode::SetWidth(std::int32_t width) {
  if (width != reqWidth_) SetDimensions(width, reqHeight_, reqBpp_);
}
void TScrVScreenMode::SetHeight(std::int32_t height) {
  if (height != reqHeight_) SetDimensions(reqWidth_, height, reqBpp_);
}
void TScrVScreenMode::SetBpp(std::int32_t bpp) {
  if (bpp != reqBpp_) SetDimensions(reqWidth_, reqHeight_, bpp);
}

void TScrVScreenMode::SetDefWidth(std::int32_t w) {
  defWidth_ = w;
  if (IsDesigning()) SetWidth(w);
}
void TScrVScreenMode::SetDefHeight(std::int32_t h) {
  defHeight_ = h;
  if (IsDesigning()) SetHeight(h);
}
void TScrVScreenMode::SetDefBpp(std::int32_t b) {
  defBpp_ = b;
  if (IsDesigning()) SetBpp(b);
}

void TScrVScreenMode::SwitchList(bool& flag, bool value) {
  SetUpdating(true);
  try {
    DiscardModeList();
    if (IsLoaded()) {
      index_ = -1;
      flag = value;
      SetIndexLightly(IndexFromDimensions(reqWidth_, reqHeight_, reqBpp_));
    } else {
      flag = value;
    }
    Changed(vnRange);
  } catch (...) {
    SetUpdating(false);
    throw;
  }
  SetUpdating(false);
}

void TScrVScreenMode::SetIgnoreBpp(bool ignore) {
  if (ignore != ignoreBpp_) SwitchList(ignoreBpp_, ignore);
}

void TScrVScreenMode::SetFor3dfx(bool for3dfx) {
  if (for3dfx != for3dfx_) SwitchList(for3dfx_, for3dfx);
}

void TScrVScreenMode::LoadFromRegistry() {
  LoadFrame([this] {
    reqWidth_ = defWidth_;
    reqHeight_ = defHeight_;
    reqBpp_ = defBpp_;
    std::string text;
    if (scrreg::ReadText(GetRegistryPath(), text)) {
      if (auto asked = ParseScrModeText(text)) {
        reqWidth_ = asked->width;
        reqHeight_ = asked->height;
        reqBpp_ = asked->bpp;
      }
    }
    index_ = IndexFromDimensions(reqWidth_, reqHeight_, reqBpp_);
  });
}

void TScrVScreenMode::SaveToRegistry() {
  ValueNeeded();
  scrreg::WriteText(GetRegistryPath(), StringFromIndex(GetIndex()));
}
