#pragma once
// An OpenGL table with no driver behind it: every call is written down, with
// its figures, in the order made. For what a view sends, without a context.
#include <string>
#include <type_traits>
#include <vector>

#include "galaxy/gl_table.h"

namespace galaxy_testing {

struct TGLCall {
  std::string name;
  std::vector<double> args;  // the figures; a pointer counts as 0
};

inline std::vector<TGLCall>& RecordedCalls() {
  static std::vector<TGLCall> calls;
  return calls;
}

template <class T>
double Figure(T v) {
  if constexpr (std::is_arithmetic_v<T>) return static_cast<double>(v);
  return 0.0;
}

template <class F, const char* Name>
struct TRecorder;
template <class R, class... A, const char* Name>
struct TRecorder<R(GALAXY_GLAPI*)(A...), Name> {
  static R GALAXY_GLAPI Call(A... a) {
    TGLCall call{Name, {}};
    (call.args.push_back(Figure(a)), ...);
    RecordedCalls().push_back(call);
    return R();  // no error, no text
  }
};

namespace recording_names {
#define GALAXY_RECORDED_NAME(ret, name, params) inline constexpr char name[] = #name;
GALAXY_GL_ENTRIES(GALAXY_RECORDED_NAME)
GALAXY_GL_BUFFER_CALLS(GALAXY_RECORDED_NAME)
GALAXY_GL_BUFFERS(GALAXY_RECORDED_NAME)
#undef GALAXY_RECORDED_NAME
}  // namespace recording_names

// Buffer names as a driver hands them out: 1, 2, 3 ...
inline void GALAXY_GLAPI RecordGenBuffers(int n, unsigned* names) {
  static unsigned next = 0;
  TGLCall call{"GenBuffers", {static_cast<double>(n)}};
  RecordedCalls().push_back(call);
  for (int i = 0; i < n; ++i) names[i] = ++next;
}

// Every entry recording; with `buffers` the buffer entries too.
inline TGalaxyGL RecordingGalaxyGL(bool buffers = false) {
  TGalaxyGL gl;
#define GALAXY_RECORD(ret, name, params) gl.name = &TRecorder<decltype(gl.name), recording_names::name>::Call;
  GALAXY_GL_ENTRIES(GALAXY_RECORD)
  if (buffers) {
    GALAXY_GL_BUFFER_CALLS(GALAXY_RECORD)
    GALAXY_GL_BUFFERS(GALAXY_RECORD)
    gl.GenBuffers = RecordGenBuffers;
  }
#undef GALAXY_RECORD
  return gl;
}

// The calls of that name, in order.
inline std::vector<TGLCall> CallsOf(const std::string& name) {
  std::vector<TGLCall> out;
  for (const TGLCall& c : RecordedCalls())
    if (c.name == name) out.push_back(c);
  return out;
}

}  // namespace galaxy_testing
