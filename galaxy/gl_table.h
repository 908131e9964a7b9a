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

// Every entry is required except the five vertex-array ones at the end: a
// table without them draws one call per vertex.
struct TGalaxyGL {
  // The state of a new context.
  void(GALAXY_GLAPI* ClearDepth)(double depth) = nullptr;
  void(GALAXY_GLAPI* DepthFunc)(unsigned func) = nullptr;
  void(GALAXY_GLAPI* ShadeModel)(unsigned mode) = nullptr;
  void(GALAXY_GLAPI* FrontFace)(unsigned mode) = nullptr;
  void(GALAXY_GLAPI* PixelStorei)(unsigned pname, int param) = nullptr;
  void(GALAXY_GLAPI* BlendFunc)(unsigned sfactor, unsigned dfactor) = nullptr;
  void(GALAXY_GLAPI* AlphaFunc)(unsigned func, float ref) = nullptr;
  void(GALAXY_GLAPI* Disable)(unsigned cap) = nullptr;
  void(GALAXY_GLAPI* Enable)(unsigned cap) = nullptr;
  void(GALAXY_GLAPI* Viewport)(int x, int y, int width, int height) = nullptr;
  // The camera.
  void(GALAXY_GLAPI* MatrixMode)(unsigned mode) = nullptr;
  void(GALAXY_GLAPI* LoadIdentity)() = nullptr;
  void(GALAXY_GLAPI* Frustum)(double left, double right, double bottom, double top, double zNear,
                              double zFar) = nullptr;
  void(GALAXY_GLAPI* MultMatrixd)(const double* m) = nullptr;
  void(GALAXY_GLAPI* Translated)(double x, double y, double z) = nullptr;
  // A frame.
  void(GALAXY_GLAPI* ClearColor)(float red, float green, float blue, float alpha) = nullptr;
  void(GALAXY_GLAPI* Clear)(unsigned mask) = nullptr;
  void(GALAXY_GLAPI* PushMatrix)() = nullptr;
  void(GALAXY_GLAPI* PopMatrix)() = nullptr;
  void(GALAXY_GLAPI* Begin)(unsigned mode) = nullptr;
  void(GALAXY_GLAPI* End)() = nullptr;
  void(GALAXY_GLAPI* Color3f)(float red, float green, float blue) = nullptr;
  void(GALAXY_GLAPI* Vertex3f)(float x, float y, float z) = nullptr;
  // Optional: one picture per viewport (without it, one picture over all).
  void(GALAXY_GLAPI* Scissor)(int x, int y, int width, int height) = nullptr;
  // Optional: a frame from arrays.
  void(GALAXY_GLAPI* VertexPointer)(int size, unsigned type, int stride, const void* pointer) = nullptr;
  void(GALAXY_GLAPI* ColorPointer)(int size, unsigned type, int stride, const void* pointer) = nullptr;
  void(GALAXY_GLAPI* EnableClientState)(unsigned array) = nullptr;
  void(GALAXY_GLAPI* DisableClientState)(unsigned array) = nullptr;
  void(GALAXY_GLAPI* DrawArrays)(unsigned mode, int first, int count) = nullptr;

  // Whether every required entry is there.
  bool Complete() const {
    return ClearDepth && DepthFunc && ShadeModel && FrontFace && PixelStorei && BlendFunc && AlphaFunc &&
           Disable && Enable && Viewport && MatrixMode && LoadIdentity && Frustum && MultMatrixd &&
           Translated && ClearColor && Clear && PushMatrix && PopMatrix && Begin && End && Color3f &&
           Vertex3f;
  }
  // Whether the vertex-array entries are all there.
  bool HasArrays() const {
    return VertexPointer && ColorPointer && EnableClientState && DisableClientState && DrawArrays;
  }
};
