#include "saver/galaxy_gl.h"

#include "gl/sgl.h"

namespace {

template <class Fn>
void Take(Fn& slot, const char* name) {
  slot = reinterpret_cast<Fn>(sglEntryAddress(sglEntryIndex(name)));
}

}  // namespace

TGalaxyGL SglGalaxyTable() {
  TGalaxyGL t;
  Take(t.ClearDepth, "glClearDepth");
  Take(t.DepthFunc, "glDepthFunc");
  Take(t.ShadeModel, "glShadeModel");
  Take(t.FrontFace, "glFrontFace");
  Take(t.PixelStorei, "glPixelStorei");
  Take(t.BlendFunc, "glBlendFunc");
  Take(t.AlphaFunc, "glAlphaFunc");
  Take(t.Disable, "glDisable");
  Take(t.Enable, "glEnable");
  Take(t.Viewport, "glViewport");
  Take(t.MatrixMode, "glMatrixMode");
  Take(t.LoadIdentity, "glLoadIdentity");
  Take(t.Frustum, "glFrustum");
  Take(t.MultMatrixd, "glMultMatrixd");
  Take(t.Translated, "glTranslated");
  Take(t.ClearColor, "glClearColor");
  Take(t.Clear, "glClear");
  Take(t.PushMatrix, "glPushMatrix");
  Take(t.PopMatrix, "glPopMatrix");
  Take(t.Begin, "glBegin");
  Take(t.End, "glEnd");
  Take(t.Color3f, "glColor3f");
  Take(t.Vertex3f, "glVertex3f");
  Take(t.Scissor, "glScissor");
  Take(t.VertexPointer, "glVertexPointer");
  Take(t.ColorPointer, "glColorPointer");
  Take(t.EnableClientState, "glEnableClientState");
  Take(t.DisableClientState, "glDisableClientState");
  Take(t.DrawArrays, "glDrawArrays");
  return t;
}
