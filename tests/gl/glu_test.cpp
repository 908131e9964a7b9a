// The GLU helpers against the published GLU 1.2 formulas, written out here
// independently. The matrix-building helpers run on a real context (Wine's
// opengl32 over Mesa) and are read back with glGetDoublev.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>

#include "gl/sgl.h"
#include "tests/gl/gl_support.h"

using namespace gl_testing;

namespace {

using Matrix = std::array<double, 16>;  // column-major

Matrix Identity() {
  Matrix m{};
  m[0] = m[5] = m[10] = m[15] = 1;
  return m;
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix out{};
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r)
      for (int k = 0; k < 4; ++k) out[c * 4 + r] += a[k * 4 + r] * b[c * 4 + k];
  return out;
}

// glFrustum's matrix, as OpenGL 1.1 defines it.
Matrix Frustum(double l, double r, double b, double t, double n, double f) {
  Matrix m{};
  m[0] = 2 * n / (r - l);
  m[5] = 2 * n / (t - b);
  m[8] = (r + l) / (r - l);
  m[9] = (t + b) / (t - b);
  m[10] = -(f + n) / (f - n);
  m[11] = -1;
  m[14] = -2 * f * n / (f - n);
  return m;
}

Matrix Translation(double x, double y, double z) {
  Matrix m = Identity();
  m[12] = x, m[13] = y, m[14] = z;
  return m;
}

// GLU 1.2 gluLookAt: f = normalize(center - eye), s = f x up, u = s x f.
Matrix LookAt(const double eye[3], const double center[3], const double up[3]) {
  double f[3] = {center[0] - eye[0], center[1] - eye[1], center[2] - eye[2]};
  auto normalize = [](double v[3]) {
    const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    for (int i = 0; i < 3; ++i) v[i] /= l;
  };
  normalize(f);
  double s[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2], f[0] * up[1] - f[1] * up[0]};
  normalize(s);
  const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
  Matrix m = Identity();
  for (int i = 0; i < 3; ++i) {
    m[i * 4 + 0] = s[i];
    m[i * 4 + 1] = u[i];
    m[i * 4 + 2] = -f[i];
  }
  return Multiply(m, Translation(-eye[0], -eye[1], -eye[2]));
}

// GLU 1.2 gluProject, to go the other way.
void Project(const double obj[3], const Matrix& model, const Matrix& proj, const GLint vp[4],
             double win[3]) {
  double in[4] = {obj[0], obj[1], obj[2], 1}, mid[4] = {}, out[4] = {};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) mid[r] += model[c * 4 + r] * in[c];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) out[r] += proj[c * 4 + r] * mid[c];
  for (int i = 0; i < 3; ++i) out[i] /= out[3];
  win[0] = vp[0] + (1 + out[0]) * vp[2] / 2;
  win[1] = vp[1] + (1 + out[1]) * vp[3] / 2;
  win[2] = (1 + out[2]) / 2;
}

void ExpectMatrixNear(const Matrix& expected, const Matrix& actual) {
  for (int i = 0; i < 16; ++i)
    EXPECT_NEAR(expected[i], actual[i], 1e-5 * std::max(1.0, std::fabs(expected[i]))) << "element " << i;
}

class GluOnContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, sglLoadDriver("opengl32.dll"));
    window_ = std::make_unique<GLWindow>(0, 0, 32, 32);
    context_ = std::make_unique<GLContext>(window_->dc());
    ASSERT_TRUE(context_->ok());
    sglMatrixMode(GL_MODELVIEW);
    sglLoadIdentity();
  }
  void TearDown() override {
    context_.reset();
    window_.reset();
    sglFreeDriver();
  }
  Matrix Current() {
    Matrix m{};
    sglGetDoublev(GL_MODELVIEW_MATRIX, m.data());
    return m;
  }
  std::unique_ptr<GLWindow> window_;
  std::unique_ptr<GLContext> context_;
};

