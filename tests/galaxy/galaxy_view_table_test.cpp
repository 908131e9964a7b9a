// What the view sends to the table it is given, without a context: the
// fallbacks of tables that lack entries or whose buffers fail, the cull of
// each monitor's picture, and what is uploaded to buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "galaxy/galaxy.h"
#include "galaxy/view.h"
#include "tests/galaxy/recording_gl.h"

using namespace galaxy_testing;

namespace {

// A galaxy of 40 rings with every cell exploding.
struct Lit {
  Lit() {
    s.Rings = 40;
    s.Density = 0;
    g = std::make_unique<TGalaxy>(s, random, [] { return 1u; });
    for (int i = 0; i < g->CellCount(); ++i) g->SetCell(i, g->ExplodeNow());
  }
  TGalaxySettings s;
  TLcgRandom random;
  std::unique_ptr<TGalaxy> g;
};

// Of the vertex-array draws recorded, the quads each drew.
std::vector<int> QuadsDrawn() {
  std::vector<int> out;
  for (const TGLCall& c : CallsOf("DrawArrays")) out.push_back(static_cast<int>(c.args[2]) / 4);
  return out;
}

}  // namespace

TEST(GalaxyViewTable, ATableWithoutARequiredEntryDrawsNothing) {
  Lit lit;
  TGalaxyGL gl = RecordingGalaxyGL();
  gl.Frustum = nullptr;
  TGalaxyView view;
  RecordedCalls().clear();
  view.Init(gl, 320, 240);
  EXPECT_FALSE(view.Ready());
  view.Draw(*lit.g, 320, 240, 50.0, 500.0f, 0);
  view.DrawViewports(*lit.g, {{0, 0, 160, 240}, {160, 0, 160, 240}}, 320, 240, 50.0, 500.0f, 0);
  EXPECT_TRUE(RecordedCalls().empty()) << RecordedCalls().size() << " calls, the first " << RecordedCalls()[0].name;
}

// One picture per monitor takes the scissor; without it, one picture over
// the whole window, as on one monitor.
TEST(GalaxyViewTable, WithoutTheScissorOnePictureCoversTheWindow) {
  Lit lit;
  const std::vector<TGalaxyViewport> views = {{0, 0, 200, 240}, {200, 60, 120, 180}};
  for (const bool scissor : {true, false}) {
    SCOPED_TRACE(scissor ? "with glScissor" : "without glScissor");
    TGalaxyGL gl = RecordingGalaxyGL();
    if (!scissor) gl.Scissor = nullptr;
    TGalaxyView view;
    view.Init(gl, 320, 240);
    ASSERT_TRUE(view.Ready());
    RecordedCalls().clear();
    view.DrawViewports(*lit.g, views, 320, 240, 50.0, 500.0f, 0);
    const std::vector<TGLCall> viewports = CallsOf("Viewport"), frustums = CallsOf("Frustum");
    if (scissor) {
      ASSERT_EQ(viewports.size(), 3u);  // each monitor's, then the window's again
      EXPECT_EQ(viewports[1].args, (std::vector<double>{200, 60, 120, 180}));
      EXPECT_EQ(viewports[2].args, (std::vector<double>{0, 0, 320, 240}));
      EXPECT_EQ(CallsOf("Scissor").size(), 2u);
      EXPECT_EQ(frustums.size(), 2u) << "a camera for each monitor";
      EXPECT_EQ(QuadsDrawn().size(), 2u);
    } else {
      EXPECT_TRUE(viewports.empty());
      EXPECT_EQ(frustums.size(), 1u);
      EXPECT_EQ(CallsOf("Clear").size(), 1u);
      EXPECT_EQ(QuadsDrawn().size(), 1u);
    }
  }
}

