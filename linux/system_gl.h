#pragma once
// The system's OpenGL (libGL), as the galaxy's picture calls it; the buffer
// entries those of the context current now, if any (none without one).
#include "galaxy/gl_table.h"

TGalaxyGL SystemGalaxyGL();
