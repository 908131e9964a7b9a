#include "galaxy/view.h"

#include <cstddef>
#include <cstring>

#include "galaxy/matrix.h"

namespace gl = galaxy_gl;

namespace {

using galaxy_matrix::Identity;
using galaxy_matrix::Multiply;

constexpr double kNearestW = 1e-3;         // a corner nearer the eye decides nothing
constexpr double kPixelMargin = 1.0 / 16;  // pixels; the driver snaps to 1/256

// Whether no i + 1/2 lies in [from, to] widened by the margin.
bool NoCentreBetween(double from, double to) {
  if (to - from >= 1.0) return false;
  return std::floor(to + kPixelMargin - 0.5) < from - kPixelMargin - 0.5;
}

// The least size of a linear function over an interval, given its values a
// and b at the ends: 0 if it changes sign in between.
double LeastSize(double a, double b) {
  if ((a > 0) != (b > 0)) return 0.0;
  return std::fabs(a) < std::fabs(b) ? std::fabs(a) : std::fabs(b);
}

}  // namespace

// --- Quads that show nothing ---------------------------------------------------

TGalaxyCull::TGalaxyCull(const double view[16], int width, int height)
    : width_(width), height_(height) {
  for (int i = 0; i < 16; ++i) m_[i] = view[i];
  // The six sides -w <= x, y, z <= w of the clip volume.
  for (int axis = 0; axis < 3; ++axis)
    for (int sign = 0; sign < 2; ++sign) {
      const double s = sign ? -1.0 : 1.0;
      planes_[2 * axis + sign] = {m_[3] + s * m_[axis], m_[7] + s * m_[4 + axis], m_[11] + s * m_[8 + axis],
                                  m_[15] + s * m_[12 + axis]};
    }
}

void TGalaxyCull::StartRing(int ring, float z, float size) {
  outside_ = tiny_ = false;
  cuts_ = 0;
  for (int i = 0; i < 6; ++i) {
    base_[i] = planes_[i].c * z + planes_[i].d;
    scale_[i] = std::fabs(planes_[i].c * z) + std::fabs(planes_[i].d);
  }
  // Window position times w: (x_clip + w) * width / 2, likewise for y; each
  // is a x + b y + c on the ring's plane.
  const double hw = 0.5 * width_, hh = 0.5 * height_;
  const double cx = m_[8] * z + m_[12], cy = m_[9] * z + m_[13], cw = m_[11] * z + m_[15];
  sx_[0] = (m_[0] + m_[3]) * hw, sx_[1] = (m_[4] + m_[7]) * hw, sx_[2] = (cx + cw) * hw;
  sy_[0] = (m_[1] + m_[3]) * hh, sy_[1] = (m_[5] + m_[7]) * hh, sy_[2] = (cy + cw) * hh;
  w_[0] = m_[3], w_[1] = m_[7], w_[2] = cw;

  // Every quad of ring r lies in [-r - 1, r + size + 1] on both axes.
  const double lo = -ring - 1.0, hi = ring + size + 1.0;
  for (int i = 0; i < 6; ++i) {
    const TPlane& p = planes_[i];
    const double most = base_[i] + (p.a > 0 ? p.a * hi : p.a * lo) + (p.b > 0 ? p.b * hi : p.b * lo);
    const double least = base_[i] + (p.a > 0 ? p.a * lo : p.a * hi) + (p.b > 0 ? p.b * lo : p.b * hi);
    if (most < -Margin(i, hi, hi)) outside_ = true;
    if (least < 0) cutting_[cuts_++] = i;
  }
  if (outside_ || width_ <= 0 || height_ <= 0) return;

  // The narrowest a quad of the ring can be on the screen. Along an edge
  // y = const from x0 to x1 the window x moves by (x1 - x0) L(y) / (w0 w1),
  // L(y) = a_x (w_y y + w_c) - w_x (a_y y + a_c), and up an edge x = const
  // the window y by (y1 - y0) M(x) / (w0 w1) likewise. L and M are linear,
  // so their least size over the box is at its ends, and w's greatest at a
  // corner.
  double wLeast = 1e300, wMost = 0;
  for (double x : {lo, hi})
    for (double y : {lo, hi}) {
      const double w = w_[0] * x + w_[1] * y + w_[2];
      wLeast = w < wLeast ? w : wLeast;
      wMost = w > wMost ? w : wMost;
    }
  if (!(wLeast > kNearestW)) {
    tiny_ = true;
    return;
  }
  auto l = [&](double y) { return sx_[0] * (w_[1] * y + w_[2]) - w_[0] * (sx_[1] * y + sx_[2]); };
  auto m = [&](double x) { return sy_[1] * (w_[0] * x + w_[2]) - w_[1] * (sy_[0] * x + sy_[2]); };
  // A quad is at least floor(size) wide and floor(2 size) / 2 high.
  const double narrowest = std::floor(size) * LeastSize(l(lo), l(hi)) / (wMost * wMost);
  const double lowest = std::floor(2.0 * size) / 2.0 * LeastSize(m(lo), m(hi)) / (wMost * wMost);
  tiny_ = !(narrowest >= 1.0 && lowest >= 1.0);
}

