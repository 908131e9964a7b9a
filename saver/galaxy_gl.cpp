#include "saver/galaxy_gl.h"

#include "gl/sgl.h"

namespace {

template <class Fn>
void Take(Fn& slot, const char* name) {
  slot = reinterpret_cast<Fn>(sglEntryAddress(sglEntryIndex(name)));
}

}  // namespace

TGalaxyGL SglGalaxyTable() {
  TGalaxyGL t;
#define TAKE(ret, name, params) Take(t.name, "gl" #name);
  GALAXY_GL_ENTRIES(TAKE)
  GALAXY_GL_BUFFER_CALLS(TAKE)
#undef TAKE
  // A driver gives the buffers' functions through its wglGetProcAddress; a
  // library that is all of OpenGL may export them too.
  TakeGalaxyBuffers(t, [](const char* name) -> FARPROC {
    if (const FARPROC proc = sglGetProcAddress(name)) return proc;
    return sglDriverHandle() ? GetProcAddress(sglDriverHandle(), name) : nullptr;
  });
  return t;
}
