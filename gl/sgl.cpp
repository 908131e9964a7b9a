#include "gl/sgl.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "galaxy/matrix.h"
#include "gl/sgl_trace.h"
#include "toolkit/module.h"

namespace {

enum EntryIndex {
#define SGL_GL(ret, name, params, args) kGl##name,
#define SGL_WGL(ret, name, params, args) kWgl##name,
#define SGL_WGL_OPT(ret, name, params, args) kWgl##name,
#define SGL_GL_OPT(ret, name, params, args) kGl##name,
#include "gl/sgl_entries.h"
#undef SGL_GL
#undef SGL_WGL
#undef SGL_WGL_OPT
#undef SGL_GL_OPT
  kEntryCount
};
static_assert(kEntryCount == kSglAllEntryCount, "the entry list and its count disagree");
static_assert(kGlReadPixels == kSglEntryCount, "the extras follow the driver table");
static_assert(kWglSwapBuffers == kSglRequiredEntryCount, "the optional entries come last");

// Stand-ins for every entry while no driver is loaded: they do nothing and
// return zero, so a stale call cannot reach an unloaded library.
template <class T>
T Zero() {
  return T();
}
#define SGL_GL(ret, name, params, args) \
  ret WINAPI Stub##name params { return Zero<ret>(); }
#define SGL_WGL SGL_GL
#define SGL_WGL_OPT SGL_GL
#define SGL_GL_OPT SGL_GL
#include "gl/sgl_entries.h"
#undef SGL_GL
#undef SGL_WGL
#undef SGL_WGL_OPT
#undef SGL_GL_OPT

struct EntryInfo {
  const char* name;
  bool required;
  FARPROC stub;
};

const EntryInfo kEntries[kEntryCount] = {
#define SGL_GL(ret, name, params, args) {"gl" #name, true, reinterpret_cast<FARPROC>(&Stub##name)},
#define SGL_WGL(ret, name, params, args) {"wgl" #name, true, reinterpret_cast<FARPROC>(&Stub##name)},
#define SGL_WGL_OPT(ret, name, params, args) \
  {"wgl" #name, false, reinterpret_cast<FARPROC>(&Stub##name)},
#define SGL_GL_OPT(ret, name, params, args) {"gl" #name, false, reinterpret_cast<FARPROC>(&Stub##name)},
#include "gl/sgl_entries.h"
#undef SGL_GL
#undef SGL_WGL
#undef SGL_WGL_OPT
#undef SGL_GL_OPT
};

// The process-wide driver state.
struct Driver {
  TModuleRef module;
  std::string name;
  bool is3dfx = false;
  FARPROC entries[kEntryCount];
  bool present[kEntryCount];

  Driver() { ResetTable(); }
  void ResetTable() {
    for (int i = 0; i < kEntryCount; ++i) {
      entries[i] = kEntries[i].stub;
      present[i] = false;
    }
  }
};

Driver& TheDriver() {
  static Driver driver;
  return driver;
}

bool Has(int index) {
  const Driver& d = TheDriver();
  return d.module && d.present[index];
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

template <class Fn>
Fn Entry(int index) {
  return reinterpret_cast<Fn>(TheDriver().entries[index]);
}

}  // namespace

// --- Driver loading -----------------------------------------------------------

HMODULE sglLoadDriver(const std::string& name) {
  sglFreeDriver();
  Driver& d = TheDriver();
  d.name = name;
  d.is3dfx = Lower(name).find("3dfx") != std::string::npos;

  TModuleRef module(LoadLibraryA(name.c_str()));
  if (!module) return nullptr;

  FARPROC resolved[kEntryCount];
  for (int i = 0; i < kEntryCount; ++i) {
    resolved[i] = GetProcAddress(module.get(), kEntries[i].name);
    if (!resolved[i] && kEntries[i].required) return nullptr;  // frees the library
  }
  std::string lacking;
  for (int i = 0; i < kEntryCount; ++i) {
    d.present[i] = resolved[i] != nullptr;
    d.entries[i] = resolved[i] ? resolved[i] : kEntries[i].stub;
    // The optional GDI stand-ins (wgl*) are the rule, not worth a line.
    if (!resolved[i] && i >= kSglEntryCount) lacking += (lacking.empty() ? "" : ", ") + std::string(kEntries[i].name);
  }
  d.module = std::move(module);
  if (!lacking.empty()) SglTrace("Library lacks " + lacking);
  return d.module.get();
}

void sglFreeDriver() {
  Driver& d = TheDriver();
  d.ResetTable();
  d.module.reset();
}

HMODULE sglDriverHandle() { return TheDriver().module.get(); }
const std::string& sglDriverName() { return TheDriver().name; }
bool sglDriverIs3dfx() { return TheDriver().is3dfx; }

const char* sglEntryName(int index) {
  return index >= 0 && index < kEntryCount ? kEntries[index].name : "";
}
bool sglDriverHasEntry(int index) { return index >= 0 && index < kEntryCount && Has(index); }

int sglEntryIndex(const char* name) {
  for (int i = 0; i < kEntryCount; ++i)
    if (name && std::strcmp(kEntries[i].name, name) == 0) return i;
  return -1;
}

FARPROC sglEntryAddress(int index) {
  return sglDriverHasEntry(index) ? TheDriver().entries[index] : nullptr;
}

SglProbeEntries sglProbeEntries() {
  SglProbeEntries probe;
  probe.module = TheDriver().module.AddRef();
  if (!probe.module) return probe;
  probe.is3dfx = sglDriverIs3dfx();
  probe.createContext = Entry<HGLRC(WINAPI*)(HDC)>(kWglCreateContext);
  probe.deleteContext = Entry<BOOL(WINAPI*)(HGLRC)>(kWglDeleteContext);
  probe.makeCurrent = Entry<BOOL(WINAPI*)(HDC, HGLRC)>(kWglMakeCurrent);
  probe.getString = Entry<const GLubyte*(WINAPI*)(GLenum)>(kGlGetString);
  probe.describePixelFormat = Has(kWglDescribePixelFormat)
                                  ? Entry<SglDescribeFn>(kWglDescribePixelFormat)
                                  : &::DescribePixelFormat;
  probe.setPixelFormat =
      probe.is3dfx && Has(kWglSetPixelFormat)
          ? Entry<BOOL(WINAPI*)(HDC, int, const PIXELFORMATDESCRIPTOR*)>(kWglSetPixelFormat)
          : &::SetPixelFormat;
  return probe;
}

// --- Wrappers -----------------------------------------------------------------

#define SGL_GL(ret, name, params, args) \
  ret sgl##name params { return Entry<ret(WINAPI*) params>(kGl##name) args; }
#define SGL_WGL(ret, name, params, args) \
  ret sgl##name params { return Entry<ret(WINAPI*) params>(kWgl##name) args; }
#define SGL_WGL_OPT(ret, name, params, args)
#define SGL_GL_OPT(ret, name, params, args) \
  ret sgl##name params { return Entry<ret(WINAPI*) params>(kGl##name) args; }
#include "gl/sgl_entries.h"
#undef SGL_GL
#undef SGL_WGL
#undef SGL_WGL_OPT
#undef SGL_GL_OPT

BOOL sglSwapBuffers(HDC dc) {
  if (!sglDriverIs3dfx()) {
    if (BOOL done = ::SwapBuffers(dc)) return done;
  }
  if (!Has(kWglSwapBuffers)) return FALSE;
  return Entry<BOOL(WINAPI*)(HDC)>(kWglSwapBuffers)(dc);
}

PROC sglGetProcAddress(LPCSTR name) {
  if (!Has(kWglGetProcAddress)) return nullptr;
  const PROC proc = Entry<PROC(WINAPI*)(LPCSTR)>(kWglGetProcAddress)(name);
  // Some drivers answer a name they lack with a small number or -1.
  const auto value = reinterpret_cast<std::intptr_t>(proc);
  return value >= -1 && value <= 3 ? nullptr : proc;
}

int sglChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* pfd) {
  if (Has(kWglChoosePixelFormat))
    return Entry<int(WINAPI*)(HDC, const PIXELFORMATDESCRIPTOR*)>(kWglChoosePixelFormat)(dc, pfd);
  return ::ChoosePixelFormat(dc, pfd);
}

int sglDescribePixelFormat(HDC dc, int index, UINT size, LPPIXELFORMATDESCRIPTOR pfd) {
  if (Has(kWglDescribePixelFormat))
    return Entry<SglDescribeFn>(kWglDescribePixelFormat)(dc, index, size, pfd);
  return ::DescribePixelFormat(dc, index, size, pfd);
}

BOOL sglSetPixelFormat(HDC dc, int index, const PIXELFORMATDESCRIPTOR* pfd) {
  if (sglDriverIs3dfx() && Has(kWglSetPixelFormat))
    return Entry<BOOL(WINAPI*)(HDC, int, const PIXELFORMATDESCRIPTOR*)>(kWglSetPixelFormat)(
        dc, index, pfd);
  return ::SetPixelFormat(dc, index, pfd);
}

// --- Pixel formats ------------------------------------------------------------

int sglScorePixelFormat(const PIXELFORMATDESCRIPTOR& pfd, int bpp, int depth, int dbl, int acc) {
  const bool generic = pfd.dwFlags & PFD_GENERIC_FORMAT;
  const bool genericAccelerated = pfd.dwFlags & PFD_GENERIC_ACCELERATED;
  const bool icd = !generic && !genericAccelerated;
  const bool mcd = generic && genericAccelerated;
  const bool software = generic && !genericAccelerated;
  const bool doubleBuffered = pfd.dwFlags & PFD_DOUBLEBUFFER;
  const int colorBits = pfd.cColorBits;
  const int depthBits = pfd.cDepthBits;

  int score = 0;
  if ((pfd.dwFlags & PFD_SUPPORT_OPENGL) && (pfd.dwFlags & PFD_DRAW_TO_WINDOW)) score += 0x8000;
  if (depth == -1 || (depth > 0 && depthBits > 0)) score += 0x4000;
  if (dbl == -1 || (dbl == 0 && !doubleBuffered) || (dbl == 1 && doubleBuffered)) score += 0x2000;
  if (acc == -1 || (acc == 0 && software) || (acc == 1 && (icd || mcd))) score += 0x1000;
  if (bpp == -1 || bpp == colorBits) score += 0x800;
  if (depth == -1 || depth == depthBits) score += 0x400;
  if (pfd.iPixelType == PFD_TYPE_RGBA) score += 0x80;
  if (icd || mcd) score += 0x40;
  if (colorBits >= 16) score += 0x20;
  if (depthBits >= 16) score += 0x10;
  if (colorBits == 16) score += 8;
  if (depthBits == 16) score += 4;
  if (icd) score += 2;
  if (pfd.dwFlags & PFD_DRAW_TO_BITMAP) score += 1;
  return score;
}

int sglBestPixelFormatWith(SglDescribeFn describe, HDC dc, int* bpp, int* depth, int* dbl,
                           int* acc) {
  const int wantBpp = bpp ? *bpp : -1;
  const int wantDepth = depth ? *depth : 16;
  const int wantDbl = dbl ? *dbl : -1;
  const int wantAcc = acc ? *acc : 1;

  auto describeAt = [&](int index, PIXELFORMATDESCRIPTOR& pfd) {
    pfd = PIXELFORMATDESCRIPTOR{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    return describe(dc, index, sizeof pfd, &pfd);
  };

  PIXELFORMATDESCRIPTOR pfd;
  const int count = describeAt(1, pfd);
  int bestIndex = 0, bestScore = 0;
  PIXELFORMATDESCRIPTOR best{};
  for (int i = 1; i <= count; ++i) {
    if (!describeAt(i, pfd)) continue;
    const int score = sglScorePixelFormat(pfd, wantBpp, wantDepth, wantDbl, wantAcc);
    if (score > bestScore) {
      bestScore = score;
      bestIndex = i;
      best = pfd;
    }
  }
  if (!bestIndex) return 0;

  const bool software =
      (best.dwFlags & PFD_GENERIC_FORMAT) && !(best.dwFlags & PFD_GENERIC_ACCELERATED);
  if (bpp) *bpp = best.cColorBits;
  if (depth) *depth = best.cDepthBits;
  if (dbl) *dbl = (best.dwFlags & PFD_DOUBLEBUFFER) ? 1 : 0;
  if (acc) *acc = software ? 0 : 1;
  return bestIndex;
}

namespace {
int WINAPI DescribeThroughLayer(HDC dc, int index, UINT size, LPPIXELFORMATDESCRIPTOR pfd) {
  return sglDescribePixelFormat(dc, index, size, pfd);
}
}  // namespace

int sglBestPixelFormat(HDC dc, int* bpp, int* depth, int* dbl, int* acc) {
  return sglBestPixelFormatWith(&DescribeThroughLayer, dc, bpp, depth, dbl, acc);
}

// --- GLU helpers ----------------------------------------------------------------

namespace {

// Gauss-Jordan elimination with partial pivoting; false for a singular matrix.
bool Invert(const double m[16], double out[16]) {
  double work[4][8];
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) {
      work[row][col] = m[col * 4 + row];
      work[row][col + 4] = row == col ? 1.0 : 0.0;
    }
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int row = col + 1; row < 4; ++row)
      if (std::fabs(work[row][col]) > std::fabs(work[pivot][col])) pivot = row;
    if (work[pivot][col] == 0.0) return false;
    if (pivot != col) std::swap(work[pivot], work[col]);
    const double scale = 1.0 / work[col][col];
    for (double& value : work[col]) value *= scale;
    for (int row = 0; row < 4; ++row) {
      if (row == col) continue;
      const double factor = work[row][col];
      if (factor == 0.0) continue;
      for (int k = 0; k < 8; ++k) work[row][k] -= factor * work[col][k];
    }
  }
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) out[col * 4 + row] = work[row][col + 4];
  return true;
}

}  // namespace