bool TGalaxyCull::LeftOut(double x0, double y0, double x1, double y1) const {
  if (outside_) return true;
  if (cuts_ && WhollyOutside(x0, y0, x1, y1)) return true;
  return tiny_ && CoversNoPixelCentre(x0, y0, x1, y1);
}

double TGalaxyCull::Margin(int i, double ax, double ay) const {
  return 1e-4 * (scale_[i] + std::fabs(planes_[i].a) * ax + std::fabs(planes_[i].b) * ay) + 1e-6;
}

bool TGalaxyCull::WhollyOutside(double x0, double y0, double x1, double y1) const {
  const double ax = std::fabs(x0) > std::fabs(x1) ? std::fabs(x0) : std::fabs(x1);
  const double ay = std::fabs(y0) > std::fabs(y1) ? std::fabs(y0) : std::fabs(y1);
  for (int k = 0; k < cuts_; ++k) {
    const int i = cutting_[k];
    const TPlane& p = planes_[i];
    const double px = p.a * x0 > p.a * x1 ? p.a * x0 : p.a * x1;
    const double py = p.b * y0 > p.b * y1 ? p.b * y0 : p.b * y1;
    if (base_[i] + px + py < -Margin(i, ax, ay)) return true;
  }
  return false;
}

bool TGalaxyCull::CoversNoPixelCentre(double x0, double y0, double x1, double y1) const {
  const double wx0 = w_[0] * x0, wx1 = w_[0] * x1, wy0 = w_[1] * y0 + w_[2], wy1 = w_[1] * y1 + w_[2];
  const double w[4] = {wx0 + wy0, wx0 + wy1, wx1 + wy1, wx1 + wy0};
  for (double c : w)
    if (!(c > kNearestW)) return false;
  const double ax0 = sx_[0] * x0, ax1 = sx_[0] * x1, ay0 = sx_[1] * y0 + sx_[2], ay1 = sx_[1] * y1 + sx_[2];
  const double bx0 = sy_[0] * x0, bx1 = sy_[0] * x1, by0 = sy_[1] * y0 + sy_[2], by1 = sy_[1] * y1 + sy_[2];
  const double sx[4] = {ax0 + ay0, ax0 + ay1, ax1 + ay1, ax1 + ay0};
  const double sy[4] = {bx0 + by0, bx0 + by1, bx1 + by1, bx1 + by0};
  double left = 1e300, right = -1e300, bottom = 1e300, top = -1e300;
  for (int k = 0; k < 4; ++k) {
    const double inverse = 1.0 / w[k];
    const double x = sx[k] * inverse, y = sy[k] * inverse;
    left = x < left ? x : left;
    right = x > right ? x : right;
    bottom = y < bottom ? y : bottom;
    top = y > top ? y : top;
  }
  return NoCentreBetween(left, right) || NoCentreBetween(bottom, top);
}

// --- The view ----------------------------------------------------------------

