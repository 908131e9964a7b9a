# The galaxy, for every project that builds it (after cmake/common.cmake):
# its sources, the rounding it relies on, and the library `galaxy`, built
# when a target links it. No window, toolkit or OpenGL-layer code: the
# picture calls OpenGL through a table the platform fills (gl_table.h).
set(GALAXY_SOURCES settings.cpp galaxy.cpp presets.cpp view.cpp words.cpp)
list(TRANSFORM GALAXY_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)

# Ring angles and truncations rely on every float and double being rounded
# to its own precision at each operation. x86-64 and WebAssembly do so; a
# 32-bit GCC build computes with SSE2 instead of the x87 unit's 80-bit
# registers. SPIRALIS_FPMATH=387 builds for the x87 unit as before
# (-ffloat-store), for comparing the two in the benchmarks.
set(SPIRALIS_FPMATH sse CACHE STRING "32-bit floating point: sse (SSE2) or 387 (x87, for benchmarks)")
set(GALAXY_ROUNDING)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  if(SPIRALIS_FPMATH STREQUAL "387")
    set(GALAXY_ROUNDING -ffloat-store)
  else()
    set(GALAXY_ROUNDING -msse2 -mfpmath=sse)
  endif()
endif()

add_library(galaxy STATIC EXCLUDE_FROM_ALL ${GALAXY_SOURCES})
target_compile_options(galaxy PUBLIC ${GALAXY_ROUNDING})
