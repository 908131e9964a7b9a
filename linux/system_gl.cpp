#include "linux/system_gl.h"

#include <GL/gl.h>
#include <GL/glx.h>

TGalaxyGL SystemGalaxyGL() {
  TGalaxyGL gl;
#define TAKE(ret, name, params) gl.name = gl##name;
  GALAXY_GL_ENTRIES(TAKE)
  GALAXY_GL_BUFFER_CALLS(TAKE)
#undef TAKE
  // GLX gives a function for any name, so only the names the context's
  // version or extensions promise are looked up.
  TakeGalaxyBuffers(gl, [](const char* name) {
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
  });
  return gl;
}