void TGalaxyView::Init(const TGalaxyGL& table, int width, int height) {
  ready_ = table.Complete();
  if (!ready_) return;
  gl_ = table;
  arrays_ = table.HasArrays();
  buffers_ = arrays_ && !buffersFailed_ && table.HasBuffers();
  streams_.clear();
  drawn_ = culled_ = 0;
  Invalidate();
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
  // The cone is drawn from its centre outwards and the eye is always in
  // front of it: the drawing order alone puts every quad where it shows, as
  // the depth test would, without the test's ties between the overlapping
  // quads of a ring, which its rounding breaks differently from frame to
  // frame (a shimmer). The context keeps its depth buffer, unused.
  gl_.Disable(gl::kDepthTest);
  gl_.Viewport(0, 0, width, height);
}

namespace {
// The camera: a square window sees 90 degrees up and down, a wider one
// less; the galaxy lies between the near and far planes; the eye wanders
// at this many radians a millisecond (a sweep in about 31 s).
constexpr double kFieldOfView = 90.0;
constexpr double kNearPlane = 5.0, kFarPlane = 500.0;
constexpr double kWanderPerMs = 0.0002;
}  // namespace

void TGalaxyView::SetupCamera(int width, int height, int rings, double eye, std::uint32_t ms) {
  if (!ready_) return;
  // A window that has no width or height yet (a preview being laid out, a
  // minimised window) is drawn as if it were one pixel wide or high, rather
  // than with an aspect of 0 or infinity and a frustum of no size.
  const double aspect = static_cast<double>(width > 0 ? width : 1) / static_cast<double>(height > 0 ? height : 1);
  gl_.MatrixMode(gl::kProjection);
  gl_.LoadIdentity();
  Identity(clip_);
  Perspective(kFieldOfView / aspect, aspect, kNearPlane, kFarPlane);
  const double t = static_cast<double>(ms) * kWanderPerMs;
  LookAt(eye * std::cos(2 * t), eye * std::sin(t), -rings, 0.0, 0.0, 2 * eye, 0.0, 1.0, 0.0);
}

// As GLU's gluPerspective, in double precision.
void TGalaxyView::Perspective(double fovy, double aspect, double zNear, double zFar) {
  const galaxy_matrix::TFrustum v = galaxy_matrix::Perspective(fovy, aspect, zNear, zFar);
  gl_.Frustum(v.left, v.right, v.bottom, v.top, v.zNear, v.zFar);
  double f[16];
  galaxy_matrix::Frustum(v, f);
  Multiply(clip_, f, clip_);
}

// As GLU's gluLookAt, in double precision.
void TGalaxyView::LookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
                         double centerZ, double upX, double upY, double upZ) {
  double m[16], t[16];
  galaxy_matrix::LookAt(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ, m);
  gl_.MultMatrixd(m);
  gl_.Translated(-eyeX, -eyeY, -eyeZ);
  Multiply(clip_, m, clip_);
  galaxy_matrix::Translation(-eyeX, -eyeY, -eyeZ, t);
  Multiply(clip_, t, clip_);
}

bool TGalaxyView::CameraDirty(const TGalaxy& galaxy, int width, int height) const {
  return !cameraSet_ || cameraStep_ != galaxy.StepCount() || cameraRings_ != galaxy.Rings() ||
         cameraWidth_ != width || cameraHeight_ != height;
}

bool TGalaxyView::ClearColorDirty(const TGalaxy& galaxy) const {
  const TGalaxyRGB& back = galaxy.ColorTable()[TGalaxy::BackgroundSlot];
  return !clearColorSet_ || back.Red != clearColor_.Red || back.Green != clearColor_.Green ||
         back.Blue != clearColor_.Blue;
}

