#include "gl/panel_engine.h"

#include <float.h>

#include <algorithm>
#include <cctype>
#include <exception>

#include "gl/driver_list.h"
#include "gl/sgl.h"
#include "gl/sgl_trace.h"
#include "toolkit/sysutils.h"

const char* const kSglSubclassProp = "ScrGLSubclass";
const char* const kSglOldWndProcProp = "ScrGLOldWndProc";

namespace {

// The context current on this thread, as far as the panels know: several
// panels (a running saver and the options dialog's preview) share the thread.
HGLRC gCurrentContext = nullptr;

std::string UpperFilePart(const std::string& path) {
  const auto slash = path.find_last_of("\\/:");
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  std::transform(file.begin(), file.end(), file.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return file;
}

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n && text ? std::string(text, n) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  // A code the system has no text for is still worth naming.
  return message.empty() ? "error " + std::to_string(code) : message;
}

void MakeCurrent(HDC dc, HGLRC context) {
  if (gCurrentContext == context) return;
  if (sglMakeCurrent(dc, context)) gCurrentContext = context;
}

// The layer holds one driver for the process. Panels that name the library
// already loaded share it (a running saver and the options dialog's preview);
// the last one to let it go unloads it. A panel that names another library
// replaces it for everyone: each load starts a new generation, and the shares
// of the old one are void.
struct SharedDriver {
  HMODULE module = nullptr;
  int holders = 0;
  unsigned generation = 0;
};
SharedDriver gShared;

bool SharedDriverLoaded() { return gShared.module && sglDriverHandle() == gShared.module; }

// Whether `name` stands for the driver loaded now: a name with a folder for
// that very file, a bare name for the file the search finds (not merely a
// loaded module of that name from another folder).
bool NamesSharedDriver(const std::string& name) {
  if (!SharedDriverLoaded() || GetModuleHandleA(name.c_str()) != gShared.module) return false;
  char loaded[MAX_PATH] = {}, file[MAX_PATH] = {};
  if (!GetModuleFileNameA(gShared.module, loaded, MAX_PATH)) return false;
  char* filePart = nullptr;
  const bool found = name.find_first_of("\\/:") != std::string::npos
                         ? GetFullPathNameA(name.c_str(), MAX_PATH, file, &filePart) > 0
                         : SearchPathA(nullptr, name.c_str(), ".dll", MAX_PATH, file, &filePart) > 0;
  // A bare name the search cannot place (a built-in library) is the loaded one.
  return !found || lstrcmpiA(file, loaded) == 0;
}

}  // namespace

SIZE Sgl3dfxSize(int screenHeight) {
  if (screenHeight < 440) return {512, 384};
  if (screenHeight < 540) return {640, 480};
  if (screenHeight < 680) return {800, 600};
  return {1024, 768};
}

// --- Display mode -------------------------------------------------------------

