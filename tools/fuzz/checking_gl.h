#pragma once
// An OpenGL table with no context behind it that checks as it goes: every
// entry counts its calls and checks what it is given as a driver would need
// it (finite figures, colours in 0 .. 1, Begin and End in pairs, arrays read
// to their last vertex), and remembers the first thing no driver would take.
// Unlike the tests' recording table (tests/galaxy/recording_gl.h), which
// writes every call down to be looked at, it keeps nothing but counts: fast
// enough for the millions of frames of the fuzz targets (where the
// sanitizers watch its reads of the arrays) and the in-process hostile runs
// under Wine.
#include <cmath>
#include <string>

#include "galaxy/gl_table.h"

namespace checking_gl {

struct TRecord {
  long Calls = 0;
  long Vertices = 0;  // one at a time, or read from the arrays
  int Open = 0;       // a Begin without its End
  bool ColorArray = false, VertexArray = false;
  const void* Colors = nullptr;
  const void* Positions = nullptr;
  int ColorStride = 0, PositionStride = 0;
  std::string Fault;  // the first thing no driver would take; empty if none

  void Fail(const std::string& what) {
    if (Fault.empty()) Fault = what;
  }
};

// The one record the table's entries write to.
inline TRecord& Record() {
  static TRecord record;
  return record;
}

inline void Check(bool ok, const char* what) {
  if (!ok) Record().Fail(what);
}
inline bool Finite(double v) { return std::isfinite(v); }
inline bool Unit(float v) { return v >= 0.0f && v <= 1.0f; }

// Every entry counts its call; those below check their arguments too.
#define CHECKING_GL_COUNT(ret, name, params) \
  inline ret GALAXY_GLAPI Count##name params { ++Record().Calls; }
GALAXY_GL_ENTRIES(CHECKING_GL_COUNT)
#undef CHECKING_GL_COUNT

inline void GALAXY_GLAPI Begin(unsigned) {
  ++Record().Calls;
  Check(Record().Open++ == 0, "glBegin inside glBegin");
}
inline void GALAXY_GLAPI End() {
  ++Record().Calls;
  Check(Record().Open-- == 1, "glEnd without glBegin");
}
inline void GALAXY_GLAPI Color3f(float r, float g, float b) {
  ++Record().Calls;
  Check(Unit(r) && Unit(g) && Unit(b), "glColor3f out of 0 .. 1");
}
inline void GALAXY_GLAPI ClearColor(float r, float g, float b, float a) {
  ++Record().Calls;
  Check(Unit(r) && Unit(g) && Unit(b) && Unit(a), "glClearColor out of 0 .. 1");
}
inline void GALAXY_GLAPI Vertex3f(float x, float y, float z) {
  ++Record().Calls;
  ++Record().Vertices;
  Check(Record().Open == 1, "glVertex3f outside glBegin");
  Check(Finite(x) && Finite(y) && Finite(z), "glVertex3f not finite");
}
inline void GALAXY_GLAPI Viewport(int, int, int width, int height) {
  ++Record().Calls;
  Check(width >= 0 && height >= 0, "glViewport of a negative size");
}
inline void GALAXY_GLAPI Frustum(double l, double r, double b, double t, double n, double f) {
  ++Record().Calls;
  Check(Finite(l) && Finite(r) && Finite(b) && Finite(t) && Finite(n) && Finite(f), "glFrustum not finite");
  Check(n > 0 && f > 0 && l != r && b != t && n != f, "glFrustum an invalid value");
}
inline void GALAXY_GLAPI MultMatrixd(const double* m) {
  ++Record().Calls;
  for (int i = 0; i < 16; ++i) Check(Finite(m[i]), "glMultMatrixd not finite");
}
inline void GALAXY_GLAPI Translated(double x, double y, double z) {
  ++Record().Calls;
  Check(Finite(x) && Finite(y) && Finite(z), "glTranslated not finite");
}
inline void GALAXY_GLAPI VertexPointer(int size, unsigned, int stride, const void* pointer) {
  ++Record().Calls;
  Check(size == 3 && stride >= 0, "glVertexPointer an invalid value");
  Record().Positions = pointer, Record().PositionStride = stride;
}
inline void GALAXY_GLAPI ColorPointer(int size, unsigned, int stride, const void* pointer) {
  ++Record().Calls;
  Check(size == 3 && stride >= 0, "glColorPointer an invalid value");
  Record().Colors = pointer, Record().ColorStride = stride;
}
inline void GALAXY_GLAPI EnableClientState(unsigned array) {
  ++Record().Calls;
  if (array == galaxy_gl::kColorArray) Record().ColorArray = true;
  if (array == galaxy_gl::kVertexArray) Record().VertexArray = true;
}
inline void GALAXY_GLAPI DisableClientState(unsigned array) {
  ++Record().Calls;
  if (array == galaxy_gl::kColorArray) Record().ColorArray = false;
  if (array == galaxy_gl::kVertexArray) Record().VertexArray = false;
}
// Reads every vertex drawn, as the driver does.
inline void GALAXY_GLAPI DrawArrays(unsigned mode, int first, int count) {
  TRecord& r = Record();
  ++r.Calls;
  Check(r.VertexArray && r.ColorArray && r.Positions && r.Colors, "glDrawArrays without its arrays");
  Check(first >= 0 && count >= 0 && (mode != galaxy_gl::kQuads || count % 4 == 0), "glDrawArrays an invalid range");
  if (!r.Fault.empty()) return;
  const char* positions = static_cast<const char*>(r.Positions);
  const char* colors = static_cast<const char*>(r.Colors);
  for (int i = first; i < first + count; ++i) {
    const float* p = reinterpret_cast<const float*>(positions + static_cast<long>(i) * r.PositionStride);
    const float* c = reinterpret_cast<const float*>(colors + static_cast<long>(i) * r.ColorStride);
    Check(Finite(p[0]) && Finite(p[1]) && Finite(p[2]), "glDrawArrays a vertex not finite");
    Check(Unit(c[0]) && Unit(c[1]) && Unit(c[2]), "glDrawArrays a colour out of 0 .. 1");
    ++r.Vertices;
  }
}

// The table, with or without the optional entries; the record starts afresh.
inline TGalaxyGL Table(bool arrays = true, bool scissor = true) {
  Record() = TRecord();
  TGalaxyGL gl;
#define CHECKING_GL_TAKE(ret, name, params) gl.name = Count##name;
  GALAXY_GL_ENTRIES(CHECKING_GL_TAKE)
#undef CHECKING_GL_TAKE
  gl.Begin = Begin, gl.End = End, gl.Color3f = Color3f, gl.ClearColor = ClearColor, gl.Vertex3f = Vertex3f;
  gl.Viewport = Viewport, gl.Frustum = Frustum, gl.MultMatrixd = MultMatrixd, gl.Translated = Translated;
  gl.VertexPointer = VertexPointer, gl.ColorPointer = ColorPointer, gl.EnableClientState = EnableClientState;
  gl.DisableClientState = DisableClientState, gl.DrawArrays = DrawArrays;
  if (!arrays) gl.VertexPointer = nullptr, gl.ColorPointer = nullptr, gl.DrawArrays = nullptr;
  if (!scissor) gl.Scissor = nullptr;
  return gl;
}

}  // namespace checking_gl
