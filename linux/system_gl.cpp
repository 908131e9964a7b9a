#include "linux/system_gl.h"

#include <GL/gl.h>

TGalaxyGL SystemGalaxyGL() {
  TGalaxyGL gl;
#define TAKE(ret, name, params) gl.name = gl##name;
  GALAXY_GL_ENTRIES(TAKE)
#undef TAKE
  return gl;
}