// Each monitor's picture leaves out what its own camera does not see: the
// same quads as a window of that size alone.
TEST(GalaxyViewTable, EachMonitorsPictureIsCulledForItsOwnCamera) {
  Lit lit;
  // A wide monitor and one turned upright.
  const std::vector<TGalaxyViewport> views = {{0, 0, 400, 100}, {400, 0, 90, 160}};
  TGalaxyView view;
  view.Init(RecordingGalaxyGL(), 490, 160);
  std::vector<int> alone;
  for (const TGalaxyViewport& v : views) {
    RecordedCalls().clear();
    view.Draw(*lit.g, v.width, v.height, 50.0, 500.0f, 0);
    ASSERT_EQ(QuadsDrawn().size(), 1u) << v.width << "x" << v.height << ": " << view.DrawnQuads() << " drawn, "
                                       << view.CulledQuads() << " left out";
    alone.push_back(QuadsDrawn()[0]);
    EXPECT_GT(view.CulledQuads(), 0) << v.width << "x" << v.height << " sees part of the galaxy";
  }
  EXPECT_NE(alone[0], alone[1]);
  RecordedCalls().clear();
  view.DrawViewports(*lit.g, views, 490, 160, 50.0, 500.0f, 0);
  EXPECT_EQ(QuadsDrawn(), alone);
}

namespace {

// Of the buffer calls recorded: the buffers made, the stores made in them
// (room for every cell's quad), and the frames written into those.
struct TUploads {
  int buffers = 0, stores = 0, frames = 0;
  bool operator==(const TUploads& o) const {
    return buffers == o.buffers && stores == o.stores && frames == o.frames;
  }
};
std::ostream& operator<<(std::ostream& out, const TUploads& u) {
  return out << "buffers " << u.buffers << ", stores " << u.stores << ", frames " << u.frames;
}
TUploads Uploads() {
  int buffers = 0;
  for (const TGLCall& c : CallsOf("GenBuffers")) buffers += static_cast<int>(c.args[0]);
  return {buffers, static_cast<int>(CallsOf("BufferData").size()), static_cast<int>(CallsOf("BufferSubData").size())};
}

}  // namespace

// What a picture uploads: its frame once for what a step, a new colour or
// a new camera (the clock, the window's size) changed, into a store made
// once for a number of rings; nothing for the same galaxy drawn again. The
// frame is drawn in one call, and no buffer is left bound.
TEST(GalaxyViewTable, BuffersUploadOnlyWhatChanged) {
  Lit lit;
  TGalaxyView view;
  view.Init(RecordingGalaxyGL(true), 320, 240);
  ASSERT_TRUE(view.UsesBuffers());
  int width = 320;
  float depth = 500.0f;
  std::uint32_t ms = 0;
  const std::vector<TGalaxyViewport> monitors = {{0, 0, 160, 240}, {160, 0, 160, 240}};
  bool two = false;
  struct Case {
    const char* what;
    std::function<void()> change;
    TUploads want;
  };
  const Case cases[] = {
      {"the first picture", [] {}, {1, 1, 1}},
      {"the same again", [] {}, {0, 0, 0}},
      {"a step", [&] { lit.g->Step(); }, {0, 0, 1}},
      {"a picture without a step", [] {}, {0, 0, 0}},
      {"the same galaxy later (a new camera)", [&] { view.Invalidate(), ms = 9000; }, {0, 0, 1}},
      {"another window size (a new camera)", [&] { width = 200; }, {0, 0, 1}},
      {"another depth", [&] { depth = 300.0f; }, {0, 0, 1}},
      {"a new colour", [&] { lit.g->SetColors(0x0000FF, 0x00FF00, 0xFF0000, 0x808080); }, {0, 0, 1}},
      {"another number of rings", [&] { lit.g->SetRings(12); }, {0, 1, 1}},
      {"two steps, one picture", [&] { lit.g->Step(), lit.g->Step(); }, {0, 0, 1}},
      {"two monitors", [&] { two = true; }, {1, 1, 2}},
      {"two monitors again", [] {}, {0, 0, 0}},
      {"two monitors after a step", [&] { lit.g->Step(); }, {0, 0, 2}},
  };
  for (const Case& c : cases) {
    c.change();
    RecordedCalls().clear();
    if (two) {
      view.DrawViewports(*lit.g, monitors, 320, 240, 50.0, depth, ms);
    } else {
      view.Draw(*lit.g, width, 240, 50.0, depth, ms);
    }
    EXPECT_EQ(Uploads(), c.want) << c.what;
    ASSERT_EQ(QuadsDrawn().size(), two ? 2u : 1u) << c.what;
    EXPECT_EQ(QuadsDrawn().back(), view.DrawnQuads()) << c.what;
    const std::vector<TGLCall> binds = CallsOf("BindBuffer");
    ASSERT_FALSE(binds.empty()) << c.what;
    EXPECT_EQ(binds.back().args[1], 0) << c.what << ": a buffer left bound";
  }
}

