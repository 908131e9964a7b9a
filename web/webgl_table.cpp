#include "web/webgl_table.h"

#include <GLES2/gl2.h>

#include <array>
#include <cstddef>
#include <vector>

#include "galaxy/matrix.h"

namespace gl = galaxy_gl;

namespace {

// A vertex as the shaders take it.
struct TVertex {
  float X, Y, Z;
  float Red, Green, Blue;
};

// Quads a batch draws: their 4 vertices each are reached by 16-bit indices.
constexpr int kBatchQuads = 65536 / 4;
constexpr int kMaxStack = 32;  // matrices each stack holds, as OpenGL's least

const char kVertexShader[] =
    "attribute vec3 position;\n"
    "attribute vec3 color;\n"
    "uniform mat4 matrix;\n"
    "varying vec3 shade;\n"
    "void main() {\n"
    "  shade = color;\n"
    "  gl_Position = matrix * vec4(position, 1.0);\n"
    "}\n";
const char kFragmentShader[] =
    "precision mediump float;\n"
    "varying vec3 shade;\n"
    "void main() { gl_FragColor = vec4(shade, 1.0); }\n";

// A client array as glVertexPointer or glColorPointer gives it.
struct TClientArray {
  bool Enabled = false;
  int Size = 0;
  unsigned Type = 0;
  int Stride = 0;
  const unsigned char* Data = nullptr;

