// The presentation for hosts that do not show child-window OpenGL: a hidden
// window draws, and its frames are painted into the child.
#include <gtest/gtest.h>

#include "gl/present.h"
#include "gl/sgl.h"
#include "tests/gl/gl_support.h"

using namespace gl_testing;

namespace {

TEST(PresentTest, AHiddenWindowDrawsWhatTheChildShowsAtItsSize) {
  ASSERT_NE(nullptr, sglLoadDriver("opengl32.dll"));
  GLWindow top(100, 100, 200, 150);
  HWND hidden = nullptr;
  {
    GLWindow child(30, 20, 64, 48, top.handle());
    SglOffscreenPresenter presenter(child.handle(), child.dc());
    hidden = presenter.Window();
    ASSERT_NE(nullptr, presenter.DC());
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(nullptr, GetParent(hidden));
    {
      GLContext context(presenter.DC());
      ASSERT_TRUE(context.ok());
      EXPECT_EQ(0, GetPixelFormat(child.dc()));  // the child keeps none
      sglViewport(0, 0, 64, 48);
      // Channels that are whole steps of 1/255 in single precision: drivers
      // round a half step differently (the 64-bit llvmpipe takes 0.9 to 230).
      sglClearColor(0.2f, 0.6f, 0.8f, 0.0f);
      sglClear(GL_COLOR_BUFFER_BIT);
      ASSERT_TRUE(presenter.Present());
      EXPECT_EQ(RGB(51, 153, 204), GetPixel(child.dc(), 10, 10));
      EXPECT_EQ(RGB(51, 153, 204), GetPixel(child.dc(), 63, 47));

      // A new size: the hidden window follows, and the frame drawn at it fills the child.
      SetWindowPos(child.handle(), nullptr, 0, 0, 90, 70, SWP_NOMOVE | SWP_NOZORDER);
      presenter.FollowSize();
      RECT r;
      GetClientRect(hidden, &r);
      EXPECT_EQ(90, r.right);
      EXPECT_EQ(70, r.bottom);
      sglSwapBuffers(presenter.DC());  // the driver takes the new size at the next frame
      sglViewport(0, 0, 90, 70);
      sglClearColor(1.0f, 0.0f, 0.0f, 0.0f);
      sglClear(GL_COLOR_BUFFER_BIT);
      ASSERT_TRUE(presenter.Present());
      EXPECT_EQ(RGB(255, 0, 0), GetPixel(child.dc(), 89, 69));

      SetWindowPos(child.handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
      EXPECT_FALSE(presenter.Present());  // nothing to show in
    }
  }
  EXPECT_FALSE(IsWindow(hidden));  // it goes with its presenter
  HWND gone = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, top.handle(), nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  SglOffscreenPresenter none(gone, nullptr);
  EXPECT_EQ(nullptr, none.DC());
  EXPECT_FALSE(none.Present());
  sglFreeDriver();
}

}  // namespace
