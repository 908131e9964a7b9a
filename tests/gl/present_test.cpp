// The read-back presentation for hosts that do not show child-window OpenGL.
#include <gtest/gtest.h>

#include <memory>

#include "gl/present.h"
#include "gl/sgl.h"
#include "tests/gl/gl_support.h"

using namespace gl_testing;

namespace {

TEST(PresentTest, WineIsRecognised) { EXPECT_TRUE(SglHostIsWine()); }

TEST(PresentTest, PaintsTheChildFrameThroughTheTopLevelWindowAndRefusesWhatItCannotShow) {
  ASSERT_NE(nullptr, sglLoadDriver("opengl32.dll"));
  GLWindow top(100, 100, 200, 150);
  {
    GLWindow child(30, 20, 64, 48, top.handle());
    GLContext context(child.dc());
    ASSERT_TRUE(context.ok());
    sglViewport(0, 0, 64, 48);
    sglClearColor(0.2f, 0.6f, 0.9f, 0.0f);
    sglClear(GL_COLOR_BUFFER_BIT);
    SglReadbackPresenter presenter(child.handle());
    ASSERT_TRUE(presenter.Present());
    HDC dc = GetDCEx(top.handle(), nullptr, DCX_CACHE);
    const COLORREF inside = GetPixel(dc, 30 + 10, 20 + 10), outside = GetPixel(dc, 5, 5);
    ReleaseDC(top.handle(), dc);
    EXPECT_NEAR(51, GetRValue(inside), 1);
    EXPECT_NEAR(153, GetGValue(inside), 1);
    EXPECT_NEAR(229, GetBValue(inside), 1);
    EXPECT_NE(inside, outside);

    // A top-level window has nothing to paint through.
    EXPECT_FALSE(SglReadbackPresenter(top.handle()).Present());
    SetWindowPos(child.handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_FALSE(presenter.Present());
  }
  HWND gone = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, top.handle(), nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  EXPECT_FALSE(SglReadbackPresenter(gone).Present());
  sglFreeDriver();
}

}  // namespace