void TGalaxyView::Draw(const TGalaxy& galaxy, int width, int height, double eye, float depth,
                       std::uint32_t ms) {
  if (!ready_) return;
  if (CameraDirty(galaxy, width, height)) {
    SetupCamera(width, height, galaxy.Rings(), eye, ms);
    cameraSet_ = true;
    cameraStep_ = galaxy.StepCount();
    cameraRings_ = galaxy.Rings();
    cameraWidth_ = width;
    cameraHeight_ = height;
  }
  if (ClearColorDirty(galaxy)) {
    clearColor_ = galaxy.ColorTable()[TGalaxy::BackgroundSlot];
    gl_.ClearColor(clearColor_.Red, clearColor_.Green, clearColor_.Blue, 0.0f);
    clearColorSet_ = true;
  }
  gl_.Clear(gl::kColorBufferBit);
  gl_.MatrixMode(gl::kModelView);
  gl_.PushMatrix();
  gl_.LoadIdentity();
  if (!buffers_ || !DrawBuffers(galaxy, depth, width, height)) {
    if (buffers_) StopBuffers();  // and this frame too from arrays
    if (arrays_) {
      FillArray(galaxy, depth, width, height);
      DrawArray(reinterpret_cast<std::uintptr_t>(vertices_.data()));
    } else {
      DrawImmediate(galaxy, depth);
    }
  }
  gl_.PopMatrix();
}

