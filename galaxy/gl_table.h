#pragma once
// The OpenGL 1.1 functions the galaxy's picture calls, as a table of function
// pointers that the platform fills in: on Windows from the OpenGL layer's
// entry table (the driver chosen at run time), elsewhere from the system's
// libGL. No system or OpenGL header is needed here, so the galaxy builds with
// any compiler; the few enumerants used are OpenGL's own values.
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
constexpr unsigned kVertexArray = 0x8074;
constexpr unsigned kColorArray = 0x8076;
constexpr unsigned kDepthBufferBit = 0x00000100;
constexpr unsigned kColorBufferBit = 0x00004000;
}  // namespace galaxy_gl

// The entries, each X(return type, name, parameter list) for OpenGL's
// gl<name>, which TGalaxyGL holds as its member `name`. Every entry is
// required except the optional ones: glScissor (without it, one picture over
// all viewports) and the five vertex-array entries (without them, a frame
// draws one call per vertex).
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

struct TGalaxyGL {
#define GALAXY_GL_MEMBER(ret, name, params) ret(GALAXY_GLAPI* name) params = nullptr;
  GALAXY_GL_ENTRIES(GALAXY_GL_MEMBER)
#undef GALAXY_GL_MEMBER

#define GALAXY_GL_THERE(ret, name, params) &&name
  // Whether every required entry is there.
  bool Complete() const { return true GALAXY_GL_REQUIRED(GALAXY_GL_THERE); }
  // Whether the vertex-array entries are all there.
  bool HasArrays() const { return true GALAXY_GL_ARRAYS(GALAXY_GL_THERE); }
#undef GALAXY_GL_THERE
};