TEST_F(GluOnContextTest, PerspectiveOrthoAndLookAtBuildTheGlu12Matrices) {
  sgluPerspective(90.0 / 1.6, 1.6, 5.0, 500.0);
  const double ymax = 5.0 * std::tan(90.0 / 1.6 * 3.14159265358979323846 / 360.0);
  ExpectMatrixNear(Frustum(-ymax * 1.6, ymax * 1.6, -ymax, ymax, 5, 500), Current());

  sglLoadIdentity();
  sgluOrtho2D(-3, 5, 2, 10);
  Matrix ortho = Identity();
  ortho[0] = 2.0 / 8, ortho[5] = 2.0 / 8, ortho[10] = -1;
  ortho[12] = -2.0 / 8, ortho[13] = -12.0 / 8;
  ExpectMatrixNear(ortho, Current());

  const double eyes[][9] = {{10, 20, -30, 0, 0, 60, 0, 1, 0},
                            {1, 2, 3, -4, 5, -6, 0.3, -0.2, 0.9},
                            {0, 0, 5, 0, 0, 0, 0, 1, 0}};
  for (const auto& v : eyes) {
    sglLoadIdentity();
    sgluLookAt(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
    ExpectMatrixNear(LookAt(&v[0], &v[3], &v[6]), Current());
  }
}

TEST_F(GluOnContextTest, PickMatrixScalesAndMovesThePickRegionAndIgnoresAnEmptyOne) {
  const GLint viewport[4] = {10, 20, 640, 480};
  sgluPickMatrix(100, 200, 4, 6, viewport);
  // GLU 1.2: translate by ((vw - 2(x - vx)) / w, (vh - 2(y - vy)) / h, 0), then scale.
  Matrix scale = Identity();
  scale[0] = 640.0 / 4, scale[5] = 480.0 / 6;
  ExpectMatrixNear(Multiply(Translation((640 - 2 * (100 - 10)) / 4.0, (480 - 2 * (200 - 20)) / 6.0, 0),
                            scale),
                   Current());

  sglLoadIdentity();
  sgluPickMatrix(100, 200, 0, 6, viewport);
  sgluPickMatrix(100, 200, 4, -1, viewport);
  ExpectMatrixNear(Identity(), Current());
}

// --- UnProject: pure arithmetic, no context needed --------------------------------

TEST(GluUnProjectTest, RoundTripsThroughProjectWithRealMatrices) {
  const double eye[3] = {3, -4, 12}, center[3] = {0.5, 1, -2}, up[3] = {0, 1, 0};
  const Matrix model = LookAt(eye, center, up);
  const Matrix proj = Frustum(-2, 2, -1.5, 1.5, 1, 100);
  const GLint viewport[4] = {5, 7, 400, 300};
  const double points[][3] = {{0, 0, 0}, {1.5, -2, 3}, {-3, 2.5, -8}};
  for (const auto& p : points) {
    double win[3];
    Project(p, model, proj, viewport, win);
    double x = 0, y = 0, z = 0;
    ASSERT_TRUE(sgluUnProject(win[0], win[1], win[2], model.data(), proj.data(), viewport, &x, &y, &z));
    EXPECT_NEAR(p[0], x, 1e-9);
    EXPECT_NEAR(p[1], y, 1e-9);
    EXPECT_NEAR(p[2], z, 1e-9);
  }
  // With identity matrices, window to normalised device coordinates directly.
  const Matrix id = Identity();
  double x = 0, y = 0, z = 0;
  ASSERT_TRUE(sgluUnProject(105, 232, 0.25, id.data(), id.data(), viewport, &x, &y, &z));
  EXPECT_DOUBLE_EQ(-0.5, x);
  EXPECT_DOUBLE_EQ(0.5, y);
  EXPECT_DOUBLE_EQ(-0.5, z);
}

TEST(GluUnProjectTest, FailsWithoutTouchingTheOutputsWhenThereIsNoAnswer) {
  const GLint viewport[4] = {0, 0, 100, 100};
  const Matrix id = Identity();
  double x = 7, y = 8, z = 9;

  // proj x model cannot be inverted: a flattening model matrix.
  Matrix flat = Identity();
  flat[10] = 0;
  EXPECT_FALSE(sgluUnProject(10, 20, 0.5, flat.data(), id.data(), viewport, &x, &y, &z));
  const Matrix zero{};
  EXPECT_FALSE(sgluUnProject(10, 20, 0.5, id.data(), zero.data(), viewport, &x, &y, &z));

  // An invertible matrix whose inverse maps the viewport's centre column to
  // w = 0: the inverse's last row picks x, which is 0 at the centre.
  Matrix inverse{};  // rows (0 1 0 0), (0 0 1 0), (0 0 0 1), (1 0 0 0)
  inverse[1 * 4 + 0] = inverse[2 * 4 + 1] = inverse[3 * 4 + 2] = inverse[0 * 4 + 3] = 1;
  Matrix proj{};  // its inverse: the transpose of a permutation
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) proj[c * 4 + r] = inverse[r * 4 + c];
  EXPECT_FALSE(sgluUnProject(50, 20, 0.5, id.data(), proj.data(), viewport, &x, &y, &z));
  EXPECT_TRUE(sgluUnProject(60, 20, 0.5, id.data(), proj.data(), viewport, &x, &y, &z));
  x = 7, y = 8, z = 9;

  // An empty viewport gives no window to map from.
  const GLint empty[4] = {0, 0, 0, 100};
  EXPECT_FALSE(sgluUnProject(10, 20, 0.5, id.data(), id.data(), empty, &x, &y, &z));
  EXPECT_EQ(7, x);
  EXPECT_EQ(8, y);
  EXPECT_EQ(9, z);
}

}  // namespace