void TGalaxyView::DrawViewports(const TGalaxy& galaxy, const std::vector<TGalaxyViewport>& views, int width,
                                int height, double eye, float depth, std::uint32_t ms) {
  if (!ready_) return;
  // Each picture sets its own camera (its monitor's aspect), and whatever
  // draws next sets its own again.
  cameraSet_ = false;
  if (!gl_.Scissor) {
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
    cameraSet_ = false;
    Draw(galaxy, v.width, v.height, eye, depth, ms);
    ++picture_;
  }
  picture_ = 0;
  gl_.Disable(gl::kScissorTest);
  gl_.Viewport(0, 0, width, height);
  cameraSet_ = false;
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
// colour, leaving out those wholly outside the view and those that cover no
// pixel centre of the width x height viewport (far rings, a small window).
void TGalaxyView::FillArray(const TGalaxy& galaxy, float depth, int width, int height) {
  const size_t most = 4 * static_cast<size_t>(galaxy.CellCount());
  if (vertices_.size() < most) vertices_.resize(most);
  const float size = GalaxyQuadSize(depth, galaxy.Rings());
  const auto& colors = galaxy.ColorTable();
  TVertex* v = vertices_.data();
  int culled = 0;
  TGalaxyCull cull(clip_, width, height);
  ForEachGalaxyQuad(
      galaxy, depth, [&](int ring, float z) { cull.StartRing(ring, z, size); },
      [&](int state, float x0, float y0, float x1, float y1, float z) {
        if (cull.LeftOut(x0, y0, x1, y1)) {
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

// The first drawn_ quads of an array of TVertex at `at`: an address in the
// processor's memory, or an offset into the buffer bound.
void TGalaxyView::DrawArray(std::uintptr_t at) {
  if (drawn_ == 0) return;
  gl_.EnableClientState(gl::kVertexArray);
  gl_.EnableClientState(gl::kColorArray);
  gl_.ColorPointer(3, gl::kFloat, sizeof(TVertex), reinterpret_cast<const void*>(at + offsetof(TVertex, Red)));
  gl_.VertexPointer(3, gl::kFloat, sizeof(TVertex), reinterpret_cast<const void*>(at + offsetof(TVertex, X)));
  gl_.DrawArrays(gl::kQuads, 0, 4 * drawn_);
  gl_.DisableClientState(gl::kColorArray);
  gl_.DisableClientState(gl::kVertexArray);
}

// --- A buffer on the driver's side -----------------------------------------------

namespace {
// Errors that calls before ours have left: at most so many are read.
constexpr int kMostStaleErrors = 8;
}  // namespace

// Draws the arrays' frame from the picture's buffer, uploading it first
// where the frame has changed since; false when a buffer call has failed
// (and nothing is drawn from it).
bool TGalaxyView::DrawBuffers(const TGalaxy& galaxy, float depth, int width, int height) {
  for (int i = 0; i < kMostStaleErrors && gl_.GetError() != gl::kNoError; ++i) {
  }
  if (streams_.size() <= picture_) streams_.resize(picture_ + 1);
  TStream& stream = streams_[picture_];
  if (!stream.name) {
    gl_.GenBuffers(1, &stream.name);
    if (!stream.name) return false;
  }
  if (FrameShown(stream, galaxy, depth, width, height)) {
    drawn_ = stream.drawn;
    culled_ = stream.culled;
  } else {
    FillArray(galaxy, depth, width, height);
    UploadFrame(stream, galaxy, depth, width, height);
    // A failed upload leaves a buffer that must not be drawn from.
    if (gl_.GetError() != gl::kNoError) return false;
  }
  gl_.BindBuffer(gl::kArrayBuffer, stream.name);
  DrawArray(0);
  gl_.BindBuffer(gl::kArrayBuffer, 0);
  return gl_.GetError() == gl::kNoError;
}

// From now on the frames come from arrays in the processor's memory, and
// the buffers are given back.
void TGalaxyView::StopBuffers() {
  buffers_ = false;
  buffersFailed_ = true;
  gl_.BindBuffer(gl::kArrayBuffer, 0);
  gl_.DisableClientState(gl::kColorArray);
  gl_.DisableClientState(gl::kVertexArray);
  for (const TStream& stream : streams_)
    if (stream.name) gl_.DeleteBuffers(1, &stream.name);
  streams_.clear();
  for (int i = 0; i < kMostStaleErrors && gl_.GetError() != gl::kNoError; ++i) {
  }
  drawn_ = culled_ = 0;
}

// Whether `stream` holds the frame of `galaxy` as it is now, at `depth`,
// seen by the camera set up last in a width x height viewport.
bool TGalaxyView::FrameShown(const TStream& stream, const TGalaxy& galaxy, float depth, int width,
                             int height) const {
  const int rings = galaxy.Rings();
  if (stream.depth != depth || stream.width != width || stream.height != height ||
      std::memcmp(stream.clip, clip_, sizeof clip_) != 0 ||
      stream.cells.size() != static_cast<size_t>(galaxy.CellCount()) ||
      stream.offsets.size() != static_cast<size_t>(rings))
    return false;
  for (int ring = 0; ring < rings; ++ring)
    if (stream.offsets[ring] != galaxy.RingOffset(ring)) return false;
  const auto& colors = galaxy.ColorTable();
  return std::memcmp(stream.cells.data(), galaxy.Cells(), stream.cells.size()) == 0 &&
         std::memcmp(stream.colors.data(), colors.data(), sizeof colors) == 0;
}

// The frame just filled into the array, into `stream`, and what it is a
// frame of. The buffer gets room for every cell's quad once for a number of
// rings, so that a later frame is written over the last: a new store each
// step costs the driver more than the copy.
void TGalaxyView::UploadFrame(TStream& stream, const TGalaxy& galaxy, float depth, int width, int height) {
  const size_t room = 4 * static_cast<size_t>(galaxy.CellCount()) * sizeof(TVertex);
  gl_.BindBuffer(gl::kArrayBuffer, stream.name);
  if (stream.room != room) {
    gl_.BufferData(gl::kArrayBuffer, static_cast<std::ptrdiff_t>(room), nullptr, gl::kStreamDraw);
    stream.room = room;
  }
  const size_t bytes = 4 * static_cast<size_t>(drawn_) * sizeof(TVertex);
  if (bytes) gl_.BufferSubData(gl::kArrayBuffer, 0, static_cast<std::ptrdiff_t>(bytes), vertices_.data());
  gl_.BindBuffer(gl::kArrayBuffer, 0);
  stream.depth = depth;
  stream.width = width;
  stream.height = height;
  std::memcpy(stream.clip, clip_, sizeof clip_);
  const std::uint8_t* cells = galaxy.Cells();
  stream.cells.assign(cells, cells + galaxy.CellCount());
  stream.offsets.resize(static_cast<size_t>(galaxy.Rings()));
  for (int ring = 0; ring < galaxy.Rings(); ++ring) stream.offsets[ring] = galaxy.RingOffset(ring);
  const auto& colors = galaxy.ColorTable();
  stream.colors.assign(colors.begin(), colors.end());
  stream.drawn = drawn_;
  stream.culled = culled_;
}
