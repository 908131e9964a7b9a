#pragma once
// The floor under the bare frame, for frame_bench (Windows, under Wine) and
// frame_bench_native alike: the same frame's quads recorded once and
// replayed with nothing else done per frame, and the view's own work for a
// frame (camera, cull, filling the array; from a buffer, the upload too)
// measured without a driver. The floor is the arrays' frame's: its quads
// are the fewest that draw the picture (those that show nothing left out).
//
// The frames replayed are a sample of the frames the bare frame draws, spread
// evenly over its run, so that both draw as many quads on average.
#include <cstdint>
#include <vector>

#include "galaxy/view.h"

namespace frame_limit {

template <class R, class... Args>
R GALAXY_GLAPI Ignore(Args...) {
  return R();
}
inline void GALAXY_GLAPI NameBuffers(int n, unsigned* names) {
  for (int i = 0; i < n; ++i) names[i] = static_cast<unsigned>(i + 1);
}

// A table whose every function does nothing: a view drawing through it
// costs only its own work; with `buffers` it has the buffer entries too, and
// the view does its work for drawing from buffers.
inline TGalaxyGL NothingTable(bool buffers = false) {
  TGalaxyGL t;
#define FRAME_LIMIT_IGNORE(ret, name, params) t.name = Ignore<ret>;
  GALAXY_GL_ENTRIES(FRAME_LIMIT_IGNORE)
  if (buffers) {
    GALAXY_GL_BUFFER_CALLS(FRAME_LIMIT_IGNORE)
    GALAXY_GL_BUFFERS(FRAME_LIMIT_IGNORE)
    t.GenBuffers = NameBuffers;
  }
#undef FRAME_LIMIT_IGNORE
  return t;
}

// `gl` without the buffer entries: frames from arrays in the processor's
// memory, as a driver without buffers draws them.
inline TGalaxyGL WithoutBuffers(TGalaxyGL gl) {
#define FRAME_LIMIT_DROP(ret, name, params) gl.name = nullptr;
  GALAXY_GL_BUFFERS(FRAME_LIMIT_DROP)
#undef FRAME_LIMIT_DROP
  return gl;
}

// The arrays of frames as the view hands them to glDrawArrays, copied and
// kept: `Recording(gl)` is `gl` with the array functions keeping each frame's
// arrays instead of drawing them; `Replay(gl, i)` then draws frame i's copy
// through `gl`.
class TKeptArrays {
 public:
  static TGalaxyGL Recording(TGalaxyGL gl) {
    gl = WithoutBuffers(gl);
    gl.ColorPointer = TakeColors;
    gl.VertexPointer = TakeVertices;
    gl.EnableClientState = Ignore<void>;
    gl.DisableClientState = Ignore<void>;
    gl.DrawArrays = TakeDraw;
    return gl;
  }
  static int Frames() { return static_cast<int>(It().frames_.size()); }
  static void Replay(const TGalaxyGL& gl, int frame) {
    const TFrame& f = It().frames_[static_cast<std::size_t>(frame)];
    if (!f.count) return;
    gl.EnableClientState(galaxy_gl::kColorArray);
    gl.EnableClientState(galaxy_gl::kVertexArray);
    gl.ColorPointer(f.color.size, f.color.type, f.color.stride, f.bytes.data() + f.colorAt);
    gl.VertexPointer(f.vertex.size, f.vertex.type, f.vertex.stride, f.bytes.data() + f.vertexAt);
    gl.DrawArrays(f.mode, 0, f.count);
    gl.DisableClientState(galaxy_gl::kVertexArray);
    gl.DisableClientState(galaxy_gl::kColorArray);
  }