bool SglDisplayMode::Change(const SglScreenDimensions& mode) {
  DEVMODEA dm{};
  dm.dmSize = sizeof dm;
  if (mode.width != -1) {
    dm.dmPelsWidth = mode.width;
    dm.dmFields |= DM_PELSWIDTH;
  }
  if (mode.height != -1) {
    dm.dmPelsHeight = mode.height;
    dm.dmFields |= DM_PELSHEIGHT;
  }
  if (mode.bpp != -1) {
    dm.dmBitsPerPel = mode.bpp;
    dm.dmFields |= DM_BITSPERPEL;
  }
  if (ChangeDisplaySettingsA(&dm, CDS_TEST) != DISP_CHANGE_SUCCESSFUL) return false;
  if (ChangeDisplaySettingsA(&dm, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return false;
  changed_ = true;
  current_ = mode;
  return true;
}

void SglDisplayMode::Reset() {
  if (!changed_) return;
  ChangeDisplaySettingsA(nullptr, 0);
  changed_ = false;
  current_ = SglScreenDimensions();
}

// --- Mouse confinement ---------------------------------------------------------

void SglMouseConfinement::Confine(POINT origin, int w, int h) {
  if (confined_ || w <= 0 || h <= 0) return;
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  if (cx <= 0 || cy <= 0) return;
  origin_ = origin;
  w_ = w;
  h_ = h;
  POINT p;
  if (GetCursorPos(&p)) SetCursorPos(p.x * w / cx + origin.x, p.y * h / cy + origin.y);
  GetClipCursor(&savedClip_);
  const RECT area{origin.x, origin.y, origin.x + w, origin.y + h};
  ClipCursor(&area);
  int mouse[3] = {};
  if (SystemParametersInfoA(SPI_GETMOUSE, 0, mouse, 0)) {
    savedAcceleration_ = mouse[2];
    mouse[2] = mouse[2] * w / cx;
    SystemParametersInfoA(SPI_SETMOUSE, 0, mouse, 0);
  }
  confined_ = true;
}

void SglMouseConfinement::Release() {
  if (!confined_) return;
  int mouse[3] = {};
  if (SystemParametersInfoA(SPI_GETMOUSE, 0, mouse, 0)) {
    mouse[2] = savedAcceleration_;
    SystemParametersInfoA(SPI_SETMOUSE, 0, mouse, 0);
  }
  ClipCursor(&savedClip_);
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  POINT p;
  if (GetCursorPos(&p)) SetCursorPos((p.x - origin_.x) * cx / w_, (p.y - origin_.y) * cy / h_);
  confined_ = false;
}

// --- The engine -------------------------------------------------------------------

SglPanelEngine::SglPanelEngine(SglPanelHost& host) : host_(host) {}

SglPanelEngine::~SglPanelEngine() {
  InvalidateGLHandle();
  if (dc_ && IsWindow(dcWindow_)) ReleaseDC(dcWindow_, dc_);
  dc_ = nullptr;
  ResetScreenMode();
  ReleaseDriver();
}

template <class F>
void SglPanelEngine::Fire(const char* what, F&& event) {
  try {
    event();
  } catch (const std::exception& e) {
    SglTraceError(std::string("Exception in ") + what + ": " + e.what());
  } catch (...) {
    SglTraceError(std::string("Exception in ") + what);
  }
}

bool SglPanelEngine::HoldsDriver() const {
  return driverHandle_ && driverGeneration_ == gShared.generation && SharedDriverLoaded();
}

void SglPanelEngine::AcquireDriver() {
  if (HoldsDriver()) return;
  driverHandle_ = nullptr;
  if (NamesSharedDriver(driver_)) {
    ++gShared.holders;
  } else {
    // Another panel's driver (or none): ours replaces it.
    HMODULE module = sglLoadDriver(driver_);
    gShared = SharedDriver{module, module ? 1 : 0, gShared.generation + 1};
    if (!module) return;
  }
  driverHandle_ = gShared.module;
  driverGeneration_ = gShared.generation;
}

void SglPanelEngine::ReleaseDriver() {
  // A driver another panel has replaced meanwhile is not ours to unload.
  if (HoldsDriver() && --gShared.holders <= 0) {
    sglFreeDriver();
    gShared.module = nullptr;
    gShared.holders = 0;
  }
  driverHandle_ = nullptr;
}

void SglPanelEngine::SetDriver(const std::string& driver) {
  if (UpperFilePart(driver) == UpperFilePart(driver_)) return;
  InvalidateGLHandle();
  ReleaseDriver();
  driver_ = driver;
}

void SglPanelEngine::SetPreference(int& field, int value) {
  if (field == value) return;
  field = value;
  InvalidateGLHandle();
}

void SglPanelEngine::SetScreenDimensions(int width, int height, int bpp) {
  const SglScreenDimensions wanted{width, height, bpp};
  if (wanted == screen_) return;
  screen_ = wanted;
  InvalidateGLHandle();
}

bool SglPanelEngine::SetColor(TColor color) {
  if (color == color_) return false;
  color_ = color;
  if (color != clNone && context_ && HoldsDriver()) {
    MakeCurrent(ContextDC(), context_);
    ClearToColor();
  }
  return true;
}

void SglPanelEngine::ClearToColor() {
  const COLORREF rgb = ColorToRGB(color_);
  sglClearColor(GetRValue(rgb) / 255.0f, GetGValue(rgb) / 255.0f, GetBValue(rgb) / 255.0f, 0.0f);
}

void SglPanelEngine::InvalidateGLHandle() {
  failed_ = false;
  if (context_) {
    // A context of a driver another panel has replaced went with that
    // library: it is forgotten, never handed to the new one's entries.
    const bool ours = HoldsDriver();
    if (gCurrentContext == context_) {
      if (ours) sglMakeCurrent(nullptr, nullptr);
      gCurrentContext = nullptr;
    }
    if (ours) sglDeleteContext(context_);
    context_ = nullptr;
  }
  presenter_.reset();  // its window goes after the context drawn on it
  ExitMode();
}

void SglPanelEngine::GLError(const std::string& text) {
  SglTraceError(text);
  Fire("OnGLError", [&] { host_.DoGLError(text); });
}

void SglPanelEngine::GLHandleNeeded() {
  // Our share of the driver is void (another panel loaded another one):
  // so is our context; a new one is made through the driver of now.
  if (context_ && !HoldsDriver()) InvalidateGLHandle();
  if (failed_ || context_) return;
  BuildContext();
}

void SglPanelEngine::BuildContext() {
  HWND window = WindowWithDC();
  if (!window) return;

  _controlfp(_MCW_EM, _MCW_EM);
  SetEnvironmentVariableA("FX_GLIDE_NO_SPLASH", "1");
  FitDisplayToDriver();

  SglTrace("About to load library");
  // If another panel replaced our driver, load it again rather than draw
  // through someone else's table.
  AcquireDriver();
  if (!driverHandle_) {
    failed_ = true;
    GLError("Error loading library " + driver_);
    return;
  }
  SglTrace("Loaded library");
  ChoosePresenter(window);
  if (!CreateContext(ContextDC())) return;

  if (color_ != clNone) ClearToColor();
  savedOrigin_ = ClientOrigin();
  SglTrace("Entering mode...");
  EnterMode();
  SglTrace("Entered mode. Initing...");
  Fire("OnGLInit", [&] { host_.DoGLInit(); });
  SglTrace("Done init");
}

HWND SglPanelEngine::WindowWithDC() {
  if (recreateWindow_) {
    // A window keeps the pixel format it was given: a new format needs a new window.
    host_.RecreateGLWindow();
    recreateWindow_ = false;
    if (dc_ && IsWindow(dcWindow_)) ReleaseDC(dcWindow_, dc_);
    dc_ = nullptr;
  }
  HWND window = host_.GLWindow();
  if (!window) return nullptr;
  if (!dc_) {
    dc_ = GetDC(window);
    dcWindow_ = window;
  }
  return dc_ ? window : nullptr;
}

void SglPanelEngine::FitDisplayToDriver() {
  if (TSglDriverDetails::Read(driver_).is3dfx) {
    if (resized3dfx_) return;
    savedWidth_ = host_.PanelWidth();
    savedHeight_ = host_.PanelHeight();
    const SIZE size = Sgl3dfxSize(screen_.height);
    host_.ApplySizeFor3dfx(size.cx, size.cy);
    resized3dfx_ = true;
    if (size.cx != savedWidth_ || size.cy != savedHeight_) Fire("OnResize", [&] { host_.DoResize(); });
  } else if (screen_ != mode_.Current()) {
    SglTrace("About to change screen mode");
    if (screen_.Normal())
      ResetScreenMode();
    else
      ChangeScreenMode();
    SglTrace("Changed screen mode");
  }
}

// Hosts such as Wine show no OpenGL drawn into a child window: there the
// context lives on a hidden window and each frame is painted into the
// child. A 3dfx card shows its frames on its own output, not in the window.
void SglPanelEngine::ChoosePresenter(HWND window) {
  presenter_.reset();
  if (!HostIsWine() || sglDriverIs3dfx() || !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) return;
  presenter_ = std::make_unique<SglOffscreenPresenter>(window, dc_);
  if (presenter_->DC())
    SglTrace("Host does not show OpenGL in child windows: drawing on a hidden window, shown through GDI");
  else
    presenter_.reset();
}

bool SglPanelEngine::CreateContext(HDC dc) {
  auto fail = [&](const std::string& text) {
    failed_ = true;
    presenter_.reset();
    GLError(text);
    return false;
  };
  SglTrace("Choosing pixel format");
  int bpp = screen_.bpp, depth = depth_, dbl = dbl_, acc = acc_;
  int format = sglBestPixelFormat(dc, &bpp, &depth, &dbl, &acc);
  Fire("OnGLPixelFormat", [&] { host_.DoGLPixelFormat(dc, format, bpp, depth, dbl, acc); });
  if (format == 0) return fail("ChoosePixelFormat failed");

  SglTrace("Got pixel format; setting it...");
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  sglDescribePixelFormat(dc, format, sizeof pfd, &pfd);
  if (!sglSetPixelFormat(dc, format, &pfd)) return fail("SetPixelFormat failed");
  // The panel's window keeps a format it was given: a new one needs a new
  // window. A hidden window goes with its context anyway.
  if (!presenter_) recreateWindow_ = true;

  SglTrace("Set pixel format; creating context...");
  SetLastError(0);
  context_ = sglCreateContext(dc);
  if (!context_) return fail("Error creating context: " + SystemMessage(GetLastError()));
  SglTrace("Created context. Making it current...");
  gCurrentContext = nullptr;
  MakeCurrent(dc, context_);
  SglTrace("Made it current");
  return true;
}

void SglPanelEngine::ChangeScreenMode() {
  if (!host_.FormWindow()) return;
  if (!mode_.Change(screen_)) return;
  // The mode is the primary monitor's; the form covers every monitor again,
  // the primary one at its new size.
  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int cx = GetSystemMetrics(SM_CXVIRTUALSCREEN), cy = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (cx > 0 && cy > 0)
    host_.SetFormBounds(RECT{x, y, x + cx, y + cy});
  else
    host_.SetFormBounds(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

void SglPanelEngine::ResetScreenMode() { mode_.Reset(); }

BOOL SglPanelEngine::SwapBuffers() {
  if (!dc_ || !context_ || !HoldsDriver()) return FALSE;
  MakeCurrent(ContextDC(), context_);
  if (presenter_) presenter_->Present();
  return sglSwapBuffers(ContextDC());
}

POINT SglPanelEngine::ClientOrigin() {
  POINT origin{0, 0};
  if (HWND window = host_.GLWindow()) ClientToScreen(window, &origin);
  return origin;
}

// --- Mode hooking -------------------------------------------------------------------

void SglPanelEngine::EnterMode() {
  if (hooked_) return;
  HWND window = host_.FormWindow();
  if (!window) window = host_.GLWindow();
  if (!window || GetPropA(window, kSglSubclassProp)) return;
  SetPropA(window, kSglSubclassProp, this);
  if (!GetPropA(window, kSglOldWndProcProp)) {
    const LONG_PTR old =
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SglHookWndProc));
    SetPropA(window, kSglOldWndProcProp, reinterpret_cast<HANDLE>(old));
  }
  hooked_ = window;
  if (sglDriverIs3dfx()) ClipMouse();
}

void SglPanelEngine::ExitMode() {
  mouse_.Release();
  if (resized3dfx_) {
    resized3dfx_ = false;
    host_.RestoreSizeFor3dfx();
  }
  if (hooked_ && IsWindow(hooked_) && GetPropA(hooked_, kSglSubclassProp) == this) {
    const bool installed = GetWindowLongPtrA(hooked_, GWLP_WNDPROC) ==
                           reinterpret_cast<LONG_PTR>(&SglHookWndProc);
    if (installed)
      SetWindowLongPtrA(hooked_, GWLP_WNDPROC,
                        reinterpret_cast<LONG_PTR>(GetPropA(hooked_, kSglOldWndProcProp)));
    RemovePropA(hooked_, kSglSubclassProp);
    if (installed) RemovePropA(hooked_, kSglOldWndProcProp);
  }
  hooked_ = nullptr;
}

void SglPanelEngine::ClipMouse() {
  // The confinement scales by the size the panel had before it was shrunk
  // for the card; a panel that was not shrunk has none and is left alone.
  if (resized3dfx_) mouse_.Confine(ClientOrigin(), savedWidth_, savedHeight_);
}

void SglPanelEngine::HookMessage(UINT msg, WPARAM wParam) {
  if (msg == WM_ACTIVATE) {
    if (sglDriverIs3dfx()) {
      if (LOWORD(wParam))
        ClipMouse();
      else
        mouse_.Release();
    }
  } else if (host_.IsReleaseMessage(msg)) {
    ResetScreenMode();
  } else if (msg == WM_SIZE) {
    CheckIfMoved();
  }
}

LRESULT CALLBACK SglHookWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* engine = static_cast<SglPanelEngine*>(GetPropA(window, kSglSubclassProp));
  const auto old = reinterpret_cast<WNDPROC>(GetPropA(window, kSglOldWndProcProp));
  if (engine) {
    try {
      engine->HookMessage(msg, wParam);
    } catch (...) {
      SglTraceError("Exception in the form's window hook");
    }
  }
  if (old && old != &SglHookWndProc) return CallWindowProcA(old, window, msg, wParam, lParam);
  return DefWindowProcA(window, msg, wParam, lParam);
}

// --- Window messages -------------------------------------------------------------

void SglPanelEngine::SetViewport() {
  if (!HoldsDriver()) return;
  MakeCurrent(ContextDC(), context_);
  sglViewport(0, 0, host_.PanelWidth(), host_.PanelHeight());
}

void SglPanelEngine::CheckIfMoved() {
  if (!context_) return;
  const POINT origin = ClientOrigin();
  if (origin.x == savedOrigin_.x && origin.y == savedOrigin_.y) return;
  SglTrace("The window has moved!");
  savedOrigin_ = origin;
  SetViewport();
  Fire("OnResize", [&] { host_.DoResize(); });
}

void SglPanelEngine::WindowDestroyed() {
  InvalidateGLHandle();
  if (dc_ && IsWindow(dcWindow_)) ReleaseDC(dcWindow_, dc_);
  dc_ = nullptr;
  dcWindow_ = nullptr;
  ResetScreenMode();
}

void SglPanelEngine::Paint() {
  CheckIfMoved();
  GLHandleNeeded();
  if (HWND window = host_.GLWindow()) {
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    EndPaint(window, &ps);
  }
  if (!context_) return;
  MakeCurrent(ContextDC(), context_);
  if (color_ != clNone) sglClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  Fire("OnGLPaint", [&] { host_.DoGLPaint(); });
}

bool SglPanelEngine::WindowMessage(UINT msg, WPARAM /*wParam*/, LPARAM lParam) {
  switch (msg) {
    case WM_DESTROY:
      WindowDestroyed();
      return false;
    case WM_SIZE:
      if (!context_ || !HoldsDriver()) return true;
      savedOrigin_ = ClientOrigin();
      if (presenter_) presenter_->FollowSize();
      MakeCurrent(ContextDC(), context_);
      sglViewport(0, 0, LOWORD(lParam), HIWORD(lParam));
      Fire("OnResize", [&] { host_.DoResize(); });
      return false;
    case WM_ERASEBKGND:
      return true;
    case WM_PAINT:
      Paint();
      return false;
    default:
      return false;
  }
}
