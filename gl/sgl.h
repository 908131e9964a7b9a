#pragma once
// The OpenGL layer's entry points. We never link against an OpenGL library:
// the driver (the system's opengl32.dll, a vendor's client driver or a
// stand-alone 3dfx MiniGL) is loaded by name at run time and its entry points
// are resolved into one process-wide table. Every caller draws through the
// sgl* wrappers below, each taking the parameters of its GL/WGL namesake.
//
// One driver per process: loading a driver first unloads the current one.
// While no driver is loaded, every required entry points at a harmless stub
// (it does nothing and returns zero), so a call through a stale table never
// jumps into an unloaded library.
#include <windows.h>

#include <GL/gl.h>

#include <string>

#include "toolkit/module.h"

// --- Driver loading ---------------------------------------------------------

// Loads `name` (a bare file name is searched on the usual DLL path), replacing
// any loaded driver. Returns the module handle, or null when the library does
// not load or lacks one of the required entries (it is then unloaded again).
HMODULE sglLoadDriver(const std::string& name);
// Unloads the current driver, if any.
void sglFreeDriver();
// The loaded driver, or null.
HMODULE sglDriverHandle();
// The name last passed to sglLoadDriver (empty at start-up).
const std::string& sglDriverName();
// Whether that name, lower-cased, contains "3dfx" (path included).
bool sglDriverIs3dfx();

// Entry-point bookkeeping, for diagnostics and tests. The driver table holds
// 77 entries (the first 73 required); after them come optional extras the
// layer resolves too: glReadPixels (for presenting frames read back),
// glScissor (for drawing one picture per monitor), the OpenGL 1.1 vertex
// arrays (glVertexPointer, glColorPointer, glEnableClientState,
// glDisableClientState, glDrawArrays), which old drivers may lack, and
// wglGetProcAddress (for the functions a driver gives only to a current
// context, as OpenGL 1.5's buffers). A driver without some extras still
// loads; its load traces the names it lacks.
constexpr int kSglEntryCount = 77;
constexpr int kSglRequiredEntryCount = 73;
constexpr int kSglAllEntryCount = 85;
// The entry's GL/WGL name by load-order index (0 .. kSglAllEntryCount-1).
const char* sglEntryName(int index);
// Whether the loaded driver provides the entry (false with no driver).
bool sglDriverHasEntry(int index);
// The load-order index of an entry by its GL/WGL name, or -1.
int sglEntryIndex(const char* name);
// The loaded driver's own function for the entry, or null when the driver
// lacks it or none is loaded. Good until the driver is unloaded.
FARPROC sglEntryAddress(int index);

// A private copy of what a context probe on another thread needs: its own
// reference to the loaded driver (so the library stays mapped while the probe
// runs, whatever the UI thread loads or unloads meanwhile) and the entry
// points, with the same fallbacks to GDI as the wrappers. Empty (no module)
// when no driver is loaded.
struct SglProbeEntries {
  TModuleRef module;
  bool is3dfx = false;
  HGLRC(WINAPI* createContext)(HDC) = nullptr;
  BOOL(WINAPI* deleteContext)(HGLRC) = nullptr;
  BOOL(WINAPI* makeCurrent)(HDC, HGLRC) = nullptr;
  const GLubyte*(WINAPI* getString)(GLenum) = nullptr;
  int(WINAPI* describePixelFormat)(HDC, int, UINT, LPPIXELFORMATDESCRIPTOR) = nullptr;
  BOOL(WINAPI* setPixelFormat)(HDC, int, const PIXELFORMATDESCRIPTOR*) = nullptr;
};
SglProbeEntries sglProbeEntries();

// --- The wrappers -------------------------------------------------------------
#define SGL_GL(ret, name, params, args) ret sgl##name params;
#define SGL_WGL(ret, name, params, args) ret sgl##name params;
#define SGL_WGL_OPT(ret, name, params, args) ret sgl##name params;
#define SGL_GL_OPT(ret, name, params, args) ret sgl##name params;
#include "gl/sgl_entries.h"
#undef SGL_GL
#undef SGL_WGL
#undef SGL_WGL_OPT
#undef SGL_GL_OPT

// --- Pixel formats --------------------------------------------------------------

// Scores every pixel format of `dc` and returns the best one's index (0 when
// none scores above 0). Each preference is optional (null: its default):
// bpp colour bits (-1 any; default -1), depth depth bits (-1 any; default 16),
// dbl double buffering (1, 0, -1 any; default -1), acc acceleration
// (1 accelerated, 0 generic software, -1 any; default 1). When a format is
// chosen, the given preferences receive its colour bits, depth bits, double
// buffering (1/0) and acceleration (1/0); otherwise they are left alone.
int sglBestPixelFormat(HDC dc, int* bpp = nullptr, int* depth = nullptr, int* dbl = nullptr,
                       int* acc = nullptr);

// The scorer itself, for a given describe function (the driver probe runs it
// on its own thread with its own copy of the entry points).
using SglDescribeFn = int(WINAPI*)(HDC, int, UINT, LPPIXELFORMATDESCRIPTOR);
int sglBestPixelFormatWith(SglDescribeFn describe, HDC dc, int* bpp, int* depth, int* dbl,
                           int* acc);

// The points one described format earns against the preferences (all given).
int sglScorePixelFormat(const PIXELFORMATDESCRIPTOR& pfd, int bpp, int depth, int dbl, int acc);

// --- GLU helpers, computed here in double precision -------------------------------
// Matrices are 16 values in column-major order, as OpenGL keeps them.

void sgluPerspective(double fovy, double aspect, double zNear, double zFar);
void sgluLookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
                double centerZ, double upX, double upY, double upZ);
void sgluOrtho2D(double left, double right, double bottom, double top);
// Does nothing for a pick region of zero or negative width or height.
void sgluPickMatrix(double x, double y, double width, double height, const GLint viewport[4]);
// Maps a window point back to object coordinates. False (outputs untouched)
// when proj x model cannot be inverted, the point maps to w = 0, or the
// viewport is empty.
bool sgluUnProject(double winX, double winY, double winZ, const double model[16],
                   const double proj[16], const GLint viewport[4], double* objX, double* objY,
                   double* objZ);
