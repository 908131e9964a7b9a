#pragma once
// The galaxy's picture: the OpenGL state set on every new context, the
// wandering camera, and one frame of coloured quads, all through a table of
// OpenGL functions (gl_table.h) on the context the caller has made current.
//
// The galaxy is drawn as a cone: ring i of n lies at depth (1 - i/n) * Depth,
// so the centre is deepest and the outer ring nearest the camera. Each cell
// that is not replenished (state 0) is one axis-aligned quad about S wide in
// the plane (x, y/2), S = 0.8 * sqrt(Depth / n), at least 1.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "galaxy/galaxy.h"
#include "galaxy/gl_table.h"

// The size of a cell's quad for a frame.
inline float GalaxyQuadSize(float depth, int rings) {
  float s = 0.8f * std::sqrt(depth / static_cast<float>(rings));
  return s < 1.0f ? 1.0f : s;
}

// The depth of ring `ring` of `rings` for a frame.
inline float GalaxyRingDepth(int ring, int rings, float depth) {
  return (1.0f - static_cast<float>(ring) / static_cast<float>(rings)) * depth;
}

// The quad of a cell standing at `p`, of the frame's quad size: its corners
// are (x0, y0), (x0, y1), (x1, y1), (x1, y0), its far edges truncated toward
// zero.
struct TGalaxyQuad {
  float x0, y0, x1, y1;
};
inline TGalaxyQuad GalaxyQuadAt(TGalaxyPoint p, float size) {
  const int x2 = static_cast<int>(static_cast<float>(p.x) + size);
  const int y2 = static_cast<int>(static_cast<float>(p.y) + 2.0f * size);
  return {static_cast<float>(p.x), static_cast<float>(p.y) / 2.0f, static_cast<float>(x2),
          static_cast<float>(y2) / 2.0f};
}

// Calls draw(ring, slot, state, quad, z) for every cell to be drawn, in
// drawing order: ring by ring from the centre, the slots of a ring in
// storage order; before each ring's cells, startRing(ring, z). The quad is
// GalaxyQuadAt's for where the cell stands, at depth z.
template <class StartRing, class Draw>
void ForEachGalaxyCell(const TGalaxy& galaxy, float depth, StartRing startRing, Draw draw) {
  const int rings = galaxy.Rings();
  const float size = GalaxyQuadSize(depth, rings);
  const std::uint8_t* cells = galaxy.Cells();
  for (int ring = 0; ring < rings; ++ring) {
    const float z = GalaxyRingDepth(ring, rings, depth);
    startRing(ring, z);
    const int slots = ring == 0 ? 1 : 6 * ring;
    const std::uint8_t* cell = cells + TGalaxy::CellIndex(ring, 0);
    // Where the slots stand, from slot 0's place on, one place a slot
    // (without a division a cell).
    const int place = galaxy.CellPlace(ring, 0);
    int side = ring == 0 ? 0 : place / ring, along = ring == 0 ? 0 : place % ring;
    for (int slot = 0; slot < slots; ++slot) {
      const std::uint8_t state = cell[slot];
      if (state != 0) draw(ring, slot, state, GalaxyQuadAt(TGalaxy::SidePosition(ring, side, along), size), z);
      if (++along == ring) {
        along = 0;
        side = side == 5 ? 0 : side + 1;
      }
    }
  }
}

// Calls draw(state, x0, y0, x1, y1, z) for every cell to be drawn, as
// ForEachGalaxyCell.
template <class StartRing, class Draw>
void ForEachGalaxyQuad(const TGalaxy& galaxy, float depth, StartRing startRing, Draw draw) {
  ForEachGalaxyCell(galaxy, depth, startRing, [&](int, int, int state, const TGalaxyQuad& q, float z) {
    draw(state, q.x0, q.y0, q.x1, q.y1, z);
  });
}

template <class Draw>
void ForEachGalaxyQuad(const TGalaxy& galaxy, float depth, Draw draw) {
  ForEachGalaxyQuad(galaxy, depth, [](int, float) {}, draw);
}

