#pragma once
// The galaxy's OpenGL functions from the OpenGL layer's entry table: the
// loaded driver's own entry points, so the table is good while that driver
// stays loaded (a panel's context never outlives its driver); the buffer
// entries those of the context current now, if any.
#include "galaxy/gl_table.h"

TGalaxyGL SglGalaxyTable();
