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

}  // namespace

void TGalaxyView::Init(const TGalaxyGL& table, int width, int height) {
  ready_ = table.Complete();
  if (!ready_) return;
  gl_ = table;
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
  Perspective(90.0 / aspect, aspect, 5.0, 500.0);
  const double t = static_cast<double>(ms) * 0.0002;
  LookAt(eye * std::cos(2 * t), eye * std::sin(t), -rings, 0.0, 0.0, 2 * eye, 0.0, 1.0, 0.0);
}

// As GLU's gluPerspective, in double precision.
void TGalaxyView::Perspective(double fovy, double aspect, double zNear, double zFar) {
  const double ymax = zNear * std::tan(fovy * kPi / 360.0);
  gl_.Frustum(-ymax * aspect, ymax * aspect, -ymax, ymax, zNear, zFar);
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
  DrawImmediate(galaxy, depth);
  gl_.PopMatrix();
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