// An OpenGL viewport: x and y from the bottom-left corner of the window.
struct TGalaxyViewport {
  int x, y, width, height;
};

// Which quads of a frame show nothing, and so are left out of it: those
// wholly outside the view, and those that cover no pixel centre (far rings,
// a small window), for which the driver makes no fragment whatever its rules
// for edges. Each test keeps a margin far above the driver's rounding (its
// single-precision transform; it snaps window positions to 1/256 pixel); a
// quad with a corner at or behind the eye is kept. Each ring is first judged
// whole, so that most rings need no test of each quad.
class TGalaxyCull {
 public:
  // For `view`, the projection times the camera (column-major, as OpenGL
  // holds it), and a width x height viewport.
  TGalaxyCull(const double view[16], int width, int height);
  // Before the quads of ring `ring`, at depth z, of a frame's quad size.
  void StartRing(int ring, float z, float size);
  // Whether the quad [x0, x1] x [y0, y1] of the current ring shows nothing.
  bool LeftOut(double x0, double y0, double x1, double y1) const;

 private:
  // One side of the view volume in clip space, a x + b y + c z + d >= 0
  // inside.
  struct TPlane {
    double a, b, c, d;
  };
  double Margin(int side, double ax, double ay) const;
  bool WhollyOutside(double x0, double y0, double x1, double y1) const;
  bool CoversNoPixelCentre(double x0, double y0, double x1, double y1) const;

  double m_[16];
  int width_, height_;
  TPlane planes_[6];
  // The current ring's depth applied to each side, and to the window
  // position (window x and y times w, and w, each a x + b y + c).
  double base_[6] = {}, scale_[6] = {};
  double sx_[3] = {}, sy_[3] = {}, w_[3] = {};
  bool outside_ = false;  // every quad of the ring lies outside one side
  int cutting_[6] = {};   // the sides that may cut the ring (the others
  int cuts_ = 0;          // leave every quad of it inside), and how many
  bool tiny_ = false;     // a quad of the ring may cover no pixel centre
};

// One galaxy's picture on one context. Init() runs on every new context and
// takes the context's OpenGL functions; Draw() then draws frames with them.
// Nothing is drawn before the first Init().
//
// The view keeps what it has set on the context: the camera is set up again
// after the galaxy has stepped (the camera follows the clock) and for a new
// number of rings or a new size; the clear colour when the background
// changes. A new context (Init) needs both.
//
// A table with the buffer entries (TGalaxyGL::HasBuffers) gets each frame
// from a buffer on the driver's side holding the very array the arrays'
// frame would hand the driver, drawn in one call as they are: the driver
// splits and rounds the stream of a draw alike, and so gives the arrays'
// pixels (drawn from places kept in a buffer as runs or by index, the quads
// come out a few edge pixels apart). The array is uploaded when the frame
// has changed (the cells, the colours, the camera, the window's size or
// the depth): at most once a step, and not at all for a picture of the
// same galaxy; each monitor's picture (DrawViewports) keeps a buffer of its
// own. The first buffer call that fails (an OpenGL error, a buffer
// that cannot be made) leaves the view drawing from arrays in the
// processor's memory from then on.
// A table with the vertex-array functions only gets each frame from one
// array of the lit cells' quads (positions and colours, in drawing order),
// drawn in one call; quads that show nothing (TGalaxyCull) are left out of
// it. Without them every vertex is one call, as old drivers need.
class TGalaxyView {
 public:
  TGalaxyView() = default;
  TGalaxyView(const TGalaxyView&) = delete;
  TGalaxyView& operator=(const TGalaxyView&) = delete;

