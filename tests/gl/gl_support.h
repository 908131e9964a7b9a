#pragma once
// Shared by the OpenGL layer's tests: the stand-in drivers, and windows with
// their own device context to draw into.
#include <windows.h>

#include <string>
#include <vector>

namespace gl_testing {

// The stand-in driver `variant` built next to the tests ("stub_basic" ...).
std::string StubDriver(const std::string& variant);
// Copies `from` to `to`, creating the folders on the way; returns `to`.
std::string CopyTo(const std::string& from, const std::string& to);
// Whether a library with this path is loaded in the process.
bool IsLoaded(const std::string& path);
// Polls until the library at `path` is no longer loaded, at most `ms`.
bool WaitUnloaded(const std::string& path, DWORD ms);

// A window of a CS_OWNDC class, with its DC; top-level unless given a parent.
class GLWindow {
 public:
  GLWindow(int x, int y, int width, int height, HWND parent = nullptr);
  ~GLWindow();
  GLWindow(const GLWindow&) = delete;
  GLWindow& operator=(const GLWindow&) = delete;
  HWND handle() const { return wnd_; }
  HDC dc() const { return dc_; }

 private:
  HWND wnd_ = nullptr;
  HDC dc_ = nullptr;
};

// A context of the layer's loaded driver on a window, made current while it lives.
class GLContext {
 public:
  explicit GLContext(HDC dc);
  ~GLContext();
  GLContext(const GLContext&) = delete;
  GLContext& operator=(const GLContext&) = delete;
  bool ok() const { return rc_ != nullptr; }
  int format() const { return format_; }

 private:
  HGLRC rc_ = nullptr;
  int format_ = 0;
};

// The OpenGL layer's trace, caught while a capture lives.
class SglTraceCapture {
 public:
  SglTraceCapture();   // hooks the layer's trace, starting empty
  ~SglTraceCapture();  // unhooks it
  SglTraceCapture(const SglTraceCapture&) = delete;
  SglTraceCapture& operator=(const SglTraceCapture&) = delete;
  // Whether a progress line ends with `message`.
  static bool Traced(const std::string& message);
  static const std::vector<std::string>& Errors();
  static void Clear();
};

// A pixel format description with its size and version set.
inline PIXELFORMATDESCRIPTOR Format(DWORD flags = 0, int colorBits = 0, int depthBits = 0, BYTE type = PFD_TYPE_RGBA) {
  PIXELFORMATDESCRIPTOR pfd{};
  pfd.nSize = sizeof pfd;
  pfd.nVersion = 1;
  pfd.dwFlags = flags;
  pfd.iPixelType = type;
  pfd.cColorBits = static_cast<BYTE>(colorBits);
  pfd.cDepthBits = static_cast<BYTE>(depthBits);
  return pfd;
}

// One pixel of the back buffer through the layer's glReadPixels, as 0xRRGGBB.
unsigned ReadPixel(int x, int y);

}  // namespace gl_testing