// A smaller window of the same aspect has the same camera, but more quads
// fall between its pixel centres: the buffers leave out what the arrays do.
TEST(GalaxyViewTable, BuffersLeaveOutWhatArraysLeaveOutAtEachSize) {
  Lit lit;
  TGalaxyView view;
  view.Init(RecordingGalaxyGL(true), 320, 240);
  for (const int w : {320, 32, 320}) {
    TGalaxyView arrays;
    arrays.Init(RecordingGalaxyGL(), w, w * 3 / 4);
    arrays.Draw(*lit.g, w, w * 3 / 4, 50.0, 500.0f, 0);
    view.Draw(*lit.g, w, w * 3 / 4, 50.0, 500.0f, 0);
    EXPECT_EQ(view.CulledQuads(), arrays.CulledQuads()) << w;
    EXPECT_EQ(view.DrawnQuads(), arrays.DrawnQuads()) << w;
  }
}

namespace {
unsigned gErrorAfter = 0;  // GetError answers an error after so many calls; 0: never
unsigned GALAXY_GLAPI FailingGetError() {
  RecordedCalls().push_back({"GetError", {}});
  return gErrorAfter && CallsOf("GetError").size() >= gErrorAfter ? 0x0505u : 0u;  // GL_OUT_OF_MEMORY
}
void GALAXY_GLAPI NoBuffers(int n, unsigned* names) {
  for (int i = 0; i < n; ++i) names[i] = 0;
}
unsigned GALAXY_GLAPI TwoStaleErrors() {
  RecordedCalls().push_back({"GetError", {}});
  return CallsOf("GetError").size() <= 2 ? 0x0502u : 0u;  // GL_INVALID_OPERATION, left by calls before ours
}
}  // namespace

// Errors that calls before the frame left are read away, no failure of the
// buffers; the frame leaves no buffer bound.
TEST(GalaxyViewTable, StaleErrorsAreNoFailureAndAFrameLeavesNoBufferBound) {
  Lit lit;
  TGalaxyGL gl = RecordingGalaxyGL(true);
  gl.GetError = TwoStaleErrors;
  TGalaxyView view;
  view.Init(gl, 320, 240);
  RecordedCalls().clear();
  view.Draw(*lit.g, 320, 240, 50.0, 500.0f, 0);
  EXPECT_TRUE(view.UsesBuffers());
  ASSERT_FALSE(CallsOf("BindBuffer").empty());
  EXPECT_EQ(CallsOf("BindBuffer").back().args[1], 0);
}

// Without the buffer entries, or when a buffer call fails, the frame is drawn
// from arrays, that frame too, and every frame after from arrays alone.
TEST(GalaxyViewTable, WithoutBuffersOrWhenTheyFailFramesComeFromArrays) {
  Lit lit;
  struct Case {
    const char* what;
    void (*adjust)(TGalaxyGL&);
    unsigned errorAfter;
  };
  const Case cases[] = {
      {"a table without them", [](TGalaxyGL& gl) { gl.BufferSubData = nullptr; }, 0},
      {"no buffer made", [](TGalaxyGL& gl) { gl.GenBuffers = NoBuffers; }, 0},
      {"an upload fails", [](TGalaxyGL& gl) { gl.GetError = FailingGetError; }, 2},
      {"the draw fails", [](TGalaxyGL& gl) { gl.GetError = FailingGetError; }, 3},
  };
  TGalaxyView arrays;
  arrays.Init(RecordingGalaxyGL(), 320, 240);
  arrays.Draw(*lit.g, 320, 240, 50.0, 500.0f, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TGalaxyGL gl = RecordingGalaxyGL(true);
    c.adjust(gl);
    TGalaxyView view;
    view.Init(gl, 320, 240);
    gErrorAfter = c.errorAfter;
    RecordedCalls().clear();
    view.Draw(*lit.g, 320, 240, 50.0, 500.0f, 0);
    gErrorAfter = 0;
    EXPECT_FALSE(view.UsesBuffers());
    EXPECT_TRUE(view.UsesArrays());
    // (After a draw that failed, drawn again from arrays.)
    ASSERT_FALSE(QuadsDrawn().empty());
    EXPECT_EQ(QuadsDrawn().back(), arrays.DrawnQuads());
    EXPECT_EQ(CallsOf("BindBuffer").empty(), gl.BufferSubData == nullptr) << "buffers were tried";
    if (!CallsOf("BindBuffer").empty()) {
      EXPECT_EQ(CallsOf("BindBuffer").back().args[1], 0) << "no buffer left bound for the arrays";
    }
    lit.g->Step();
    RecordedCalls().clear();
    view.Draw(*lit.g, 320, 240, 50.0, 500.0f, 0);
    EXPECT_TRUE(CallsOf("BindBuffer").empty() && CallsOf("GenBuffers").empty()) << "tried again";
    EXPECT_EQ(QuadsDrawn().size(), 1u);
  }
}

