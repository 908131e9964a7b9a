#include "linux/system_gl.h"

#include <GL/gl.h>

TGalaxyGL SystemGalaxyGL() {
  TGalaxyGL gl;
  gl.ClearDepth = glClearDepth;
  gl.DepthFunc = glDepthFunc;
  gl.ShadeModel = glShadeModel;
  gl.FrontFace = glFrontFace;
  gl.PixelStorei = glPixelStorei;
  gl.BlendFunc = glBlendFunc;
  gl.AlphaFunc = glAlphaFunc;
  gl.Disable = glDisable;
  gl.Enable = glEnable;
  gl.Viewport = glViewport;
  gl.MatrixMode = glMatrixMode;
  gl.LoadIdentity = glLoadIdentity;
  gl.Frustum = glFrustum;
  gl.MultMatrixd = glMultMatrixd;
  gl.Translated = glTranslated;
  gl.ClearColor = glClearColor;
  gl.Clear = glClear;
  gl.PushMatrix = glPushMatrix;
  gl.PopMatrix = glPopMatrix;
  gl.Begin = glBegin;
  gl.End = glEnd;
  gl.Color3f = glColor3f;
  gl.Vertex3f = glVertex3f;
  gl.Scissor = glScissor;
  gl.VertexPointer = glVertexPointer;
  gl.ColorPointer = glColorPointer;
  gl.EnableClientState = glEnableClientState;
  gl.DisableClientState = glDisableClientState;
  gl.DrawArrays = glDrawArrays;
  return gl;
}
