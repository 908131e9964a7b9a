#include "galaxy/view.h"

namespace gl = galaxy_gl;

namespace {

constexpr double kPi = 3.14159265358979323846;

void Normalize(double v[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length == 0.0) return;
  v[0] /= length;
  v[1] /= length;
  v[2] /= length;
}

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// m = m x b, column-major, as OpenGL multiplies onto its current matrix.
void MultiplyInto(double m[16], const double b[16]) {
  double out[16];
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += m[k * 4 + row] * b[col * 4 + k];
      out[col * 4 + row] = sum;
    }
  for (int i = 0; i < 16; ++i) m[i] = out[i];
}

void Identity(double m[16]) {
  for (int i = 0; i < 16; ++i) m[i] = i % 5 == 0 ? 1.0 : 0.0;
}

// One side of the view volume in clip space, p = a x + b y + c z + d, with
// the points inside at p >= 0.
struct TPlane {
  double a, b, c, d;
};

// The six sides -w <= x, y, z <= w of the clip volume under matrix m.
void ViewPlanes(const double m[16], TPlane planes[6]) {
  for (int axis = 0; axis < 3; ++axis)
    for (int sign = 0; sign < 2; ++sign) {
      const double s = sign ? -1.0 : 1.0;
      planes[2 * axis + sign] = {m[3] + s * m[axis], m[7] + s * m[4 + axis], m[11] + s * m[8 + axis],
                                 m[15] + s * m[12 + axis]};
    }
}

// Whether every point of the rectangle [x0, x1] x [y0, y1] at depth z lies
// clearly outside one side: by more than a margin far above the rounding of
// the driver's single-precision transform, so that nothing it would draw of
// the quad is left out.
bool WhollyOutside(const TPlane planes[6], const double base[6], const double scale[6], double x0, double y0,
                   double x1, double y1) {
  const double ax = std::fabs(x0) > std::fabs(x1) ? std::fabs(x0) : std::fabs(x1);
  const double ay = std::fabs(y0) > std::fabs(y1) ? std::fabs(y0) : std::fabs(y1);
  for (int i = 0; i < 6; ++i) {
    const TPlane& p = planes[i];
    const double px = p.a * x0 > p.a * x1 ? p.a * x0 : p.a * x1;
    const double py = p.b * y0 > p.b * y1 ? p.b * y0 : p.b * y1;
    const double margin = 1e-4 * (scale[i] + std::fabs(p.a) * ax + std::fabs(p.b) * ay) + 1e-6;
    if (base[i] + px + py < -margin) return true;
  }
  return false;
}

}  // namespace

void TGalaxyView::Init(const TGalaxyGL& table, int width, int height) {
  ready_ = table.Complete();
  if (!ready_) return;
  gl_ = table;
  arrays_ = table.HasArrays();
  drawn_ = culled_ = 0;
  // Until this view sets the camera, nothing is known to be outside it.
  for (double& m : clip_) m = 0.0;
  gl_.ClearDepth(1.0);
  gl_.DepthFunc(gl::kLequal);
  gl_.ShadeModel(gl::kSmooth);
  gl_.FrontFace(gl::kCcw);
  gl_.PixelStorei(gl::kUnpackAlignment, 1);
  gl_.BlendFunc(gl::kSrcAlpha, gl::kOneMinusSrcAlpha);
  gl_.AlphaFunc(gl::kGreater, 0.07f);
  gl_.Disable(gl::kAlphaTest);
  gl_.Disable(gl::kBlend);
  gl_.Disable(gl::kCullFace);
  gl_.Enable(gl::kDepthTest);
  gl_.Viewport(0, 0, width, height);
}

