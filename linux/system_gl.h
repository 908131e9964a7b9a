#pragma once
// The system's OpenGL (libGL), as the galaxy's picture calls it.
#include "galaxy/gl_table.h"

TGalaxyGL SystemGalaxyGL();