void sgluPerspective(double fovy, double aspect, double zNear, double zFar) {
  const galaxy_matrix::TFrustum v = galaxy_matrix::Perspective(fovy, aspect, zNear, zFar);
  sglFrustum(v.left, v.right, v.bottom, v.top, v.zNear, v.zFar);
}

void sgluLookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
                double centerZ, double upX, double upY, double upZ) {
  double m[16];
  galaxy_matrix::LookAt(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ, m);
  sglMultMatrixd(m);
  sglTranslated(-eyeX, -eyeY, -eyeZ);
}

void sgluOrtho2D(double left, double right, double bottom, double top) {
  sglOrtho(left, right, bottom, top, -1.0, 1.0);
}

void sgluPickMatrix(double x, double y, double width, double height, const GLint viewport[4]) {
  if (width <= 0 || height <= 0) return;
  GLfloat m[16] = {};
  m[0] = static_cast<GLfloat>(viewport[2] / width);
  m[5] = static_cast<GLfloat>(viewport[3] / height);
  m[10] = 1.0f;
  m[12] = static_cast<GLfloat>((viewport[2] + 2.0 * (viewport[0] - x)) / width);
  m[13] = static_cast<GLfloat>((viewport[3] + 2.0 * (viewport[1] - y)) / height);
  m[15] = 1.0f;
  sglMultMatrixf(m);
}

bool sgluUnProject(double winX, double winY, double winZ, const double model[16],
                   const double proj[16], const GLint viewport[4], double* objX, double* objY,
                   double* objZ) {
  if (viewport[2] == 0 || viewport[3] == 0) return false;  // no window to map from
  double final[16], inverse[16];
  galaxy_matrix::Multiply(proj, model, final);
  if (!Invert(final, inverse)) return false;
  const double in[4] = {(winX - viewport[0]) * 2.0 / viewport[2] - 1.0,
                        (winY - viewport[1]) * 2.0 / viewport[3] - 1.0, 2.0 * winZ - 1.0, 1.0};
  double out[4];
  for (int row = 0; row < 4; ++row) {
    out[row] = 0;
    for (int col = 0; col < 4; ++col) out[row] += inverse[col * 4 + row] * in[col];
  }
  if (out[3] == 0.0) return false;
  *objX = out[0] / out[3];
  *objY = out[1] / out[3];
  *objZ = out[2] / out[3];
  return true;
}