void TGalaxyView::SetupCamera(int width, int height, int rings, double eye, std::uint32_t ms) {
  if (!ready_) return;
  // A window that has no height yet (a preview being laid out) is drawn as
  // if it were one pixel high rather than with an infinite aspect.
  const double aspect = static_cast<double>(width) / static_cast<double>(height > 0 ? height : 1);
  gl_.MatrixMode(gl::kProjection);
  gl_.LoadIdentity();
  Identity(clip_);
  Perspective(90.0 / aspect, aspect, 5.0, 500.0);
  const double t = static_cast<double>(ms) * 0.0002;
  LookAt(eye * std::cos(2 * t), eye * std::sin(t), -rings, 0.0, 0.0, 2 * eye, 0.0, 1.0, 0.0);
}

// As GLU's gluPerspective, in double precision.
void TGalaxyView::Perspective(double fovy, double aspect, double zNear, double zFar) {
  const double ymax = zNear * std::tan(fovy * kPi / 360.0);
  gl_.Frustum(-ymax * aspect, ymax * aspect, -ymax, ymax, zNear, zFar);
  const double left = -ymax * aspect, right = ymax * aspect, bottom = -ymax, top = ymax;
  double f[16] = {};
  f[0] = 2 * zNear / (right - left);
  f[5] = 2 * zNear / (top - bottom);
  f[8] = (right + left) / (right - left);
  f[9] = (top + bottom) / (top - bottom);
  f[10] = -(zFar + zNear) / (zFar - zNear);
  f[11] = -1;
  f[14] = -2 * zFar * zNear / (zFar - zNear);
  MultiplyInto(clip_, f);
}

// As GLU's gluLookAt, in double precision.
void TGalaxyView::LookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
                         double centerZ, double upX, double upY, double upZ) {
  double forward[3] = {eyeX - centerX, eyeY - centerY, eyeZ - centerZ};
  Normalize(forward);
  const double up[3] = {upX, upY, upZ};
  double side[3], newUp[3];
  Cross(up, forward, side);
  Cross(forward, side, newUp);
  Normalize(side);
  Normalize(newUp);
  const double m[16] = {side[0], newUp[0], forward[0], 0,  //
                        side[1], newUp[1], forward[1], 0,  //
                        side[2], newUp[2], forward[2], 0,  //
                        0,       0,        0,          1};
  gl_.MultMatrixd(m);
  gl_.Translated(-eyeX, -eyeY, -eyeZ);
  MultiplyInto(clip_, m);
  double t[16];
  Identity(t);
  t[12] = -eyeX;
  t[13] = -eyeY;
  t[14] = -eyeZ;
  MultiplyInto(clip_, t);
}

void TGalaxyView::Draw(TGalaxy& galaxy, int width, int height, double eye, float depth, std::uint32_t ms) {
  if (!ready_) return;
  if (galaxy.CameraDirty()) {
    SetupCamera(width, height, galaxy.Rings(), eye, ms);
    galaxy.SetCameraDirty(false);
  }
  if (galaxy.ClearColorDirty()) {
    const TGalaxyRGB& back = galaxy.ColorTable()[TGalaxy::BackgroundSlot];
    gl_.ClearColor(back.Red, back.Green, back.Blue, 0.0f);
    galaxy.SetClearColorDirty(false);
  }
  gl_.Clear(gl::kColorBufferBit | gl::kDepthBufferBit);
  gl_.MatrixMode(gl::kModelView);
  gl_.PushMatrix();
  gl_.LoadIdentity();
  if (arrays_) {
    FillArray(galaxy, depth);
    DrawArray();
  } else {
    DrawImmediate(galaxy, depth);
  }
  gl_.PopMatrix();
}

