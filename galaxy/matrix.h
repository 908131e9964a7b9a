#pragma once
// The matrices OpenGL and GLU build, computed here in double precision: 4x4
// matrices column-major as OpenGL holds them (element [col * 4 + row]),
// vectors of three. No system or OpenGL header.
#include <cmath>

namespace galaxy_matrix {

constexpr double kPi = 3.14159265358979323846;

inline void Identity(double m[16]) {
  for (int i = 0; i < 16; ++i) m[i] = i % 5 == 0 ? 1.0 : 0.0;
}

// out = a x b, as OpenGL multiplies b onto its current matrix a; out may be a
// or b.
inline void Multiply(const double a[16], const double b[16], double out[16]) {
  double product[16];
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[col * 4 + k];
      product[col * 4 + row] = sum;
    }
  for (int i = 0; i < 16; ++i) out[i] = product[i];
}

// A vector of length 0 stays as it is.
inline void Normalize(double v[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length == 0.0) return;
  v[0] /= length;
  v[1] /= length;
  v[2] /= length;
}

inline void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

inline void Translation(double x, double y, double z, double out[16]) {
  Identity(out);
  out[12] = x;
  out[13] = y;
  out[14] = z;
}

// glFrustum's view volume.
struct TFrustum {
  double left, right, bottom, top, zNear, zFar;
};

// glFrustum's matrix.
inline void Frustum(const TFrustum& v, double out[16]) {
  for (int i = 0; i < 16; ++i) out[i] = 0.0;
  out[0] = 2 * v.zNear / (v.right - v.left);
  out[5] = 2 * v.zNear / (v.top - v.bottom);
  out[8] = (v.right + v.left) / (v.right - v.left);
  out[9] = (v.top + v.bottom) / (v.top - v.bottom);
  out[10] = -(v.zFar + v.zNear) / (v.zFar - v.zNear);
  out[11] = -1;
  out[14] = -2 * v.zFar * v.zNear / (v.zFar - v.zNear);
}

// gluPerspective, a vertical field of fovy degrees: the glFrustum it calls
// (Frustum() gives its matrix).
inline TFrustum Perspective(double fovy, double aspect, double zNear, double zFar) {
  const double ymax = zNear * std::tan(fovy * kPi / 360.0);
  return {-ymax * aspect, ymax * aspect, -ymax, ymax, zNear, zFar};
}

// gluLookAt's matrix before its translation by -eye (Translation()): the
// camera's side, up and backward axes as rows.
inline void LookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
                   double upX, double upY, double upZ, double out[16]) {
  double back[3] = {eyeX - centerX, eyeY - centerY, eyeZ - centerZ};
  Normalize(back);
  const double up[3] = {upX, upY, upZ};
  double side[3], newUp[3];
  Cross(up, back, side);
  Cross(back, side, newUp);
  Normalize(side);
  Normalize(newUp);
  const double m[16] = {side[0], newUp[0], back[0], 0,  //
                        side[1], newUp[1], back[1], 0,  //
                        side[2], newUp[2], back[2], 0,  //
                        0,       0,        0,       1};
  for (int i = 0; i < 16; ++i) out[i] = m[i];
}

}  // namespace galaxy_matrix