  // Its element `i` as three floats (a missing fourth, or a colour's alpha,
  // is dropped); false if it holds no floats.
  bool Read(int i, float out[3]) const {
    if (!Enabled || Type != gl::kFloat || Size < 2) return false;
    const int stride = Stride ? Stride : Size * static_cast<int>(sizeof(float));
    const float* f = reinterpret_cast<const float*>(Data + static_cast<long>(i) * stride);
    out[0] = f[0], out[1] = f[1], out[2] = Size > 2 ? f[2] : 0.0f;
    return true;
  }
};

struct TState {
  GLuint Program = 0, Vertices = 0, Indices = 0;
  GLint Position = -1, Color = -1, Matrix = -1;
  unsigned Mode = gl::kModelView;
  std::vector<std::array<double, 16>> Projection, ModelView;  // each stack's top last
  float Current[3] = {1.0f, 1.0f, 1.0f};
  unsigned Primitive = 0;  // of the vertices between Begin and End
  std::vector<TVertex> Pending;
  TClientArray VertexArray, ColorArray;
};
TState state;

std::array<double, 16>& Top() {
  auto& stack = state.Mode == gl::kProjection ? state.Projection : state.ModelView;
  return stack.back();
}

void Multiply(const double m[16]) { galaxy_matrix::Multiply(Top().data(), m, Top().data()); }

// Draws the pending vertices (which Begin and DrawArrays gather afresh) as
// quads, two triangles each; the galaxy draws nothing else.
void Flush(unsigned primitive) {
  const int quads = static_cast<int>(state.Pending.size()) / 4;
  if (primitive != gl::kQuads || quads == 0) return;
  double clip[16];
  galaxy_matrix::Multiply(state.Projection.back().data(), state.ModelView.back().data(), clip);
  float matrix[16];
  for (int i = 0; i < 16; ++i) matrix[i] = static_cast<float>(clip[i]);
  glUseProgram(state.Program);
  glUniformMatrix4fv(state.Matrix, 1, GL_FALSE, matrix);
  glBindBuffer(GL_ARRAY_BUFFER, state.Vertices);
  glBufferData(GL_ARRAY_BUFFER, 4 * quads * sizeof(TVertex), state.Pending.data(), GL_STREAM_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, state.Indices);
  glEnableVertexAttribArray(state.Position);
  glEnableVertexAttribArray(state.Color);
  for (int first = 0; first < quads; first += kBatchQuads) {
    const long at = 4L * first * static_cast<long>(sizeof(TVertex));
    glVertexAttribPointer(state.Position, 3, GL_FLOAT, GL_FALSE, sizeof(TVertex), reinterpret_cast<void*>(at));
    glVertexAttribPointer(state.Color, 3, GL_FLOAT, GL_FALSE, sizeof(TVertex),
                          reinterpret_cast<void*>(at + offsetof(TVertex, Red)));
    const int batch = quads - first < kBatchQuads ? quads - first : kBatchQuads;
    glDrawElements(GL_TRIANGLES, 6 * batch, GL_UNSIGNED_SHORT, nullptr);
  }
}

// ---- The entries ----

void GALAXY_GLAPI ClearDepth(double depth) { glClearDepthf(static_cast<float>(depth)); }
void GALAXY_GLAPI DepthFunc(unsigned func) { glDepthFunc(func); }
void GALAXY_GLAPI ShadeModel(unsigned) {}  // a quad has one colour: nothing to shade
void GALAXY_GLAPI FrontFace(unsigned mode) { glFrontFace(mode); }
void GALAXY_GLAPI PixelStorei(unsigned pname, int param) { glPixelStorei(pname, param); }
void GALAXY_GLAPI BlendFunc(unsigned s, unsigned d) { glBlendFunc(s, d); }
void GALAXY_GLAPI AlphaFunc(unsigned, float) {}  // the galaxy's colours are opaque

// WebGL has no alpha test, which the galaxy keeps off; the others it has.
bool WebCap(unsigned cap) {
  return cap == gl::kCullFace || cap == gl::kDepthTest || cap == gl::kBlend || cap == gl::kScissorTest;
}
void GALAXY_GLAPI Enable(unsigned cap) {
  if (WebCap(cap)) glEnable(cap);
}
void GALAXY_GLAPI Disable(unsigned cap) {
  if (WebCap(cap)) glDisable(cap);
}
void GALAXY_GLAPI Viewport(int x, int y, int w, int h) { glViewport(x, y, w, h); }
void GALAXY_GLAPI Scissor(int x, int y, int w, int h) { glScissor(x, y, w, h); }

void GALAXY_GLAPI MatrixMode(unsigned mode) { state.Mode = mode == gl::kProjection ? mode : gl::kModelView; }
void GALAXY_GLAPI LoadIdentity() { galaxy_matrix::Identity(Top().data()); }
void GALAXY_GLAPI Frustum(double l, double r, double b, double t, double n, double f) {
  double m[16];
  galaxy_matrix::Frustum({l, r, b, t, n, f}, m);
  Multiply(m);
}
void GALAXY_GLAPI MultMatrixd(const double* m) { Multiply(m); }
void GALAXY_GLAPI Translated(double x, double y, double z) {
  double m[16];
  galaxy_matrix::Translation(x, y, z, m);
  Multiply(m);
}
void GALAXY_GLAPI PushMatrix() {
  auto& stack = state.Mode == gl::kProjection ? state.Projection : state.ModelView;
  if (stack.size() < kMaxStack) stack.push_back(stack.back());
}
void GALAXY_GLAPI PopMatrix() {
  auto& stack = state.Mode == gl::kProjection ? state.Projection : state.ModelView;
  if (stack.size() > 1) stack.pop_back();
}

void GALAXY_GLAPI ClearColor(float r, float g, float b, float a) { glClearColor(r, g, b, a); }
void GALAXY_GLAPI Clear(unsigned mask) { glClear(mask); }

void GALAXY_GLAPI Begin(unsigned mode) {
  state.Primitive = mode;
  state.Pending.clear();
}
void GALAXY_GLAPI End() { Flush(state.Primitive); }
void GALAXY_GLAPI Color3f(float r, float g, float b) {
  state.Current[0] = r, state.Current[1] = g, state.Current[2] = b;
}
void GALAXY_GLAPI Vertex3f(float x, float y, float z) {
  state.Pending.push_back({x, y, z, state.Current[0], state.Current[1], state.Current[2]});
}

void GALAXY_GLAPI VertexPointer(int size, unsigned type, int stride, const void* p) {
  state.VertexArray.Size = size, state.VertexArray.Type = type, state.VertexArray.Stride = stride;
  state.VertexArray.Data = static_cast<const unsigned char*>(p);
}
void GALAXY_GLAPI ColorPointer(int size, unsigned type, int stride, const void* p) {
  state.ColorArray.Size = size, state.ColorArray.Type = type, state.ColorArray.Stride = stride;
  state.ColorArray.Data = static_cast<const unsigned char*>(p);
}
TClientArray* ClientArray(unsigned array) {
  return array == gl::kVertexArray ? &state.VertexArray : array == gl::kColorArray ? &state.ColorArray : nullptr;
}
void GALAXY_GLAPI EnableClientState(unsigned array) {
  if (TClientArray* a = ClientArray(array)) a->Enabled = true;
}
void GALAXY_GLAPI DisableClientState(unsigned array) {
  if (TClientArray* a = ClientArray(array)) a->Enabled = false;
}
// The arrays' vertices first .. first + count - 1, without a colour array
// in the current colour.
void GALAXY_GLAPI DrawArrays(unsigned mode, int first, int count) {
  state.Pending.clear();
  state.Pending.reserve(count > 0 ? count : 0);
  for (int i = first; i < first + count; ++i) {
    TVertex v{0, 0, 0, state.Current[0], state.Current[1], state.Current[2]};
    if (!state.VertexArray.Read(i, &v.X)) break;
    state.ColorArray.Read(i, &v.Red);
    state.Pending.push_back(v);
  }
  Flush(mode);
}

GLuint Compile(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  return ok ? shader : 0;
}

// The shader pair, the vertex buffer and the quads' index buffer.
bool MakeObjects() {
  const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
  if (!vertex || !fragment) return false;
  state.Program = glCreateProgram();
  glAttachShader(state.Program, vertex);
  glAttachShader(state.Program, fragment);
  glLinkProgram(state.Program);
  GLint linked = GL_FALSE;
  glGetProgramiv(state.Program, GL_LINK_STATUS, &linked);
  if (!linked) return false;
  state.Position = glGetAttribLocation(state.Program, "position");
  state.Color = glGetAttribLocation(state.Program, "color");
  state.Matrix = glGetUniformLocation(state.Program, "matrix");

  glGenBuffers(1, &state.Vertices);
  glGenBuffers(1, &state.Indices);
  std::vector<GLushort> indices;
  indices.reserve(6 * kBatchQuads);
  for (int q = 0; q < kBatchQuads; ++q) {
    const GLushort v = static_cast<GLushort>(4 * q);
    for (const int corner : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<GLushort>(v + corner));
  }
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, state.Indices);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(GLushort), indices.data(), GL_STATIC_DRAW);
  return true;
}

}  // namespace

TGalaxyGL WebGalaxyGL() {
  state = TState();
  state.Projection.assign(1, {});
  state.ModelView.assign(1, {});
  galaxy_matrix::Identity(state.Projection.back().data());
  galaxy_matrix::Identity(state.ModelView.back().data());
  TGalaxyGL table;
  if (!MakeObjects()) return table;
#define TAKE(ret, name, params) table.name = name;
  GALAXY_GL_ENTRIES(TAKE)
#undef TAKE
  return table;
}