void TGalaxyView::DrawViewports(TGalaxy& galaxy, const std::vector<TGalaxyViewport>& views, int width,
                                int height, double eye, float depth, std::uint32_t ms) {
  if (!ready_) return;
  if (!gl_.Scissor) {
    galaxy.SetCameraDirty(true);
    Draw(galaxy, width, height, eye, depth, ms);
    return;
  }
  // Parts of the window on no monitor (beside a smaller monitor) show
  // nothing; cleared so that they hold no stale picture either.
  long long covered = 0;
  for (const TGalaxyViewport& v : views) covered += static_cast<long long>(v.width) * v.height;
  if (covered < static_cast<long long>(width) * height) gl_.Clear(gl::kColorBufferBit);
  // The scissor keeps each picture's clear to its own monitor.
  gl_.Enable(gl::kScissorTest);
  for (const TGalaxyViewport& v : views) {
    gl_.Viewport(v.x, v.y, v.width, v.height);
    gl_.Scissor(v.x, v.y, v.width, v.height);
    galaxy.SetCameraDirty(true);  // each monitor's own aspect
    Draw(galaxy, v.width, v.height, eye, depth, ms);
  }
  gl_.Disable(gl::kScissorTest);
  gl_.Viewport(0, 0, width, height);
  // The projection is the last monitor's: whatever draws next sets its own.
  galaxy.SetCameraDirty(true);
}

void TGalaxyView::DrawImmediate(const TGalaxy& galaxy, float depth) {
  const auto& colors = galaxy.ColorTable();
  gl_.Begin(gl::kQuads);
  // Neighbouring cells mostly share a state: the colour is sent only when it
  // changes, which leaves the picture the same and saves a call per cell.
  int current = -1;
  ForEachGalaxyQuad(galaxy, depth, [&](int state, float x0, float y0, float x1, float y1, float z) {
    if (state != current) {
      const TGalaxyRGB& c = colors[state];
      gl_.Color3f(c.Red, c.Green, c.Blue);
      current = state;
    }
    gl_.Vertex3f(x0, y0, z);
    gl_.Vertex3f(x0, y1, z);
    gl_.Vertex3f(x1, y1, z);
    gl_.Vertex3f(x1, y0, z);
  });
  gl_.End();
}

// The lit cells' quads in drawing order, four vertices each with the cell's
// colour, leaving out those wholly outside the view.
void TGalaxyView::FillArray(const TGalaxy& galaxy, float depth) {
  const size_t most = 4 * static_cast<size_t>(galaxy.CellCount());
  if (vertices_.size() < most) vertices_.resize(most);
  TPlane planes[6];
  ViewPlanes(clip_, planes);
  double base[6], scale[6];
  bool haveRing = false;
  float ringZ = 0.0f;
  const auto& colors = galaxy.ColorTable();
  TVertex* v = vertices_.data();
  int culled = 0;
  ForEachGalaxyQuad(galaxy, depth, [&](int state, float x0, float y0, float x1, float y1, float z) {
    if (!haveRing || z != ringZ) {  // a new ring: its depth's share of each side
      haveRing = true;
      ringZ = z;
      for (int i = 0; i < 6; ++i) {
        base[i] = planes[i].c * z + planes[i].d;
        scale[i] = std::fabs(planes[i].c * z) + std::fabs(planes[i].d);
      }
    }
    if (WhollyOutside(planes, base, scale, x0, y0, x1, y1)) {
      ++culled;
      return;
    }
    const TGalaxyRGB& c = colors[state];
    v[0] = {c.Red, c.Green, c.Blue, x0, y0, z};
    v[1] = {c.Red, c.Green, c.Blue, x0, y1, z};
    v[2] = {c.Red, c.Green, c.Blue, x1, y1, z};
    v[3] = {c.Red, c.Green, c.Blue, x1, y0, z};
    v += 4;
  });
  drawn_ = static_cast<int>((v - vertices_.data()) / 4);
  culled_ = culled;
}

void TGalaxyView::DrawArray() {
  if (drawn_ == 0) return;
  const TVertex* v = vertices_.data();
  gl_.EnableClientState(gl::kVertexArray);
  gl_.EnableClientState(gl::kColorArray);
  gl_.ColorPointer(3, gl::kFloat, sizeof(TVertex), &v->Red);
  gl_.VertexPointer(3, gl::kFloat, sizeof(TVertex), &v->X);
  gl_.DrawArrays(gl::kQuads, 0, 4 * drawn_);
  gl_.DisableClientState(gl::kColorArray);
  gl_.DisableClientState(gl::kVertexArray);
}