 private:
  struct TPointer {
    int size;
    unsigned type;
    int stride;
    const char* at;
  };
  struct TFrame {
    TPointer color, vertex;
    std::vector<char> bytes;  // both arrays, interleaved as the view keeps them
    std::size_t colorAt, vertexAt;
    unsigned mode;
    int count;
  };
  static void GALAXY_GLAPI TakeColors(int size, unsigned type, int stride, const void* p) {
    It().color_ = {size, type, stride, static_cast<const char*>(p)};
  }
  static void GALAXY_GLAPI TakeVertices(int size, unsigned type, int stride, const void* p) {
    It().vertex_ = {size, type, stride, static_cast<const char*>(p)};
  }
  static void GALAXY_GLAPI TakeDraw(unsigned mode, int first, int count) {
    TKeptArrays& k = It();
    const std::size_t stride = static_cast<std::size_t>(k.color_.stride);
    const TPointer& low = k.color_.at < k.vertex_.at ? k.color_ : k.vertex_;
    const TPointer& high = k.color_.at < k.vertex_.at ? k.vertex_ : k.color_;
    // Floats, as the view sends them: up to the last vertex's last float.
    const char* from = low.at + first * stride;
    const char* to = high.at + (first + count - 1) * stride + high.size * sizeof(float);
    k.frames_.push_back({k.color_, k.vertex_, std::vector<char>(from, to),
                         static_cast<std::size_t>(k.color_.at + first * stride - from),
                         static_cast<std::size_t>(k.vertex_.at + first * stride - from), mode, count});
  }
  static TKeptArrays& It() {
    static TKeptArrays k;
    return k;
  }
  TPointer color_ = {}, vertex_ = {};
  std::vector<TFrame> frames_;
};

// The frames a replayed variant keeps, of a run of `frames` frames each
// drawn after one more step of `galaxy`: at most kSamples, each from the
// middle of the frames it stands for. keep() draws the galaxy as it is now
// into the next sample; frame i of the run then replays sample
// `Of(i)`, whose lit cells and quads left out are `Lit` and `Culled`.
class TSamples {
 public:
  static constexpr int kSamples = 16;
  template <class Keep>
  TSamples(TGalaxy& galaxy, const TGalaxyView& view, int frames, Keep keep)
      : frames_(frames), count_(frames < kSamples ? frames : kSamples) {
    int steps = 0;
    for (int j = 0; j < count_; ++j) {
      for (const int due = (2 * j + 1) * frames / (2 * count_) + 1; steps < due; ++steps) galaxy.Step();
      keep();
      long lit = 0;
      for (int c = 0; c < galaxy.CellCount(); ++c) lit += galaxy.Cells()[c] != 0;
      lit_.push_back(lit);
      culled_.push_back(view.CulledQuads());
    }
  }
  int Of(int frame) const { return frame * count_ / frames_; }
  long Lit(int frame) const { return lit_[static_cast<std::size_t>(Of(frame))]; }
  long Culled(int frame) const { return culled_[static_cast<std::size_t>(Of(frame))]; }

 private:
  int frames_, count_;
  std::vector<long> lit_, culled_;
};

// The view's own work a frame, without a driver, after a step of `galaxy`
// (not counted): the cull alone, and the whole of it (camera, cull, array);
// with `buffers`, drawing from a buffer: the camera, the cull, the array
// and its upload.
struct TFrameParts {
  double cullMs = 0, viewMs = 0;
};

template <class NowMs>
TFrameParts MeasureParts(TGalaxy& galaxy, int width, int height, int frames, NowMs nowMs, bool buffers = false) {
  TGalaxyView view;
  view.Init(NothingTable(buffers), width, height);
  const float depth = 500.0f, size = GalaxyQuadSize(depth, galaxy.Rings());
  TFrameParts parts;
  volatile int leftOut = 0;  // so that the cull is not optimized away
  for (int i = 0; i < frames; ++i) {
    galaxy.Step();
    // The step's first picture (its camera, and for buffers the upload),
    // then the cull alone with that camera.
    const double t0 = nowMs();
    view.Draw(galaxy, width, height, 50.0, depth, static_cast<std::uint32_t>(t0));
    const double t1 = nowMs();
    parts.viewMs += t1 - t0;
    if (buffers) continue;
    TGalaxyCull cull(view.ViewMatrix(), width, height);
    ForEachGalaxyQuad(
        galaxy, depth, [&](int ring, float z) { cull.StartRing(ring, z, size); },
        [&](int, float x0, float y0, float x1, float y1, float) { leftOut = leftOut + cull.LeftOut(x0, y0, x1, y1); });
    parts.cullMs += nowMs() - t1;
  }
  parts.viewMs /= frames;
  parts.cullMs /= frames;
  return parts;
}

}  // namespace frame_limit
