#pragma once
// The OpenGL functions the galaxy's picture calls, as a table of function
// pointers that the platform fills in: on Windows from the OpenGL layer's
// entry table (the driver chosen at run time), elsewhere from the system's
// libGL; OpenGL 1.5's buffer objects, where the driver has them, through the
// platform's GetProcAddress (TakeGalaxyBuffers). No system or OpenGL header
// is needed here, so the galaxy builds with any compiler; the few enumerants
// used are OpenGL's own values.
#include <cstddef>
#include <cstring>
#include <string>

//
// Windows' OpenGL entry points use the __stdcall convention; everywhere else
// the platform's C convention.
#ifdef _WIN32
#define GALAXY_GLAPI __stdcall
#else
#define GALAXY_GLAPI
#endif

namespace galaxy_gl {
// OpenGL's enumerants, as the galaxy uses them.
constexpr unsigned kQuads = 0x0007;
constexpr unsigned kLequal = 0x0203;
constexpr unsigned kGreater = 0x0204;
constexpr unsigned kSrcAlpha = 0x0302;
constexpr unsigned kOneMinusSrcAlpha = 0x0303;
constexpr unsigned kCcw = 0x0901;
constexpr unsigned kCullFace = 0x0B44;
constexpr unsigned kDepthTest = 0x0B71;
constexpr unsigned kAlphaTest = 0x0BC0;
constexpr unsigned kBlend = 0x0BE2;
constexpr unsigned kScissorTest = 0x0C11;
constexpr unsigned kUnpackAlignment = 0x0CF5;
constexpr unsigned kFloat = 0x1406;
constexpr unsigned kModelView = 0x1700;
constexpr unsigned kProjection = 0x1701;
constexpr unsigned kSmooth = 0x1D01;
constexpr unsigned kVersion = 0x1F02;
constexpr unsigned kExtensions = 0x1F03;
constexpr unsigned kVertexArray = 0x8074;
constexpr unsigned kColorArray = 0x8076;
constexpr unsigned kArrayBuffer = 0x8892;
constexpr unsigned kStreamDraw = 0x88E0;
constexpr unsigned kNoError = 0;
constexpr unsigned kDepthBufferBit = 0x00000100;
constexpr unsigned kColorBufferBit = 0x00004000;
}  // namespace galaxy_gl

// The entries, each X(return type, name, parameter list) for OpenGL's
// gl<name>, which TGalaxyGL holds as its member `name`. Every entry is
// required except the optional ones: glScissor (without it, one picture over
// all viewports), the five vertex-array entries (without them, a frame draws
// one call per vertex) and the buffer entries (without them, a frame draws
// from arrays in the processor's memory).
//
// GALAXY_GL_ENTRIES are OpenGL 1.1's, void, and every platform's library
// exports them by name. The buffer entries are two groups:
// GALAXY_GL_BUFFER_CALLS, OpenGL 1.1's too, exported by name, but giving a
// result; GALAXY_GL_BUFFERS, OpenGL 1.5's buffer objects, which a driver
// gives only through its GetProcAddress, under these names from version 1.5
// on and with the suffix ARB where it has ARB_vertex_buffer_object.
#define GALAXY_GL_REQUIRED(X)                                                                         \
  /* The state of a new context. */                                                                   \
  X(void, ClearDepth, (double depth))                                                                 \
  X(void, DepthFunc, (unsigned func))                                                                 \
  X(void, ShadeModel, (unsigned mode))                                                                \
  X(void, FrontFace, (unsigned mode))                                                                 \
  X(void, PixelStorei, (unsigned pname, int param))                                                   \
  X(void, BlendFunc, (unsigned sfactor, unsigned dfactor))                                            \
  X(void, AlphaFunc, (unsigned func, float ref))                                                      \
  X(void, Disable, (unsigned cap))                                                                    \
  X(void, Enable, (unsigned cap))                                                                     \
  X(void, Viewport, (int x, int y, int width, int height))                                            \
  /* The camera. */                                                                                   \
  X(void, MatrixMode, (unsigned mode))                                                                \
  X(void, LoadIdentity, ())                                                                           \
  X(void, Frustum, (double left, double right, double bottom, double top, double zNear, double zFar)) \
  X(void, MultMatrixd, (const double* m))                                                             \
  X(void, Translated, (double x, double y, double z))                                                 \
  /* A frame. */                                                                                      \
  X(void, ClearColor, (float red, float green, float blue, float alpha))                              \
  X(void, Clear, (unsigned mask))                                                                     \
  X(void, PushMatrix, ())                                                                             \
  X(void, PopMatrix, ())                                                                              \
  X(void, Begin, (unsigned mode))                                                                     \
  X(void, End, ())                                                                                    \
  X(void, Color3f, (float red, float green, float blue))                                              \
  X(void, Vertex3f, (float x, float y, float z))
#define GALAXY_GL_ARRAYS(X)                                                          \
  X(void, VertexPointer, (int size, unsigned type, int stride, const void* pointer)) \
  X(void, ColorPointer, (int size, unsigned type, int stride, const void* pointer))  \
  X(void, EnableClientState, (unsigned array))                                       \
  X(void, DisableClientState, (unsigned array))                                      \
  X(void, DrawArrays, (unsigned mode, int first, int count))
