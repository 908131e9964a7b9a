#include "tests/gl/gl_support.h"

#include <stdexcept>

#include "gl/sgl.h"
#include "gl/sgl_trace.h"
#include "tests/support/win32_support.h"

namespace gl_testing {

std::string StubDriver(const std::string& variant) {
  return testing_support::ProgramDir() + "\\drivers\\" + variant + ".dll";
}

std::string CopyTo(const std::string& from, const std::string& to) {
  for (size_t at = to.find('\\', 3); at != std::string::npos; at = to.find('\\', at + 1))
    CreateDirectoryA(to.substr(0, at).c_str(), nullptr);
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) throw std::runtime_error("cannot copy to " + to);
  return to;
}

bool IsLoaded(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

bool WaitUnloaded(const std::string& path, DWORD ms) {
  const DWORD start = GetTickCount();
  while (IsLoaded(path)) {
    if (GetTickCount() - start > ms) return false;
    Sleep(20);
  }
  return true;
}

namespace {
const char* OwnDcClass() {
  static const char* const name = [] {
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SpiralisGLTestWindow";
    RegisterClassA(&wc);
    return wc.lpszClassName;
  }();
  return name;
}
}  // namespace

GLWindow::GLWindow(int x, int y, int width, int height, HWND parent) {
  const DWORD style = (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  wnd_ = CreateWindowExA(0, OwnDcClass(), "gl test", style, x, y, width, height, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
  if (!wnd_) throw std::runtime_error("cannot create a GL test window");
  dc_ = GetDC(wnd_);
}

GLWindow::~GLWindow() {
  if (dc_) ReleaseDC(wnd_, dc_);
  DestroyWindow(wnd_);
}

GLContext::GLContext(HDC dc) {
  format_ = sglBestPixelFormat(dc);
  PIXELFORMATDESCRIPTOR pfd = Format();
  if (!format_ || !sglDescribePixelFormat(dc, format_, sizeof pfd, &pfd) ||
      !sglSetPixelFormat(dc, format_, &pfd))
    return;
  rc_ = sglCreateContext(dc);
  if (rc_ && !sglMakeCurrent(dc, rc_)) {
    sglDeleteContext(rc_);
    rc_ = nullptr;
  }
}

GLContext::~GLContext() {
  if (!rc_) return;
  sglMakeCurrent(nullptr, nullptr);
  sglDeleteContext(rc_);
}

unsigned ReadPixel(int x, int y) {
  unsigned char rgba[4] = {};
  sglReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return (unsigned(rgba[0]) << 16) | (unsigned(rgba[1]) << 8) | rgba[2];
}

namespace {
std::vector<std::string> gLines, gErrors;
void CaptureLine(const std::string& text, const void*) { gLines.push_back(text); }
void CaptureError(const std::string& text, const void*) { gErrors.push_back(text); }
}  // namespace

SglTraceCapture::SglTraceCapture() {
  gLines.clear();
  gErrors.clear();
  SglSetTraceHooks(&CaptureLine, &CaptureError, nullptr);
}

SglTraceCapture::~SglTraceCapture() { SglSetTraceHooks(nullptr, nullptr, nullptr); }

bool SglTraceCapture::Traced(const std::string& message) {
  for (const auto& line : gLines)
    if (line.size() >= message.size() && line.compare(line.size() - message.size(), message.size(), message) == 0)
      return true;
  return false;
}

const std::vector<std::string>& SglTraceCapture::Errors() { return gErrors; }

void SglTraceCapture::Clear() {
  gLines.clear();
  gErrors.clear();
}

}  // namespace gl_testing