namespace {
const char* gVersion = nullptr;
const char* gExtensions = nullptr;
unsigned GALAXY_GLAPI NoError() { return 0; }
const unsigned char* GALAXY_GLAPI Strings(unsigned name) {
  return reinterpret_cast<const unsigned char*>(name == galaxy_gl::kVersion ? gVersion : gExtensions);
}
}  // namespace

// Which names of the buffer functions a driver is asked for: OpenGL 1.5's
// from that version on, ARB_vertex_buffer_object's (a whole word of the
// list) before it, none without either; and a driver that lacks one of the
// buffer functions gives none of them.
TEST(GalaxyViewTable, BufferEntriesByVersionAndExtensions) {
  const char* kArb = "GL_EXT_abgr GL_ARB_vertex_buffer_object GL_ARB_multitexture";
  struct Case {
    const char* version;
    const char* extensions;
    const char* lacking;  // a name the driver's GetProcAddress does not know
    const char* wantGen;  // the name GenBuffers comes from, or null
  };
  const Case cases[] = {
      {"1.1.0", kArb, nullptr, "glGenBuffersARB"},
      {"1.4 Vendor 2.0", kArb, nullptr, "glGenBuffersARB"},
      {"1.5.0", "", nullptr, "glGenBuffers"},
      {"4.5 (Compatibility Profile) Mesa 22.3.6", nullptr, nullptr, "glGenBuffers"},
      {"1.10", nullptr, nullptr, "glGenBuffers"},
      {"1.3", "GL_ARB_vertex_buffer_object_plus", nullptr, nullptr},
      {"1.3", "XGL_ARB_vertex_buffer_object", nullptr, nullptr},
      {"1.2", "GL_ARB_vertex_buffer_object", nullptr, "glGenBuffersARB"},
      {nullptr, nullptr, nullptr, nullptr},
      {"2.0", nullptr, "glBufferSubData", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.version ? c.version : "(none)") + " / " + (c.extensions ? c.extensions : "(none)"));
    gVersion = c.version, gExtensions = c.extensions;
    TGalaxyGL gl = RecordingGalaxyGL();
    gl.GetError = NoError;
    gl.GetString = Strings;
    static std::vector<std::string> asked;
    asked.clear();
    static const char* lacking;
    lacking = c.lacking;
    // Each name the driver knows gives a function of its own: GenBuffers's
    // is told from the others by the name it was asked under.
    TakeGalaxyBuffers(gl, [](const char* name) -> void* {
      asked.push_back(name);
      if (lacking && std::string(name) == lacking) return nullptr;
      return reinterpret_cast<void*>(&RecordGenBuffers);
    });
    EXPECT_EQ(gl.HasBuffers(), c.wantGen != nullptr);
    const bool askedGen = std::find(asked.begin(), asked.end(), c.wantGen ? c.wantGen : "") != asked.end();
    EXPECT_EQ(askedGen, c.wantGen != nullptr);
    TGalaxyView view;
    view.Init(gl, 320, 240);
    EXPECT_EQ(view.UsesBuffers(), c.wantGen != nullptr);
  }
}