#define GALAXY_GL_OPTIONAL(X)                             \
  X(void, Scissor, (int x, int y, int width, int height)) \
  GALAXY_GL_ARRAYS(X)
#define GALAXY_GL_ENTRIES(X) GALAXY_GL_REQUIRED(X) GALAXY_GL_OPTIONAL(X)
#define GALAXY_GL_BUFFER_CALLS(X) \
  X(unsigned, GetError, ())       \
  X(const unsigned char*, GetString, (unsigned name))
#define GALAXY_GL_BUFFERS(X)                                     \
  X(void, GenBuffers, (int n, unsigned* buffers))                \
  X(void, DeleteBuffers, (int n, const unsigned* buffers))       \
  X(void, BindBuffer, (unsigned target, unsigned buffer))        \
  X(void, BufferData, (unsigned target, std::ptrdiff_t size, const void* data, unsigned usage)) \
  X(void, BufferSubData, (unsigned target, std::ptrdiff_t offset, std::ptrdiff_t size, const void* data))

struct TGalaxyGL {
#define GALAXY_GL_MEMBER(ret, name, params) ret(GALAXY_GLAPI* name) params = nullptr;
  GALAXY_GL_ENTRIES(GALAXY_GL_MEMBER)
  GALAXY_GL_BUFFER_CALLS(GALAXY_GL_MEMBER)
  GALAXY_GL_BUFFERS(GALAXY_GL_MEMBER)
#undef GALAXY_GL_MEMBER

#define GALAXY_GL_THERE(ret, name, params) &&name
  // Whether every required entry is there.
  bool Complete() const { return true GALAXY_GL_REQUIRED(GALAXY_GL_THERE); }
  // Whether the vertex-array entries are all there.
  bool HasArrays() const { return true GALAXY_GL_ARRAYS(GALAXY_GL_THERE); }
  // Whether frames can be drawn from buffers: the vertex arrays and every
  // buffer entry are there.
  bool HasBuffers() const {
    return HasArrays() GALAXY_GL_BUFFER_CALLS(GALAXY_GL_THERE) GALAXY_GL_BUFFERS(GALAXY_GL_THERE);
  }
#undef GALAXY_GL_THERE
};

// Whether a driver whose glGetString gives `version` (may be null) has
// OpenGL major.minor.
inline bool GalaxyGLVersionAtLeast(const char* version, int major, int minor) {
  int hasMajor = 0, hasMinor = 0;
  const char* c = version ? version : "";
  for (; *c >= '0' && *c <= '9' && hasMajor < 1000; ++c) hasMajor = 10 * hasMajor + (*c - '0');
  if (*c == '.')
    for (++c; *c >= '0' && *c <= '9' && hasMinor < 1000; ++c) hasMinor = 10 * hasMinor + (*c - '0');
  return hasMajor > major || (hasMajor == major && hasMinor >= minor);
}

// The suffix of the buffer entries' names on a driver whose glGetString
// gives `version` and `extensions` (either may be null): "" from OpenGL 1.5
// on, "ARB" where the extensions list ARB_vertex_buffer_object, else null.
inline const char* GalaxyBufferSuffix(const char* version, const char* extensions) {
  if (GalaxyGLVersionAtLeast(version, 1, 5)) return "";
  // A whole name in the list, not the start of a longer one.
  static const char kName[] = "GL_ARB_vertex_buffer_object";
  const std::size_t length = sizeof kName - 1;
  for (const char* at = extensions; at && (at = std::strstr(at, kName)) != nullptr; at += length) {
    const bool starts = at == extensions || at[-1] == ' ';
    if (starts && (at[length] == ' ' || at[length] == '\0')) return "ARB";
  }
  return nullptr;
}

// Fills the GALAXY_GL_BUFFERS entries of `gl` for the context current now,
// from its version and extensions (through gl.GetString) and
// `lookup(name)`, the platform's GetProcAddress (null for a name it lacks).
// Leaves every buffer entry null where the driver has not all.
template <class Lookup>
void TakeGalaxyBuffers(TGalaxyGL& gl, Lookup lookup) {
#define GALAXY_GL_FORGET(ret, name, params) gl.name = nullptr;
  GALAXY_GL_BUFFERS(GALAXY_GL_FORGET)
  if (!gl.GetString) return;
  const char* version = reinterpret_cast<const char*>(gl.GetString(galaxy_gl::kVersion));
  const char* suffix = GalaxyBufferSuffix(version, reinterpret_cast<const char*>(gl.GetString(galaxy_gl::kExtensions)));
  if (!suffix) return;
#define GALAXY_GL_LOOK_UP(ret, name, params) \
  gl.name = reinterpret_cast<decltype(gl.name)>(lookup((std::string("gl" #name) + suffix).c_str()));
  GALAXY_GL_BUFFERS(GALAXY_GL_LOOK_UP)
#undef GALAXY_GL_LOOK_UP
  if (!gl.HasBuffers()) {
    GALAXY_GL_BUFFERS(GALAXY_GL_FORGET)
  }
#undef GALAXY_GL_FORGET
}
