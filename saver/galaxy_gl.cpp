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
#undef TAKE
  return t;
}
