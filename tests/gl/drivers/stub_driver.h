#pragma once
// The test-only exports of the stub drivers, looked up with GetProcAddress.
#include <windows.h>

// How often the driver's own entry was called ("wglSetPixelFormat",
// "wglSwapBuffers", "wglCreateContext", "wglChoosePixelFormat").
using TestDriverCallsFn = int (*)(const char* name);
// The formats the driver's wglDescribePixelFormat describes (1-based).
using TestDriverSetFormatsFn = void (*)(const PIXELFORMATDESCRIPTOR* formats, int count);
// The depths glVertex3f was given since the last call, in order: copies at
// most `max` of them, forgets them all and returns how many there were.
using TestDriverDepthsFn = int (*)(float* out, int max);
