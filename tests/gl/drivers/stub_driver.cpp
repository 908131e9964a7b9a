// A stand-in OpenGL driver for tests: every entry of the layer's list as a
// stub that does nothing, built in variants (see CMakeLists.txt) that differ
// in which names the module exports, whether the context creation stalls,
// and whether a version resource comes with it. Each stub is given its
// export name directly, so no GL or WGL declaration of the system clashes.
#include <windows.h>

#include <GL/gl.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "tests/gl/drivers/stub_driver.h"

namespace {

std::atomic<int> gSetPixelFormatCalls{0}, gSwapBuffersCalls{0}, gCreateContextCalls{0},
    gChoosePixelFormatCalls{0};
std::vector<PIXELFORMATDESCRIPTOR> gFormats;
std::vector<GLfloat> gDepths;
HGLRC const kContext = reinterpret_cast<HGLRC>(0x5151);

template <class T>
T Zero() {
  return T();
}

}  // namespace

// The assembler name carries the platform's symbol prefix ("_" on 32-bit
// Windows, none on x86-64) and no stdcall decoration.
#define STUB_TEXT(x) #x
#define STUB_EXPANDED_TEXT(x) STUB_TEXT(x)
#define STUB_LABEL(prefix, name) STUB_EXPANDED_TEXT(__USER_LABEL_PREFIX__) #prefix #name
#define STUB(ret, prefix, name, params)                                              \
  extern "C" ret WINAPI Stub_##prefix##name params __asm__(STUB_LABEL(prefix, name)); \
  extern "C" ret WINAPI Stub_##prefix##name params
#define SGL_GL(ret, name, params, args) \
  STUB(ret, gl, name, params) { return Zero<ret>(); }
#define SGL_WGL(ret, name, params, args)
#define SGL_WGL_OPT(ret, name, params, args)
#define SGL_GL_OPT SGL_GL
#include "gl/sgl_entries.h"
#undef SGL_GL
#undef SGL_WGL
#undef SGL_WGL_OPT
#undef SGL_GL_OPT

// glGetString answers (exported under that name in place of the plain stub),
// so that a probe has something to read.
STUB(const GLubyte*, gl, GetStringValue, (GLenum name)) {
  const char* text = name == GL_VENDOR     ? "Stub vendor"
                     : name == GL_RENDERER ? "Stub renderer"
                     : name == GL_VERSION  ? "1.1 stub"
                                           : nullptr;
  return reinterpret_cast<const GLubyte*>(text);
}

// glVertex3f keeps the depth of every vertex it is given, for tests of what
// a picture sends.
STUB(void, gl, Vertex3fRecord, (GLfloat x, GLfloat y, GLfloat z)) { gDepths.push_back(z); }

STUB(HGLRC, wgl, CreateContext, (HDC dc)) {
  ++gCreateContextCalls;
#ifdef STUB_STALL_MS
  Sleep(STUB_STALL_MS);
#endif
#ifdef STUB_NO_CONTEXT
  SetLastError(ERROR_INVALID_PIXEL_FORMAT);
  return nullptr;
#else
  return kContext;
#endif
}
STUB(BOOL, wgl, DeleteContext, (HGLRC rc)) { return rc == kContext; }
STUB(BOOL, wgl, MakeCurrent, (HDC dc, HGLRC rc)) { return TRUE; }
STUB(BOOL, wgl, SwapLayerBuffers, (HDC dc, UINT planes)) { return TRUE; }
STUB(BOOL, wgl, SwapBuffers, (HDC dc)) {
  ++gSwapBuffersCalls;
  return TRUE;
}
STUB(int, wgl, ChoosePixelFormat, (HDC dc, const PIXELFORMATDESCRIPTOR* pfd)) {
  ++gChoosePixelFormatCalls;
  return gFormats.empty() ? 0 : 1;
}
STUB(int, wgl, DescribePixelFormat, (HDC dc, int index, UINT size, LPPIXELFORMATDESCRIPTOR pfd)) {
  const int count = static_cast<int>(gFormats.size());
  if (index < 1 || index > count) return 0;
  if (pfd && size >= sizeof *pfd) *pfd = gFormats[index - 1];
  return count;
}
STUB(PROC, wgl, GetProcAddress, (LPCSTR name)) { return nullptr; }
STUB(BOOL, wgl, SetPixelFormat, (HDC dc, int index, const PIXELFORMATDESCRIPTOR* pfd)) {
  ++gSetPixelFormatCalls;
  return TRUE;
}

extern "C" int TestDriverCalls(const char* name) {
  const std::string n = name;
  if (n == "wglSetPixelFormat") return gSetPixelFormatCalls;
  if (n == "wglSwapBuffers") return gSwapBuffersCalls;
  if (n == "wglCreateContext") return gCreateContextCalls;
  if (n == "wglChoosePixelFormat") return gChoosePixelFormatCalls;
  return -1;
}

extern "C" void TestDriverSetFormats(const PIXELFORMATDESCRIPTOR* formats, int count) {
  gFormats.assign(formats, formats + count);
}

extern "C" int TestDriverDepths(float* out, int max) {
  const int n = static_cast<int>(gDepths.size());
  for (int i = 0; i < n && i < max; ++i) out[i] = gDepths[i];
  gDepths.clear();
  return n;
}