  // The state every frame relies on, and the viewport (0, 0, width, height).
  // Chooses how frames are drawn. A table that lacks a required function
  // leaves the view drawing nothing. Buffers made on an earlier context are
  // that context's: they are forgotten, not deleted.
  void Init(const TGalaxyGL& gl, int width, int height);
  // Projection and camera for time `ms` (the multimedia clock): a 90-degree
  // vertical view divided by the aspect, eye sweeping in the plane z = -rings
  // and aiming at (0, 0, 2 * eye).
  void SetupCamera(int width, int height, int rings, double eye, std::uint32_t ms);
  // One frame up to the swap: camera and clear colour where they are due
  // (see above), the clear, and every lit cell's quad.
  void Draw(const TGalaxy& galaxy, int width, int height, double eye, float depth, std::uint32_t ms);
  // One frame up to the swap with a whole picture in each of `views` (one a
  // monitor), each with its own aspect and camera and cleared alone; parts
  // of the `width` x `height` window in no view are cleared. The viewport is
  // the whole window again afterwards. A table without glScissor draws one
  // picture over the whole window instead.
  void DrawViewports(const TGalaxy& galaxy, const std::vector<TGalaxyViewport>& views, int width, int height,
                     double eye, float depth, std::uint32_t ms);

  // The next frame sets up the camera and loads the clear colour whatever
  // has changed, as on a new context.
  void Invalidate() { cameraSet_ = clearColorSet_ = false; }
  // Whether the next frame of `galaxy` on a width x height window sets up
  // the camera, and loads the clear colour.
  bool CameraDirty(const TGalaxy& galaxy, int width, int height) const;
  bool ClearColorDirty(const TGalaxy& galaxy) const;

  // Whether Init() has been given a usable table.
  bool Ready() const { return ready_; }
  // Whether frames are drawn from arrays (the table has them), in buffers
  // or in the processor's memory.
  bool UsesArrays() const { return arrays_; }
  // Whether frames are drawn from buffers (the table has them, and none of
  // their calls has failed).
  bool UsesBuffers() const { return buffers_; }
  // The projection times the camera of the last frame (column-major).
  const double* ViewMatrix() const { return clip_; }
  // Of the last frame drawn from arrays: the quads drawn, and those left out
  // as showing nothing.
  int DrawnQuads() const { return drawn_; }
  int CulledQuads() const { return culled_; }

 private:
  struct TVertex {
    float Red, Green, Blue;
    float X, Y, Z;
  };

  // A buffer for one picture of a window (a monitor's), holding its last
  // frame.
  struct TStream {
    unsigned name = 0;  // 0: not made on this context yet
    size_t room = 0;    // bytes of its store
    // The frame of these cells (none before the first upload), ring
    // offsets and colours at this depth, seen by this camera in a width x
    // height viewport; its quads drawn and left out.
    std::vector<std::uint8_t> cells;
    std::vector<int> offsets;
    std::vector<TGalaxyRGB> colors;
    double clip[16] = {};
    float depth = 0;
    int width = 0, height = 0;
    int drawn = 0, culled = 0;
  };

  void Perspective(double fovy, double aspect, double zNear, double zFar);
  void LookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
              double upX, double upY, double upZ);
  void DrawImmediate(const TGalaxy& galaxy, float depth);
  void FillArray(const TGalaxy& galaxy, float depth, int width, int height);
  void DrawArray(std::uintptr_t at);
  bool DrawBuffers(const TGalaxy& galaxy, float depth, int width, int height);
  bool FrameShown(const TStream& stream, const TGalaxy& galaxy, float depth, int width, int height) const;
  void UploadFrame(TStream& stream, const TGalaxy& galaxy, float depth, int width, int height);
  void StopBuffers();

  TGalaxyGL gl_;
  bool ready_ = false;
  // What the context's camera and clear colour were set up for; a new
  // context has neither.
  bool cameraSet_ = false;
  std::uint32_t cameraStep_ = 0;
  int cameraRings_ = 0, cameraWidth_ = 0, cameraHeight_ = 0;
  bool clearColorSet_ = false;
  TGalaxyRGB clearColor_ = {};
  bool arrays_ = false;
  // The projection and camera as OpenGL holds them (column-major), for
  // telling what lies outside the view.
  double clip_[16] = {};
  std::vector<TVertex> vertices_;
  int drawn_ = 0;
  int culled_ = 0;

  // The buffers: drawing from them until a call fails, and then never again.
  bool buffers_ = false;
  bool buffersFailed_ = false;
  std::vector<TStream> streams_;  // one for each picture of a window
  size_t picture_ = 0;  // the picture DrawViewports is drawing
};
