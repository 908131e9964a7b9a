#include "saver/galaxy_view.h"

#include "gl/sgl.h"

void GalaxyGLInit(int width, int height) {
  sglClearDepth(1.0);
  sglDepthFunc(GL_LEQUAL);
  sglShadeModel(GL_SMOOTH);
  sglFrontFace(GL_CCW);
  sglPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  sglBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  sglAlphaFunc(GL_GREATER, 0.07f);
  sglDisable(GL_ALPHA_TEST);
  sglDisable(GL_BLEND);
  sglDisable(GL_CULL_FACE);
  sglEnable(GL_DEPTH_TEST);
  sglViewport(0, 0, width, height);
}

void GalaxySetupCamera(int width, int height, int rings, double eye, std::uint32_t ms) {
  // A window that has no height yet (a preview being laid out) is drawn as
  // if it were one pixel high rather than with an infinite aspect.
  const double aspect = static_cast<double>(width) / static_cast<double>(height > 0 ? height : 1);
  sglMatrixMode(GL_PROJECTION);
  sglLoadIdentity();
  sgluPerspective(90.0 / aspect, aspect, 5.0, 500.0);
  const double t = static_cast<double>(ms) * 0.0002;
  sgluLookAt(eye * std::cos(2 * t), eye * std::sin(t), -rings, 0.0, 0.0, 2 * eye, 0.0, 1.0, 0.0);
}

void GalaxyDrawFrame(TGalaxy& galaxy, int width, int height, double eye, float depth, std::uint32_t ms) {
  if (galaxy.CameraDirty()) {
    GalaxySetupCamera(width, height, galaxy.Rings(), eye, ms);
    galaxy.SetCameraDirty(false);
  }
  const auto& colors = galaxy.ColorTable();
  if (galaxy.ClearColorDirty()) {
    const TGalaxyRGB& back = colors[TGalaxy::BackgroundSlot];
    sglClearColor(back.Red, back.Green, back.Blue, 0.0f);
    galaxy.SetClearColorDirty(false);
  }
  sglClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  sglMatrixMode(GL_MODELVIEW);
  sglPushMatrix();
  sglLoadIdentity();
  sglBegin(GL_QUADS);
  // Neighbouring cells mostly share a state: the colour is sent only when it
  // changes, which leaves the picture the same and saves a call per cell.
  int current = -1;
  ForEachGalaxyQuad(galaxy, depth, [&](int state, float x0, float y0, float x1, float y1, float z) {
    if (state != current) {
      const TGalaxyRGB& c = colors[state];
      sglColor3f(c.Red, c.Green, c.Blue);
      current = state;
    }
    sglVertex3f(x0, y0, z);
    sglVertex3f(x0, y1, z);
    sglVertex3f(x1, y1, z);
    sglVertex3f(x1, y0, z);
  });
  sglEnd();
  sglPopMatrix();
}
