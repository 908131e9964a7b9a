#pragma once
// The galaxy's OpenGL 1.1 table (galaxy/gl_table.h) over WebGL 1: what the
// picture asks of fixed-function OpenGL, made from one shader pair. The
// matrix calls keep a projection and a model-view stack; quads, from arrays
// or one vertex at a time, go as triangles through one vertex buffer and a
// fixed index buffer, in batches that 16-bit indices reach. Every size of
// galaxy draws whole.
#include "galaxy/gl_table.h"

// The table on the WebGL context that is current, which must stay the one
// it was made on: its shaders and buffers are made now. The table's entries
// share one state, so there is one such table at a time. A context whose
// shaders do not compile gets an empty table (it draws nothing).
TGalaxyGL WebGalaxyGL();
