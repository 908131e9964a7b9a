# Every project's preamble (the saver's, linux/, web/, tools/fuzz/), right
# after project(): the language, the build type, the tree's root
# (SPIRALIS_ROOT, on the include path) and the warnings, also for emcc.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()
get_filename_component(SPIRALIS_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
include_directories(${SPIRALIS_ROOT})
set(SPIRALIS_WARNINGS -Wall -Wextra -Wno-unused-parameter)
add_compile_options(${SPIRALIS_WARNINGS})
