# Cross-compiles the product, the 32-bit Windows build, with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(mingw_prefix i686-w64-mingw32)
# SSE2 floating point: the same arithmetic as the 64-bit build, bit for bit,
# where the x87 unit would round through 80 bits.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
